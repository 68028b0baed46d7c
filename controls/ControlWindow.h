// Base of the self-made controls of this folder that need a window class of
// their own: registers the class once, keeps `this` in the window's user
// data from WM_NCCREATE on and hands every message to HandleMessage.
#pragma once

#include <windows.h>

namespace bralto {

class ControlWindow {
public:
    ControlWindow() = default;
    virtual ~ControlWindow();
    ControlWindow(const ControlWindow&) = delete;
    ControlWindow& operator=(const ControlWindow&) = delete;

    HWND hWnd() const { return hwnd_; }

protected:
    // Creates the control's window as a child of `parent`; false when the
    // window could not be made.
    bool CreateControlWindow(const wchar_t* className, HWND parent, int id, const RECT& place, DWORD style,
                             DWORD exStyle = 0);
    // Destroys the window now; derived controls call it first in their
    // destructor, while the members their messages use are still alive.
    void DestroyControlWindow();
    // For a control that is one common control filling its window: keeps
    // `inner` at the control's size and enabled state. True when `message`
    // was one of those and is handled.
    bool KeepInnerWindowInStep(HWND inner, UINT message, WPARAM wParam, LPARAM lParam);
    // Messages the control does not handle itself go to DefWindowProcW.
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND hwnd_ = nullptr;
};

// Shared helpers of the controls.

// An automation colour (OLE_COLOR) as GDI draws it, decided by its high
// byte: 0x80 names the system colour whose index is the low byte
// (GetSysColor; an index the system does not have gives black); 0x00 is an
// RGB value. Any other high byte (0x01 palette index, 0x02 palette-relative
// RGB, or no colour type at all) has no palette to refer to here, so its low
// three bytes are taken as the RGB value.
COLORREF OleColorToRgb(long colour);

}  // namespace bralto
