// In-memory files for the fuzz targets: the fuzzed bytes as the archive,
// and outputs that never reach a disk, so that one execution costs what the
// library costs and nothing else.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "WriterIo.h"

namespace fuzzsupport {

// Reads from bytes the caller keeps alive.
class MemoryInput : public zipcore::ArchiveInput {
public:
    MemoryInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint64_t Size() const override { return size_; }
    bool ReadAt(uint64_t offset, void* buffer, size_t size) override {
        if (offset > size_ || size > size_ - offset) return false;
        if (size) std::memcpy(buffer, data_ + offset, size);
        return true;
    }

private:
    const uint8_t* data_;
    size_t size_;
};

// A growable file in memory with the position rules of a real one: writes
// overwrite or extend at the position; seeks stay within what was written.
class MemoryFile {
public:
    bool Write(const void* data, size_t size) {
        const uint8_t* bytes = static_cast<const uint8_t*>(data);
        size_t overlap = std::min(size, bytes_.size() - position_);
        std::copy_n(bytes, overlap, bytes_.begin() + static_cast<std::ptrdiff_t>(position_));
        bytes_.insert(bytes_.end(), bytes + overlap, bytes + size);
        position_ += size;
        return true;
    }
    bool Seek(uint64_t position) {
        if (position > bytes_.size()) return false;
        position_ = static_cast<size_t>(position);
        return true;
    }
    bool Truncate() {
        bytes_.resize(position_);
        return true;
    }
    std::vector<uint8_t>& Bytes() { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
    size_t position_ = 0;
};

}  // namespace fuzzsupport
