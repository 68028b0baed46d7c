#include "frmPrompt.h"

#include "DialogTemplate.h"
#include "Texts.h"
#include "HtmlHelp.h"
#include "HtmlHelpTopics.h"

namespace bralto {

namespace {

struct DialogState {
    std::wstring question;
    HICON icon;
    bool allowOverwriteAll;
    // No button pressed (the window could not be shown): keep the file.
    long code = IDM_REPLACE_NO;
};

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        state = reinterpret_cast<DialogState*>(lParam);
        SetDlgItemTextW(dialog, frmPrompt::lblInfo, state->question.c_str());
        if (state->icon)
            SendDlgItemMessageW(dialog, frmPrompt::imaPic, STM_SETICON, reinterpret_cast<WPARAM>(state->icon), 0);
        EnableWindow(GetDlgItem(dialog, frmPrompt::cmdAction0 + 2), state->allowOverwriteAll);
        SetFocus(GetDlgItem(dialog, frmPrompt::cmdAction0));
        return FALSE;
    case WM_HELP: return ShowDialogHelp(dialog, help_topics::kOverwrite);
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        if (id >= frmPrompt::cmdAction0 && id < frmPrompt::cmdAction0 + 4) {
            state->code = frmPrompt::kCodes[id - frmPrompt::cmdAction0];
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        // Escape does nothing; Enter presses the focused button itself.
        if (id == IDCANCEL || id == IDOK) return TRUE;
        break;
    }
    }
    return FALSE;
}

}  // namespace

long frmPrompt::Ask(HWND owner, const std::wstring& file, HICON icon, bool allowOverwriteAll) {
    DialogTemplate layout(texts::kProgramName, WS_POPUP | WS_CAPTION | DS_CENTER, 260, 74);
    layout.AddItem(kStaticClass, imaPic, L"", SS_ICON, 10, 10, 21, 20);
    layout.AddItem(kStaticClass, lblInfo, L"", SS_LEFT, 42, 10, 210, 30);
    for (int i = 0; i < 4; ++i)
        layout.AddItem(kButtonClass, cmdAction0 + i, texts::kOverwriteButtons[i], BS_PUSHBUTTON | WS_TABSTOP,
                       static_cast<short>(10 + i * 61), 50, 56, 15);
    DialogState state{std::wstring(texts::kOverwritePrefix) + file + texts::kOverwriteSuffix, icon, allowOverwriteAll};
    layout.Show(owner, DialogProc, reinterpret_cast<LPARAM>(&state));
    return state.code;
}

}  // namespace bralto
