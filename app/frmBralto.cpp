#include "frmBralto.h"

#include "AppLifetime.h"

namespace bralto {

namespace {
const wchar_t kWindowClass[] = L"BraltoMainWindow";

void RegisterWindowClass(WNDPROC proc) {
    static bool registered = false;
    if (registered) return;
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kWindowClass;
    RegisterClassExW(&wc);
    registered = true;
}
}  // namespace

frmBralto::frmBralto() = default;

frmBralto::~frmBralto() {
    if (hwnd_) DestroyWindow(hwnd_);
}

void frmBralto::Show() {
    if (!hwnd_) {
        RegisterWindowClass(&frmBralto::WindowProc);
        CreateWindowExW(WS_EX_ACCEPTFILES, kWindowClass, L"Bralto", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                        640, 480, nullptr, nullptr, GetModuleHandleW(nullptr), this);
    }
    if (hwnd_) {
        ShowWindow(hwnd_, SW_SHOW);
        UpdateWindow(hwnd_);
    }
}

bool frmBralto::OpenAZip(const std::wstring& path) {
    archivePath_ = path;
    return false;
}

void frmBralto::NewFromShell(const std::wstring& path) { archivePath_ = path; }

LRESULT CALLBACK frmBralto::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<frmBralto*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        TopLevelWindowOpened();
    }
    auto* self = reinterpret_cast<frmBralto*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        TopLevelWindowClosed();
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    return self->OnMessage(message, wParam, lParam);
}

LRESULT frmBralto::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

}  // namespace bralto
