#include "CentralDirectoryWriter.h"

#include <algorithm>

#include "ZipFormat.h"

namespace zipcore {

namespace {

constexpr uint16_t kVersionZip64 = 45;

bool Overflows32(uint64_t value) { return value >= kZip64Marker32; }

}  // namespace

void AppendCentralRecord(std::vector<uint8_t>& out, const CentralRecord& record) {
    CentralHeader header;
    header.versionMadeBy = record.versionMadeBy;
    header.versionNeeded = record.versionNeeded;
    header.flags = record.flags;
    header.method = record.method;
    header.modTime = record.modTime;
    header.modDate = record.modDate;
    header.crc32 = record.crc32;
    header.internalAttributes = record.internalAttributes;
    header.externalAttributes = record.externalAttributes;

    // The Zip64 field holds, in this order, only the values whose classic
    // field is set to the marker.
    std::vector<uint8_t> zip64;
    header.uncompressedSize = static_cast<uint32_t>(record.uncompressedSize);
    if (Overflows32(record.uncompressedSize)) {
        header.uncompressedSize = kZip64Marker32;
        AppendLE64(zip64, record.uncompressedSize);
    }
    header.compressedSize = static_cast<uint32_t>(record.compressedSize);
    if (Overflows32(record.compressedSize)) {
        header.compressedSize = kZip64Marker32;
        AppendLE64(zip64, record.compressedSize);
    }
    header.localHeaderOffset = static_cast<uint32_t>(record.localHeaderOffset);
    if (Overflows32(record.localHeaderOffset)) {
        header.localHeaderOffset = kZip64Marker32;
        AppendLE64(zip64, record.localHeaderOffset);
    }
    std::vector<uint8_t> extra;
    if (!zip64.empty()) {
        AppendExtraField(extra, kExtraZip64, zip64);
        header.versionNeeded = std::max(header.versionNeeded, kVersionZip64);
        header.versionMadeBy = static_cast<uint16_t>((header.versionMadeBy & 0xFF00) |
                                                     std::max<uint16_t>(header.versionMadeBy & 0xFF, kVersionZip64));
    }
    extra.insert(extra.end(), record.extra.begin(), record.extra.end());
    AppendCentralHeader(out, header, record.name, extra, record.comment);
}

void AppendEndRecords(std::vector<uint8_t>& out, uint64_t count, uint64_t offset, uint64_t size, uint64_t here,
                      const std::string& comment) {
    bool needZip64 = count >= kZip64Marker16 || Overflows32(offset) || Overflows32(size);
    if (needZip64) {
        Zip64EndOfCentralDir end64;
        end64.entriesOnDisk = count;
        end64.totalEntries = count;
        end64.centralDirSize = size;
        end64.centralDirOffset = offset;
        AppendZip64EndOfCentralDir(out, end64);
        Zip64Locator locator;
        locator.zip64EndOffset = here;
        AppendZip64Locator(out, locator);
    }
    EndOfCentralDir end;
    end.entriesOnDisk = end.totalEntries = count >= kZip64Marker16 ? kZip64Marker16 : static_cast<uint16_t>(count);
    end.centralDirSize = Overflows32(size) ? kZip64Marker32 : static_cast<uint32_t>(size);
    end.centralDirOffset = Overflows32(offset) ? kZip64Marker32 : static_cast<uint32_t>(offset);
    std::string kept = comment.substr(0, kMaxCommentSize);
    AppendEndOfCentralDir(out, end, kept);
}

std::vector<uint8_t> ExtendedTimestampExtra(int64_t unixModTime) {
    std::vector<uint8_t> data;
    data.push_back(1);  // flags: modification time present
    AppendLE32(data, static_cast<uint32_t>(unixModTime));
    std::vector<uint8_t> extra;
    AppendExtraField(extra, kExtraExtendedTimestamp, data);
    return extra;
}

}  // namespace zipcore
