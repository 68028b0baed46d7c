#include "qnrBI4Anim.h"

namespace bralto {

namespace {

const wchar_t kClassName[] = L"qnrBI4Anim";

struct DotPosition {
    int x;
    int y;
};
// Clockwise from the top; top-left pixel of each 3 x 3 dot.
constexpr DotPosition kDotPositions[qnrBI4Anim::kDots] = {{8, 0},  {12, 1}, {15, 4}, {16, 8}, {15, 12}, {12, 15},
                                                          {8, 16}, {4, 15}, {1, 12}, {0, 8},  {1, 4},   {4, 1}};

}  // namespace

qnrBI4Anim::~qnrBI4Anim() {
    if (playing_ && timer_) timer_->Enabled(false);
    DestroyControlWindow();
}

bool qnrBI4Anim::Create(HWND parent, int id) {
    surface_.Make(kSize, kSize);
    ClearSurface();
    return CreateControlWindow(kClassName, parent, id, RECT{0, 0, kSize, kSize}, 0);
}

void qnrBI4Anim::BackColor(long colour) {
    backColor_ = colour;
    ClearSurface();
    Refresh();
}

void qnrBI4Anim::Interval(long milliseconds) {
    interval_ = milliseconds;
    if (timer_) timer_->Interval(milliseconds);
}

void qnrBI4Anim::StartPlaying() {
    if (playing_) return;
    playing_ = true;
    if (hWnd()) ShowWindow(hWnd(), SW_SHOWNA);
    ClearSurface();
    frame_ = 0;
    timer_ = std::make_unique<cTimer>();
    timer_->Timer = [this] { NextFrame(); };
    timer_->Interval(interval_);
    timer_->Enabled(true);
    Refresh();
}

void qnrBI4Anim::StopPlaying() {
    if (!playing_) return;
    if (hWnd()) ShowWindow(hWnd(), SW_HIDE);
    playing_ = false;
    timer_->Enabled(false);
}

void qnrBI4Anim::Refresh() {
    if (hWnd()) InvalidateRect(hWnd(), nullptr, FALSE);
}

void qnrBI4Anim::Move(int x, int y) {
    if (hWnd()) SetWindowPos(hWnd(), HWND_TOP, x, y, kSize, kSize, SWP_NOACTIVATE);
}

void qnrBI4Anim::NextFrame() {
    frame_ = static_cast<unsigned char>(frame_ + 1);
    if (serpentin_) {
        if (frame_ > 12) frame_ = 1;
        DrawDot(frame_, foreColor_);
        DrawDot((frame_ + 5 - 1) % kDots + 1, backColor_);
    } else {
        if (frame_ > 24) frame_ = 1;
        if (frame_ <= 12)
            DrawDot(frame_, foreColor_);
        else
            DrawDot(frame_ - 12, backColor_);
    }
    Refresh();
}

bool qnrBI4Anim::IsDotLit(int dot) const {
    if (dot < 1 || dot > kDots || !surface_) return false;
    const DotPosition& p = kDotPositions[dot - 1];
    return GetPixel(surface_.dc(), p.x + 1, p.y + 1) == OleColorToRgb(foreColor_);
}

void qnrBI4Anim::ClearSurface() {
    if (!surface_) return;
    RECT all = {0, 0, kSize, kSize};
    UniqueGdiObject brush(CreateSolidBrush(OleColorToRgb(backColor_)));
    FillRect(surface_.dc(), &all, static_cast<HBRUSH>(brush.get()));
}

void qnrBI4Anim::DrawDot(int dot, long colour) {
    const DotPosition& p = kDotPositions[dot - 1];
    RECT square = {p.x, p.y, p.x + 3, p.y + 3};
    UniqueGdiObject brush(CreateSolidBrush(OleColorToRgb(colour)));
    FillRect(surface_.dc(), &square, static_cast<HBRUSH>(brush.get()));
}

void qnrBI4Anim::Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hWnd(), &ps);
    BitBlt(dc, 0, 0, kSize, kSize, surface_.dc(), 0, 0, SRCCOPY);
    EndPaint(hWnd(), &ps);
}

LRESULT qnrBI4Anim::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: Paint(); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_WINDOWPOSCHANGING: {
        // Whatever size the host gives, the ring stays 19 x 19 pixels.
        auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
        pos->cx = kSize;
        pos->cy = kSize;
        return 0;
    }
    default: return ControlWindow::HandleMessage(message, wParam, lParam);
    }
}

}  // namespace bralto
