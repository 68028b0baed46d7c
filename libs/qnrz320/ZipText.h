// Text conversions of the zip library: callers speak the ANSI code page,
// Win32 speaks UTF-16, stored names are ASCII or UTF-8.
#pragma once

#include <string>

namespace qnrz {

std::wstring Widen(const std::string& text, unsigned codePage);
std::string Narrow(const std::wstring& text, unsigned codePage);

// The caller's code page (single-byte text of the library interface).
inline std::wstring FromAnsi(const std::string& text) { return Widen(text, 0 /* CP_ACP */); }
// Never a look-alike: characters the code page lacks become Info-ZIP's
// "#Uxxxx" escapes (zipcore's MemberNames.h), as in the unzip library.
std::string ToAnsi(const std::wstring& text);
std::string ToUtf8(const std::wstring& text);
std::wstring FromUtf8(const std::string& text);

bool IsAscii(const std::wstring& text);

}  // namespace qnrz
