#include "frmComment.h"

#include "DialogTemplate.h"
#include "InfoFigures.h"
#include "Texts.h"
#include "HtmlHelp.h"
#include "HtmlHelpTopics.h"

namespace bralto {

namespace {

namespace t = info_texts;

constexpr UINT kReadComment = WM_APP + 1;

// What the unzip library prints after the comment, whether there is one or not.
const std::wstring kCommentEnd(L"\n\n\0", 3);

bool IsBlank(const std::wstring& text) { return text.find_first_not_of(L" \t\r\n") == std::wstring::npos; }

struct DialogState {
    HWND hwnd = nullptr;
    std::wstring archive;
    const CommentEngine* engine = nullptr;
    bool read = false;  // the comment is read once per window

    void Append(const std::wstring& text) {
        HWND box = GetDlgItem(hwnd, frmComment::txtComment);
        const int length = GetWindowTextLengthW(box);
        SendMessageW(box, EM_SETSEL, length, length);
        SendMessageW(box, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
    }

    void ReadComment() {
        if (engine->readComment) {
            engine->readComment(archive, [this](const std::wstring& message) {
                if (message != kCommentEnd) Append(WithCrLfLineEnds(message));
            });
        }
        SendDlgItemMessageW(hwnd, frmComment::txtComment, EM_SETSEL, 0, 0);
        EnableWindow(GetDlgItem(hwnd, frmComment::cmdAction0), FALSE);
    }

    // "&Enregistrer" writes the box's text; "E&ffacer", or a box left
    // blank, removes the comment (an empty answer would keep the old one).
    void WriteComment(bool clearing) {
        const std::wstring text = ControlText(hwnd, frmComment::txtComment);
        const bool clear = clearing || IsBlank(text);
        long result = -1;
        if (engine->writeComment) {
            result = engine->writeComment(archive, [&](std::wstring& comment, bool&, bool& clearFlag) {
                comment = text;
                clearFlag = clear;
            });
        }
        if (result != 0) {
            const std::wstring message =
                std::wstring(t::kCommentNotSaved) + texts::kCrLf + frmComment::FailureText(result);
            MessageBoxW(hwnd, message.c_str(), texts::kProgramName, MB_OK | MB_ICONERROR);
            return;
        }
        EndDialog(hwnd, IDOK);
    }
};

DialogTemplate Layout() {
    DialogTemplate layout(t::kCommentCaption, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_CENTER, 260, 150);
    layout.AddItem(kEditClass, frmComment::txtComment, L"",
                   ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 7, 7, 246, 114);
    layout.AddItem(kButtonClass, frmComment::cmdAction0, t::kCommentSave, BS_PUSHBUTTON | WS_TABSTOP, 89, 129, 52, 14);
    layout.AddItem(kButtonClass, frmComment::cmdAction1, t::kCommentClear, BS_PUSHBUTTON | WS_TABSTOP, 145, 129, 52,
                   14);
    layout.AddItem(kButtonClass, frmComment::cmdAction2, t::kCommentCancel, BS_PUSHBUTTON | WS_TABSTOP, 201, 129, 52,
                   14);
    return layout;
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        reinterpret_cast<DialogState*>(lParam)->hwnd = dialog;
        EnableWindow(GetDlgItem(dialog, frmComment::cmdAction0), FALSE);
        return TRUE;
    case WM_ACTIVATE:
        // Coming back from another program activates the window again: the
        // comment is already in the box and must not be appended twice.
        if (state && LOWORD(wParam) != WA_INACTIVE && !state->read) {
            state->read = true;
            PostMessageW(dialog, kReadComment, 0, 0);
        }
        return FALSE;
    case kReadComment:
        if (state) state->ReadComment();
        return TRUE;
    case WM_HELP: return ShowDialogHelp(dialog, help_topics::kComment);
    case WM_COMMAND:
        if (!state) break;
        switch (LOWORD(wParam)) {
        case frmComment::txtComment:
            if (HIWORD(wParam) == EN_CHANGE) EnableWindow(GetDlgItem(dialog, frmComment::cmdAction0), TRUE);
            return TRUE;
        case frmComment::cmdAction0: state->WriteComment(false); return TRUE;
        case frmComment::cmdAction1: state->WriteComment(true); return TRUE;
        case frmComment::cmdAction2:
        case IDCANCEL:  // Escape and the close box
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

}  // namespace

std::wstring frmComment::FailureText(long result) {
    switch (result) {
    case 2:  // the archive ends too early
    case 3:  // its structure is invalid
        return t::kCommentArchiveDamaged;
    case 4: return t::kCommentOutOfMemory;
    case 10:  // no temporary file beside the archive
    case 15:  // the archive cannot be replaced (read-only, say)
        return t::kCommentCannotRewrite;
    case 11: return t::kCommentCannotRead;
    case 12:  // nothing to write into: the archive is not there
    case 13: return t::kCommentArchiveMissing;
    case 14: return t::kCommentWriteFailed;
    default: return t::kCommentOtherCode + std::to_wstring(result);
    }
}

void frmComment::Show(HWND owner, const std::wstring& archivePath, const CommentEngine& engine) {
    DialogState state;
    state.archive = archivePath;
    state.engine = &engine;
    Layout().Show(owner, DialogProc, reinterpret_cast<LPARAM>(&state));
}

}  // namespace bralto
