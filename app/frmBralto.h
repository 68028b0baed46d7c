// frmBralto: Bralto's main window. Menus, toolbar, the archive list
// lisFich, the hidden log panel qnrDock, the busy ring qnrAnim, the cancel
// button shown during jobs and the status bar. It owns the open archive
// (path in its tag, name in its caption), the in-process unzip object of
// the last listing and at most one running job of the qnrZip server.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ArchiveList.h"
#include "GdiHandles.h"
#include "UnzipEvents.h"
#include "mMRU.h"

namespace qnr::client {
struct ZipEventHandlers;
struct UnzipEventHandlers;
template <class Interface, class Handlers>
class AsyncJob;
}  // namespace qnr::client
struct _cAsyncZip;
struct _cAsyncUnzip;

namespace bralto {

class cUnzip;
class JobSetup;
class qnrBI4Anim;
class qnrDock;

using AsyncZipJob = qnr::client::AsyncJob<_cAsyncZip, qnr::client::ZipEventHandlers>;
using AsyncUnzipJob = qnr::client::AsyncJob<_cAsyncUnzip, qnr::client::UnzipEventHandlers>;

class frmBralto {
public:
    // Child control identifiers (GetDlgItem on Handle()).
    enum ControlId { lisFich = 100, tooBar = 101, staBar = 102, cmdCancel = 103, qnrDockId = 104, qnrAnimId = 105 };
    // Menu command identifiers: array base + index.
    enum MenuId {
        mnuFichier = 1000,
        mnuMRU = 1100,
        mnuQuitter = 1200,
        mnuEdition = 1300,
        mnuAction = 1400,
        mnuOutils = 1500,
        mnuAide = 1600,
    };
    static constexpr int kTopMenus = 5;  // mnuInutilisé(0..4)
    static constexpr int kToolButtons = 6;

    frmBralto();
    ~frmBralto();
    frmBralto(const frmBralto&) = delete;
    frmBralto& operator=(const frmBralto&) = delete;

    // Creates the window (once) and shows it.
    void Show();
    HWND Handle() const { return hwnd_; }

    // Reads the archive's directory with a new in-process unzip object and
    // lists it; false when it could not be opened.
    bool OpenAZip(const std::wstring& path);
    // Asks for the name of a new archive, the Save dialog preset with `path`;
    // a cancelled dialog closes the window.
    void NewFromShell(const std::wstring& path);

    // ---- Jobs in the qnrZip server ----
    // A new server zip object whose events this window handles; null when
    // the server cannot be reached. Set it up, then hand it back below.
    std::unique_ptr<AsyncZipJob> CreateZipJob();
    std::unique_ptr<AsyncUnzipJob> CreateUnzipJob();
    // Starts a zip job; refused (with its message) at 1024 specifications.
    void PerformZipping(std::unique_ptr<AsyncZipJob> job);
    // Starts a delete job (the log panel keeps its text).
    void PerformDeleting(std::unique_ptr<AsyncZipJob> job);
    // Starts an extraction set up by the extract commands.
    void PerformExtracting(std::unique_ptr<AsyncUnzipJob> job);

    // ---- State ----
    const std::wstring& Tag() const { return archivePath_; }
    bool Busy() const { return busy_; }
    const std::vector<ArchiveRow>& Rows() const { return rows_; }
    const MruMenu& RecentArchives() const { return mru_; }
    std::wstring StatusText() const;
    std::wstring LogText() const;
    bool LogVisible() const;
    bool IsAnimationPlaying() const;

private:
    class ListingEvents;

    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

    // Load, layout, unload.
    void OnCreate();
    void CreateMenus();
    void CreateToolbar();
    void CreateList();
    void RestorePlacement();
    void SavePlacement();
    void OnSize(int width, int height);
    void OnGetMinMaxInfo(MINMAXINFO& info);
    bool OnQueryUnload();
    void OnDestroy();
    int Twips(int twips) const;
    int TwipsY(int twips) const;

    // Commands.
    void OnCommand(int id);
    void OnNewArchive();
    void OnOpenArchive();
    void OnInvertSelection();
    void SelectAllMembers();
    // Edition(1) and the Outils items: member information, test,
    // properties and comment of the open archive.
    void OnMemberInformation();
    void OnTestArchive();
    void OnArchiveProperties();
    void OnArchiveComment();
    void OnCancelClick();
    // Escape while a job runs cancels it, as the Cancel button does.
    void CancelOnEscape(WORD key);
    LRESULT OnNotify(NMHDR& header);
    void OnColumnClick(int column);
    void OnListKeyDown(WORD key);
    // The Action commands (0 add, 1 extract, 2 express extraction, 3 delete);
    // the menu, the toolbar and the Delete and Enter keys of the list run them.
    void RunAction(int index);
    void OnAddFiles();
    void OnExtract();
    void OnQuickExtract();
    void OnDeleteMembers();
    // The list's current row exists and is selected; otherwise says so.
    bool WarnUnlessCurrentRowSelected();
    bool CurrentRowIsSelected() const;
    bool RowIsSelected(size_t row) const;
    // Reads the directory in the server and marks the selected rows' members.
    bool MarkSelectedMembers(AsyncUnzipJob& job);
    // A new unzip job on the current archive, the marked members chosen when
    // `markedOnly`; null (after its message) when it cannot be set up.
    std::unique_ptr<AsyncUnzipJob> PrepareExtraction(bool markedOnly);

