#include "mUnzip.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "AutomationError.h"
#include "EngineErrors.h"
#include "LibraryCalls.h"
#include "RuntimeLibrary.h"

namespace bralto {

namespace {

constexpr wchar_t kLibraryName[] = L"qnruz320.dll";
constexpr size_t kNameTableSlots = kMaxUnzipNames + 1;
constexpr size_t kEntryTextLimit = 32768;  // generous bound for path and method texts
constexpr size_t kReplaceNameLimit = 32801;
constexpr size_t kPasswordMemberLimit = 256;

IUnzipJob* g_currentListener = nullptr;
bool g_passwordGivenUp = false;

// The member sizes of the running listing, summed as the callback receives them.
struct ListingSums {
    unsigned long long compressed = 0;
    unsigned long long uncompressed = 0;
};
ListingSums g_listingSums;

// The unzip library, bound by name at the first call.
RuntimeLibrary& UnzipLibrary() {
    static RuntimeLibrary library{kLibraryName, L"VBUnzip"};
    return library;
}

// Days from 1899-12-30 (the automation epoch) to a proleptic Gregorian date.
long DaysSinceAutomationEpoch(int year, int month, int day) {
    auto daysFromCivil = [](long y, long m, long d) {
        y -= m <= 2;
        long era = (y >= 0 ? y : y - 399) / 400;
        long yoe = y - era * 400;
        long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
        long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
        return era * 146097 + doe - 719468;
    };
    return daysFromCivil(year, month, day) - daysFromCivil(1899, 12, 30);
}

}  // namespace

std::string ToAnsi(const std::wstring& text) {
    if (text.empty()) return std::string();
    // No best fit: "Ω" must not become "O" nor a full-width "．" a ".", or a
    // path the user chose would name another folder. A character the code
    // page lacks becomes '?', which no Windows path may hold, so such a
    // path fails instead of being taken for another.
    UINT codePage = GetACP();
    DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    int size = static_cast<int>(text.size());
    int length = WideCharToMultiByte(codePage, flags, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(std::max(length, 0)), '\0');
    if (length > 0) WideCharToMultiByte(codePage, flags, text.data(), size, &out[0], length, nullptr, nullptr);
    return out;
}

std::wstring FromAnsi(const std::string& text) {
    if (text.empty()) return std::wstring();
    int size = static_cast<int>(text.size());
    int length = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
    std::wstring out(static_cast<size_t>(std::max(length, 0)), L'\0');
    if (length > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), size, &out[0], length);
    return out;
}

std::wstring SlashesToBackslashes(std::wstring text) {
    std::replace(text.begin(), text.end(), L'/', L'\\');
    return text;
}

std::wstring LibraryMemberPath(const std::wstring& folder, const std::wstring& name) {
    std::wstring path = folder.empty() ? name : folder + L"/" + name;
    std::replace(path.begin(), path.end(), L'\\', L'/');
    return path;
}

void SplitMemberPath(const std::wstring& path, std::wstring& folder, std::wstring& name) {
    std::wstring converted = SlashesToBackslashes(path);
    size_t separator = converted.find_last_of(L'\\');
    if (separator == std::wstring::npos) {
        folder.clear();
        name = converted;
        return;
    }
    folder = converted.substr(0, separator);
    name = converted.substr(separator + 1);
}

