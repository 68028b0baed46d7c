// qnrDock: a panel with a title bar (caption at the left, a close cross at
// the right that rises in relief under the mouse, a groove under the
// title) and a read-only text box filling the rest. Clicking the cross
// hides the panel and raises OnClose; the host shows it again.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace bralto {

class qnrDock {
public:
    qnrDock() = default;
    ~qnrDock();
    qnrDock(const qnrDock&) = delete;
    qnrDock& operator=(const qnrDock&) = delete;

    // Creates the panel as a hidden child of `parent`.
    bool Create(HWND parent, int id, const std::wstring& caption);
    HWND hWnd() const { return hwnd_; }
    HWND TextBox() const { return text_; }
    HWND CloseBox() const { return close_; }

    std::wstring Caption() const;
    void Caption(const std::wstring& caption);
    std::wstring Text() const;
    void Text(const std::wstring& text);
    // Appends at the end without rewriting the whole text box.
    void AppendText(const std::wstring& text);
    bool IsTextVisible() const { return isTextVisible_; }
    void IsTextVisible(bool visible);
    bool Visible() const;
    void Visible(bool visible);
    void Move(int x, int y, int width, int height);
    void Refresh();

    // Raised after a click on the close cross has hidden the panel.
    std::function<void()> OnClose;

private:
    static LRESULT CALLBACK PanelProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK CloseProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnPanelMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnCloseMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void Layout(int width, int height);
    void PaintPanel();
    void PaintClose();
    void DrawRelief(bool raised);
    int Twips(int twips) const;

    HWND hwnd_ = nullptr;
    HWND label_ = nullptr;
    HWND close_ = nullptr;
    HWND text_ = nullptr;
    HFONT font_ = nullptr;
    bool isTextVisible_ = true;
    bool hovering_ = false;
    int lineY_ = 0;
    int dpi_ = 96;
};

}  // namespace bralto
