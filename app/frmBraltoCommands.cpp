// The command layer of the main window: what each menu item, toolbar
// button and key of the archive list does. The commands gather their
// options from the option windows, build the job and hand it to the job
// life cycle (frmBraltoJobs.cpp).
#include "frmBralto.h"

#include <commctrl.h>
#include <commdlg.h>

#include "CommentJobs.h"
#include "Common.h"
#include "Handles.h"
#include "HtmlHelp.h"
#include "JobSetup.h"
#include "JobSpecifications.h"
#include "QnrZipClient.h"
#include "Texts.h"
#include "cUnzip.h"
#include "frmAbout.h"
#include "frmAddFiles.h"
#include "frmDelete.h"
#include "frmExtractFiles.h"
#include "frmFileInfo.h"
#include "frmQuickExtract.h"
#include "frmRegister.h"
#include "frmShellExtract.h"
#include "frmTest.h"
#include "frmZipInfo.h"
#include "unzip_api.h"

namespace bralto {

void frmBralto::OnListKeyDown(WORD key) {
    if (busy_) {
        CancelOnEscape(key);
        return;
    }
    // Ctrl+A selects every member, as in the shell's own lists; the list
    // view leaves that key to its owner.
    if (key == 'A' && GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_MENU) >= 0) SelectAllMembers();
    if (key == VK_DELETE && IsMenuItemEnabled(mnuAction + 3)) RunAction(3);
    if (key == VK_RETURN && IsMenuItemEnabled(mnuAction + 1)) RunAction(1);
}

// The keyboard's way to the Cancel button, which never takes the focus from
// the list: Escape asks what a click asks, once.
void frmBralto::CancelOnEscape(WORD key) {
    if (key == VK_ESCAPE && busy_ && IsWindowVisible(cancelButton_)) OnCancelClick();
}

// ---- Commands ----

void frmBralto::OnCommand(int id) {
    if (id == cmdCancel) {
        OnCancelClick();
    } else if (id == mnuFichier + 0) {
        OnNewArchive();
    } else if (id == mnuFichier + 1) {
        OnOpenArchive();
    } else if (id > mnuMRU && id <= mnuMRU + MruMenu::kEntries) {
        const std::wstring path = mru_.items[static_cast<size_t>(id - mnuMRU)].tag;
        OpenAZip(path);
    } else if (id == mnuQuitter + 1) {
        if (OnQueryUnload()) DestroyWindow(hwnd_);
    } else if (id == mnuEdition + 0) {
        OnInvertSelection();
    } else if (id == mnuEdition + 1) {
        OnMemberInformation();
    } else if (id == mnuOutils + 0) {
        OnTestArchive();
    } else if (id == mnuOutils + 1) {
        OnArchiveProperties();
    } else if (id == mnuOutils + 2) {
        OnArchiveComment();
    } else if (id >= mnuAction && id < mnuAction + 4) {
        RunAction(id - mnuAction);
    } else if (id == mnuAide + 0) {
        ShowHelp(hwnd_, HelpFilePath());
    } else if (id == mnuAide + 1) {
        frmRegister::Show(hwnd_, frmRegister::ProgramFolder());
        UpdateWindow(hwnd_);
    } else if (id == mnuAide + 3) {
        frmAbout::Show(hwnd_);
        UpdateWindow(hwnd_);
    }
}

void frmBralto::RunAction(int index) {
    switch (index) {
    case 0: OnAddFiles(); break;
    case 1: OnExtract(); break;
    case 2: OnQuickExtract(); break;
    case 3: OnDeleteMembers(); break;
    }
}

