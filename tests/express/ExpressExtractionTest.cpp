// Express extraction as the shell's verb runs it: "Bralto.exe /e archive".
// The archive is written with our zip engine, Bralto extracts it in the
// qnrZip server beside the archive, and the process ends with its window.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>

#include "Handles.h"
#include "cZip.h"
#include "frmShellExtract.h"

namespace {

const std::wstring kRoot = L"C:\\Bralto express";

std::wstring BinFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring exe(path);
    return exe.substr(0, exe.find_last_of(L'\\'));
}

void WriteText(const std::wstring& path, const std::string& text) {
    std::ofstream(path.c_str(), std::ios::binary) << text;
}

std::string ReadText(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void SetModified(const std::wstring& path, int daysFromNow) {
    bralto::UniqueKernelHandle file(
        CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER t{{now.dwLowDateTime, now.dwHighDateTime}};
    t.QuadPart += static_cast<long long>(daysFromNow) * 24 * 3600 * 10000000LL;
    FILETIME when{t.LowPart, t.HighPart};
    SetFileTime(file.get(), nullptr, nullptr, &when);
}

void RemoveTree(const std::wstring& folder) {
    std::wstring from = folder + L'\0';
    SHFILEOPSTRUCTW op = {};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NO_UI;
    SHFileOperationW(&op);
}

struct BraltoRun {
    DWORD exitCode = STILL_ACTIVE;
    std::wstring caption;  // of the window while it was seen
    std::wstring message;  // of a message box, answered
    int passwordsAsked = 0;
};

// Types `password` into a password window of Bralto and presses Enter.
void AnswerPassword(HWND window, const std::wstring& password) {
    HWND field = FindWindowExW(window, nullptr, L"Edit", nullptr);
    SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(password.c_str()));
    PostMessageW(field, WM_KEYDOWN, VK_RETURN, 0);
    for (int i = 0; i < 100 && IsWindow(window) && IsWindowVisible(window); ++i) Sleep(20);
}

// Starts Bralto with `arguments`, records its window caption, answers a
// message box if one comes (and each password window with `password`),
// and waits for the process to end.
BraltoRun RunBralto(const std::wstring& arguments, const std::wstring& password = L"") {
    BraltoRun run;
    std::wstring exe = BinFolder() + L"\\Bralto.exe";
    std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
    STARTUPINFOW si = {sizeof(si)};
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return run;
    bralto::UniqueKernelHandle process(pi.hProcess), thread(pi.hThread);
    for (int i = 0; i < 1200 && WaitForSingleObject(process.get(), 50) == WAIT_TIMEOUT; ++i) {
        HWND window = FindWindowW(L"#32770", nullptr);
        for (; window; window = FindWindowExW(nullptr, window, L"#32770", nullptr)) {
            DWORD pid = 0;
            GetWindowThreadProcessId(window, &pid);
            if (pid != pi.dwProcessId || !IsWindowVisible(window)) continue;
            wchar_t text[512] = {};
            GetWindowTextW(window, text, 512);
            if (std::wstring(text) == L"Mot de passe") {
                AnswerPassword(window, password);
                ++run.passwordsAsked;
            } else if (std::wstring(text) == L"Bralto" && GetDlgItem(window, 0xFFFF)) {
                GetDlgItemTextW(window, 0xFFFF, text, 512);
                run.message = text;
                PostMessageW(window, WM_COMMAND, IDOK, 0);
            } else if (run.caption.empty()) {
                run.caption = text;
            }
        }
    }
    if (WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.get(), &run.exitCode);
    else
        TerminateProcess(process.get(), 99);
    return run;
}

class ExpressExtraction : public ::testing::Test {
protected:
    const std::wstring source = kRoot + L"\\source";
    const std::wstring archive = kRoot + L"\\Photos d'été.zip";
    const std::wstring target = kRoot + L"\\Photos d'été";

    void SetUp() override {
        RemoveTree(kRoot);
        CreateDirectoryW(kRoot.c_str(), nullptr);
        CreateDirectoryW(source.c_str(), nullptr);
        CreateDirectoryW((source + L"\\plage").c_str(), nullptr);
        WriteText(source + L"\\liste.txt", "une\r\ndeux\r\n");
        WriteText(source + L"\\plage\\mer.txt", std::string(100000, 'm'));
        bralto::cZip zip;
        zip.ZipFile(archive);
        zip.BasePath(source);
        zip.StoreFolderNames(true);
        zip.RecurseSubDirs(true);
        zip.AddFileSpec(L"*.*");
        ASSERT_EQ(zip.Zip(), 0);
    }
    void TearDown() override { RemoveTree(kRoot); }
};

TEST_F(ExpressExtraction, ExtractsBesideTheArchiveWithStoredFoldersAndEnds) {
    BraltoRun run = RunBralto(L"/e " + archive);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.message, L"");
    EXPECT_EQ(run.caption, L"Extraction express de Photos d'été.zip");
    EXPECT_EQ(ReadText(target + L"\\liste.txt"), "une\r\ndeux\r\n");
    EXPECT_TRUE(ReadText(target + L"\\plage\\mer.txt") == std::string(100000, 'm'));
}

