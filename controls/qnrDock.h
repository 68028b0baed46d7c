// qnrDock: a panel with a title bar (caption at the left, a close cross at
// the right that rises in relief under the mouse, a groove under the
// title) and a read-only text box filling the rest. Clicking the cross
// hides the panel and raises OnClose; the host shows it again.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "ControlWindow.h"
#include "GdiHandles.h"

namespace bralto {

class qnrDock : public ControlWindow {
public:
    qnrDock() = default;
    ~qnrDock() override;

    // Creates the panel as a hidden child of `parent`.
    bool Create(HWND parent, int id, const std::wstring& caption);
    HWND TextBox() const { return text_; }
    HWND CloseBox() const { return close_.hWnd(); }

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

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // The close cross: a window of its own class whose messages the panel
    // handles.
    class CloseCross : public ControlWindow {
    public:
        explicit CloseCross(qnrDock& panel) : panel_(panel) {}
        bool Create(HWND parent, int size);

    protected:
        LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
            return panel_.OnCloseMessage(message, wParam, lParam);
        }

    private:
        qnrDock& panel_;
    };

    LRESULT OnCloseMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void Layout(int width, int height);
    void PaintPanel();
    void PaintClose();
    void DrawRelief(bool raised);
    int Twips(int twips) const;

    HWND label_ = nullptr;
    CloseCross close_{*this};
    HWND text_ = nullptr;
    UniqueGdiObject font_;
    bool isTextVisible_ = true;
    bool hovering_ = false;
    int lineY_ = 0;
    int dpi_ = 96;
};

}  // namespace bralto
