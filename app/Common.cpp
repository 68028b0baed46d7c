#include "Common.h"

#include "Handles.h"
#include "TextCase.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cmath>
#include <cwchar>

#include <cwctype>

namespace bralto {

namespace {

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

std::wstring LastMessage;
std::wstring ZipPassword;

std::wstring StripAtNul(const std::wstring& text) {
    size_t nul = text.find(L'\0');
    return nul == std::wstring::npos ? text : text.substr(0, nul);
}

std::wstring FileTitleOf(const std::wstring& path) {
    size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring FolderOf(const std::wstring& path) {
    size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

std::wstring CrLfText(const std::wstring& text) {
    std::wstring result;
    result.reserve(text.size() + 8);
    for (wchar_t c : text) {
        if (c == L'\n') result += L'\r';
        result += c;
    }
    if (!result.empty()) result.pop_back();
    return result;
}

std::wstring FormatGroupedNumber(long long value) {
    const bool negative = value < 0;
    unsigned long long magnitude =
        negative ? 0ull - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
    std::wstring digits = std::to_wstring(magnitude);
    std::wstring result;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) result += L' ';
        result += digits[i];
    }
    return negative ? L"-" + result : result;
}

namespace {

// Civil date from a day count relative to 1970-01-01 (proleptic Gregorian).
void CivilFromDays(long long days, int& year, int& month, int& day) {
    days += 719468;
    const long long era = (days >= 0 ? days : days - 146096) / 146097;
    const long long dayOfEra = days - era * 146097;
    const long long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long long mp = (5 * dayOfYear + 2) / 153;
    day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
}

std::wstring TwoDigits(int value) {
    wchar_t text[4] = {static_cast<wchar_t>(L'0' + value / 10 % 10), static_cast<wchar_t>(L'0' + value % 10), 0};
    return text;
}

}  // namespace

std::wstring FormatListDate(double automationDate) {
    // Automation dates before 1899-12-30 count the fraction away from zero;
    // archives never hold such dates, but keep the arithmetic sound anyway.
    double whole = std::floor(automationDate);
    double fraction = automationDate - whole;
    if (automationDate < 0) {
        whole = std::ceil(automationDate);
        fraction = whole - automationDate;
    }
    long long minutes = std::llround(fraction * 24.0 * 60.0);
    long long days = static_cast<long long>(whole);
    if (minutes >= 24 * 60) {
        minutes -= 24 * 60;
        days += 1;
    }
    int year = 0, month = 0, day = 0;
    CivilFromDays(days - 25569, year, month, day);  // 25569: 1899-12-30 to 1970-01-01
    wchar_t yearText[16];
    swprintf(yearText, 16, L"%04d", year);
    return TwoDigits(day) + L"/" + TwoDigits(month) + L"/" + yearText + L" " +
           TwoDigits(static_cast<int>(minutes / 60)) + L":" + TwoDigits(static_cast<int>(minutes % 60));
}

void ListSubFolders(const std::wstring& firstFolder, std::vector<std::wstring>& folders, size_t limit) {
    folders.clear();
    if (limit == 0) return;
    folders.push_back(firstFolder);
    for (size_t i = 0; i < folders.size() && folders.size() < limit; ++i) {
        const std::wstring entry = folders[i];
        WIN32_FIND_DATAW data;
        UniqueFindHandle search(FindFirstFileW((entry + L"\\*.*").c_str(), &data));
        if (!search) continue;
        do {
            if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && data.cFileName[0] != L'.')
                folders.push_back(entry + L"\\" + data.cFileName);
        } while (folders.size() < limit && FindNextFileW(search.get(), &data));
    }
}

bool IsHiddenOrSystem(const std::wstring& path) {
    WIN32_FIND_DATAW data;
    UniqueFindHandle search(FindFirstFileW(path.c_str(), &data));
    if (!search) return false;
    return (data.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
}

std::wstring SpecialFolderPath(HWND owner, int folder) {
    UniqueTaskMemory<PIDLIST_ABSOLUTE> list;
    if (FAILED(SHGetSpecialFolderLocation(owner, folder, list.put())) || !list) return L"";
    wchar_t path[MAX_PATH] = {};
    const BOOL found = SHGetPathFromIDListW(list.get(), path);
    return found ? StripAtNul(std::wstring(path, MAX_PATH)) : L"";
}

std::wstring TempFolderPath() {
    wchar_t path[MAX_PATH + 1] = {};
    DWORD length = GetTempPathW(MAX_PATH + 1, path);
    if (length == 0 || length > MAX_PATH) return L"";
    return std::wstring(path, length);
}

}  // namespace bralto
