// Parallel deflate of the members being added. A reading thread cuts each
// source into chunks; worker threads compress chunks independently (each
// chunk primed with the 32 KiB that precede it, so the ratio stays that of
// one stream); the caller takes the results back strictly in archive order.
// Memory stays bounded: at most a fixed number of chunks are in flight.
// Portable; zlib raw deflate.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "WriterIo.h"

namespace zipcore {

enum class TextConversion { None, CrLfToLf, LfToCrLf };

// Line-end conversion carried across chunk boundaries: a CR at the end of
// one chunk may pair with an LF at the start of the next.
class LineEndConverter {
public:
    explicit LineEndConverter(TextConversion mode) : mode_(mode) {}
    // Converts `data` in place; `atEnd` when no more data follows.
    void Convert(std::vector<uint8_t>& data, bool atEnd);

private:
    void CrLfToLf(std::vector<uint8_t>& data, bool atEnd);
    void LfToCrLf(std::vector<uint8_t>& data);

    TextConversion mode_;
    bool pendingCr_ = false;
    bool previousCr_ = false;
};

class DeflateStream;

// One member whose data the compressor reads.
struct CompressorTask {
    // Opens the source; returns nullptr when it cannot be opened. Called on
    // the reading thread.
    std::function<std::unique_ptr<InputStream>()> open;
    uint64_t expectedSize = 0;  // a hint for buffer sizes only
};

struct CompressedChunk {
    enum class Status { Data, OpenFailed, ReadFailed };
    Status status = Status::Data;
    size_t task = 0;                // index into the task list
    size_t index = 0;               // chunk number within its member
    bool last = false;              // the member ends with this chunk
    bool isText = false;            // the member looks like text (judged only when converting line ends)
    uint64_t inputSize = 0;         // bytes of (converted) source in this chunk
    uint32_t crc = 0;               // CRC-32 of those bytes
    std::vector<uint8_t> deflated;  // raw deflate data (level > 0)
    // The source bytes themselves, kept when the member may be stored:
    // level 0, or a member that fits in one chunk.
    std::vector<uint8_t> input;
};

struct CompressorSettings {
    int level = 6;  // 0 stores, 1-9 deflate
    TextConversion conversion = TextConversion::None;
    unsigned threads = 0;  // 0: one per core
    size_t chunkSize = 1u << 20;
};

class MemberCompressor {
public:
    // Starts reading and compressing at once.
    MemberCompressor(std::vector<CompressorTask> tasks, const CompressorSettings& settings);
    ~MemberCompressor();  // stops and joins every thread
    MemberCompressor(const MemberCompressor&) = delete;
    MemberCompressor& operator=(const MemberCompressor&) = delete;

    // Takes the next chunk in order (task by task, chunk by chunk); blocks
    // until it is ready. Returns false when every task has been delivered.
    // A task that fails to open or read ends with a chunk of that status.
    bool Next(CompressedChunk& chunk);

    // Abandons the remaining work (a cancelled or failed job).
    void Stop();

private:
    struct Slot {
        CompressedChunk chunk;
        std::vector<uint8_t> dictionary;
        bool done = false;
    };

    void ReadAll();
    void ReadTask(size_t taskIndex);
    bool Submit(std::shared_ptr<Slot> slot, bool needsWork);
    void WorkerLoop();
    void Compress(Slot& slot, DeflateStream* stream);

    std::vector<CompressorTask> tasks_;
    CompressorSettings settings_;
    size_t maxInFlight_;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::shared_ptr<Slot>> order_;
    std::deque<std::shared_ptr<Slot>> jobs_;
    bool readingDone_ = false;
    bool stop_ = false;

    std::thread reader_;
    std::vector<std::thread> workers_;
};

// True when the bytes look like text (no control characters other than
// the usual layout ones); line-end conversion applies to text only.
bool LooksLikeText(const uint8_t* data, size_t size);

}  // namespace zipcore
