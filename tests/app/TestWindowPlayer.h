// The test window (frmTest) played as a user plays it, for the tests that
// run "&Tester le fichier" from the main window's menu: wait for the end
// of the job, read the report, close the window.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "WindowTestSupport.h"

namespace bralto::test {

inline constexpr DWORD kTestWindowTimeout = 60000;

// The whole text of a control (reports are longer than TextOf's buffer).
std::wstring LongText(HWND control);
// `text` split on CR LF.
std::vector<std::wstring> Lines(const std::wstring& text);
// Sleeps (no message loop: for the answering thread) until `done` or `milliseconds` pass.
bool WaitFor(const std::function<bool()>& done, DWORD milliseconds);
// Another top-level window takes the foreground, then `dialog` gets it
// back; false when either change did not happen.
bool SwitchAwayAndBack(HWND dialog);

// What a user of the test window saw: the report and the button's captions.
struct TestRun {
    std::wstring report;
    std::wstring captionWhileRunning, captionAtEnd, windowCaption;
    int overflowMessages = 0;
    bool closed = false;
    // Switched to another program and back while the test ran (when it is
    // cancelled) and once it had ended: the test must not start again.
    bool switchedWhileRunning = false, switchedAtEnd = false;
    bool screenshotSaved = false;
};

// Answers the test window: waits for the end of the job (answering the
// overflow message), optionally switches away and back and then cancels
// once the first line has come (through the close box when
// `closeBoxCancels`), switches away and back at the end, closes the window
// and sets `finished`. Saves the window as `screenshot` when given (a path).
DialogAnswerer::Answer PlayTest(TestRun& run, std::atomic<bool>& finished, bool cancel, bool closeBoxCancels,
                                const std::wstring& screenshot = L"");

}  // namespace bralto::test
