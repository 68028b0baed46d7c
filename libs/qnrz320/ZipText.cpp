#include "ZipText.h"

#include <windows.h>

#include <algorithm>

#include "ExactCodePage.h"
#include "MemberNames.h"

namespace qnrz {

std::wstring Widen(const std::string& text, unsigned codePage) {
    if (text.empty()) return std::wstring();
    int length = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

std::string Narrow(const std::wstring& text, unsigned codePage) {
    if (text.empty()) return std::string();
    int length =
        WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), narrow.data(), length, nullptr,
                        nullptr);
    return narrow;
}

std::string ToAnsi(const std::wstring& text) {
    std::string exact;
    if (bralto::NarrowExactly(text, CP_ACP, exact) && !zipcore::HasEscapeLookAlike(exact)) return exact;
    return zipcore::EncodeForInterface(
        Narrow(text, CP_UTF8), [](char32_t c, std::string& out) { return bralto::AppendExactChar(c, CP_ACP, out); });
}

std::string ToUtf8(const std::wstring& text) { return Narrow(text, CP_UTF8); }
std::wstring FromUtf8(const std::string& text) { return Widen(text, CP_UTF8); }

bool IsAscii(const std::wstring& text) {
    return std::all_of(text.begin(), text.end(), [](wchar_t c) { return c < 0x80; });
}

}  // namespace qnrz
