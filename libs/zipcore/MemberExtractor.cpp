#include "MemberExtractor.h"

#include <algorithm>
#include <optional>

#include <libdeflate.h>
#include <zlib.h>

#include "MemberDecoder.h"
#include "WinZipAes.h"
#include "ZipCrypto.h"
#include "ZipFormat.h"

namespace zipcore {

const char* ExtractStatusText(ExtractStatus status) {
    switch (status) {
    case ExtractStatus::Ok: return "OK";
    case ExtractStatus::UnsupportedMethod: return "unsupported compression method";
    case ExtractStatus::UnsupportedEncryption: return "unsupported encryption (AES or strong encryption)";
    case ExtractStatus::AuthenticationFailed: return "authentication failed (damaged or altered data)";
    case ExtractStatus::HeaderMismatch: return "local header missing or disagreeing with the central directory";
    case ExtractStatus::Overlap: return "data overlaps another member (possible zip bomb)";
    case ExtractStatus::OutOfBounds: return "data runs past the end of the archive (truncated or damaged archive)";
    case ExtractStatus::BadPassword: return "incorrect password";
    case ExtractStatus::DataError: return "invalid compressed data";
    case ExtractStatus::Truncated: return "compressed data truncated";
    case ExtractStatus::SizeMismatch: return "size does not match the central directory";
    case ExtractStatus::CrcMismatch: return "bad CRC";
    case ExtractStatus::ReadError: return "read error";
    case ExtractStatus::WriteFailed: return "write error (disk full?)";
    }
    return "error";
}

// The member's compressed bytes, read in bounded chunks and decrypted when
// needed. Never reads beyond the member's compressed size.
class MemberExtractor::ReadPass : public CompressedInput {
public:
    ReadPass(ArchiveInput& input, uint64_t offset, uint64_t size, std::vector<uint8_t>& buffer)
        : input_(input), offset_(offset), remaining_(size), buffer_(buffer) {}

    // Reads the encryption header and keeps the cipher for the data.
    bool StartDecryption(const std::string& password, uint8_t& lastHeaderByte) {
        uint8_t header[kEncryptionHeaderSize];
        if (remaining_ < sizeof header || !input_.ReadAt(offset_, header, sizeof header)) return false;
        offset_ += sizeof header;
        remaining_ -= sizeof header;
        crypto_.emplace(password);
        crypto_->Decrypt(header, sizeof header);
        lastHeaderByte = header[kEncryptionHeaderSize - 1];
        return true;
    }

    // Decrypts the data with WinZip AES (the pass then spans only the
    // encrypted data, between the verifier and the authentication code).
    void DecryptWith(WinZipAesDecryptor& aes) { aes_ = &aes; }

    uint64_t Remaining() const { return remaining_; }

    // Reads what the decoder left, so that the authentication code covers
    // all the data. False on read or decryption error.
    bool Drain() {
        const uint8_t* data = nullptr;
        size_t size = 0;
        do {
            if (!Next(data, size)) return false;
        } while (size > 0);
        return !failed_;
    }

    // Next chunk of data; size 0 at the member's end. False on read error.
    bool Next(const uint8_t*& data, size_t& size) override {
        size = static_cast<size_t>(std::min<uint64_t>(remaining_, buffer_.size()));
        data = buffer_.data();
        if (size == 0) return true;
        if (!input_.ReadAt(offset_, buffer_.data(), size)) return false;
        if (crypto_) crypto_->Decrypt(buffer_.data(), size);
        if (aes_ && !aes_->Decrypt(buffer_.data(), size)) {
            failed_ = true;
            return false;
        }
        offset_ += size;
        remaining_ -= size;
        return true;
    }

private:
    ArchiveInput& input_;
    uint64_t offset_;
    uint64_t remaining_;
    std::vector<uint8_t>& buffer_;
    std::optional<ZipCrypto> crypto_;
    WinZipAesDecryptor* aes_ = nullptr;
    bool failed_ = false;
};

// Owns a raw-deflate inflate stream, reset between members: zlib allocates
// its state and window at every init.
class InflateStream {
public:
    InflateStream() { ok_ = inflateInit2(&stream_, -MAX_WBITS) == Z_OK; }
    ~InflateStream() {
        if (ok_) inflateEnd(&stream_);
    }
    InflateStream(const InflateStream&) = delete;
    InflateStream& operator=(const InflateStream&) = delete;
    // Ready for a new stream; false when the stream could not be made.
    // inflateReset keeps the input pointers: a member that failed midway
    // must not leave its unread bytes to the next one.
    bool Reset() {
        stream_.next_in = nullptr;
        stream_.avail_in = 0;
        return ok_ && inflateReset(&stream_) == Z_OK;
    }
    z_stream* operator->() { return &stream_; }
    z_stream* get() { return &stream_; }

private:
    z_stream stream_{};
    bool ok_ = false;
};

// A libdeflate decompressor and the two buffers of a member inflated whole,
// kept for the job's next small members; the buffers grow to the largest
// member met, at most the extractor's limit.
class WholeInflater {
public:
    WholeInflater() : decompressor_(libdeflate_alloc_decompressor()) {}
    ~WholeInflater() {
        if (decompressor_) libdeflate_free_decompressor(decompressor_);
    }
    WholeInflater(const WholeInflater&) = delete;
    WholeInflater& operator=(const WholeInflater&) = delete;

