// frmQuickExtract: does the main window's express extraction take the
// marked members or the whole archive? The rest of the job is fixed.
#pragma once

#include <windows.h>

#include <string>

namespace bralto {

struct QuickExtractAnswer {
    std::wstring tag;          // "OK" when confirmed, "" otherwise
    bool selectedOnly = true;  // optDel(0) chosen: only the marked members
};

class frmQuickExtract {
public:
    enum ControlId {
        optDel0 = 101, optDel1 = 102, fraExtract = 103, qnrImage1 = 104,  // optDel(i) = 101 + i
        cmdAction0 = 200, cmdAction1 = 201                                // cmdAction(i) = 200 + i
    };

    // Shows the window modally, owned by `owner`; returns when it closes.
    static QuickExtractAnswer Show(HWND owner);

    // The window's fixed picture: a closed archive with a green arrow
    // rising out of it, on the mask colour kPictureMask (magenta). The
    // caller owns the bitmap.
    static constexpr COLORREF kPictureMask = RGB(255, 0, 255);
    static HBITMAP MakePicture(int size);
};

}  // namespace bralto
