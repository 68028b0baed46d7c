#include "frmTest.h"

#include <memory>

#include "DialogTemplate.h"
#include "InfoFigures.h"
#include "QnrZipClient.h"
#include "Texts.h"
#include "HtmlHelp.h"
#include "HtmlHelpTopics.h"

namespace bralto {

namespace {

namespace t = info_texts;

constexpr UINT kStartTest = WM_APP + 1;

// How often the running test's server is looked at; the look itself is
// made by the client's watch thread, the timer only reads what it found.
constexpr UINT_PTR kServerWatchTimer = 1;
constexpr UINT kServerWatchMs = 500;

struct DialogState {
    HWND hwnd = nullptr;
    std::wstring archive;
    bool started = false;          // the job is started once per window
    bool cancelRequested = false;  // the cancel flag answered to the server
    bool completed = false;
    bool overflowShown = false;
    std::unique_ptr<qnr::client::AsyncUnzip> job;

    HWND Report() const { return GetDlgItem(hwnd, frmTest::txtInfo); }

    bool Fits(const std::wstring& text) const {
        HWND report = Report();
        const auto limit = static_cast<size_t>(SendMessageW(report, EM_GETLIMITTEXT, 0, 0));
        return static_cast<size_t>(GetWindowTextLengthW(report)) + text.size() <= limit;
    }

    void Append(const std::wstring& text) {
        if (!Fits(text)) {
            // Said once: a long archive would otherwise stop on a message per member.
            if (!overflowShown) {
                overflowShown = true;
                MessageBoxW(hwnd, t::kTestOverflow, texts::kProgramName, MB_OK);
            }
            return;
        }
        HWND report = Report();
        const int length = GetWindowTextLengthW(report);
        SendMessageW(report, EM_SETSEL, length, length);
        SendMessageW(report, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
        UpdateWindow(hwnd);
    }

    void OnComplete() {
        completed = true;
        KillTimer(hwnd, kServerWatchTimer);
        HWND report = Report();
        const int length = GetWindowTextLengthW(report);
        SendMessageW(report, EM_SETSEL, length, length);
        SendMessageW(report, EM_SCROLLCARET, 0, 0);
        SetDlgItemTextW(hwnd, frmTest::cmdFermer, t::kTestClose);
    }

    void Start() {
        qnr::client::UnzipEventHandlers handlers;
        handlers.Progress = [this](const std::wstring& line) { Append(WithCrLfLineEnds(line)); };
        handlers.Cancel = [this](const std::wstring&, bool& cancel) { cancel = cancelRequested; };
        handlers.Complete = [this](long) { OnComplete(); };
        job = std::make_unique<qnr::client::AsyncUnzip>(std::move(handlers));
        HRESULT hr = job->Create();
        if (SUCCEEDED(hr)) {
            job->WatchServer();
            SetTimer(hwnd, kServerWatchTimer, kServerWatchMs, nullptr);
            auto& unzip = *job;
            unzip->put_ZipFile(qnr::Bstr(archive).Get());
            unzip->put_TestZip(VARIANT_TRUE);
            unzip->put_Listing(VARIANT_TRUE);
            hr = unzip->unzip();
        }
        if (FAILED(hr)) {
            job.reset();
            Append(std::wstring(t::kTestServerUnavailable) + texts::kCrLf);
            OnComplete();
        }
    }

    // The server went away during the test: its Complete will never come,
    // so the window ends the job itself and can be closed. Said in the
    // report, or in a box when the report is full.
    void OnServerWatchTick() {
        if (completed || !job || !job->ServerLost()) return;
        job->Release();
        const std::wstring lost = std::wstring(texts::kServerLost1) + texts::kCrLf + texts::kServerLost2;
        if (Fits(lost + texts::kCrLf))
            Append(lost + texts::kCrLf);
        else
            MessageBoxW(hwnd, lost.c_str(), texts::kProgramName, MB_OK | MB_ICONERROR);
        OnComplete();
    }

    // cmdFermer, Escape and the close box: a stop request while the test
    // runs (the server completes at its next cancel check), then the close.
    void OnButton() {
        if (!completed) {
            cancelRequested = true;
            return;
        }
        job.reset();
        EndDialog(hwnd, IDOK);
    }
};

DialogTemplate Layout(const std::wstring& archive) {
    DialogTemplate layout(t::kTestCaptionPrefix + archive, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_CENTER, 320, 200);
    layout.AddItem(kEditClass, frmTest::txtInfo, L"",
                   ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 7, 7, 306, 165);
    layout.AddItem(kButtonClass, frmTest::cmdFermer, t::kTestCancel, BS_DEFPUSHBUTTON | WS_TABSTOP, 261, 179, 52, 14);
    return layout;
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        state = reinterpret_cast<DialogState*>(lParam);
        state->hwnd = dialog;
        SendDlgItemMessageW(dialog, frmTest::txtInfo, EM_SETLIMITTEXT, frmTest::kReportLimit, 0);
        SetFocus(GetDlgItem(dialog, frmTest::cmdFermer));
        return FALSE;
    case WM_ACTIVATE:
        // Coming back from another program activates the window again: the
        // test already runs (or ran) and must not start a second time.
        if (state && LOWORD(wParam) != WA_INACTIVE && !state->started) {
            state->started = true;
            PostMessageW(dialog, kStartTest, 0, 0);  // once the window has painted
        }
        return FALSE;
    case kStartTest:
        if (state) state->Start();
        return TRUE;
    case WM_TIMER:
        if (state && wParam == kServerWatchTimer) state->OnServerWatchTick();
        return TRUE;
    case WM_HELP: return ShowDialogHelp(dialog, help_topics::kTest);
    case WM_COMMAND:
        if (state && (LOWORD(wParam) == frmTest::cmdFermer || LOWORD(wParam) == IDCANCEL)) {
            state->OnButton();
            return TRUE;
        }
        break;
    }
    return FALSE;
}

}  // namespace

void frmTest::Show(HWND owner, const std::wstring& archivePath) {
    DialogState state;
    state.archive = archivePath;
    Layout(archivePath).Show(owner, DialogProc, reinterpret_cast<LPARAM>(&state));
}

}  // namespace bralto
