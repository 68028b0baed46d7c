#include "MemberExtractor.h"

#include <algorithm>
#include <optional>

#include <zlib.h>

#include "ZipCrypto.h"
#include "ZipFormat.h"

namespace zipcore {

const char* ExtractStatusText(ExtractStatus status) {
    switch (status) {
    case ExtractStatus::Ok: return "OK";
    case ExtractStatus::UnsupportedMethod: return "unsupported compression method";
    case ExtractStatus::UnsupportedEncryption: return "unsupported encryption (AES or strong encryption)";
    case ExtractStatus::HeaderMismatch: return "local header missing or disagreeing with the central directory";
    case ExtractStatus::Overlap: return "data overlaps another member (possible zip bomb)";
    case ExtractStatus::OutOfBounds: return "data runs past the end of the archive";
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
class MemberExtractor::ReadPass {
public:
    ReadPass(ArchiveInput& input, uint64_t offset, uint64_t size, ScratchBuffer& buffer)
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

    uint64_t Remaining() const { return remaining_; }

    // Next chunk of data; size 0 at the member's end. False on read error.
    // Chunks only shrink along a pass, so the buffer grows at the first one
    // at most, while nothing is left in it.
    bool Next(const uint8_t*& data, size_t& size) {
        size = static_cast<size_t>(std::min<uint64_t>(remaining_, kBufferSize));
        if (size == 0) {
            data = buffer_.data();
            return true;
        }
        buffer_.Reserve(size);
        data = buffer_.data();
        if (!input_.ReadAt(offset_, buffer_.data(), size)) return false;
        if (crypto_) crypto_->Decrypt(buffer_.data(), size);
        offset_ += size;
        remaining_ -= size;
        return true;
    }

private:
    ArchiveInput& input_;
    uint64_t offset_;
    uint64_t remaining_;
    ScratchBuffer& buffer_;
    std::optional<ZipCrypto> crypto_;
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

MemberExtractor::MemberExtractor(ArchiveInput& input) : input_(input) {}

MemberExtractor::~MemberExtractor() = default;

ExtractStatus MemberExtractor::Prepare(const MemberInfo& member) {
    member_ = &member;
    if (member.IsAesOrStrongEncrypted()) return ExtractStatus::UnsupportedEncryption;
    if (member.method != kMethodStored && member.method != kMethodDeflated) return ExtractStatus::UnsupportedMethod;
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
    if (member.IsEncrypted() && member.compressedSize < kEncryptionHeaderSize) return ExtractStatus::Truncated;
    return ExtractStatus::Ok;
}

bool MemberExtractor::PasswordMatches(const std::string& password) {
    ReadPass pass(input_, dataOffset_, member_->compressedSize, inBuffer_);
    uint8_t last = 0;
    if (!pass.StartDecryption(password, last)) return false;
    return last == EncryptionCheckByte(member_->flags, member_->crc32, member_->modTime);
}

ExtractStatus MemberExtractor::Extract(MemberSink& sink, const std::string& password) {
    producedCrc_ = 0;
    ReadPass pass(input_, dataOffset_, member_->compressedSize, inBuffer_);
    if (member_->IsEncrypted()) {
        uint8_t last = 0;
        if (!pass.StartDecryption(password, last)) return ExtractStatus::ReadError;
        if (last != EncryptionCheckByte(member_->flags, member_->crc32, member_->modTime))
            return ExtractStatus::BadPassword;
    }
    return member_->method == kMethodStored ? CopyStored(pass, sink) : Inflate(pass, sink);
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

ExtractStatus MemberExtractor::Inflate(ReadPass& pass, MemberSink& sink) {
    if (!inflater_) inflater_ = std::make_unique<InflateStream>();
    outBuffer_.Reserve(kBufferSize);
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
    if (producedCrc_ != member_->crc32) return ExtractStatus::CrcMismatch;
    return ExtractStatus::Ok;
}

}  // namespace zipcore
