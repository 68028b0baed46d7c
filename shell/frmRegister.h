// frmRegister: offers to make Bralto the default program for .zip files.
// Shown modally at start-up until the user ticks "Ne plus afficher...", and
// from the Help menu.
#pragma once

#include <windows.h>

#include <string>

namespace bralto {

class frmRegister {
public:
    enum ControlId {
        lblInfo0 = 201,
        lblInfo1 = 202,
        chkAnnule = 203,
        cmdAction0 = IDOK,
        cmdAction1 = IDCANCEL,
        qnrImage1 = 204
    };

    // Shows the window modally. `programFolder` holds Bralto.exe (no
    // trailing backslash); it receives Undo.reg. When the box is ticked at
    // unload, "StartUp"/"Register" is saved as "1".
    static void Show(HWND owner, const std::wstring& programFolder);

    // The folder of the running executable, without trailing backslash.
    static std::wstring ProgramFolder();
};

}  // namespace bralto
