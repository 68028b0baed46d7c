// frmPwdAsk: the password of one encrypted member during an extraction.
// No buttons: Enter confirms, Escape cancels.
#pragma once

#include <windows.h>

#include <string>

#include "frmPwdGive.h"

namespace bralto {

class frmPwdAsk {
public:
    enum ControlId { txtPwd = 101, lblInfo = 102, lblFichier = 103, imaPic = 104 };

    // Shows the window modally with `member` in lblFichier.
    static PasswordAnswer Show(HWND owner, const std::wstring& member);
};

}  // namespace bralto
