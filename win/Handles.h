// Owning wrappers for Win32 handles: each handle kind is released exactly
// once, by its owner, whatever path the code takes.
#pragma once

#include <windows.h>

#include <objbase.h>
#include <shellapi.h>

#include <utility>

namespace bralto {

template <typename T, typename Traits>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(T value) : value_(value) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : value_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }

    T get() const { return value_; }
    explicit operator bool() const { return Traits::IsValid(value_); }
    T release() { return std::exchange(value_, Traits::Invalid()); }
    void reset(T value = Traits::Invalid()) {
        if (Traits::IsValid(value_)) Traits::Close(value_);
        value_ = value;
    }
    // For out-parameters of creating calls: releases what is held first.
    T* put() {
        reset();
        return &value_;
    }

private:
    T value_ = Traits::Invalid();
};

struct KernelHandleTraits {
    static HANDLE Invalid() { return nullptr; }
    static bool IsValid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { CloseHandle(h); }
};
struct FindHandleTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(HANDLE h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
    static void Close(HANDLE h) { FindClose(h); }
};
struct RegistryKeyTraits {
    static HKEY Invalid() { return nullptr; }
    static bool IsValid(HKEY h) { return h != nullptr; }
    static void Close(HKEY h) { RegCloseKey(h); }
};
struct WindowTraits {
    static HWND Invalid() { return nullptr; }
    static bool IsValid(HWND h) { return h != nullptr; }
    static void Close(HWND h) { DestroyWindow(h); }
};
struct IconTraits {
    static HICON Invalid() { return nullptr; }
    static bool IsValid(HICON h) { return h != nullptr; }
    static void Close(HICON h) { DestroyIcon(h); }
};
struct GdiObjectTraits {
    static HGDIOBJ Invalid() { return nullptr; }
    static bool IsValid(HGDIOBJ h) { return h != nullptr; }
    static void Close(HGDIOBJ h) { DeleteObject(h); }
};
struct ModuleTraits {
    static HMODULE Invalid() { return nullptr; }
    static bool IsValid(HMODULE h) { return h != nullptr; }
    static void Close(HMODULE h) { FreeLibrary(h); }
};

// A drop handle handed over by WM_DROPFILES: the receiver owns it.
struct DropHandleTraits {
    static HDROP Invalid() { return nullptr; }
    static bool IsValid(HDROP h) { return h != nullptr; }
    static void Close(HDROP h) { DragFinish(h); }
};

// Memory the COM task allocator handed out, such as a shell item list.
template <typename T>
struct TaskMemoryTraits {
    static T Invalid() { return nullptr; }
    static bool IsValid(T p) { return p != nullptr; }
    static void Close(T p) { CoTaskMemFree(p); }
};

using UniqueKernelHandle = UniqueHandle<HANDLE, KernelHandleTraits>;
using UniqueFindHandle = UniqueHandle<HANDLE, FindHandleTraits>;
using UniqueHKey = UniqueHandle<HKEY, RegistryKeyTraits>;
using UniqueHwnd = UniqueHandle<HWND, WindowTraits>;
using UniqueHIcon = UniqueHandle<HICON, IconTraits>;
using UniqueGdiObject = UniqueHandle<HGDIOBJ, GdiObjectTraits>;
using UniqueModule = UniqueHandle<HMODULE, ModuleTraits>;
using UniqueDropHandle = UniqueHandle<HDROP, DropHandleTraits>;
template <typename T>
using UniqueTaskMemory = UniqueHandle<T, TaskMemoryTraits<T>>;

// Closes a kernel handle now and says whether the system accepted the
// close: a file's last writes can still fail there. True when nothing was
// held.
inline bool CloseAndCheck(UniqueKernelHandle& handle) { return !handle || CloseHandle(handle.release()) != FALSE; }

}  // namespace bralto
