// Owning wrappers the controls need beyond those of Handles.h.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "Handles.h"

namespace bralto {

struct MemoryDcTraits {
    static HDC Invalid() { return nullptr; }
    static bool IsValid(HDC h) { return h != nullptr; }
    static void Close(HDC h) { DeleteDC(h); }
};
struct ImageListTraits {
    static HIMAGELIST Invalid() { return nullptr; }
    static bool IsValid(HIMAGELIST h) { return h != nullptr; }
    static void Close(HIMAGELIST h) { ImageList_Destroy(h); }
};

using UniqueMemoryDc = UniqueHandle<HDC, MemoryDcTraits>;
using UniqueImageList = UniqueHandle<HIMAGELIST, ImageListTraits>;

// Keeps a GDI object selected into a DC for one scope.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    ~SelectedObject() { SelectObject(dc_, old_); }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// A window's DC for one scope.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDc() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// The screen's pixels per logical inch along `axis` (LOGPIXELSX or
// LOGPIXELSY); 96 when the screen does not say.
inline int ScreenDpi(int axis) {
    WindowDc screen(nullptr);
    const int dpi = GetDeviceCaps(screen.get(), axis);
    return dpi > 0 ? dpi : 96;
}

// A memory DC with a bitmap of its own selected into it: a drawing surface
// that keeps what is drawn until it is drawn over.
class Surface {
public:
    Surface() = default;
    ~Surface() { Release(); }
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    // Makes a surface of `width` x `height` pixels compatible with the
    // screen; false when GDI refuses.
    bool Make(int width, int height) {
        Release();
        WindowDc screen(nullptr);
        dc_.reset(CreateCompatibleDC(screen.get()));
        bitmap_.reset(CreateCompatibleBitmap(screen.get(), width > 0 ? width : 1, height > 0 ? height : 1));
        if (!dc_ || !bitmap_) return false;
        original_ = SelectObject(dc_.get(), bitmap_.get());
        return true;
    }
    HDC dc() const { return dc_.get(); }
    explicit operator bool() const { return static_cast<bool>(dc_) && static_cast<bool>(bitmap_); }

private:
    void Release() {
        // The bitmap can only be deleted once it is out of the DC.
        if (dc_ && original_) SelectObject(dc_.get(), original_);
        original_ = nullptr;
        bitmap_.reset();
        dc_.reset();
    }

    UniqueMemoryDc dc_;
    UniqueGdiObject bitmap_;
    HGDIOBJ original_ = nullptr;
};

}  // namespace bralto
