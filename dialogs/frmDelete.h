// frmDelete: does the delete command remove the marked members or every
// member of the archive?
#pragma once

#include <windows.h>

#include <string>

namespace bralto {

struct DeleteAnswer {
    std::wstring tag;          // "OK" when confirmed, "" otherwise
    bool selectedOnly = true;  // optDel(0) chosen: only the marked members
};

class frmDelete {
public:
    enum ControlId {
        optDel0 = 101, optDel1 = 102, fraDel = 103, qnrImage1 = 104,  // optDel(i) = 101 + i
        cmdAction0 = 200, cmdAction1 = 201                            // cmdAction(i) = 200 + i
    };

    static DeleteAnswer Show(HWND owner);

    // The window's fixed picture: a page with a red cross on the mask
    // colour kPictureMask (magenta). The caller owns the bitmap.
    static constexpr COLORREF kPictureMask = RGB(255, 0, 255);
    static HBITMAP MakePicture(int size);
};

}  // namespace bralto
