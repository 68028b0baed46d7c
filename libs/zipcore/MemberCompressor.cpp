#include "MemberCompressor.h"

#include <libdeflate.h>
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

// Deflates a member whose whole data is in memory in one call: libdeflate
// compresses such a buffer faster than zlib's streaming deflate at the
// same level, and as tightly. One per worker, reused for every member.
class WholeDeflater {
public:
    explicit WholeDeflater(int level) : compressor_(libdeflate_alloc_compressor(level)) {}
    ~WholeDeflater() {
        if (compressor_) libdeflate_free_compressor(compressor_);
    }
    WholeDeflater(const WholeDeflater&) = delete;
    WholeDeflater& operator=(const WholeDeflater&) = delete;

    // False when the compressor could not be made (out of memory).
    bool Ready() const { return compressor_ != nullptr; }

    // The bytes `Compress` may need for `size` bytes of input.
    size_t Bound(size_t size) const { return libdeflate_deflate_compress_bound(compressor_, size); }

    // Deflates `input` into `output` as one final stream. Leaves `output`
    // empty when the stream would be no smaller than the data: the member
    // is stored instead.
    void Compress(const std::vector<uint8_t>& input, std::vector<uint8_t>& output) {
        output.resize(Bound(input.size()));
        size_t produced = input.empty() ? 0
                                        : libdeflate_deflate_compress(compressor_, input.data(), input.size(),
                                                                      output.data(), output.size());
        output.resize(produced < input.size() ? produced : 0);
    }

private:
    libdeflate_compressor* compressor_;
};

// A worker's compressors, each made at the first chunk that needs it.
struct MemberCompressor::Engines {
    std::unique_ptr<WholeDeflater> whole;
    std::unique_ptr<DeflateStream> stream;
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

namespace {

constexpr unsigned kMaxThreads = 8;
// Buffers from this size on come from the pool (the size from which
// Wine's heap maps a block of its own is just under 1 MiB on 64 bits,
// about 512 KiB on 32 bits).
constexpr size_t kLargeBuffer = 256u << 10;
constexpr uint64_t kMaxBytesInFlight = 16u << 20;

unsigned WorkerCount(unsigned wanted) {
    if (wanted == 0) wanted = std::thread::hardware_concurrency();
    return std::min(std::max(wanted, 1u), kMaxThreads);
}

}  // namespace

// Gathers whole small members into one slot and hands it over when full.
class MemberCompressor::Batch {
public:
    explicit Batch(MemberCompressor& owner) : owner_(owner) {}

    // False when the job has stopped.
    bool Add(CompressedChunk chunk) {
        if (!slot_) slot_ = std::make_shared<Slot>();
        slot_->bytes += chunk.input.capacity();
        slot_->chunks.push_back(std::move(chunk));
        const CompressorSettings& settings = owner_.settings_;
        if (slot_->bytes >= settings.batchBytes || slot_->chunks.size() >= settings.batchMembers) return Flush();
        return true;
    }

    bool Flush() {
        if (!slot_) return true;
        return owner_.Submit(std::move(slot_));
    }

private:
    MemberCompressor& owner_;
    std::shared_ptr<Slot> slot_;
};

MemberCompressor::MemberCompressor(std::vector<CompressorTask> tasks, const CompressorSettings& settings)
    : tasks_(std::move(tasks)),
      settings_(settings),
      maxSlots_(4 * static_cast<size_t>(WorkerCount(settings.threads)) + 4),
      maxBytes_(std::min<uint64_t>(kMaxBytesInFlight, (2 * static_cast<uint64_t>(WorkerCount(settings.threads)) + 4) *
                                                          std::max<size_t>(settings.chunkSize, kWindowSize))),
      // A block holds a whole chunk, or the deflate output of one.
      pool_(std::min(kLargeBuffer, std::max<size_t>(settings.chunkSize, kWindowSize)),
            std::max<size_t>(settings.chunkSize, kWindowSize) * 9 / 8 + 4096, WorkerCount(settings.threads) + 4) {
    const unsigned threads = WorkerCount(settings_.threads);
    if (settings_.chunkSize < kWindowSize) settings_.chunkSize = kWindowSize;
    settings_.batchMembers = std::max<size_t>(settings_.batchMembers, 1);
    for (unsigned i = 0; i < threads; ++i) workers_.emplace_back([this] { WorkerLoop(); });
    reader_ = std::thread([this] { ReadAll(); });
}

MemberCompressor::~MemberCompressor() { Stop(); }

void MemberCompressor::Stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    spaceFreed_.notify_all();
    workQueued_.notify_all();
    resultReady_.notify_all();
    if (reader_.joinable()) reader_.join();
    for (auto& worker : workers_) {
        if (worker.joinable()) worker.join();
    }
}

