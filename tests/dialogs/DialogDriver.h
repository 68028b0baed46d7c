// Plays the user of a modal window: the window runs on the test's thread
// (inside Show), a second thread waits for it by caption and works its
// controls with messages, as a user's clicks would.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>
#include <thread>

namespace bralto::test {

// The visible dialog (#32770) of this process with `caption`, or nullptr
// after `milliseconds`.
HWND WaitForDialog(const std::wstring& caption, DWORD milliseconds = 10000);
// True once no visible dialog of this process has `caption`.
bool WaitForDialogGone(const std::wstring& caption, DWORD milliseconds = 10000);

class DialogUser {
public:
    // Waits on its own thread for the dialog `caption`, then runs `act`
    // on it. A dialog that `act` leaves open is cancelled (IDCANCEL) so
    // that a failing test cannot hang in Show.
    DialogUser(std::wstring caption, std::function<void(HWND dialog)> act);
    ~DialogUser();
    DialogUser(const DialogUser&) = delete;
    DialogUser& operator=(const DialogUser&) = delete;
    bool Found() const { return found_; }

private:
    void Run(std::wstring caption, std::function<void(HWND)> act);

    bool found_ = false;
    std::thread thread_;
};

// Control work from the user's thread.
void Click(HWND dialog, int id);      // returns once the click is handled
void PostClick(HWND dialog, int id);  // for a button that opens a modal window
bool IsChecked(HWND dialog, int id);
bool IsEnabled(HWND dialog, int id);
int ComboIndex(HWND dialog, int id);
void SelectCombo(HWND dialog, int id, int index);
std::wstring ComboEntry(HWND dialog, int id, int index);
int ComboCount(HWND dialog, int id);
std::wstring WindowText(HWND window);
std::wstring ItemText(HWND dialog, int id);

// The text box of a folder field (qnrBrowser) of a dialog.
HWND FieldTextBox(HWND dialog, int id);
std::wstring FieldText(HWND dialog, int id);
void SetFieldText(HWND dialog, int id, const std::wstring& text);

// The keyboard, as the system delivers a user's key presses: posted to the
// window that has the focus on the dialog's thread, so that the dialog's
// own message loop routes them (Tab, Enter, Escape, mnemonics).
HWND FocusOf(HWND dialog);
// The dialog's direct child that holds the focus (or contains it), 0 when none.
int FocusedId(HWND dialog);
void PressKey(HWND dialog, WORD virtualKey);
void PressAlt(HWND dialog, wchar_t letter);  // Alt + a mnemonic letter
void TypeText(HWND dialog, const std::wstring& text);
// F1 as the keyboard gives it, through the input queue into the dialog made
// the foreground window: the system turns only such a key into WM_HELP.
void PressF1(HWND dialog);
// Waits until the dialog's thread has handled what was posted so far.
void Settle(HWND dialog);

// The captions and drop-down choices of the dialog's visible controls that
// the user would see cut short (a push button, check box, option button,
// frame or single-line label narrower than its text; a closed drop-down
// list narrower than one of its choices), each as "control id: text".
// Labels drawn with an ellipsis on purpose are left out.
std::vector<std::wstring> TextsCutShort(HWND dialog);

// Saves what the screen shows of `window` as a 24-bit BMP file.
bool SaveWindowImage(HWND window, const std::wstring& path);

// Removes every setting of the program (the registry key of the store).
void ClearSettings();

}  // namespace bralto::test
