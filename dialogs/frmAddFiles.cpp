#include "frmAddFiles.h"

#include <commctrl.h>

#include <iterator>

#include "AddFilesBitmaps.h"
#include "DialogTemplate.h"
#include "GdiHandles.h"
#include "Settings.h"
#include "Texts.h"
#include "qnrFichier.h"
#include "qnrImage.h"
#include "qnrRepertoire.h"
#include "HtmlHelp.h"
#include "HtmlHelpTopics.h"

namespace bralto {

namespace {

namespace t = dialog_texts;
using F = frmAddFiles;

// Dialog units of the layout: both pages share the rectangle above the
// bottom line; the picture and the buttons below it are always shown.
constexpr short kWidth = 340, kHeight = 298;
constexpr RECT kTreeArea = {14, 19, 130, 197};
constexpr RECT kFileListArea = {150, 19, 326, 232};
constexpr RECT kSelectionArea = {7, 18, 333, 168};
constexpr POINT kSelectionPicture = {7, 272};
constexpr COLORREF kPictureMask = RGB(255, 0, 255);
constexpr long kReportView = 3, kListView = 2;

const int kPage1[] = {F::fraRép, F::qnrRép,  F::chkSsRép, F::lblMask, F::txtMask,
                      F::cmdRép, F::fraFich, F::qnrFich,  F::imaView, F::cmdFichier};
const int kPage2[] = {F::lblSélect, F::lisSélect, F::lblAction, F::comAction, F::lblCompression, F::comCompression,
                      F::fraOption, F::chkDir,    F::chkPath,   F::chkSystem, F::chkEncrypt};

struct DialogState {
    AddFilesAnswer answer;
    std::wstring folder;  // the tree's folder when the window closed
    bool closed = false;
    bool secondPage = false;
    qnrRepertoire tree;
    qnrFichier files;
    SelectionList selection;
    qnrImage selectionPicture;
    UniqueGdiObject viewPicture;  // the view button shows it, does not own it
};

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
void Check(HWND dialog, int id, bool checked) { CheckDlgButton(dialog, id, checked ? BST_CHECKED : BST_UNCHECKED); }
int ComboIndex(HWND dialog, int id) { return static_cast<int>(SendDlgItemMessageW(dialog, id, CB_GETCURSEL, 0, 0)); }

void FillCombo(HWND dialog, int id, const wchar_t* const* entries, size_t count) {
    for (size_t i = 0; i < count; ++i)
        SendDlgItemMessageW(dialog, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entries[i]));
    SendDlgItemMessageW(dialog, id, CB_SETCURSEL, 0, 0);
}

RECT Pixels(HWND dialog, RECT units) {
    MapDialogRect(dialog, &units);
    return units;
}

HBITMAP LoadBitmapResource(int id, UINT flags) {
    return static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, flags));
}

// Tab order follows the windows' order: a control made at run time goes
// right after the frame or label it belongs to.
void PlaceInTabOrderAfter(HWND dialog, HWND control, int previous) {
    SetWindowPos(control, GetDlgItem(dialog, previous), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// Pages and pictures ------------------------------------------------------

void ShowControls(HWND dialog, const int* ids, size_t count, bool visible) {
    for (size_t i = 0; i < count; ++i) ShowWindow(GetDlgItem(dialog, ids[i]), visible ? SW_SHOW : SW_HIDE);
}

void ShowPage(HWND dialog, DialogState& state, bool second) {
    state.secondPage = second;
    ShowControls(dialog, kPage1, std::size(kPage1), !second);
    ShowControls(dialog, kPage2, std::size(kPage2), second);
    SetDlgItemTextW(dialog, F::cmdSuivPré, second ? t::kAddPrevious : t::kAddNext);
    ShowWindow(GetDlgItem(dialog, F::cmdOK), second ? SW_SHOW : SW_HIDE);
    // Enter goes on through the wizard: "&Suivant>" first, then "&Terminer".
    SendMessageW(dialog, DM_SETDEFID, second ? F::cmdOK : F::cmdSuivPré, 0);
    // A keyboard user must not be left on a control the page just hid.
    HWND focus = GetFocus();
    if (focus && !IsWindowVisible(focus)) {
        HWND first = second ? state.selection.hWnd() : state.tree.hWnd();
        SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(first), TRUE);
    }
}

void ShowViewPicture(HWND dialog, DialogState& state, long view) {
    UniqueGdiObject picture(LoadBitmapResource(F::ViewBitmap(view), LR_LOADMAP3DCOLORS));
    SendDlgItemMessageW(dialog, F::imaView, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture.get()));
    state.viewPicture = std::move(picture);
}

