// Parallel deflate of the members being added. A reading thread cuts each
// large source into chunks and gathers whole small sources into batches;
// worker threads compress chunks and batches independently (each chunk
// primed with the 32 KiB that precede it, so the ratio stays that of one
// stream; each small member a stream of its own, as when compressed alone);
// the caller takes the results back strictly in archive order, one member
// chunk at a time. Memory stays bounded: a fixed number of bytes and of
// batches are in flight, and the large blocks are reused.
// Portable; a whole member is deflated in one call by libdeflate, the
// chunks of a large one by zlib.
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

#include "BlockPool.h"
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
    // Raw deflate data (level > 0). Empty for a whole member whose deflate
    // stream would be no smaller than its data: it is stored.
    std::vector<uint8_t> deflated;
    // The source bytes themselves, kept when the member may be stored:
    // level 0, or a member that fits in one chunk.
    std::vector<uint8_t> input;
};

struct CompressorSettings {
    int level = 6;  // 0 stores, 1-9 deflate
    TextConversion conversion = TextConversion::None;
    unsigned threads = 0;  // 0: one per core, at most 8
    size_t chunkSize = 1u << 20;
    // Members that fit in one chunk travel together, up to these many bytes
    // or members a batch: every hand-over between threads costs several
    // system calls under Wine, more than compressing a small file.
    size_t batchBytes = 256u << 10;
    size_t batchMembers = 64;
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

    // Hands back the buffers of a chunk the caller has written, for the
    // chunks still to come.
    void Recycle(CompressedChunk& chunk);

    // Abandons the remaining work (a cancelled or failed job).
    void Stop();

    // Large blocks waiting for reuse (for tests).
    size_t KeptBlocks() const { return pool_.Kept(); }

private:
    // One unit of work: one chunk of a large member, or a batch of whole
    // small members (and of members that failed to open or read, which
    // keep their place in the order).
    struct Slot {
        std::vector<CompressedChunk> chunks;
        std::vector<uint8_t> dictionary;  // a large member's chunk after the first
        uint64_t bytes = 0;               // source bytes held, for the bound
        bool done = false;
    };
    class Batch;
    struct Engines;

    void ReadAll();
    bool ReadTask(size_t taskIndex, Batch& batch);
    bool ReadChunks(size_t taskIndex, std::unique_ptr<InputStream> source, std::vector<uint8_t> current,
                    size_t chunkSize, bool isText, Batch& batch);
    bool Submit(std::shared_ptr<Slot> slot);
    void WorkerLoop();
    void Compress(Slot& slot, Engines& engines);
    void CompressChunk(CompressedChunk& chunk, const std::vector<uint8_t>& dictionary, Engines& engines);

    std::vector<CompressorTask> tasks_;
    CompressorSettings settings_;
    size_t maxSlots_;
    uint64_t maxBytes_;
    BlockPool pool_;

    std::mutex mutex_;
    std::condition_variable spaceFreed_;   // the reader waits for room
    std::condition_variable workQueued_;   // the workers wait for work
    std::condition_variable resultReady_;  // the caller waits for the next slot
    std::deque<std::shared_ptr<Slot>> order_;
    std::deque<std::shared_ptr<Slot>> jobs_;
    uint64_t bytesInFlight_ = 0;
    bool readingDone_ = false;
    bool stop_ = false;

    // The slot the caller is taking chunks from (its thread only).
    std::shared_ptr<Slot> current_;
    size_t taken_ = 0;

    std::thread reader_;
    std::vector<std::thread> workers_;
};

// True when the bytes look like text (no control characters other than
// the usual layout ones); line-end conversion applies to text only.
bool LooksLikeText(const uint8_t* data, size_t size);

}  // namespace zipcore
