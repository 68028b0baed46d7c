// Reading side of the Zip core: streams one member's data out of the
// archive, decrypting (traditional PKWARE) and inflating (raw deflate) as it
// goes, and checks the result against the central directory's CRC-32 and
// size. Portable.
//
// Memory is bounded: one extractor owns two buffers of at most kBufferSize
// and one inflate stream, reused for every member, whatever the members'
// sizes; a job keeps one extractor for all its members, because allocating
// large blocks per member is costly on some platforms (under Wine each one
// maps and unmaps memory). The buffers are made when first needed and are
// never cleared: a job of small stored members never touches 512 KiB.
// Output never exceeds the member's declared size, so a forged size cannot
// make it write more than announced.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ArchiveReader.h"
#include "WriterIo.h"

namespace zipcore {

enum class ExtractStatus {
    Ok,
    UnsupportedMethod,      // not stored or deflated (deflate64, bzip2, ...)
    UnsupportedEncryption,  // AES or strong encryption
    HeaderMismatch,         // local header missing or disagreeing with the directory
    Overlap,                // the member's data runs into another member
    OutOfBounds,            // the member's data runs past the archive's data
    BadPassword,            // check byte of the encryption header does not match
    DataError,              // the compressed data is corrupt
    Truncated,              // the compressed data ends before the stream does
    SizeMismatch,           // more or fewer bytes than the directory says
    CrcMismatch,
    ReadError,
    WriteFailed,  // the sink refused the bytes
};

// Short English text of a status, for messages ("bad CRC", "overlaps another member").
const char* ExtractStatusText(ExtractStatus status);

// Receives a member's bytes in order.
class MemberSink {
public:
    virtual ~MemberSink() = default;
    virtual bool Write(const uint8_t* data, size_t size) = 0;
};

class InflateStream;

// A byte buffer that is allocated but not cleared: only what was written
// into it is ever read.
class ScratchBuffer {
public:
    // Makes room for `size` bytes (bytes already held are not kept).
    void Reserve(size_t size) {
        if (size <= size_) return;
        bytes_.reset(new uint8_t[size]);
        size_ = size;
    }
    uint8_t* data() { return bytes_.get(); }
    size_t size() const { return size_; }

private:
    std::unique_ptr<uint8_t[]> bytes_;
    size_t size_ = 0;
};

class MemberExtractor {
public:
    explicit MemberExtractor(ArchiveInput& input);
    ~MemberExtractor();
    MemberExtractor(const MemberExtractor&) = delete;
    MemberExtractor& operator=(const MemberExtractor&) = delete;

    // Checks that the member can be read: supported method and encryption,
    // local header present and agreeing with the directory, data within
    // the member's extent. Must succeed before PasswordMatches or Extract.
    // May be called again for another member once the previous one is done
    // with: nothing of the previous member is kept.
    ExtractStatus Prepare(const MemberInfo& member);

    // For an encrypted member: whether `password` passes the check byte of
    // its encryption header (a wrong password passes once in 256 times; the
    // CRC then catches it).
    bool PasswordMatches(const std::string& password);

    // Streams the prepared member into `sink`. `password` is used only for
    // encrypted members.
    ExtractStatus Extract(MemberSink& sink, const std::string& password);

    // CRC-32 of the bytes produced by the last Extract.
    uint32_t ProducedCrc() const { return producedCrc_; }

    static constexpr size_t kBufferSize = 256 * 1024;

private:
    class ReadPass;
    ExtractStatus CopyStored(ReadPass& pass, MemberSink& sink);
    ExtractStatus Inflate(ReadPass& pass, MemberSink& sink);
    ExtractStatus Finish(uint64_t produced);

    ArchiveInput& input_;
    const MemberInfo* member_ = nullptr;
    uint64_t dataOffset_ = 0;
    uint32_t producedCrc_ = 0;
    ScratchBuffer inBuffer_;                   // as large as the largest member read so far, up to kBufferSize
    ScratchBuffer outBuffer_;                  // kBufferSize, made at the first deflated member
    std::unique_ptr<InflateStream> inflater_;  // made at the first deflated member, reset for each
};

}  // namespace zipcore
