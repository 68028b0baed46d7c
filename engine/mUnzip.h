// The unzip job module: runs one call of the unzip library (qnruz320.dll)
// for an unzip object and forwards the library's callbacks to it. Built
// into Bralto and qnrZip unchanged. One job at a time per process: the
// module keeps one current listener and one password give-up flag.
#pragma once

#include <string>
#include <vector>

#include "UnzipEvents.h"
#include "unzip_api.h"

namespace bralto {

// Totals of a listing. The two sizes are the sums of the member sizes the
// listing callback received, summed here in 64 bits: the library's own
// totals are 32-bit fields, and an archive whose members add up to more
// than 4 GiB would wrap them (each member's size is still the library's
// 32-bit figure, which stops at 0xFFFFFFFF). The factor and the count are
// the library's.
struct UnzipListingTotals {
    long long TotalSizeCompressed = 0;
    long long TotalSize = 0;
    long CompressionFactor = 0;
    long NumMembers = 0;
};

// Most names a list may hold (the table has 1024 slots, the last one for
// the closing entry).
constexpr size_t kMaxUnzipNames = 1023;

// Runs Wiz_SingleEntryUnzip with `dcl` and the name lists; the library's
// callbacks go to `job` (may be null: defaults). Returns the library's
// code. Fills `totals` after a listing (nvflag set, ntflag clear). Raises
// AutomationError (source "<exe>.VBUnzip") when the library cannot be
// loaded or a list holds more than 1023 names.
long RunUnzip(IUnzipJob* job, DCL& dcl, const std::vector<std::wstring>& includeNames,
              const std::vector<std::wstring>& excludeNames, UnzipListingTotals& totals);

// Wiz_Validate(path, -1); the code unchanged.
long ValidateArchive(const std::wstring& archivePath);

// The library's version: ZVersion from the record's bytes 52-54,
// UZVersion from bytes 60-62 (upper-case hex, joined by "."), and the
// date text, trimmed.
void GetUnzipLibraryVersion(std::wstring& zVersion, std::wstring& uzVersion, std::wstring& date);

// The job of the running call (null between jobs), and whether the
// listener gave up passwords for it.
IUnzipJob* CurrentUnzipListener();
bool UnzipPasswordGivenUp();

// The library's callbacks (stdcall, as the library calls them).
int WINAPI UnzipPrintCallback(LPSTR text, unsigned long count);
int WINAPI UnzipReplaceCallback(LPSTR file);
int WINAPI UnzipPasswordCallback(LPSTR buffer, int size, LPCSTR prompt, LPCSTR member);
void WINAPI UnzipEntryCallback(unsigned long ucsize, unsigned long csize, unsigned ratio, unsigned day, unsigned month,
                               unsigned year, unsigned hour, unsigned minute, char c, LPSTR path, LPSTR method,
                               unsigned long crc, char mark);
int WINAPI UnzipServiceCallback(LPCSTR name, unsigned long size);

// ---- Helpers shared with the unzip objects ----
// folder "" -> name; else folder + "/" + name, backslashes turned into slashes.
std::wstring LibraryMemberPath(const std::wstring& folder, const std::wstring& name);
// Splits a library path into folder and name at the last separator.
void SplitMemberPath(const std::wstring& path, std::wstring& folder, std::wstring& name);
std::wstring SlashesToBackslashes(std::wstring text);
// Calendar date and time to an automation date.
AutomationDate MakeAutomationDate(int year, int month, int day, int hour, int minute, int second);
// System code page conversions at the library interface. ToAnsi never
// maps to a look-alike: a character the code page lacks becomes '?'.
std::string ToAnsi(const std::wstring& text);
std::wstring FromAnsi(const std::string& text);

}  // namespace bralto