void ShowSelectionPicture(DialogState& state) {
    const bool empty = state.selection.Count() == 0;
    state.selectionPicture.Picture(
        LoadBitmapResource(empty ? IDB_ADDFILES_SELECTION_EMPTY : IDB_ADDFILES_SELECTION_FULL, 0));
}

// Page 1 ------------------------------------------------------------------

void OnFolderChosen(HWND dialog, DialogState& state, const std::wstring& path) {
    SetDlgItemTextW(dialog, F::fraRép, path.c_str());
    state.files.Path(path);
    state.files.SetItemSelected(-1, false);
}

// The same column again turns the order round; another column keeps it.
void OnColumnClick(DialogState& state, int column) {
    if (column == state.files.SortKey())
        state.files.SortOrder(state.files.SortOrder() == 0 ? 1 : 0);
    else
        state.files.SortKey(static_cast<short>(column));
}

void OnViewClick(HWND dialog, DialogState& state) {
    const long view = F::NextView(state.files.View());
    state.files.View(view);
    ShowViewPicture(dialog, state, view);
    Settings::SetAddingView(static_cast<int16_t>(view));
}

void OnAddSelectedFiles(DialogState& state) {
    for (int row = 0; row < state.files.ItemCount(); ++row)
        if (state.files.IsItemSelected(row)) state.selection.AddFile(state.files.Path(), state.files.ItemText(row));
    if (state.selection.Count() > 0) ShowSelectionPicture(state);
}

void OnAddFolder(HWND dialog, DialogState& state) {
    const std::wstring mask = ControlText(dialog, F::txtMask);
    if (mask.empty()) {
        MessageBoxW(dialog, t::kAddNoMask, texts::kProgramName, MB_OK | MB_ICONERROR);
        SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, F::txtMask)), TRUE);
        return;
    }
    // Before the tree has a folder there is nothing to add from.
    if (state.tree.Path().empty()) return;
    state.selection.AddFolder(state.tree.Path(), mask, Checked(dialog, F::chkSsRép));
    ShowSelectionPicture(state);
}

// Page 2 ------------------------------------------------------------------

void OnSelectionKey(DialogState& state, WORD key) {
    if (key != VK_DELETE) return;
    state.selection.DeleteSelected();
    if (state.selection.Count() == 0) ShowSelectionPicture(state);
}

std::wstring ConflictQuestion() {
    return std::wstring(t::kAddConflictSeveral) + t::kAddConflictPossible + t::kAddConflictWhy + texts::kCrLf +
           t::kAddConflictRemedy + texts::kCrLf + t::kAddConflictWarning + texts::kCrLf + t::kAddConflictQuestion;
}

// Closing -----------------------------------------------------------------

void Close(HWND dialog, DialogState& state, const std::wstring& tag) {
    AddFilesAnswer& answer = state.answer;
    answer.tag = tag;
    answer.selection = state.selection.Rows();
    answer.action = ComboIndex(dialog, F::comAction);
    answer.compression = ComboIndex(dialog, F::comCompression);
    answer.storeDirectories = Checked(dialog, F::chkDir);
    answer.storeFolderNames = Checked(dialog, F::chkPath);
    answer.includeSystemAndHiddenFiles = Checked(dialog, F::chkSystem);
    answer.encrypt = Checked(dialog, F::chkEncrypt);
    state.folder = state.tree.Path();
    state.closed = true;
    EndDialog(dialog, tag.empty() ? IDCANCEL : IDOK);
}

// Without stored folder names, files of the same name from different
// folders would overwrite each other in the archive: the user may choose
// to store them, go on as is, or stay in the window.
void OnFinish(HWND dialog, DialogState& state) {
    if (!Checked(dialog, F::chkPath) && SelectionMayConflict(state.selection.Rows())) {
        const std::wstring question = ConflictQuestion();
        switch (MessageBoxW(dialog, question.c_str(), texts::kProgramName, MB_YESNOCANCEL | MB_ICONQUESTION)) {
        case IDYES: Check(dialog, F::chkPath, true); break;
        case IDNO: break;
        default: return;
        }
    }
    Close(dialog, state, L"OK");
}

