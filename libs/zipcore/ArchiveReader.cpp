#include "ArchiveReader.h"

#include <algorithm>
#include <numeric>

#include <zlib.h>

#include "DosTime.h"
#include "MemberNames.h"
#include "ZipFormat.h"

namespace zipcore {

namespace {

bool HoldsZip64Marker(const EndOfCentralDir& end) {
    return end.diskNumber == kZip64Marker16 || end.centralDirDisk == kZip64Marker16 ||
           end.entriesOnDisk == kZip64Marker16 || end.totalEntries == kZip64Marker16 ||
           end.centralDirSize == kZip64Marker32 || end.centralDirOffset == kZip64Marker32;
}

bool AgreesWithEndRecord(const Zip64EndOfCentralDir& record, const EndOfCentralDir& end) {
    return record.diskNumber == end.diskNumber && record.centralDirDisk == end.centralDirDisk &&
           record.entriesOnDisk == end.entriesOnDisk && record.totalEntries == end.totalEntries &&
           record.centralDirSize == end.centralDirSize && record.centralDirOffset == end.centralDirOffset;
}

constexpr size_t kDirectoryChunk = 64 * 1024;

// Sequential, bounded reader over a window of the archive: the central
// directory is walked through one fixed buffer, never loaded whole.
class WindowReader {
public:
    WindowReader(ArchiveInput& input, uint64_t start, uint64_t size)
        : input_(input), position_(start), end_(start + size) {}

    uint64_t Remaining() const { return end_ - position_; }

    // Copies the next `size` bytes into `out`; false when the window or
    // the file ends first.
    bool Take(uint8_t* out, size_t size) {
        if (size > Remaining()) return false;
        while (size > 0) {
            if (bufferPos_ == buffer_.size() && !Refill()) return false;
            size_t n = std::min(size, buffer_.size() - bufferPos_);
            std::copy_n(buffer_.data() + bufferPos_, n, out);
            bufferPos_ += n;
            position_ += n;
            out += n;
            size -= n;
        }
        return true;
    }

private:
    bool Refill() {
        size_t n = static_cast<size_t>(std::min<uint64_t>(kDirectoryChunk, end_ - position_));
        buffer_.resize(n);
        bufferPos_ = 0;
        return n > 0 && input_.ReadAt(position_, buffer_.data(), n);
    }

