#include "UnzipDirectory.h"

#include <algorithm>
#include <cstring>

#include "EngineErrors.h"
#include "mUnzip.h"

namespace bralto {

void UnzipMemberDirectory::CheckIndex(long index) const {
    if (index < 1 || index > Count()) ThrowSubscriptOutOfRange(ExecutableBaseName() + L"." + className_);
}

const UnzipMember& UnzipMemberDirectory::At(long index) const {
    CheckIndex(index);
    return members_[static_cast<size_t>(index - 1)];
}

UnzipMember& UnzipMemberDirectory::At(long index) {
    CheckIndex(index);
    return members_[static_cast<size_t>(index - 1)];
}

std::vector<std::wstring> UnzipMemberDirectory::IncludeNames() const {
    std::vector<std::wstring> names;
    for (const UnzipMember& member : members_)
        if (member.selected) names.push_back(LibraryMemberPath(member.entry.folder, member.entry.name));
    if (names.size() == members_.size()) names.clear();
    return names;
}

UnzipOptionRecord::UnzipOptionRecord() { std::memset(&dcl_, 0, sizeof dcl_); }

void UnzipOptionRecord::UnzipFolder(const std::wstring& value) {
    unzipFolder_ = value;
    if (unzipFolder_.empty() || unzipFolder_.back() != L'\\') unzipFolder_ += L'\\';
}

DCL& UnzipOptionRecord::ForJob(const std::wstring& extractDir, bool listing) {
    zipFileAnsi_ = ToAnsi(zipFile_);
    extractDirAnsi_ = ToAnsi(extractDir);
    dcl_.lpszZipFN = &zipFileAnsi_[0];
    dcl_.lpszExtractDir = &extractDirAnsi_[0];
    dcl_.nvflag = listing ? 1 : 0;
    return dcl_;
}

}  // namespace bralto
