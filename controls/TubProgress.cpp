#include "TubProgress.h"

#include <cmath>

#include "Texts.h"
#include "AutomationError.h"

namespace bralto {

namespace {

const wchar_t kClassName[] = L"TubProgress";

// Minimum sizes in pixels, along and across the bar.
constexpr int kMinimumLength = 10;
constexpr int kMinimumThickness = 4;

[[noreturn]] void Raise(long number, const wchar_t* description) {
    throw AutomationError(number, kClassName, description);
}

// Whole pixels needed to show `x` (x >= 0) of them: any fraction counts as
// one more. Negative lengths (Value below Min after Max was set) show empty.
short RoundedUp(double x) {
    if (!(x > 0.0)) return 0;
    const double whole = std::floor(x);
    return static_cast<short>(whole + (x > whole ? 1.0 : 0.0));
}

}  // namespace

bool TubProgress::Create(const TubProgressArgs& args) {
    borderStyle_ = static_cast<unsigned char>(args.borderStyle);
    orientation_ = static_cast<unsigned char>(args.orientation);
    if (args.min >= 0 && args.max >= 1 && args.min < args.max) {
        min_ = args.min;
        max_ = args.max;
    }
    value_ = 0;
    backColor_ = args.backColor;
    foreColor_ = args.foreColor;
    if (!CreateControlWindow(kClassName, args.parent, args.id, args.place, args.visible ? WS_VISIBLE : 0)) return false;
    HandleResize();
    return true;
}

void TubProgress::BorderStyle(long style) {
    borderStyle_ = static_cast<unsigned char>(style);
    FullRedraw();
}

void TubProgress::Orientation(long orientation) {
    orientation_ = static_cast<unsigned char>(orientation);
    drawnLength_ = 0;
    HandleResize();
}

void TubProgress::Min(long value) {
    if (value < 0) Raise(kErrProgressRange, texts::kProgressMinNotNegative);
    if (value >= max_) Raise(kErrProgressRange, texts::kProgressMinBelowMax);
    min_ = value;
    value_ = value;
    FullRedraw();
}

void TubProgress::Max(long value) {
    if (value < 1) Raise(kErrProgressRange, texts::kProgressMaxAboveZero);
    if (value <= min_) Raise(kErrProgressRange, texts::kProgressMinBelowMax);
    max_ = value;
    value_ = 0;
    FullRedraw();
}

void TubProgress::Value(long value) {
    if (value < min_ || value > max_) Raise(kErrProgressValue, texts::kProgressValueInRange);
    value_ = value;
    PaintBar();
}

void TubProgress::BackColor(long colour) {
    backColor_ = colour;
    FullRedraw();
}

void TubProgress::ForeColor(long colour) {
    foreColor_ = colour;
    FullRedraw();
}

void TubProgress::Refresh() {
    if (hWnd()) RedrawWindow(hWnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

COLORREF TubProgress::PixelAt(int x, int y) const {
    if (!surface_) return CLR_INVALID;
    return GetPixel(surface_.dc(), x, y);
}

int TubProgress::InnerLength() const {
    const int margin = IsFramed() ? 2 : 0;
    const int length = (IsVertical() ? height_ : width_) - margin;
    return length > 0 ? length : 0;
}

void TubProgress::HandleResize() {
    if (resizing_ || !hWnd()) return;
    RECT client;
    GetClientRect(hWnd(), &client);
    const int minWidth = IsVertical() ? kMinimumThickness : kMinimumLength;
    const int minHeight = IsVertical() ? kMinimumLength : kMinimumThickness;
    // Client and window sizes are the same: the control has no frame of its own.
    if (client.right < minWidth || client.bottom < minHeight) {
        resizing_ = true;
        const int width = client.right < minWidth ? minWidth : client.right;
        const int height = client.right < minWidth ? client.bottom : minHeight;
        SetWindowPos(hWnd(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        resizing_ = false;
        GetClientRect(hWnd(), &client);
    }
    width_ = client.right;
    height_ = client.bottom;
    MakeSurface();
    FullRedraw();
}

void TubProgress::MakeSurface() { surface_.Make(width_, height_); }

void TubProgress::FullRedraw() {
    drawnLength_ = 0;
    DrawFrame();
    PaintBar();
}

void TubProgress::FillBox(int left, int top, int right, int bottom, long colour) {
    if (left >= right || top >= bottom) return;
    const RECT box = {left, top, right, bottom};
    UniqueGdiObject brush(CreateSolidBrush(OleColorToRgb(colour)));
    FillRect(surface_.dc(), &box, static_cast<HBRUSH>(brush.get()));
    InvalidateRect(hWnd(), &box, FALSE);
}

void TubProgress::DrawFrame() {
    if (!surface_) return;
    HDC dc = surface_.dc();
    FillBox(0, 0, width_, height_, backColor_);
    const int right = width_ - 1, bottom = height_ - 1;
    auto line = [&](int x1, int y1, int x2, int y2, COLORREF colour) {
        UniqueGdiObject pen(CreatePen(PS_SOLID, 1, colour));
        SelectedObject selected(dc, pen.get());
        MoveToEx(dc, x1, y1, nullptr);
        LineTo(dc, x2, y2);
        SetPixel(dc, x2, y2, colour);  // LineTo leaves the last point out
    };
    if (borderStyle_ == 1) {
        const COLORREF black = RGB(0, 0, 0);
        line(0, 0, right, 0, black);
        line(right, 0, right, bottom, black);
        line(0, bottom, right, bottom, black);
        line(0, 0, 0, bottom, black);
    } else if (borderStyle_ == 2) {
        const COLORREF grey = RGB(127, 127, 127), white = RGB(255, 255, 255);
        line(0, 0, 0, bottom, grey);
        line(0, 0, right, 0, grey);
        line(right, 0, right, bottom, white);
        line(0, bottom, right, bottom, white);
    }
    InvalidateRect(hWnd(), nullptr, FALSE);
}

void TubProgress::PaintBar() {
    if (!surface_) return;
    const double fraction = static_cast<double>(value_ - min_) / static_cast<double>(max_ - min_);
    newLength_ = RoundedUp(fraction * InnerLength());
    if (newLength_ == drawnLength_) return;
    const int drawn = drawnLength_, fresh = newLength_;
    const bool growing = fresh > drawn;
    const long colour = growing ? foreColor_ : backColor_;
    const int low = growing ? drawn : fresh, high = growing ? fresh : drawn;
    // The band [low, high) of the filled length, measured from the start of
    // the inner area (its left end, or its bottom for a vertical bar).
    if (IsFramed()) {
        if (IsVertical())
            FillBox(1, height_ - 1 - high, width_ - 1, height_ - 1 - low, colour);
        else
            FillBox(1 + low, 1, 1 + high, height_ - 1, colour);
    } else {
        if (IsVertical())
            FillBox(0, height_ - high, width_, height_ - low, colour);
        else
            FillBox(low, 0, high, height_, colour);
    }
    drawnLength_ = newLength_;
}

void TubProgress::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hWnd(), &ps);
    if (surface_) {
        const RECT& area = ps.rcPaint;
        BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, surface_.dc(), area.left,
               area.top, SRCCOPY);
    }
    EndPaint(hWnd(), &ps);
}

LRESULT TubProgress::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE: HandleResize(); return 0;
    case WM_ERASEBKGND: return 1;  // the surface covers every pixel
    case WM_PAINT: OnPaint(); return 0;
    default:
        if (ForwardMouse(message, wParam, lParam)) {
            ForwardClicks(message);
            return 0;
        }
        return ControlWindow::HandleMessage(message, wParam, lParam);
    }
}

}  // namespace bralto
