#include "Common.h"

#include <windows.h>
#include <shellapi.h>

#include <cwctype>

namespace bralto {

namespace {

std::wstring Lower(std::wstring text) {
    for (auto& c : text) c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

// The shell's display name of an existing file or folder, cut at its NUL;
// empty when the shell cannot give one.
std::wstring ShellDisplayName(const std::wstring& path) {
    SHFILEINFOW info = {};
    if (!SHGetFileInfoW(path.c_str(), 0, &info, sizeof(info), SHGFI_DISPLAYNAME)) return L"";
    return std::wstring(info.szDisplayName);
}

std::wstring DisplayNameOr(const std::wstring& path, const std::wstring& component) {
    std::wstring name = ShellDisplayName(path);
    return name.empty() ? component : name;
}

}  // namespace

std::wstring FileExtension(const std::wstring& path) {
    size_t dot = path.find_last_of(L'.');
    return dot == std::wstring::npos ? std::wstring() : path.substr(dot);
}

std::wstring LongPathOf(const std::wstring& path) {
    const std::wstring ext = Lower(FileExtension(path));
    std::wstring result = path.substr(0, 3);
    std::wstring rest = path.size() > 3 ? path.substr(3) : std::wstring();

    for (size_t p = rest.find(L'\\'); p != std::wstring::npos; p = rest.find(L'\\')) {
        std::wstring component = rest.substr(0, p);
        result += DisplayNameOr(result + rest.substr(0, p + 1), component);
        result += L'\\';
        rest.erase(0, p + 1);
    }
    if (!rest.empty()) result += DisplayNameOr(result + rest, rest);

    if (result.size() < ext.size() || Lower(result.substr(result.size() - ext.size())) != ext) result += ext;
    return result;
}

}  // namespace bralto
