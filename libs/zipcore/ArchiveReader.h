// Reading side of the Zip core: finds the end records, reads and checks the
// central directory, and describes each member. Portable.
//
// The reader trusts nothing it reads. Every offset and size is checked
// against the real file before it is used; the central directory is read in
// bounded chunks; counts are capped by what the directory's bytes can hold;
// the data extent of each member is bounded by the next member's header
// (overlapping members, the "zip bomb" shape, are refused at extraction).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "WriterIo.h"

namespace zipcore {

struct EndOfCentralDir;

// One member as the central directory describes it, with the Zip64 and
// time extra fields already applied.
struct MemberInfo {
    std::string rawName;      // name bytes as stored (code page unknown)
    std::string unicodeName;  // UTF-8 name from a valid 0x7075 field, "" if none
    bool utf8 = false;        // flag bit 11: rawName is UTF-8
    uint16_t versionMadeBy = 0;
    uint16_t flags = 0;
    uint16_t method = 0;   // as stored (99 for AES)
    uint16_t modTime = 0;  // DOS time, local
    uint16_t modDate = 0;  // DOS date, local
    uint16_t internalAttributes = 0;
    uint32_t externalAttributes = 0;
    uint32_t crc32 = 0;
    uint64_t compressedSize = 0;
    uint64_t uncompressedSize = 0;
    uint64_t localHeaderOffset = 0;     // absolute position in the file
    uint64_t extentLimit = 0;           // the member's bytes must end by here
    bool hasUnixTime = false;           // from the "UT" or NTFS extra field
    int64_t unixModTime = 0;            // UTC seconds, when hasUnixTime
    std::vector<uint8_t> centralExtra;  // the central header's extra fields, as stored
    std::string comment;                // the member's comment, as stored
    std::string unicodeComment;         // UTF-8 comment from a valid 0x6375 field, "" if none

    bool IsEncrypted() const;
    bool IsAesOrStrongEncrypted() const;
    bool IsDirectory() const;  // name ends with a slash, or DOS directory bit
    bool IsText() const { return (internalAttributes & 1) != 0; }
};

enum class OpenResult {
    Ok,
    NoEndRecord,  // no end of central directory: not a Zip file (or truncated)
    Damaged,      // end record found, but the directory is inconsistent
    ReadError,
};

class ArchiveReader {
public:
    // Reads the directory of `input`. The input must stay alive while the
    // reader's members are extracted.
    OpenResult Open(ArchiveInput& input);

    const std::vector<MemberInfo>& Members() const { return members_; }
    const std::string& Comment() const { return comment_; }
    // Member count the end record announces (0 means an empty archive).
    uint64_t DeclaredCount() const { return declaredCount_; }
    // Disk number of the end record (not 0: one disk of a split archive).
    uint32_t DiskNumber() const { return diskNumber_; }
    // Bytes found before the first member (a self-extractor's stub).
    uint64_t PrefixBytes() const { return bias_; }
    // Where the central directory starts (members' data must end before).
    uint64_t CentralDirStart() const { return centralDirStart_; }
    // A short English explanation when Open did not return Ok.
    const std::string& Problem() const { return problem_; }

    // Upper bound on central directory entries, whatever a file claims.
    static constexpr uint64_t kMaxMembers = 16u * 1024 * 1024;
    // End record signatures tried in turn before the archive is declared damaged.
    static constexpr size_t kMaxEndRecordTries = 8;

private:
    bool FindEndRecords(ArchiveInput& input, std::vector<uint64_t>& candidates);
    OpenResult OpenAt(ArchiveInput& input, uint64_t endPos);
    bool ReadZip64End(ArchiveInput& input, uint64_t endPos, const EndOfCentralDir& end, uint64_t& zip64EndPos);
    bool MissingZip64End(bool marked);
    bool ReadCentralDirectory(ArchiveInput& input);
    bool ParseMember(const uint8_t* header, const uint8_t* variable, MemberInfo& m);
    void ComputeExtentLimits();
    OpenResult Fail(OpenResult result, const std::string& problem);

    std::vector<MemberInfo> members_;
    std::string comment_;
    std::string problem_;
    uint64_t fileSize_ = 0;
    uint64_t declaredCount_ = 0;
    uint64_t centralDirSize_ = 0;
    uint64_t centralDirOffset_ = 0;  // as declared
    uint64_t centralDirStart_ = 0;   // real position
    uint64_t bias_ = 0;
    uint32_t diskNumber_ = 0;
    bool zip64_ = false;
    bool displacedEmpty_ = false;  // an empty directory announced at another offset
};

}  // namespace zipcore
