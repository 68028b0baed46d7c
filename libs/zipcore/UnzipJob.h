// Reading side of the Zip core: one unzip job (list, test or extract) with
// the behaviour of Info-ZIP's unzip library - its messages, its result
// codes, its overwrite rules - over an abstract host. Portable.
//
// The host is the platform layer: the Windows DLL (code pages, Win32 file
// system, the caller's callbacks) or the native tests. Text the host gets
// and gives at the caller's side ("interface" text) is in the caller's
// single-byte code page; member names travel as UTF-8 inside the job and
// file system paths are UTF-8 with '/' separators.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "DosTime.h"
#include "UnzipHost.h"

namespace zipcore {

// Result codes of the unzip library (Info-ZIP's PK_ and IZ_ values).
enum UnzipCode : int {
    kUnzipOk = 0,
    kUnzipWarning = 1,     // e.g. empty archive, one disk of a split archive
    kUnzipError = 2,       // some members failed, the others are fine
    kUnzipBadArchive = 3,  // the directory is damaged
    kUnzipNoMemory = 4,
    kUnzipNoZipFile = 9,  // archive missing or not a Zip file
    kUnzipBadParameters = 10,
    kUnzipNothingMatched = 11,
    kUnzipDiskFull = 50,
    kUnzipUnexpectedEnd = 51,
    kUnzipStopped = 80,      // the service callback asked to stop
    kUnzipUnsupported = 81,  // compression or encryption not supported
    kUnzipBadPassword = 82,  // no encrypted member could be decrypted
};

struct UnzipOptions {
    bool extractOnlyNewer = false;  // update: skip files that are not older on disk
    bool spaceToUnderscore = false;
    bool promptToOverwrite = false;
    int quiet = 0;  // 0 all messages, 1 fewer, 2 none
    bool test = false;
    bool list = false;
    bool freshen = false;              // only files that already exist (and are older)
    bool displayComment = false;       // show the archive comment only
    bool keepFolders = false;          // recreate stored folders; else names only
    bool overwrite = false;            // overwrite without asking
    bool textConvert = false;          // LF -> CR LF in members marked as text
    bool ignoreCase = false;           // match include/exclude names in either case
    std::string archivePath;           // interface text
    std::string extractDir;            // interface text; "" for the current folder
    std::vector<std::string> include;  // interface text; empty means every member
    std::vector<std::string> exclude;  // interface text
};

struct ListingTotals {
    uint64_t compressed = 0;
    uint64_t uncompressed = 0;
    int factor = 0;  // percent saved over the listed members
    uint64_t members = 0;
    size_t commentLength = 0;
};

// Runs one job. `totals` (may be null) is filled by a listing.
int RunUnzipJob(const UnzipOptions& options, UnzipHost& host, ListingTotals* totals);

// The listing's method text for a member ("Stored", "Defl:N", "BZip2", ...).
std::string MethodText(uint16_t method, uint16_t flags);

// Percent saved, rounded, as the listing reports it; 0 for an empty member.
int CompressionRatio(uint64_t uncompressed, uint64_t compressed);

}  // namespace zipcore
