#include "InfoFigures.h"

#include <cwchar>

namespace bralto {

std::wstring WithCrLfLineEnds(const std::wstring& text) {
    std::wstring result;
    result.reserve(text.size() + 8);
    for (size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (c == L'\0') continue;
        if (c == L'\n' && (i == 0 || text[i - 1] != L'\r')) result += L'\r';
        result += c;
    }
    return result;
}

std::wstring FormatSizeGroups(long long value) {
    const bool negative = value < 0;
    const unsigned long long magnitude =
        negative ? 0ull - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
    const std::wstring digits = std::to_wstring(magnitude);
    // The picture has three groups: digits beyond the ninth stay in the first.
    std::wstring result;
    for (size_t i = 0; i < digits.size(); ++i) {
        const size_t left = digits.size() - i;
        if (i > 0 && (left == 6 || left == 3)) result += L' ';
        result += digits[i];
    }
    return negative ? L"-" + result : result;
}

std::wstring FormatFileDate(const FILETIME& utc) {
    SYSTEMTIME universal = {}, local = {};
    if (!FileTimeToSystemTime(&utc, &universal)) return L"";
    if (!SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local)) return L"";
    wchar_t text[32];
    swprintf(text, 32, L"%02u/%02u/%04u %02u:%02u", local.wDay, local.wMonth, local.wYear, local.wHour, local.wMinute);
    return text;
}

long RatioBarValueOf(const std::wstring& ratioText) {
    const long ratio = std::wcstol(ratioText.c_str(), nullptr, 10);
    const long value = 100 - ratio;
    if (value < 0) return 0;
    if (value > 100) return 100;
    return value;
}

}  // namespace bralto
