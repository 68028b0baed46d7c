// The member directory and the option record of an unzip object, shared by
// cUnzip and the server's cAsyncUnzip: options write straight into the
// library's DCL record, members are appended by listings.
#pragma once

#include <string>
#include <vector>

#include "UnzipEvents.h"
#include "unzip_api.h"

namespace bralto {

struct UnzipMember {
    UnzipMemberEntry entry;
    bool selected = true;
};

// Ordered member records, indexed 1 to Count(). An index outside raises
// the subscript-out-of-range error (9).
class UnzipMemberDirectory {
public:
    // `className` names the owner in the error source ("cUnzip", "cAsyncUnzip").
    explicit UnzipMemberDirectory(std::wstring className = L"cUnzip") : className_(std::move(className)) {}

    long Count() const { return static_cast<long>(members_.size()); }
    void Append(const UnzipMemberEntry& entry) { members_.push_back(UnzipMember{entry, true}); }
    void Clear() { members_.clear(); }
    const UnzipMember& At(long index) const;
    UnzipMember& At(long index);

    // The include names for extracting the selected members: folder, '/',
    // name; empty when every member or none is selected (whole archive).
    std::vector<std::wstring> IncludeNames() const;

private:
    void CheckIndex(long index) const;

    std::wstring className_;
    std::vector<UnzipMember> members_;
};

// The DCL record with the option properties' rules. Truth values are
// stored as 1 or 0; strings are kept here and pointed to at job start.
class UnzipOptionRecord {
public:
    UnzipOptionRecord();

    bool ExtractOnlyNewer() const { return dcl_.ExtractOnlyNewer != 0 && dcl_.nfflag == 0; }
    void ExtractOnlyNewer(bool value) {
        dcl_.ExtractOnlyNewer = value ? 1 : 0;
        dcl_.nfflag = 0;
    }
    bool ExtractOnlyExistingNewer() const { return dcl_.nfflag != 0; }
    void ExtractOnlyExistingNewer(bool value) {
        dcl_.nfflag = value ? 1 : 0;
        if (value) dcl_.ExtractOnlyNewer = 1;
    }
    bool SpaceToUnderscore() const { return dcl_.SpaceToUnderscore != 0; }
    void SpaceToUnderscore(bool value) { dcl_.SpaceToUnderscore = value ? 1 : 0; }
    bool PromptToOverwrite() const { return dcl_.PromptToOverwrite != 0; }
    void PromptToOverwrite(bool value) { dcl_.PromptToOverwrite = value ? 1 : 0; }
    long MessageLevel() const { return dcl_.fQuiet; }
    void MessageLevel(long value) { dcl_.fQuiet = static_cast<int>(value); }
    bool TestZip() const { return dcl_.ntflag != 0; }
    void TestZip(bool value) { dcl_.ntflag = value ? 1 : 0; }
    bool DisplayComment() const { return dcl_.nzflag != 0; }
    void DisplayComment(bool value) { dcl_.nzflag = value ? 1 : 0; }
    bool UseFolderNames() const { return dcl_.ndflag != 0; }
    void UseFolderNames(bool value) { dcl_.ndflag = value ? 1 : 0; }
    bool OverwriteExisting() const { return dcl_.noflag != 0; }
    void OverwriteExisting(bool value) { dcl_.noflag = value ? 1 : 0; }
    bool ConvertCRToCRLF() const { return dcl_.naflag != 0; }
    void ConvertCRToCRLF(bool value) { dcl_.naflag = value ? 1 : 0; }
    bool CaseSensitiveFileNames() const { return dcl_.C_flag != 0; }
    void CaseSensitiveFileNames(bool value) { dcl_.C_flag = value ? 1 : 0; }

    const std::wstring& ZipFile() const { return zipFile_; }
    void ZipFile(const std::wstring& value) { zipFile_ = value; }
    const std::wstring& UnzipFolder() const { return unzipFolder_; }
    // A backslash is appended when missing ("" becomes "\").
    void UnzipFolder(const std::wstring& value);

    // Prepares the record for a job: archive = ZipFile, extraction folder
    // as given, listing flag as given. The record points into this object.
    DCL& ForJob(const std::wstring& extractDir, bool listing);
    const DCL& Record() const { return dcl_; }

private:
    DCL dcl_;
    std::wstring zipFile_;
    std::wstring unzipFolder_;
    std::string zipFileAnsi_;
    std::string extractDirAnsi_;
};

}  // namespace bralto
