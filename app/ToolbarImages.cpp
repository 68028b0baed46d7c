#include "ToolbarImages.h"

namespace bralto {

namespace {

constexpr int kSize = 16;
constexpr COLORREF kMask = RGB(255, 0, 255);

class Painter {
public:
    explicit Painter(HDC dc) : dc_(dc) {}
    void Box(int x, int l, int t, int r, int b, COLORREF fill, COLORREF edge) {
        UniqueGdiObject brush(CreateSolidBrush(fill)), pen(CreatePen(PS_SOLID, 1, edge));
        SelectedObject withBrush(dc_, brush.get()), withPen(dc_, pen.get());
        Rectangle(dc_, x + l, t, x + r, b);
    }
    void Polygon(int x, const POINT* points, int count, COLORREF fill, COLORREF edge) {
        POINT shifted[16];
        if (count > 16) count = 16;
        for (int i = 0; i < count; ++i) shifted[i] = {points[i].x + x, points[i].y};
        UniqueGdiObject brush(CreateSolidBrush(fill)), pen(CreatePen(PS_SOLID, 1, edge));
        SelectedObject withBrush(dc_, brush.get()), withPen(dc_, pen.get());
        ::Polygon(dc_, shifted, count);
    }
    void Line(int x, int x1, int y1, int x2, int y2, COLORREF colour, int width = 1) {
        UniqueGdiObject pen(CreatePen(PS_SOLID, width, colour));
        SelectedObject withPen(dc_, pen.get());
        MoveToEx(dc_, x + x1, y1, nullptr);
        LineTo(dc_, x + x2, y2);
    }

private:
    HDC dc_;
};

const COLORREF kInk = RGB(0x40, 0x40, 0x40);
const COLORREF kPaper = RGB(0xFF, 0xFF, 0xFF);
const COLORREF kArchive = RGB(0xE8, 0xC0, 0x60);
const COLORREF kArchiveEdge = RGB(0x90, 0x68, 0x10);

// The archive: a yellow box with a zip strip down the middle.
void DrawArchive(Painter& p, int x, int l, int t, int r, int b) {
    p.Box(x, l, t, r, b, kArchive, kArchiveEdge);
    const int middle = (l + r) / 2;
    for (int y = t + 1; y < b - 1; y += 2) p.Line(x, middle - 1, y, middle + 1, y, kInk);
}

void DrawNew(Painter& p, int x) {
    const POINT page[] = {{3, 1}, {10, 1}, {13, 4}, {13, 15}, {3, 15}};
    p.Polygon(x, page, 5, kPaper, kInk);
    p.Line(x, 10, 1, 10, 4, kInk);
    p.Line(x, 10, 4, 13, 4, kInk);
    DrawArchive(p, x, 5, 7, 12, 14);
}

void DrawOpen(Painter& p, int x) {
    const POINT back[] = {{1, 3}, {6, 3}, {7, 5}, {13, 5}, {13, 14}, {1, 14}};
    p.Polygon(x, back, 6, RGB(0xD8, 0xB0, 0x40), kArchiveEdge);
    const POINT front[] = {{3, 8}, {15, 8}, {13, 14}, {1, 14}};
    p.Polygon(x, front, 4, RGB(0xF8, 0xD8, 0x70), kArchiveEdge);
}

void DrawAdd(Painter& p, int x) {
    DrawArchive(p, x, 1, 5, 11, 15);
    p.Box(x, 9, 1, 12, 10, RGB(0x20, 0xA0, 0x30), RGB(0x10, 0x60, 0x10));
    p.Box(x, 6, 4, 15, 7, RGB(0x20, 0xA0, 0x30), RGB(0x10, 0x60, 0x10));
}

void DrawExtract(Painter& p, int x) {
    DrawArchive(p, x, 1, 6, 10, 15);
    const POINT arrow[] = {{9, 3}, {12, 0}, {15, 3}, {13, 3}, {13, 9}, {11, 9}, {11, 3}};
    p.Polygon(x, arrow, 7, RGB(0x30, 0x60, 0xD0), RGB(0x10, 0x30, 0x80));
}

void DrawExpress(Painter& p, int x) {
    DrawArchive(p, x, 1, 6, 10, 15);
    const POINT bolt[] = {{12, 0}, {8, 7}, {11, 7}, {9, 13}, {15, 5}, {12, 5}, {14, 0}};
    p.Polygon(x, bolt, 7, RGB(0xFF, 0xD0, 0x00), RGB(0xA0, 0x70, 0x00));
}

void DrawDelete(Painter& p, int x) {
    DrawArchive(p, x, 1, 5, 11, 15);
    p.Line(x, 8, 1, 14, 7, RGB(0xD0, 0x20, 0x20), 3);
    p.Line(x, 14, 1, 8, 7, RGB(0xD0, 0x20, 0x20), 3);
}

// Draws the six images side by side on `strip`.
void DrawStrip(HGDIOBJ strip) {
    WindowDc screen(nullptr);
    UniqueMemoryDc dc(CreateCompatibleDC(screen.get()));
    if (!dc) return;
    SelectedObject onStrip(dc.get(), strip);
    RECT all = {0, 0, kSize * 6, kSize};
    UniqueGdiObject mask(CreateSolidBrush(kMask));
    FillRect(dc.get(), &all, static_cast<HBRUSH>(mask.get()));
    Painter painter(dc.get());
    void (*const draw[6])(Painter&, int) = {DrawNew, DrawOpen, DrawAdd, DrawExtract, DrawExpress, DrawDelete};
    for (int i = 0; i < 6; ++i) draw[i](painter, i * kSize);
}

}  // namespace

UniqueImageList CreateToolbarImages() {
    UniqueImageList list(ImageList_Create(kSize, kSize, ILC_COLOR24 | ILC_MASK, 6, 0));
    UniqueGdiObject strip;
    {
        WindowDc screen(nullptr);
        strip.reset(CreateCompatibleBitmap(screen.get(), kSize * 6, kSize));
    }
    if (!list || !strip) return list;
    DrawStrip(strip.get());  // the strip is out of the drawing DC again when it returns
    ImageList_AddMasked(list.get(), static_cast<HBITMAP>(strip.get()), kMask);
    return list;
}

}  // namespace bralto
