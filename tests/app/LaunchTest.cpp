// Bralto.exe as a user starts it: its main window appears, and the process
// ends when that last window closes.
#include <gtest/gtest.h>

#include <windows.h>

#include <shellapi.h>

#include <string>
#include <vector>

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

// The dialog captioned `caption` that process `processId` shows, or null
// when none came within about fifteen seconds.
HWND WaitForDialogOf(DWORD processId, const wchar_t* caption) {
    for (int i = 0; i < 300; ++i) {
        for (HWND dialog = FindWindowExW(nullptr, nullptr, L"#32770", caption); dialog;
             dialog = FindWindowExW(nullptr, dialog, L"#32770", caption)) {
            DWORD pid = 0;
            GetWindowThreadProcessId(dialog, &pid);
            if (pid == processId && IsWindowVisible(dialog)) return dialog;
        }
        Sleep(50);
    }
    return nullptr;
}

// The shell's "New" command starts "Bralto.exe /n path": refusing the
// name in the Save dialog ends that launch, window and process.
TEST(BraltoLaunch, ANewArchiveLaunchWhoseNameIsRefusedEnds) {
    bralto::Settings::SetRegisterDeclined(true);
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    const std::wstring archive = std::wstring(folder) + L"bralto-refused-new.zip";
    DeleteFileW(archive.c_str());
    Process bralto = Start(L"/n " + archive);
    ASSERT_TRUE(bralto.process);
    HWND save = WaitForDialogOf(bralto.id, L"Créer une nouvelle archive");
    ASSERT_NE(save, nullptr) << "no Save dialog appeared";
    PostMessageW(save, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(WaitForSingleObject(bralto.process.get(), 20000), WAIT_OBJECT_0) << "the window stayed";
    DWORD code = 1;
    GetExitCodeProcess(bralto.process.get(), &code);
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(GetFileAttributesW(archive.c_str()), INVALID_FILE_ATTRIBUTES);
    if (WaitForSingleObject(bralto.process.get(), 0) == WAIT_TIMEOUT) TerminateProcess(bralto.process.get(), 1);
}

#pragma pack(push, 2)
struct GroupIconEntry {  // GRPICONDIRENTRY of an RT_GROUP_ICON resource
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

struct DataModule {
    HMODULE module;
    explicit DataModule(const std::wstring& path)
        : module(LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)) {}
    ~DataModule() {
        if (module) FreeLibrary(module);
    }
};

// Icon 1 is what the window class, the about box and the shell's
// "Bralto.exe,0" take: it must hold each size Windows asks for.
TEST(BraltoIcon, IconOneHoldsSixteenToTwoHundredFiftySixPixelsInFullColour) {
    DataModule exe(BraltoExe());
    ASSERT_NE(exe.module, nullptr);
    HRSRC found = FindResourceW(exe.module, MAKEINTRESOURCEW(1), RT_GROUP_ICON);
    ASSERT_NE(found, nullptr) << "no icon 1";
    const auto* group = static_cast<const WORD*>(LockResource(LoadResource(exe.module, found)));
    ASSERT_NE(group, nullptr);
    const WORD count = group[2];
    const auto* entries = reinterpret_cast<const GroupIconEntry*>(group + 3);
    std::vector<int> sizes;
    for (WORD i = 0; i < count; ++i) {
        sizes.push_back(entries[i].width == 0 ? 256 : entries[i].width);
        EXPECT_EQ(entries[i].bitCount, 32) << "entry " << i;
    }
    EXPECT_EQ(sizes, (std::vector<int>{16, 32, 48, 256}));

    for (int size : {16, 32, 48, 256}) {
        HICON icon = static_cast<HICON>(LoadImageW(exe.module, MAKEINTRESOURCEW(1), IMAGE_ICON, size, size, 0));
        ASSERT_NE(icon, nullptr) << size;
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP colour = {};
        GetObjectW(info.hbmColor, sizeof(colour), &colour);
        EXPECT_EQ(colour.bmWidth, size);
        EXPECT_EQ(colour.bmHeight, size);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}

TEST(BraltoIcon, TheShellFindsIconZeroOfTheProgram) {
    EXPECT_GE(ExtractIconExW(BraltoExe().c_str(), -1, nullptr, nullptr, 0), 1u);
    HICON large = nullptr, small = nullptr;
    EXPECT_EQ(ExtractIconExW(BraltoExe().c_str(), 0, &large, &small, 1), 2u);
    EXPECT_NE(large, nullptr);
    EXPECT_NE(small, nullptr);
    if (large) DestroyIcon(large);
    if (small) DestroyIcon(small);
}

}  // namespace
