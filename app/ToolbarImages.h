// The six 16 x 16 toolbar images of the main window (imaButton), drawn in
// code: new archive, open, add, extract, express extraction, delete.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "GdiHandles.h"

namespace bralto {

// A new image list holding the six images in button order (empty when GDI
// refuses).
UniqueImageList CreateToolbarImages();

}  // namespace bralto