    bool Ready() const { return decompressor_ != nullptr; }

    // Room for `size` compressed bytes, to be read by the caller. Never
    // empty: libdeflate gets real pointers even for an empty member.
    uint8_t* Input(size_t size) {
        if (in_.size() < std::max<size_t>(size, 1)) in_.resize(std::max<size_t>(size, 1));
        return in_.data();
    }

    // Inflates the first `size` bytes of the input: true only when they
    // are exactly one deflate stream and it holds exactly `expected` bytes.
    bool Inflate(size_t size, size_t expected) {
        if (out_.size() < std::max<size_t>(expected, 1)) out_.resize(std::max<size_t>(expected, 1));
        size_t used = 0, produced = 0;
        libdeflate_result result = libdeflate_deflate_decompress_ex(decompressor_, in_.data(), size, out_.data(),
                                                                    expected, &used, &produced);
        return result == LIBDEFLATE_SUCCESS && used == size && produced == expected;
    }

    const uint8_t* Output() const { return out_.data(); }

private:
    libdeflate_decompressor* decompressor_;
    std::vector<uint8_t> in_;
    std::vector<uint8_t> out_;
};

namespace {

bool SameNameBytes(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i] == '\\' ? '/' : a[i];
        char y = b[i] == '\\' ? '/' : b[i];
        if (x != y) return false;
    }
    return true;
}

}  // namespace

MemberExtractor::MemberExtractor(ArchiveInput& input, CryptoProvider* crypto)
    : input_(input), crypto_(crypto), inBuffer_(kBufferSize), outBuffer_(kBufferSize) {}

MemberExtractor::~MemberExtractor() = default;

ExtractStatus MemberExtractor::Prepare(const MemberInfo& member) {
    member_ = &member;
    aes_.reset();
    aesPassword_.clear();
    method_ = member.method;
    if (member.IsAesOrStrongEncrypted()) {
        AesField field;
        if (!crypto_ || !FindAesField(member, field)) return ExtractStatus::UnsupportedEncryption;
        aesField_ = std::make_unique<AesField>(field);
        method_ = field.method;
    } else {
        aesField_.reset();
    }
    if (method_ != kMethodStored && method_ != kMethodDeflated && !HasMemberDecoder(method_))
        return ExtractStatus::UnsupportedMethod;
    // A header that would start past the archive's data is not an overlap
    // but a damaged or cut archive.
    if (member.localHeaderOffset >= input_.Size() || input_.Size() - member.localHeaderOffset < kLocalHeaderSize)
        return ExtractStatus::OutOfBounds;
    if (member.extentLimit == 0 || member.extentLimit - member.localHeaderOffset < kLocalHeaderSize)
        return ExtractStatus::Overlap;

    uint8_t fixed[kLocalHeaderSize];
    if (!input_.ReadAt(member.localHeaderOffset, fixed, sizeof fixed)) return ExtractStatus::ReadError;
    LocalHeader local;
    if (!ParseLocalHeader(fixed, local)) return ExtractStatus::HeaderMismatch;
    if (local.method != member.method || (local.flags & kFlagEncrypted) != (member.flags & kFlagEncrypted))
        return ExtractStatus::HeaderMismatch;
    bool sizesInLocalHeader = !(local.flags & kFlagDataDescriptor) && local.compressedSize != kZip64Marker32 &&
                              local.uncompressedSize != kZip64Marker32;
    if (sizesInLocalHeader &&
        (local.crc32 != member.crc32 || local.compressedSize != static_cast<uint32_t>(member.compressedSize) ||
         local.uncompressedSize != static_cast<uint32_t>(member.uncompressedSize)))
        return ExtractStatus::HeaderMismatch;

    uint64_t room = member.extentLimit - member.localHeaderOffset - kLocalHeaderSize;
    uint64_t variable = uint64_t{local.nameLength} + local.extraLength;
    if (variable > room) return ExtractStatus::Overlap;
    std::string localName(local.nameLength, '\0');
    if (local.nameLength &&
        !input_.ReadAt(member.localHeaderOffset + kLocalHeaderSize, &localName[0], localName.size()))
        return ExtractStatus::ReadError;
    if (!SameNameBytes(localName, member.rawName)) return ExtractStatus::HeaderMismatch;

    dataOffset_ = member.localHeaderOffset + kLocalHeaderSize + variable;
    if (member.compressedSize > room - variable) {
        bool endsInNextMember =
            member.extentLimit < input_.Size() && dataOffset_ + member.compressedSize <= input_.Size();
        return endsInNextMember ? ExtractStatus::Overlap : ExtractStatus::OutOfBounds;
    }
    if (member.IsEncrypted() && member.compressedSize < (aesField_ ? aesField_->Overhead() : kEncryptionHeaderSize))
        return ExtractStatus::Truncated;
    return ExtractStatus::Ok;
}

