// The small window that asks whether a command takes the marked members or
// the whole archive: a frame with two options (the first chosen at start),
// OK (Enter) and Annuler (Escape, the close box), and a fixed picture. The
// delete and express extraction windows are this window with their own
// texts and picture.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace bralto {

struct MarkedOrAllAnswer {
    std::wstring tag;          // "OK" when confirmed, "" otherwise
    bool selectedOnly = true;  // optDel(0) chosen: only the marked members
};

struct MarkedOrAllDesign {
    const wchar_t* caption;
    const wchar_t* frame;
    const wchar_t* marked;  // optDel(0)
    const wchar_t* all;     // optDel(1)
    const wchar_t* ok;
    const wchar_t* cancel;
    HBITMAP (*makePicture)(int size);  // the caller's picture on kMarkedOrAllMask
    const wchar_t* helpTopic;          // the page F1 opens (help_topics)
};

// Control identifiers shared by every window of this kind.
enum MarkedOrAllId {
    kOptDel0 = 101,
    kOptDel1 = 102,
    kFrame = 103,
    kPicture = 104,  // optDel(i) = 101 + i
    kCmdAction0 = 200,
    kCmdAction1 = 201  // cmdAction(i) = 200 + i
};

constexpr COLORREF kMarkedOrAllMask = RGB(255, 0, 255);

// Shows the window modally, owned by `owner`; returns when it closes.
MarkedOrAllAnswer ShowMarkedOrAll(HWND owner, const MarkedOrAllDesign& design);

// A `size`-pixel square bitmap filled with the mask colour, then drawn on
// by `draw`. The caller owns the bitmap; nullptr when it cannot be made.
HBITMAP MakeMaskedPicture(int size, const std::function<void(HDC, int)>& draw);

}  // namespace bralto