AutomationDate MakeAutomationDate(int year, int month, int day, int hour, int minute, int second) {
    double days = static_cast<double>(DaysSinceAutomationEpoch(year, month, day));
    double time = (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
    // Before the epoch the fraction counts away from zero, as automation dates do.
    return days >= 0 ? days + time : days - time;
}

IUnzipJob* CurrentUnzipListener() { return g_currentListener; }
bool UnzipPasswordGivenUp() { return g_passwordGivenUp; }

long RunUnzip(IUnzipJob* job, DCL& dcl, const std::vector<std::wstring>& includeNames,
              const std::vector<std::wstring>& excludeNames, UnzipListingTotals& totals) {
    CurrentListener<IUnzipJob> current(g_currentListener, job);
    try {
        USERFUNCTIONS functions{};
        functions.print = UnzipPrintCallback;
        functions.sound = nullptr;
        functions.replace = UnzipReplaceCallback;
        functions.password = UnzipPasswordCallback;
        functions.SendApplicationMessage = UnzipEntryCallback;
        functions.ServCallBk = UnzipServiceCallback;
        LibraryNameTable include(includeNames, includeNames.size(), kNameTableSlots, UnzipLibrary().ErrorSource());
        LibraryNameTable exclude(excludeNames, excludeNames.size(), kNameTableSlots, UnzipLibrary().ErrorSource());
        g_passwordGivenUp = false;
        g_listingSums = ListingSums{};
        WIZ_SINGLEENTRYUNZIP* unzip = UnzipLibrary().Entry<WIZ_SINGLEENTRYUNZIP>("Wiz_SingleEntryUnzip");
        long code = unzip(include.Count(), include.Table(), exclude.Count(), exclude.Table(), &dcl, &functions);
        if (dcl.ntflag == 0 && dcl.nvflag == 1) {
            totals.TotalSizeCompressed = static_cast<long long>(g_listingSums.compressed);
            totals.TotalSize = static_cast<long long>(g_listingSums.uncompressed);
            totals.CompressionFactor = functions.CompFactor;
            totals.NumMembers = static_cast<long>(functions.NumMembers);
        }
        return code;
    } catch (const AutomationError& error) {
        throw AutomationError(error.Number(), UnzipLibrary().ErrorSource(), error.Description());
    }
}

long ValidateArchive(const std::wstring& archivePath) {
    std::string path = ToAnsi(archivePath);
    return UnzipLibrary().Entry<WIZ_VALIDATE>("Wiz_Validate")(&path[0], -1);
}

void GetUnzipLibraryVersion(std::wstring& zVersion, std::wstring& uzVersion, std::wstring& date) {
    UzpVer2 record;
    std::memset(&record, 0, sizeof record);
    record.structlen = sizeof record;
    std::memset(record.betalevel, ' ', sizeof record.betalevel - 1);
    std::memset(record.date, ' ', sizeof record.date - 1);
    std::memset(record.zlib_version, ' ', sizeof record.zlib_version - 1);
    UnzipLibrary().Entry<UZPVERSION2>("UzpVersion2")(&record);

    unsigned char bytes[sizeof record];
    std::memcpy(bytes, &record, sizeof record);
    auto triple = [&bytes](size_t offset) {
        wchar_t text[32];
        swprintf(text, 32, L"%X.%X.%X", bytes[offset], bytes[offset + 1], bytes[offset + 2]);
        return std::wstring(text);
    };
    zVersion = triple(52);
    uzVersion = triple(60);
    date = TrimSpaces(FromAnsi(CallbackText(record.date, sizeof record.date)));
}

int WINAPI UnzipPrintCallback(LPSTR text, unsigned long count) {
    std::wstring line;
    if (ProgressLine(text, count, line) && g_currentListener) g_currentListener->RaiseProgress(line);
    return 0;
}

int WINAPI UnzipReplaceCallback(LPSTR file) {
    std::wstring name = SlashesToBackslashes(FromAnsi(CallbackText(file, kReplaceNameLimit)));
    long response = 100;
    if (g_currentListener) g_currentListener->RaiseOverwritePrompt(name, response);
    return static_cast<int>(response);
}

int WINAPI UnzipPasswordCallback(LPSTR buffer, int size, LPCSTR prompt, LPCSTR member) {
    if (g_passwordGivenUp) return 1;
    // The library names members with '/' as stored; the question shows
    // the name as the listing and the messages do.
    std::wstring name = SlashesToBackslashes(FromAnsi(CallbackText(member, kPasswordMemberLimit)));
    std::wstring password;
    bool cancel = false;
    if (g_currentListener) g_currentListener->RaisePasswordRequest(password, cancel, name);
    return FillPasswordBuffer(password, cancel, buffer, size, g_passwordGivenUp);
}

void WINAPI UnzipEntryCallback(unsigned long ucsize, unsigned long csize, unsigned ratio, unsigned day, unsigned month,
                               unsigned year, unsigned hour, unsigned minute, char, LPSTR path, LPSTR method,
                               unsigned long crc, char mark) {
    // Folder entries count in the totals as they do in the library's.
    g_listingSums.compressed += csize;
    g_listingSums.uncompressed += ucsize;
    UnzipMemberEntry entry;
    SplitMemberPath(FromAnsi(CallbackText(path, kEntryTextLimit)), entry.folder, entry.name);
    if (entry.name.empty()) return;  // a folder entry
    int fullYear = static_cast<int>(year);
    if (fullYear < 100) fullYear += fullYear < 30 ? 2000 : 1900;
    entry.date = MakeAutomationDate(fullYear, static_cast<int>(month), static_cast<int>(day), static_cast<int>(hour),
                                    static_cast<int>(minute), 0);
    entry.method = FromAnsi(CallbackText(method, kEntryTextLimit));
    entry.encrypted = (static_cast<unsigned char>(mark) & 0x40) != 0;
    entry.compressedSize = static_cast<long long>(csize);
    entry.uncompressedSize = static_cast<long long>(ucsize);
    entry.crc = static_cast<long>(crc);
    entry.ratio = static_cast<short>(ratio & 0xFFFF);
    if (g_currentListener) g_currentListener->AddMemberEntry(entry);
}

int WINAPI UnzipServiceCallback(LPCSTR name, unsigned long) {
    std::wstring member = SlashesToBackslashes(FromAnsi(CallbackText(name, kEntryTextLimit)));
    bool cancel = false;
    if (g_currentListener) g_currentListener->RaiseCancel(member, cancel);
    return cancel ? 1 : 0;
}

}  // namespace bralto
