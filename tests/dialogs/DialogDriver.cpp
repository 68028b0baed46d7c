#include "DialogDriver.h"

#include <fstream>
#include <vector>

#include "GdiHandles.h"

namespace bralto::test {

namespace {

struct Search {
    std::wstring caption;
    HWND found = nullptr;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<Search*>(parameter);
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (std::wstring(className) != L"#32770" || !IsWindowVisible(window)) return TRUE;
    if (WindowText(window) != search->caption) return TRUE;
    search->found = window;
    return FALSE;
}

BOOL CALLBACK MatchOwnDialog(HWND window, LPARAM parameter) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid == GetCurrentProcessId() ? MatchDialog(window, parameter) : TRUE;
}

// Top-level windows of this process only: other programs of the Wine
// session may show dialogs of the same caption.
HWND FindDialog(const std::wstring& caption) {
    Search search{caption, nullptr};
    EnumWindows(MatchOwnDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

HWND WaitForDialog(const std::wstring& caption, DWORD milliseconds) {
    for (DWORD waited = 0; waited <= milliseconds; waited += 20) {
        if (HWND dialog = FindDialog(caption)) return dialog;
        Sleep(20);
    }
    return nullptr;
}

bool WaitForDialogGone(const std::wstring& caption, DWORD milliseconds) {
    for (DWORD waited = 0; waited <= milliseconds; waited += 20) {
        if (!FindDialog(caption)) return true;
        Sleep(20);
    }
    return false;
}

DialogUser::DialogUser(std::wstring caption, std::function<void(HWND)> act)
    : thread_([this, caption = std::move(caption), act = std::move(act)] { Run(caption, act); }) {}

DialogUser::~DialogUser() { thread_.join(); }

void DialogUser::Run(std::wstring caption, std::function<void(HWND)> act) {
    HWND dialog = WaitForDialog(caption);
    if (!dialog) return;
    found_ = true;
    act(dialog);
    if (IsWindow(dialog) && IsWindowVisible(dialog)) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
}

void Click(HWND dialog, int id) { SendDlgItemMessageW(dialog, id, BM_CLICK, 0, 0); }
void PostClick(HWND dialog, int id) { PostMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
bool IsChecked(HWND dialog, int id) { return SendDlgItemMessageW(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED; }
bool IsEnabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != 0; }
int ComboIndex(HWND dialog, int id) { return static_cast<int>(SendDlgItemMessageW(dialog, id, CB_GETCURSEL, 0, 0)); }
void SelectCombo(HWND dialog, int id, int index) {
    SendDlgItemMessageW(dialog, id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}
int ComboCount(HWND dialog, int id) { return static_cast<int>(SendDlgItemMessageW(dialog, id, CB_GETCOUNT, 0, 0)); }

std::wstring ComboEntry(HWND dialog, int id, int index) {
    const LRESULT length = SendDlgItemMessageW(dialog, id, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR) return L"<none>";
    std::vector<wchar_t> text(static_cast<size_t>(length) + 1);
    SendDlgItemMessageW(dialog, id, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    return text.data();
}

std::wstring WindowText(HWND window) {
    std::vector<wchar_t> text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1);
    GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
    return text.data();
}

std::wstring ItemText(HWND dialog, int id) { return WindowText(GetDlgItem(dialog, id)); }

namespace {

// A control's DC with the control's own font selected, for measuring.
class FontDc {
public:
    explicit FontDc(HWND control)
        : dc_(control), font_(dc_.get(), reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0))) {}
    HDC get() const { return dc_.get(); }

private:
    bralto::WindowDc dc_;
    bralto::SelectedObject font_;
};

// The width `text` takes in the control's font; `flags` DT_NOPREFIX for
// text drawn without a mnemonic mark.
int TextWidth(HWND control, const std::wstring& text, UINT flags = 0) {
    FontDc dc(control);
    RECT box{0, 0, 0, 0};
    DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &box, DT_CALCRECT | DT_SINGLELINE | flags);
    return box.right - box.left;
}

// The room a control leaves for its caption, or -1 for a control whose
// text is not checked.
int CaptionRoom(HWND control, const std::wstring& className, LONG style) {
    RECT client{};
    GetClientRect(control, &client);
    const int width = client.right;
    if (className == L"Button") {
        if (style & BS_MULTILINE) return -1;
        switch (style & BS_TYPEMASK) {
        case BS_PUSHBUTTON:
        case BS_DEFPUSHBUTTON: return width - 6;
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
        case BS_3STATE:
        case BS_AUTO3STATE:
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON: return width - GetSystemMetrics(SM_CXMENUCHECK) - 4;
        case BS_GROUPBOX: return width - 12;
        default: return -1;
        }
    }
    if (className == L"Static") {
        if (style & (SS_ENDELLIPSIS | SS_PATHELLIPSIS | SS_WORDELLIPSIS)) return -1;
        const LONG type = style & SS_TYPEMASK;
        if (type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT && type != SS_LEFTNOWORDWRAP && type != SS_SIMPLE)
            return -1;
        // A label as high as two lines or more wraps its text: not checked.
        TEXTMETRICW metrics{};
        GetTextMetricsW(FontDc(control).get(), &metrics);
        return client.bottom >= 2 * metrics.tmHeight ? -1 : width;
    }
    return -1;
}

}  // namespace

std::vector<std::wstring> TextsCutShort(HWND dialog) {
    std::vector<std::wstring> cut;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child)) continue;
        wchar_t name[64] = {};
        GetClassNameW(child, name, 64);
        const std::wstring className = name;
        const LONG style = GetWindowLongW(child, GWL_STYLE);
        const std::wstring where = std::to_wstring(GetDlgCtrlID(child)) + L": ";
        if (className == L"ComboBox" && (style & 3) == CBS_DROPDOWNLIST) {
            COMBOBOXINFO info{};
            info.cbSize = sizeof info;
            GetComboBoxInfo(child, &info);
            const int room = info.rcItem.right - info.rcItem.left - 2;
            const int count = static_cast<int>(SendMessageW(child, CB_GETCOUNT, 0, 0));
            for (int i = 0; i < count; ++i) {
                std::wstring entry(static_cast<size_t>(SendMessageW(child, CB_GETLBTEXTLEN, i, 0)), L'\0');
                SendMessageW(child, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(entry.data()));
                // Entries are drawn without a mnemonic mark.
                if (TextWidth(child, entry, DT_NOPREFIX) > room) cut.push_back(where + entry);
            }
            continue;
        }
        const int room = CaptionRoom(child, className, style);
        const std::wstring text = WindowText(child);
        if (room >= 0 && !text.empty() && TextWidth(child, text) > room) cut.push_back(where + text);
    }
    return cut;
}

