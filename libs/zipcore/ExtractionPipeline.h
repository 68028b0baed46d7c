// Reading side of the Zip core: writes extracted bytes to their files on a
// second thread, so that inflating the next block overlaps the file
// system's work on the previous one. Memory stays bounded: a fixed number
// of blocks circulate between the two threads. A small file is written on
// the caller's thread instead: handing its few blocks over costs more than
// the overlap saves (under Wine each wait and wake is a round trip to the
// wineserver), and the thread is only started by the first large file.
// Portable.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "UnzipHost.h"

namespace zipcore {

class ExtractionPipeline {
public:
    ExtractionPipeline();
    ~ExtractionPipeline();  // waits for the queued blocks, then ends the thread
    ExtractionPipeline(const ExtractionPipeline&) = delete;
    ExtractionPipeline& operator=(const ExtractionPipeline&) = delete;

    // Starts a file: following Write calls go to `file`, through the
    // second thread when `overlap`, else straight away. The previous file
    // must have been finished.
    void Begin(ExtractedFile& file, bool overlap);
    // Queues a copy of the bytes; false once a write to the file failed.
    bool Write(const uint8_t* data, size_t size);
    // Waits until every queued byte of the current file is written; false
    // when any write failed. Afterwards the file may be committed.
    bool Finish();

    static constexpr size_t kBlocks = 4;
    // Files from this size on are worth writing on the second thread.
    static constexpr uint64_t kOverlapFrom = 1024 * 1024;

private:
    struct Block {
        std::vector<uint8_t> bytes;
    };
    void Run();

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Block> queued_;
    std::vector<Block> free_;
    ExtractedFile* file_ = nullptr;
    bool writing_ = false;  // the thread holds a block
    bool failed_ = false;
    bool stopping_ = false;
    bool direct_ = false;  // the current file is written on the caller's thread
    std::thread thread_;   // started by the first overlapped file
};

}  // namespace zipcore