bool MemberCompressor::Next(CompressedChunk& chunk) {
    if (!current_ || taken_ == current_->chunks.size()) {
        current_.reset();
        std::unique_lock<std::mutex> lock(mutex_);
        resultReady_.wait(lock, [this] {
            return stop_ || (!order_.empty() && order_.front()->done) || (readingDone_ && order_.empty());
        });
        if (stop_ || order_.empty()) return false;
        current_ = std::move(order_.front());
        order_.pop_front();
        bytesInFlight_ -= current_->bytes;
        taken_ = 0;
        lock.unlock();
        spaceFreed_.notify_one();
    }
    chunk = std::move(current_->chunks[taken_++]);
    return true;
}

void MemberCompressor::Recycle(CompressedChunk& chunk) {
    pool_.Give(std::move(chunk.input));
    pool_.Give(std::move(chunk.deflated));
    chunk.input = {};
    chunk.deflated = {};
}

bool MemberCompressor::Submit(std::shared_ptr<Slot> slot) {
    const bool needsWork = std::any_of(slot->chunks.begin(), slot->chunks.end(), [](const CompressedChunk& chunk) {
        return chunk.status == CompressedChunk::Status::Data;
    });
    std::unique_lock<std::mutex> lock(mutex_);
    // A slot larger than the bound on its own still goes when nothing else
    // is in flight.
    spaceFreed_.wait(lock, [&] {
        return stop_ || (order_.size() < maxSlots_ && (order_.empty() || bytesInFlight_ + slot->bytes <= maxBytes_));
    });
    if (stop_) return false;
    slot->done = !needsWork;
    bytesInFlight_ += slot->bytes;
    order_.push_back(slot);
    if (needsWork) jobs_.push_back(slot);
    const bool readyNow = !needsWork && order_.size() == 1;
    lock.unlock();
    if (needsWork) workQueued_.notify_one();
    if (readyNow) resultReady_.notify_one();
    return true;
}

void MemberCompressor::ReadAll() {
    Batch batch(*this);
    bool going = true;
    for (size_t i = 0; going && i < tasks_.size(); ++i) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (stop_) break;
        }
        going = ReadTask(i, batch);
    }
    if (going) batch.Flush();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        readingDone_ = true;
    }
    workQueued_.notify_all();
    resultReady_.notify_all();
}

bool MemberCompressor::ReadTask(size_t taskIndex, Batch& batch) {
    auto failed = [&](CompressedChunk::Status status) {
        CompressedChunk chunk;
        chunk.status = status;
        chunk.task = taskIndex;
        chunk.last = true;
        return batch.Add(std::move(chunk));
    };
    std::unique_ptr<InputStream> source = tasks_[taskIndex].open();
    if (!source) return failed(CompressedChunk::Status::OpenFailed);

    const size_t chunkSize = static_cast<size_t>(
        std::min<uint64_t>(settings_.chunkSize, std::max<uint64_t>(tasks_[taskIndex].expectedSize + 1, 4096)));
    std::vector<uint8_t> current = pool_.Take(chunkSize);
    if (!ReadFully(*source, current, chunkSize)) return failed(CompressedChunk::Status::ReadFailed);
    const bool isText = settings_.conversion != TextConversion::None && LooksLikeText(current.data(), current.size());
    if (current.size() == chunkSize) {
        // More may follow: a large member, in chunks of its own, after the
        // small members gathered so far.
        return batch.Flush() && ReadChunks(taskIndex, std::move(source), std::move(current), chunkSize, isText, batch);
    }
    source.reset();  // closed before the batch waits for room
    if (isText) LineEndConverter(settings_.conversion).Convert(current, true);
    CompressedChunk chunk;
    chunk.task = taskIndex;
    chunk.last = true;
    chunk.isText = isText;
    chunk.inputSize = current.size();
    chunk.input = std::move(current);
    return batch.Add(std::move(chunk));
}

