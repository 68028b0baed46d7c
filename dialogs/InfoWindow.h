// What the two information windows (archive properties, member
// information) share: a ratio bar under their figures, and a window that
// only shows and closes by "&Fermer", Escape or the close box.
#pragma once

#include <windows.h>

#include <string>

#include "HtmlHelp.h"
#include "InfoFigures.h"
#include "TubProgress.h"

namespace bralto {

// Creates `bar` as control `id` at `place` (dialog units) and shows the
// ratio of `ratioText` on it.
inline void ShowRatioBar(HWND dialog, int id, RECT place, const std::wstring& ratioText, TubProgress& bar) {
    MapDialogRect(dialog, &place);
    TubProgressArgs args;
    args.parent = dialog;
    args.id = id;
    args.place = place;
    if (bar.Create(args)) bar.Value(RatioBarValueOf(ratioText));
}

// The procedure of a window that `load` fills from its State (the dialog's
// parameter), that `closeId` closes and whose F1 opens `helpTopic`.
template <class State, void (*load)(HWND, State&), int closeId, const wchar_t* helpTopic>
INT_PTR CALLBACK ShowOnlyDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        load(dialog, *reinterpret_cast<State*>(lParam));
        return TRUE;
    case WM_HELP: return ShowDialogHelp(dialog, helpTopic);
    case WM_COMMAND:
        if (LOWORD(wParam) == closeId || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

}  // namespace bralto
