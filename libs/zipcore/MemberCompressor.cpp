#include "MemberCompressor.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace zipcore {

namespace {

constexpr size_t kWindowSize = 32768;

}  // namespace

// One deflate stream per worker, reset between chunks: initialising zlib
// for every small file would cost more than compressing it.
class DeflateStream {
public:
    explicit DeflateStream(int level) {
        std::memset(&stream_, 0, sizeof stream_);
        ok_ = deflateInit2(&stream_, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) == Z_OK;
    }
    ~DeflateStream() {
        if (ok_) deflateEnd(&stream_);
    }
    DeflateStream(const DeflateStream&) = delete;
    DeflateStream& operator=(const DeflateStream&) = delete;

    // Compresses `input` into `output`. A chunk that is not the member's
    // last ends with a sync flush, so the next chunk's data follows on a
    // byte boundary and the concatenation is one valid deflate stream.
    bool Compress(const std::vector<uint8_t>& dictionary, const std::vector<uint8_t>& input, bool last,
                  std::vector<uint8_t>& output) {
        if (!ok_ || deflateReset(&stream_) != Z_OK) return false;
        if (!dictionary.empty() &&
            deflateSetDictionary(&stream_, dictionary.data(), static_cast<uInt>(dictionary.size())) != Z_OK) {
            return false;
        }
        output.resize(deflateBound(&stream_, static_cast<uLong>(input.size())) + 64);
        stream_.next_in = const_cast<Bytef*>(input.data());
        stream_.avail_in = static_cast<uInt>(input.size());
        size_t produced = 0;
        int flush = last ? Z_FINISH : Z_SYNC_FLUSH;
        for (;;) {
            stream_.next_out = output.data() + produced;
            stream_.avail_out = static_cast<uInt>(output.size() - produced);
            int result = deflate(&stream_, flush);
            produced = output.size() - stream_.avail_out;
            if (result == Z_STREAM_END) break;
            if (result != Z_OK && result != Z_BUF_ERROR) return false;
            if (!last && stream_.avail_in == 0 && stream_.avail_out != 0) break;
            output.resize(output.size() * 2);
        }
        output.resize(produced);
        return true;
    }

private:
    z_stream stream_;
    bool ok_ = false;
};

void LineEndConverter::Convert(std::vector<uint8_t>& data, bool atEnd) {
    if (mode_ == TextConversion::CrLfToLf) {
        CrLfToLf(data, atEnd);
    } else if (mode_ == TextConversion::LfToCrLf) {
        LfToCrLf(data);
    }
}

void LineEndConverter::CrLfToLf(std::vector<uint8_t>& data, bool atEnd) {
    std::vector<uint8_t> out;
    out.reserve(data.size() + 1);
    for (uint8_t byte : data) {
        if (pendingCr_) {
            pendingCr_ = false;
            if (byte != '\n') out.push_back('\r');
        }
        if (byte == '\r') {
            pendingCr_ = true;
        } else {
            out.push_back(byte);
        }
    }
    if (atEnd && pendingCr_) {
        out.push_back('\r');
        pendingCr_ = false;
    }
    data.swap(out);
}

void LineEndConverter::LfToCrLf(std::vector<uint8_t>& data) {
    std::vector<uint8_t> out;
    out.reserve(data.size() + data.size() / 16 + 16);
    for (uint8_t byte : data) {
        if (byte == '\n' && !previousCr_) out.push_back('\r');
        out.push_back(byte);
        previousCr_ = (byte == '\r');
    }
    data.swap(out);
}

bool LooksLikeText(const uint8_t* data, size_t size) {
    for (size_t i = 0; i < size; ++i) {
        uint8_t c = data[i];
        if (c < 7 || (c > 13 && c < 32 && c != 26 && c != 27)) return false;
    }
    return true;
}

MemberCompressor::MemberCompressor(std::vector<CompressorTask> tasks, const CompressorSettings& settings)
    : tasks_(std::move(tasks)), settings_(settings) {
    unsigned threads = settings_.threads;
    if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
    if (settings_.chunkSize < kWindowSize) settings_.chunkSize = kWindowSize;
    maxInFlight_ = 4 * static_cast<size_t>(threads) + 4;
    for (unsigned i = 0; i < threads; ++i) workers_.emplace_back([this] { WorkerLoop(); });
    reader_ = std::thread([this] { ReadAll(); });
}

MemberCompressor::~MemberCompressor() { Stop(); }

void MemberCompressor::Stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    if (reader_.joinable()) reader_.join();
    for (auto& worker : workers_) {
        if (worker.joinable()) worker.join();
    }
}

