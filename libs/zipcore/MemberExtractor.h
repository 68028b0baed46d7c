// Reading side of the Zip core: streams one member's data out of the
// archive, decrypting (traditional PKWARE) and inflating (raw deflate, or
// Deflate64, BZip2 and LZMA through MemberDecoder.h) as it goes, and checks
// the result against the central directory's CRC-32 and size. A small
// deflated member is read and inflated whole in one call (libdeflate)
// instead; when that does not give exactly the declared data, the member
// is streamed as any other, so damage reads the same either way. Portable.
//
// Memory is bounded: one extractor owns two fixed buffers and one inflate
// stream, reused for every member, whatever the members' sizes, and for the
// small members a decompressor with two buffers that grow to the largest
// such member (at most kWholeLimit each); a job keeps one extractor for all
// its members, because allocating large blocks per member is costly on some
// platforms (under Wine each one maps and unmaps memory). Output never
// exceeds the member's declared size, so a forged size cannot make it write
// more than announced.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ArchiveReader.h"
#include "CryptoProvider.h"
#include "WriterIo.h"

namespace zipcore {

enum class ExtractStatus {
    Ok,
    UnsupportedMethod,      // none of stored, deflated, Deflate64, BZip2, LZMA
    UnsupportedEncryption,  // strong encryption, or AES without the platform's cryptography
    AuthenticationFailed,   // AES: the authentication code does not match the data
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
class WholeInflater;
struct AesField;
class WinZipAesDecryptor;

class MemberExtractor {
public:
    // `crypto` (may be null: AES members are then unsupported) decrypts
    // WinZip AES members.
    explicit MemberExtractor(ArchiveInput& input, CryptoProvider* crypto = nullptr);
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
    // CRC then catches it), or AES's 2-byte verifier.
    bool PasswordMatches(const std::string& password);

    // Streams the prepared member into `sink`. `password` is used only for
    // encrypted members.
    ExtractStatus Extract(MemberSink& sink, const std::string& password);

    // CRC-32 of the bytes produced by the last Extract.
    uint32_t ProducedCrc() const { return producedCrc_; }

    static constexpr size_t kBufferSize = 256 * 1024;
    // An unencrypted deflated member whose compressed and uncompressed
    // sizes are both at most this is inflated whole.
    static constexpr uint64_t kWholeLimit = 1024 * 1024;

private:
    class ReadPass;
    ExtractStatus CopyStored(ReadPass& pass, MemberSink& sink);
    ExtractStatus Inflate(ReadPass& pass, MemberSink& sink);
    bool InflatesWhole() const;
    // Inflates the member in one call; false, with nothing written, when
    // the data is not exactly the declared size's worth of one stream
    // spanning the compressed size (the member is then streamed).
    bool InflateWhole(MemberSink& sink, ExtractStatus& status);
    ExtractStatus Decode(ReadPass& pass, MemberSink& sink);  // the methods of MemberDecoder.h
    ExtractStatus Expand(ReadPass& pass, MemberSink& sink);  // by method
    ExtractStatus ExtractAes(MemberSink& sink, const std::string& password);
    bool StartAes(const std::string& password);  // keys of `password`; false on failure
    ExtractStatus Finish(uint64_t produced);

    ArchiveInput& input_;
    CryptoProvider* crypto_;
    const MemberInfo* member_ = nullptr;
    uint16_t method_ = 0;                      // the data's method (AES's real one)
    std::unique_ptr<AesField> aesField_;       // an AES member's 0x9901 field
    std::unique_ptr<WinZipAesDecryptor> aes_;  // keys of aesPassword_ for the member
    std::string aesPassword_;
    bool aesVerified_ = false;  // aesPassword_ passed the verifier
    uint64_t dataOffset_ = 0;
    uint32_t producedCrc_ = 0;
    std::vector<uint8_t> inBuffer_;
    std::vector<uint8_t> outBuffer_;
    std::unique_ptr<InflateStream> inflater_;  // made at the first deflated member, reset for each
    std::unique_ptr<WholeInflater> whole_;     // made at the first small deflated member
};

}  // namespace zipcore
