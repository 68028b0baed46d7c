#include "ControlTestSupport.h"

#include <shellapi.h>

#include <vector>

namespace bralto::test {

namespace {

const wchar_t kHostClass[] = L"BraltoControlTestHost";

void RegisterHostClass() {
    static bool registered = false;
    if (registered) return;
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpfnWndProc = DefWindowProcW;
    wc.lpszClassName = kHostClass;
    RegisterClassExW(&wc);
    registered = true;
}

bool RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring full = folder + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(full);
            else {
                SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(full.c_str());
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    return RemoveDirectoryW(folder.c_str()) != 0;
}

}  // namespace

HostWindow::HostWindow(int width, int height) {
    RegisterHostClass();
    // Above the windows of other programs on the same display, so that
    // points on screen find the test's windows.
    hwnd_ = CreateWindowExW(WS_EX_CONTROLPARENT | WS_EX_TOPMOST, kHostClass, L"host",
                            WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN, 10, 10, width, height, nullptr, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
    PumpMessages();
}

HostWindow::~HostWindow() {
    if (hwnd_) DestroyWindow(hwnd_);
}

void PumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > milliseconds) return done();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        PumpMessages();
    }
    return true;
}

SIZE ClientSize(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    return {client.right, client.bottom};
}

TempTree::TempTree(const std::wstring& name) : root_(L"C:\\" + name) {
    RemoveTree(root_);
    CreateDirectoryW(root_.c_str(), nullptr);
}

TempTree::~TempTree() { RemoveTree(root_); }

std::wstring TempTree::Folder(const std::wstring& relative) const {
    std::wstring path = root_;
    size_t start = 0;
    while (start <= relative.size()) {
        const size_t end = relative.find(L'\\', start);
        path += L"\\" + relative.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
        CreateDirectoryW(path.c_str(), nullptr);
        if (end == std::wstring::npos) break;
        start = end + 1;
    }
    return path;
}

std::wstring TempTree::File(const std::wstring& relative, unsigned long long size) const {
    const std::wstring path = root_ + L"\\" + relative;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        LARGE_INTEGER end;
        end.QuadPart = static_cast<LONGLONG>(size);
        SetFilePointerEx(file, end, nullptr, FILE_BEGIN);
        SetEndOfFile(file);
        CloseHandle(file);
    }
    return path;
}

}  // namespace bralto::test
