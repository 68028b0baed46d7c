// The platform side of an unzip job: the caller's callbacks, text
// conversions and the file system, as the job sees them. The Windows DLL
// and the native tests implement it. Interface text is in the caller's
// single-byte code page; member names and paths inside the job are UTF-8
// with '/' separators.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "CryptoProvider.h"
#include "DosTime.h"
#include "WriterIo.h"

namespace zipcore {

struct ListingEntry {
    uint64_t uncompressedSize = 0;
    uint64_t compressedSize = 0;
    int ratio = 0;       // percent saved, negative when it grew
    DateTime modified;   // DOS date and time as stored (local)
    std::string path;    // interface text, '/' separators as stored
    std::string method;  // "Stored", "Defl:N", ...
    uint32_t crc32 = 0;
    bool encrypted = false;
};

struct FileFacts {
    bool exists = false;
    bool isDirectory = false;
    int64_t unixModTime = 0;
};

struct FileStamp {
    int64_t unixModTime = 0;
    bool readOnly = false;
    bool hidden = false;
};

// A member being written: either under a temporary name in its target
// folder (when a file of the final name may exist: it stays whole until the
// new one is complete), or in place under its final name (when the name was
// free and the host made the file). Destroying it without a successful
// Commit removes what was written, so a failed member never leaves a
// partial file under its final name.
class ExtractedFile {
public:
    virtual ~ExtractedFile() = default;
    virtual bool Write(const uint8_t* data, size_t size) = 0;
    // Closes the file, sets its time and attributes, and (a temporary file)
    // renames it to `finalPath`, replacing an existing file.
    virtual bool Commit(const std::string& finalPath, const FileStamp& stamp) = 0;
};

// How long a path, a name and a chain of folders the file system takes.
// Lengths are in the units of PathUnits.
struct PathLimits {
    size_t maxPath = 4095;  // a whole path, as the host hands it to the system
    size_t maxName = 255;   // one file or folder name
    // Folders inside each other below the extraction folder. Each level
    // costs a call that walks the whole path again, so a deep name costs
    // the square of its depth: the bound keeps a small hostile archive
    // from taking hours.
    size_t maxDepth = 512;
};

// What MakeDirectory found.
enum class FolderState {
    Failed,    // no folder of that name afterwards
    Created,   // made now: it holds nothing but what the job puts there
    Existing,  // was there already
};

class UnzipHost {
public:
    virtual ~UnzipHost() = default;

    // ---- Text ----
    // A stored member name as UTF-8: `raw` is UTF-8 when `utf8` is set,
    // else in the code page of the tool that wrote it (OEM on Windows).
    // The job itself decides which names are UTF-8 (MemberNames.h).
    virtual std::string DecodeMemberName(const std::string& raw, bool utf8) = 0;
    // A UTF-8 name or path in the caller's code page. Characters the code
    // page lacks are escaped (EncodeForInterface), never replaced by a
    // look-alike: the result names the same member or file, and two names
    // never give the same text, so the caller can hand it back to select.
    virtual std::string ToInterface(const std::string& utf8) = 0;
    virtual std::string FromInterface(const std::string& text) = 0;

    // ---- The caller's callbacks (interface text) ----
    virtual void Print(const std::string& text) = 0;
    // 100 no, 102 yes, 103 yes to all, 104 no to all.
    virtual int Replace(const std::string& path) = 0;
    // False when the caller gives no password.
    virtual bool Password(const std::string& prompt, const std::string& member, std::string& password) = 0;
    // The byte forms a password typed by the caller may have had in the
    // tool that encrypted the archive (the caller's code page first; on
    // Windows also UTF-8 and OEM). The first one the archive accepts wins.
    virtual std::vector<std::string> PasswordForms(const std::string& password) { return {password}; }
    virtual void DirectoryEntry(const ListingEntry& entry) = 0;
    // The platform's cryptography for WinZip AES members; nullptr when the
    // host has none (those members are then unsupported).
    virtual CryptoProvider* Crypto() { return nullptr; }
    // True when the caller asks to stop before `member`.
    virtual bool Stop(const std::string& member, uint64_t size) = 0;

    // ---- File system ----
    // The archive named in interface text; nullptr when it cannot be opened.
    virtual std::unique_ptr<ArchiveInput> OpenArchive(const std::string& path) = 0;
    virtual FileFacts Stat(const std::string& path) = 0;
    // Creates one folder (its parent exists).
    virtual FolderState MakeDirectory(const std::string& path) = 0;
    // What two paths naming the same folder have in common: the path itself
    // where names are case-sensitive, one case of it where they are not.
    virtual std::string FolderKey(const std::string& path) { return path; }
    virtual std::unique_ptr<ExtractedFile> CreateTemporary(const std::string& folder) = 0;
    // Creates `path` itself, only if no file or folder of that name exists
    // (atomically: an existing file is never opened); nullptr otherwise, or
    // when the host writes through temporary files only.
    virtual std::unique_ptr<ExtractedFile> CreateInPlace(const std::string&) { return nullptr; }
    // How many threads may create and write small files in place at once,
    // beside the job's own: 0 keeps every file on the job's thread. Above
    // 0, CreateInPlace and the files it makes (each on one thread) are used
    // from those threads while the job goes on calling the rest.
    virtual unsigned FileWorkers() { return 0; }
    // Sets a folder's modification time (UTC seconds); failures are
    // ignored, as the folder and its files are there.
    virtual void SetFolderTime(const std::string&, int64_t) {}
    // Local wall-clock time (DOS times are local) to UTC seconds.
    virtual int64_t LocalTimeToUnix(const DateTime& local) = 0;

    // ---- Limits of the file system ----
    virtual PathLimits Limits() { return PathLimits{}; }
    // The length of `path` (or of one name) in the units of the limits, as
    // the system will see it: bytes by default.
    virtual size_t PathUnits(const std::string& path) { return path.size(); }
};

}  // namespace zipcore
