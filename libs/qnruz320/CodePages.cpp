#include "CodePages.h"

#include <windows.h>

#include <algorithm>

#include "ExactCodePage.h"
#include "MemberNames.h"

namespace qnruz {

namespace {

std::wstring WidenWithFlags(const std::string& text, unsigned codePage, DWORD flags, bool& ok) {
    ok = true;
    if (text.empty()) return std::wstring();
    int size = static_cast<int>(text.size());
    int length = MultiByteToWideChar(codePage, flags, text.data(), size, nullptr, 0);
    if (length <= 0) {
        ok = false;
        return std::wstring();
    }
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(codePage, flags, text.data(), size, &wide[0], length);
    return wide;
}

}  // namespace

std::wstring Widen(const std::string& text, unsigned codePage) {
    bool ok = true;
    return WidenWithFlags(text, codePage, 0, ok);
}

std::string Narrow(const std::wstring& text, unsigned codePage) {
    if (text.empty()) return std::string();
    int size = static_cast<int>(text.size());
    int length = WideCharToMultiByte(codePage, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return std::string();
    std::string narrow(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), size, &narrow[0], length, nullptr, nullptr);
    return narrow;
}

std::wstring DecodeStoredName(const std::string& raw, bool utf8Flag) {
    if (utf8Flag) {
        bool ok = true;
        std::wstring wide = WidenWithFlags(raw, CP_UTF8, MB_ERR_INVALID_CHARS, ok);
        if (ok) return wide;
    }
    return Widen(raw, CP_OEMCP);
}

std::string ToInterfaceText(const std::string& utf8) {
    std::string exact;
    if (bralto::NarrowExactly(Widen(utf8, CP_UTF8), CP_ACP, exact) && !zipcore::HasEscapeLookAlike(exact)) return exact;
    return zipcore::EncodeForInterface(
        utf8, [](char32_t c, std::string& out) { return bralto::AppendExactChar(c, CP_ACP, out); });
}

std::wstring ToWin32Path(const std::string& utf8) {
    std::wstring path = Widen(utf8, CP_UTF8);
    std::replace(path.begin(), path.end(), L'/', L'\\');
    // Deep archives easily pass MAX_PATH: long absolute paths take the
    // "\\?\" form, which must be fully resolved first (it disables the
    // system's own normalisation).
    constexpr size_t kShortPathLimit = 240;
    if (path.size() < kShortPathLimit || path.compare(0, 4, L"\\\\?\\") == 0) return path;
    DWORD length = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (length == 0) return path;
    std::wstring full(length, L'\0');
    length = GetFullPathNameW(path.c_str(), length, &full[0], nullptr);
    full.resize(length);
    if (full.size() > 2 && full[1] == L':') return L"\\\\?\\" + full;
    if (full.compare(0, 2, L"\\\\") == 0) return L"\\\\?\\UNC\\" + full.substr(2);
    return path;
}

}  // namespace qnruz
