#include "FileWriterPool.h"

#include <algorithm>

namespace zipcore {

FileWriterPool::FileWriterPool(UnzipHost& host, unsigned workers) : host_(host) {
    for (unsigned i = 0; i < workers; ++i) workers_.emplace_back([this] { Work(); });
}

FileWriterPool::~FileWriterPool() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    work_.notify_all();
    for (std::thread& worker : workers_) worker.join();
}

bool FileWriterPool::Full() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return slots_.size() >= kMaxFiles || bytesHeld_ >= kMaxBytes;
}

void FileWriterPool::Hand(File file) {
    bool wake = false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        bytesHeld_ += file.bytes.capacity();
        ++keysHeld_[file.key];
        slots_.push_back(Slot{std::move(file), false});
        wake = idle_ > 0;
    }
    if (wake) work_.notify_one();
}

std::vector<FileWriterPool::File> FileWriterPool::TakeDone(Wait wait) {
    std::unique_lock<std::mutex> lock(mutex_);
    switch (wait) {
    case Wait::No: wanted_ = 0; break;
    case Wait::ForRoom: wanted_ = std::max<size_t>(1, slots_.size() / 4); break;
    case Wait::ForAll: wanted_ = slots_.size(); break;
    }
    done_.wait(lock, [this] { return doneAtFront_ >= wanted_; });
    wanted_ = 0;
    std::vector<File> files;
    files.reserve(doneAtFront_);
    for (; doneAtFront_ > 0; --doneAtFront_) {
        File& file = slots_.front().file;
        bytesHeld_ -= file.bytes.capacity();
        auto held = keysHeld_.find(file.key);
        if (--held->second == 0) keysHeld_.erase(held);
        files.push_back(std::move(file));
        slots_.pop_front();
        --firstUnstarted_;
    }
    return files;
}

bool FileWriterPool::Holds(const std::string& key) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return keysHeld_.count(key) != 0;
}

void FileWriterPool::Work() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        ++idle_;
        work_.wait(lock, [this] { return stopping_ || firstUnstarted_ < slots_.size(); });
        --idle_;
        if (stopping_) return;
        Slot& slot = slots_[firstUnstarted_++];
        lock.unlock();
        WriteOne(slot.file);
        lock.lock();
        slot.done = true;
        while (doneAtFront_ < slots_.size() && slots_[doneAtFront_].done) ++doneAtFront_;
        if (wanted_ > 0 && doneAtFront_ >= wanted_) done_.notify_one();
    }
}

void FileWriterPool::WriteOne(File& file) {
    // Nothing may leave a worker thread: a file that cannot even be made
    // (out of memory) is told as not created.
    try {
        WriteOrRefuse(file);
    } catch (...) {
        file.outcome = Outcome::CommitFailed;
    }
}

void FileWriterPool::WriteOrRefuse(File& file) {
    std::unique_ptr<ExtractedFile> created = host_.CreateInPlace(file.path);
    if (!created)
        file.outcome = Outcome::NameTaken;
    else if (!file.bytes.empty() && !created->Write(file.bytes.data(), file.bytes.size()))
        file.outcome = Outcome::WriteFailed;
    else if (!created->Commit(file.path, file.stamp))
        file.outcome = Outcome::CommitFailed;
    else
        file.outcome = Outcome::Written;
}

}  // namespace zipcore