bool MemberCompressor::ReadChunks(size_t taskIndex, std::unique_ptr<InputStream> source, std::vector<uint8_t> current,
                                  size_t chunkSize, bool isText, Batch& batch) {
    LineEndConverter converter(settings_.conversion);
    std::vector<uint8_t> dictionary;
    for (size_t index = 0;; ++index) {
        // Reading one chunk ahead tells whether the current one is the last.
        bool last = current.size() < chunkSize;
        std::vector<uint8_t> next;
        if (!last) {
            next = pool_.Take(chunkSize);
            if (!ReadFully(*source, next, chunkSize)) {
                CompressedChunk chunk;
                chunk.status = CompressedChunk::Status::ReadFailed;
                chunk.task = taskIndex;
                chunk.last = true;
                return batch.Add(std::move(chunk)) && batch.Flush();
            }
            last = next.empty();
        }
        if (isText) converter.Convert(current, last);
        auto slot = std::make_shared<Slot>();
        slot->chunks.emplace_back();
        CompressedChunk& chunk = slot->chunks.back();
        chunk.task = taskIndex;
        chunk.index = index;
        chunk.last = last;
        chunk.isText = isText;
        chunk.inputSize = current.size();
        slot->bytes = current.capacity();
        slot->dictionary = dictionary;
        if (!last && settings_.level > 0) {
            size_t keep = std::min(current.size(), kWindowSize);
            dictionary.assign(current.end() - static_cast<std::ptrdiff_t>(keep), current.end());
        }
        chunk.input = std::move(current);
        if (!Submit(slot)) return false;
        if (last) {
            pool_.Give(std::move(next));
            return true;
        }
        current = std::move(next);
    }
}

void MemberCompressor::WorkerLoop() {
    Engines engines;
    for (;;) {
        std::shared_ptr<Slot> slot;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            workQueued_.wait(lock, [this] { return stop_ || !jobs_.empty() || readingDone_; });
            if (stop_) return;
            if (jobs_.empty()) return;  // reading is done and nothing is left
            slot = jobs_.front();
            jobs_.pop_front();
        }
        Compress(*slot, engines);
        bool first;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            slot->done = true;
            first = !order_.empty() && order_.front() == slot;
        }
        // Only the oldest slot can be taken next: later ones wake no one.
        if (first) resultReady_.notify_one();
    }
}

void MemberCompressor::Compress(Slot& slot, Engines& engines) {
    for (CompressedChunk& chunk : slot.chunks) {
        if (chunk.status == CompressedChunk::Status::Data) CompressChunk(chunk, slot.dictionary, engines);
    }
    slot.dictionary.clear();
}

void MemberCompressor::CompressChunk(CompressedChunk& chunk, const std::vector<uint8_t>& dictionary,
                                     Engines& engines) {
    chunk.crc = libdeflate_crc32(0, chunk.input.data(), chunk.input.size());
    if (settings_.level == 0) return;
    // A whole member (at most one chunk) is deflated in one call; the
    // chunks of a large one go through zlib, which continues a stream
    // across them.
    const bool whole = chunk.index == 0 && chunk.last;
    if (whole && !engines.whole) engines.whole = std::make_unique<WholeDeflater>(settings_.level);
    if (whole && engines.whole->Ready()) {
        chunk.deflated = pool_.Take(engines.whole->Bound(chunk.input.size()));
        engines.whole->Compress(chunk.input, chunk.deflated);
        return;  // the source bytes stay, for a member stored after all
    }
    if (!engines.stream) engines.stream = std::make_unique<DeflateStream>(settings_.level);
    chunk.deflated = pool_.Take(compressBound(static_cast<uLong>(chunk.input.size())) + 64);
    if (!engines.stream->Compress(dictionary, chunk.input, chunk.last, chunk.deflated)) {
        // zlib failing on valid input means memory ran out: report the
        // member as unreadable rather than writing a broken one.
        chunk.status = CompressedChunk::Status::ReadFailed;
        chunk.deflated.clear();
    }
    if (!whole) {
        pool_.Give(std::move(chunk.input));
        chunk.input = {};
    }
}

}  // namespace zipcore
