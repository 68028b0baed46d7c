#include "qnrImage.h"

#include <vector>

namespace bralto {

namespace {

const wchar_t kClassName[] = L"qnrImage";

// The picture's pixels as 32-bit BGRX values, top row first.
std::vector<DWORD> PixelsOf(HBITMAP picture, const SIZE& size) {
    std::vector<DWORD> pixels(static_cast<size_t>(size.cx) * static_cast<size_t>(size.cy));
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = size.cx;
    info.bmiHeader.biHeight = -size.cy;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    WindowDc screen(nullptr);
    if (!GetDIBits(screen.get(), picture, 0, static_cast<UINT>(size.cy), pixels.data(), &info, DIB_RGB_COLORS))
        pixels.clear();
    return pixels;
}

// The region of the pixels that are not of the mask colour, built from
// the runs of each row.
HRGN ShapeOf(const std::vector<DWORD>& pixels, const SIZE& size, COLORREF mask) {
    const DWORD maskPixel = (GetRValue(mask) << 16) | (GetGValue(mask) << 8) | GetBValue(mask);
    std::vector<RECT> runs;
    for (int y = 0; y < size.cy; ++y) {
        const DWORD* row = pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(size.cx);
        int x = 0;
        while (x < size.cx) {
            while (x < size.cx && (row[x] & 0xFFFFFF) == maskPixel) ++x;
            const int start = x;
            while (x < size.cx && (row[x] & 0xFFFFFF) != maskPixel) ++x;
            if (x > start) runs.push_back({start, y, x, y + 1});
        }
    }
    std::vector<BYTE> data(sizeof(RGNDATAHEADER) + runs.size() * sizeof(RECT));
    auto* region = reinterpret_cast<RGNDATA*>(data.data());
    region->rdh.dwSize = sizeof(RGNDATAHEADER);
    region->rdh.iType = RDH_RECTANGLES;
    region->rdh.nCount = static_cast<DWORD>(runs.size());
    region->rdh.rcBound = {0, 0, size.cx, size.cy};
    if (!runs.empty()) memcpy(region->Buffer, runs.data(), runs.size() * sizeof(RECT));
    return ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()), region);
}

}  // namespace

bool qnrImage::Create(const qnrImageArgs& args) {
    picture_.reset(args.picture);
    maskColor_ = args.maskColor;
    enabled_ = args.enabled;
    const RECT place = {args.position.x, args.position.y, args.position.x, args.position.y};
    if (!CreateControlWindow(kClassName, args.parent, args.id, place, args.visible ? WS_VISIBLE : 0)) return false;
    EnableWindow(hWnd(), enabled_);
    ApplyShape();
    FitToPicture();
    return true;
}

void qnrImage::Picture(HBITMAP picture) {
    picture_.reset(picture);
    ApplyShape();
    InvalidateRect(hWnd(), nullptr, TRUE);
    FitToPicture();
}

void qnrImage::MaskColor(long colour) {
    maskColor_ = colour;
    ApplyShape();
    InvalidateRect(hWnd(), nullptr, TRUE);
}

void qnrImage::Enabled(bool enabled) {
    enabled_ = enabled;
    EnableWindow(hWnd(), enabled);
}

SIZE qnrImage::PictureSize() const {
    BITMAP bitmap = {};
    if (!picture_ || !GetObjectW(picture_.get(), sizeof(bitmap), &bitmap)) return {0, 0};
    return {bitmap.bmWidth, bitmap.bmHeight};
}

void qnrImage::FitToPicture() {
    if (sizing_ || !hWnd()) return;
    sizing_ = true;
    const SIZE size = PictureSize();
    SetWindowPos(hWnd(), nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    sizing_ = false;
}

void qnrImage::ApplyShape() {
    if (!hWnd()) return;
    const SIZE size = PictureSize();
    HRGN shape = nullptr;
    if (size.cx > 0 && size.cy > 0) {
        const std::vector<DWORD> pixels = PixelsOf(static_cast<HBITMAP>(picture_.get()), size);
        if (!pixels.empty()) shape = ShapeOf(pixels, size, OleColorToRgb(maskColor_));
    }
    // The window owns the region once it is set; none means the whole
    // window (used when the picture cannot be read).
    SetWindowRgn(hWnd(), shape, TRUE);
}

void qnrImage::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hWnd(), &ps);
    if (picture_) {
        UniqueMemoryDc source(CreateCompatibleDC(dc));
        SelectedObject selected(source.get(), picture_.get());
        const SIZE size = PictureSize();
        BitBlt(dc, 0, 0, size.cx, size.cy, source.get(), 0, 0, SRCCOPY);
    }
    EndPaint(hWnd(), &ps);
}

LRESULT qnrImage::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE: FitToPicture(); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: OnPaint(); return 0;
    default:
        if (!IsMouseInput(message)) return ControlWindow::HandleMessage(message, wParam, lParam);
        // A disabled picture takes its mouse input and reports none of it.
        if (enabled_ && ForwardMouse(message, wParam, lParam)) ForwardClicks(message);
        return 0;
    }
}

}  // namespace bralto
