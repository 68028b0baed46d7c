#include "cUnzip.h"

namespace bralto {

long cUnzip::Directory() {
    DCL& dcl = options_.ForJob(L"", true);
    return RunUnzip(this, dcl, {}, {}, totals_);
}

long cUnzip::unzip() {
    if (options_.ZipFile().empty()) return 0;
    std::vector<std::wstring> include = directory_.IncludeNames();
    DCL& dcl = options_.ForJob(options_.UnzipFolder(), false);
    return RunUnzip(this, dcl, include, {}, totals_);
}

long cUnzip::IsValidArchive() { return ValidateArchive(options_.ZipFile()); }

void cUnzip::GetVersion(std::wstring& ZVersion, std::wstring& UZVersion, std::wstring& dDate) {
    GetUnzipLibraryVersion(ZVersion, UZVersion, dDate);
}

void cUnzip::ZipFile(const std::wstring& value) {
    options_.ZipFile(value);
    directory_.Clear();
}

void cUnzip::RaiseProgress(const std::wstring& message) {
    if (listener_) listener_->Progress(message);
}

void cUnzip::RaiseCancel(const std::wstring& message, bool& cancel) {
    if (listener_) listener_->Cancel(message, cancel);
}

void cUnzip::RaiseOverwritePrompt(const std::wstring& file, long& response) {
    if (listener_) listener_->OverwritePrompt(file, response);
}

void cUnzip::RaisePasswordRequest(std::wstring& password, bool& cancel, const std::wstring& file) {
    if (listener_) listener_->PasswordRequest(password, cancel, file);
}

}  // namespace bralto
