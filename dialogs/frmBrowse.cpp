#include "frmBrowse.h"

#include "DialogTemplate.h"
#include "Texts.h"
#include "qnrRepertoire.h"
#include "HtmlHelp.h"
#include "HtmlHelpTopics.h"

namespace bralto {

namespace {

// Dialog units of the layout.
constexpr short kWidth = 180, kHeight = 200;
constexpr RECT kTreeArea = {7, 7, 173, 171};

struct DialogState {
    std::wstring folder;
    std::wstring tag;
    qnrRepertoire tree;
};

bool IsDriveRoot(const std::wstring& folder) {
    const bool letter = folder.size() >= 2 && iswalpha(folder[0]) && folder[1] == L':';
    return letter && (folder.size() == 2 || (folder.size() == 3 && folder[2] == L'\\'));
}

// "C:" alone names the current folder of drive C for the file system, so
// a drive is looked at through its root.
bool NamesAFolder(const std::wstring& folder) {
    if (folder.empty()) return false;
    const std::wstring probe = IsDriveRoot(folder) ? folder.substr(0, 2) + L"\\" : folder;
    if (IsDriveRoot(folder)) return GetDriveTypeW(probe.c_str()) > DRIVE_NO_ROOT_DIR;
    const DWORD attributes = GetFileAttributesW(probe.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void CreateTree(HWND dialog, DialogState& state) {
    RECT place = kTreeArea;
    MapDialogRect(dialog, &place);
    qnrRepertoireArgs args;
    args.parent = dialog;
    args.id = frmBrowse::qnrRep;
    args.place = place;
    state.tree.Create(args);
    if (!state.tree.OpenAFolder(state.folder)) state.tree.Actualiser();
    SetFocus(state.tree.hWnd());
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        CreateTree(dialog, *reinterpret_cast<DialogState*>(lParam));
        return FALSE;  // the focus is on the tree
    case WM_HELP: return ShowDialogHelp(dialog, help_topics::kBrowse);
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case frmBrowse::cmdCmd0:
            state->tag = state->tree.Path();
            EndDialog(dialog, IDOK);
            return TRUE;
        case frmBrowse::cmdCmd1:
        case IDCANCEL:
            state->tag.clear();
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

}  // namespace

FolderChoiceFactory frmBrowse::Factory() {
    return [] { return std::make_unique<frmBrowse>(); };
}

void frmBrowse::Caption(const std::wstring& caption) { caption_ = caption; }

bool frmBrowse::OpenAFolder(const std::wstring& folder) {
    if (!NamesAFolder(folder)) return false;
    folder_ = folder;
    return true;
}

std::wstring frmBrowse::ShowModal(HWND owner) {
    const std::wstring caption = caption_.empty() ? dialog_texts::kBrowseCaption : caption_;
    DialogTemplate layout(caption, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_CENTER, kWidth, kHeight);
    layout.AddItem(kButtonClass, cmdCmd0, dialog_texts::kBrowseOk, BS_DEFPUSHBUTTON | WS_TABSTOP, 66, 178, 50, 15);
    layout.AddItem(kButtonClass, cmdCmd1, dialog_texts::kBrowseCancel, BS_PUSHBUTTON | WS_TABSTOP, 123, 178, 50, 15);
    DialogState state;
    state.folder = folder_;
    layout.Show(owner, DialogProc, reinterpret_cast<LPARAM>(&state));
    return state.tag;
}

}  // namespace bralto
