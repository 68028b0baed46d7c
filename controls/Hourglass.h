// The hourglass over the program while a control reads the disk; the
// previous pointer comes back on every way out.
#pragma once

#include <windows.h>

namespace bralto {

class Hourglass {
public:
    Hourglass() : previous_(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
    ~Hourglass() { SetCursor(previous_); }
    Hourglass(const Hourglass&) = delete;
    Hourglass& operator=(const Hourglass&) = delete;

private:
    HCURSOR previous_;
};

}  // namespace bralto