bool MemberExtractor::StartAes(const std::string& password) {
    if (aes_ && aesPassword_ == password) return true;
    aes_.reset();
    uint8_t head[16 + kAesVerifierSize];
    size_t saltSize = aesField_->SaltSize();
    if (!input_.ReadAt(dataOffset_, head, saltSize + kAesVerifierSize)) return false;
    auto aes = std::make_unique<WinZipAesDecryptor>();
    if (!aes->Start(*crypto_, *aesField_, password, head)) return false;
    aesVerified_ = aes->VerifierMatches(head + saltSize);
    aes_ = std::move(aes);
    aesPassword_ = password;
    return true;
}

bool MemberExtractor::PasswordMatches(const std::string& password) {
    if (aesField_) return StartAes(password) && aesVerified_;
    ReadPass pass(input_, dataOffset_, member_->compressedSize, inBuffer_);
    uint8_t last = 0;
    if (!pass.StartDecryption(password, last)) return false;
    return last == EncryptionCheckByte(member_->flags, member_->crc32, member_->modTime);
}

ExtractStatus MemberExtractor::Extract(MemberSink& sink, const std::string& password) {
    producedCrc_ = 0;
    if (aesField_) return ExtractAes(sink, password);
    ReadPass pass(input_, dataOffset_, member_->compressedSize, inBuffer_);
    if (member_->IsEncrypted()) {
        uint8_t last = 0;
        if (!pass.StartDecryption(password, last)) return ExtractStatus::ReadError;
        if (last != EncryptionCheckByte(member_->flags, member_->crc32, member_->modTime))
            return ExtractStatus::BadPassword;
    }
    return Expand(pass, sink);
}

ExtractStatus MemberExtractor::Expand(ReadPass& pass, MemberSink& sink) {
    switch (method_) {
    case kMethodStored: return CopyStored(pass, sink);
    case kMethodDeflated: return Inflate(pass, sink);
    default: return Decode(pass, sink);
    }
}

// The authentication code is checked over all the encrypted data before
// the member is reported good; when it fails, that is the reason given,
// whatever the decoder made of the altered data.
ExtractStatus MemberExtractor::ExtractAes(MemberSink& sink, const std::string& password) {
    // The keys derived for the password check serve once: the cipher's
    // counter and the code then cover this pass, and a later pass derives
    // them again.
    if (!StartAes(password)) return ExtractStatus::ReadError;
    struct ForgetKeys {
        MemberExtractor& extractor;
        ~ForgetKeys() {
            extractor.aes_.reset();
            extractor.aesPassword_.clear();
        }
    } forgetKeys{*this};
    if (!aesVerified_) return ExtractStatus::BadPassword;
    const uint64_t head = aesField_->SaltSize() + kAesVerifierSize;
    const uint64_t dataSize = member_->compressedSize - aesField_->Overhead();
    ReadPass pass(input_, dataOffset_ + head, dataSize, inBuffer_);
    pass.DecryptWith(*aes_);
    ExtractStatus status = Expand(pass, sink);
    if (status == ExtractStatus::WriteFailed || status == ExtractStatus::ReadError) return status;
    uint8_t code[kAesCodeSize];
    if (!pass.Drain() || !input_.ReadAt(dataOffset_ + head + dataSize, code, sizeof code)) return ExtractStatus::ReadError;
    return aes_->Authentic(code) ? status : ExtractStatus::AuthenticationFailed;
}

namespace {

// What a decoder produces: bounded by the declared size, summed into the
// CRC and handed to the sink.
class CheckedOutput : public DecodedOutput {
public:
    CheckedOutput(MemberSink& sink, uint64_t declared, uint32_t& crc) : sink_(sink), declared_(declared), crc_(crc) {}
    ExtractStatus Put(const uint8_t* data, size_t size) override {
        if (size > declared_ - produced_) return ExtractStatus::SizeMismatch;
        crc_ = static_cast<uint32_t>(crc32(crc_, data, static_cast<uInt>(size)));
        if (!sink_.Write(data, size)) return ExtractStatus::WriteFailed;
        produced_ += size;
        return ExtractStatus::Ok;
    }
    uint64_t Produced() const { return produced_; }

private:
    MemberSink& sink_;
    uint64_t declared_;
    uint32_t& crc_;
    uint64_t produced_ = 0;
};

}  // namespace

