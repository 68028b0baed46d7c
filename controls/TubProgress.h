// TubProgress: a self-drawn bar gauge filled in proportion to Value between
// Min and Max, from the left (horizontal) or from the bottom (vertical),
// optionally framed. It draws on a persistent surface and, after a full
// redraw, repaints only the band by which the filled length changed.
//
// Rejected Min, Max and Value assignments throw AutomationError (numbers
// kErrProgressRange and kErrProgressValue, source "TubProgress") and change
// nothing.
#pragma once

#include <windows.h>

#include "GdiHandles.h"
#include "ControlEvents.h"
#include "ControlWindow.h"

namespace bralto {

constexpr long kErrProgressRange = static_cast<long>(0x80040201UL);
constexpr long kErrProgressValue = static_cast<long>(0x80040202UL);

struct TubProgressArgs {
    HWND parent = nullptr;
    int id = 0;
    RECT place = {0, 0, 150, 20};  // pixels of the parent's client area
    long borderStyle = 2;          // 0 none, 1 black line, 2 sunken frame
    long orientation = 0;          // 0 horizontal, other values vertical
    long min = 0;
    long max = 100;
    long backColor = static_cast<long>(0x8000000FUL);  // button face
    long foreColor = 0x808000;
    bool visible = true;
};

class TubProgress : public ControlWindow, public MouseEvents {
public:
    TubProgress() = default;
    // False when the window could not be made. The argument's range is
    // taken as given when it is sound, the defaults otherwise.
    bool Create(const TubProgressArgs& args);

    long BorderStyle() const { return borderStyle_; }
    void BorderStyle(long style);
    long Orientation() const { return orientation_; }
    void Orientation(long orientation);
    long Min() const { return min_; }
    void Min(long value);
    long Max() const { return max_; }
    void Max(long value);
    long Value() const { return value_; }
    void Value(long value);
    long BackColor() const { return backColor_; }
    void BackColor(long colour);
    long ForeColor() const { return foreColor_; }
    void ForeColor(long colour);
    void Refresh();

    // What the control shows: the colour of pixel (x, y) of its surface,
    // and the filled length as last painted.
    COLORREF PixelAt(int x, int y) const;
    int DrawnLength() const { return drawnLength_; }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    bool IsFramed() const { return borderStyle_ != 0; }
    bool IsVertical() const { return orientation_ != 0; }
    int InnerLength() const;
    void HandleResize();
    void MakeSurface();
    void DrawFrame();
    void PaintBar();
    void FullRedraw();
    void FillBox(int left, int top, int right, int bottom, long colour);
    void OnPaint();

    unsigned char borderStyle_ = 2;
    unsigned char orientation_ = 0;
    long min_ = 0;
    long max_ = 100;
    long value_ = 0;
    long backColor_ = static_cast<long>(0x8000000FUL);
    long foreColor_ = 0x808000;
    short drawnLength_ = 0;
    short newLength_ = 0;
    int width_ = 0;
    int height_ = 0;
    bool resizing_ = false;
    Surface surface_;
};

}  // namespace bralto
