#include "qnrDock.h"

#include <vector>

namespace bralto {

namespace {

const wchar_t kPanelClass[] = L"qnrDock";
const wchar_t kCloseClass[] = L"qnrDockClose";

// Designed places, in twips.
constexpr int kLabelLeft = 120, kLabelTop = 165, kLabelHeight = 195;
constexpr int kCloseTop = 120, kCloseSize = 240;
constexpr int kLine0Top = 450;
constexpr int kTextLeft = 120, kTextTop = 590;

void Line(HDC dc, int x1, int y1, int x2, int y2, COLORREF colour) {
    UniqueGdiObject pen(CreatePen(PS_SOLID, 1, colour));
    SelectedObject selected(dc, pen.get());
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
}

}  // namespace

qnrDock::~qnrDock() { DestroyControlWindow(); }

int qnrDock::Twips(int twips) const { return MulDiv(twips, dpi_, 1440); }

bool qnrDock::CloseCross::Create(HWND parent, int size) {
    return CreateControlWindow(kCloseClass, parent, 0, RECT{0, 0, size, size}, WS_VISIBLE);
}

bool qnrDock::Create(HWND parent, int id, const std::wstring& caption) {
    dpi_ = ScreenDpi(LOGPIXELSY);
    if (!CreateControlWindow(kPanelClass, parent, id, RECT{0, 0, Twips(3240), Twips(3500)}, WS_CLIPCHILDREN | WS_BORDER,
                             WS_EX_CONTROLPARENT))
        return false;
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof(metrics);
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    font_.reset(CreateFontIndirectW(&metrics.lfMessageFont));
    label_ = CreateWindowExW(0, L"STATIC", caption.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP, 0, 0, 10, 10,
                             hWnd(), nullptr, GetModuleHandleW(nullptr), nullptr);
    close_.Create(hWnd(), Twips(kCloseSize));
    text_ = CreateWindowExW(
        WS_EX_CLIENTEDGE, L"EDIT", L"",
        WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | ES_AUTOHSCROLL,
        0, 0, 10, 10, hWnd(), nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(text_, EM_SETLIMITTEXT, 0, 0);
    for (HWND child : {label_, text_}) SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    RECT client;
    GetClientRect(hWnd(), &client);
    Layout(client.right, client.bottom);
    return true;
}

std::wstring qnrDock::Caption() const {
    std::vector<wchar_t> buffer(GetWindowTextLengthW(label_) + 1);
    GetWindowTextW(label_, buffer.data(), static_cast<int>(buffer.size()));
    return buffer.data();
}

void qnrDock::Caption(const std::wstring& caption) { SetWindowTextW(label_, caption.c_str()); }

std::wstring qnrDock::Text() const {
    std::vector<wchar_t> buffer(GetWindowTextLengthW(text_) + 1);
    GetWindowTextW(text_, buffer.data(), static_cast<int>(buffer.size()));
    return buffer.data();
}

void qnrDock::Text(const std::wstring& text) { SetWindowTextW(text_, text.c_str()); }

void qnrDock::AppendText(const std::wstring& text) {
    const int end = GetWindowTextLengthW(text_);
    SendMessageW(text_, EM_SETSEL, end, end);
    SendMessageW(text_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

void qnrDock::IsTextVisible(bool visible) {
    isTextVisible_ = visible;
    ShowWindow(text_, visible ? SW_SHOW : SW_HIDE);
}

bool qnrDock::Visible() const { return hWnd() && IsWindowVisible(hWnd()); }

void qnrDock::Visible(bool visible) {
    if (!hWnd()) return;
    ShowWindow(hWnd(), visible ? SW_SHOW : SW_HIDE);
    if (visible) SetWindowPos(hWnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void qnrDock::Move(int x, int y, int width, int height) {
    if (width <= 0 || height <= 0) return;
    MoveWindow(hWnd(), x, y, width, height, TRUE);
}

void qnrDock::Refresh() { RedrawWindow(hWnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW); }

void qnrDock::Layout(int width, int height) {
    const int closeSize = Twips(kCloseSize);
    const int closeLeft = width - closeSize - 2;
    MoveWindow(close_.hWnd(), closeLeft, Twips(kCloseTop), closeSize, closeSize, TRUE);
    const int labelWidth = closeLeft - Twips(kLabelLeft);
    if (labelWidth > 0) MoveWindow(label_, Twips(kLabelLeft), Twips(kLabelTop), labelWidth, Twips(kLabelHeight), TRUE);
    lineY_ = Twips(kLine0Top);
    // A size the text box cannot take keeps its previous one.
    const int textWidth = width - Twips(240);
    const int textHeight = height - Twips(710);
    if (textWidth > 0 && textHeight > 0)
        MoveWindow(text_, Twips(kTextLeft), Twips(kTextTop), textWidth, textHeight, TRUE);
    InvalidateRect(hWnd(), nullptr, TRUE);
}

void qnrDock::PaintPanel() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hWnd(), &ps);
    RECT client;
    GetClientRect(hWnd(), &client);
    Line(dc, 2, lineY_, client.right - 2, lineY_, RGB(0x80, 0x80, 0x80));
    Line(dc, 2, lineY_ + 1, client.right - 2, lineY_ + 1, RGB(0xFF, 0xFF, 0xFF));
    EndPaint(hWnd(), &ps);
}

void qnrDock::PaintClose() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(close_.hWnd(), &ps);
    RECT client;
    GetClientRect(close_.hWnd(), &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    // A 16 x 16 cross centred in the picture.
    const int left = (client.right - 16) / 2, top = (client.bottom - 16) / 2;
    {
        UniqueGdiObject pen(CreatePen(PS_SOLID, 2, GetSysColor(COLOR_BTNTEXT)));
        SelectedObject selected(dc, pen.get());
        MoveToEx(dc, left + 4, top + 4, nullptr);
        LineTo(dc, left + 12, top + 12);
        MoveToEx(dc, left + 11, top + 4, nullptr);
        LineTo(dc, left + 3, top + 12);
    }
    EndPaint(close_.hWnd(), &ps);
    if (hovering_) DrawRelief(true);
}

void qnrDock::DrawRelief(bool raised) {
    WindowDc window(close_.hWnd());
    HDC dc = window.get();
    RECT client;
    GetClientRect(close_.hWnd(), &client);
    const int w = client.right, h = client.bottom;
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const COLORREF light = raised ? RGB(0xFF, 0xFF, 0xFF) : face;
    const COLORREF shadow = raised ? RGB(0x80, 0x80, 0x80) : face;
    Line(dc, 0, 0, w, 0, light);
    Line(dc, 0, 0, 0, h, light);
    Line(dc, 1, h - 1, w, h - 1, shadow);
    Line(dc, w - 1, 1, w - 1, h, shadow);
}

LRESULT qnrDock::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE: Layout(LOWORD(lParam), HIWORD(lParam)); return 0;
    case WM_PAINT: PaintPanel(); return 0;
    case WM_CTLCOLORSTATIC:
        // The read-only text box keeps the window colour of a text field.
        if (reinterpret_cast<HWND>(lParam) == text_) {
            SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOW));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
        }
        break;
    }
    return ControlWindow::HandleMessage(message, wParam, lParam);
}

LRESULT qnrDock::OnCloseMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: PaintClose(); return 0;
    case WM_MOUSEMOVE: {
        RECT client;
        GetClientRect(close_.hWnd(), &client);
        const int x = static_cast<short>(LOWORD(lParam)), y = static_cast<short>(HIWORD(lParam));
        if (x < 0 || y < 0 || x > client.right || y > client.bottom) {
            hovering_ = false;
            ReleaseCapture();
            DrawRelief(false);
        } else if (!hovering_) {
            hovering_ = true;
            SetCapture(close_.hWnd());
            DrawRelief(true);
        }
        return 0;
    }
    case WM_LBUTTONUP: {
        RECT client;
        GetClientRect(close_.hWnd(), &client);
        POINT at = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        if (!PtInRect(&client, at)) return 0;
        if (hovering_) {
            hovering_ = false;
            ReleaseCapture();
            DrawRelief(false);
        }
        ShowWindow(hWnd(), SW_HIDE);
        if (OnClose) OnClose();
        return 0;
    }
    }
    return DefWindowProcW(close_.hWnd(), message, wParam, lParam);
}

}  // namespace bralto
