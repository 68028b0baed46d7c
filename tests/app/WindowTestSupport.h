// Helpers of the main window tests: the window runs on the test's thread;
// a watcher thread answers the modal windows it opens (message boxes,
// password and overwrite questions) the way a user would, and records
// what they said.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace bralto::test {

// What a modal window of the process showed.
struct SeenDialog {
    std::wstring caption;
    std::wstring text;  // the longest static text (a message box's message)
};

// Answers every visible dialog (#32770) of this process. `answer` receives
// the dialog and what it showed, and does whatever a user would (typing,
// pressing a button); dialogs it leaves open are offered again.
class DialogAnswerer {
public:
    using Answer = std::function<bool(HWND dialog, const SeenDialog& seen)>;
    explicit DialogAnswerer(Answer answer);
    ~DialogAnswerer();
    DialogAnswerer(const DialogAnswerer&) = delete;
    DialogAnswerer& operator=(const DialogAnswerer&) = delete;

    std::vector<SeenDialog> Seen();

private:
    void Run();

    Answer answer_;
    std::atomic<bool> stop_{false};
    std::mutex lock_;
    std::vector<SeenDialog> seen_;
    std::thread thread_;
};

// Presses button `id` of a dialog.
void Press(HWND dialog, int id);
// Window text of a control of a dialog.
std::wstring TextOf(HWND window);

// Types as a keyboard user would into the foreground window (made
// `window` first): Alt with `menu`'s mnemonic, then `item`'s mnemonic.
void ChooseMenu(HWND window, wchar_t menu, wchar_t item);
// One key press (down and up) into the foreground window.
void PressKey(HWND window, WORD virtualKey);
// Ctrl with `virtualKey` into the foreground window (made `window` first).
void PressWithControl(HWND window, WORD virtualKey);
// Alt with `letter` into the foreground window (made `window` first), as a
// keyboard user reaches the control whose caption underlines that letter.
void PressMnemonic(HWND window, wchar_t letter);

// Runs the thread's messages until `done` holds or `milliseconds` pass.
bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds);

// The text of row `row`, column `column` of a list view (works for
// owner-data lists, through the list's own message).
std::wstring ListText(HWND list, int row, int column);
int ListCount(HWND list);

// A size as the list shows it: `digits` grouped by three ("1 234 567").
std::wstring Grouped(const std::wstring& digits);

// Folder of the test fixtures (Windows form, trailing backslash).
std::wstring FixtureFolder();

// Reads a UTF-8 text file as lines split on tabs.
std::vector<std::vector<std::wstring>> ReadTable(const std::wstring& path);

// Saves a window's image (client and frame) as a 24-bit BMP.
bool SaveWindowImage(HWND window, const std::wstring& path);

// Saves `window` as `name`.bmp among the test run's screenshots.
#ifdef BRALTO_SCREENSHOTS
inline bool SaveScreenshot(HWND window, const std::wstring& name) {
    CreateDirectoryW(L"Z:" BRALTO_SCREENSHOTS, nullptr);
    return SaveWindowImage(window, L"Z:" BRALTO_SCREENSHOTS L"/" + name + L".bmp");
}
#endif

std::vector<unsigned char> ReadBytes(const std::wstring& path);
std::string ReadText(const std::wstring& path);
void WriteText(const std::wstring& path, const std::string& text);
bool Exists(const std::wstring& path);
// Every file below `folder`, as paths relative to it ("a\b.txt").
std::set<std::wstring> FilesBelow(const std::wstring& folder);
// Removes `folder` with everything in it.
void RemoveTree(const std::wstring& folder);

// Ends every qnrZip.exe at once, as a crash would; the number ended.
int KillServers();
// Runs `commandLine` and waits for it (30 s at most).
void RunProgram(std::wstring commandLine);

}  // namespace bralto::test
