// One zip job from start to end: add, replace, update, freshen, move or
// delete members, set the archive comment. The platform layer finds the
// files (masks, recursion, attributes) and provides file access and the
// caller's callbacks through ZipJobHost; everything else is decided here,
// so it is the same on every platform. Portable.
//
// Safety: the new archive is written to a temporary file the host creates
// beside the old one, and replaces it only when complete. Whatever stops
// the job (cancel, unreadable old archive, write failure) leaves the
// original untouched and the temporary file removed.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ArchiveWriter.h"
#include "MemberCompressor.h"
#include "WriterIo.h"

namespace zipcore {

// Result codes, Info-ZIP's ZE_ values.
enum ZipResult : int {
    kZipOk = 0,
    kZipEof = 2,
    kZipFormat = 3,
    kZipMemory = 4,
    kZipLogic = 5,
    kZipTooBig = 6,
    kZipComment = 7,
    kZipTest = 8,
    kZipAborted = 9,
    kZipTemporary = 10,
    kZipRead = 11,
    kZipNothingToDo = 12,
    kZipMissingArchive = 13,
    kZipWrite = 14,
    kZipCreate = 15,
    kZipParameters = 16,
    kZipOpen = 18,
};

struct ZipJobOptions {
    int level = 6;  // 0 stores, 1-9 deflate
    bool encrypt = false;
    bool update = false;   // only files newer than their member, or new ones
    bool freshen = false;  // only existing members whose file is newer
    bool move = false;     // delete the sources after success
    bool deleteEntries = false;
    bool comment = false;  // ask for the archive comment
    bool quiet = false;    // no per-file messages, only warnings and errors
    TextConversion conversion = TextConversion::None;
    unsigned threads = 0;  // 0: one per core
};

// A file or folder found by the platform's enumeration.
struct SourceFile {
    NewMemberInfo info;       // stored name, times, attributes, size
    std::string displayName;  // the stored name in the caller's code page
    std::string path;         // how the host opens (and moves) it
    std::string displayPath;  // its full path in the caller's code page, for messages
};

// A temporary archive beside the target. Destroying it without a
// successful Commit removes the file.
class TemporaryArchive : public OutputFile {
public:
    // Closes the file and puts it in place of the archive. False when the
    // archive could not be replaced (the temporary file is then removed).
    virtual bool Commit() = 0;
};

class ZipJobHost {
public:
    virtual ~ZipJobHost() = default;

    // ---- file access ----
    virtual bool ArchiveExists(const std::string& archivePath) = 0;
    // nullptr when the archive exists but cannot be opened.
    virtual std::unique_ptr<ArchiveInput> OpenArchive(const std::string& archivePath) = 0;
    // nullptr when no temporary file can be created beside the archive.
    virtual std::unique_ptr<TemporaryArchive> CreateTemporary(const std::string& archivePath) = 0;
    // Opens a source for reading; called from the compressor's reading
    // thread. nullptr when it cannot be opened.
    virtual std::unique_ptr<InputStream> OpenSource(const SourceFile& source) = 0;
    // Deletes a source after a move; folders are removed only when empty.
    virtual bool RemoveSource(const SourceFile& source) = 0;

    // A stored member name as the caller's messages and masks show it, in
    // the caller's code page: `storedName` is UTF-8 when `utf8` is set (the
    // job decides, as MemberNames.h says), else in the OEM code page of the
    // tool that wrote it. Characters the code page lacks are escaped as the
    // unzip library escapes them, so both libraries show a member alike.
    virtual std::string DisplayName(const std::string& storedName, bool utf8) = 0;

    // ---- the caller's callbacks (called on the job's thread) ----
    virtual void Print(const std::string& text) = 0;
    // Before each file; true stops the job.
    virtual bool ShouldStop(const std::string& displayName, uint64_t size) = 0;
    // Fills `password`; false or an empty answer means no encryption.
    virtual bool AskPassword(std::string& password) = 0;
    // `comment` holds the current archive comment and receives the new one.
    virtual void AskComment(std::string& comment) = 0;
};

// Runs one job on `archivePath`. In delete mode `specs` are the member
// names or masks to delete and `sources` is ignored; otherwise `sources`
// are the files found for the job's specifications. Returns a ZipResult.
int RunZipJob(const ZipJobOptions& options, const std::vector<SourceFile>& sources,
              const std::vector<std::string>& specs, const std::string& archivePath, ZipJobHost& host);

// The percentage printed after a member, as Zip prints it: the share of the
// size saved, rounded; 0 for an empty member.
int CompressionPercent(uint64_t uncompressed, uint64_t compressed);

}  // namespace zipcore
