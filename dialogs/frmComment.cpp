#include "frmComment.h"

#include "DialogTemplate.h"
#include "InfoFigures.h"
#include "ResultTexts.h"
#include "zip_api.h"
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

// The last line of `text` that holds more than blanks, without its blanks
// around; empty when there is none.
std::wstring LastLine(const std::wstring& text) {
    const wchar_t* blanks = L" \t\r\n";
    const size_t end = text.find_last_not_of(blanks);
    if (end == std::wstring::npos) return std::wstring();
    const size_t lineStart = text.find_last_of(L"\r\n", end);
    const size_t start = text.find_first_not_of(blanks, lineStart == std::wstring::npos ? 0 : lineStart + 1);
    return text.substr(start, end + 1 - start);
}

// What a zip result code means for a comment that was not written, in
// the user's words; the library's own message, in English, only follows.
std::wstring ReasonOf(long result) {
    switch (result) {
    case ZE_EOF:
    case ZE_FORM: return t::kCommentArchiveDamaged;
    case ZE_MEM: return t::kCommentOutOfMemory;
    case ZE_TEMP:  // no temporary file beside the archive
    case ZE_CREAT: return t::kCommentCannotRewrite;
    case ZE_READ:
    case ZE_OPEN: return t::kCommentCannotRead;
    case ZE_NONE:  // nothing to write into: the archive is not there
    case ZE_NAME: return t::kCommentArchiveMissing;
    case ZE_WRITE: return t::kCommentWriteFailed;
    default: {
        const std::wstring shared = ZipResultText(static_cast<int>(result));
        return shared.empty() ? t::kCommentOtherCode + std::to_wstring(result) : shared;
    }
    }
}

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
        std::wstring libraryMessages;
        if (engine->writeComment) {
            result = engine->writeComment(
                archive,
                [&](std::wstring& comment, bool&, bool& clearFlag) {
                    comment = text;
                    clearFlag = clear;
                },
                [&](const std::wstring& message) { libraryMessages += message; });
        }
        if (result != 0) {
            const std::wstring message =
                std::wstring(t::kCommentNotSaved) + texts::kCrLf + frmComment::FailureText(result, libraryMessages);
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

std::wstring frmComment::FailureText(long result, const std::wstring& libraryMessages) {
    std::wstring text = ReasonOf(result);
    const std::wstring detail = LastLine(libraryMessages);
    if (!detail.empty()) text += texts::kCrLf + detail;
    return text;
}

void frmComment::Show(HWND owner, const std::wstring& archivePath, const CommentEngine& engine) {
    DialogState state;
    state.archive = archivePath;
    state.engine = &engine;
    Layout().Show(owner, DialogProc, reinterpret_cast<LPARAM>(&state));
}

}  // namespace bralto
