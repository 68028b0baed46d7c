// qnrBI4Anim: a 19 x 19 pixel busy ring of twelve dots that light up in
// turn while a job runs, paced by a cTimer; hidden when stopped. The dots
// are drawn on a persistent surface (a memory bitmap) that the control
// paints from.
#pragma once

#include <windows.h>

#include <memory>

#include "ControlWindow.h"
#include "GdiHandles.h"
#include "cTimer.h"

namespace bralto {

class qnrBI4Anim : public ControlWindow {
public:
    static constexpr int kSize = 19;
    static constexpr int kDots = 12;

    qnrBI4Anim() = default;
    ~qnrBI4Anim() override;

    // Creates the control as a hidden child of `parent`.
    bool Create(HWND parent, int id);

    // Colours: system colours in the 0x800000nn form are accepted.
    long BackColor() const { return backColor_; }
    void BackColor(long colour);
    long ForeColor() const { return foreColor_; }
    void ForeColor(long colour) { foreColor_ = colour; }
    long Interval() const { return interval_; }
    void Interval(long milliseconds);
    bool Serpentin() const { return serpentin_; }
    void Serpentin(bool value) { serpentin_ = value; }

    bool IsPlaying() const { return playing_; }
    void StartPlaying();
    void StopPlaying();
    void Refresh();
    // Places the control with its top-left corner at (x, y); the size stays
    // 19 x 19 pixels whatever the host asks.
    void Move(int x, int y);

    // One frame, as a timer tick draws it (public for tests).
    void NextFrame();
    // Whether dot 1..12 is drawn in the fore colour on the surface.
    bool IsDotLit(int dot) const;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void ClearSurface();
    void DrawDot(int dot, long colour);
    void Paint();

    Surface surface_;
    long backColor_ = static_cast<long>(0x8000000F);
    long foreColor_ = static_cast<long>(0x80000002);
    long interval_ = 100;
    bool serpentin_ = false;
    bool playing_ = false;
    unsigned char frame_ = 0;
    std::unique_ptr<cTimer> timer_;
};

}  // namespace bralto
