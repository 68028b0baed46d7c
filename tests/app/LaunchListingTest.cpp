// Bralto.exe started with an archive path, as the shell opens one: the
// window lists it, read back from this process through the list view's
// own messages with buffers in Bralto's memory; a missing archive shows
// its message in a box answered here.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "Handles.h"
#include "Settings.h"

namespace {

std::wstring ExeFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring exe(path);
    return exe.substr(0, exe.find_last_of(L'\\') + 1);
}

std::wstring Fixtures() {
    std::wstring folder = L"Z:" BRALTO_WINDOW_FIXTURES;
    for (auto& c : folder)
        if (c == L'/') c = L'\\';
    return folder + L"\\";
}

struct Bralto {
    bralto::UniqueKernelHandle process;
    DWORD id = 0;
    explicit Bralto(const std::wstring& arguments) {
        std::wstring commandLine = L"\"" + ExeFolder() + L"Bralto.exe\" " + arguments;
        STARTUPINFOW si = {sizeof(si)};
        PROCESS_INFORMATION pi = {};
        if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
            CloseHandle(pi.hThread);
            process.reset(pi.hProcess);
            id = pi.dwProcessId;
        }
    }
    ~Bralto() {
        if (process && WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT) TerminateProcess(process.get(), 1);
    }
};

struct Search {
    DWORD process;
    std::wstring className;
    HWND found;
};

BOOL CALLBACK FindWindowOf(HWND hwnd, LPARAM lParam) {
    auto* s = reinterpret_cast<Search*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    wchar_t className[64] = {};
    GetClassNameW(hwnd, className, 64);
    if (pid == s->process && IsWindowVisible(hwnd) && s->className == className) {
        s->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND WaitForWindow(DWORD process, const wchar_t* className, int tries = 300) {
    for (int i = 0; i < tries; ++i) {
        Search search{process, className, nullptr};
        EnumWindows(FindWindowOf, reinterpret_cast<LPARAM>(&search));
        if (search.found) return search.found;
        Sleep(50);
    }
    return nullptr;
}

std::wstring Text(HWND hwnd) {
    wchar_t text[2048] = {};
    SendMessageTimeoutW(hwnd, WM_GETTEXT, 2048, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, nullptr);
    return text;
}

// LVM_GETITEMTEXTW with the item record and its text buffer in Bralto's memory.
std::wstring RemoteItemText(HANDLE process, HWND list, int row, int column) {
    const SIZE_T size = sizeof(LVITEMW) + 1024 * sizeof(wchar_t);
    void* remote = VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
    if (!remote) return L"<no memory>";
    LVITEMW item = {};
    item.iSubItem = column;
    item.cchTextMax = 1024;
    item.pszText = reinterpret_cast<wchar_t*>(static_cast<char*>(remote) + sizeof(LVITEMW));
    WriteProcessMemory(process, remote, &item, sizeof(item), nullptr);
    SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(remote));
    wchar_t text[1024] = {};
    ReadProcessMemory(process, item.pszText, text, sizeof(text) - sizeof(wchar_t), nullptr);
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    return text;
}

TEST(BraltoLaunchWithArchive, ListsTheArchiveInTheRealWindow) {
    bralto::Settings::SetRegisterDeclined(true);
    Bralto bralto(Fixtures() + L"listed.zip");
    ASSERT_TRUE(bralto.process);
    HWND window = WaitForWindow(bralto.id, L"BraltoMainWindow");
    ASSERT_NE(window, nullptr);
    HWND list = FindWindowExW(window, nullptr, WC_LISTVIEWW, nullptr);
    ASSERT_NE(list, nullptr);
    for (int i = 0; i < 100 && SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) == 0; ++i) Sleep(50);
    EXPECT_EQ(Text(window), L"listed.zip");
    ASSERT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 7);
    HANDLE process = bralto.process.get();
    std::vector<std::wstring> names;
    for (int row = 0; row < 7; ++row) names.push_back(RemoteItemText(process, list, row, 0));
    EXPECT_EQ(names, (std::vector<std::wstring>{L"b.txt", L"big.bin", L"leaf.txt", L"LICENCE", L"note.txt", L"README",
                                                L"readme.TXT"}));
    EXPECT_EQ(RemoteItemText(process, list, 1, 4), L"1 234 567");
    EXPECT_EQ(RemoteItemText(process, list, 1, 7), L"docs");
    EXPECT_EQ(RemoteItemText(process, list, 4, 1), L"©");
    EXPECT_EQ(RemoteItemText(process, list, 2, 7), L"docs\\deep");
    EXPECT_EQ(RemoteItemText(process, list, 6, 3), L"05/03/2024 14:07");

    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(process, 20000), WAIT_OBJECT_0);
}

// "Open with" and shortcuts quote a path that holds a blank.
TEST(BraltoLaunchWithArchive, QuotedPathWithBlanksAndAccentsIsOpened) {
    bralto::Settings::SetRegisterDeclined(true);
    const std::wstring folder = Fixtures() + L"Mes documents";
    const std::wstring archive = folder + L"\\été 2024.zip";
    CreateDirectoryW(folder.c_str(), nullptr);
    ASSERT_TRUE(CopyFileW((Fixtures() + L"listed.zip").c_str(), archive.c_str(), FALSE));
    Bralto bralto(L"\"" + archive + L"\"");
    ASSERT_TRUE(bralto.process);
    HWND window = WaitForWindow(bralto.id, L"BraltoMainWindow");
    ASSERT_NE(window, nullptr);
    HWND list = FindWindowExW(window, nullptr, WC_LISTVIEWW, nullptr);
    ASSERT_NE(list, nullptr);
    for (int i = 0; i < 100 && SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) == 0; ++i) Sleep(50);
    EXPECT_EQ(Text(window), L"été 2024.zip");
    EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 7);
    EXPECT_EQ(WaitForWindow(bralto.id, L"#32770", 5), nullptr) << "no message box";
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(bralto.process.get(), 20000), WAIT_OBJECT_0);
    DeleteFileW(archive.c_str());
    RemoveDirectoryW(folder.c_str());
}

TEST(BraltoLaunchWithArchive, MissingArchiveIsReportedInAMessageBox) {
    bralto::Settings::SetRegisterDeclined(true);
    const std::wstring path = Fixtures() + L"nowhere.zip";
    Bralto bralto(path);
    ASSERT_TRUE(bralto.process);
    HWND box = WaitForWindow(bralto.id, L"#32770");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(Text(box), L"Bralto");
    std::wstring message;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        std::wstring text = Text(child);
        if (text.size() > message.size()) message = text;
    }
    EXPECT_EQ(message, L"Bralto ne parvient pas à ouvrir " + path + L"\r\nLe fichier est introuvable.");
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    HWND window = WaitForWindow(bralto.id, L"BraltoMainWindow");
    ASSERT_NE(window, nullptr);
    for (int i = 0; i < 100 && Text(window) != L"Bralto"; ++i) Sleep(50);
    EXPECT_EQ(Text(window), L"Bralto");
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(bralto.process.get(), 20000), WAIT_OBJECT_0);
}

}  // namespace
