#include "ControlWindow.h"

#include "WindowClass.h"

namespace bralto {

ControlWindow::~ControlWindow() {
    // The window may still send messages while it goes; they must not reach
    // a half-destroyed object.
    if (hwnd_) SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyControlWindow();
}

void ControlWindow::DestroyControlWindow() {
    if (hwnd_) DestroyWindow(hwnd_);
    hwnd_ = nullptr;
}

bool ControlWindow::CreateControlWindow(const wchar_t* className, HWND parent, int id, const RECT& place, DWORD style,
                                        DWORD exStyle) {
    WindowClassDesign design;
    design.name = className;
    design.proc = &ControlWindow::WindowProc;
    design.style = CS_DBLCLKS;
    design.background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    RegisterWindowClassOnce(design);
    CreateWindowExW(exStyle, className, L"", style | WS_CHILD, place.left, place.top, place.right - place.left,
                    place.bottom - place.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                    GetModuleHandleW(nullptr), this);
    return hwnd_ != nullptr;
}

bool ControlWindow::KeepInnerWindowInStep(HWND inner, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        if (inner) MoveWindow(inner, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return true;
    case WM_ENABLE:
        if (inner) EnableWindow(inner, wParam != 0);
        return true;
    default: return false;
    }
}

LRESULT ControlWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK ControlWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* created = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto* self = static_cast<ControlWindow*>(created->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<ControlWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    return self->HandleMessage(message, wParam, lParam);
}

COLORREF OleColorToRgb(long colour) {
    const unsigned long value = static_cast<unsigned long>(colour);
    if ((value & 0xFF000000UL) == 0x80000000UL) return GetSysColor(static_cast<int>(value & 0xFFUL));
    return static_cast<COLORREF>(value & 0xFFFFFFUL);
}

}  // namespace bralto
