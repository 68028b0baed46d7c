#include "PathSafety.h"

#include <algorithm>
#include <cctype>

namespace zipcore {

namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

bool OnlyDotsAndSpaces(const std::string& s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return c == '.' || c == ' '; });
}

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// The digits of numbered ports: 0 to 9 (COM0 and LPT0 are reserved on
// recent Windows), and the superscripts one, two and three (UTF-8), which
// Windows reserves too ("COM¹").
bool IsPortDigit(const std::string& rest) {
    if (rest.size() == 1) return rest[0] >= '0' && rest[0] <= '9';
    return rest == "\xC2\xB9" || rest == "\xC2\xB2" || rest == "\xC2\xB3";
}

// Windows resolves these names to devices in any folder and with any
// extension ("nul.txt", "COM1.tar.gz"), so a member must never be written
// under them.
bool IsDeviceName(const std::string& component) {
    std::string base = Upper(component.substr(0, component.find('.')));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL" || base == "CONIN$" || base == "CONOUT$")
        return true;
    if (base.size() > 3 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0))
        return IsPortDigit(base.substr(3));
    return false;
}

void ReplaceForbiddenCharacters(std::string& component) {
    for (char& c : component) {
        unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || c == '<' || c == '>' || c == '"' || c == '|' || c == '?' || c == '*') c = '_';
    }
}

void TrimTrailingDotsAndSpaces(std::string& component) {
    while (!component.empty() && (component.back() == '.' || component.back() == ' ')) component.pop_back();
}

}  // namespace

SafePath MakeSafeRelativePath(const std::string& name) {
    SafePath result;
    if (name.empty()) return result;
    if (IsSeparator(name[0])) {
        result.verdict = PathVerdict::Absolute;
        return result;
    }
    if (name.find(':') != std::string::npos) {
        result.verdict = PathVerdict::DriveOrStream;
        return result;
    }
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = start;
        while (end < name.size() && !IsSeparator(name[end])) ++end;
        std::string component = name.substr(start, end - start);
        start = end + 1;
        if (component.empty() || component == ".") continue;
        if (OnlyDotsAndSpaces(component)) {
            result.verdict = PathVerdict::ParentReference;
            return result;
        }
        if (IsDeviceName(component)) {
            result.verdict = PathVerdict::DeviceName;
            return result;
        }
        ReplaceForbiddenCharacters(component);
        TrimTrailingDotsAndSpaces(component);
        result.components.push_back(component);
    }
    result.verdict = result.components.empty() ? PathVerdict::Empty : PathVerdict::Ok;
    return result;
}

const char* PathVerdictText(PathVerdict verdict) {
    switch (verdict) {
    case PathVerdict::Ok: return "safe";
    case PathVerdict::Empty: return "empty name";
    case PathVerdict::Absolute: return "absolute path";
    case PathVerdict::DriveOrStream: return "drive letter or stream name";
    case PathVerdict::ParentReference: return "path leads out of the extraction folder (\"..\")";
    case PathVerdict::DeviceName: return "device name";
    }
    return "unsafe path";
}

}  // namespace zipcore
