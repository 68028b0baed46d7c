#include "frmDelete.h"

#include "MarkedOrAllWindow.h"
#include "Texts.h"
#include "GdiHandles.h"
#include "HtmlHelpTopics.h"

namespace bralto {

namespace {

namespace t = dialog_texts;

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

}  // namespace

HBITMAP frmDelete::MakePicture(int size) {
    return MakeMaskedPicture(size, [](HDC dc, int side) {
        DrawPage(dc, side);
        DrawCross(dc, side);
    });
}

DeleteAnswer frmDelete::Show(HWND owner) {
    const MarkedOrAllDesign design{t::kDeleteCaption, t::kDeleteFrame,  t::kDeleteSelected,     t::kDeleteAll,
                                   t::kDeleteOk,      t::kDeleteCancel, &frmDelete::MakePicture,
                                   help_topics::kDelete};
    const MarkedOrAllAnswer answer = ShowMarkedOrAll(owner, design);
    return {answer.tag, answer.selectedOnly};
}

}  // namespace bralto
