// What the zip and unzip job modules both need around a library call: the
// texts of callback arguments, the library's table of names, and the one
// current listener that the library's callbacks report to.
#pragma once

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

}  // namespace bralto
