#include "BlockPool.h"

#include <algorithm>

namespace zipcore {

BlockPool::BlockPool(size_t largeSize, size_t blockSize, size_t keep)
    : largeSize_(largeSize), blockSize_(std::max(blockSize, largeSize)), keep_(keep) {}

std::vector<uint8_t> BlockPool::Take(size_t wanted) {
    std::vector<uint8_t> buffer;
    if (wanted < largeSize_) {
        buffer.reserve(wanted);
        return buffer;
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!idle_.empty()) {
            buffer = std::move(idle_.back());
            idle_.pop_back();
        }
    }
    buffer.reserve(std::max(wanted, blockSize_));
    return buffer;
}

void BlockPool::Give(std::vector<uint8_t> buffer) {
    if (buffer.capacity() < blockSize_) return;
    buffer.clear();
    std::lock_guard<std::mutex> lock(mutex_);
    if (idle_.size() < keep_) idle_.push_back(std::move(buffer));
}

size_t BlockPool::Kept() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return idle_.size();
}

}  // namespace zipcore
