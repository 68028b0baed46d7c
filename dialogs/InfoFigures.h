// The texts of the test, comment and information windows: library text
// with the line ends of an edit box, sizes in groups of three digits, file
// dates, and the value of the ratio bars. Pure text work, no window.
#pragma once

#include <windows.h>

#include <string>

namespace bralto {

// `text` with every line end as CR LF (an LF alone becomes CR LF, CR LF
// stays) and its NUL characters left out. Nothing else is dropped: a text
// without a final line end keeps its last character.
std::wstring WithCrLfLineEnds(const std::wstring& text);

// A number formatted as "### ### ###" and trimmed: groups of three digits
// from the right, one blank between groups, no leading zeros ("0" for 0).
// A number of ten digits or more keeps its extra digits in the first group
// (1234567890 -> "1234 567 890"). Negative numbers keep their sign in front.
std::wstring FormatSizeGroups(long long value);

// A file time (UTC) as local "dd/mm/yyyy hh:nn", with the time zone's rule
// for that date; "" when the time cannot be converted.
std::wstring FormatFileDate(const FILETIME& utc);

// The value of a ratio bar (0 to 100) for a ratio text such as "45%" or
// "-3%": 100 minus the number at its start. A ratio below 0 (the member
// grew) or above 100 would take the bar out of its range: the value is
// kept within 0 and 100. A text without a number counts as 0.
long RatioBarValueOf(const std::wstring& ratioText);

}  // namespace bralto
