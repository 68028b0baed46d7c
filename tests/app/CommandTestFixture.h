// The main window on the test's thread, with the registered qnrZip server
// behind it, for the tests that run its commands: a work folder among the
// fixtures, the small tree archive, waiting for a job to end, and the
// extraction window answered.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <set>
#include <string>
#include <vector>

#include "ComSupport.h"
#include "Handles.h"
#include "Settings.h"
#include "WindowTestSupport.h"
#include "frmBralto.h"
#include "frmExtractFiles.h"
#include "frmPwdAsk.h"

namespace bralto::test {

// Presets the extraction window as a returning user left it: `onlyNewer`
// is "plus récents ou inexistants", `existingNewer` "plus récents existants".
inline void PresetExtraction(const std::wstring& folder, int action, bool usePath, bool onlyNewer = false,
                             bool existingNewer = false) {
    Settings::SetExtractingFolder(folder);
    Settings::SetExtractingOver(static_cast<int16_t>(action));
    Settings::SetExtractingUsePath(usePath ? 1 : 0);
    Settings::SetExtractingNewer(onlyNewer ? 1 : 0);
    Settings::SetExtractingExistingNewer(existingNewer ? 1 : 0);
}

// What the extraction window answered by ExtractWith shows: the files
// chosen, the password given to its questions, and the name of its
// screenshot (none when empty).
struct ExtractAnswer {
    int files = 1;  // 0 the marked members, 1 all
    std::wstring password;
    int* passwordQuestions = nullptr;
    std::wstring screenshot;
};

// Answers the extraction window with `files` (0 the marked members, 1 all)
// and any other dialog with OK (Yes where it asks); records every message
// box. With a `password`, the password questions get it instead (counted in
// `passwordQuestions`, not recorded).
inline DialogAnswerer::Answer ExtractWith(const ExtractAnswer& how, std::vector<SeenDialog>& messages) {
    return [how, &messages](HWND dialog, const SeenDialog& seen) {
        if (seen.caption == L"Extraction de fichiers") {
#ifdef BRALTO_SCREENSHOTS
            if (!how.screenshot.empty()) SaveScreenshot(dialog, how.screenshot);
#endif
            SendMessageW(GetDlgItem(dialog, frmExtractFiles::comFichiers), CB_SETCURSEL, static_cast<WPARAM>(how.files),
                         0);
            Press(dialog, frmExtractFiles::cmdAction0);
        } else if (!how.password.empty() && seen.caption == L"Mot de passe") {
            if (how.passwordQuestions) ++*how.passwordQuestions;
            SetDlgItemTextW(dialog, frmPwdAsk::txtPwd, how.password.c_str());
            Press(dialog, IDOK);
        } else {
            messages.push_back(seen);
            Press(dialog, GetDlgItem(dialog, IDYES) ? IDYES : IDOK);
        }
        return true;
    };
}
inline DialogAnswerer::Answer ExtractWith(int files, std::vector<SeenDialog>& messages) {
    ExtractAnswer how;
    how.files = files;
    return ExtractWith(how, messages);
}

// The position on `toolbar` of its button `number` (1 the first button;
// separators are no buttons); -1 when there is none.
inline int ToolbarButtonIndex(HWND toolbar, int number) {
    const int count = static_cast<int>(SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0));
    for (int index = 0; index < count; ++index) {
        TBBUTTON button = {};
        SendMessageW(toolbar, TB_GETBUTTON, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&button));
        if (!(button.fsStyle & BTNS_SEP) && --number == 0) return index;
    }
    return -1;
}

