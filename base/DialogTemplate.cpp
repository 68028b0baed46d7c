#include "DialogTemplate.h"

#include <cstring>

#include "GdiHandles.h"

namespace bralto {

DialogTemplate::DialogTemplate(const std::wstring& caption, DWORD style, short width, short height) {
    DLGTEMPLATE header = {};
    header.style = style | DS_SETFONT | DS_MODALFRAME;
    header.cx = width;
    header.cy = height;
    words_.resize(sizeof(header) / sizeof(WORD));
    std::memcpy(words_.data(), &header, sizeof(header));
    words_.push_back(0);  // no menu
    words_.push_back(0);  // default class
    AppendText(caption);
    words_.push_back(8);  // point size
    AppendText(L"MS Shell Dlg");
}

void DialogTemplate::Align() {
    if (words_.size() % 2) words_.push_back(0);
}

void DialogTemplate::AppendText(const std::wstring& text) {
    words_.insert(words_.end(), text.begin(), text.end());
    words_.push_back(0);
}

void DialogTemplate::AddItem(WORD classAtom, int id, const std::wstring& text, DWORD style, short x, short y,
                             short width, short height, DWORD exStyle) {
    Align();
    DLGITEMTEMPLATE item = {};
    item.style = style | WS_CHILD | WS_VISIBLE;
    item.dwExtendedStyle = exStyle;
    item.x = x;
    item.y = y;
    item.cx = width;
    item.cy = height;
    item.id = static_cast<WORD>(id);
    const size_t at = words_.size();
    words_.resize(at + sizeof(item) / sizeof(WORD));
    std::memcpy(words_.data() + at, &item, sizeof(item));
    words_.push_back(0xFFFF);
    words_.push_back(classAtom);
    AppendText(text);
    words_.push_back(0);  // no creation data
    DLGTEMPLATE* header = reinterpret_cast<DLGTEMPLATE*>(words_.data());
    header->cdit = static_cast<WORD>(header->cdit + 1);
}

INT_PTR DialogTemplate::Show(HWND owner, DLGPROC proc, LPARAM parameter) const {
    return DialogBoxIndirectParamW(GetModuleHandleW(nullptr), Get(), owner, proc, parameter);
}

void DrawPadlock(HDC dc, const RECT& area) {
    FillRect(dc, &area, GetSysColorBrush(COLOR_BTNFACE));
    const int w = area.right - area.left, h = area.bottom - area.top;
    const int size = w < h ? w : h;
    const int left = area.left + (w - size) / 2, top = area.top + (h - size) / 2;
    // Shackle: a thick arch above the body.
    {
        UniqueGdiObject shackle(CreatePen(PS_SOLID, size / 8 + 1, RGB(0x70, 0x70, 0x78)));
        SelectedObject pen(dc, shackle.get()), brush(dc, GetStockObject(NULL_BRUSH));
        Arc(dc, left + size / 4, top + size / 12, left + 3 * size / 4, top + 7 * size / 12, left + 3 * size / 4,
            top + size / 3, left + size / 4, top + size / 3);
        MoveToEx(dc, left + size / 4, top + size / 3, nullptr);
        LineTo(dc, left + size / 4, top + size / 2);
        MoveToEx(dc, left + 3 * size / 4, top + size / 3, nullptr);
        LineTo(dc, left + 3 * size / 4, top + size / 2);
    }
    // Body: a golden block with a dark key hole.
    UniqueGdiObject body(CreateSolidBrush(RGB(0xE0, 0xB0, 0x30)));
    UniqueGdiObject edge(CreatePen(PS_SOLID, 1, RGB(0x80, 0x60, 0x10)));
    UniqueGdiObject hole(CreateSolidBrush(RGB(0x30, 0x20, 0x00)));
    SelectedObject pen(dc, edge.get());
    {
        SelectedObject brush(dc, body.get());
        RoundRect(dc, left + size / 8, top + size / 2, left + 7 * size / 8, top + size - 1, size / 6, size / 6);
    }
    SelectedObject brush(dc, hole.get());
    Ellipse(dc, left + 7 * size / 16, top + 5 * size / 8, left + 9 * size / 16, top + 6 * size / 8);
}

std::wstring ControlText(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    std::vector<wchar_t> buffer(GetWindowTextLengthW(control) + 1);
    GetWindowTextW(control, buffer.data(), static_cast<int>(buffer.size()));
    return buffer.data();
}

}  // namespace bralto
