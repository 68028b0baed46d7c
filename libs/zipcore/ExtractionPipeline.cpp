#include "ExtractionPipeline.h"

namespace zipcore {

ExtractionPipeline::ExtractionPipeline() : free_(kBlocks) {}

ExtractionPipeline::~ExtractionPipeline() {
    {
        std::unique_lock<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void ExtractionPipeline::Begin(ExtractedFile& file, bool overlap) {
    if (overlap && !thread_.joinable()) thread_ = std::thread([this] { Run(); });
    std::unique_lock<std::mutex> lock(mutex_);
    file_ = &file;
    failed_ = false;
    direct_ = !overlap;
}

bool ExtractionPipeline::Write(const uint8_t* data, size_t size) {
    if (size == 0) return true;
    if (direct_) {
        // Only this thread touches the file and the flag until Finish.
        if (!failed_ && !file_->Write(data, size)) failed_ = true;
        return !failed_;
    }
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return !free_.empty() || failed_; });
    if (failed_) return false;
    Block block = std::move(free_.back());
    free_.pop_back();
    lock.unlock();
    block.bytes.assign(data, data + size);  // copied outside the lock
    lock.lock();
    queued_.push_back(std::move(block));
    lock.unlock();
    changed_.notify_all();
    return true;
}

bool ExtractionPipeline::Finish() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return queued_.empty() && !writing_; });
    file_ = nullptr;
    return !failed_;
}

void ExtractionPipeline::Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return !queued_.empty() || stopping_; });
        if (queued_.empty()) return;  // stopping, nothing left
        Block block = std::move(queued_.front());
        queued_.pop_front();
        writing_ = true;
        bool skip = failed_;
        ExtractedFile* file = file_;
        lock.unlock();
        bool ok = skip || file->Write(block.bytes.data(), block.bytes.size());
        lock.lock();
        writing_ = false;
        if (!ok) failed_ = true;
        free_.push_back(std::move(block));
        changed_.notify_all();
    }
}

}  // namespace zipcore
