// The central directory and end records of an archive being written, with
// Zip64 records wherever a size, an offset or the member count no longer
// fits the classic fields. Portable.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zipcore {

// Everything the central directory says about one member, with full
// 64-bit values; the writer decides the Zip64 encoding.
struct CentralRecord {
    uint16_t versionMadeBy = 20;
    uint16_t versionNeeded = 20;
    uint16_t flags = 0;
    uint16_t method = 0;
    uint16_t modTime = 0;
    uint16_t modDate = 0;
    uint32_t crc32 = 0;
    uint64_t compressedSize = 0;
    uint64_t uncompressedSize = 0;
    uint64_t localHeaderOffset = 0;
    uint16_t internalAttributes = 0;
    uint32_t externalAttributes = 0;
    std::string name;
    std::vector<uint8_t> extra;  // extra fields other than Zip64
    std::string comment;
};

// Appends the central header of `record`, adding a Zip64 extra field (and
// raising the version needed to 4.5) when a value overflows.
void AppendCentralRecord(std::vector<uint8_t>& out, const CentralRecord& record);

// Appends the end records for a central directory of `count` entries that
// starts at `offset` and is `size` bytes long, beginning at position `here`
// (the Zip64 end record and locator first when needed), then the classic
// end record with the archive comment (at most 65,535 bytes).
void AppendEndRecords(std::vector<uint8_t>& out, uint64_t count, uint64_t offset, uint64_t size, uint64_t here,
                      const std::string& comment);

// The "UT" extra field with the modification time (local and central
// forms are the same when only that time is stored).
std::vector<uint8_t> ExtendedTimestampExtra(int64_t unixModTime);

}  // namespace zipcore