HWND FieldTextBox(HWND dialog, int id) { return FindWindowExW(GetDlgItem(dialog, id), nullptr, L"Edit", nullptr); }
std::wstring FieldText(HWND dialog, int id) { return WindowText(FieldTextBox(dialog, id)); }
void SetFieldText(HWND dialog, int id, const std::wstring& text) {
    SendMessageW(FieldTextBox(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

HWND FocusOf(HWND dialog) {
    GUITHREADINFO info = {sizeof(info)};
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

int FocusedId(HWND dialog) {
    HWND window = FocusOf(dialog);
    while (window && GetParent(window) != dialog) window = GetParent(window);
    return window ? GetDlgCtrlID(window) : 0;
}

void PressKey(HWND dialog, WORD virtualKey) {
    HWND focus = FocusOf(dialog);
    const UINT scan = MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
    PostMessageW(focus, WM_KEYDOWN, virtualKey, 1 | (scan << 16));
    PostMessageW(focus, WM_KEYUP, virtualKey, 1 | (scan << 16) | 0xC0000000u);
    Settle(dialog);
}

void PressF1(HWND dialog) {
    SetForegroundWindow(dialog);
    Settle(dialog);
    INPUT keys[2] = {};
    for (INPUT& key : keys) {
        key.type = INPUT_KEYBOARD;
        key.ki.wVk = VK_F1;
    }
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, keys, sizeof(INPUT));
}

void PressAlt(HWND dialog, wchar_t letter) {
    // Bit 29: the Alt key is down.
    PostMessageW(FocusOf(dialog), WM_SYSCHAR, towlower(letter), 1 | (1u << 29));
    Settle(dialog);
}

void TypeText(HWND dialog, const std::wstring& text) {
    HWND focus = FocusOf(dialog);
    for (wchar_t c : text) PostMessageW(focus, WM_CHAR, c, 1);
    Settle(dialog);
}

void Settle(HWND dialog) {
    for (int round = 0; round < 3; ++round) {
        Sleep(40);
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(dialog, WM_NULL, 0, 0, SMTO_NORMAL, 2000, &ignored);
    }
}

bool SaveWindowImage(HWND window, const std::wstring& path) {
    RECT frame;
    GetWindowRect(window, &frame);
    const int w = frame.right - frame.left, h = frame.bottom - frame.top;
    if (w <= 0 || h <= 0) return false;
    WindowDc screen(nullptr);
    UniqueMemoryDc memory(CreateCompatibleDC(screen.get()));
    UniqueGdiObject bitmap(CreateCompatibleBitmap(screen.get(), w, h));
    {
        SelectedObject into(memory.get(), bitmap.get());
        BitBlt(memory.get(), 0, 0, w, h, screen.get(), frame.left, frame.top, SRCCOPY);
    }
    BITMAPINFOHEADER info = {sizeof(info), w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    const int stride = (w * 3 + 3) & ~3;
    std::vector<unsigned char> pixels(static_cast<size_t>(stride) * h);
    GetDIBits(memory.get(), static_cast<HBITMAP>(bitmap.get()), 0, h, pixels.data(),
              reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    const DWORD offset = sizeof(BITMAPFILEHEADER) + sizeof(info);
    BITMAPFILEHEADER file = {0x4D42, static_cast<DWORD>(offset + pixels.size()), 0, 0, offset};
    std::ofstream out(path.c_str(), std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof(file));
    out.write(reinterpret_cast<const char*>(&info), sizeof(info));
    out.write(reinterpret_cast<const char*>(pixels.data()), static_cast<std::streamsize>(pixels.size()));
    return static_cast<bool>(out);
}

void ClearSettings() { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Quenor App Bralto"); }

}  // namespace bralto::test
