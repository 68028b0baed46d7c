// Small routines shared by Bralto's windows.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace bralto {

// The text from the last "." to the end, dot included; empty without a dot.
std::wstring FileExtension(const std::wstring& path);

// The long form of an absolute path that starts with a drive root ("C:\"),
// rebuilt component by component from the shell's display names. The shell
// hides known extensions, so the original extension is put back when the
// result no longer ends with it. A component the shell cannot name (it does
// not exist, say) is kept as it was given.
std::wstring LongPathOf(const std::wstring& path);

// The text before the first NUL character; the whole text when it holds none.
std::wstring StripAtNul(const std::wstring& text);

// The text after the last "\" (the whole path when it holds none).
std::wstring FileTitleOf(const std::wstring& path);

// The text up to and including the last "\" (empty when there is none).
std::wstring FolderOf(const std::wstring& path);

// Every LF becomes CR LF, then the last character is dropped (the library's
// lines end with LF; the log adds its own line break). "" stays "".
std::wstring CrLfText(const std::wstring& text);

// Decimal digits grouped by three from the right, one blank between groups,
// at least one digit: 1234567 -> "1 234 567", 0 -> "0". Negative values keep
// their sign in front.
std::wstring FormatGroupedNumber(long long value);

// An automation date (days since 30/12/1899, time as the fraction) as
// "dd/mm/yyyy hh:nn", rounded to the nearest minute.
std::wstring FormatListDate(double automationDate);

// `firstFolder` followed by all its sub-folders at every depth, breadth
// first; names starting with "." are skipped. The walk stops once `limit`
// folders are listed: a tree with a link back to one of its own folders
// (common on the Linux side of Wine) would otherwise never end.
void ListSubFolders(const std::wstring& firstFolder, std::vector<std::wstring>& folders,
                    size_t limit = static_cast<size_t>(-1));

// True when a file search finds `path` with the hidden or system attribute.
bool IsHiddenOrSystem(const std::wstring& path);

// File-system path of a shell special folder (CSIDL); empty when unknown.
std::wstring SpecialFolderPath(HWND owner, int folder);

// The user's temporary folder as the platform gives it.
std::wstring TempFolderPath();

// Program-wide values of the job life cycle.
// LastMessage: the last engine message appended to the log (CrLfText form);
// never cleared between operations, so the opening of an archive can read
// the cause of a failure in it.
// ZipPassword: the password given for the running zip job; empty until one
// was entered. Emptied by every command that starts a zip job.
extern std::wstring LastMessage;
extern std::wstring ZipPassword;

}  // namespace bralto