// Opening -----------------------------------------------------------------

void CreateControls(HWND dialog, DialogState& state) {
    qnrFichierArgs list;
    list.parent = dialog;
    list.id = F::qnrFich;
    list.place = Pixels(dialog, kFileListArea);
    list.multiSelect = true;
    list.fullRowSelect = true;
    list.view = Settings::AddingView();
    state.files.Create(list);
    PlaceInTabOrderAfter(dialog, state.files.ControlWindow::hWnd(), F::fraFich);
    state.files.Sorted(true);
    state.files.ColumnClick = [&state](int column) { OnColumnClick(state, column); };

    qnrRepertoireArgs tree;
    tree.parent = dialog;
    tree.id = F::qnrRép;
    tree.place = Pixels(dialog, kTreeArea);
    state.tree.Create(tree);
    PlaceInTabOrderAfter(dialog, state.tree.ControlWindow::hWnd(), F::fraRép);
    state.files.ParentTree(state.tree.hWnd());
    state.tree.OnPathChange = [dialog, &state](const std::wstring& path) { OnFolderChosen(dialog, state, path); };

    state.selection.Create(dialog, F::lisSélect, Pixels(dialog, kSelectionArea));
    PlaceInTabOrderAfter(dialog, state.selection.hWnd(), F::lblSélect);

    const RECT at = Pixels(dialog, {kSelectionPicture.x, kSelectionPicture.y, 0, 0});
    qnrImageArgs picture;
    picture.parent = dialog;
    picture.id = F::imaSélection;
    picture.position = {at.left, at.top};
    picture.maskColor = static_cast<long>(kPictureMask);
    state.selectionPicture.Create(picture);
    ShowSelectionPicture(state);
}

void OnLoad(HWND dialog, DialogState& state) {
    CreateControls(dialog, state);  // the file list opens in the stored view
    ShowViewPicture(dialog, state, state.files.View());
    if (!state.tree.OpenAFolder(Settings::AddingFolder())) state.tree.OpenAFolder(L"C:");
    Check(dialog, F::chkPath, Settings::AddingUsePath() != 0);
    Check(dialog, F::chkSystem, true);
    SetDlgItemTextW(dialog, F::txtMask, t::kAddDefaultMask);
    FillCombo(dialog, F::comAction, t::kAddActions, std::size(t::kAddActions));
    FillCombo(dialog, F::comCompression, t::kAddCompressions, std::size(t::kAddCompressions));
    ShowPage(dialog, state, false);
    SetFocus(state.tree.hWnd());
}

void OnCommand(HWND dialog, DialogState& state, int id) {
    switch (id) {
    case F::cmdSuivPré: ShowPage(dialog, state, !state.secondPage); break;
    case F::cmdFichier: OnAddSelectedFiles(state); break;
    case F::cmdRép: OnAddFolder(dialog, state); break;
    case F::imaView: OnViewClick(dialog, state); break;
    case F::cmdOK: OnFinish(dialog, state); break;
    case F::cmdCancel:
    case IDCANCEL:  // Escape and the close box
        Close(dialog, state, L"");
        break;
    }
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        OnLoad(dialog, *reinterpret_cast<DialogState*>(lParam));
        return FALSE;  // the focus is on the tree
    case WM_HELP: return ShowDialogHelp(dialog, help_topics::kAddFiles);
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED || lParam == 0) OnCommand(dialog, *state, LOWORD(wParam));
        return TRUE;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->idFrom == F::lisSélect && header->code == LVN_KEYDOWN)
            OnSelectionKey(*state, reinterpret_cast<const NMLVKEYDOWN*>(lParam)->wVKey);
        return FALSE;
    }
    }
    return FALSE;
}

