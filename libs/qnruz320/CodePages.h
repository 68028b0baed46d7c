// Text conversions of the unzip library: member names arrive as UTF-8 or in
// the OEM code page, callers speak the ANSI code page, Win32 speaks UTF-16.
#pragma once

#include <string>

namespace qnruz {

std::wstring Widen(const std::string& text, unsigned codePage);
std::string Narrow(const std::wstring& text, unsigned codePage);

// A stored member name: UTF-8 when the name's UTF-8 flag is set and the
// bytes are valid UTF-8, else the OEM code page (as Windows tools write).
std::wstring DecodeStoredName(const std::string& raw, bool utf8Flag);

// A UTF-8 name or path in the caller's (ANSI) code page, never through a
// look-alike: characters it lacks become Info-ZIP's "#Uxxxx" escapes
// (zipcore's MemberNames.h), so the text still names one member only.
std::string ToInterfaceText(const std::string& utf8);

// UTF-8 path with '/' separators -> Win32 path with '\' separators.
std::wstring ToWin32Path(const std::string& utf8);

}  // namespace qnruz
