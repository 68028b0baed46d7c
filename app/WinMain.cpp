// Process entry of Bralto.exe.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "AppLifetime.h"
#include "ApplicationLaunch.h"
#include "QnrZipClient.h"
#include "ServerRegistration.h"
#include "Start.h"

namespace {

bool IsModelessDialog(HWND hwnd) {
    wchar_t className[16] = {};
    GetClassNameW(hwnd, className, 16);
    return lstrcmpW(className, L"#32770") == 0;
}

int RunMessageLoop() {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        // Modeless dialogs (the express extraction) get their keyboard
        // handling: Enter and Escape press their buttons.
        HWND active = GetActiveWindow();
        if (active && IsModelessDialog(active) && IsDialogMessageW(active, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // COM for the shell calls and the server objects; undone on every way out.
    qnr::client::ClientApartment com;
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);

    // Jobs run in qnrZip.exe; a fresh copy of Bralto registers its own.
    bralto::EnsureServerRegistered();

    bralto::ApplicationLaunch launch;
    bralto::Main(bralto::CommandArguments(GetCommandLineW()), launch);
    if (bralto::OpenTopLevelWindows() == 0) return 0;
    return RunMessageLoop();
}