namespace {

// The system's file dialog over Zip archives: "" when it is cancelled.
std::wstring ChooseArchiveFile(HWND owner, const wchar_t* title, const std::wstring& initial, bool save) {
    wchar_t file[MAX_PATH * 2] = {};
    lstrcpynW(file, initial.c_str(), MAX_PATH * 2);
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = texts::kZipFilter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file;
    dialog.nMaxFile = MAX_PATH * 2;
    dialog.lpstrTitle = title;
    dialog.Flags = OFN_HIDEREADONLY | OFN_EXPLORER;
    if (save) {
        dialog.lpstrDefExt = L"zip";
        dialog.Flags |= OFN_OVERWRITEPROMPT;
    }
    const BOOL chosen = save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
    return chosen ? std::wstring(file) : std::wstring();
}

}  // namespace

std::wstring frmBralto::AskSaveName(const std::wstring& initial) {
    return ChooseArchiveFile(hwnd_, texts::kNewArchiveTitle, initial, true);
}

void frmBralto::StartNewArchive(const std::wstring& path) {
    AddToRecent(path);
    ClearArchiveList();
    SetCaption(FileTitleOf(path));
    archivePath_ = path;
    SetArchiveItemsForNew();
}

bool frmBralto::AskNewArchive(const std::wstring& path) {
    const std::wstring name = AskSaveName(path);
    if (name.empty()) return false;
    StartNewArchive(name);
    return true;
}

void frmBralto::NewFromShell(const std::wstring& path) {
    if (!hwnd_) Show();
    // A launch by the shell's New command ends when the name is refused.
    if (!AskNewArchive(path)) DestroyWindow(hwnd_);
}

void frmBralto::OnNewArchive() {
    const std::wstring name = AskSaveName(L"");
    if (name.empty()) return;
    DeleteFileW(name.c_str());  // the first add creates the archive; a failure here does not matter
    StartNewArchive(name);
}

void frmBralto::OnOpenArchive() {
    const std::wstring name = ChooseArchiveFile(hwnd_, texts::kOpenArchiveTitle, L"", false);
    if (!name.empty()) OpenAZip(name);
}

void frmBralto::OnInvertSelection() {
    for (int i = 0; i < static_cast<int>(rows_.size()); ++i) {
        const bool selected = ListView_GetItemState(list_, i, LVIS_SELECTED) != 0;
        ListView_SetItemState(list_, i, selected ? 0 : LVIS_SELECTED, LVIS_SELECTED);
    }
}

void frmBralto::SelectAllMembers() { ListView_SetItemState(list_, -1, LVIS_SELECTED, LVIS_SELECTED); }

// ---- Information, test and comment ----

void frmBralto::OnMemberInformation() {
    const int current = ListView_GetNextItem(list_, -1, LVNI_FOCUSED);
    if (current < 0 || current >= static_cast<int>(rows_.size())) return;
    const ArchiveRow& row = rows_[static_cast<size_t>(current)];
    MemberRowTexts texts;
    std::copy(row.text.begin(), row.text.end(), texts.begin());
    UniqueHIcon icon(ImageList_GetIcon(ListView_GetImageList(list_, LVSIL_SMALL), row.icon, ILD_NORMAL));
    frmFileInfo::Show(hwnd_, texts, icon.get());
    UpdateWindow(hwnd_);
}

void frmBralto::OnTestArchive() {
    frmTest::Show(hwnd_, archivePath_);
    UpdateWindow(hwnd_);
}

void frmBralto::OnArchiveProperties() {
    ListingFigures listing;
    if (m_Unzip) {
        listing.totalSizeCompressed = m_Unzip->TotalSizeCompressed();
        listing.totalSize = m_Unzip->TotalSize();
        listing.compressionFactor = m_Unzip->CompressionFactor();
        listing.numMembers = m_Unzip->NumMembers();
    }
    frmZipInfo::Show(hwnd_, frmZipInfo::Figures(archivePath_, listing));
    UpdateWindow(hwnd_);
}

void frmBralto::OnArchiveComment() {
    frmComment::Show(hwnd_, archivePath_, InProcessCommentEngine());
    UpdateWindow(hwnd_);
}

// ---- Selection of the archive list ----

