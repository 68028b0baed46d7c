// What the zip and unzip job modules both need around a library call: the
// texts of callback arguments, the library's table of names, the one
// current listener that the library's callbacks report to, and the answers
// both libraries' print and password callbacks give.
#pragma once

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "EngineErrors.h"
#include "mUnzip.h"

namespace bralto {

// Text of a callback argument: up to the first NUL, at most `limit` bytes.
inline std::string CallbackText(const char* text, size_t limit) {
    if (!text) return std::string();
    return std::string(text, strnlen(text, limit));
}

inline std::wstring TrimSpaces(const std::wstring& text) {
    const size_t first = text.find_first_not_of(L' ');
    if (first == std::wstring::npos) return std::wstring();
    const size_t last = text.find_last_not_of(L' ');
    return text.substr(first, last - first + 1);
}

// The library's name table: names in slots 0 to count-1, then a string of
// one NUL character, in a table of `slots` entries. More names than the
// table holds is the subscript error of the class `errorSource`.
class LibraryNameTable {
public:
    LibraryNameTable(const std::vector<std::wstring>& names, size_t used, size_t slots,
                     const std::wstring& errorSource) {
        if (used + 1 > slots) ThrowSubscriptOutOfRange(errorSource);
        for (size_t i = 0; i < used; ++i) texts_.push_back(ToAnsi(names[i]));
        texts_.emplace_back();  // the closing entry: one NUL character
        pointers_.assign(slots, nullptr);
        for (size_t i = 0; i < texts_.size(); ++i) pointers_[i] = &texts_[i][0];
    }
    int Count() const { return static_cast<int>(texts_.size() - 1); }
    char** Table() { return pointers_.data(); }

private:
    std::vector<std::string> texts_;
    std::vector<char*> pointers_;
};

// Makes `listener` the one the callbacks report to for as long as the
// library call runs, whichever way the call ends.
template <class Listener>
class CurrentListener {
public:
    CurrentListener(Listener*& slot, Listener* listener) : slot_(slot) { slot_ = listener; }
    ~CurrentListener() { slot_ = nullptr; }
    CurrentListener(const CurrentListener&) = delete;
    CurrentListener& operator=(const CurrentListener&) = delete;

private:
    Listener*& slot_;
};

// The log line of a print callback's text, the library's '/' shown as
// '\'; false for what is no line: no text, a single character, or a text
// of 32,000 bytes or more.
inline bool ProgressLine(const char* text, unsigned long count, std::wstring& line) {
    constexpr unsigned long kProgressLimit = 32000;
    if (count <= 1 || count >= kProgressLimit || !text) return false;
    line = SlashesToBackslashes(FromAnsi(std::string(text, count)));
    return true;
}

// A password callback's answer to the library from what the listener gave:
// 0 with the password (spaces trimmed, in the system code page, cut to the
// buffer and to 255 bytes) in `buffer`, NUL-filled to `size`; 1 when there
// is no password, the user cancelled or there is no buffer, and then
// `givenUp` is set, so that the library is not asked again during the call.
inline int FillPasswordBuffer(const std::wstring& given, bool cancel, char* buffer, int size, bool& givenUp) {
    constexpr size_t kPasswordLimit = 256;
    const std::wstring password = TrimSpaces(given);
    if (password.empty() || cancel || !buffer || size <= 0) {
        givenUp = true;
        return 1;
    }
    std::string bytes = ToAnsi(password);
    const size_t capacity = std::min<size_t>(static_cast<size_t>(size), kPasswordLimit) - 1;
    if (bytes.size() > capacity) bytes.resize(capacity);
    std::memset(buffer, 0, static_cast<size_t>(size));
    std::memcpy(buffer, bytes.data(), bytes.size());
    return 0;
}

}  // namespace bralto
