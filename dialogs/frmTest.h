// frmTest: tests the open archive in the qnrZip server and shows the
// library's report as it comes. Its button reads "Annuler" while the test
// runs (a click, Escape or the close box ask the server to stop) and
// "Fermer" once the job has completed, or once its server has gone away
// (the report then says so).
#pragma once

#include <windows.h>

#include <string>

namespace bralto {

class frmTest {
public:
    enum ControlId { txtInfo = 101, cmdFermer = IDOK };

    // Characters the report box takes; a message that would go beyond is
    // dropped, and the window says so once.
    static constexpr int kReportLimit = 65535;

    // Shows the window modally, owned by `owner`, and tests `archivePath`
    // the first time the window becomes active. Returns once the user has
    // closed it after the job completed.
    static void Show(HWND owner, const std::wstring& archivePath);
};

}  // namespace bralto
