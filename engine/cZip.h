// cZip: Bralto's in-process zip object. Options written straight into the
// library's record, a list of file specifications, the methods Zip and
// Delete, and the events of a job raised to one listener. See mZip for the
// job itself.
#pragma once

#include <string>

#include "ZipEvents.h"
#include "mZip.h"

namespace bralto {

class cZip : public IZipJob {
public:
    cZip() = default;
    cZip(const cZip&) = delete;
    cZip& operator=(const cZip&) = delete;

    // The listener of the events (not owned; null: never cancelled, no
    // password, the archive comment kept).
    void SetListener(IZipEvents* listener) { listener_ = listener; }

    // ---- Options, in their declared order ----
    std::wstring ZipFile() const override { return options_.ZipFile(); }
    void ZipFile(const std::wstring& value) { options_.ZipFile(value); }
    std::wstring BasePath() const override { return options_.BasePath(); }
    void BasePath(const std::wstring& value) { options_.BasePath(value); }
    bool Encrypt() const { return options_.Encrypt(); }
    void Encrypt(bool value) { options_.Encrypt(value); }
    bool IncludeSystemAndHiddenFiles() const { return options_.IncludeSystemAndHiddenFiles(); }
    void IncludeSystemAndHiddenFiles(bool value) { options_.IncludeSystemAndHiddenFiles(value); }
    bool StoreVolumeLabel() const { return options_.StoreVolumeLabel(); }
    void StoreVolumeLabel(bool value) { options_.StoreVolumeLabel(value); }
    bool StoreDirectories() const { return options_.StoreDirectories(); }
    void StoreDirectories(bool value) { options_.StoreDirectories(value); }
    bool StoreFolderNames() const { return options_.StoreFolderNames(); }
    void StoreFolderNames(bool value) { options_.StoreFolderNames(value); }
    bool RecurseSubDirs() const { return options_.RecurseSubDirs(); }
    void RecurseSubDirs(bool value) { options_.RecurseSubDirs(value); }
    bool UpdateOnlyIfNewer() const { return options_.UpdateOnlyIfNewer(); }
    void UpdateOnlyIfNewer(bool value) { options_.UpdateOnlyIfNewer(value); }
    bool FreshenFiles() const { return options_.FreshenFiles(); }
    void FreshenFiles(bool value) { options_.FreshenFiles(value); }
    bool MoveFiles() const { return options_.MoveFiles(); }
    void MoveFiles(bool value) { options_.MoveFiles(value); }
    bool AddComment() const { return options_.AddComment(); }
    void AddComment(bool value) { options_.AddComment(value); }
    long MessageLevel() const { return options_.MessageLevel(); }
    void MessageLevel(long value) { options_.MessageLevel(value); }
    long CompressionLevel() const { return options_.CompressionLevel(); }
    void CompressionLevel(long value) { options_.CompressionLevel(value); }
    bool ConvertCRLFToLF() const { return options_.ConvertCRLFToLF(); }
    void ConvertCRLFToLF(bool value) { options_.ConvertCRLFToLF(value); }
    bool ConvertLFToCRLF() const { return options_.ConvertLFToCRLF(); }
    void ConvertLFToCRLF(bool value) { options_.ConvertLFToCRLF(value); }

    // ---- File specifications (indices 1 to FileSpecCount) ----
    void ClearFileSpecs() { specs_.Clear(); }
    long AddFileSpec(const std::wstring& sSpec) { return specs_.Add(sSpec); }
    long FileSpecCount() const { return specs_.Count(); }
    // Raises the subscript-out-of-range error (9) outside 1 to FileSpecCount.
    std::wstring FileSpec(long nIndex) const { return specs_.At(nIndex, L"cZip"); }

    bool AllowAppend() const { return options_.AllowAppend(); }
    void AllowAppend(bool value) { options_.AllowAppend(value); }

    // ---- Methods ----
    // Runs the job on the list; returns the library's code (0 = success).
    long Zip();
    // Deletes the members the list names; fDeleteEntries is off afterwards.
    long Delete();

    // The option record as it stands (for tests and diagnostics).
    const ZPOPT& Record() const { return options_.Record(); }

    // ---- IZipJob: called by the library callbacks ----
    void RaiseProgress(const std::wstring& message) override;
    void RaiseCancel(const std::wstring& message, bool& cancel) override;
    void RaisePasswordRequest(std::wstring& password, bool& cancel) override;
    void RaiseCommentRequest(std::wstring& comment, bool& cancel, bool& clear) override;

private:
    ZipOptionRecord options_;
    ZipFileSpecList specs_;
    IZipEvents* listener_ = nullptr;
};

}  // namespace bralto
