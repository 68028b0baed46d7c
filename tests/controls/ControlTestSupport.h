// A visible top-level host window on the test's thread, message pumping and
// synthetic input for the controls' tests.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace bralto::test {

class HostWindow {
public:
    HostWindow(int width = 500, int height = 400);
    ~HostWindow();
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;
    HWND hwnd() const { return hwnd_; }

private:
    HWND hwnd_ = nullptr;
};

// Dispatches the thread's waiting messages.
void PumpMessages();
// Pumps until `done` holds or `milliseconds` have passed; returns `done()`.
bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds = 2000);

// Client size of a window.
SIZE ClientSize(HWND window);

// A folder tree made under C:\ for one test and removed with it.
class TempTree {
public:
    explicit TempTree(const std::wstring& name);
    ~TempTree();
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    const std::wstring& Root() const { return root_; }
    // Makes `relative` (and its parents) as a folder; returns its full path.
    std::wstring Folder(const std::wstring& relative) const;
    // Makes a file of `size` bytes; returns its full path.
    std::wstring File(const std::wstring& relative, unsigned long long size = 0) const;

private:
    std::wstring root_;
};

}  // namespace bralto::test
