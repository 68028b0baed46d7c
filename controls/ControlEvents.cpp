#include "ControlEvents.h"

#include <commctrl.h>
#include <windowsx.h>

namespace bralto {

namespace {

bool IsKeyDown(UINT message) { return message == WM_KEYDOWN || message == WM_SYSKEYDOWN; }
bool IsKeyUp(UINT message) { return message == WM_KEYUP || message == WM_SYSKEYUP; }

}  // namespace

bool MouseEvents::IsMouseInput(UINT message) {
    return message == WM_MOUSEMOVE || (message >= WM_LBUTTONDOWN && message <= WM_MBUTTONDBLCLK);
}

bool MouseEvents::ForwardMouse(UINT message, WPARAM wParam, LPARAM lParam) const {
    const std::function<void(int, int, int, int)>* event = nullptr;
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK: event = &MouseDown; break;
    case WM_MOUSEMOVE: event = &MouseMove; break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: event = &MouseUp; break;
    default: return false;
    }
    if (*event)
        (*event)(MouseButtonOf(message, wParam), ShiftStateOf(wParam), GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
    return true;
}

void MouseEvents::ForwardClicks(UINT message) const {
    if (message == WM_LBUTTONUP && Click) Click();
    if (message == WM_LBUTTONDBLCLK && DblClick) DblClick();
}

void MouseEvents::ForwardClickNotification(UINT code) const {
    if (code == static_cast<UINT>(NM_CLICK) && Click) Click();
    if (code == static_cast<UINT>(NM_DBLCLK) && DblClick) DblClick();
}

KeyEvents::KeyOutcome KeyEvents::ForwardKey(UINT message, WPARAM& wParam, LPARAM lParam) const {
    int key = static_cast<int>(wParam);
    if (IsKeyDown(message) || IsKeyUp(message)) {
        const auto& event = IsKeyDown(message) ? KeyDown : KeyUp;
        if (event) event(key, KeyShiftState(lParam));
    } else if (message == WM_CHAR) {
        if (KeyPress) KeyPress(key);
    } else {
        return KeyOutcome::kNotAKey;
    }
    if (key == 0) return KeyOutcome::kSwallowed;
    wParam = static_cast<WPARAM>(key);
    return KeyOutcome::kPassOn;
}

int KeyShiftState(LPARAM lParam) {
    const bool alt = GetKeyState(VK_MENU) < 0 || (lParam & (1L << 29)) != 0;
    return ((GetKeyState(VK_SHIFT) < 0) ? 1 : 0) | ((GetKeyState(VK_CONTROL) < 0) ? 2 : 0) | (alt ? 4 : 0);
}

int MouseButtonOf(UINT message, WPARAM wParam) {
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK: return 1;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK: return 2;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK: return 4;
    default:  // a move reports every button held
        return ((wParam & MK_LBUTTON) ? 1 : 0) | ((wParam & MK_RBUTTON) ? 2 : 0) | ((wParam & MK_MBUTTON) ? 4 : 0);
    }
}

int ShiftStateOf(WPARAM wParam) {
    return ((wParam & MK_SHIFT) ? 1 : 0) | ((wParam & MK_CONTROL) ? 2 : 0) | ((GetKeyState(VK_MENU) < 0) ? 4 : 0);
}

}  // namespace bralto
