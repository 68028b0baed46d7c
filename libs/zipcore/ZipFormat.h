// The Zip file format as laid down in PKWARE's APPNOTE: record signatures,
// fixed record layouts, flag bits, method numbers and extra field ids, and
// little-endian readers and writers. Shared by the archive reader and the
// archive writer; portable (no platform headers).
//
// Every Parse* function reads a record's fixed part from a buffer that holds
// at least the record's fixed size and returns false when the signature does
// not match. Every Append* function appends the record (fixed part, then the
// variable parts it owns) to a byte vector.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zipcore {

// ---- Signatures -----------------------------------------------------------
constexpr uint32_t kLocalHeaderSignature = 0x04034b50;           // "PK\3\4"
constexpr uint32_t kCentralHeaderSignature = 0x02014b50;         // "PK\1\2"
constexpr uint32_t kEndOfCentralDirSignature = 0x06054b50;       // "PK\5\6"
constexpr uint32_t kZip64EndOfCentralDirSignature = 0x06064b50;  // "PK\6\6"
constexpr uint32_t kZip64LocatorSignature = 0x07064b50;          // "PK\6\7"
constexpr uint32_t kDataDescriptorSignature = 0x08074b50;        // "PK\7\8"

// ---- Fixed sizes of the records (without their variable parts) -----------
constexpr size_t kLocalHeaderSize = 30;
constexpr size_t kCentralHeaderSize = 46;
constexpr size_t kEndOfCentralDirSize = 22;
constexpr size_t kZip64EndOfCentralDirSize = 56;
constexpr size_t kZip64LocatorSize = 20;
constexpr size_t kDataDescriptorSize = 16;       // with signature, 32-bit sizes
constexpr size_t kZip64DataDescriptorSize = 24;  // with signature, 64-bit sizes
constexpr size_t kMaxCommentSize = 0xFFFF;
constexpr size_t kEncryptionHeaderSize = 12;  // traditional PKWARE

// Values that mean "the real value is in the Zip64 extra field / record".
constexpr uint16_t kZip64Marker16 = 0xFFFF;
constexpr uint32_t kZip64Marker32 = 0xFFFFFFFF;

// ---- General purpose flag bits -------------------------------------------
constexpr uint16_t kFlagEncrypted = 0x0001;
constexpr uint16_t kFlagDeflateOptionMask = 0x0006;  // bits 1-2: level hint
constexpr uint16_t kFlagDataDescriptor = 0x0008;
constexpr uint16_t kFlagStrongEncryption = 0x0040;
constexpr uint16_t kFlagUtf8 = 0x0800;

// Deflate level hints in bits 1-2 (APPNOTE 4.4.4).
constexpr uint16_t kDeflateNormal = 0x0000;
constexpr uint16_t kDeflateMaximum = 0x0002;
constexpr uint16_t kDeflateFast = 0x0004;
constexpr uint16_t kDeflateSuperFast = 0x0006;

// ---- Compression methods --------------------------------------------------
constexpr uint16_t kMethodStored = 0;
constexpr uint16_t kMethodShrunk = 1;
constexpr uint16_t kMethodImploded = 6;
constexpr uint16_t kMethodDeflated = 8;
constexpr uint16_t kMethodDeflate64 = 9;
constexpr uint16_t kMethodBzip2 = 12;
constexpr uint16_t kMethodLzma = 14;
constexpr uint16_t kMethodZstd = 93;
constexpr uint16_t kMethodXz = 95;
constexpr uint16_t kMethodPpmd = 98;
constexpr uint16_t kMethodAes = 99;  // WinZip AES: real method in extra 0x9901

// ---- Extra field ids -----------------------------------------------------
constexpr uint16_t kExtraZip64 = 0x0001;
constexpr uint16_t kExtraNtfs = 0x000a;               // NTFS times (tag 1)
constexpr uint16_t kExtraExtendedTimestamp = 0x5455;  // "UT" Unix times, UTC
constexpr uint16_t kExtraInfoZipUnix = 0x7875;        // "ux" uid/gid
constexpr uint16_t kExtraUnicodePath = 0x7075;        // "up"
constexpr uint16_t kExtraUnicodeComment = 0x6375;     // "uc"
constexpr uint16_t kExtraAes = 0x9901;

