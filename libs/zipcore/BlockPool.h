// Large buffers kept for the next member instead of being freed. Under
// Wine every block of about a megabyte is mapped on allocation and unmapped
// on release (and its pages fault in again, zero-filled), which costs more
// than filling it; the compressor's chunks are all of one size, so the
// blocks it has finished with serve the next chunks as they are.
// Thread-safe. Portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

namespace zipcore {

class BlockPool {
public:
    // Requests of at least `largeSize` bytes get blocks of at least
    // `blockSize` capacity; at most `keep` idle blocks are held.
    BlockPool(size_t largeSize, size_t blockSize, size_t keep);
    BlockPool(const BlockPool&) = delete;
    BlockPool& operator=(const BlockPool&) = delete;

    // An empty buffer with room for `wanted` bytes: a kept block for a
    // large request, a plain new buffer for a small one.
    std::vector<uint8_t> Take(size_t wanted);

    // Gives a buffer back; a large one is kept when there is room.
    void Give(std::vector<uint8_t> buffer);

    size_t Kept() const;

private:
    const size_t largeSize_;
    const size_t blockSize_;
    const size_t keep_;
    mutable std::mutex mutex_;
    std::vector<std::vector<uint8_t>> idle_;
};

}  // namespace zipcore
