#include "Start.h"

namespace bralto {

namespace {

// The path after a two-letter switch and its one separator character.
std::wstring SwitchArgument(const std::wstring& arguments) {
    return arguments.size() > 3 ? arguments.substr(3) : std::wstring();
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
        targets.QuickExtract(targets.LongPathOf(SwitchArgument(arguments)));
    } else if (StartsWithSwitch(arguments, L"/n")) {
        targets.ShowMainWindow();
        targets.NewFromShell(SwitchArgument(arguments));
    } else {
        targets.ShowMainWindow();
        targets.OpenAZip(targets.LongPathOf(arguments));
    }
}

}  // namespace bralto
