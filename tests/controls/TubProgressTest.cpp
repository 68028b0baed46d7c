// The progress bar on a host window: what it draws on its surface, which
// band a change repaints, its range errors and its input events.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "ControlTestSupport.h"
#include "AutomationError.h"
#include "TubProgress.h"

namespace bralto {
namespace {

using test::HostWindow;

const COLORREF kFore = RGB(0, 0x80, 0x80);  // 0x808000 as an automation colour

COLORREF Face() { return GetSysColor(COLOR_BTNFACE); }

TubProgressArgs Sized(int width, int height) {
    TubProgressArgs args;
    args.place = {10, 10, 10 + width, 10 + height};
    return args;
}

struct Bar {
    explicit Bar(TubProgressArgs args = Sized(100, 20)) {
        args.parent = host.hwnd();
        EXPECT_TRUE(bar.Create(args));
    }
    HostWindow host;
    TubProgress bar;
};

// Runs `change` and returns the rectangle it left to repaint.
RECT BandRepaintedBy(HWND window, const std::function<void()>& change) {
    UpdateWindow(window);
    ValidateRect(window, nullptr);
    change();
    RECT band = {};
    GetUpdateRect(window, &band, FALSE);
    return band;
}

TEST(TubProgress, NewBarIsFramedEmptyAndSunken) {
    Bar b;
    EXPECT_EQ(b.bar.Min(), 0);
    EXPECT_EQ(b.bar.Max(), 100);
    EXPECT_EQ(b.bar.Value(), 0);
    EXPECT_EQ(b.bar.BorderStyle(), 2);
    EXPECT_EQ(b.bar.DrawnLength(), 0);
    EXPECT_EQ(b.bar.PixelAt(0, 10), RGB(127, 127, 127));   // left edge
    EXPECT_EQ(b.bar.PixelAt(50, 0), RGB(127, 127, 127));   // top edge
    EXPECT_EQ(b.bar.PixelAt(99, 10), RGB(255, 255, 255));  // right edge
    EXPECT_EQ(b.bar.PixelAt(50, 19), RGB(255, 255, 255));  // bottom edge
    EXPECT_EQ(b.bar.PixelAt(1, 10), Face());
    EXPECT_EQ(b.bar.PixelAt(98, 18), Face());
}

TEST(TubProgress, FilledLengthIsRoundedUpOverTheInnerWidth) {
    Bar b;  // 100 pixels wide: 98 inner columns
    b.bar.Value(1);
    EXPECT_EQ(b.bar.DrawnLength(), 1);  // 0.98 rounded up
    EXPECT_EQ(b.bar.PixelAt(1, 10), kFore);
    EXPECT_EQ(b.bar.PixelAt(2, 10), Face());
    b.bar.Value(100);
    EXPECT_EQ(b.bar.DrawnLength(), 98);
    EXPECT_EQ(b.bar.PixelAt(98, 1), kFore);
    EXPECT_EQ(b.bar.PixelAt(98, 18), kFore);
    EXPECT_EQ(b.bar.PixelAt(99, 10), RGB(255, 255, 255));  // the frame stays
    EXPECT_EQ(b.bar.PixelAt(50, 0), RGB(127, 127, 127));
}

TEST(TubProgress, OnlyTheChangedBandIsRepainted) {
    Bar b;
    RECT band = BandRepaintedBy(b.bar.hWnd(), [&] { b.bar.Value(50); });
    EXPECT_EQ(band.left, 1);
    EXPECT_EQ(band.right, 50);  // columns 1..49
    band = BandRepaintedBy(b.bar.hWnd(), [&] { b.bar.Value(40); });
    EXPECT_EQ(band.left, 41);  // 40 % of 98 rounded up is 40 columns
    EXPECT_EQ(band.right, 50);
    EXPECT_EQ(band.top, 1);
    EXPECT_EQ(band.bottom, 19);
    EXPECT_EQ(b.bar.PixelAt(40, 10), kFore);
    EXPECT_EQ(b.bar.PixelAt(41, 10), Face());
    // The same length again draws nothing.
    band = BandRepaintedBy(b.bar.hWnd(), [&] { b.bar.Value(40); });
    EXPECT_TRUE(IsRectEmpty(&band));
}

TEST(TubProgress, RangeErrorsChangeNothing) {
    Bar b;
    b.bar.Value(30);
    auto expectError = [](const std::function<void()>& change, long number, const std::wstring& description) {
        try {
            change();
            ADD_FAILURE() << "no error";
        } catch (const AutomationError& error) {
            EXPECT_EQ(error.Number(), number);
            EXPECT_EQ(error.Source(), L"TubProgress");
            EXPECT_EQ(error.Description(), description);
        }
    };
    const std::wstring valueText = L"Value doit être supérieure ou égale à Min et inférieure ou égale à Max";
    expectError([&] { b.bar.Value(101); }, static_cast<long>(0x80040202UL), valueText);
    expectError([&] { b.bar.Value(-1); }, static_cast<long>(0x80040202UL), valueText);
    EXPECT_EQ(b.bar.Value(), 30);
    EXPECT_EQ(b.bar.DrawnLength(), 30);  // ceil(0.3 * 98) = 30

    const long range = static_cast<long>(0x80040201UL);
    expectError([&] { b.bar.Max(0); }, range, L"La propriété Max doit être supérieure à 0");
    expectError([&] { b.bar.Min(-1); }, range, L"La propriété Min doit être supérieure ou égale à 0");
    expectError([&] { b.bar.Min(100); }, range, L"La propriété Min doit être inférieure à la propriété Max");
    b.bar.Min(10);
    EXPECT_EQ(b.bar.Value(), 10);
    expectError([&] { b.bar.Max(10); }, range, L"La propriété Min doit être inférieure à la propriété Max");
    expectError([&] { b.bar.Max(-5); }, range, L"La propriété Max doit être supérieure à 0");
    EXPECT_EQ(b.bar.Min(), 10);
    EXPECT_EQ(b.bar.Max(), 100);
}

TEST(TubProgress, SettingMaxEmptiesTheBarEvenBelowMin) {
    Bar b;
    b.bar.Min(10);
    b.bar.Value(60);
    EXPECT_GT(b.bar.DrawnLength(), 0);
    b.bar.Max(200);
    EXPECT_EQ(b.bar.Value(), 0);  // below Min, drawn empty
    EXPECT_EQ(b.bar.DrawnLength(), 0);
    EXPECT_EQ(b.bar.PixelAt(1, 10), Face());
    EXPECT_EQ(b.bar.PixelAt(50, 10), Face());
    b.bar.Value(200);
    EXPECT_EQ(b.bar.DrawnLength(), 98);
}

TEST(TubProgress, BarsThatAreTooSmallAreWidenedOrHeightened) {
    Bar b(Sized(3, 20));
    EXPECT_EQ(test::ClientSize(b.bar.hWnd()).cx, 10);
    EXPECT_EQ(test::ClientSize(b.bar.hWnd()).cy, 20);
    SetWindowPos(b.bar.hWnd(), nullptr, 0, 0, 50, 2, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(test::ClientSize(b.bar.hWnd()).cx, 50);
    EXPECT_EQ(test::ClientSize(b.bar.hWnd()).cy, 4);
    b.bar.Orientation(1);  // vertical: 4 x 10 at least
    EXPECT_EQ(test::ClientSize(b.bar.hWnd()).cy, 10);
}

TEST(TubProgress, WithoutBorderTheBarUsesEveryPixel) {
    TubProgressArgs args = Sized(100, 20);
    args.borderStyle = 0;
    Bar b(args);
    EXPECT_EQ(b.bar.PixelAt(0, 0), Face());
    b.bar.Value(1);
    EXPECT_EQ(b.bar.DrawnLength(), 1);
    EXPECT_EQ(b.bar.PixelAt(0, 0), kFore);
    EXPECT_EQ(b.bar.PixelAt(1, 0), Face());
    b.bar.Value(100);
    EXPECT_EQ(b.bar.DrawnLength(), 100);
    EXPECT_EQ(b.bar.PixelAt(99, 19), kFore);
    b.bar.Value(50);
    EXPECT_EQ(b.bar.PixelAt(49, 10), kFore);
    EXPECT_EQ(b.bar.PixelAt(50, 10), Face());
}

TEST(TubProgress, UnknownBorderStylesDrawNoFrameButKeepTheMargin) {
    TubProgressArgs args = Sized(100, 20);
    args.borderStyle = 3;
    args.foreColor = 0x0000FF;  // red
    Bar b(args);
    b.bar.Value(100);
    EXPECT_EQ(b.bar.PixelAt(0, 10), Face());
    EXPECT_EQ(b.bar.PixelAt(99, 10), Face());
    EXPECT_EQ(b.bar.PixelAt(1, 1), RGB(255, 0, 0));
    EXPECT_EQ(b.bar.PixelAt(98, 18), RGB(255, 0, 0));
    b.bar.BorderStyle(1);
    EXPECT_EQ(b.bar.PixelAt(0, 10), RGB(0, 0, 0));
    EXPECT_EQ(b.bar.PixelAt(99, 19), RGB(0, 0, 0));
    EXPECT_EQ(b.bar.PixelAt(98, 18), RGB(255, 0, 0));  // bar repainted after the frame
}

TEST(TubProgress, VerticalBarsFillFromTheBottom) {
    TubProgressArgs args = Sized(20, 102);
    args.orientation = 1;
    Bar b(args);  // 100 inner rows, 1 to 100
    b.bar.Value(25);
    EXPECT_EQ(b.bar.DrawnLength(), 25);
    EXPECT_EQ(b.bar.PixelAt(10, 100), kFore);
    EXPECT_EQ(b.bar.PixelAt(10, 76), kFore);
    EXPECT_EQ(b.bar.PixelAt(10, 75), Face());
    EXPECT_EQ(b.bar.PixelAt(10, 101), RGB(255, 255, 255));
    b.bar.Value(10);
    EXPECT_EQ(b.bar.PixelAt(10, 91), kFore);
    EXPECT_EQ(b.bar.PixelAt(10, 90), Face());
    b.bar.BackColor(0x00FF00);
    EXPECT_EQ(b.bar.PixelAt(10, 50), RGB(0, 255, 0));
    EXPECT_EQ(b.bar.PixelAt(10, 95), kFore);
    // Back to horizontal: the bar is drawn again along the width.
    b.bar.Orientation(0);
    EXPECT_EQ(b.bar.DrawnLength(), 2);  // 10 % of 18 inner columns
    EXPECT_EQ(b.bar.PixelAt(2, 50), kFore);
    EXPECT_EQ(b.bar.PixelAt(3, 50), RGB(0, 255, 0));
}

TEST(TubProgress, MouseInputRaisesTheEvents) {
    Bar b;
    std::vector<std::wstring> seen;
    auto record = [&](const wchar_t* name) {
        return [&seen, name](int button, int shift, int x, int y) {
            seen.push_back(std::wstring(name) + L" " + std::to_wstring(button) + L" " + std::to_wstring(shift) + L" " +
                           std::to_wstring(x) + L"," + std::to_wstring(y));
        };
    };
    b.bar.MouseDown = record(L"down");
    b.bar.MouseUp = record(L"up");
    b.bar.MouseMove = record(L"move");
    b.bar.Click = [&] { seen.push_back(L"click"); };
    b.bar.DblClick = [&] { seen.push_back(L"dblclick"); };
    SendMessageW(b.bar.hWnd(), WM_MOUSEMOVE, MK_RBUTTON, MAKELPARAM(7, 8));
    SendMessageW(b.bar.hWnd(), WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(5, 6));
    SendMessageW(b.bar.hWnd(), WM_LBUTTONUP, MK_SHIFT, MAKELPARAM(5, 6));
    SendMessageW(b.bar.hWnd(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(1, 2));
    const std::vector<std::wstring> expected = {L"move 2 0 7,8", L"down 1 1 5,6", L"up 1 1 5,6",
                                                L"click",        L"down 1 0 1,2", L"dblclick"};
    EXPECT_EQ(seen, expected);
}

// A quick second press arrives as a double-click message, for any button:
// it is still a press, so the host sees each release after its press.
TEST(TubProgress, EverySecondPressOfADoubleClickIsAMouseDown) {
    Bar b;
    std::vector<std::wstring> seen;
    b.bar.MouseDown = [&](int button, int, int, int) { seen.push_back(L"down " + std::to_wstring(button)); };
    b.bar.MouseUp = [&](int button, int, int, int) { seen.push_back(L"up " + std::to_wstring(button)); };
    b.bar.DblClick = [&] { seen.push_back(L"dblclick"); };
    for (UINT message : {WM_RBUTTONDOWN, WM_RBUTTONUP, WM_RBUTTONDBLCLK, WM_RBUTTONUP, WM_MBUTTONDBLCLK, WM_MBUTTONUP})
        SendMessageW(b.bar.hWnd(), message, 0, MAKELPARAM(3, 3));
    const std::vector<std::wstring> expected = {L"down 2", L"up 2", L"down 2", L"up 2", L"down 4", L"up 4"};
    EXPECT_EQ(seen, expected);
}

}  // namespace
}  // namespace bralto
