// The API timer, the busy ring and the dock panel, on a host window of
// the test's thread.
#include <gtest/gtest.h>

#include <windows.h>

#include "cTimer.h"
#include "qnrBI4Anim.h"
#include "qnrDock.h"

namespace bralto {
namespace {

void Pump(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
}

struct Host {
    Host() {
        hwnd = CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300, nullptr,
                               nullptr, GetModuleHandleW(nullptr), nullptr);
    }
    ~Host() { DestroyWindow(hwnd); }
    HWND hwnd;
};

TEST(ApiTimer, EachTimerGetsOnlyItsOwnTicksAndLeavesTheRegistryWhenStopped) {
    const size_t before = RunningTimerCount();
    int ticksA = 0, ticksB = 0;
    {
        cTimer a, b;
        EXPECT_EQ(a.Interval(), 1);
        a.Timer = [&] { ++ticksA; };
        b.Timer = [&] { ++ticksB; };
        a.Interval(10);
        a.Enabled(true);
        EXPECT_TRUE(a.Enabled());
        EXPECT_EQ(RunningTimerCount(), before + 1);
        Pump(200);
        EXPECT_GT(ticksA, 0);
        EXPECT_EQ(ticksB, 0);
        const UINT_PTR id = a.TimerId();
        a.Interval(20);  // re-armed under the same id
        EXPECT_EQ(a.TimerId(), id);
        b.Enabled(true);
        EXPECT_EQ(RunningTimerCount(), before + 2);
        a.Enabled(false);
        EXPECT_EQ(RunningTimerCount(), before + 1);
        const int stopped = ticksA;
        Pump(150);
        EXPECT_EQ(ticksA, stopped);
        EXPECT_GT(ticksB, 0);
    }
    EXPECT_EQ(RunningTimerCount(), before);  // destruction stops b
}

int LitDots(const qnrBI4Anim& ring) {
    int lit = 0;
    for (int dot = 1; dot <= 12; ++dot) lit += ring.IsDotLit(dot) ? 1 : 0;
    return lit;
}

TEST(BusyRing, FillsThenEmptiesAndTheSnakeChasesItsTail) {
    Host host;
    qnrBI4Anim ring;
    ASSERT_TRUE(ring.Create(host.hwnd, 1));
    ring.ForeColor(0x0000FF);
    ring.BackColor(0xFFFFFF);
    for (int i = 0; i < 12; ++i) ring.NextFrame();
    EXPECT_EQ(LitDots(ring), 12);
    for (int i = 0; i < 12; ++i) ring.NextFrame();
    EXPECT_EQ(LitDots(ring), 0);
    ring.NextFrame();  // tick 25 behaves as tick 1
    EXPECT_TRUE(ring.IsDotLit(1));
    EXPECT_EQ(LitDots(ring), 1);

    qnrBI4Anim snake;
    ASSERT_TRUE(snake.Create(host.hwnd, 2));
    snake.ForeColor(0x0000FF);
    snake.BackColor(0xFFFFFF);
    snake.Serpentin(true);
    for (int i = 0; i < 7; ++i) snake.NextFrame();
    for (int dot = 1; dot <= 12; ++dot) EXPECT_EQ(snake.IsDotLit(dot), dot <= 7) << dot;
    snake.NextFrame();
    for (int dot = 1; dot <= 12; ++dot) EXPECT_EQ(snake.IsDotLit(dot), dot >= 2 && dot <= 8) << dot;
}

TEST(BusyRing, PlaysVisiblyAtNineteenPixelsAndHidesWhenStopped) {
    Host host;
    qnrBI4Anim ring;
    ASSERT_TRUE(ring.Create(host.hwnd, 1));
    ring.Interval(10);
    SetWindowPos(ring.hWnd(), nullptr, 5, 5, 30, 30, SWP_NOZORDER);
    RECT size;
    GetWindowRect(ring.hWnd(), &size);
    EXPECT_EQ(size.right - size.left, 19);
    EXPECT_EQ(size.bottom - size.top, 19);
    EXPECT_FALSE(IsWindowVisible(ring.hWnd()));
    const size_t before = RunningTimerCount();
    ring.StartPlaying();
    ring.StartPlaying();  // one timer only
    EXPECT_EQ(RunningTimerCount(), before + 1);
    EXPECT_TRUE(ring.IsPlaying());
    EXPECT_TRUE(IsWindowVisible(ring.hWnd()));
    Pump(150);
    EXPECT_GT(LitDots(ring), 0);
    ring.StopPlaying();
    EXPECT_FALSE(ring.IsPlaying());
    EXPECT_FALSE(IsWindowVisible(ring.hWnd()));
    EXPECT_EQ(RunningTimerCount(), before);
}

TEST(DockPanel, CloseCrossHidesThePanelAndTellsTheHostOnce) {
    Host host;
    qnrDock dock;
    ASSERT_TRUE(dock.Create(host.hwnd, 1, L"Messages DLL"));
    EXPECT_EQ(dock.Caption(), L"Messages DLL");
    dock.Move(10, 10, 300, 200);
    dock.Visible(true);
    dock.Text(L"line 1\r\n");
    dock.AppendText(L"line 2\r\n");
    EXPECT_EQ(dock.Text(), L"line 1\r\nline 2\r\n");
    int closes = 0;
    dock.OnClose = [&] { ++closes; };
    SendMessageW(dock.CloseBox(), WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
    EXPECT_EQ(GetCapture(), dock.CloseBox());
    SendMessageW(dock.CloseBox(), WM_MOUSEMOVE, 0, MAKELPARAM(static_cast<WORD>(-5), 3));
    EXPECT_NE(GetCapture(), dock.CloseBox());
    SendMessageW(dock.CloseBox(), WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    EXPECT_FALSE(dock.Visible());
    EXPECT_EQ(closes, 1);
    dock.IsTextVisible(false);
    EXPECT_FALSE(IsWindowVisible(dock.TextBox()));
}

TEST(DockPanel, TextBoxFollowsTheSizeAndKeepsItWhenTooNarrow) {
    Host host;
    qnrDock dock;
    ASSERT_TRUE(dock.Create(host.hwnd, 1, L"x"));
    dock.Visible(true);
    dock.Move(0, 0, 300, 200);
    RECT text;
    GetWindowRect(dock.TextBox(), &text);
    const int wide = text.right - text.left;
    EXPECT_GT(wide, 200);
    dock.Move(0, 0, 10, 200);
    GetWindowRect(dock.TextBox(), &text);
    EXPECT_EQ(text.right - text.left, wide);
}

}  // namespace
}  // namespace bralto
