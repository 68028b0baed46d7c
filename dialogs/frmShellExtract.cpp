#include "frmShellExtract.h"

#include <shlwapi.h>

#include "AppLifetime.h"
#include "DialogTemplate.h"
#include "QnrZipClient.h"
#include "ResultTexts.h"
#include "Texts.h"
#include "frmPwdAsk.h"
#include "unzip_api.h"

namespace bralto {

namespace {

namespace t = express_texts;

void ShowErrors(HWND owner, const std::wstring& text) {
    MessageBoxW(owner, text.c_str(), texts::kProgramName, MB_OK | MB_ICONERROR);
}

bool IsMemberLine(const std::wstring& message) {
    return message.compare(0, 11, L"  inflating") == 0 || message.compare(0, 11, L" extracting") == 0;
}

}  // namespace

struct frmShellExtract::State {
    HWND hwnd = nullptr;
    bool cancelRequested = false;
    std::unique_ptr<qnr::client::AsyncUnzip> job;

    void SetWork(const std::wstring& text) {
        SetDlgItemTextW(hwnd, lblTravail, text.c_str());
        UpdateWindow(hwnd);
    }

    void OnCancelClicked() {
        if (cancelRequested) return;
        cancelRequested = true;
        SetWork(t::kCancelling);
        ShowWindow(GetDlgItem(hwnd, cmdCancel), SW_HIDE);
    }

    void OnProgress(const std::wstring& message) {
        if (IsMemberLine(message)) SetWork(message.size() > 12 ? message.substr(12) : std::wstring());
    }

    void OnPassword(std::wstring& password, bool& cancel, const std::wstring& member) {
        PasswordAnswer answer = frmPwdAsk::Show(hwnd, member);
        if (answer.tag == L"OK") password = answer.password;
        else cancel = true;
    }

    void OnComplete(long result) {
        const std::wstring text = UnzipResultText(result);
        if (!text.empty()) ShowErrors(hwnd, text);
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
            case WM_COMMAND:
                if (LOWORD(wParam) == cmdCancel && self) self->OnCancelClicked();
                return TRUE;
            case WM_CLOSE:
                // The close box asks for the same orderly stop as the button.
                if (self) self->OnCancelClicked();
                return TRUE;
            case WM_NCDESTROY:
                if (self) self->hwnd = nullptr;
                TopLevelWindowClosed();
                return FALSE;
            default:
                return FALSE;
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
    if (nameLength <= 4) return archivePath + t::kExtractedSuffix;
    return archivePath.substr(0, archivePath.size() - 4);
}

void frmShellExtract::QuickExtract() {
    DialogTemplate layout(texts::kProgramName,
                          DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 240, 62);
    layout.AddItem(kStaticClass, lblTravail, L"", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_PATHELLIPSIS, 8, 10, 224, 12);
    layout.AddItem(kButtonClass, cmdCancel, t::kCancel, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 93, 38,
                   54, 15);
    HWND hwnd = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), layout.Get(), nullptr, &State::DialogProc,
                                           reinterpret_cast<LPARAM>(state_.get()));
    if (!hwnd) return;
    SetWindowTextW(hwnd, (t::kCaptionPrefix + std::wstring(PathFindFileNameW(ArchivePath.c_str()))).c_str());
    ShowWindow(hwnd, SW_SHOW);
    UpdateWindow(hwnd);
    if (FAILED(state_->StartJob(ArchivePath))) {
        state_->job.reset();
        // The job never ran: the same message as a job that failed.
        ShowErrors(hwnd, UnzipResultText(PK_ERR));
        DestroyWindow(hwnd);
    }
}

}  // namespace bralto