ExtractStatus MemberExtractor::Decode(ReadPass& pass, MemberSink& sink) {
    std::unique_ptr<MemberDecoder> decoder = MakeMemberDecoder(method_, member_->flags, member_->uncompressedSize);
    if (!decoder) return ExtractStatus::UnsupportedMethod;
    CheckedOutput output(sink, member_->uncompressedSize, producedCrc_);
    ExtractStatus status = decoder->Decode(pass, output);
    if (status != ExtractStatus::Ok) return status;
    return Finish(output.Produced());
}

ExtractStatus MemberExtractor::CopyStored(ReadPass& pass, MemberSink& sink) {
    if (pass.Remaining() != member_->uncompressedSize) return ExtractStatus::SizeMismatch;
    uint64_t produced = 0;
    for (;;) {
        const uint8_t* data = nullptr;
        size_t size = 0;
        if (!pass.Next(data, size)) return ExtractStatus::ReadError;
        if (size == 0) break;
        producedCrc_ = static_cast<uint32_t>(crc32(producedCrc_, data, static_cast<uInt>(size)));
        if (!sink.Write(data, size)) return ExtractStatus::WriteFailed;
        produced += size;
    }
    return Finish(produced);
}

bool MemberExtractor::InflatesWhole() const {
    return !member_->IsEncrypted() && member_->compressedSize <= kWholeLimit &&
           member_->uncompressedSize <= kWholeLimit;
}

bool MemberExtractor::InflateWhole(MemberSink& sink, ExtractStatus& status) {
    if (!whole_) whole_ = std::make_unique<WholeInflater>();
    if (!whole_->Ready()) return false;
    const size_t size = static_cast<size_t>(member_->compressedSize);
    const size_t expected = static_cast<size_t>(member_->uncompressedSize);
    if (!input_.ReadAt(dataOffset_, whole_->Input(size), size) || !whole_->Inflate(size, expected)) return false;
    producedCrc_ = libdeflate_crc32(0, whole_->Output(), expected);
    // In pieces no larger than the streaming path's: the writing thread's
    // blocks keep their size.
    for (size_t done = 0; done < expected; done += kBufferSize) {
        if (!sink.Write(whole_->Output() + done, std::min(kBufferSize, expected - done))) {
            status = ExtractStatus::WriteFailed;
            return true;
        }
    }
    status = Finish(expected);
    return true;
}

ExtractStatus MemberExtractor::Inflate(ReadPass& pass, MemberSink& sink) {
    ExtractStatus whole = ExtractStatus::Ok;
    if (InflatesWhole() && InflateWhole(sink, whole)) return whole;
    if (!inflater_) inflater_ = std::make_unique<InflateStream>();
    InflateStream& stream = *inflater_;
    if (!stream.Reset()) return ExtractStatus::DataError;
    uint64_t produced = 0;
    int result = Z_OK;
    while (result != Z_STREAM_END) {
        if (stream->avail_in == 0) {
            const uint8_t* data = nullptr;
            size_t size = 0;
            if (!pass.Next(data, size)) return ExtractStatus::ReadError;
            if (size == 0) return ExtractStatus::Truncated;
            stream->next_in = const_cast<Bytef*>(data);
            stream->avail_in = static_cast<uInt>(size);
        }
        stream->next_out = outBuffer_.data();
        stream->avail_out = static_cast<uInt>(outBuffer_.size());
        result = inflate(stream.get(), Z_NO_FLUSH);
        if (result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR) return ExtractStatus::DataError;
        size_t size = outBuffer_.size() - stream->avail_out;
        if (size > member_->uncompressedSize - produced) return ExtractStatus::SizeMismatch;
        if (size > 0) {
            producedCrc_ = static_cast<uint32_t>(crc32(producedCrc_, outBuffer_.data(), static_cast<uInt>(size)));
            if (!sink.Write(outBuffer_.data(), size)) return ExtractStatus::WriteFailed;
            produced += size;
        }
    }
    return Finish(produced);
}

ExtractStatus MemberExtractor::Finish(uint64_t produced) {
    if (produced != member_->uncompressedSize) return ExtractStatus::SizeMismatch;
    // AE-2 stores no CRC: its authentication code stands for it.
    bool checksCrc = !aesField_ || aesField_->ChecksCrc();
    if (checksCrc && producedCrc_ != member_->crc32) return ExtractStatus::CrcMismatch;
    return ExtractStatus::Ok;
}

}  // namespace zipcore