// The second run starts while the server of the first one may be ending:
// its activation must reach a live server (the ending one refuses, a new
// one is started), and only the members newer than the files are written.
TEST_F(ExpressExtraction, SecondRunWritesOnlyMembersNewerThanTheFiles) {
    ASSERT_EQ(RunBralto(L"/e " + archive).exitCode, 0u);
    WriteText(target + L"\\liste.txt", "modifié, plus récent");
    SetModified(target + L"\\liste.txt", 2);
    WriteText(target + L"\\plage\\mer.txt", "ancien");
    SetModified(target + L"\\plage\\mer.txt", -400);
    ASSERT_EQ(RunBralto(L"/e " + archive).exitCode, 0u);
    EXPECT_EQ(ReadText(target + L"\\liste.txt"), "modifié, plus récent");
    EXPECT_TRUE(ReadText(target + L"\\plage\\mer.txt") == std::string(100000, 'm'));
}

const std::wstring kErrors = L"Des erreurs ont été rencontrées lors de l'extraction des fichiers.\r\n";

TEST_F(ExpressExtraction, AMissingArchiveOrAFileThatIsNotOneIsSaidSo) {
    BraltoRun missing = RunBralto(L"/e " + kRoot + L"\\absente.zip");
    EXPECT_EQ(missing.exitCode, 0u);
    EXPECT_EQ(missing.message, kErrors + L"L'archive est introuvable.");

    const std::wstring notAZip = kRoot + L"\\abîmée.zip";
    WriteText(notAZip, "PK\x03\x04 ceci n'est pas une archive");
    BraltoRun run = RunBralto(L"/e " + notAZip);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.message, kErrors + L"Le fichier n'est pas une archive zip.");
}

// One member's compressed bytes spoilt: the others are still extracted.
TEST_F(ExpressExtraction, ADamagedMemberIsSaidSoAndTheOthersAreExtracted) {
    std::string bytes = ReadText(archive);
    const std::string name = "plage/mer.txt";
    // The name's first occurrence is in the local header, ahead of the data;
    // the two bytes before it are the length of the header's extra field.
    const size_t at = bytes.find(name);
    ASSERT_NE(at, std::string::npos);
    const uint16_t extra = static_cast<uint8_t>(bytes[at - 2]) | static_cast<uint8_t>(bytes[at - 1]) << 8;
    const size_t data = at + name.size() + extra;
    for (size_t i = data + 8; i < data + 24; ++i) bytes[i] = static_cast<char>(bytes[i] ^ 0x5A);
    std::ofstream(archive.c_str(), std::ios::binary | std::ios::trunc) << bytes;

    BraltoRun run = RunBralto(L"/e " + archive);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.message, kErrors + L"Un fichier de l'archive est endommagé.");
    EXPECT_EQ(ReadText(target + L"\\liste.txt"), "une\r\ndeux\r\n");
}

class SecretPassword : public bralto::IZipEvents {
public:
    void Progress(const std::wstring&) override {}
    void Cancel(const std::wstring&, bool&) override {}
    void PasswordRequest(std::wstring& password, bool&) override { password = L"sésame"; }
    void CommentRequest(std::wstring&, bool&, bool&) override {}
};

TEST_F(ExpressExtraction, AWrongPasswordIsSaidSoAfterTheUserIsAsked) {
    const std::wstring secret = kRoot + L"\\secret.zip";
    SecretPassword events;
    bralto::cZip zip;
    zip.SetListener(&events);
    zip.ZipFile(secret);
    zip.BasePath(source);
    zip.Encrypt(true);
    zip.AddFileSpec(L"liste.txt");
    ASSERT_EQ(zip.Zip(), 0);

    BraltoRun run = RunBralto(L"/e " + secret, L"pas le bon");
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_GE(run.passwordsAsked, 1);
    EXPECT_EQ(run.message, kErrors + L"Le mot de passe est incorrect.");
    EXPECT_EQ(GetFileAttributesW((kRoot + L"\\secret\\liste.txt").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(ExpressExtractionFolder, IsTheArchivePathWithoutItsLastFourCharacters) {
    using bralto::frmShellExtract;
    EXPECT_EQ(frmShellExtract::ExtractionFolderFor(L"C:\\data\\photos.zip"), L"C:\\data\\photos");
    EXPECT_EQ(frmShellExtract::ExtractionFolderFor(L"C:\\data\\photos.jar2"), L"C:\\data\\photos.");
    EXPECT_EQ(frmShellExtract::ExtractionFolderFor(L"C:\\data\\a.zip"), L"C:\\data\\a");
    // Never the parent folder: a name this short is kept whole.
    EXPECT_EQ(frmShellExtract::ExtractionFolderFor(L"C:\\data\\.zip"), L"C:\\data\\.zip (extrait)");
    EXPECT_EQ(frmShellExtract::ExtractionFolderFor(L"C:\\data\\ab"), L"C:\\data\\ab (extrait)");
}

}  // namespace
