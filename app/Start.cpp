#include "Start.h"

namespace bralto {

namespace {

// The path after a two-letter switch and its one separator character.
std::wstring SwitchArgument(const std::wstring& arguments) {
    return arguments.size() > 3 ? arguments.substr(3) : std::wstring();
}

// Launchers quote a path that holds a blank ("Open with", shortcuts, the
// Run box). A path cannot hold a double quote, so one pair around it is
// removed, with blanks after the closing quote; the unquoted paths the
// association writes pass unchanged.
std::wstring UnquotedPath(const std::wstring& path) {
    if (path.size() < 2 || path[0] != L'"') return path;
    const size_t close = path.find(L'"', 1);
    if (close == std::wstring::npos) return path;
    if (path.find_first_not_of(L" \t", close + 1) != std::wstring::npos) return path;
    return path.substr(1, close - 1);
}

bool StartsWithSwitch(const std::wstring& arguments, const wchar_t* sw) { return arguments.compare(0, 2, sw) == 0; }

}  // namespace

std::wstring CommandArguments(const std::wstring& commandLine) {
    size_t i = 0;
    if (!commandLine.empty() && commandLine[0] == L'"') {
        size_t close = commandLine.find(L'"', 1);
        i = close == std::wstring::npos ? commandLine.size() : close + 1;
    } else {
        while (i < commandLine.size() && commandLine[i] != L' ' && commandLine[i] != L'\t') ++i;
    }
    while (i < commandLine.size() && (commandLine[i] == L' ' || commandLine[i] == L'\t')) ++i;
    return commandLine.substr(i);
}

void Main(const std::wstring& arguments, LaunchTargets& targets) {
    if (arguments.empty()) {
        if (!targets.RegisterDeclined()) targets.ShowRegisterWindow();
        targets.ShowMainWindow();
    } else if (StartsWithSwitch(arguments, L"/e")) {
        targets.QuickExtract(targets.LongPathOf(UnquotedPath(SwitchArgument(arguments))));
    } else if (StartsWithSwitch(arguments, L"/n")) {
        targets.ShowMainWindow();
        targets.NewFromShell(UnquotedPath(SwitchArgument(arguments)));
    } else {
        targets.ShowMainWindow();
        targets.OpenAZip(targets.LongPathOf(UnquotedPath(arguments)));
    }
}

}  // namespace bralto
