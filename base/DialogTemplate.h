// Dialog templates built in memory, so that each dialog's layout lives
// with its code and its texts come from the one table of French texts.
// Units are dialog units; the font is the message font "MS Shell Dlg" 8.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace bralto {

class DialogTemplate {
public:
    DialogTemplate(const std::wstring& caption, DWORD style, short width, short height);

    // Predefined classes by atom: 0x0080 button, 0x0081 edit, 0x0082 static.
    void AddItem(WORD classAtom, int id, const std::wstring& text, DWORD style, short x, short y, short width,
                 short height, DWORD exStyle = 0);

    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

    // Shows the dialog modally; returns what EndDialog was given.
    INT_PTR Show(HWND owner, DLGPROC proc, LPARAM parameter) const;

private:
    void Align();
    void AppendText(const std::wstring& text);

    std::vector<WORD> words_;
};

constexpr WORD kButtonClass = 0x0080;
constexpr WORD kEditClass = 0x0081;
constexpr WORD kStaticClass = 0x0082;
constexpr WORD kComboBoxClass = 0x0085;

// The fixed picture of the password windows: a padlock drawn in `area`.
void DrawPadlock(HDC dc, const RECT& area);

// Window text of a dialog control.
std::wstring ControlText(HWND dialog, int id);

}  // namespace bralto
