// Bralto.exe as a user starts it: its main window appears, and the process
// ends when that last window closes.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "Handles.h"
#include "Settings.h"

namespace {

std::wstring BraltoExe() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring exe(path);
    return exe.substr(0, exe.find_last_of(L'\\') + 1) + L"Bralto.exe";
}

struct Process {
    bralto::UniqueKernelHandle process;
    DWORD id = 0;
};

Process Start(const std::wstring& arguments) {
    std::wstring commandLine = L"\"" + BraltoExe() + L"\" " + arguments;
    STARTUPINFOW si = {sizeof(si)};
    PROCESS_INFORMATION pi = {};
    Process p;
    if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        CloseHandle(pi.hThread);
        p.process.reset(pi.hProcess);
        p.id = pi.dwProcessId;
    }
    return p;
}

struct FindState {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindVisibleTopLevel(HWND hwnd, LPARAM lParam) {
    auto* s = reinterpret_cast<FindState*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == s->processId && IsWindowVisible(hwnd) && GetWindow(hwnd, GW_OWNER) == nullptr) {
        s->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND VisibleWindowOf(DWORD processId) {
    FindState state{processId, nullptr};
    EnumWindows(FindVisibleTopLevel, reinterpret_cast<LPARAM>(&state));
    return state.found;
}

HWND WaitForWindow(const Process& p) {
    for (int i = 0; i < 300; ++i) {
        if (HWND hwnd = VisibleWindowOf(p.id)) return hwnd;
        if (WaitForSingleObject(p.process.get(), 50) == WAIT_OBJECT_0) return nullptr;
    }
    return nullptr;
}

TEST(BraltoLaunch, MainWindowOpensAndProcessEndsWhenItCloses) {
    bralto::Settings::SetRegisterDeclined(true);
    Process bralto = Start(L"");
    ASSERT_TRUE(bralto.process);
    HWND window = WaitForWindow(bralto);
    ASSERT_NE(window, nullptr) << "no main window appeared";
    wchar_t caption[64] = {};
    GetWindowTextW(window, caption, 64);
    EXPECT_EQ(std::wstring(caption).rfind(L"Bralto", 0), 0u);

    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(bralto.process.get(), 20000), WAIT_OBJECT_0) << "process still alive";
    DWORD code = 1;
    GetExitCodeProcess(bralto.process.get(), &code);
    EXPECT_EQ(code, 0u);
}

}  // namespace
