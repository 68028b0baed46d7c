// qnrImage: one picture with a transparent colour. The picture is the
// control's face and also its shape: pixels of the mask colour are cut out
// of the window, so the window behind shows through them and gets their
// mouse input. The control always takes the picture's size.
#pragma once

#include <windows.h>

#include "GdiHandles.h"
#include "ControlEvents.h"
#include "ControlWindow.h"

namespace bralto {

struct qnrImageArgs {
    HWND parent = nullptr;
    int id = 0;
    POINT position = {0, 0};                           // pixels of the parent's client area
    HBITMAP picture = nullptr;                         // ownership passes to the control
    long maskColor = static_cast<long>(0x8000000FUL);  // button face
    bool enabled = true;
    bool visible = true;
};

class qnrImage : public ControlWindow, public MouseEvents {
public:
    qnrImage() = default;
    bool Create(const qnrImageArgs& args);

    // The control owns the bitmap from here on; nullptr removes the
    // picture (the control shrinks to 0 x 0).
    void Picture(HBITMAP picture);
    HBITMAP Picture() const { return static_cast<HBITMAP>(picture_.get()); }
    long MaskColor() const { return maskColor_; }
    void MaskColor(long colour);
    bool Enabled() const { return enabled_; }
    void Enabled(bool enabled);

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    SIZE PictureSize() const;
    void FitToPicture();
    void ApplyShape();
    void OnPaint();

    UniqueGdiObject picture_;
    long maskColor_ = static_cast<long>(0x8000000FUL);
    bool enabled_ = true;
    bool sizing_ = false;
};

}  // namespace bralto
