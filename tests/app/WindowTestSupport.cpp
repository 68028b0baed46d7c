#include "WindowTestSupport.h"

#include <commctrl.h>
#include <tlhelp32.h>

#include "Common.h"
#include "Handles.h"

#include <fstream>
#include <sstream>

namespace bralto::test {

namespace {

struct Enumeration {
    DWORD process;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectDialogs(HWND hwnd, LPARAM lParam) {
    auto* e = reinterpret_cast<Enumeration*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    wchar_t className[64] = {};
    GetClassNameW(hwnd, className, 64);
    if (pid == e->process && IsWindowVisible(hwnd) && std::wstring(className) == L"#32770") e->found.push_back(hwnd);
    return TRUE;
}

BOOL CALLBACK LongestStatic(HWND hwnd, LPARAM lParam) {
    auto* best = reinterpret_cast<std::wstring*>(lParam);
    wchar_t className[64] = {};
    GetClassNameW(hwnd, className, 64);
    if (lstrcmpiW(className, L"Static") == 0) {
        std::wstring text = TextOf(hwnd);
        if (text.size() > best->size()) *best = text;
    }
    return TRUE;
}

}  // namespace

std::wstring TextOf(HWND window) {
    wchar_t buffer[4096] = {};
    SendMessageTimeoutW(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 2000, nullptr);
    return buffer;
}

namespace {

INPUT KeyInput(WORD key, bool up) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

void SendKeys(std::initializer_list<INPUT> keys) {
    std::vector<INPUT> inputs(keys);
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// The keys that type `letter` on this keyboard: its key, with Shift when needed.
std::vector<INPUT> Typing(wchar_t letter) {
    const SHORT scan = VkKeyScanW(letter);
    const WORD key = LOBYTE(scan);
    const bool shift = (HIBYTE(scan) & 1) != 0;
    std::vector<INPUT> keys;
    if (shift) keys.push_back(KeyInput(VK_SHIFT, false));
    keys.push_back(KeyInput(key, false));
    keys.push_back(KeyInput(key, true));
    if (shift) keys.push_back(KeyInput(VK_SHIFT, true));
    return keys;
}

void Send(std::vector<INPUT> inputs) { SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)); }

void BringForward(HWND window) {
    SetForegroundWindow(window);
    PumpUntil([] { return false; }, 100);
}

}  // namespace

void ChooseMenu(HWND window, wchar_t menu, wchar_t item) {
    BringForward(window);
    std::vector<INPUT> keys{KeyInput(VK_MENU, false)};
    for (const INPUT& key : Typing(menu)) keys.push_back(key);
    keys.push_back(KeyInput(VK_MENU, true));
    // All at once: the menu's own loop reads the item's letter from the queue.
    for (const INPUT& key : Typing(item)) keys.push_back(key);
    Send(keys);
}

void PressKey(HWND window, WORD virtualKey) {
    BringForward(window);
    SendKeys({KeyInput(virtualKey, false), KeyInput(virtualKey, true)});
}

void PressWithControl(HWND window, WORD virtualKey) {
    BringForward(window);
    SendKeys({KeyInput(VK_CONTROL, false), KeyInput(virtualKey, false), KeyInput(virtualKey, true),
              KeyInput(VK_CONTROL, true)});
}

void PressMnemonic(HWND window, wchar_t letter) {
    BringForward(window);
    std::vector<INPUT> keys{KeyInput(VK_MENU, false)};
    for (const INPUT& key : Typing(letter)) keys.push_back(key);
    keys.push_back(KeyInput(VK_MENU, true));
    Send(keys);
}

void Press(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

DialogAnswerer::DialogAnswerer(Answer answer) : answer_(std::move(answer)), thread_([this] { Run(); }) {}

DialogAnswerer::~DialogAnswerer() {
    stop_ = true;
    thread_.join();
}

std::vector<SeenDialog> DialogAnswerer::Seen() {
    std::lock_guard<std::mutex> guard(lock_);
    return seen_;
}

void DialogAnswerer::Run() {
    std::vector<HWND> answered;
    while (!stop_) {
        Enumeration e{GetCurrentProcessId(), {}};
        EnumWindows(CollectDialogs, reinterpret_cast<LPARAM>(&e));
        for (HWND dialog : e.found) {
            bool done = false;
            for (HWND old : answered) done = done || old == dialog;
            if (done && IsWindow(dialog)) continue;
            Sleep(100);  // let the dialog finish its initialisation
            SeenDialog seen{TextOf(dialog), L""};
            EnumChildWindows(dialog, LongestStatic, reinterpret_cast<LPARAM>(&seen.text));
            if (answer_(dialog, seen)) {
                std::lock_guard<std::mutex> guard(lock_);
                seen_.push_back(seen);
                answered.push_back(dialog);
            }
        }
        // Handles of closed dialogs may come back for new ones.
        std::vector<HWND> alive;
        for (HWND old : answered)
            if (IsWindow(old) && IsWindowVisible(old)) alive.push_back(old);
        answered.swap(alive);
        Sleep(50);
    }
}

bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > milliseconds) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return true;
}

