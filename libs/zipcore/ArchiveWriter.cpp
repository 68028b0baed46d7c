#include "ArchiveWriter.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "ZipCrypto.h"
#include "ZipFormat.h"

namespace zipcore {

namespace {

constexpr size_t kOutputBufferSize = 1u << 20;
constexpr size_t kCopyBlockSize = 1u << 20;
constexpr uint16_t kVersionStored = 10;
constexpr uint16_t kVersionDeflated = 20;
constexpr uint16_t kVersionZip64 = 45;
constexpr uint16_t kMadeByMsDos20 = (kHostMsDos << 8) | 20;
// A member whose size comes this close to 4 GiB gets a Zip64 local header
// before its data is known: the file may still grow while it is read.
constexpr uint64_t kZip64ReserveThreshold = 0xFF000000ULL;
constexpr uint32_t kDosAttributesKept = kDosReadOnly | kDosHidden | kDosSystem | kDosDirectory | kDosArchive;

uint32_t NextRandom(void* context) { return (*static_cast<std::mt19937*>(context))(); }

uint16_t DeflateHintFlags(int level) {
    if (level == 1) return kDeflateSuperFast;
    if (level == 2) return kDeflateFast;
    if (level >= 8) return kDeflateMaximum;
    return kDeflateNormal;
}

// The extra fields of a kept member, less its Zip64 field: the writer adds
// a new one when the member's new place needs it. A damaged block keeps
// only the fields before the damage.
std::vector<uint8_t> ExtraFieldsWithoutZip64(const std::vector<uint8_t>& extra) {
    std::vector<uint8_t> kept;
    size_t pos = 0;
    while (pos + 4 <= extra.size()) {
        uint16_t id = ReadLE16(extra.data() + pos);
        size_t size = ReadLE16(extra.data() + pos + 2);
        if (pos + 4 + size > extra.size()) break;
        if (id != kExtraZip64) kept.insert(kept.end(), extra.begin() + pos, extra.begin() + pos + 4 + size);
        pos += 4 + size;
    }
    return kept;
}

}  // namespace

// Buffers the many small writes (headers) in front of the platform file
// and keeps the position without asking the file system. The buffer grows
// with what is written, up to kOutputBufferSize, and keeps its room once
// flushed: a small archive never takes a megabyte.
class ArchiveWriter::Output {
public:
    explicit Output(OutputFile& file) : file_(file) {}

    bool Write(const void* data, size_t size) {
        if (failed_) return false;
        if (buffer_.size() + size > kOutputBufferSize && !FlushBuffer()) return false;
        if (size >= kOutputBufferSize) {
            if (!file_.Write(data, size)) return Fail();
            written_ += size;
            return true;
        }
        const uint8_t* bytes = static_cast<const uint8_t*>(data);
        buffer_.insert(buffer_.end(), bytes, bytes + size);
        return true;
    }
    uint64_t Position() const { return written_ + buffer_.size(); }
    bool Seek(uint64_t position) {
        if (!FlushBuffer()) return false;
        if (!file_.Seek(position)) return Fail();
        written_ = position;
        return true;
    }
    bool Truncate() {
        if (!FlushBuffer()) return false;
        return file_.Truncate() || Fail();
    }
    bool Flush() { return FlushBuffer() && (file_.Flush() || Fail()); }

private:
    bool FlushBuffer() {
        if (failed_) return false;
        if (buffer_.empty()) return true;
        if (!file_.Write(buffer_.data(), buffer_.size())) return Fail();
        written_ += buffer_.size();
        buffer_.clear();
        return true;
    }
    bool Fail() {
        failed_ = true;
        return false;
    }

