#include "HtmlHelp.h"

#include <htmlhelp.h>

#include "Handles.h"
#include "Module.h"
#include "Texts.h"

namespace bralto {

namespace {

namespace t = help_texts;

HtmlHelpEntry replacementEntry = nullptr;

// hhctrl.ocx, loaded once for the process. Its windows run on its code, so
// they are all closed before the library goes.
class HtmlHelpViewer {
public:
    static HtmlHelpViewer& Instance() {
        static HtmlHelpViewer viewer;
        return viewer;
    }
    HtmlHelpViewer(const HtmlHelpViewer&) = delete;
    HtmlHelpViewer& operator=(const HtmlHelpViewer&) = delete;
    ~HtmlHelpViewer() {
        if (htmlHelp_) htmlHelp_(nullptr, nullptr, HH_CLOSE_ALL, 0);
    }

    bool Available() const { return htmlHelp_ != nullptr; }
    HWND DisplayTopic(HWND owner, const std::wstring& location) const {
        return htmlHelp_(owner, location.c_str(), HH_DISPLAY_TOPIC, 0);
    }

private:
    HtmlHelpViewer() : library_(LoadLibraryW(L"hhctrl.ocx")) {
        if (library_)
            htmlHelp_ = reinterpret_cast<HtmlHelpEntry>(
                reinterpret_cast<void*>(GetProcAddress(library_.get(), "HtmlHelpW")));
    }

    UniqueModule library_;
    HtmlHelpEntry htmlHelp_ = nullptr;
};

void Report(HWND owner, const std::wstring& text) {
    MessageBoxW(owner, text.c_str(), texts::kProgramName, MB_OK | MB_ICONEXCLAMATION);
}

bool FileExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace

std::wstring HelpFilePath() { return ExecutableFolder() + t::kHelpFileName; }

std::wstring MissingHelpText(const std::wstring& helpFile) {
    return std::wstring(t::kHelpMissing1) + helpFile + t::kHelpMissing2;
}

HWND ShowHelp(HWND owner, const std::wstring& helpFile, const std::wstring& topic) {
    if (!FileExists(helpFile)) {
        Report(owner, MissingHelpText(helpFile) + texts::kCrLf + t::kHelpReinstall);
        return nullptr;
    }
    HtmlHelpViewer& viewer = HtmlHelpViewer::Instance();
    if (!replacementEntry && !viewer.Available()) {
        Report(owner, std::wstring(t::kHelpViewerMissing) + texts::kCrLf + t::kHelpNotShown);
        return nullptr;
    }
    // A page inside the file is named "file::/page", "file::/page#anchor".
    const std::wstring location = topic.empty() ? helpFile : helpFile + L"::/" + topic;
    HWND window = replacementEntry ? replacementEntry(owner, location.c_str(), HH_DISPLAY_TOPIC, 0)
                                   : viewer.DisplayTopic(owner, location);
    if (!window) Report(owner, t::kHelpNotShown);
    return window;
}

INT_PTR ShowDialogHelp(HWND dialog, const wchar_t* topic) {
    ShowHelp(dialog, HelpFilePath(), topic);
    return TRUE;
}

void ReplaceHtmlHelpEntry(HtmlHelpEntry entry) { replacementEntry = entry; }

}  // namespace bralto
