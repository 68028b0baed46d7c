#include "frmExtractFiles.h"

#include <shlobj.h>

#include "DialogTemplate.h"
#include "Texts.h"
#include "Settings.h"
#include "frmBrowse.h"
#include "qnrBrowser.h"
#include "HtmlHelp.h"
#include "HtmlHelpTopics.h"

namespace bralto {

namespace {

namespace t = dialog_texts;

struct DialogState {
    const ExtractFolderSources* sources = nullptr;
    ExtractAnswer answer;
    bool closed = false;
    qnrBrowser destination;
};

// The folder without its last character (the trailing backslash); an
// empty folder stays empty.
std::wstring WithoutLastCharacter(const std::wstring& folder) {
    return folder.empty() ? folder : folder.substr(0, folder.size() - 1);
}

std::wstring FolderPartOf(const std::wstring& path) {
    const size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

void FillCombo(HWND dialog, int id, const wchar_t* const* entries, size_t count) {
    for (size_t i = 0; i < count; ++i)
        SendDlgItemMessageW(dialog, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entries[i]));
}

int ComboIndex(HWND dialog, int id) { return static_cast<int>(SendDlgItemMessageW(dialog, id, CB_GETCURSEL, 0, 0)); }

// An index outside the entries leaves the combo box without a choice.
void SelectComboIndex(HWND dialog, int id, int index) {
    SendDlgItemMessageW(dialog, id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
void Check(HWND dialog, int id, bool checked) { CheckDlgButton(dialog, id, checked ? BST_CHECKED : BST_UNCHECKED); }

void CreateDestinationField(HWND dialog, DialogState& state) {
    RECT place = {14, 20, 286, 32};
    MapDialogRect(dialog, &place);
    qnrBrowserArgs args;
    args.parent = dialog;
    args.id = frmExtractFiles::qnrBrowDest;
    args.place = place;
    args.text = Settings::ExtractingFolder();
    args.folderChoice = frmBrowse::Factory();
    state.destination.Create(args);
    HWND field = state.destination.ControlWindow::hWnd();
    // Tab goes into the field's text box and button, after the frame.
    SetWindowLongPtrW(field, GWL_EXSTYLE, GetWindowLongPtrW(field, GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
    SetWindowPos(field, GetDlgItem(dialog, frmExtractFiles::fraDest), 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void LoadFromSettings(HWND dialog, DialogState& state) {
    FillCombo(dialog, frmExtractFiles::comRep, t::kExtractCommonFolders, std::size(t::kExtractCommonFolders));
    FillCombo(dialog, frmExtractFiles::comFichiers, t::kExtractFiles, std::size(t::kExtractFiles));
    FillCombo(dialog, frmExtractFiles::comAction, t::kExtractActions, std::size(t::kExtractActions));
    CreateDestinationField(dialog, state);
    SelectComboIndex(dialog, frmExtractFiles::comFichiers, 0);
    // An overwrite rule the window does not know would leave the job
    // without one: such a stored value falls back to asking first.
    const int over = Settings::ExtractingOver();
    SelectComboIndex(dialog, frmExtractFiles::comAction, over >= 0 && over < 3 ? over : 0);
    const bool newer = Settings::ExtractingNewer() != 0;
    Check(dialog, frmExtractFiles::chkEONewer, newer);
    // The two "newer" rules exclude each other; a store holding both keeps
    // the first one.
    Check(dialog, frmExtractFiles::chkEOEN, !newer && Settings::ExtractingExistingNewer() != 0);
    Check(dialog, frmExtractFiles::chkUsePath, Settings::ExtractingUsePath() != 0);
    SelectComboIndex(dialog, frmExtractFiles::comRep, Settings::ExtractingCommon());
}

ExtractAnswer ReadAnswer(HWND dialog, DialogState& state, const std::wstring& tag) {
    ExtractAnswer answer;
    answer.tag = tag;
    answer.folder = state.destination.Text();
    answer.files = ComboIndex(dialog, frmExtractFiles::comFichiers);
    answer.action = ComboIndex(dialog, frmExtractFiles::comAction);
    answer.onlyNewer = Checked(dialog, frmExtractFiles::chkEONewer);
    answer.onlyExistingNewer = Checked(dialog, frmExtractFiles::chkEOEN);
    answer.usePath = Checked(dialog, frmExtractFiles::chkUsePath);
    answer.common = ComboIndex(dialog, frmExtractFiles::comRep);
    return answer;
}

void SaveSettings(const ExtractAnswer& answer) {
    Settings::SetExtractingFolder(answer.folder);
    Settings::SetExtractingOver(static_cast<int16_t>(answer.action));
    Settings::SetExtractingNewer(answer.onlyNewer ? 1 : 0);
    Settings::SetExtractingExistingNewer(answer.onlyExistingNewer ? 1 : 0);
    Settings::SetExtractingUsePath(answer.usePath ? 1 : 0);
    Settings::SetExtractingCommon(static_cast<int16_t>(answer.common));
}

void Close(HWND dialog, DialogState& state, const std::wstring& tag) {
    state.answer = ReadAnswer(dialog, state, tag);
    state.closed = true;
    EndDialog(dialog, tag.empty() ? IDCANCEL : IDOK);
}

void OnCommand(HWND dialog, DialogState& state, int id, int code) {
    switch (id) {
    case frmExtractFiles::cmdAction0: Close(dialog, state, L"OK"); break;
    case frmExtractFiles::cmdAction1:
    case IDCANCEL:  // Escape and the close box
        Close(dialog, state, L"");
        break;
    case frmExtractFiles::cmdRep:
        state.destination.Text(
            frmExtractFiles::CommonFolder(ComboIndex(dialog, frmExtractFiles::comRep), dialog, *state.sources));
        break;
    case frmExtractFiles::chkEONewer:
        if (code == BN_CLICKED && Checked(dialog, id)) Check(dialog, frmExtractFiles::chkEOEN, false);
        break;
    case frmExtractFiles::chkEOEN:
        if (code == BN_CLICKED && Checked(dialog, id)) Check(dialog, frmExtractFiles::chkEONewer, false);
        break;
    }
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        LoadFromSettings(dialog, *reinterpret_cast<DialogState*>(lParam));
        return TRUE;
    case WM_HELP: return ShowDialogHelp(dialog, help_topics::kExtractFiles);
    case WM_COMMAND: OnCommand(dialog, *state, LOWORD(wParam), HIWORD(wParam)); return TRUE;
    }
    return FALSE;
}

DialogTemplate Layout() {
    DialogTemplate layout(t::kExtractCaption, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_CENTER, 300, 164);
    using F = frmExtractFiles;
    layout.AddItem(kButtonClass, F::fraDest, t::kExtractDestination, BS_GROUPBOX, 7, 7, 286, 50);
    layout.AddItem(kComboBoxClass, F::comRep, L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 14, 37, 190, 80);
    layout.AddItem(kButtonClass, F::cmdRep, t::kExtractThisFolder, BS_PUSHBUTTON | WS_TABSTOP, 210, 36, 76, 14);
    layout.AddItem(kStaticClass, F::lblFichiers, t::kExtractFilesLabel, SS_LEFT, 7, 66, 80, 9);
    layout.AddItem(kComboBoxClass, F::comFichiers, L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 90, 64, 203, 60);
    layout.AddItem(kStaticClass, F::lblAction, t::kExtractActionLabel, SS_LEFT, 7, 82, 80, 9);
    layout.AddItem(kComboBoxClass, F::comAction, L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 90, 80, 203, 60);
    layout.AddItem(kButtonClass, F::chkEONewer, t::kExtractOnlyNewer, BS_AUTOCHECKBOX | WS_TABSTOP, 7, 99, 286, 10);
    layout.AddItem(kButtonClass, F::chkEOEN, t::kExtractOnlyExistingNewer, BS_AUTOCHECKBOX | WS_TABSTOP, 7, 112, 286,
                   10);
    layout.AddItem(kButtonClass, F::chkUsePath, t::kExtractUsePath, BS_AUTOCHECKBOX | WS_TABSTOP, 7, 125, 286, 10);
    layout.AddItem(kButtonClass, F::cmdAction0, t::kExtractButton, BS_DEFPUSHBUTTON | WS_TABSTOP, 186, 142, 52, 15);
    layout.AddItem(kButtonClass, F::cmdAction1, t::kExtractCancel, BS_PUSHBUTTON | WS_TABSTOP, 241, 142, 52, 15);
    return layout;
}

}  // namespace

std::wstring frmExtractFiles::CommonFolder(int choice, HWND owner, const ExtractFolderSources& sources) {
    switch (choice) {
    case 0: return WithoutLastCharacter(FolderPartOf(sources.archivePath));
    case 1: return sources.tempFolder ? WithoutLastCharacter(sources.tempFolder()) : L"";
    case 2: return sources.specialFolder ? sources.specialFolder(owner, CSIDL_DESKTOPDIRECTORY) : L"";
    case 3: return sources.specialFolder ? sources.specialFolder(owner, CSIDL_PERSONAL) : L"";
    default: return L"";
    }
}

ExtractAnswer frmExtractFiles::Show(HWND owner, const ExtractFolderSources& sources) {
    DialogState state;
    state.sources = &sources;
    Layout().Show(owner, DialogProc, reinterpret_cast<LPARAM>(&state));
    // A window that could not be made changed nothing worth remembering.
    if (state.closed) SaveSettings(state.answer);
    return state.answer;
}

}  // namespace bralto
