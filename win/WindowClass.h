// Registering a window class of this module once, whichever window asks
// first: a class that is already there is left as it is.
#pragma once

#include <windows.h>

namespace bralto {

struct WindowClassDesign {
    const wchar_t* name = nullptr;
    WNDPROC proc = nullptr;
    UINT style = 0;
    HBRUSH background = nullptr;  // nullptr: the window paints its whole background
    HICON icon = nullptr;         // the class keeps it for the module's lifetime
    HICON smallIcon = nullptr;    // the caption's icon; nullptr: the system shrinks `icon`
};

// True when the class is registered afterwards (by this call or an earlier one).
inline bool RegisterWindowClassOnce(const WindowClassDesign& design) {
    const HINSTANCE module = GetModuleHandleW(nullptr);
    WNDCLASSEXW existing = {};
    existing.cbSize = sizeof(existing);
    if (GetClassInfoExW(module, design.name, &existing)) return true;
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = design.style;
    wc.lpfnWndProc = design.proc;
    wc.hInstance = module;
    wc.hIcon = design.icon;
    wc.hIconSm = design.smallIcon;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = design.background;
    wc.lpszClassName = design.name;
    return RegisterClassExW(&wc) != 0;
}

}  // namespace bralto
