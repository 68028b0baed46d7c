// Text of member names. Portable.
//
// Which bytes of a stored name are UTF-8: the language encoding flag
// (bit 11) says so; an Info-ZIP Unicode Path field (0x7075) whose CRC still
// matches the stored name gives the UTF-8 name; and a name written on a
// system other than MS-DOS, OS/2 or Windows is UTF-8 whenever its bytes are
// valid UTF-8 (Info-ZIP's zip on Linux and macOS writes raw UTF-8 without
// the flag, and unzip and 7-Zip read it so). Anything else is in the OEM
// code page of the tool that wrote it, which only the platform can decode.
//
// How a name crosses a single-byte interface that lacks some of its
// characters: every character the code page holds exactly stays as it is;
// every other one becomes Info-ZIP's escape "#Uxxxx" (or "#Lxxxxxx" beyond
// the Basic Multilingual Plane), upper-case hexadecimal, never a look-alike
// ("Ω" is not "O", "．" is not "."), so no shown name means another path.
// A literal "#U" or "#L" followed by hexadecimal digits in a real name has
// its "#" escaped too ("#U0023"), so distinct names always show as
// distinct texts: a caller selects a member by the text it was shown.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace zipcore {

struct MemberInfo;

bool IsValidUtf8(const std::string& bytes);

// Whether the "version made by" host names files in a DOS code page:
// MS-DOS and FAT (0), OS/2 HPFS (6), Windows NTFS (11) and VFAT (14).
bool HostUsesOemNames(uint16_t versionMadeBy);

// The member's name as UTF-8 into `utf8`, when the archive tells or shows
// that it is UTF-8 (see above); false when it is in the writer's legacy
// code page (decode `rawName` with the platform's OEM code page).
bool KnownUtf8Name(const MemberInfo& member, std::string& utf8);

// Appends the bytes of code point `c` in the interface's code page to
// `out` and returns true, or returns false (appending nothing) when the
// code page has no exact form of it.
using CharEncoder = std::function<bool(char32_t c, std::string& out)>;

// `utf8` in the interface's code page, escaping as described above.
// Invalid UTF-8 bytes are escaped as the characters U+DC80 to U+DCFF.
std::string EncodeForInterface(const std::string& utf8, const CharEncoder& encode);

// Whether `text` holds something EncodeForInterface would escape though
// `encode` could carry it: a "#U" or "#L" followed by hexadecimal digits.
bool HasEscapeLookAlike(const std::string& text);

}  // namespace zipcore
