#include "frmDrag.h"

#include <iterator>

#include "DialogTemplate.h"
#include "Texts.h"
#include "Settings.h"
#include "HtmlHelp.h"
#include "HtmlHelpTopics.h"

namespace bralto {

namespace {

namespace t = dialog_texts;

struct DialogState {
    DragAnswer answer;
    bool closed = false;
};

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

int ComboIndex(HWND dialog, int id) { return static_cast<int>(SendDlgItemMessageW(dialog, id, CB_GETCURSEL, 0, 0)); }

void FillCombo(HWND dialog, int id, const wchar_t* const* entries, size_t count) {
    for (size_t i = 0; i < count; ++i)
        SendDlgItemMessageW(dialog, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entries[i]));
    SendDlgItemMessageW(dialog, id, CB_SETCURSEL, 0, 0);
}

void OnLoad(HWND dialog) {
    FillCombo(dialog, frmDrag::comAction, t::kDragActions, std::size(t::kDragActions));
    FillCombo(dialog, frmDrag::comCompression, t::kDragCompressions, std::size(t::kDragCompressions));
    CheckDlgButton(dialog, frmDrag::chkSystem, BST_CHECKED);
    CheckDlgButton(dialog, frmDrag::chkPath, Settings::AddingUsePath() != 0 ? BST_CHECKED : BST_UNCHECKED);
}

void Close(HWND dialog, DialogState& state, const std::wstring& tag) {
    DragAnswer& answer = state.answer;
    answer.tag = tag;
    answer.action = ComboIndex(dialog, frmDrag::comAction);
    answer.compression = ComboIndex(dialog, frmDrag::comCompression);
    answer.storeDirectories = Checked(dialog, frmDrag::chkDir);
    answer.encrypt = Checked(dialog, frmDrag::chkEncrypt);
    answer.includeSystemAndHidden = Checked(dialog, frmDrag::chkSystem);
    answer.storeFolderNames = Checked(dialog, frmDrag::chkPath);
    answer.includeSubFolders = Checked(dialog, frmDrag::chkFolder);
    state.closed = true;
    EndDialog(dialog, tag.empty() ? IDCANCEL : IDOK);
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        OnLoad(dialog);
        return TRUE;
    case WM_HELP: return ShowDialogHelp(dialog, help_topics::kDrag);
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case frmDrag::cmdOK: Close(dialog, *state, L"OK"); return TRUE;
        case frmDrag::cmdCancel:
        case IDCANCEL:  // Escape and the close box
            Close(dialog, *state, L"");
            return TRUE;
        case IDOK:  // Enter away from the buttons: there is no default button
            return TRUE;
        }
        break;
    }
    return FALSE;
}

DialogTemplate Layout() {
    DialogTemplate layout(t::kDragCaption, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_CENTER, 236, 150);
    layout.AddItem(kStaticClass, frmDrag::lblAction, t::kDragActionLabel, SS_LEFT, 7, 9, 50, 9);
    layout.AddItem(kComboBoxClass, frmDrag::comAction, L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 60, 7, 169, 70);
    layout.AddItem(kStaticClass, frmDrag::lblCompression, t::kDragCompressionLabel, SS_LEFT, 7, 26, 50, 9);
    layout.AddItem(kComboBoxClass, frmDrag::comCompression, L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 60, 24,
                   169, 70);
    layout.AddItem(kButtonClass, frmDrag::fraOptions, t::kDragOptions, BS_GROUPBOX, 7, 42, 222, 79);
    const struct {
        int id;
        const wchar_t* text;
    } boxes[] = {{frmDrag::chkDir, t::kDragEmptyFolders},
                 {frmDrag::chkEncrypt, t::kDragEncrypt},
                 {frmDrag::chkSystem, t::kDragSystemHidden},
                 {frmDrag::chkPath, t::kDragStorePath},
                 {frmDrag::chkFolder, t::kDragSubFolders}};
    short y = 54;
    for (const auto& box : boxes) {
        layout.AddItem(kButtonClass, box.id, box.text, BS_AUTOCHECKBOX | WS_TABSTOP, 14, y, 208, 10);
        y = static_cast<short>(y + 13);
    }
    layout.AddItem(kButtonClass, frmDrag::cmdOK, t::kDragOk, BS_PUSHBUTTON | WS_TABSTOP, 122, 128, 52, 15);
    layout.AddItem(kButtonClass, frmDrag::cmdCancel, t::kDragCancel, BS_PUSHBUTTON | WS_TABSTOP, 177, 128, 52, 15);
    return layout;
}

}  // namespace

int DragAnswer::CompressionLevel() const {
    static constexpr int kLevels[] = {9, 6, 2, 0};
    return compression >= 0 && compression < 4 ? kLevels[compression] : 9;
}

DragAnswer frmDrag::Show(HWND owner) {
    DialogState state;
    Layout().Show(owner, DialogProc, reinterpret_cast<LPARAM>(&state));
    if (state.closed) Settings::SetAddingUsePath(state.answer.storeFolderNames ? 1 : 0);
    return state.answer;
}

}  // namespace bralto