// Clicks button `number` (1 the first) of `toolbar` with the mouse, at the
// middle of the place the toolbar gives it, as a user clicks it.
inline void ClickToolbarButton(HWND toolbar, int number) {
    const int index = ToolbarButtonIndex(toolbar, number);
    ASSERT_GE(index, 0) << "no toolbar button " << number;
    RECT place = {};
    SendMessageW(toolbar, TB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&place));
    POINT middle{(place.left + place.right) / 2, (place.top + place.bottom) / 2};
    ClientToScreen(toolbar, &middle);
    SetForegroundWindow(GetAncestor(toolbar, GA_ROOT));
    PumpUntil([] { return false; }, 100);
    INPUT clicks[3] = {};
    for (INPUT& click : clicks) {
        click.type = INPUT_MOUSE;
        click.mi.dx = MulDiv(middle.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
        click.mi.dy = MulDiv(middle.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    }
    clicks[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    clicks[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_ABSOLUTE;
    clicks[2].mi.dwFlags = MOUSEEVENTF_LEFTUP | MOUSEEVENTF_ABSOLUTE;
    SendInput(3, clicks, sizeof(INPUT));
}

// Keys as a keyboard user presses them, into the foreground window.
inline INPUT KeyStroke(WORD key, bool up, wchar_t character = 0) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = character ? 0 : key;
    input.ki.wScan = character;
    input.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (character ? KEYEVENTF_UNICODE : 0);
    return input;
}
inline void SendStrokes(std::vector<INPUT> strokes) {
    SendInput(static_cast<UINT>(strokes.size()), strokes.data(), sizeof(INPUT));
    Sleep(150);
}
// `key`, with Shift, Ctrl or Alt (VK_SHIFT, VK_CONTROL, VK_MENU) held when given.
inline void Stroke(WORD key, WORD held = 0) {
    std::vector<INPUT> strokes;
    if (held) strokes.push_back(KeyStroke(held, false));
    strokes.push_back(KeyStroke(key, false));
    strokes.push_back(KeyStroke(key, true));
    if (held) strokes.push_back(KeyStroke(held, true));
    SendStrokes(strokes);
}
// Alt and a mnemonic letter.
inline void AltLetter(wchar_t letter) { Stroke(LOBYTE(VkKeyScanW(letter)), VK_MENU); }
inline void TypeText(const std::wstring& text) {
    std::vector<INPUT> strokes;
    for (wchar_t character : text) {
        strokes.push_back(KeyStroke(0, false, character));
        strokes.push_back(KeyStroke(0, true, character));
    }
    SendStrokes(strokes);
}

// Sets the last write time of `path` to now plus `hours` (negative: ago).
inline bool SetModifiedHoursFromNow(const std::wstring& path, int hours) {
    FILETIME now = {};
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER time{{now.dwLowDateTime, now.dwHighDateTime}};
    time.QuadPart += static_cast<ULONGLONG>(static_cast<LONGLONG>(hours) * 36000000000LL);
    const FILETIME when{time.LowPart, time.HighPart};
    UniqueKernelHandle file(CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_EXISTING, 0, nullptr));
    return file && SetFileTime(file.get(), nullptr, nullptr, &when);
}

// Server events reach a single-threaded apartment through its message loop,
// as in Bralto itself.
inline qnr::ComApartment g_commandTestApartment;

class WindowCommandTest : public ::testing::Test {
protected:
    static constexpr DWORD kJobTimeout = 60000;

    static std::wstring WorkFolder() { return FixtureFolder() + L"commands\\"; }
    // The files of tree.zip, as they were zipped.
    static std::wstring TreeSource() { return FixtureFolder() + L"tree"; }

    void SetUp() override {
        CreateDirectoryW(WorkFolder().c_str(), nullptr);
        // A missing archive would stop the test on its message box.
        ASSERT_TRUE(Exists(FixtureFolder() + L"tree.zip"));
        // The window opens where it always does, not where an earlier test
        // left it: the clicks land on the controls, not beside them.
        DeleteSetting(L"StartUp", L"Height");
        window.Show();
    }
    HWND Window() const { return window.Handle(); }
    HWND List() const { return GetDlgItem(window.Handle(), frmBralto::lisFich); }
    ::testing::AssertionResult WaitIdle() {
        PumpUntil([] { return false; }, 300);
        if (PumpUntil([this] { return !window.Busy(); }, kJobTimeout)) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "job still running";
    }
    // A copy of tree.zip named `name` in the work folder, opened.
    std::wstring OpenTreeCopy(const std::wstring& name) {
        const std::wstring archive = WorkFolder() + name;
        CopyFileW((FixtureFolder() + L"tree.zip").c_str(), archive.c_str(), FALSE);
        EXPECT_TRUE(window.OpenAZip(archive));
        return archive;
    }
    std::set<std::wstring> ListedNames() {
        std::set<std::wstring> names;
        for (int row = 0; row < ListCount(List()); ++row) names.insert(ListText(List(), row, 0));
        return names;
    }

    // The Edition, Action and Outils items ("E0", "A3", "O2") and toolbar
    // buttons ("B1" to "B6") a user can use now.
    std::set<std::wstring> EnabledCommands() {
        std::set<std::wstring> enabled;
        HMENU menu = GetMenu(Window());
        const struct {
            const wchar_t* letter;
            int first, count;
        } menus[] = {
            {L"E", frmBralto::mnuEdition, 2}, {L"A", frmBralto::mnuAction, 4}, {L"O", frmBralto::mnuOutils, 3}};
        for (const auto& items : menus)
            for (int i = 0; i < items.count; ++i)
                if (!(GetMenuState(menu, static_cast<UINT>(items.first + i), MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED)))
                    enabled.insert(items.letter + std::to_wstring(i));
        HWND toolbar = GetDlgItem(Window(), frmBralto::tooBar);
        for (int number = 1; number <= frmBralto::kToolButtons; ++number) {
            TBBUTTON button = {};
            SendMessageW(toolbar, TB_GETBUTTON, static_cast<WPARAM>(ToolbarButtonIndex(toolbar, number)),
                         reinterpret_cast<LPARAM>(&button));
            if (button.fsState & TBSTATE_ENABLED) enabled.insert(L"B" + std::to_wstring(number));
        }
        return enabled;
    }

    frmBralto window;
};

}  // namespace bralto::test
