// Makes the .zip association the way a user does at Bralto's first start:
// starts the installed Bralto.exe, presses OK in its association window and
// in the success message, then closes the main window.
//   AssociateThroughBralto.exe "C:\...\Bralto.exe"
// Exit code 0 when every step was seen, else the number of the failed step.
#include <windows.h>

#include <functional>
#include <string>

namespace {

HWND WaitFor(const std::function<HWND()>& find, DWORD milliseconds) {
    const ULONGLONG end = GetTickCount64() + milliseconds;
    while (GetTickCount64() < end) {
        HWND found = find();
        if (found && IsWindowVisible(found)) return found;
        Sleep(50);
    }
    return nullptr;
}

// A dialog captioned "Bralto" of the process, other than `other`.
HWND BraltoDialog(DWORD processId, HWND other) {
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, L"#32770", L"Bralto")) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId && window != other && IsWindowVisible(window)) return window;
    }
    return nullptr;
}

// What a click on OK sends to its dialog (a click needs the mouse capture,
// which another process cannot take).
void PressOk(HWND dialog) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) return 10;
    std::wstring commandLine = L"\"" + std::wstring(argv[1]) + L"\"";
    STARTUPINFOW startup = {sizeof(startup)};
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(argv[1], commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return 1;
    CloseHandle(process.hThread);
    const DWORD id = process.dwProcessId;

    HWND association = WaitFor([&] { return BraltoDialog(id, nullptr); }, 20000);
    if (!association) return 2;
    PressOk(association);
    HWND success = WaitFor([&] { return BraltoDialog(id, association); }, 10000);
    if (!success) return 3;
    PressOk(success);
    HWND main = WaitFor([] { return FindWindowW(L"BraltoMainWindow", nullptr); }, 10000);
    if (!main) return 4;
    PostMessageW(main, WM_CLOSE, 0, 0);
    const bool ended = WaitForSingleObject(process.hProcess, 10000) == WAIT_OBJECT_0;
    CloseHandle(process.hProcess);
    return ended ? 0 : 5;
}
