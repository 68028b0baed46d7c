// Where the running program lives. The program's libraries, its server and
// its help file sit beside the executable, so several floors need its path.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace bralto {

// Full path of the running executable, however long.
inline std::wstring ExecutablePath() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return std::wstring();
        if (length < buffer.size()) return std::wstring(buffer.data(), length);
        buffer.resize(buffer.size() * 2);
    }
}

// The executable's folder, with its trailing backslash.
inline std::wstring ExecutableFolder() {
    std::wstring folder = ExecutablePath();
    folder.erase(folder.find_last_of(L"\\/") + 1);
    return folder;
}

// Name of the running executable without folder and extension ("Bralto",
// "qnrZip").
inline std::wstring ExecutableBaseName() {
    std::wstring name = ExecutablePath();
    const size_t slash = name.find_last_of(L"\\/");
    if (slash != std::wstring::npos) name.erase(0, slash + 1);
    const size_t dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos) name.erase(dot);
    return name;
}

}  // namespace bralto
