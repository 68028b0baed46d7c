// The zip job module: runs one job of the zip library (qnrz320.dll) for a
// zip object and forwards the library's callbacks to it. Built into Bralto
// and qnrZip unchanged. One job at a time per process: the module keeps one
// current listener, one password give-up flag, and moves the process's
// current folder to the job's base folder.
//
// ZipOptionRecord and ZipFileSpecList hold what cZip and cAsyncZip share:
// the option properties, written straight into the library's ZPOPT record,
// and the list of file specifications.
#pragma once

#include <string>
#include <vector>

#include "ZipEvents.h"
#include "zip_api.h"

namespace bralto {

// Most specifications a job may hold (the table has 1024 slots, the last
// one for the closing entry).
constexpr size_t kMaxZipSpecs = 1023;
// Bytes of the comment buffer the library hands to the comment callback.
constexpr size_t kZipCommentBufferSize = 4097;

// Runs ZpInit, ZpSetOptions and ZpArchive with `options` and the first
// `count` specifications; the callbacks go to `job` (may be null: never
// cancelled, no password, comment kept). Changes the current folder to the
// job's BasePath when that is not blank. Returns the library's code.
// Raises AutomationError (source "<exe>.VBZip") when the library cannot be
// loaded (53) or more than 1023 specifications are given (9); ZpArchive is
// then not called.
long RunZip(IZipJob* job, ZPOPT& options, const std::vector<std::wstring>& specs, long count);
inline long RunZip(IZipJob& job, ZPOPT& options, const std::vector<std::wstring>& specs, long count) {
    return RunZip(&job, options, specs, count);
}

// The job of the running call (null between jobs), and whether the
// listener gave up passwords for it.
IZipJob* CurrentZipListener();
bool ZipPasswordGivenUp();

// The library's callbacks (stdcall, as the library calls them).
int WINAPI ZipPrintCallback(LPSTR text, unsigned long count);
int WINAPI ZipCommentCallback(LPSTR buffer);
int WINAPI ZipPasswordCallback(LPSTR buffer, int size, LPCSTR prompt, LPCSTR name);
int WINAPI ZipServiceCallback(LPCSTR name, unsigned long size);

// The option properties of a zip object over its ZPOPT record. Truth values
// are stored as 1 or 0 unless noted.
class ZipOptionRecord {
public:
    // Start-up values: folder entries stored, folder names not stored, no
    // recursion, level 6; everything else 0 or empty.
    ZipOptionRecord();
    ZipOptionRecord(const ZipOptionRecord&) = delete;
    ZipOptionRecord& operator=(const ZipOptionRecord&) = delete;

    std::wstring ZipFile() const { return zipFile_; }
    void ZipFile(const std::wstring& value) { zipFile_ = value; }
    // szRootDir.
    std::wstring BasePath() const { return basePath_; }
    void BasePath(const std::wstring& value);
    bool Encrypt() const { return record_.fEncrypt != 0; }
    void Encrypt(bool value) { record_.fEncrypt = value ? 1 : 0; }
    bool IncludeSystemAndHiddenFiles() const { return record_.fSystem != 0; }
    void IncludeSystemAndHiddenFiles(bool value) { record_.fSystem = value ? 1 : 0; }
    bool StoreVolumeLabel() const { return record_.fVolume != 0; }
    void StoreVolumeLabel(bool value) { record_.fVolume = value ? 1 : 0; }
    // fNoDirEntries, inverted.
    bool StoreDirectories() const { return record_.fNoDirEntries == 0; }
    void StoreDirectories(bool value) { record_.fNoDirEntries = value ? 0 : 1; }
    // fJunkDir, inverted.
    bool StoreFolderNames() const { return record_.fJunkDir == 0; }
    void StoreFolderNames(bool value) { record_.fJunkDir = value ? 0 : 1; }
    // fRecurse: true stores 2, false 0; reads true when not 0.
    bool RecurseSubDirs() const { return record_.fRecurse != 0; }
    void RecurseSubDirs(bool value) { record_.fRecurse = value ? 2 : 0; }
    bool UpdateOnlyIfNewer() const { return record_.fUpdate != 0; }
    void UpdateOnlyIfNewer(bool value) { record_.fUpdate = value ? 1 : 0; }
    bool FreshenFiles() const { return record_.fFreshen != 0; }
    void FreshenFiles(bool value) { record_.fFreshen = value ? 1 : 0; }
    bool MoveFiles() const { return record_.fMove != 0; }
    void MoveFiles(bool value) { record_.fMove = value ? 1 : 0; }
    bool AddComment() const { return record_.fComment != 0; }
    void AddComment(bool value) { record_.fComment = value ? 1 : 0; }
    // 0 all messages (fVerbose), 1 partial (fQuiet), 2 none; other values
    // change nothing.
    long MessageLevel() const;
    void MessageLevel(long value);
    // fLevel holds the first character of the value written in decimal.
    long CompressionLevel() const { return record_.fLevel - '0'; }
    void CompressionLevel(long value);
    bool ConvertCRLFToLF() const { return record_.fCRLF_LF != 0; }
    void ConvertCRLFToLF(bool value) { record_.fCRLF_LF = value ? 1 : 0; }
    bool ConvertLFToCRLF() const { return record_.fLF_CRLF != 0; }
    void ConvertLFToCRLF(bool value) { record_.fLF_CRLF = value ? 1 : 0; }
    // fGrow; reads true only when the field is exactly 1.
    bool AllowAppend() const { return record_.fGrow == 1; }
    void AllowAppend(bool value) { record_.fGrow = value ? 1 : 0; }
    bool DeleteEntries() const { return record_.fDeleteEntries != 0; }
    void DeleteEntries(bool value) { record_.fDeleteEntries = value ? 1 : 0; }

    // The record as the library receives it.
    ZPOPT& Record() { return record_; }
    const ZPOPT& Record() const { return record_; }

private:
    ZPOPT record_{};
    std::wstring zipFile_;
    std::wstring basePath_;
    std::string rootDir_;  // basePath_ in the system code page, for szRootDir
    std::string empty_;    // Date and szTempDir
};

// The file specifications of a zip object, indexed from 1.
class ZipFileSpecList {
public:
    void Clear() { specs_.clear(); }
    // Appends; returns 0.
    long Add(const std::wstring& spec) {
        specs_.push_back(spec);
        return 0;
    }
    long Count() const { return static_cast<long>(specs_.size()); }
    // The entry at `index` (1 to Count); raises the subscript-out-of-range
    // error (9) with source "<exe>.<className>" otherwise.
    std::wstring At(long index, const std::wstring& className) const;
    const std::vector<std::wstring>& All() const { return specs_; }

private:
    std::vector<std::wstring> specs_;
};

}  // namespace bralto