    // Listing and menu state.
    void FillArchiveList(const cUnzip& unzip);
    void ClearArchiveList();
    void ShowRows();
    void SortRows();
    void SetCaption(const std::wstring& caption);
    void EnableMenuItemOf(int id, bool enabled);
    bool IsMenuItemEnabled(int id) const;
    void EnableTopMenus(bool enabled);
    void EnableToolButton(int button, bool enabled);
    void EnableToolbar(bool enabled);
    void SetArchiveItemsForNew();
    void SetArchiveItemsForNone();
    void AddToRecent(const std::wstring& path);
    void ShowRecentMenu();
    void SetStatus(const std::wstring& text);
    int Message(const std::wstring& text, UINT style);
    std::wstring AskSaveName(const std::wstring& initial);
    // The new, still empty archive `path` becomes the window's archive.
    void StartNewArchive(const std::wstring& path);

    // Files dropped on the window (frmBraltoDrop.cpp): open one archive or
    // add everything dropped to the current one. The drop is always released.
    void DropFiles(HDROP drop);
    void AddDroppedFiles();
    // Names a new, empty archive as the shell's New command does and makes
    // it the current one; false when the user cancelled the Save dialog.
    bool AskNewArchive(const std::wstring& path);

    // Job life cycle.
    bool EnterBusy(bool clearLog);
    void LeaveBusy();
    void AppendLog(const std::wstring& message);
    void OnUnzipProgress(const std::wstring& message);
    void OnAsyncZipProgress(const std::wstring& message);
    void OnAsyncUnzipProgress(const std::wstring& message);
    void OnAsyncZipPasswordRequest(std::wstring& password, bool& cancel);
    void OnAsyncUnzipPasswordRequest(std::wstring& password, bool& cancel, const std::wstring& member);
    void OnAsyncUnzipOverwritePrompt(const std::wstring& file, long& response);
    void OnAsyncZipComplete(long result);
    void OnAsyncUnzipComplete(long result);
    void ReportZipResult(long result);
    void ReportServerUnavailable();
    // True when every call that set the job up succeeded; otherwise says
    // that the operation was not started, and the command ends there.
    bool AcceptSetup(const JobSetup& setup);
    void StartZipJob();
    // While a job runs, a timer looks whether its server process is gone.
    static void CALLBACK ServerWatchTimerProc(HWND hwnd, UINT message, UINT_PTR id, DWORD time);
    void EndJobWhoseServerIsLost();
    // Shows `text` and asks whether to see the details in the log panel.
    void OfferLogDetails(const std::wstring& text);
    void ReleaseFinishedJobs();

    HWND hwnd_ = nullptr;
    HWND list_ = nullptr;
    HWND toolbar_ = nullptr;
    HWND status_ = nullptr;
    HWND cancelButton_ = nullptr;
    HMENU menuBar_ = nullptr;
    HMENU fileMenu_ = nullptr;
    UniqueImageList buttonImages_;
    UniqueGdiObject font_;
    int dpiX_ = 96;
    int dpiY_ = 96;

    std::unique_ptr<qnrDock> log_;
    std::unique_ptr<qnrBI4Anim> anim_;
    std::unique_ptr<ListingEvents> listingEvents_;
    std::unique_ptr<cUnzip> m_Unzip;
    std::unique_ptr<AsyncZipJob> m_AsyncZip;
    std::unique_ptr<AsyncUnzipJob> m_AsyncUnzip;
    bool runningExtractOnlyNewer_ = false;

    std::wstring archivePath_;  // the window's tag
    std::vector<ArchiveRow> rows_;
    int sortColumn_ = 0;
    bool sortDescending_ = false;
    MruMenu mru_;
    std::wstring statusText_;  // the simple text of the status bar
    bool busy_ = false;
    bool cancelRequested_ = false;
    std::vector<std::wstring> droppedNames_;  // the names of the drop being handled
    bool handlingDrop_ = false;
};

// The one instance of the program's main window (for the routines that
// work on it); null when none exists.
frmBralto* MainWindow();

}  // namespace bralto
