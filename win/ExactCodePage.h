// Conversions to a single-byte (or double-byte) code page that never map a
// character to a look-alike: WideCharToMultiByte's default "best fit"
// turns "Ω" into "O", a full-width "．" into "." and "＼" into "\", which
// changes what a path means. With WC_NO_BEST_FIT_CHARS a character the code
// page lacks gives the default character instead, and the used-default flag
// tells the caller, who then decides what to show.
#pragma once

#include <windows.h>

#include <string>

namespace bralto {

// `text` in `codePage` into `out`: true when every character has an exact
// form there; false (and `out` unspecified) when at least one has not.
inline bool NarrowExactly(const wchar_t* text, int length, UINT codePage, std::string& out) {
    out.clear();
    if (length == 0) return true;
    UINT effective = codePage == CP_ACP ? GetACP() : codePage == CP_OEMCP ? GetOEMCP() : codePage;
    // The UTF code pages hold every character and refuse both the flag and
    // the used-default pointer.
    bool utf = effective == CP_UTF8 || effective == CP_UTF7;
    DWORD flags = utf ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* usedDefaultPointer = utf ? nullptr : &usedDefault;
    int size = WideCharToMultiByte(effective, flags, text, length, nullptr, 0, nullptr, usedDefaultPointer);
    if (size <= 0 || usedDefault) return false;
    out.resize(static_cast<size_t>(size));
    WideCharToMultiByte(effective, flags, text, length, &out[0], size, nullptr, usedDefaultPointer);
    return true;
}

inline bool NarrowExactly(const std::wstring& text, UINT codePage, std::string& out) {
    return NarrowExactly(text.data(), static_cast<int>(text.size()), codePage, out);
}

// Appends code point `c` in `codePage` to `out` when it has an exact form
// there; false (nothing appended) when not.
inline bool AppendExactChar(char32_t c, UINT codePage, std::string& out) {
    wchar_t units[2];
    int count = 1;
    if (c >= 0x10000) {
        units[0] = static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
        units[1] = static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        count = 2;
    } else {
        units[0] = static_cast<wchar_t>(c);
    }
    std::string bytes;
    if (!NarrowExactly(units, count, codePage, bytes)) return false;
    out += bytes;
    return true;
}

}  // namespace bralto