std::wstring ListText(HWND list, int row, int column) {
    wchar_t buffer[1024] = {};
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = 1024;
    SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    return buffer;
}

int ListCount(HWND list) { return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }

std::wstring Grouped(const std::wstring& digits) {
    std::wstring result;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) result += L' ';
        result += digits[i];
    }
    return result;
}

std::wstring FixtureFolder() {
    std::wstring folder = L"Z:" BRALTO_WINDOW_FIXTURES;
    for (auto& c : folder)
        if (c == L'/') c = L'\\';
    return folder + L"\\";
}

std::vector<std::vector<std::wstring>> ReadTable(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    const std::string bytes = content.str();
    std::wstring text(
        static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0)),
        L'\0');
    MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(),
                        static_cast<int>(text.size()));
    std::vector<std::vector<std::wstring>> rows;
    std::wistringstream lines(text);
    std::wstring line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        if (line.empty()) continue;
        std::vector<std::wstring> cells;
        size_t start = 0;
        for (size_t tab; (tab = line.find(L'\t', start)) != std::wstring::npos; start = tab + 1)
            cells.push_back(line.substr(start, tab - start));
        cells.push_back(line.substr(start));
        rows.push_back(cells);
    }
    return rows;
}

bool SaveWindowImage(HWND window, const std::wstring& path) {
    RECT frame;
    GetWindowRect(window, &frame);
    const int w = frame.right - frame.left, h = frame.bottom - frame.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, frame.left, frame.top, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFOHEADER info = {sizeof(info), w, h, 1, 24, BI_RGB};
    const int stride = (w * 3 + 3) & ~3;
    std::vector<unsigned char> pixels(static_cast<size_t>(stride) * h);
    GetDIBits(memory, bitmap, 0, h, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    BITMAPFILEHEADER file = {0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof(info) + pixels.size()), 0, 0,
                             sizeof(BITMAPFILEHEADER) + sizeof(info)};
    std::ofstream out(path.c_str(), std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof(file));
    out.write(reinterpret_cast<const char*>(&info), sizeof(info));
    out.write(reinterpret_cast<const char*>(pixels.data()), static_cast<std::streamsize>(pixels.size()));
    return static_cast<bool>(out);
}

std::vector<unsigned char> ReadBytes(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::vector<unsigned char>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string ReadText(const std::wstring& path) {
    auto bytes = ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

void WriteText(const std::wstring& path, const std::string& text) {
    std::ofstream out(path.c_str(), std::ios::binary);
    out << text;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

namespace {

void CollectFiles(const std::wstring& folder, const std::wstring& prefix, std::set<std::wstring>& files) {
    WIN32_FIND_DATAW data;
    UniqueFindHandle search(FindFirstFileW((folder + L"\\*").c_str(), &data));
    if (!search) return;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            CollectFiles(folder + L"\\" + name, prefix + name + L"\\", files);
        else
            files.insert(prefix + name);
    } while (FindNextFileW(search.get(), &data));
}

}  // namespace

std::set<std::wstring> FilesBelow(const std::wstring& folder) {
    std::set<std::wstring> files;
    CollectFiles(folder, L"", files);
    return files;
}

void RemoveTree(const std::wstring& folder) {
    for (const auto& file : FilesBelow(folder)) {
        const std::wstring path = folder + L"\\" + file;
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
    }
    std::vector<std::wstring> folders;
    ListSubFolders(folder, folders);
    for (auto f = folders.rbegin(); f != folders.rend(); ++f) RemoveDirectoryW(f->c_str());
}

int KillServers() {
    int killed = 0;
    UniqueKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry = {sizeof(entry)};
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
        if (lstrcmpiW(entry.szExeFile, L"qnrZip.exe") != 0) continue;
        UniqueKernelHandle server(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID));
        if (server && TerminateProcess(server.get(), 9) && WaitForSingleObject(server.get(), 10000) == WAIT_OBJECT_0)
            ++killed;
    }
    return killed;
}

void RunProgram(std::wstring commandLine) {
    STARTUPINFOW startup = {sizeof(startup)};
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return;
    UniqueKernelHandle process(info.hProcess), thread(info.hThread);
    WaitForSingleObject(process.get(), 30000);
}

}  // namespace bralto::test