DialogTemplate Layout() {
    DialogTemplate layout(t::kAddCaption, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_CENTER, kWidth, kHeight);
    const DWORD tab = WS_TABSTOP, box = BS_AUTOCHECKBOX | WS_TABSTOP;
    // Page 1: the folder tree and its mask, then the folder's files.
    layout.AddItem(kButtonClass, F::fraRép, t::kAddFolderFrame, BS_GROUPBOX, 7, 7, 130, 252);
    layout.AddItem(kButtonClass, F::chkSsRép, t::kAddSubFolders, box, 14, 201, 116, 10);
    layout.AddItem(kStaticClass, F::lblMask, t::kAddMaskLabel, SS_LEFT, 14, 218, 30, 9);
    layout.AddItem(kEditClass, F::txtMask, L"", ES_AUTOHSCROLL | WS_BORDER | tab, 46, 216, 84, 13);
    layout.AddItem(kButtonClass, F::cmdRép, t::kAddTheseFiles, BS_PUSHBUTTON | tab, 14, 237, 116, 15);
    layout.AddItem(kButtonClass, F::fraFich, t::kAddFilesFrame, BS_GROUPBOX, 143, 7, 190, 252);
    layout.AddItem(kButtonClass, F::imaView, L"", BS_PUSHBUTTON | BS_BITMAP | tab, 150, 237, 20, 15);
    layout.AddItem(kButtonClass, F::cmdFichier, t::kAddSelectedFiles, BS_PUSHBUTTON | tab, 196, 237, 130, 15);
    // Page 2: the collected rows and the options of the zip job.
    layout.AddItem(kStaticClass, F::lblSélect, t::kAddSelectionLabel, SS_LEFT, 7, 7, 200, 9);
    layout.AddItem(kStaticClass, F::lblAction, t::kAddActionLabel, SS_LEFT, 7, 178, 55, 9);
    layout.AddItem(kComboBoxClass, F::comAction, L"", CBS_DROPDOWNLIST | WS_VSCROLL | tab, 64, 176, 200, 80);
    layout.AddItem(kStaticClass, F::lblCompression, t::kAddCompressionLabel, SS_LEFT, 7, 195, 55, 9);
    layout.AddItem(kComboBoxClass, F::comCompression, L"", CBS_DROPDOWNLIST | WS_VSCROLL | tab, 64, 193, 100, 80);
    layout.AddItem(kButtonClass, F::fraOption, t::kAddOptions, BS_GROUPBOX, 7, 212, 326, 46);
    layout.AddItem(kButtonClass, F::chkDir, t::kAddEmptyFolders, box, 15, 225, 150, 10);
    layout.AddItem(kButtonClass, F::chkPath, t::kAddStorePath, box, 15, 240, 150, 10);
    layout.AddItem(kButtonClass, F::chkSystem, t::kAddSystemHidden, box, 170, 225, 155, 10);
    layout.AddItem(kButtonClass, F::chkEncrypt, t::kAddEncrypt, box, 170, 240, 155, 10);
    // Always shown.
    layout.AddItem(kStaticClass, F::lnBottom, L"", SS_ETCHEDHORZ, 7, 266, 326, 1);
    layout.AddItem(kButtonClass, F::cmdSuivPré, t::kAddNext, BS_DEFPUSHBUTTON | tab, 168, 276, 52, 15);
    layout.AddItem(kButtonClass, F::cmdOK, t::kAddFinish, BS_PUSHBUTTON | tab, 224, 276, 52, 15);
    layout.AddItem(kButtonClass, F::cmdCancel, t::kAddCancel, BS_PUSHBUTTON | tab, 281, 276, 52, 15);
    return layout;
}

}  // namespace

int AddFilesAnswer::CompressionLevel() const {
    switch (compression) {
    case 0: return 9;
    case 1: return 6;
    case 2: return 2;
    default: return 0;
    }
}

long frmAddFiles::NextView(long view) { return view == kReportView ? kListView : kReportView; }

// Only the list and report views have a picture; the icon views a stored
// setting may name show the list's, the view the button leaves for report.
int frmAddFiles::ViewBitmap(long view) {
    return view == kReportView ? IDB_ADDFILES_VIEW_REPORT : IDB_ADDFILES_VIEW_LIST;
}

AddFilesAnswer frmAddFiles::Show(HWND owner) {
    DialogState state;
    Layout().Show(owner, DialogProc, reinterpret_cast<LPARAM>(&state));
    // A window that could not be made changed nothing worth remembering.
    if (state.closed) {
        if (!state.folder.empty()) Settings::SetAddingFolder(state.folder);
        Settings::SetAddingUsePath(state.answer.storeFolderNames ? 1 : 0);
    }
    return state.answer;
}

}  // namespace bralto