    OutputFile& file_;
    std::vector<uint8_t> buffer_;
    uint64_t written_ = 0;
    bool failed_ = false;
};

ArchiveWriter::ArchiveWriter(OutputFile& output, std::string password, int level, TextConversion conversion)
    : out_(std::make_unique<Output>(output)),
      password_(std::move(password)),
      level_(level),
      conversion_(conversion),
      random_(std::random_device{}()) {}

ArchiveWriter::~ArchiveWriter() = default;

uint16_t ArchiveWriter::BaseFlags(const NewMemberInfo& info) const {
    uint16_t flags = 0;
    if (info.utf8Name) flags |= kFlagUtf8;
    if (Encrypting() && !info.isDirectory) flags |= kFlagEncrypted;
    return flags;
}

CentralRecord ArchiveWriter::StartRecord(const NewMemberInfo& info, uint16_t flags, uint16_t method) const {
    CentralRecord record;
    record.versionMadeBy = kMadeByMsDos20;
    bool simple = method == kMethodStored && !(flags & kFlagEncrypted) && !info.isDirectory;
    record.versionNeeded = simple ? kVersionStored : kVersionDeflated;
    record.flags = flags;
    record.method = method;
    record.modTime = info.dosTime;
    record.modDate = info.dosDate;
    record.externalAttributes = info.attributes & kDosAttributesKept;
    if (info.isDirectory) record.externalAttributes |= kDosDirectory;
    record.name = info.storedName;
    if (info.hasUnixTime) record.extra = ExtendedTimestampExtra(info.unixModTime);
    record.localHeaderOffset = out_->Position();
    return record;
}

bool ArchiveWriter::WriteLocalHeader(const CentralRecord& record, const NewMemberInfo& info, bool reserveZip64) {
    LocalHeader header;
    header.versionNeeded = reserveZip64 ? kVersionZip64 : record.versionNeeded;
    header.flags = record.flags;
    header.method = record.method;
    header.modTime = record.modTime;
    header.modDate = record.modDate;
    bool descriptor = (record.flags & kFlagDataDescriptor) != 0;
    header.crc32 = descriptor ? 0 : record.crc32;
    header.compressedSize = descriptor ? 0 : static_cast<uint32_t>(record.compressedSize);
    header.uncompressedSize = descriptor ? 0 : static_cast<uint32_t>(record.uncompressedSize);
    std::vector<uint8_t> extra;
    if (reserveZip64) {
        header.compressedSize = header.uncompressedSize = kZip64Marker32;
        std::vector<uint8_t> sizes;
        AppendLE64(sizes, record.uncompressedSize);
        AppendLE64(sizes, record.compressedSize);
        AppendExtraField(extra, kExtraZip64, sizes);
    }
    if (info.hasUnixTime) {
        std::vector<uint8_t> timestamp = ExtendedTimestampExtra(info.unixModTime);
        extra.insert(extra.end(), timestamp.begin(), timestamp.end());
    }
    std::vector<uint8_t> bytes;
    AppendLocalHeader(bytes, header, record.name, extra);
    return out_->Write(bytes.data(), bytes.size());
}

bool ArchiveWriter::WriteEncryptionHeader(uint8_t checkByte) {
    cipher_ = std::make_unique<ZipCrypto>(password_);
    uint8_t header[kEncryptionHeaderSize];
    MakeEncryptionHeader(header, checkByte, NextRandom, &random_);
    cipher_->Encrypt(header, sizeof header);
    return out_->Write(header, sizeof header);
}

bool ArchiveWriter::WriteData(std::vector<uint8_t>& data) {
    if (cipher_) cipher_->Encrypt(data.data(), data.size());
    return out_->Write(data.data(), data.size());
}

ArchiveWriter::Result ArchiveWriter::RollBack(uint64_t headerPos) {
    cipher_.reset();
    if (!out_->Seek(headerPos) || !out_->Truncate()) return Result::WriteFailed;
    return Result::SourceFailed;
}

ArchiveWriter::Result ArchiveWriter::AddDirectory(const NewMemberInfo& info) {
    CentralRecord record = StartRecord(info, BaseFlags(info), kMethodStored);
    if (!WriteLocalHeader(record, info, false)) return Result::WriteFailed;
    records_.push_back(record);
    outcome_ = MemberOutcome{};
    return Result::Ok;
}

ArchiveWriter::Result ArchiveWriter::AddFile(const NewMemberInfo& info, CompressedChunk first,
                                             MemberCompressor& compressor,
                                             const std::function<std::unique_ptr<InputStream>()>& reopen) {
    cipher_.reset();
    if (first.status != CompressedChunk::Status::Data) return Result::SourceFailed;
    Result result =
        first.index == 0 && first.last ? WriteSingleChunk(info, first) : WriteChunked(info, first, compressor, reopen);
    compressor.Recycle(first);
    cipher_.reset();
    return result;
}

ArchiveWriter::Result ArchiveWriter::WriteSingleChunk(const NewMemberInfo& info, CompressedChunk& chunk) {
    bool deflate = level_ > 0 && !chunk.deflated.empty() && chunk.deflated.size() < chunk.inputSize;
    std::vector<uint8_t>& data = deflate ? chunk.deflated : chunk.input;
    uint16_t flags = BaseFlags(info);
    if (deflate) flags |= DeflateHintFlags(level_);
    CentralRecord record = StartRecord(info, flags, deflate ? kMethodDeflated : kMethodStored);
    if (conversion_ != TextConversion::None && chunk.isText) record.internalAttributes |= kInternalText;
    record.crc32 = chunk.crc;
    record.uncompressedSize = chunk.inputSize;
    record.compressedSize = data.size() + (Encrypting() ? kEncryptionHeaderSize : 0);
    if (!WriteLocalHeader(record, info, false)) return Result::WriteFailed;
    if (Encrypting() && !WriteEncryptionHeader(EncryptionCheckByte(flags, record.crc32, record.modTime))) {
        return Result::WriteFailed;
    }
    if (!WriteData(data)) return Result::WriteFailed;
    records_.push_back(record);
    outcome_ = MemberOutcome{record.method, record.uncompressedSize, data.size()};
    return Result::Ok;
}

namespace {

bool NeedsZip64Reserve(const NewMemberInfo& info, TextConversion conversion) {
    uint64_t worst = info.expectedSize;
    if (conversion == TextConversion::LfToCrLf) worst *= 2;
    return worst >= kZip64ReserveThreshold;
}

}  // namespace

// A member whose sizes are known only after its data: the local header is
// patched afterwards, or, when encrypted (the check byte must come before
// the data, and the CRC is not known yet), the sizes follow in a data
// descriptor and the check byte is taken from the time.
struct ArchiveWriter::StreamedMember {
    CentralRecord record;
    uint64_t headerPos = 0;
    bool reserveZip64 = false;
    uint32_t crc = 0;
    uint64_t inputBytes = 0;
    uint64_t dataBytes = 0;  // written bytes without the encryption header
};

bool ArchiveWriter::BeginStreamed(StreamedMember& member, const NewMemberInfo& info, uint16_t method, bool isText) {
    member.headerPos = out_->Position();
    member.reserveZip64 = NeedsZip64Reserve(info, conversion_);
    uint16_t flags = BaseFlags(info);
    if (method == kMethodDeflated) flags |= DeflateHintFlags(level_);
    if (Encrypting()) flags |= kFlagDataDescriptor;
    member.record = StartRecord(info, flags, method);
    if (isText) member.record.internalAttributes |= kInternalText;
    if (!WriteLocalHeader(member.record, info, member.reserveZip64)) return false;
    return !Encrypting() || WriteEncryptionHeader(EncryptionCheckByte(flags, 0, member.record.modTime));
}

ArchiveWriter::Result ArchiveWriter::FinishStreamed(StreamedMember& member) {
    if (member.inputBytes >= kZip64Marker32 && !member.reserveZip64) return RollBack(member.headerPos);
    CentralRecord& record = member.record;
    record.crc32 = member.crc;
    record.uncompressedSize = member.inputBytes;
    record.compressedSize = member.dataBytes + (Encrypting() ? kEncryptionHeaderSize : 0);
    if (record.flags & kFlagDataDescriptor) {
        DataDescriptor descriptor{member.crc, record.compressedSize, member.inputBytes};
        std::vector<uint8_t> bytes;
        AppendDataDescriptor(bytes, descriptor, member.reserveZip64);
        if (!out_->Write(bytes.data(), bytes.size())) return Result::WriteFailed;
    } else {
        uint64_t end = out_->Position();
        uint8_t fixed[12];
        WriteLE32(fixed, member.crc);
        WriteLE32(fixed + 4, member.reserveZip64 ? kZip64Marker32 : static_cast<uint32_t>(record.compressedSize));
        WriteLE32(fixed + 8, member.reserveZip64 ? kZip64Marker32 : static_cast<uint32_t>(member.inputBytes));
        if (!out_->Seek(member.headerPos + 14) || !out_->Write(fixed, sizeof fixed)) return Result::WriteFailed;
        if (member.reserveZip64) {
            uint8_t sizes[16];
            WriteLE64(sizes, member.inputBytes);
            WriteLE64(sizes + 8, record.compressedSize);
            uint64_t sizesPos = member.headerPos + kLocalHeaderSize + record.name.size() + 4;
            if (!out_->Seek(sizesPos) || !out_->Write(sizes, sizeof sizes)) return Result::WriteFailed;
        }
        if (!out_->Seek(end)) return Result::WriteFailed;
    }
    records_.push_back(record);
    outcome_ = MemberOutcome{record.method, member.inputBytes, member.dataBytes};
    return Result::Ok;
}

ArchiveWriter::Result ArchiveWriter::WriteChunked(const NewMemberInfo& info, CompressedChunk& first,
                                                  MemberCompressor& compressor,
                                                  const std::function<std::unique_ptr<InputStream>()>& reopen) {
    uint16_t method = level_ > 0 ? kMethodDeflated : kMethodStored;
    bool isText = conversion_ != TextConversion::None && first.isText;
    StreamedMember member;
    if (!BeginStreamed(member, info, method, isText)) return Result::WriteFailed;
    CompressedChunk chunk = std::move(first);
    for (;;) {
        if (chunk.status != CompressedChunk::Status::Data) return RollBack(member.headerPos);
        std::vector<uint8_t>& data = method == kMethodDeflated ? chunk.deflated : chunk.input;
        member.crc = static_cast<uint32_t>(crc32_combine(member.crc, chunk.crc, static_cast<z_off_t>(chunk.inputSize)));
        member.inputBytes += chunk.inputSize;
        member.dataBytes += data.size();
        if (!WriteData(data)) return Result::WriteFailed;
        compressor.Recycle(chunk);
        if (chunk.last) break;
        if (!compressor.Next(chunk)) return RollBack(member.headerPos);
    }
    if (method == kMethodDeflated && member.dataBytes >= member.inputBytes && reopen) {
        return RewriteStored(info, member.headerPos, reopen);
    }
    return FinishStreamed(member);
}

ArchiveWriter::Result ArchiveWriter::RewriteStored(const NewMemberInfo& info, uint64_t headerPos,
                                                   const std::function<std::unique_ptr<InputStream>()>& reopen) {
    Result rolled = RollBack(headerPos);
    if (rolled == Result::WriteFailed) return rolled;
    std::unique_ptr<InputStream> source = reopen();
    if (!source) return Result::SourceFailed;

    // The text test must be made again on the first block: the header
    // (internal attributes) is written before it is read.
    std::vector<uint8_t> block;
    if (!ReadFully(*source, block, kCopyBlockSize)) return Result::SourceFailed;
    bool convert = conversion_ != TextConversion::None && LooksLikeText(block.data(), block.size());
    StreamedMember member;
    if (!BeginStreamed(member, info, kMethodStored, convert)) return Result::WriteFailed;
    LineEndConverter converter(conversion_);
    for (;;) {
        bool atEnd = block.size() < kCopyBlockSize;
        if (convert) converter.Convert(block, atEnd);
        member.crc = static_cast<uint32_t>(crc32(member.crc, block.data(), static_cast<uInt>(block.size())));
        member.inputBytes += block.size();
        member.dataBytes += block.size();
        if (!WriteData(block)) return Result::WriteFailed;
        if (atEnd) break;
        if (!ReadFully(*source, block, kCopyBlockSize)) return RollBack(headerPos);
    }
    return FinishStreamed(member);
}

ArchiveWriter::Result ArchiveWriter::CopyMember(ArchiveInput& input, const MemberInfo& member) {
    uint8_t fixed[kLocalHeaderSize];
    LocalHeader local;
    if (!input.ReadAt(member.localHeaderOffset, fixed, sizeof fixed) || !ParseLocalHeader(fixed, local)) {
        return Result::SourceFailed;
    }
    std::vector<uint8_t> variable(static_cast<size_t>(local.nameLength) + local.extraLength);
    if (!input.ReadAt(member.localHeaderOffset + kLocalHeaderSize, variable.data(), variable.size())) {
        return Result::SourceFailed;
    }
    const uint8_t* zip64Data = nullptr;
    size_t zip64Size = 0;
    bool localZip64 =
        FindExtraField(variable.data() + local.nameLength, local.extraLength, kExtraZip64, zip64Data, zip64Size);
    uint64_t total = kLocalHeaderSize + variable.size() + member.compressedSize;
    if (member.flags & kFlagDataDescriptor) {
        uint8_t signature[4];
        uint64_t descriptorPos = member.localHeaderOffset + total;
        if (!input.ReadAt(descriptorPos, signature, sizeof signature)) return Result::SourceFailed;
        bool hasSignature = ReadLE32(signature) == kDataDescriptorSignature;
        bool wide = localZip64 || member.compressedSize >= kZip64Marker32 || member.uncompressedSize >= kZip64Marker32;
        total += (hasSignature ? 4 : 0) + 4 + (wide ? 16 : 8);
    }
    // An extent limit of 0 means the member has no bytes of its own (its
    // header is another member's): copying it would copy shared bytes twice.
    uint64_t end = member.localHeaderOffset + total;
    if (end > input.Size() || end > member.extentLimit) return Result::SourceFailed;

    CentralRecord record;
    record.versionMadeBy = member.versionMadeBy;
    record.versionNeeded = local.versionNeeded;
    record.flags = member.flags;
    record.method = member.method;
    record.modTime = member.modTime;
    record.modDate = member.modDate;
    record.crc32 = member.crc32;
    record.compressedSize = member.compressedSize;
    record.uncompressedSize = member.uncompressedSize;
    record.internalAttributes = member.internalAttributes;
    record.externalAttributes = member.externalAttributes;
    record.name = member.rawName;
    record.extra = ExtraFieldsWithoutZip64(member.centralExtra);
    record.comment = member.comment;
    record.localHeaderOffset = out_->Position();

    std::vector<uint8_t>& block = copyBlock_;
    for (uint64_t done = 0; done < total;) {
        size_t size = static_cast<size_t>(std::min<uint64_t>(kCopyBlockSize, total - done));
        block.resize(size);
        if (!input.ReadAt(member.localHeaderOffset + done, block.data(), size)) {
            return RollBack(record.localHeaderOffset);
        }
        if (!out_->Write(block.data(), size)) return Result::WriteFailed;
        done += size;
    }
    records_.push_back(record);
    outcome_ = MemberOutcome{member.method, member.uncompressedSize, member.compressedSize};
    return Result::Ok;
}

ArchiveWriter::Result ArchiveWriter::CopyPrefix(ArchiveInput& input, uint64_t size) {
    if (size > input.Size()) return Result::SourceFailed;
    std::vector<uint8_t>& block = copyBlock_;
    for (uint64_t done = 0; done < size;) {
        block.resize(static_cast<size_t>(std::min<uint64_t>(kCopyBlockSize, size - done)));
        if (!input.ReadAt(done, block.data(), block.size())) return RollBack(0);
        if (!out_->Write(block.data(), block.size())) return Result::WriteFailed;
        done += block.size();
    }
    return Result::Ok;
}

bool ArchiveWriter::Finish(const std::string& comment) {
    uint64_t start = out_->Position();
    std::vector<uint8_t> bytes;
    for (const CentralRecord& record : records_) {
        AppendCentralRecord(bytes, record);
        if (bytes.size() >= kOutputBufferSize) {
            if (!out_->Write(bytes.data(), bytes.size())) return false;
            bytes.clear();
        }
    }
    if (!out_->Write(bytes.data(), bytes.size())) return false;
    uint64_t here = out_->Position();
    bytes.clear();
    AppendEndRecords(bytes, records_.size(), start, here - start, here, comment);
    return out_->Write(bytes.data(), bytes.size()) && out_->Flush();
}

}  // namespace zipcore
