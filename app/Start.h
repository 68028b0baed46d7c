// Start-up: what the process does is decided here from its command line.
#pragma once

#include <string>

namespace bralto {

// What a launch can hand over to. The application wires these to its windows;
// tests wire them to a recorder.
class LaunchTargets {
public:
    virtual ~LaunchTargets() = default;
    // The "StartUp"/"Register" setting, as a Boolean.
    virtual bool RegisterDeclined() = 0;
    // The association window, modal: returns when it has closed.
    virtual void ShowRegisterWindow() = 0;
    virtual void ShowMainWindow() = 0;
    virtual void OpenAZip(const std::wstring& path) = 0;
    virtual void NewFromShell(const std::wstring& path) = 0;
    // Express extraction of `archivePath` without the main window.
    virtual void QuickExtract(const std::wstring& archivePath) = 0;
    // Long form of an archive path (the shell passes 8.3 paths).
    virtual std::wstring LongPathOf(const std::wstring& path) = 0;
};

// The argument string of a full command line: everything after the program
// name and the blanks that follow it, verbatim (quotes kept, no splitting).
std::wstring CommandArguments(const std::wstring& commandLine);

// Dispatches one launch: empty arguments, "/e" + path (express extraction),
// "/n" + path (new archive from the shell's New menu), or an archive path.
// The switches are case-sensitive; "/E" is just the start of a path. A path
// that its launcher quoted (it holds a blank) loses that one pair of quotes.
void Main(const std::wstring& arguments, LaunchTargets& targets);

}  // namespace bralto
