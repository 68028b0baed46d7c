// frmPwdGive: the password of a zip job that encrypts, typed twice.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace bralto {

struct PasswordAnswer {
    std::wstring tag;       // "OK" when confirmed, empty otherwise
    std::wstring password;  // the text of txtPwd
};

class frmPwdGive {
public:
    enum ControlId { txtPwd = 101, txtConfirm = 102, lblPwd = 103, lblConfirm = 104, imaPic = 105 };

    // Shows the window modally, owned by `owner`.
    static PasswordAnswer Show(HWND owner);

    // The check of the OK button: 0 accept, 1 try again, 2 give up.
    // `askRetry` shows a question and returns true for OK (try again).
    static int Check(const std::wstring& password, const std::wstring& confirmation,
                     const std::function<bool(const std::wstring& question)>& askRetry);
};

}  // namespace bralto
