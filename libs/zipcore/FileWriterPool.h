// Reading side of the Zip core: small extracted files, whole in memory and
// already checked, are created and written by worker threads, several at a
// time, while the job reads the next members. For a small member, making
// the file costs far more than inflating it (under Wine each new name is
// searched for in its whole folder first), and those costs then run on
// every core at once. The job takes the outcomes back in the order it
// handed the files over, so what it says and counts keeps archive order.
// Portable.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "BlockPool.h"
#include "UnzipHost.h"

namespace zipcore {

class FileWriterPool {
public:
    enum class Outcome {
        Written,       // the file is complete under its name
        NameTaken,     // a file or folder of that name exists: nothing written
        WriteFailed,   // writing failed (disk full?): the file was removed
        CommitFailed,  // closing, stamping or naming it failed
    };
    struct File {
        size_t member = 0;           // the caller's own reference
        std::string path;            // created only while free (CreateInPlace)
        std::string key;             // two paths with one key are one file
        std::vector<uint8_t> bytes;  // the file's whole content
        FileStamp stamp;
        Outcome outcome = Outcome::Written;
    };

    // Files up to this size are worth handing over whole.
    static constexpr uint64_t kLargestFile = 1024 * 1024;

    FileWriterPool(UnzipHost& host, unsigned workers);
    // Lets the workers finish the file in hand; files not started yet are
    // not created.
    ~FileWriterPool();
    FileWriterPool(const FileWriterPool&) = delete;
    FileWriterPool& operator=(const FileWriterPool&) = delete;

    // True when files must be taken back before the next is handed.
    bool Full() const;
    void Hand(File file);
    enum class Wait {
        No,       // only the files done already
        ForRoom,  // until a quarter of the files held are done
        ForAll,   // until every file held is done
    };
    // Takes back, oldest first, the oldest files that are done, after
    // waiting as asked. Waiting for many files at once spares a wake-up per
    // file: under Wine each one is a round trip to the wineserver.
    std::vector<File> TakeDone(Wait wait);
    // Whether a file of this key is handed over and not taken back yet.
    bool Holds(const std::string& key) const;
    // A byte buffer for the next file of `size` bytes; a large one is
    // reused from the files taken back (under Wine a large block given back
    // to the system is unmapped, and mapped again for the next file).
    std::vector<uint8_t> Buffer(size_t size) { return buffers_.Take(size); }
    void GiveBack(std::vector<uint8_t> buffer) { buffers_.Give(std::move(buffer)); }

private:
    static constexpr size_t kMaxFiles = 256;
    static constexpr size_t kMaxBytes = 8 * 1024 * 1024;  // held by the files handed over

    struct Slot {
        File file;
        bool done = false;
    };
    void Work();
    void WriteOne(File& file);
    void WriteOrRefuse(File& file);

    UnzipHost& host_;
    mutable std::mutex mutex_;
    std::condition_variable work_;  // workers wait for a file to start
    std::condition_variable done_;  // the caller waits for the oldest file
    // Handed over and not taken back, oldest first. References to them
    // stay valid while files are added at the back and taken at the front.
    std::deque<Slot> slots_;
    size_t firstUnstarted_ = 0;  // index in slots_ of the next file to start
    size_t doneAtFront_ = 0;     // the oldest slots that are done, in a row
    size_t wanted_ = 0;          // how many of those the caller waits for (0: not waiting)
    unsigned idle_ = 0;          // workers waiting for a file
    size_t bytesHeld_ = 0;
    std::unordered_map<std::string, int> keysHeld_;
    // Blocks of 256 KiB and more come back for the next files, at most
    // four (4 MiB).
    BlockPool buffers_{256 * 1024, kLargestFile, 4};
    bool stopping_ = false;
    std::vector<std::thread> workers_;
};

}  // namespace zipcore
