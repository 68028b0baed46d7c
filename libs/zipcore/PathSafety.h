// Reading side of the Zip core: turns a member's stored path into a path
// that stays inside the extraction folder, or refuses it. Portable; the
// rules are those of Windows, the strictest target, applied everywhere.
#pragma once

#include <string>
#include <vector>

namespace zipcore {

enum class PathVerdict {
    Ok,
    Empty,            // nothing left to create ("./", "/"): skip quietly
    Absolute,         // starts with a separator (root or UNC path)
    DriveOrStream,    // a colon: drive letter or alternate data stream
    ParentReference,  // a ".." component (or dots and spaces Windows reads as one)
    DeviceName,       // CON, PRN, AUX, NUL, COM0-9, LPT0-9 (and ¹²³), CONIN$, CONOUT$
};

struct SafePath {
    PathVerdict verdict = PathVerdict::Empty;
    std::vector<std::string> components;  // meaningful only when Ok
};

// Splits `name` (UTF-8, '/' or '\' separators) into components to create
// under the extraction folder. "." and empty components are dropped;
// characters Windows refuses in names (< > " | ? * and controls) become
// '_'; trailing dots and spaces, which Windows drops, are removed.
SafePath MakeSafeRelativePath(const std::string& name);

// English reason for a refusal, for the message naming the member.
const char* PathVerdictText(PathVerdict verdict);

}  // namespace zipcore
