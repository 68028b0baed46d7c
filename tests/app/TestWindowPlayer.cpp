#include "TestWindowPlayer.h"

#include "frmTest.h"

namespace bralto::test {

std::wstring LongText(HWND control) {
    DWORD_PTR length = 0;
    SendMessageTimeoutW(control, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length);
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(control, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG, 2000,
                        &copied);
    text.resize(copied);
    return text;
}

std::vector<std::wstring> Lines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    size_t start = 0;
    for (size_t end; (end = text.find(L"\r\n", start)) != std::wstring::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

bool WaitFor(const std::function<bool()>& done, DWORD milliseconds) {
    for (DWORD waited = 0; !done(); waited += 50) {
        if (waited > milliseconds) return false;
        Sleep(50);
    }
    return true;
}

namespace {

// As WaitFor, serving this thread's own windows meanwhile.
bool ServeUntil(const std::function<bool()>& done, DWORD milliseconds) {
    for (DWORD waited = 0; !done(); waited += 20) {
        if (waited > milliseconds) return false;
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        Sleep(20);
    }
    return true;
}

}  // namespace

bool SwitchAwayAndBack(HWND dialog) {
    HWND other = CreateWindowExW(0, L"STATIC", L"autre programme", WS_POPUP | WS_VISIBLE, 0, 0, 60, 60, nullptr,
                                 nullptr, nullptr, nullptr);
    SetForegroundWindow(other);
    const bool away = ServeUntil([&] { return GetForegroundWindow() == other; }, 2000);
    ServeUntil([] { return false; }, 100);
    SetForegroundWindow(dialog);
    const bool back = ServeUntil([&] { return GetForegroundWindow() == dialog; }, 2000);
    ServeUntil([] { return false; }, 200);
    DestroyWindow(other);
    return away && back;
}

namespace {

std::wstring ButtonText(HWND dialog, int id) { return TextOf(GetDlgItem(dialog, id)); }

}  // namespace

DialogAnswerer::Answer PlayTest(TestRun& run, std::atomic<bool>& finished, bool cancel, bool closeBoxCancels,
                                const std::wstring& screenshot) {
    return [&run, &finished, cancel, closeBoxCancels, screenshot](HWND dialog, const SeenDialog& seen) {
        if (seen.caption.rfind(L"Test de ", 0) != 0) return false;  // the overflow box is handled below
        run.windowCaption = seen.caption;
        HWND report = GetDlgItem(dialog, frmTest::txtInfo);
        auto answerOverflow = [&] {
            HWND box = FindWindowW(L"#32770", L"Bralto");
            if (box && IsWindowVisible(box) && GetWindow(box, GW_OWNER) == dialog) {
                ++run.overflowMessages;
                Press(box, IDOK);
                Sleep(300);
            }
        };
        if (cancel) {
            WaitFor([&] { return GetWindowTextLengthW(report) > 0; }, kTestWindowTimeout);
            run.switchedWhileRunning = SwitchAwayAndBack(dialog);
            run.captionWhileRunning = ButtonText(dialog, frmTest::cmdFermer);
            if (closeBoxCancels)
                PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
            else
                Press(dialog, frmTest::cmdFermer);
        }
        WaitFor(
            [&] {
                answerOverflow();
                return ButtonText(dialog, frmTest::cmdFermer) == L"Fermer";
            },
            kTestWindowTimeout);
        run.captionAtEnd = ButtonText(dialog, frmTest::cmdFermer);
        // Back from another program: the test must not run again.
        run.switchedAtEnd = SwitchAwayAndBack(dialog);
        Sleep(1500);
        run.report = LongText(report);
        if (!screenshot.empty()) run.screenshotSaved = SaveWindowImage(dialog, screenshot);
        Press(dialog, frmTest::cmdFermer);
        run.closed = WaitFor([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, 5000);
        finished = true;
        return true;
    };
}

}  // namespace bralto::test
