#include "frmPwdAsk.h"

#include "DialogTemplate.h"
#include "Texts.h"
#include "HtmlHelp.h"
#include "HtmlHelpTopics.h"

namespace bralto {

namespace {

struct DialogState {
    std::wstring member;
    PasswordAnswer answer;
};

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        state = reinterpret_cast<DialogState*>(lParam);
        SetDlgItemTextW(dialog, frmPwdAsk::lblFichier, state->member.c_str());
        SendDlgItemMessageW(dialog, frmPwdAsk::txtPwd, EM_SETPASSWORDCHAR, L'*', 0);
        return TRUE;
    case WM_DRAWITEM: {
        auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        DrawPadlock(item->hDC, item->rcItem);
        return TRUE;
    }
    case WM_HELP: return ShowDialogHelp(dialog, help_topics::kPasswordAsk);
    case WM_COMMAND:
        // The dialog manager turns Enter into IDOK and Escape into IDCANCEL
        // before the field sees them.
        if (LOWORD(wParam) == IDOK) {
            state->answer = {L"OK", ControlText(dialog, frmPwdAsk::txtPwd)};
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            state->answer = {L"", ControlText(dialog, frmPwdAsk::txtPwd)};
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

}  // namespace

PasswordAnswer frmPwdAsk::Show(HWND owner, const std::wstring& member) {
    DialogTemplate layout(texts::kPasswordCaption, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_CENTER, 240, 70);
    layout.AddItem(kStaticClass, imaPic, L"", SS_OWNERDRAW, 8, 10, 28, 28);
    layout.AddItem(kStaticClass, lblFichier, L"", SS_LEFTNOWORDWRAP | SS_PATHELLIPSIS, 46, 8, 186, 9);
    layout.AddItem(kEditClass, txtPwd, L"", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL | ES_PASSWORD, 46, 22, 186, 13);
    layout.AddItem(kStaticClass, lblInfo, texts::kPasswordAskInfo, SS_LEFT, 8, 44, 224, 18);
    DialogState state{member, {}};
    layout.Show(owner, DialogProc, reinterpret_cast<LPARAM>(&state));
    return state.answer;
}

}  // namespace bralto
