#include "frmRegister.h"

#include <shellapi.h>

#include "Handles.h"
#include "DialogTemplate.h"
#include "Settings.h"
#include "ZipAssociation.h"
#include "Module.h"
#include "Texts.h"
#include "HtmlHelp.h"
#include "HtmlHelpTopics.h"

namespace bralto {

namespace {

struct RegisterState {
    ZipAssociation association;
    UniqueHIcon zipIcon;
};

HICON LargeZipIcon() {
    SHFILEINFOW info = {};
    SHGetFileInfoW(L".zip", FILE_ATTRIBUTE_NORMAL, &info, sizeof(info),
                   SHGFI_ICON | SHGFI_LARGEICON | SHGFI_USEFILEATTRIBUTES);
    return info.hIcon;
}

void Unload(HWND dialog) {
    if (IsDlgButtonChecked(dialog, frmRegister::chkAnnule) == BST_CHECKED) Settings::SetRegisterDeclined(true);
    EndDialog(dialog, 0);
}

void OnOk(HWND dialog, RegisterState& state) {
    AssociationResult result = state.association.Apply();
    MessageBoxW(dialog, result.message.c_str(), texts::kProgramName, MB_OK | result.icon);
    if (result.succeeded) CheckDlgButton(dialog, frmRegister::chkAnnule, BST_CHECKED);
    Unload(dialog);
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<RegisterState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG: {
        state = reinterpret_cast<RegisterState*>(lParam);
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        SetDlgItemTextW(dialog, frmRegister::lblInfo0, state->association.InfoText().c_str());
        state->zipIcon.reset(LargeZipIcon());
        SendDlgItemMessageW(dialog, frmRegister::qnrImage1, STM_SETICON, reinterpret_cast<WPARAM>(state->zipIcon.get()),
                            0);
        return TRUE;
    }
    case WM_HELP: return ShowDialogHelp(dialog, help_topics::kAssociation);
    case WM_COMMAND:
        if (LOWORD(wParam) == frmRegister::cmdAction0) {
            OnOk(dialog, *state);
            return TRUE;
        }
        if (LOWORD(wParam) == frmRegister::cmdAction1) {
            Unload(dialog);
            return TRUE;
        }
        break;
    default: break;
    }
    return FALSE;
}

}  // namespace

std::wstring frmRegister::ProgramFolder() {
    std::wstring folder = ExecutableFolder();
    folder.pop_back();
    return folder;
}

void frmRegister::Show(HWND owner, const std::wstring& programFolder) {
    DialogTemplate t(texts::kProgramName, DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU, 260, 150);
    t.AddItem(kStaticClass, qnrImage1, L"", WS_CHILD | WS_VISIBLE | SS_ICON, 10, 10, 21, 20);
    t.AddItem(kStaticClass, lblInfo0, L"", WS_CHILD | WS_VISIBLE | SS_LEFT, 42, 10, 208, 72);
    t.AddItem(kStaticClass, lblInfo1, shell_texts::kRegisterReminder, WS_CHILD | WS_VISIBLE | SS_LEFT, 42, 86, 208, 18);
    t.AddItem(kButtonClass, chkAnnule, shell_texts::kRegisterDontShowAgain,
              WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 10, 108, 240, 12);
    t.AddItem(kButtonClass, cmdAction0, shell_texts::kRegisterOk, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
              136, 128, 54, 14);
    t.AddItem(kButtonClass, cmdAction1, shell_texts::kRegisterCancel,
              WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 196, 128, 54, 14);
    RegisterState state{ZipAssociation(programFolder), {}};
    t.Show(owner, DialogProc, reinterpret_cast<LPARAM>(&state));
}

}  // namespace bralto