// ---- Version made by: host system in the high byte -----------------------
constexpr uint16_t kHostMsDos = 0;
constexpr uint16_t kHostUnix = 3;
constexpr uint16_t kHostHpfs = 6;  // OS/2
constexpr uint16_t kHostNtfs = 11;
constexpr uint16_t kHostVfat = 14;

// MS-DOS attribute bits found in the low byte of the external attributes.
constexpr uint32_t kDosReadOnly = 0x01;
constexpr uint32_t kDosHidden = 0x02;
constexpr uint32_t kDosSystem = 0x04;
constexpr uint32_t kDosDirectory = 0x10;
constexpr uint32_t kDosArchive = 0x20;

// Internal attribute bit 0: the member is probably text.
constexpr uint16_t kInternalText = 0x0001;

// ---- Little-endian access -------------------------------------------------
inline uint16_t ReadLE16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t ReadLE32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}
inline uint64_t ReadLE64(const uint8_t* p) {
    return static_cast<uint64_t>(ReadLE32(p)) | (static_cast<uint64_t>(ReadLE32(p + 4)) << 32);
}
inline void WriteLE16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline void WriteLE32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
inline void WriteLE64(uint8_t* p, uint64_t v) {
    for (int i = 0; i < 8; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
inline void AppendLE16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
inline void AppendLE32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
inline void AppendLE64(std::vector<uint8_t>& out, uint64_t v) {
    for (int i = 0; i < 8; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
inline void AppendBytes(std::vector<uint8_t>& out, const void* data, size_t size) {
    const uint8_t* p = static_cast<const uint8_t*>(data);
    out.insert(out.end(), p, p + size);
}

// ---- Records --------------------------------------------------------------

// Local file header, fixed part (APPNOTE 4.3.7). Sizes are the 32-bit fields
// as stored; Zip64 values live in the extra field.
struct LocalHeader {
    uint16_t versionNeeded = 20;
    uint16_t flags = 0;
    uint16_t method = 0;
    uint16_t modTime = 0;
    uint16_t modDate = 0;
    uint32_t crc32 = 0;
    uint32_t compressedSize = 0;
    uint32_t uncompressedSize = 0;
    uint16_t nameLength = 0;
    uint16_t extraLength = 0;
};

// Central directory file header, fixed part (APPNOTE 4.3.12).
struct CentralHeader {
    uint16_t versionMadeBy = 20;
    uint16_t versionNeeded = 20;
    uint16_t flags = 0;
    uint16_t method = 0;
    uint16_t modTime = 0;
    uint16_t modDate = 0;
    uint32_t crc32 = 0;
    uint32_t compressedSize = 0;
    uint32_t uncompressedSize = 0;
    uint16_t nameLength = 0;
    uint16_t extraLength = 0;
    uint16_t commentLength = 0;
    uint16_t diskNumberStart = 0;
    uint16_t internalAttributes = 0;
    uint32_t externalAttributes = 0;
    uint32_t localHeaderOffset = 0;
};

// End of central directory record (APPNOTE 4.3.16).
struct EndOfCentralDir {
    uint16_t diskNumber = 0;
    uint16_t centralDirDisk = 0;
    uint16_t entriesOnDisk = 0;
    uint16_t totalEntries = 0;
    uint32_t centralDirSize = 0;
    uint32_t centralDirOffset = 0;
    uint16_t commentLength = 0;
};

// Zip64 end of central directory record (APPNOTE 4.3.14), fixed part.
struct Zip64EndOfCentralDir {
    uint64_t recordSize = kZip64EndOfCentralDirSize - 12;  // size after this field
    uint16_t versionMadeBy = 45;
    uint16_t versionNeeded = 45;
    uint32_t diskNumber = 0;
    uint32_t centralDirDisk = 0;
    uint64_t entriesOnDisk = 0;
    uint64_t totalEntries = 0;
    uint64_t centralDirSize = 0;
    uint64_t centralDirOffset = 0;
};

// Zip64 end of central directory locator (APPNOTE 4.3.15).
struct Zip64Locator {
    uint32_t zip64EndDisk = 0;
    uint64_t zip64EndOffset = 0;
    uint32_t totalDisks = 1;
};

// Data descriptor (APPNOTE 4.3.9); written with its optional signature.
struct DataDescriptor {
    uint32_t crc32 = 0;
    uint64_t compressedSize = 0;
    uint64_t uncompressedSize = 0;
};

inline bool ParseLocalHeader(const uint8_t* p, LocalHeader& h) {
    if (ReadLE32(p) != kLocalHeaderSignature) return false;
    h.versionNeeded = ReadLE16(p + 4);
    h.flags = ReadLE16(p + 6);
    h.method = ReadLE16(p + 8);
    h.modTime = ReadLE16(p + 10);
    h.modDate = ReadLE16(p + 12);
    h.crc32 = ReadLE32(p + 14);
    h.compressedSize = ReadLE32(p + 18);
    h.uncompressedSize = ReadLE32(p + 22);
    h.nameLength = ReadLE16(p + 26);
    h.extraLength = ReadLE16(p + 28);
    return true;
}

inline bool ParseCentralHeader(const uint8_t* p, CentralHeader& h) {
    if (ReadLE32(p) != kCentralHeaderSignature) return false;
    h.versionMadeBy = ReadLE16(p + 4);
    h.versionNeeded = ReadLE16(p + 6);
    h.flags = ReadLE16(p + 8);
    h.method = ReadLE16(p + 10);
    h.modTime = ReadLE16(p + 12);
    h.modDate = ReadLE16(p + 14);
    h.crc32 = ReadLE32(p + 16);
    h.compressedSize = ReadLE32(p + 20);
    h.uncompressedSize = ReadLE32(p + 24);
    h.nameLength = ReadLE16(p + 28);
    h.extraLength = ReadLE16(p + 30);
    h.commentLength = ReadLE16(p + 32);
    h.diskNumberStart = ReadLE16(p + 34);
    h.internalAttributes = ReadLE16(p + 36);
    h.externalAttributes = ReadLE32(p + 38);
    h.localHeaderOffset = ReadLE32(p + 42);
    return true;
}

inline bool ParseEndOfCentralDir(const uint8_t* p, EndOfCentralDir& e) {
    if (ReadLE32(p) != kEndOfCentralDirSignature) return false;
    e.diskNumber = ReadLE16(p + 4);
    e.centralDirDisk = ReadLE16(p + 6);
    e.entriesOnDisk = ReadLE16(p + 8);
    e.totalEntries = ReadLE16(p + 10);
    e.centralDirSize = ReadLE32(p + 12);
    e.centralDirOffset = ReadLE32(p + 16);
    e.commentLength = ReadLE16(p + 20);
    return true;
}

inline bool ParseZip64EndOfCentralDir(const uint8_t* p, Zip64EndOfCentralDir& e) {
    if (ReadLE32(p) != kZip64EndOfCentralDirSignature) return false;
    e.recordSize = ReadLE64(p + 4);
    e.versionMadeBy = ReadLE16(p + 12);
    e.versionNeeded = ReadLE16(p + 14);
    e.diskNumber = ReadLE32(p + 16);
    e.centralDirDisk = ReadLE32(p + 20);
    e.entriesOnDisk = ReadLE64(p + 24);
    e.totalEntries = ReadLE64(p + 32);
    e.centralDirSize = ReadLE64(p + 40);
    e.centralDirOffset = ReadLE64(p + 48);
    return true;
}

inline bool ParseZip64Locator(const uint8_t* p, Zip64Locator& l) {
    if (ReadLE32(p) != kZip64LocatorSignature) return false;
    l.zip64EndDisk = ReadLE32(p + 4);
    l.zip64EndOffset = ReadLE64(p + 8);
    l.totalDisks = ReadLE32(p + 16);
    return true;
}

// Appends the local header with its name and extra field.
inline void AppendLocalHeader(std::vector<uint8_t>& out, const LocalHeader& h, const std::string& name,
                              const std::vector<uint8_t>& extra) {
    AppendLE32(out, kLocalHeaderSignature);
    AppendLE16(out, h.versionNeeded);
    AppendLE16(out, h.flags);
    AppendLE16(out, h.method);
    AppendLE16(out, h.modTime);
    AppendLE16(out, h.modDate);
    AppendLE32(out, h.crc32);
    AppendLE32(out, h.compressedSize);
    AppendLE32(out, h.uncompressedSize);
    AppendLE16(out, static_cast<uint16_t>(name.size()));
    AppendLE16(out, static_cast<uint16_t>(extra.size()));
    AppendBytes(out, name.data(), name.size());
    AppendBytes(out, extra.data(), extra.size());
}

// Appends the central header with its name, extra field and comment.
inline void AppendCentralHeader(std::vector<uint8_t>& out, const CentralHeader& h, const std::string& name,
                                const std::vector<uint8_t>& extra, const std::string& comment) {
    AppendLE32(out, kCentralHeaderSignature);
    AppendLE16(out, h.versionMadeBy);
    AppendLE16(out, h.versionNeeded);
    AppendLE16(out, h.flags);
    AppendLE16(out, h.method);
    AppendLE16(out, h.modTime);
    AppendLE16(out, h.modDate);
    AppendLE32(out, h.crc32);
    AppendLE32(out, h.compressedSize);
    AppendLE32(out, h.uncompressedSize);
    AppendLE16(out, static_cast<uint16_t>(name.size()));
    AppendLE16(out, static_cast<uint16_t>(extra.size()));
    AppendLE16(out, static_cast<uint16_t>(comment.size()));
    AppendLE16(out, h.diskNumberStart);
    AppendLE16(out, h.internalAttributes);
    AppendLE32(out, h.externalAttributes);
    AppendLE32(out, h.localHeaderOffset);
    AppendBytes(out, name.data(), name.size());
    AppendBytes(out, extra.data(), extra.size());
    AppendBytes(out, comment.data(), comment.size());
}

// Appends the end record with the archive comment.
inline void AppendEndOfCentralDir(std::vector<uint8_t>& out, const EndOfCentralDir& e, const std::string& comment) {
    AppendLE32(out, kEndOfCentralDirSignature);
    AppendLE16(out, e.diskNumber);
    AppendLE16(out, e.centralDirDisk);
    AppendLE16(out, e.entriesOnDisk);
    AppendLE16(out, e.totalEntries);
    AppendLE32(out, e.centralDirSize);
    AppendLE32(out, e.centralDirOffset);
    AppendLE16(out, static_cast<uint16_t>(comment.size()));
    AppendBytes(out, comment.data(), comment.size());
}

inline void AppendZip64EndOfCentralDir(std::vector<uint8_t>& out, const Zip64EndOfCentralDir& e) {
    AppendLE32(out, kZip64EndOfCentralDirSignature);
    AppendLE64(out, e.recordSize);
    AppendLE16(out, e.versionMadeBy);
    AppendLE16(out, e.versionNeeded);
    AppendLE32(out, e.diskNumber);
    AppendLE32(out, e.centralDirDisk);
    AppendLE64(out, e.entriesOnDisk);
    AppendLE64(out, e.totalEntries);
    AppendLE64(out, e.centralDirSize);
    AppendLE64(out, e.centralDirOffset);
}

inline void AppendZip64Locator(std::vector<uint8_t>& out, const Zip64Locator& l) {
    AppendLE32(out, kZip64LocatorSignature);
    AppendLE32(out, l.zip64EndDisk);
    AppendLE64(out, l.zip64EndOffset);
    AppendLE32(out, l.totalDisks);
}

// Appends a data descriptor with its signature; 64-bit sizes when zip64.
inline void AppendDataDescriptor(std::vector<uint8_t>& out, const DataDescriptor& d, bool zip64) {
    AppendLE32(out, kDataDescriptorSignature);
    AppendLE32(out, d.crc32);
    if (zip64) {
        AppendLE64(out, d.compressedSize);
        AppendLE64(out, d.uncompressedSize);
    } else {
        AppendLE32(out, static_cast<uint32_t>(d.compressedSize));
        AppendLE32(out, static_cast<uint32_t>(d.uncompressedSize));
    }
}

// Appends an extra field block (id, length, data). The caller keeps the
// data below 65,536 bytes.
inline void AppendExtraField(std::vector<uint8_t>& out, uint16_t id, const std::vector<uint8_t>& data) {
    AppendLE16(out, id);
    AppendLE16(out, static_cast<uint16_t>(data.size()));
    AppendBytes(out, data.data(), data.size());
}

// Finds the data of extra field `id` inside an extra block. Returns false
// when the id is absent or its declared length runs past the block.
inline bool FindExtraField(const uint8_t* extra, size_t extraSize, uint16_t id, const uint8_t*& data,
                           size_t& dataSize) {
    size_t pos = 0;
    while (pos + 4 <= extraSize) {
        uint16_t fieldId = ReadLE16(extra + pos);
        size_t fieldSize = ReadLE16(extra + pos + 2);
        if (pos + 4 + fieldSize > extraSize) return false;
        if (fieldId == id) {
            data = extra + pos + 4;
            dataSize = fieldSize;
            return true;
        }
        pos += 4 + fieldSize;
    }
    return false;
}

}  // namespace zipcore
