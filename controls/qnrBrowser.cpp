#include "qnrBrowser.h"

#include <commctrl.h>

#include <vector>

#include "Texts.h"

namespace bralto {

namespace {

const wchar_t kClassName[] = L"qnrBrowser";
constexpr UINT_PTR kSubclassId = 1;
constexpr int kButtonTwips = 285;
constexpr int kButtonId = 1;
constexpr int kTextId = 2;

}  // namespace

qnrBrowser::~qnrBrowser() {
    if (text_) RemoveWindowSubclass(text_, &qnrBrowser::TextProc, kSubclassId);
    DestroyControlWindow();
}

int qnrBrowser::PixelsX(int twips) const { return MulDiv(twips, dpiX_, 1440); }
int qnrBrowser::PixelsY(int twips) const { return MulDiv(twips, dpiY_, 1440); }

bool qnrBrowser::Create(const qnrBrowserArgs& args) {
    {
        WindowDc screen(nullptr);
        dpiX_ = GetDeviceCaps(screen.get(), LOGPIXELSX);
        dpiY_ = GetDeviceCaps(screen.get(), LOGPIXELSY);
    }
    windowCaption_ = args.windowCaption.empty() ? texts::kBrowserCaption : args.windowCaption;
    browseFolder_ = args.browseFolder;
    folderChoice_ = args.folderChoice;
    backColor_ = args.backColor;
    foreColor_ = args.foreColor;
    backBrush_.reset(CreateSolidBrush(OleColorToRgb(backColor_)));
    RECT place = args.place;
    place.bottom = place.top + PixelsY(kHeightTwips);
    if (!CreateControlWindow(kClassName, args.parent, args.id, place,
                             WS_CLIPCHILDREN | WS_TABSTOP | (args.visible ? WS_VISIBLE : 0), WS_EX_CONTROLPARENT))
        return false;
    HWND self = ControlWindow::hWnd();
    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    // The button is made first so that it stays above the text box.
    button_ =
        CreateWindowExW(0, L"BUTTON", texts::kBrowserButton, WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 0, 0, 10, 10, self,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kButtonId)), GetModuleHandleW(nullptr), nullptr);
    text_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", args.text.c_str(),
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL | WS_CLIPSIBLINGS, 0, 0, 10, 10, self,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTextId)), GetModuleHandleW(nullptr), nullptr);
    if (!button_ || !text_) return false;
    SendMessageW(button_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SendMessageW(text_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SetWindowSubclass(text_, &qnrBrowser::TextProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
    Locked(args.locked);
    MaxLength(args.maxLength);
    EnableWindow(self, args.enabled);
    RECT client;
    GetClientRect(self, &client);
    Layout(client.right, client.bottom);
    return true;
}

void qnrBrowser::Layout(int width, int height) {
    if (!text_ || !button_) return;
    const int forced = PixelsY(kHeightTwips);
    if (height != forced && !sizing_) {
        sizing_ = true;
        RECT window;
        GetWindowRect(ControlWindow::hWnd(), &window);
        SetWindowPos(ControlWindow::hWnd(), nullptr, 0, 0, window.right - window.left, forced,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        sizing_ = false;
        height = forced;
    }
    MoveWindow(text_, 0, 0, width, height, TRUE);
    const int buttonWidth = PixelsX(kButtonTwips);
    const int buttonHeight = PixelsY(kButtonTwips) - 4;
    MoveWindow(button_, width - buttonWidth - 2, 2, buttonWidth, buttonHeight, TRUE);
    // Typed text stops before the button instead of running under it.
    SendMessageW(text_, EM_SETMARGINS, EC_RIGHTMARGIN, MAKELPARAM(0, buttonWidth + 2));
}

std::wstring qnrBrowser::Text() const {
    std::vector<wchar_t> buffer(static_cast<size_t>(GetWindowTextLengthW(text_)) + 1);
    GetWindowTextW(text_, buffer.data(), static_cast<int>(buffer.size()));
    return buffer.data();
}

void qnrBrowser::Text(const std::wstring& text) { SetWindowTextW(text_, text.c_str()); }

bool qnrBrowser::Locked() const { return (GetWindowLongW(text_, GWL_STYLE) & ES_READONLY) != 0; }
void qnrBrowser::Locked(bool locked) { SendMessageW(text_, EM_SETREADONLY, locked, 0); }

long qnrBrowser::MaxLength() const {
    const LRESULT limit = SendMessageW(text_, EM_GETLIMITTEXT, 0, 0);
    return limit >= 0x7FFFFFFE ? 0 : static_cast<long>(limit);
}
void qnrBrowser::MaxLength(long length) { SendMessageW(text_, EM_SETLIMITTEXT, length > 0 ? length : 0, 0); }

long qnrBrowser::SelStart() const {
    DWORD start = 0, end = 0;
    SendMessageW(text_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return static_cast<long>(start);
}
void qnrBrowser::SelStart(long start) { SendMessageW(text_, EM_SETSEL, start, start); }

long qnrBrowser::SelLength() const {
    DWORD start = 0, end = 0;
    SendMessageW(text_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return static_cast<long>(end - start);
}
void qnrBrowser::SelLength(long length) {
    const long start = SelStart();
    SendMessageW(text_, EM_SETSEL, start, start + (length > 0 ? length : 0));
}

std::wstring qnrBrowser::SelText() const {
    const std::wstring text = Text();
    const size_t start = static_cast<size_t>(SelStart());
    return start < text.size() ? text.substr(start, static_cast<size_t>(SelLength())) : L"";
}
void qnrBrowser::SelText(const std::wstring& text) {
    SendMessageW(text_, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}

void qnrBrowser::BackColor(long colour) {
    backColor_ = colour;
    backBrush_.reset(CreateSolidBrush(OleColorToRgb(colour)));
    InvalidateRect(text_, nullptr, TRUE);
}

void qnrBrowser::ForeColor(long colour) {
    foreColor_ = colour;
    InvalidateRect(text_, nullptr, TRUE);
}

bool qnrBrowser::Enabled() const { return IsWindowEnabled(ControlWindow::hWnd()) != 0; }
void qnrBrowser::Enabled(bool enabled) { EnableWindow(ControlWindow::hWnd(), enabled); }

void qnrBrowser::Refresh() {
    RedrawWindow(ControlWindow::hWnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void qnrBrowser::Browse() {
    if (ButtonClick) ButtonClick();
    if (!browseFolder_ || !folderChoice_) return;
    std::unique_ptr<FolderChoice> dialog = folderChoice_();
    if (!dialog) return;
    dialog->Caption(windowCaption_);
    if (!dialog->OpenAFolder(Text())) dialog->OpenAFolder(L"C:");
    const std::wstring chosen = dialog->ShowModal(GetAncestor(ControlWindow::hWnd(), GA_ROOT));
    if (!chosen.empty()) Text(chosen);
    // The dialog is unloaded before the host hears of the new folder.
    dialog.reset();
    if (chosen.empty()) return;
    if (OnSelectFolder) OnSelectFolder();
}

LRESULT qnrBrowser::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE: Layout(LOWORD(lParam), HIWORD(lParam)); return 0;
    case WM_COMMAND:
        if (reinterpret_cast<HWND>(lParam) == button_ && HIWORD(wParam) == BN_CLICKED) {
            Browse();
            return 0;
        }
        if (reinterpret_cast<HWND>(lParam) == text_ && HIWORD(wParam) == EN_CHANGE) {
            if (Change) Change();
            return 0;
        }
        break;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
        if (reinterpret_cast<HWND>(lParam) == text_ && IsWindowEnabled(text_)) {
            HDC dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, OleColorToRgb(foreColor_));
            SetBkColor(dc, OleColorToRgb(backColor_));
            return reinterpret_cast<LRESULT>(backBrush_.get());
        }
        break;
    case WM_ENABLE:
        EnableWindow(text_, wParam != 0);
        EnableWindow(button_, wParam != 0);
        return 0;
    }
    return ControlWindow::HandleMessage(message, wParam, lParam);
}

LRESULT CALLBACK qnrBrowser::TextProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                      DWORD_PTR self) {
    return reinterpret_cast<qnrBrowser*>(self)->OnTextMessage(message, wParam, lParam);
}

LRESULT qnrBrowser::OnTextMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const KeyOutcome key = ForwardKey(message, wParam, lParam);
    if (key == KeyOutcome::kSwallowed) return 0;
    const bool isKeyDown = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
    if (key == KeyOutcome::kPassOn && isKeyDown && wParam == VK_DOWN && KeyShiftState(lParam) == 4) {
        Browse();
        return 0;
    }
    if (ForwardMouse(message, wParam, lParam)) ForwardClicks(message);
    return DefSubclassProc(text_, message, wParam, lParam);
}

}  // namespace bralto
