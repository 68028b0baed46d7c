#include "frmShellExtract.h"

#include <shlwapi.h>

#include "AppLifetime.h"
#include "DialogTemplate.h"
#include "QnrZipClient.h"
#include "ResultTexts.h"
#include "Texts.h"
#include "frmPwdAsk.h"
#include "unzip_api.h"
#include "HtmlHelp.h"
#include "HtmlHelpTopics.h"

namespace bralto {

namespace {

namespace et = express_texts;

// The running job's server is looked at this often (by the client's watch
// thread; the timer only reads what it found).
constexpr UINT_PTR kServerWatchTimer = 1;
constexpr UINT kServerWatchMs = 500;

bool IsMemberLine(const std::wstring& message) {
    return message.compare(0, 11, L"  inflating") == 0 || message.compare(0, 11, L" extracting") == 0;
}

bool Holds(const std::wstring& text, const wchar_t* part) { return text.find(part) != std::wstring::npos; }

// What the library's messages said went wrong, gathered as the job runs:
// its result code alone does not tell a missing archive from a file that
// is not one, nor a damaged member from a wrong password.
struct FailureClues {
    bool archiveMissing = false;
    bool memberDamaged = false;
    bool wrongPassword = false;
    bool cannotCreate = false;

    void Note(const std::wstring& message) {
        if (Holds(message, L"cannot find either ")) archiveMissing = true;
        if (Holds(message, L"incorrect password") || Holds(message, L"(wrong password?)"))
            wrongPassword = true;
        else if (Holds(message, L"error:  cannot create"))
            cannotCreate = true;
        else if (message.compare(0, 10, L"  error:  ") == 0)
            memberDamaged = true;
    }
};

// The second line of the error message: what the unzip library's result
// code tells, made precise by the clues where the code cannot (a missing
// archive and a file that is not one share PK_NOZIP; PK_ERR, some members
// failed, is told apart by the clues only).
std::wstring FailureDetail(long result, const FailureClues& clues) {
    if (result == PK_NOZIP && clues.archiveMissing) return et::kArchiveMissing;
    const std::wstring detail = UnzipFailureDetail(static_cast<int>(result));
    if (!detail.empty()) return detail;
    if (clues.memberDamaged) return et::kMemberDamaged;
    if (clues.wrongPassword) return et::kWrongPassword;
    if (clues.cannotCreate) return et::kCannotCreate;
    return et::kOtherCode + std::to_wstring(result);
}

void ShowFailure(HWND owner, const std::wstring& detail) {
    const std::wstring message = std::wstring(texts::kErrorsDuring) + texts::kErrorsExtracting + texts::kCrLf + detail;
    MessageBoxW(owner, message.c_str(), texts::kProgramName, MB_OK | MB_ICONERROR);
}

}  // namespace

struct frmShellExtract::State {
    HWND hwnd = nullptr;
    bool cancelRequested = false;
    FailureClues clues;
    std::unique_ptr<qnr::client::AsyncUnzip> job;

    void SetWork(const std::wstring& text) {
        SetDlgItemTextW(hwnd, lblTravail, text.c_str());
        UpdateWindow(hwnd);
    }

    void OnCancelClicked() {
        if (cancelRequested) return;
        cancelRequested = true;
        SetWork(texts::kCancelling);
        ShowWindow(GetDlgItem(hwnd, cmdCancel), SW_HIDE);
    }

    void OnProgress(const std::wstring& message) {
        if (IsMemberLine(message))
            SetWork(message.size() > 12 ? message.substr(12) : std::wstring());
        else
            clues.Note(message);
    }

    void OnPassword(std::wstring& password, bool& cancel, const std::wstring& member) {
        PasswordAnswer answer = frmPwdAsk::Show(hwnd, member);
        if (answer.tag == L"OK")
            password = answer.password;
        else
            cancel = true;
    }

    void OnComplete(long result) {
        if (result != PK_OK && result != IZ_CTRLC) ShowFailure(hwnd, FailureDetail(result, clues));
        DestroyWindow(hwnd);
    }

    // The server went away during the job: no Complete will come.
    void OnServerWatchTick() {
        if (!job || !job->ServerLost()) return;
        KillTimer(hwnd, kServerWatchTimer);
        job->Release();
        ShowFailure(hwnd, et::kServerLost);
        DestroyWindow(hwnd);
    }

