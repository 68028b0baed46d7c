// Case folding of names and words the way Windows compares them: by the
// system's own tables, so accented letters fold too.
#pragma once

#include <windows.h>

#include <string>

namespace bralto {

inline std::wstring Lower(std::wstring text) {
    if (!text.empty()) CharLowerBuffW(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

inline std::wstring Upper(std::wstring text) {
    if (!text.empty()) CharUpperBuffW(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

}  // namespace bralto
