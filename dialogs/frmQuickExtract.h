// frmQuickExtract: does the main window's express extraction take the
// marked members or the whole archive? The rest of the job is fixed.
#pragma once

#include <windows.h>

#include "MarkedOrAllWindow.h"

#include <string>

namespace bralto {

struct QuickExtractAnswer {
    std::wstring tag;          // "OK" when confirmed, "" otherwise
    bool selectedOnly = true;  // optDel(0) chosen: only the marked members
};

class frmQuickExtract {
public:
    enum ControlId {
        optDel0 = kOptDel0,
        optDel1 = kOptDel1,
        fraExtract = kFrame,
        qnrImage1 = kPicture,  // optDel(i) = 101 + i
        cmdAction0 = kCmdAction0,
        cmdAction1 = kCmdAction1  // cmdAction(i) = 200 + i
    };

    // Shows the window modally, owned by `owner`; returns when it closes.
    static QuickExtractAnswer Show(HWND owner);

    // The window's fixed picture: a closed archive with a green arrow
    // rising out of it, on the mask colour kPictureMask (magenta). The
    // caller owns the bitmap.
    static constexpr COLORREF kPictureMask = kMarkedOrAllMask;
    static HBITMAP MakePicture(int size);
};

}  // namespace bralto
