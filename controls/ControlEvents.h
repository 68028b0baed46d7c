// The key and mouse events the controls of this folder raise for their
// host, and the one place that turns window messages into them, so that
// every control reports the same input with the same arguments.
//
// Arguments: Button 1 left, 2 right, 4 middle (a move reports every button
// held); Shift 1 Shift, 2 Ctrl, 4 Alt; x and y in pixels of the window that
// got the message. The key events pass the key by reference: a listener may
// change it, or set it to 0 to keep it from the control.
#pragma once

#include <windows.h>

#include <functional>

namespace bralto {

class MouseEvents {
public:
    std::function<void()> Click;
    std::function<void()> DblClick;
    std::function<void(int button, int shift, int x, int y)> MouseDown;
    std::function<void(int button, int shift, int x, int y)> MouseMove;
    std::function<void(int button, int shift, int x, int y)> MouseUp;

    // The button and move messages that ForwardMouse turns into events.
    static bool IsMouseInput(UINT message);

protected:
    // Raises MouseDown, MouseMove or MouseUp for a button or move message.
    // The second press of a double-click is a press too: it raises
    // MouseDown, so that every MouseUp has its MouseDown. False, and nothing
    // raised, for any other message.
    bool ForwardMouse(UINT message, WPARAM wParam, LPARAM lParam) const;
    // For controls whose own surface makes the clicks: a left button
    // release raises Click, a left double-click DblClick. Call it after
    // ForwardMouse, so that Click follows MouseUp and DblClick MouseDown.
    void ForwardClicks(UINT message) const;
    // For controls that wrap a common control: its NM_CLICK raises Click,
    // its NM_DBLCLK DblClick; other notification codes raise nothing.
    void ForwardClickNotification(UINT code) const;
};

class KeyEvents {
public:
    std::function<void(int& keyCode, int shift)> KeyDown;
    std::function<void(int& keyAscii)> KeyPress;
    std::function<void(int& keyCode, int shift)> KeyUp;

protected:
    enum class KeyOutcome {
        kNotAKey,    // not a key message: nothing raised
        kSwallowed,  // the listener set the key to 0: the message goes no further
        kPassOn,     // wParam now holds the key as the listener left it
    };
    // Raises KeyDown (WM_KEYDOWN, WM_SYSKEYDOWN), KeyUp (WM_KEYUP,
    // WM_SYSKEYUP) or KeyPress (WM_CHAR).
    KeyOutcome ForwardKey(UINT message, WPARAM& wParam, LPARAM lParam) const;
};

// The Shift state of a key message: Shift and Ctrl from the keyboard, Alt
// from the keyboard or from the message's context bit (set on the system
// keys, whatever the keyboard state says).
int KeyShiftState(LPARAM lParam);

// The Button and Shift arguments of a mouse message.
int MouseButtonOf(UINT message, WPARAM wParam);
int ShiftStateOf(WPARAM wParam);

}  // namespace bralto
