#include "frmPwdGive.h"

#include "DialogTemplate.h"
#include "Texts.h"
#include "HtmlHelp.h"
#include "HtmlHelpTopics.h"

namespace bralto {

namespace {

struct DialogState {
    PasswordAnswer answer;
};

bool AskRetry(HWND dialog, const std::wstring& question) {
    return MessageBoxW(dialog, question.c_str(), texts::kProgramName, MB_OKCANCEL | MB_ICONERROR) == IDOK;
}

void OnOk(HWND dialog, DialogState& state) {
    const std::wstring password = ControlText(dialog, frmPwdGive::txtPwd);
    const std::wstring confirmation = ControlText(dialog, frmPwdGive::txtConfirm);
    switch (frmPwdGive::Check(password, confirmation,
                              [dialog](const std::wstring& question) { return AskRetry(dialog, question); })) {
    case 0:
        state.answer = {L"OK", password};
        EndDialog(dialog, IDOK);
        break;
    case 1:
        SetDlgItemTextW(dialog, frmPwdGive::txtPwd, L"");
        SetDlgItemTextW(dialog, frmPwdGive::txtConfirm, L"");
        SetFocus(GetDlgItem(dialog, frmPwdGive::txtPwd));
        break;
    default:
        state.answer = {L"", password};
        EndDialog(dialog, IDCANCEL);
        break;
    }
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        SendDlgItemMessageW(dialog, frmPwdGive::txtPwd, EM_SETPASSWORDCHAR, L'*', 0);
        SendDlgItemMessageW(dialog, frmPwdGive::txtConfirm, EM_SETPASSWORDCHAR, L'*', 0);
        return TRUE;
    case WM_DRAWITEM: {
        auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        DrawPadlock(item->hDC, item->rcItem);
        return TRUE;
    }
    case WM_HELP: return ShowDialogHelp(dialog, help_topics::kPasswordGive);
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            OnOk(dialog, *state);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            state->answer = {L"", ControlText(dialog, frmPwdGive::txtPwd)};
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

}  // namespace

int frmPwdGive::Check(const std::wstring& password, const std::wstring& confirmation,
                      const std::function<bool(const std::wstring& question)>& askRetry) {
    if (password != confirmation)
        return askRetry(std::wstring(texts::kPasswordMismatch1) + texts::kCrLf + texts::kPasswordMismatch2) ? 1 : 2;
    if (password.empty()) return askRetry(texts::kPasswordEmpty) ? 1 : 2;
    return 0;
}

PasswordAnswer frmPwdGive::Show(HWND owner) {
    DialogTemplate layout(texts::kPasswordCaption, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_CENTER, 220, 92);
    layout.AddItem(kStaticClass, imaPic, L"", SS_OWNERDRAW, 8, 10, 28, 28);
    layout.AddItem(kStaticClass, lblPwd, texts::kPasswordEnter, SS_LEFT, 46, 8, 160, 9);
    layout.AddItem(kEditClass, txtPwd, L"", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL | ES_PASSWORD, 46, 18, 166, 13);
    layout.AddItem(kStaticClass, lblConfirm, texts::kPasswordConfirm, SS_LEFT, 46, 36, 160, 9);
    layout.AddItem(kEditClass, txtConfirm, L"", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL | ES_PASSWORD, 46, 46, 166, 13);
    layout.AddItem(kButtonClass, IDOK, texts::kOk, BS_DEFPUSHBUTTON | WS_TABSTOP, 104, 70, 52, 15);
    layout.AddItem(kButtonClass, IDCANCEL, texts::kCancelButton, BS_PUSHBUTTON | WS_TABSTOP, 160, 70, 52, 15);
    DialogState state;
    layout.Show(owner, DialogProc, reinterpret_cast<LPARAM>(&state));
    return state.answer;
}

}  // namespace bralto