bool MemberCompressor::Next(CompressedChunk& chunk) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] {
        return stop_ || (!order_.empty() && order_.front()->done) || (readingDone_ && order_.empty());
    });
    if (stop_ || order_.empty()) return false;
    chunk = std::move(order_.front()->chunk);
    order_.pop_front();
    lock.unlock();
    changed_.notify_all();
    return true;
}

bool MemberCompressor::Submit(std::shared_ptr<Slot> slot, bool needsWork) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return stop_ || order_.size() < maxInFlight_; });
    if (stop_) return false;
    slot->done = !needsWork;
    order_.push_back(slot);
    if (needsWork) jobs_.push_back(slot);
    lock.unlock();
    changed_.notify_all();
    return true;
}

void MemberCompressor::ReadAll() {
    for (size_t i = 0; i < tasks_.size(); ++i) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (stop_) break;
        }
        ReadTask(i);
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        readingDone_ = true;
    }
    changed_.notify_all();
}

void MemberCompressor::ReadTask(size_t taskIndex) {
    auto failed = [&](CompressedChunk::Status status) {
        auto slot = std::make_shared<Slot>();
        slot->chunk.status = status;
        slot->chunk.task = taskIndex;
        slot->chunk.last = true;
        Submit(slot, false);
    };
    std::unique_ptr<InputStream> source = tasks_[taskIndex].open();
    if (!source) return failed(CompressedChunk::Status::OpenFailed);

    const size_t chunkSize = static_cast<size_t>(
        std::min<uint64_t>(settings_.chunkSize, std::max<uint64_t>(tasks_[taskIndex].expectedSize + 1, 4096)));
    LineEndConverter converter(settings_.conversion);
    bool convert = settings_.conversion != TextConversion::None;
    std::vector<uint8_t> current, next, dictionary;
    if (!ReadFully(*source, current, chunkSize)) return failed(CompressedChunk::Status::ReadFailed);
    bool isText = convert && LooksLikeText(current.data(), current.size());
    convert = convert && isText;
    for (size_t index = 0;; ++index) {
        // Reading one chunk ahead tells whether the current one is the last.
        bool last = current.size() < chunkSize;
        if (!last) {
            if (!ReadFully(*source, next, chunkSize)) return failed(CompressedChunk::Status::ReadFailed);
            last = next.empty();
        }
        if (convert) converter.Convert(current, last);
        auto slot = std::make_shared<Slot>();
        CompressedChunk& chunk = slot->chunk;
        chunk.task = taskIndex;
        chunk.index = index;
        chunk.last = last;
        chunk.isText = isText;
        chunk.inputSize = current.size();
        slot->dictionary = dictionary;
        if (!last && settings_.level > 0) {
            size_t keep = std::min(current.size(), kWindowSize);
            dictionary.assign(current.end() - static_cast<std::ptrdiff_t>(keep), current.end());
        }
        chunk.input = std::move(current);
        if (!Submit(slot, true) || last) return;
        current = std::move(next);
        next.clear();
    }
}

void MemberCompressor::WorkerLoop() {
    std::unique_ptr<DeflateStream> stream;
    if (settings_.level > 0) stream = std::make_unique<DeflateStream>(settings_.level);
    for (;;) {
        std::shared_ptr<Slot> slot;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [this] { return stop_ || !jobs_.empty() || readingDone_; });
            if (stop_) return;
            if (jobs_.empty()) return;  // reading is done and nothing is left
            slot = jobs_.front();
            jobs_.pop_front();
        }
        Compress(*slot, stream.get());
        {
            std::lock_guard<std::mutex> lock(mutex_);
            slot->done = true;
        }
        changed_.notify_all();
    }
}

void MemberCompressor::Compress(Slot& slot, DeflateStream* stream) {
    CompressedChunk& chunk = slot.chunk;
    chunk.crc = static_cast<uint32_t>(crc32(0L, chunk.input.data(), static_cast<uInt>(chunk.input.size())));
    if (settings_.level > 0) {
        if (!stream->Compress(slot.dictionary, chunk.input, chunk.last, chunk.deflated)) {
            // zlib failing on valid input means memory ran out: report the
            // member as unreadable rather than writing a broken one.
            chunk.status = CompressedChunk::Status::ReadFailed;
            chunk.deflated.clear();
        }
        bool mayBeStored = chunk.index == 0 && chunk.last;
        if (!mayBeStored) {
            chunk.input.clear();
            chunk.input.shrink_to_fit();
        }
    }
    slot.dictionary.clear();
}

}  // namespace zipcore
