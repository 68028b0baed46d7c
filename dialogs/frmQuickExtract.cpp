#include "frmQuickExtract.h"

#include "HtmlHelpTopics.h"
#include "MarkedOrAllWindow.h"
#include "GdiHandles.h"
#include "Texts.h"

namespace bralto {

namespace {

namespace t = dialog_texts;

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
    const POINT arrow[] = {
        {middle, tip},          {middle + head, shoulder},  {middle + shaft, shoulder}, {middle + shaft, foot},
        {middle - shaft, foot}, {middle - shaft, shoulder}, {middle - head, shoulder}};
    Polygon(dc, arrow, static_cast<int>(sizeof arrow / sizeof arrow[0]));
}

}  // namespace

HBITMAP frmQuickExtract::MakePicture(int size) {
    return MakeMaskedPicture(size, [](HDC dc, int side) {
        DrawArchive(dc, side);
        DrawArrow(dc, side);
    });
}

QuickExtractAnswer frmQuickExtract::Show(HWND owner) {
    const MarkedOrAllDesign design{t::kQuickExtractCaption,      t::kQuickExtractFrame, t::kQuickExtractSelected,
                                   t::kQuickExtractAll,          t::kQuickExtractOk,    t::kQuickExtractCancel,
                                   &frmQuickExtract::MakePicture, help_topics::kQuickExtract};
    const MarkedOrAllAnswer answer = ShowMarkedOrAll(owner, design);
    return {answer.tag, answer.selectedOnly};
}

}  // namespace bralto
