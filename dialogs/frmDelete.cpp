#include "frmDelete.h"

#include "DialogTemplate.h"
#include "Texts.h"
#include "GdiHandles.h"
#include "qnrImage.h"

namespace bralto {

namespace {

namespace t = dialog_texts;

struct DialogState {
    DeleteAnswer answer;
    qnrImage picture;
};

void DrawPage(HDC dc, int size) {
    UniqueGdiObject paper(CreateSolidBrush(RGB(255, 255, 255)));
    UniqueGdiObject edge(CreatePen(PS_SOLID, 1, RGB(96, 96, 96)));
    SelectedObject brush(dc, paper.get()), pen(dc, edge.get());
    const int left = size / 6, right = size - size / 4, top = size / 16, bottom = size - size / 8;
    Rectangle(dc, left, top, right, bottom);
    UniqueGdiObject ink(CreatePen(PS_SOLID, 1, RGB(128, 128, 160)));
    SelectedObject lines(dc, ink.get());
    for (int y = top + size / 6; y < bottom - size / 10; y += size / 8) {
        MoveToEx(dc, left + size / 10, y, nullptr);
        LineTo(dc, right - size / 10, y);
    }
}

void DrawCross(HDC dc, int size) {
    UniqueGdiObject red(CreatePen(PS_SOLID, size / 8 + 1, RGB(208, 0, 0)));
    SelectedObject pen(dc, red.get());
    const int low = size / 2, high = size - size / 10;
    MoveToEx(dc, low, low, nullptr);
    LineTo(dc, high, high);
    MoveToEx(dc, high, low, nullptr);
    LineTo(dc, low, high);
}

void OnLoad(HWND dialog, DialogState& state) {
    CheckRadioButton(dialog, frmDelete::optDel0, frmDelete::optDel1, frmDelete::optDel0);
    RECT place = {7, 10, 0, 0};
    MapDialogRect(dialog, &place);
    qnrImageArgs args;
    args.parent = dialog;
    args.id = frmDelete::qnrImage1;
    args.position = {place.left, place.top};
    args.picture = frmDelete::MakePicture(32);
    args.maskColor = static_cast<long>(frmDelete::kPictureMask);
    state.picture.Create(args);
}

void Close(HWND dialog, DialogState& state, const std::wstring& tag) {
    state.answer.tag = tag;
    state.answer.selectedOnly = IsDlgButtonChecked(dialog, frmDelete::optDel0) == BST_CHECKED;
    EndDialog(dialog, tag.empty() ? IDCANCEL : IDOK);
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        OnLoad(dialog, *reinterpret_cast<DialogState*>(lParam));
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case frmDelete::cmdAction0:
            Close(dialog, *state, L"OK");
            return TRUE;
        case frmDelete::cmdAction1:
        case IDCANCEL:  // Escape and the close box
            Close(dialog, *state, L"");
            return TRUE;
        }
        break;
    }
    return FALSE;
}

DialogTemplate Layout() {
    DialogTemplate layout(t::kDeleteCaption, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_CENTER, 200, 78);
    layout.AddItem(kButtonClass, frmDelete::fraDel, t::kDeleteFrame, BS_GROUPBOX, 40, 5, 153, 46);
    layout.AddItem(kButtonClass, frmDelete::optDel0, t::kDeleteSelected, BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP,
                   48, 18, 140, 10);
    layout.AddItem(kButtonClass, frmDelete::optDel1, t::kDeleteAll, BS_AUTORADIOBUTTON, 48, 33, 140, 10);
    layout.AddItem(kButtonClass, frmDelete::cmdAction0, t::kDeleteOk, BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP, 86,
                   57, 52, 15);
    layout.AddItem(kButtonClass, frmDelete::cmdAction1, t::kDeleteCancel, BS_PUSHBUTTON | WS_TABSTOP, 141, 57, 52,
                   15);
    return layout;
}

}  // namespace

HBITMAP frmDelete::MakePicture(int size) {
    UniqueMemoryDc memory(CreateCompatibleDC(nullptr));
    WindowDc screen(nullptr);
    UniqueGdiObject picture(CreateCompatibleBitmap(screen.get(), size, size));
    if (!memory || !picture) return nullptr;
    {
        SelectedObject into(memory.get(), picture.get());
        UniqueGdiObject mask(CreateSolidBrush(kPictureMask));
        RECT all = {0, 0, size, size};
        FillRect(memory.get(), &all, static_cast<HBRUSH>(mask.get()));
        DrawPage(memory.get(), size);
        DrawCross(memory.get(), size);
    }
    return static_cast<HBITMAP>(picture.release());
}

DeleteAnswer frmDelete::Show(HWND owner) {
    DialogState state;
    Layout().Show(owner, DialogProc, reinterpret_cast<LPARAM>(&state));
    return state.answer;
}

}  // namespace bralto
