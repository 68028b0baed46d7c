// frmDelete: does the delete command remove the marked members or every
// member of the archive?
#pragma once

#include <windows.h>

#include "MarkedOrAllWindow.h"

#include <string>

namespace bralto {

struct DeleteAnswer {
    std::wstring tag;          // "OK" when confirmed, "" otherwise
    bool selectedOnly = true;  // optDel(0) chosen: only the marked members
};

class frmDelete {
public:
    enum ControlId {
        optDel0 = kOptDel0,
        optDel1 = kOptDel1,
        fraDel = kFrame,
        qnrImage1 = kPicture,  // optDel(i) = 101 + i
        cmdAction0 = kCmdAction0,
        cmdAction1 = kCmdAction1  // cmdAction(i) = 200 + i
    };

    static DeleteAnswer Show(HWND owner);

    // The window's fixed picture: a page with a red cross on the mask
    // colour kPictureMask (magenta). The caller owns the bitmap.
    static constexpr COLORREF kPictureMask = kMarkedOrAllMask;
    static HBITMAP MakePicture(int size);
};

}  // namespace bralto