    ArchiveInput& input_;
    uint64_t position_;
    uint64_t end_;
    std::vector<uint8_t> buffer_;
    size_t bufferPos_ = 0;
};

bool HasSignatureAt(ArchiveInput& input, uint64_t pos, uint32_t signature) {
    uint8_t bytes[4];
    if (pos + 4 > input.Size() || !input.ReadAt(pos, bytes, 4)) return false;
    return ReadLE32(bytes) == signature;
}

void ApplyZip64Extra(const uint8_t* data, size_t size, const CentralHeader& h, MemberInfo& m, bool& ok) {
    size_t pos = 0;
    auto next64 = [&](uint64_t& value) {
        if (pos + 8 > size) {
            ok = false;
            return;
        }
        value = ReadLE64(data + pos);
        pos += 8;
    };
    if (h.uncompressedSize == kZip64Marker32) next64(m.uncompressedSize);
    if (h.compressedSize == kZip64Marker32) next64(m.compressedSize);
    if (h.localHeaderOffset == kZip64Marker32) next64(m.localHeaderOffset);
}

void ApplyTimeExtras(const uint8_t* extra, size_t extraSize, MemberInfo& m) {
    const uint8_t* data = nullptr;
    size_t size = 0;
    if (FindExtraField(extra, extraSize, kExtraExtendedTimestamp, data, size) && size >= 5 && (data[0] & 1)) {
        m.hasUnixTime = true;
        m.unixModTime = static_cast<int32_t>(ReadLE32(data + 1));
        return;
    }
    if (FindExtraField(extra, extraSize, kExtraNtfs, data, size) && size >= 4 + 4 + 24) {
        size_t pos = 4;  // reserved
        while (pos + 4 <= size) {
            uint16_t tag = ReadLE16(data + pos);
            uint16_t tagSize = ReadLE16(data + pos + 2);
            if (pos + 4 + tagSize > size) break;
            if (tag == 1 && tagSize >= 24) {
                m.hasUnixTime = true;
                m.unixModTime = FileTimeToUnixTime(ReadLE64(data + pos + 4));
                return;
            }
            pos += 4 + tagSize;
        }
    }
}

// Info-ZIP's Unicode Path and Unicode Comment fields: version 1, the CRC-32
// of the stored bytes they stand for, then UTF-8. A CRC that does not match
// means a tool changed the stored text without updating the field: the
// field is stale and ignored, as Info-ZIP does.
std::string UnicodeField(const uint8_t* extra, size_t extraSize, uint16_t tag, const std::string& stored) {
    const uint8_t* data = nullptr;
    size_t size = 0;
    if (!FindExtraField(extra, extraSize, tag, data, size) || size < 6 || data[0] != 1) return std::string();
    uLong crc = crc32(0L, reinterpret_cast<const Bytef*>(stored.data()), static_cast<uInt>(stored.size()));
    if (crc != ReadLE32(data + 1)) return std::string();
    std::string text(reinterpret_cast<const char*>(data + 5), size - 5);
    return IsValidUtf8(text) ? text : std::string();
}

}  // namespace

bool MemberInfo::IsEncrypted() const { return (flags & kFlagEncrypted) != 0; }

bool MemberInfo::IsAesOrStrongEncrypted() const {
    return IsEncrypted() && (method == kMethodAes || (flags & kFlagStrongEncryption) != 0);
}

bool MemberInfo::IsDirectory() const {
    if (!rawName.empty() && (rawName.back() == '/' || rawName.back() == '\\')) return true;
    uint16_t host = versionMadeBy >> 8;
    bool dosAttributes = host == kHostMsDos || host == kHostNtfs || host == kHostVfat;
    return dosAttributes && (externalAttributes & kDosDirectory) && uncompressedSize == 0;
}

OpenResult ArchiveReader::Fail(OpenResult result, const std::string& problem) {
    problem_ = problem;
    return result;
}

OpenResult ArchiveReader::Open(ArchiveInput& input) {
    members_.clear();
    comment_.clear();
    problem_.clear();
    fileSize_ = input.Size();

    std::vector<uint64_t> candidates;
    if (!FindEndRecords(input, candidates)) return Fail(OpenResult::NoEndRecord, "end of central directory not found");
    // The signature may also occur inside the archive comment, or in data
    // appended after the archive: each candidate is tried, the most likely
    // first, until one describes a readable directory. The first one's
    // problem is the one reported.
    OpenResult first = OpenResult::Ok;
    std::string firstProblem;
    size_t tries = std::min(candidates.size(), kMaxEndRecordTries);
    size_t emptyAt = tries;  // the first candidate announcing an empty archive elsewhere
    for (size_t i = 0; i < tries; ++i) {
        OpenResult result = OpenAt(input, candidates[i]);
        if (result == OpenResult::Ok && !displacedEmpty_) return result;
        if (result == OpenResult::Ok) {
            if (emptyAt == tries) emptyAt = i;
            continue;
        }
        if (i == 0) {
            first = result;
            firstProblem = problem_;
        }
    }
    // An empty archive not where its record says (after a stub, or a copy
    // of a record inside a comment) only when nothing better was found.
    if (emptyAt < tries) return OpenAt(input, candidates[emptyAt]);
    members_.clear();
    comment_.clear();
    return Fail(first, firstProblem);
}

OpenResult ArchiveReader::OpenAt(ArchiveInput& input, uint64_t endPos) {
    members_.clear();
    comment_.clear();
    problem_.clear();
    bias_ = 0;
    zip64_ = false;
    displacedEmpty_ = false;
    uint8_t endBytes[kEndOfCentralDirSize];
    if (!input.ReadAt(endPos, endBytes, sizeof endBytes)) return Fail(OpenResult::ReadError, "read error");
    EndOfCentralDir end;
    ParseEndOfCentralDir(endBytes, end);
    diskNumber_ = end.diskNumber;
    declaredCount_ = end.totalEntries;
    centralDirSize_ = end.centralDirSize;
    centralDirOffset_ = end.centralDirOffset;

    size_t commentSize =
        static_cast<size_t>(std::min<uint64_t>(end.commentLength, fileSize_ - endPos - sizeof endBytes));
    comment_.resize(commentSize);
    if (commentSize && !input.ReadAt(endPos + sizeof endBytes, &comment_[0], commentSize))
        return Fail(OpenResult::ReadError, "read error");

    uint64_t directoryEnd = endPos;
    uint64_t zip64EndPos = 0;
    if (ReadZip64End(input, endPos, end, zip64EndPos)) directoryEnd = zip64EndPos;
    if (!problem_.empty()) return OpenResult::Damaged;

    if (centralDirSize_ > directoryEnd) return Fail(OpenResult::Damaged, "central directory larger than the file");
    uint64_t expectedStart = directoryEnd - centralDirSize_;
    if (declaredCount_ == 0 && centralDirSize_ == 0) {
        centralDirStart_ = expectedStart;
        displacedEmpty_ = centralDirOffset_ != expectedStart;
        return OpenResult::Ok;
    }
    if (centralDirOffset_ <= expectedStart && HasSignatureAt(input, centralDirOffset_, kCentralHeaderSignature)) {
        bias_ = 0;
        centralDirStart_ = centralDirOffset_;
    } else if (centralDirOffset_ <= expectedStart && HasSignatureAt(input, expectedStart, kCentralHeaderSignature)) {
        bias_ = expectedStart - centralDirOffset_;
        centralDirStart_ = expectedStart;
    } else {
        return Fail(OpenResult::Damaged, "central directory not where the end record says");
    }
    centralDirSize_ = std::min(centralDirSize_, directoryEnd - centralDirStart_);
    if (!ReadCentralDirectory(input)) return OpenResult::Damaged;
    ComputeExtentLimits();
    return OpenResult::Ok;
}

// Positions of the end record's signature in the last 64 KiB, the most
// likely first: those whose comment ends exactly at the end of the file,
// from the last one back, then those followed by extra bytes, then those
// whose comment runs past the end (an archive cut in its comment).
bool ArchiveReader::FindEndRecords(ArchiveInput& input, std::vector<uint64_t>& candidates) {
    if (fileSize_ < kEndOfCentralDirSize) return false;
    uint64_t tailSize = std::min<uint64_t>(fileSize_, kEndOfCentralDirSize + kMaxCommentSize);
    std::vector<uint8_t> tail(static_cast<size_t>(tailSize));
    uint64_t tailStart = fileSize_ - tailSize;
    if (!input.ReadAt(tailStart, tail.data(), tail.size())) return false;
    std::vector<uint64_t> followedByMore, cutShort;
    for (size_t i = tail.size() - kEndOfCentralDirSize + 1; i-- > 0;) {
        if (ReadLE32(tail.data() + i) != kEndOfCentralDirSignature) continue;
        uint64_t afterRecord = tail.size() - i - kEndOfCentralDirSize;
        uint16_t commentLength = ReadLE16(tail.data() + i + 20);
        if (commentLength == afterRecord)
            candidates.push_back(tailStart + i);
        else if (commentLength < afterRecord)
            followedByMore.push_back(tailStart + i);
        else
            cutShort.push_back(tailStart + i);
    }
    candidates.insert(candidates.end(), followedByMore.begin(), followedByMore.end());
    candidates.insert(candidates.end(), cutShort.begin(), cutShort.end());
    return !candidates.empty();
}

// A field of the end record set to the marker sends the reader to the
// Zip64 record; without one, the bytes before the end record may be a
// locator left in a kept prefix (self-extractor stub) and are no proof.
bool ArchiveReader::ReadZip64End(ArchiveInput& input, uint64_t endPos, const EndOfCentralDir& end,
                                 uint64_t& zip64EndPos) {
    bool marked = HoldsZip64Marker(end);
    if (endPos < kZip64LocatorSize) return MissingZip64End(marked);
    uint8_t locatorBytes[kZip64LocatorSize];
    if (!input.ReadAt(endPos - kZip64LocatorSize, locatorBytes, sizeof locatorBytes)) return MissingZip64End(marked);
    Zip64Locator locator;
    if (!ParseZip64Locator(locatorBytes, locator)) return MissingZip64End(marked);

    // The record normally sits just before the locator; its declared offset
    // is off by the size of any prefix (self-extractor stub).
    uint64_t candidates[2] = {locator.zip64EndOffset, endPos - kZip64LocatorSize - kZip64EndOfCentralDirSize};
    for (uint64_t pos : candidates) {
        if (pos > endPos - kZip64LocatorSize || endPos - kZip64LocatorSize - pos < kZip64EndOfCentralDirSize) continue;
        uint8_t bytes[kZip64EndOfCentralDirSize];
        Zip64EndOfCentralDir record;
        if (!input.ReadAt(pos, bytes, sizeof bytes) || !ParseZip64EndOfCentralDir(bytes, record)) continue;
        // Writers that add the Zip64 records before they are needed (past
        // 2 GiB) repeat the same values in the end record: such a record
        // still tells where the directory ends. One that disagrees is not
        // this archive's.
        if (!marked && !AgreesWithEndRecord(record, end)) continue;
        zip64_ = true;
        zip64EndPos = pos;
        diskNumber_ = record.diskNumber;
        declaredCount_ = record.totalEntries;
        centralDirSize_ = record.centralDirSize;
        centralDirOffset_ = record.centralDirOffset;
        return true;
    }
    return MissingZip64End(marked);
}

bool ArchiveReader::MissingZip64End(bool marked) {
    if (marked) problem_ = "Zip64 end of central directory record not found";
    return false;
}

bool ArchiveReader::ReadCentralDirectory(ArchiveInput& input) {
    WindowReader reader(input, centralDirStart_, centralDirSize_);
    // Each entry takes at least 46 bytes: the directory's size caps the count.
    uint64_t capacity = std::min<uint64_t>({declaredCount_, centralDirSize_ / kCentralHeaderSize, kMaxMembers});
    members_.reserve(static_cast<size_t>(capacity));
    std::vector<uint8_t> variable;
    while (reader.Remaining() >= kCentralHeaderSize) {
        uint8_t header[kCentralHeaderSize];
        if (!reader.Take(header, 4)) return Fail(OpenResult::ReadError, "read error"), false;
        if (ReadLE32(header) != kCentralHeaderSignature) break;  // Zip64 end record or digital signature
        if (!reader.Take(header + 4, kCentralHeaderSize - 4)) break;
        size_t variableSize = size_t{ReadLE16(header + 28)} + ReadLE16(header + 30) + ReadLE16(header + 32);
        variable.resize(variableSize);
        if (!reader.Take(variable.data(), variableSize)) {
            problem_ = "central directory entry runs past the directory";
            return false;
        }
        if (members_.size() >= kMaxMembers) {
            problem_ = "too many members";
            return false;
        }
        MemberInfo member;
        if (!ParseMember(header, variable.data(), member)) return false;
        members_.push_back(std::move(member));
    }
    uint64_t found = members_.size();
    bool countMatches = found == declaredCount_ || (!zip64_ && (found & 0xFFFF) == declaredCount_);
    if (!countMatches) {
        problem_ = "central directory holds " + std::to_string(found) + " entries, the end record announces " +
                   std::to_string(declaredCount_);
        return false;
    }
    return true;
}

bool ArchiveReader::ParseMember(const uint8_t* header, const uint8_t* variable, MemberInfo& m) {
    CentralHeader h;
    ParseCentralHeader(header, h);
    m.rawName.assign(reinterpret_cast<const char*>(variable), h.nameLength);
    const uint8_t* extra = variable + h.nameLength;
    m.utf8 = (h.flags & kFlagUtf8) != 0;
    m.versionMadeBy = h.versionMadeBy;
    m.flags = h.flags;
    m.method = h.method;
    m.modTime = h.modTime;
    m.modDate = h.modDate;
    m.internalAttributes = h.internalAttributes;
    m.externalAttributes = h.externalAttributes;
    m.crc32 = h.crc32;
    m.compressedSize = h.compressedSize;
    m.uncompressedSize = h.uncompressedSize;
    m.localHeaderOffset = h.localHeaderOffset;

    bool needsZip64 = h.compressedSize == kZip64Marker32 || h.uncompressedSize == kZip64Marker32 ||
                      h.localHeaderOffset == kZip64Marker32;
    if (needsZip64) {
        const uint8_t* data = nullptr;
        size_t size = 0;
        bool ok = FindExtraField(extra, h.extraLength, kExtraZip64, data, size);
        if (ok) ApplyZip64Extra(data, size, h, m, ok);
        if (!ok) {
            problem_ = "member " + std::to_string(members_.size() + 1) + ": Zip64 sizes missing";
            return false;
        }
    }
    ApplyTimeExtras(extra, h.extraLength, m);
    m.centralExtra.assign(extra, extra + h.extraLength);
    m.comment.assign(reinterpret_cast<const char*>(extra + h.extraLength), h.commentLength);
    m.unicodeName = UnicodeField(extra, h.extraLength, kExtraUnicodePath, m.rawName);
    if (!m.comment.empty()) m.unicodeComment = UnicodeField(extra, h.extraLength, kExtraUnicodeComment, m.comment);
    // Offsets are relative to the start of the Zip data, after any prefix.
    m.localHeaderOffset = m.localHeaderOffset > UINT64_MAX - bias_ ? UINT64_MAX : m.localHeaderOffset + bias_;
    return true;
}

void ArchiveReader::ComputeExtentLimits() {
    std::vector<size_t> order(members_.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(), [this](size_t a, size_t b) {
        return members_[a].localHeaderOffset < members_[b].localHeaderOffset;
    });
    for (size_t i = 0; i < order.size(); ++i) {
        MemberInfo& m = members_[order[i]];
        uint64_t limit = i + 1 < order.size() ? members_[order[i + 1]].localHeaderOffset : centralDirStart_;
        limit = std::min(limit, centralDirStart_);
        // A header that starts at or after its limit has no room at all.
        m.extentLimit = m.localHeaderOffset < limit ? limit : 0;
    }
}

}  // namespace zipcore
