// The transparent image: its size follows the picture, pixels of the mask
// colour belong to the window behind, and a disabled image stays silent.
#include <gtest/gtest.h>

#include <windows.h>

#include "ControlTestSupport.h"
#include "qnrImage.h"

namespace bralto {
namespace {

using test::HostWindow;

const COLORREF kMagenta = RGB(255, 0, 255);

// A picture whose left half is magenta and right half blue.
HBITMAP HalfMagenta(int width, int height) {
    HDC screen = GetDC(nullptr);
    HBITMAP picture = CreateCompatibleBitmap(screen, width, height);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, picture);
    HBRUSH magenta = CreateSolidBrush(kMagenta), blue = CreateSolidBrush(RGB(0, 0, 255));
    const RECT left = {0, 0, width / 2, height}, right = {width / 2, 0, width, height};
    FillRect(dc, &left, magenta);
    FillRect(dc, &right, blue);
    SelectObject(dc, old);
    DeleteObject(magenta);
    DeleteObject(blue);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return picture;
}

struct Image {
    explicit Image(bool enabled = true) {
        qnrImageArgs args;
        args.parent = host.hwnd();
        args.position = {20, 20};
        args.picture = HalfMagenta(32, 32);
        args.maskColor = 0xFF00FF;
        args.enabled = enabled;
        EXPECT_TRUE(image.Create(args));
        image.Click = [this] { ++clicks; };
        image.MouseDown = [this](int, int, int x, int y) {
            ++downs;
            lastDown = {x, y};
        };
        UpdateWindow(host.hwnd());
        test::PumpMessages();
    }
    POINT OnScreen(int x, int y) const {
        POINT point = {x, y};
        ClientToScreen(image.hWnd(), &point);
        return point;
    }
    // A left click at (x, y) of the image, delivered as the system does:
    // to the window under that point of the screen, if any takes it.
    void ClickAt(int x, int y) {
        const POINT screen = OnScreen(x, y);
        HWND target = WindowFromPoint(screen);
        if (!target || !IsWindowEnabled(target)) return;
        POINT client = screen;
        ScreenToClient(target, &client);
        SendMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(client.x, client.y));
        SendMessageW(target, WM_LBUTTONUP, 0, MAKELPARAM(client.x, client.y));
    }
    HostWindow host;
    qnrImage image;
    int clicks = 0;
    int downs = 0;
    POINT lastDown = {-1, -1};
};

TEST(qnrImage, TakesThePictureSizeWhateverTheHostAsks) {
    Image i;
    EXPECT_EQ(test::ClientSize(i.image.hWnd()).cx, 32);
    EXPECT_EQ(test::ClientSize(i.image.hWnd()).cy, 32);
    MoveWindow(i.image.hWnd(), 20, 20, 200, 100, TRUE);
    EXPECT_EQ(test::ClientSize(i.image.hWnd()).cx, 32);
    EXPECT_EQ(test::ClientSize(i.image.hWnd()).cy, 32);
    i.image.Picture(HalfMagenta(48, 16));
    EXPECT_EQ(test::ClientSize(i.image.hWnd()).cx, 48);
    EXPECT_EQ(test::ClientSize(i.image.hWnd()).cy, 16);
    i.image.Picture(nullptr);
    EXPECT_EQ(test::ClientSize(i.image.hWnd()).cx, 0);
    EXPECT_EQ(test::ClientSize(i.image.hWnd()).cy, 0);
}

TEST(qnrImage, MaskPixelsBelongToTheWindowBehind) {
    Image i;
    EXPECT_EQ(WindowFromPoint(i.OnScreen(5, 5)), i.host.hwnd());
    EXPECT_EQ(WindowFromPoint(i.OnScreen(25, 5)), i.image.hWnd());
    i.ClickAt(5, 5);
    EXPECT_EQ(i.clicks, 0);
    i.ClickAt(25, 7);
    EXPECT_EQ(i.clicks, 1);
    EXPECT_EQ(i.lastDown.x, 25);
    EXPECT_EQ(i.lastDown.y, 7);
    // Another mask colour gives the image another shape.
    i.image.MaskColor(0xFF0000);  // blue
    EXPECT_EQ(WindowFromPoint(i.OnScreen(5, 5)), i.image.hWnd());
    EXPECT_EQ(WindowFromPoint(i.OnScreen(25, 5)), i.host.hwnd());
}

TEST(qnrImage, DisabledImageRaisesNoMouseEvents) {
    Image i(false);
    EXPECT_FALSE(i.image.Enabled());
    EXPECT_EQ(WindowFromPoint(i.OnScreen(25, 5)), i.host.hwnd());  // a disabled window takes no input
    i.ClickAt(25, 5);
    SendMessageW(i.image.hWnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(25, 5));
    SendMessageW(i.image.hWnd(), WM_LBUTTONUP, 0, MAKELPARAM(25, 5));
    EXPECT_EQ(i.clicks, 0);
    EXPECT_EQ(i.downs, 0);
    i.image.Enabled(true);
    i.ClickAt(25, 5);
    EXPECT_EQ(i.clicks, 1);
    EXPECT_EQ(i.downs, 1);
}

}  // namespace
}  // namespace bralto