bool frmBralto::CurrentRowIsSelected() const {
    const int current = ListView_GetNextItem(list_, -1, LVNI_FOCUSED);
    return current >= 0 && ListView_GetItemState(list_, current, LVIS_SELECTED) != 0;
}

bool frmBralto::RowIsSelected(size_t row) const {
    return ListView_GetItemState(list_, static_cast<int>(row), LVIS_SELECTED) != 0;
}

bool frmBralto::WarnUnlessCurrentRowSelected() {
    if (CurrentRowIsSelected()) return true;
    Message(texts::kNoFileSelected, MB_ICONWARNING);
    return false;
}

bool frmBralto::MarkSelectedMembers(AsyncUnzipJob& job) {
    long result = PK_OK;
    if (FAILED(job->Directory(&result)) || result != PK_OK) {
        Message(texts::kMembersUnreadable, MB_ICONERROR);
        return false;
    }
    JobSetup setup;
    for (size_t row = 0; row < rows_.size(); ++row) {
        // The number after the key's first character is the member's index.
        const long index = std::wcstol(rows_[row].key.c_str() + 1, nullptr, 10);
        setup += job->put_FileSelected(index, RowIsSelected(row) ? VARIANT_TRUE : VARIANT_FALSE);
    }
    return AcceptSetup(setup);
}

std::unique_ptr<AsyncUnzipJob> frmBralto::PrepareExtraction(bool markedOnly) {
    std::unique_ptr<AsyncUnzipJob> job = CreateUnzipJob();
    if (!job) return nullptr;
    JobSetup setup;
    setup += (*job)->put_ZipFile(qnr::Bstr(archivePath_).Get());
    if (!AcceptSetup(setup)) return nullptr;
    SetStatus(texts::kPreparing);
    if (markedOnly && !MarkSelectedMembers(*job)) {
        SetStatus(texts::kReady);
        return nullptr;
    }
    return job;
}

// ---- Action commands ----

void frmBralto::OnExtract() {
    const ExtractFolderSources sources{archivePath_, TempFolderPath, SpecialFolderPath};
    const ExtractAnswer answer = frmExtractFiles::Show(hwnd_, sources);
    UpdateWindow(hwnd_);
    if (answer.tag.empty()) return;
    if (!answer.AllFiles() && !WarnUnlessCurrentRowSelected()) return;

    std::unique_ptr<AsyncUnzipJob> job = PrepareExtraction(!answer.AllFiles());
    if (!job) return;
    JobSetup setup;
    setup += (*job)->put_UnzipFolder(qnr::Bstr(answer.folder).Get());
    setup += (*job)->put_OverwriteExisting(answer.OverwriteExisting() ? VARIANT_TRUE : VARIANT_FALSE);
    setup += (*job)->put_PromptToOverwrite(answer.PromptToOverwrite() ? VARIANT_TRUE : VARIANT_FALSE);
    setup += (*job)->put_ExtractOnlyNewer(answer.onlyNewer ? VARIANT_TRUE : VARIANT_FALSE);
    setup += (*job)->put_ExtractOnlyExistingNewer(answer.onlyExistingNewer ? VARIANT_TRUE : VARIANT_FALSE);
    setup += (*job)->put_UseFolderNames(answer.usePath ? VARIANT_TRUE : VARIANT_FALSE);
    if (!AcceptSetup(setup)) return;
    PerformExtracting(std::move(job));
}