    HRESULT StartJob(const std::wstring& archive) {
        qnr::client::UnzipEventHandlers handlers;
        handlers.Progress = [this](const std::wstring& line) { OnProgress(line); };
        handlers.Cancel = [this](const std::wstring&, bool& cancel) { cancel = cancelRequested; };
        handlers.PasswordRequest = [this](std::wstring& p, bool& c, const std::wstring& m) { OnPassword(p, c, m); };
        handlers.Complete = [this](long result) { OnComplete(result); };
        job = std::make_unique<qnr::client::AsyncUnzip>(std::move(handlers));
        HRESULT hr = job->Create();
        if (FAILED(hr)) return hr;
        job->WatchServer();
        auto& unzip = *job;
        qnr::Bstr zipFile(archive), folder(ExtractionFolderFor(archive));
        unzip->put_ZipFile(zipFile.Get());
        unzip->put_UnzipFolder(folder.Get());
        unzip->put_UseFolderNames(VARIANT_TRUE);
        unzip->put_OverwriteExisting(VARIANT_TRUE);
        unzip->put_PromptToOverwrite(VARIANT_FALSE);
        unzip->put_ExtractOnlyNewer(VARIANT_TRUE);
        return unzip->unzip();
    }

    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<State*>(GetWindowLongPtrW(dialog, DWLP_USER));
        switch (message) {
        case WM_INITDIALOG:
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            reinterpret_cast<State*>(lParam)->hwnd = dialog;
            TopLevelWindowOpened();
            return TRUE;
        case WM_HELP: return ShowDialogHelp(dialog, help_topics::kShellExtract);
        case WM_COMMAND:
            if (LOWORD(wParam) == cmdCancel && self) self->OnCancelClicked();
            return TRUE;
        case WM_TIMER:
            if (wParam == kServerWatchTimer && self) self->OnServerWatchTick();
            return TRUE;
        case WM_CLOSE:
            // The close box asks for the same orderly stop as the button.
            if (self) self->OnCancelClicked();
            return TRUE;
        case WM_NCDESTROY:
            if (self) self->hwnd = nullptr;
            TopLevelWindowClosed();
            return FALSE;
        default: return FALSE;
        }
    }
};

frmShellExtract::frmShellExtract() : state_(std::make_unique<State>()) {}

frmShellExtract::~frmShellExtract() {
    if (state_->job) state_->job->Release();
    if (state_->hwnd) DestroyWindow(state_->hwnd);
}

HWND frmShellExtract::Handle() const { return state_->hwnd; }

std::wstring frmShellExtract::ExtractionFolderFor(const std::wstring& archivePath) {
    const size_t slash = archivePath.find_last_of(L"\\/");
    const size_t nameLength = slash == std::wstring::npos ? archivePath.size() : archivePath.size() - slash - 1;
    if (nameLength <= 4) return archivePath + et::kExtractedSuffix;
    return archivePath.substr(0, archivePath.size() - 4);
}

void frmShellExtract::QuickExtract() {
    DialogTemplate t(texts::kProgramName,
                     DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 240, 62);
    t.AddItem(kStaticClass, lblTravail, L"", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_PATHELLIPSIS, 8, 10, 224, 12);
    t.AddItem(kButtonClass, cmdCancel, texts::kCancel, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 93, 38,
              54, 15);
    HWND hwnd = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), t.Get(), nullptr, &State::DialogProc,
                                           reinterpret_cast<LPARAM>(state_.get()));
    if (!hwnd) return;
    SetWindowTextW(hwnd, (et::kCaptionPrefix + std::wstring(PathFindFileNameW(ArchivePath.c_str()))).c_str());
    ShowWindow(hwnd, SW_SHOW);
    UpdateWindow(hwnd);
    if (FAILED(state_->StartJob(ArchivePath))) {
        state_->job.reset();
        ShowFailure(hwnd, et::kServerUnavailable);
        DestroyWindow(hwnd);
        return;
    }
    SetTimer(hwnd, kServerWatchTimer, kServerWatchMs, nullptr);
}

}  // namespace bralto
