#include "mShellExecute.h"

#include <shellapi.h>

#include "Texts.h"

namespace bralto {

namespace {
const wchar_t* OrNull(const std::wstring& text) { return text.empty() ? nullptr : text.c_str(); }
}  // namespace

std::wstring ShellOpenErrorText(INT_PTR result) {
    namespace t = shell_texts;
    switch (result) {
    case 0:
    case 8: return t::kOpenOutOfMemory;
    case 2: return t::kOpenFileNotFound;
    case 3: return t::kOpenPathNotFound;
    case 5: return t::kOpenAccessDenied;
    case 11: return t::kOpenBadFormat;
    case 26: return t::kOpenSharingViolation;
    case 27: return t::kOpenAssociationIncomplete;
    case 28: return t::kOpenDdeTimeout;
    case 29: return t::kOpenDdeFailed;
    case 30: return t::kOpenDdeBusy;
    case 31: return t::kOpenNoAssociation;
    case 32: return t::kOpenDllNotFound;
    default: return t::kOpenOtherError;
    }
}

INT_PTR ShellOpen(const std::wstring& file, const std::wstring& operation, const std::wstring& parameters,
                  const std::wstring& folder, int showCommand, HWND owner, bool showErrors) {
    INT_PTR result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(owner, OrNull(operation), file.c_str(), OrNull(parameters), OrNull(folder), showCommand));
    if (showErrors && result <= 32)
        MessageBoxW(owner, ShellOpenErrorText(result).c_str(), texts::kProgramName, MB_OK | MB_ICONERROR);
    return result;
}

}  // namespace bralto
