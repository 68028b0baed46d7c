#include "frmQuickExtract.h"

#include "DialogTemplate.h"
#include "GdiHandles.h"
#include "Texts.h"
#include "qnrImage.h"

namespace bralto {

namespace {

namespace t = dialog_texts;

struct DialogState {
    QuickExtractAnswer answer;
    qnrImage picture;
};

// A tan box with a darker lid and a zipper down its front.
void DrawArchive(HDC dc, int size) {
    UniqueGdiObject cardboard(CreateSolidBrush(RGB(214, 176, 112)));
    UniqueGdiObject edge(CreatePen(PS_SOLID, 1, RGB(112, 80, 32)));
    SelectedObject brush(dc, cardboard.get()), pen(dc, edge.get());
    const int left = size / 8, right = size - size / 8, top = size / 2, bottom = size - size / 16;
    Rectangle(dc, left, top, right, bottom);
    UniqueGdiObject lidColour(CreateSolidBrush(RGB(176, 136, 72)));
    SelectedObject lid(dc, lidColour.get());
    Rectangle(dc, left - 1, top - size / 10, right + 1, top + 1);
    UniqueGdiObject zipper(CreatePen(PS_DOT, 1, RGB(64, 64, 64)));
    SelectedObject teeth(dc, zipper.get());
    MoveToEx(dc, size / 2, top + 1, nullptr);
    LineTo(dc, size / 2, bottom - 1);
}

// An arrow pointing up, out of the box.
void DrawArrow(HDC dc, int size) {
    UniqueGdiObject green(CreateSolidBrush(RGB(0, 160, 48)));
    UniqueGdiObject edge(CreatePen(PS_SOLID, 1, RGB(0, 96, 24)));
    SelectedObject brush(dc, green.get()), pen(dc, edge.get());
    const int middle = size / 2, shaft = size / 8, head = size / 4;
    const int tip = size / 32, shoulder = size / 4, foot = size / 2 + size / 8;
    const POINT arrow[] = {{middle, tip},           {middle + head, shoulder}, {middle + shaft, shoulder},
                           {middle + shaft, foot},  {middle - shaft, foot},    {middle - shaft, shoulder},
                           {middle - head, shoulder}};
    Polygon(dc, arrow, static_cast<int>(sizeof arrow / sizeof arrow[0]));
}

void OnLoad(HWND dialog, DialogState& state) {
    CheckRadioButton(dialog, frmQuickExtract::optDel0, frmQuickExtract::optDel1, frmQuickExtract::optDel0);
    RECT place = {7, 10, 0, 0};
    MapDialogRect(dialog, &place);
    qnrImageArgs args;
    args.parent = dialog;
    args.id = frmQuickExtract::qnrImage1;
    args.position = {place.left, place.top};
    args.picture = frmQuickExtract::MakePicture(32);
    args.maskColor = static_cast<long>(frmQuickExtract::kPictureMask);
    state.picture.Create(args);
}

void Close(HWND dialog, DialogState& state, const std::wstring& tag) {
    state.answer.tag = tag;
    state.answer.selectedOnly = IsDlgButtonChecked(dialog, frmQuickExtract::optDel0) == BST_CHECKED;
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
        case frmQuickExtract::cmdAction0:
            Close(dialog, *state, L"OK");
            return TRUE;
        case frmQuickExtract::cmdAction1:
        case IDCANCEL:  // Escape and the close box
            Close(dialog, *state, L"");
            return TRUE;
        }
        break;
    }
    return FALSE;
}

DialogTemplate Layout() {
    DialogTemplate layout(t::kQuickExtractCaption, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_CENTER, 200, 78);
    layout.AddItem(kButtonClass, frmQuickExtract::fraExtract, t::kQuickExtractFrame, BS_GROUPBOX, 40, 5, 153, 46);
    layout.AddItem(kButtonClass, frmQuickExtract::optDel0, t::kQuickExtractSelected,
                   BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 48, 18, 140, 10);
    layout.AddItem(kButtonClass, frmQuickExtract::optDel1, t::kQuickExtractAll, BS_AUTORADIOBUTTON, 48, 33, 140, 10);
    layout.AddItem(kButtonClass, frmQuickExtract::cmdAction0, t::kQuickExtractOk,
                   BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP, 86, 57, 52, 15);
    layout.AddItem(kButtonClass, frmQuickExtract::cmdAction1, t::kQuickExtractCancel, BS_PUSHBUTTON | WS_TABSTOP, 141,
                   57, 52, 15);
    return layout;
}

}  // namespace

HBITMAP frmQuickExtract::MakePicture(int size) {
    UniqueMemoryDc memory(CreateCompatibleDC(nullptr));
    WindowDc screen(nullptr);
    UniqueGdiObject picture(CreateCompatibleBitmap(screen.get(), size, size));
    if (!memory || !picture) return nullptr;
    {
        SelectedObject into(memory.get(), picture.get());
        UniqueGdiObject mask(CreateSolidBrush(kPictureMask));
        RECT all = {0, 0, size, size};
        FillRect(memory.get(), &all, static_cast<HBRUSH>(mask.get()));
        DrawArchive(memory.get(), size);
        DrawArrow(memory.get(), size);
    }
    return static_cast<HBITMAP>(picture.release());
}

QuickExtractAnswer frmQuickExtract::Show(HWND owner) {
    DialogState state;
    Layout().Show(owner, DialogProc, reinterpret_cast<LPARAM>(&state));
    return state.answer;
}

}  // namespace bralto
