// cUnzip: Bralto's in-process unzip object. Options written straight into
// the library's record, the member directory filled by Directory, and the
// events of a job raised to one listener. See mUnzip for the job itself.
#pragma once

#include <string>

#include "UnzipDirectory.h"
#include "UnzipEvents.h"
#include "mUnzip.h"

namespace bralto {

class cUnzip : public IUnzipJob {
public:
    cUnzip() = default;
    cUnzip(const cUnzip&) = delete;
    cUnzip& operator=(const cUnzip&) = delete;

    // The listener of the events (not owned; null: defaults - keep files,
    // no password, never cancelled).
    void SetListener(IUnzipEvents* listener) { listener_ = listener; }

    // ---- Options ----
    bool ExtractOnlyNewer() const { return options_.ExtractOnlyNewer(); }
    void ExtractOnlyNewer(bool value) { options_.ExtractOnlyNewer(value); }
    bool ExtractOnlyExistingNewer() const { return options_.ExtractOnlyExistingNewer(); }
    void ExtractOnlyExistingNewer(bool value) { options_.ExtractOnlyExistingNewer(value); }
    bool SpaceToUnderscore() const { return options_.SpaceToUnderscore(); }
    void SpaceToUnderscore(bool value) { options_.SpaceToUnderscore(value); }
    bool PromptToOverwrite() const { return options_.PromptToOverwrite(); }
    void PromptToOverwrite(bool value) { options_.PromptToOverwrite(value); }
    long MessageLevel() const { return options_.MessageLevel(); }
    void MessageLevel(long value) { options_.MessageLevel(value); }
    bool TestZip() const { return options_.TestZip(); }
    void TestZip(bool value) { options_.TestZip(value); }
    bool DisplayComment() const { return options_.DisplayComment(); }
    void DisplayComment(bool value) { options_.DisplayComment(value); }
    bool UseFolderNames() const { return options_.UseFolderNames(); }
    void UseFolderNames(bool value) { options_.UseFolderNames(value); }
    bool OverwriteExisting() const { return options_.OverwriteExisting(); }
    void OverwriteExisting(bool value) { options_.OverwriteExisting(value); }
    bool ConvertCRToCRLF() const { return options_.ConvertCRToCRLF(); }
    void ConvertCRToCRLF(bool value) { options_.ConvertCRToCRLF(value); }
    bool CaseSensitiveFileNames() const { return options_.CaseSensitiveFileNames(); }
    void CaseSensitiveFileNames(bool value) { options_.CaseSensitiveFileNames(value); }

    // ---- Member directory (indices 1 to FileCount; others raise error 9) ----
    long FileCount() const { return directory_.Count(); }
    std::wstring Filename(long index) const { return directory_.At(index).entry.name; }
    std::wstring FileDirectory(long index) const { return directory_.At(index).entry.folder; }
    // Sizes up to 0xFFFFFFFF, never negative.
    long long FileSize(long index) const { return directory_.At(index).entry.compressedSize; }
    long long FilePackedSize(long index) const { return directory_.At(index).entry.uncompressedSize; }
    long FileCompressionRatio(long index) const { return directory_.At(index).entry.ratio; }
    AutomationDate FileDate(long index) const { return directory_.At(index).entry.date; }
    long FileCRC(long index) const { return directory_.At(index).entry.crc; }
    std::wstring FileCompressionMethod(long index) const { return directory_.At(index).entry.method; }
    bool FileEncrypted(long index) const { return directory_.At(index).entry.encrypted; }
    bool FileSelected(long index) const { return directory_.At(index).selected; }
    void FileSelected(long index, bool value) { directory_.At(index).selected = value; }

    // ---- Methods ----
    // Lists ZipFile, appending to the directory; returns the library's code.
    long Directory();
    // Extracts (or, with TestZip, tests) the selected members into
    // UnzipFolder; 0 without doing anything when ZipFile is "".
    long unzip();
    long IsValidArchive();
    void GetVersion(std::wstring& ZVersion, std::wstring& UZVersion, std::wstring& dDate);

    std::wstring UnzipFolder() const { return options_.UnzipFolder(); }
    void UnzipFolder(const std::wstring& value) { options_.UnzipFolder(value); }
    std::wstring ZipFile() const { return options_.ZipFile(); }
    // Empties the member directory.
    void ZipFile(const std::wstring& value);

    // 64-bit sums of the member sizes of the last listing.
    long long TotalSizeCompressed() const { return totals_.TotalSizeCompressed; }
    long long TotalSize() const { return totals_.TotalSize; }
    long CompressionFactor() const { return totals_.CompressionFactor; }
    long NumMembers() const { return totals_.NumMembers; }

    // The option record as it stands (for tests and diagnostics).
    const DCL& Record() const { return options_.Record(); }

    // ---- IUnzipJob: called by the library callbacks ----
    void AddMemberEntry(const UnzipMemberEntry& entry) override { directory_.Append(entry); }
    void RaiseProgress(const std::wstring& message) override;
    void RaiseCancel(const std::wstring& message, bool& cancel) override;
    void RaiseOverwritePrompt(const std::wstring& file, long& response) override;
    void RaisePasswordRequest(std::wstring& password, bool& cancel, const std::wstring& file) override;

private:
    UnzipOptionRecord options_;
    UnzipMemberDirectory directory_;
    UnzipListingTotals totals_;
    IUnzipEvents* listener_ = nullptr;
};

}  // namespace bralto
