// The job life cycle of the main window: start, progress, questions,
// cancel and completion of the zip, delete and extraction jobs that run in
// the qnrZip server.
#include "frmBralto.h"

#include <shellapi.h>

#include "Common.h"
#include "Handles.h"
#include "JobSetup.h"
#include "QnrZipClient.h"
#include "ResultTexts.h"
#include "Texts.h"
#include "cUnzip.h"
#include "frmPrompt.h"
#include "frmPwdAsk.h"
#include "frmPwdGive.h"
#include "qnrBI4Anim.h"
#include "qnrDock.h"
#include "unzip_api.h"
#include "zip_api.h"

namespace bralto {

namespace {

// A zip job takes at most 1023 file specifications.
constexpr long kMaxFileSpecs = 1024;

// How often a running job's server is looked at; the look itself is made
// by the client's watch thread and costs nothing here.
constexpr UINT_PTR kServerWatchTimer = 0x5157;
constexpr UINT kServerWatchMs = 500;

bool StartsWith(const std::wstring& text, const wchar_t* start) { return text.rfind(start, 0) == 0; }

std::wstring From(const std::wstring& text, size_t oneBasedPosition) {
    return text.size() >= oneBasedPosition ? text.substr(oneBasedPosition - 1) : std::wstring();
}

}  // namespace

std::unique_ptr<AsyncZipJob> frmBralto::CreateZipJob() {
    qnr::client::ZipEventHandlers handlers;
    handlers.Progress = [this](const std::wstring& line) { OnAsyncZipProgress(line); };
    handlers.Cancel = [this](const std::wstring&, bool& cancel) { cancel = cancelRequested_; };
    handlers.PasswordRequest = [this](std::wstring& password, bool& cancel) {
        OnAsyncZipPasswordRequest(password, cancel);
    };
    handlers.Complete = [this](long result) { OnAsyncZipComplete(result); };
    auto job = std::make_unique<AsyncZipJob>(std::move(handlers));
    // Create itself tries again while a server that is ending refuses it.
    if (FAILED(job->Create())) {
        ReportServerUnavailable();
        return nullptr;
    }
    job->WatchServer();
    return job;
}

std::unique_ptr<AsyncUnzipJob> frmBralto::CreateUnzipJob() {
    qnr::client::UnzipEventHandlers handlers;
    handlers.Progress = [this](const std::wstring& line) { OnAsyncUnzipProgress(line); };
    handlers.Cancel = [this](const std::wstring&, bool& cancel) { cancel = cancelRequested_; };
    handlers.PasswordRequest = [this](std::wstring& password, bool& cancel, const std::wstring& member) {
        OnAsyncUnzipPasswordRequest(password, cancel, member);
    };
    handlers.OverwritePrompt = [this](const std::wstring& file, long& response) {
        OnAsyncUnzipOverwritePrompt(file, response);
    };
    handlers.Complete = [this](long result) { OnAsyncUnzipComplete(result); };
    auto job = std::make_unique<AsyncUnzipJob>(std::move(handlers));
    if (FAILED(job->Create())) {
        ReportServerUnavailable();
        return nullptr;
    }
    job->WatchServer();
    return job;
}

void frmBralto::ReportServerUnavailable() {
    Message(std::wstring(texts::kServerUnavailable1) + texts::kCrLf + texts::kServerUnavailable2, MB_ICONERROR);
}

bool frmBralto::AcceptSetup(const JobSetup& setup) {
    if (!setup.Failed()) return true;
    SetStatus(texts::kReady);
    Message(texts::kJobNotStarted, MB_ICONERROR);
    return false;
}

void frmBralto::StartZipJob() {
    if (SUCCEEDED(m_AsyncZip->Object()->Zip())) return;
    // The server refused the job: nothing ran, and the zip codes have no
    // message for that.
    OnAsyncZipComplete(-1);
    Message(texts::kJobNotStarted, MB_ICONERROR);
}

bool frmBralto::EnterBusy(bool clearLog) {
    EnableTopMenus(false);
    EnableToolbar(false);
    anim_->StartPlaying();
    if (clearLog) {
        log_->Visible(false);
        log_->Text(L"");
    }
    cancelRequested_ = false;
    busy_ = true;
    SetTimer(hwnd_, kServerWatchTimer, kServerWatchMs, ServerWatchTimerProc);
    ShowWindow(cancelButton_, SW_SHOW);
    SetWindowPos(cancelButton_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    return true;
}

void frmBralto::LeaveBusy() {
    KillTimer(hwnd_, kServerWatchTimer);
    ShowWindow(cancelButton_, SW_HIDE);
    anim_->StopPlaying();
    SetStatus(texts::kReady);
    busy_ = false;
}

void frmBralto::PerformZipping(std::unique_ptr<AsyncZipJob> job) {
    if (!job || !*job || busy_) return;
    m_AsyncZip = std::move(job);
    long specs = 0;
    m_AsyncZip->Object()->get_FileSpecCount(&specs);
    if (specs >= kMaxFileSpecs) {
        Message(std::wstring(texts::kTooManyFiles1) + texts::kCrLf + texts::kTooManyFiles2, MB_ICONERROR);
        return;
    }
    EnterBusy(true);
    StartZipJob();
}

void frmBralto::PerformDeleting(std::unique_ptr<AsyncZipJob> job) {
    if (!job || !*job || busy_) return;
    m_AsyncZip = std::move(job);
    EnterBusy(false);
    StartZipJob();
}

void frmBralto::PerformExtracting(std::unique_ptr<AsyncUnzipJob> job) {
    if (!job || !*job || busy_) return;
    m_AsyncUnzip = std::move(job);
    VARIANT_BOOL onlyNewer = VARIANT_FALSE;
    m_AsyncUnzip->Object()->get_ExtractOnlyNewer(&onlyNewer);
    runningExtractOnlyNewer_ = onlyNewer != VARIANT_FALSE;
    EnterBusy(true);
    if (FAILED(m_AsyncUnzip->Object()->unzip())) OnAsyncUnzipComplete(-1);
}

void CALLBACK frmBralto::ServerWatchTimerProc(HWND hwnd, UINT, UINT_PTR, DWORD) {
    auto* self = reinterpret_cast<frmBralto*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self || !self->busy_) return;
    const bool zipLost = self->m_AsyncZip && self->m_AsyncZip->ServerLost();
    const bool unzipLost = self->m_AsyncUnzip && self->m_AsyncUnzip->ServerLost();
    if (zipLost || unzipLost) self->EndJobWhoseServerIsLost();
}

// The server process went away during the job: its Complete will never
// come. The job ends as failed and the window takes commands again.
void frmBralto::EndJobWhoseServerIsLost() {
    if (m_AsyncZip) m_AsyncZip->Release();
    if (m_AsyncUnzip) m_AsyncUnzip->Release();
    LeaveBusy();
    EnableTopMenus(true);
    EnableToolbar(true);
    Message(std::wstring(texts::kServerLost1) + texts::kCrLf + texts::kServerLost2, MB_ICONERROR);
    PostMessageW(hwnd_, WM_APP, 0, 0);
}

void frmBralto::OnCancelClick() {
    cancelRequested_ = true;
    SetStatus(texts::kCancelling);
    ShowWindow(cancelButton_, SW_HIDE);
}

void frmBralto::OnAsyncUnzipProgress(const std::wstring& message) {
    const std::wstring head = message.substr(0, 11);
    if (head == L"  inflating" || head == L" extracting") {
        SetStatus(From(message, 13));
        UpdateWindow(hwnd_);
    } else {
        AppendLog(message);
    }
}

void frmBralto::OnAsyncZipProgress(const std::wstring& message) {
    const std::wstring head = message.substr(0, 8);
    if (head == L"  adding" || head == L"updating" || head == L"deleting") {
        SetStatus(From(message, 11));
    } else if (head == L"fresheni") {
        SetStatus(From(message, 13));
    } else if (!StartsWith(message, L" (")) {
        AppendLog(message);
    }
}

void frmBralto::OnAsyncZipPasswordRequest(std::wstring& password, bool& cancel) {
    if (!ZipPassword.empty()) {
        password = ZipPassword;
        return;
    }
    PasswordAnswer answer = frmPwdGive::Show(hwnd_);
    UpdateWindow(hwnd_);
    if (!answer.tag.empty()) {
        password = answer.password;
        ZipPassword = answer.password;
    } else {
        cancel = true;
    }
}

void frmBralto::OnAsyncUnzipPasswordRequest(std::wstring& password, bool& cancel, const std::wstring& member) {
    PasswordAnswer answer = frmPwdAsk::Show(hwnd_, member);
    UpdateWindow(hwnd_);
    if (!answer.tag.empty())
        password = answer.password;
    else
        cancel = true;
}

void frmBralto::OnAsyncUnzipOverwritePrompt(const std::wstring& file, long& response) {
    SHFILEINFOW record = {};
    SHGetFileInfoW(file.c_str(), 0, &record, sizeof(record), SHGFI_ICON | SHGFI_LARGEICON | SHGFI_USEFILEATTRIBUTES);
    UniqueHIcon icon(record.hIcon);
    response = frmPrompt::Ask(hwnd_, file, icon.get(), !runningExtractOnlyNewer_);
    UpdateWindow(hwnd_);
}

void frmBralto::OfferLogDetails(const std::wstring& text) {
    if (Message(text + texts::kCrLf + texts::kWantDetails1 + texts::kWantDetails2, MB_YESNO | MB_ICONINFORMATION) ==
        IDYES)
        log_->Visible(true);
}

void frmBralto::ReportZipResult(long result) {
    const std::wstring text = ZipResultText(result);
    if (text.empty()) return;
    // Some files could not be read but the archive was written: the log
    // says which.
    if (result == ZE_OPEN)
        OfferLogDetails(text);
    else
        Message(text, result == ZE_NONE ? MB_ICONINFORMATION : MB_ICONERROR);
}

void frmBralto::OnAsyncZipComplete(long result) {
    LeaveBusy();
    ReportZipResult(result);
    EnableTopMenus(true);
    EnableToolbar(true);
    if (result == ZE_OK || result == ZE_OPEN) {
        qnr::Bstr zipFile;
        std::wstring path = archivePath_;
        if (m_AsyncZip && *m_AsyncZip && SUCCEEDED(m_AsyncZip->Object()->get_ZipFile(zipFile.Receive())) &&
            zipFile.Get())
            path = zipFile.Text();
        OpenAZip(path);
    }
    // The wrapper lets go of the server object once this handler returns;
    // the wrapper itself goes after that, from the message loop.
    PostMessageW(hwnd_, WM_APP, 0, 0);
}

void frmBralto::OnAsyncUnzipComplete(long result) {
    LeaveBusy();
    const std::wstring text = UnzipResultText(result);
    if (!text.empty()) OfferLogDetails(text);
    EnableTopMenus(true);
    EnableToolbar(true);
    PostMessageW(hwnd_, WM_APP, 0, 0);
}

void frmBralto::ReleaseFinishedJobs() {
    if (busy_) return;
    m_AsyncZip.reset();
    m_AsyncUnzip.reset();
}

}  // namespace bralto
