// The byte streams the archive writer works on. The writer knows no file
// system: the platform layer (the Windows DLL, or the tests' POSIX
// implementation) provides these. Portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace zipcore {

// Sequential reader of one source file. Used from the writer's reading
// thread; one object is never used by two threads at once.
class InputStream {
public:
    virtual ~InputStream() = default;
    // Reads up to `size` bytes. Returns the count read, 0 at the end, or -1
    // on a read error.
    virtual long long Read(void* buffer, size_t size) = 0;
};

// Reads until `buffer` holds `wanted` bytes or the source ends (the buffer
// is then shorter). Returns false on a read error.
inline bool ReadFully(InputStream& source, std::vector<uint8_t>& buffer, size_t wanted) {
    buffer.resize(wanted);
    size_t filled = 0;
    while (filled < wanted) {
        const long long got = source.Read(buffer.data() + filled, wanted - filled);
        if (got < 0) return false;
        if (got == 0) break;
        filled += static_cast<size_t>(got);
    }
    buffer.resize(filled);
    return true;
}

// The archive under construction: a regular file the writer owns, so it
// can be rewound to patch a header or to drop a member that failed.
class OutputFile {
public:
    virtual ~OutputFile() = default;
    // Writes all bytes at the current position; false on any failure
    // (disk full included).
    virtual bool Write(const void* data, size_t size) = 0;
    // Moves the position (always within what was written).
    virtual bool Seek(uint64_t position) = 0;
    // Cuts the file at the current position.
    virtual bool Truncate() = 0;
    // Pushes everything written to the file system.
    virtual bool Flush() = 0;
};

// Random-access reader of an existing archive, used to copy its kept
// members without recompressing them.
class ArchiveInput {
public:
    virtual ~ArchiveInput() = default;
    virtual uint64_t Size() const = 0;
    // Reads exactly `size` bytes at `offset`; false when they are not all there.
    virtual bool ReadAt(uint64_t offset, void* buffer, size_t size) = 0;
};

}  // namespace zipcore
