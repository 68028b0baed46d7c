// frmPrompt: during an extraction, may an existing file be overwritten?
// Four buttons answer with the unzip job's codes; none is a default or a
// cancel button, and the window has no close box.
#pragma once

#include <windows.h>

#include <string>

#include "unzip_api.h"

namespace bralto {

class frmPrompt {
public:
    enum ControlId { imaPic = 101, lblInfo = 102, cmdAction0 = 200 };  // cmdAction(i) = 200 + i
    // Codes of the buttons 0 to 3: overwrite, keep, overwrite all, keep all.
    static constexpr long kCodes[4] = {IDM_REPLACE_YES, IDM_REPLACE_NO, IDM_REPLACE_ALL, IDM_REPLACE_NONE};

    // Shows the question for `file` with its large shell icon (not owned);
    // button 2 ("Oui à tous") disabled unless `allowOverwriteAll`. Returns
    // the code of the button pressed (one of kCodes), the job's response;
    // a question that could not be shown keeps the file (IDM_REPLACE_NO).
    static long Ask(HWND owner, const std::wstring& file, HICON icon, bool allowOverwriteAll);
};

}  // namespace bralto