void frmBralto::OnAddFiles() {
    const AddFilesAnswer answer = frmAddFiles::Show(hwnd_);
    UpdateWindow(hwnd_);
    if (answer.tag.empty()) return;
    if (answer.selection.empty()) {
        Message(texts::kNoSelectionMade, MB_ICONERROR);
        return;
    }

    SetStatus(texts::kPreparing);
    std::unique_ptr<AsyncZipJob> job = CreateZipJob();
    if (!job) {
        SetStatus(texts::kReady);
        return;
    }
    JobSetup setup;
    setup += (*job)->put_ZipFile(qnr::Bstr(archivePath_).Get());
    setup += (*job)->put_StoreFolderNames(answer.storeFolderNames ? VARIANT_TRUE : VARIANT_FALSE);
    // A new add asks for a new password when it encrypts.
    ZipPassword.clear();
    setup += (*job)->put_Encrypt(answer.encrypt ? VARIANT_TRUE : VARIANT_FALSE);
    if (answer.FreshenFiles()) setup += (*job)->put_FreshenFiles(VARIANT_TRUE);
    if (answer.UpdateOnlyIfNewer()) setup += (*job)->put_UpdateOnlyIfNewer(VARIANT_TRUE);
    if (answer.MoveFiles()) setup += (*job)->put_MoveFiles(VARIANT_TRUE);
    setup += (*job)->put_CompressionLevel(static_cast<EZPCompLevel>(answer.CompressionLevel()));
    setup += (*job)->put_IncludeSystemAndHiddenFiles(answer.includeSystemAndHiddenFiles ? VARIANT_TRUE : VARIANT_FALSE);
    setup += (*job)->put_StoreDirectories(answer.storeDirectories ? VARIANT_TRUE : VARIANT_FALSE);
    for (const std::wstring& spec : AddSpecificationsOf(answer.selection, answer.includeSystemAndHiddenFiles)) {
        long added = 0;
        setup += (*job)->AddFileSpec(qnr::Bstr(spec).Get(), &added);
    }
    if (!AcceptSetup(setup)) return;
    PerformZipping(std::move(job));
}

void frmBralto::OnQuickExtract() {
    const QuickExtractAnswer answer = frmQuickExtract::Show(hwnd_);
    UpdateWindow(hwnd_);
    if (answer.tag.empty()) return;
    if (answer.selectedOnly && !WarnUnlessCurrentRowSelected()) return;

    std::unique_ptr<AsyncUnzipJob> job = PrepareExtraction(answer.selectedOnly);
    if (!job) return;
    JobSetup setup;
    setup += (*job)->put_UnzipFolder(qnr::Bstr(frmShellExtract::ExtractionFolderFor(archivePath_)).Get());
    setup += (*job)->put_UseFolderNames(VARIANT_TRUE);
    setup += (*job)->put_OverwriteExisting(VARIANT_TRUE);
    setup += (*job)->put_PromptToOverwrite(VARIANT_FALSE);
    setup += (*job)->put_ExtractOnlyNewer(VARIANT_TRUE);
    if (!AcceptSetup(setup)) return;
    PerformExtracting(std::move(job));
}

void frmBralto::OnDeleteMembers() {
    const DeleteAnswer answer = frmDelete::Show(hwnd_);
    UpdateWindow(hwnd_);
    if (answer.tag.empty()) return;
    if (answer.selectedOnly && !WarnUnlessCurrentRowSelected()) return;

    std::unique_ptr<AsyncZipJob> job = CreateZipJob();
    if (!job) return;
    JobSetup setup;
    setup += (*job)->put_ZipFile(qnr::Bstr(archivePath_).Get());
    setup += (*job)->put_DeleteEntries(VARIANT_TRUE);
    setup += (*job)->put_StoreFolderNames(VARIANT_TRUE);
    SetStatus(texts::kPreparing);
    long added = 0;
    if (answer.selectedOnly) {
        for (size_t row = 0; row < rows_.size(); ++row)
            if (RowIsSelected(row))
                setup += (*job)->AddFileSpec(qnr::Bstr(DeleteSpecificationOf(rows_[row].text[7], rows_[row].tag)).Get(),
                                             &added);
    } else {
        setup += (*job)->AddFileSpec(qnr::Bstr(L"*.*").Get(), &added);
    }
    if (!AcceptSetup(setup)) return;
    PerformDeleting(std::move(job));
}

}  // namespace bralto
