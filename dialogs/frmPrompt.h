// frmPrompt: during an extraction, may an existing file be overwritten?
// Four buttons answer with the unzip job's codes; none is a default or a
// cancel button, and the window has no close box.
#pragma once

#include <windows.h>

#include <string>

namespace bralto {

class frmPrompt {
public:
    enum ControlId { imaPic = 101, lblInfo = 102, cmdAction0 = 200 };  // cmdAction(i) = 200 + i
    // Codes of the buttons 0 to 3: overwrite, keep, overwrite all, keep all.
    static constexpr long kCodes[4] = {102, 100, 103, 104};

    // Shows the question for `file` with its large shell icon (not owned);
    // button 2 ("Oui à tous") disabled unless `allowOverwriteAll`. Returns
    // the tag: the code of the button pressed, as text.
    static std::wstring Show(HWND owner, const std::wstring& file, HICON icon, bool allowOverwriteAll);

    // The tag as the job's response; anything but a code (an empty tag)
    // keeps the file (100).
    static long ResponseOf(const std::wstring& tag);
};

}  // namespace bralto
