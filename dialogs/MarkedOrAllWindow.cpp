#include "MarkedOrAllWindow.h"

#include "DialogTemplate.h"
#include "GdiHandles.h"
#include "qnrImage.h"
#include "HtmlHelp.h"

namespace bralto {

namespace {

struct DialogState {
    const MarkedOrAllDesign& design;
    MarkedOrAllAnswer answer;
    qnrImage picture;
};

void OnLoad(HWND dialog, DialogState& state) {
    CheckRadioButton(dialog, kOptDel0, kOptDel1, kOptDel0);
    RECT place = {7, 10, 0, 0};
    MapDialogRect(dialog, &place);
    qnrImageArgs args;
    args.parent = dialog;
    args.id = kPicture;
    args.position = {place.left, place.top};
    args.picture = state.design.makePicture(32);
    args.maskColor = static_cast<long>(kMarkedOrAllMask);
    state.picture.Create(args);
}

void Close(HWND dialog, DialogState& state, const std::wstring& tag) {
    state.answer.tag = tag;
    state.answer.selectedOnly = IsDlgButtonChecked(dialog, kOptDel0) == BST_CHECKED;
    EndDialog(dialog, tag.empty() ? IDCANCEL : IDOK);
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        OnLoad(dialog, *reinterpret_cast<DialogState*>(lParam));
        return TRUE;
    case WM_HELP: return ShowDialogHelp(dialog, state->design.helpTopic);
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case kCmdAction0: Close(dialog, *state, L"OK"); return TRUE;
        case kCmdAction1:
        case IDCANCEL:  // Escape and the close box
            Close(dialog, *state, L"");
            return TRUE;
        }
        break;
    }
    return FALSE;
}

DialogTemplate Layout(const MarkedOrAllDesign& design) {
    DialogTemplate layout(design.caption, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_CENTER, 200, 78);
    layout.AddItem(kButtonClass, kFrame, design.frame, BS_GROUPBOX, 40, 5, 153, 46);
    layout.AddItem(kButtonClass, kOptDel0, design.marked, BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 48, 18, 140, 10);
    layout.AddItem(kButtonClass, kOptDel1, design.all, BS_AUTORADIOBUTTON, 48, 33, 140, 10);
    layout.AddItem(kButtonClass, kCmdAction0, design.ok, BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP, 86, 57, 52, 15);
    layout.AddItem(kButtonClass, kCmdAction1, design.cancel, BS_PUSHBUTTON | WS_TABSTOP, 141, 57, 52, 15);
    return layout;
}

}  // namespace

MarkedOrAllAnswer ShowMarkedOrAll(HWND owner, const MarkedOrAllDesign& design) {
    DialogState state{design, {}, {}};
    Layout(design).Show(owner, DialogProc, reinterpret_cast<LPARAM>(&state));
    return state.answer;
}

HBITMAP MakeMaskedPicture(int size, const std::function<void(HDC, int)>& draw) {
    UniqueMemoryDc memory(CreateCompatibleDC(nullptr));
    WindowDc screen(nullptr);
    UniqueGdiObject picture(CreateCompatibleBitmap(screen.get(), size, size));
    if (!memory || !picture) return nullptr;
    {
        SelectedObject into(memory.get(), picture.get());
        UniqueGdiObject mask(CreateSolidBrush(kMarkedOrAllMask));
        RECT all = {0, 0, size, size};
        FillRect(memory.get(), &all, static_cast<HBRUSH>(mask.get()));
        draw(memory.get(), size);
    }
    return static_cast<HBITMAP>(picture.release());
}

}  // namespace bralto
