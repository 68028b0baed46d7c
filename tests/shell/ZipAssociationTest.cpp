// The .zip association against the prefix's real HKEY_CLASSES_ROOT: the
// three starting states, the undo file, the keys written, and the window's
// "do not show again" box. The prefix's own .zip keys are restored after.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <fstream>
#include <sstream>
#include <thread>

#include "Handles.h"
#include "Settings.h"
#include "ZipAssociation.h"
#include "frmRegister.h"

namespace {

using bralto::ZipAssociation;

const wchar_t kBackup[] = L"Software\\Bralto essais sauvegarde";

std::wstring ReadDefault(const std::wstring& key, const wchar_t* name = nullptr) {
    wchar_t buffer[1024] = {};
    DWORD size = sizeof(buffer);
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), name, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS)
        return L"<absent>";
    return buffer;
}

void SetDefault(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
    bralto::UniqueHKey h;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, h.put(), nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(h.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string ReadFileBytes(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class ZipAssociationTest : public ::testing::Test {
protected:
    const std::wstring folder = L"C:\\Bralto essai programme";
    ZipAssociation association{folder};

    void SetUp() override {
        SaveKey(L".zip");
        SaveKey(bralto::kBraltoFileClass);
        RegDeleteTreeW(HKEY_CLASSES_ROOT, L".zip");
        RegDeleteTreeW(HKEY_CLASSES_ROOT, bralto::kBraltoFileClass);
        CreateDirectoryW(folder.c_str(), nullptr);
        bralto::UniqueKernelHandle exe(
            CreateFileW((folder + L"\\Bralto.exe").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        DeleteFileW(association.UndoFilePath().c_str());
    }
    void TearDown() override {
        RestoreKey(L".zip");
        RestoreKey(bralto::kBraltoFileClass);
        RegDeleteTreeW(HKEY_CURRENT_USER, kBackup);
        DeleteFileW(association.UndoFilePath().c_str());
        DeleteFileW((folder + L"\\Bralto.exe").c_str());
        RemoveDirectoryW(folder.c_str());
    }
    static void SaveKey(const std::wstring& name) {
        bralto::UniqueHKey source, target;
        if (RegOpenKeyExW(HKEY_CLASSES_ROOT, name.c_str(), 0, KEY_READ, source.put()) != ERROR_SUCCESS) return;
        std::wstring backup = std::wstring(kBackup) + L"\\" + name;
        RegCreateKeyExW(HKEY_CURRENT_USER, backup.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, target.put(),
                        nullptr);
        RegCopyTreeW(source.get(), nullptr, target.get());
    }
    static void RestoreKey(const std::wstring& name) {
        RegDeleteTreeW(HKEY_CLASSES_ROOT, name.c_str());
        bralto::UniqueHKey source, target;
        std::wstring backup = std::wstring(kBackup) + L"\\" + name;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, backup.c_str(), 0, KEY_READ, source.put()) != ERROR_SUCCESS) return;
        RegCreateKeyExW(HKEY_CLASSES_ROOT, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, target.put(), nullptr);
        RegCopyTreeW(source.get(), nullptr, target.get());
    }
    std::wstring ShortExe() {
        wchar_t buffer[260] = {};
        GetShortPathNameW((folder + L"\\Bralto.exe").c_str(), buffer, 260);
        return buffer;
    }
    void ExpectBraltoKeys() {
        const std::wstring exe = folder + L"\\Bralto.exe";
        EXPECT_EQ(ReadDefault(L".zip"), L"Quenor Archive");
        EXPECT_EQ(ReadDefault(L".zip\\ShellNew", L"Command"), ShortExe() + L" /n %2");
        EXPECT_EQ(ReadDefault(L"Quenor Archive"), L"Archive Bralto");
        EXPECT_EQ(ReadDefault(L"Quenor Archive\\DefaultIcon"), exe + L",0");
        EXPECT_EQ(ReadDefault(L"Quenor Archive\\Shell\\Open\\Command"), exe + L" %1");
        EXPECT_EQ(ReadDefault(L"Quenor Archive\\Shell\\Extraction express\\Command"), exe + L" /e %1");
    }
};

TEST_F(ZipAssociationTest, NoAssociationYet) {
    EXPECT_EQ(association.InfoText(),
              L"Il n'y a pas d'application associée aux fichiers Zip.\r\n\r\nChoisir OK pour faire de Bralto "
              L"l'application par défaut pour les fichiers Zip.");
    auto result = association.Apply();
    EXPECT_TRUE(result.succeeded);
    EXPECT_FALSE(result.undoFileWritten);
    EXPECT_EQ(result.message, L"Opération réussie.\r\nBralto est l'application par défaut associée aux fichiers Zip.");
    EXPECT_FALSE(Exists(association.UndoFilePath()));
    ExpectBraltoKeys();
}

TEST_F(ZipAssociationTest, AnotherProgramsAssociationIsSavedToUndoFileThenReplaced) {
    SetDefault(L".zip", nullptr, L"AutreArchiveur.zip");
    SetDefault(L".zip\\ShellNew", L"Command", L"C:\\Autre\\autre.exe -new");
    SetDefault(L".zip\\OpenWithProgids", L"AutreArchiveur.zip", L"");
    EXPECT_EQ(association.InfoText().rfind(L"Les fichiers Zip sont associés à AutreArchiveur.zip\r\n\r\n\r\n", 0), 0u);

    auto result = association.Apply();
    EXPECT_TRUE(result.succeeded);
    EXPECT_TRUE(result.undoFileWritten);
    EXPECT_NE(result.message.find(L"double-cliquez sur le fichier Undo.reg"), std::wstring::npos);
    ExpectBraltoKeys();
    EXPECT_EQ(ReadDefault(L".zip\\OpenWithProgids"), L"<absent>") << "old sub-keys removed";

    std::string undo = ReadFileBytes(association.UndoFilePath());
    EXPECT_EQ(undo.rfind("REGEDIT4\r\n\r\n;fichier g", 0), 0u);
    EXPECT_NE(undo.find("[HKEY_CLASSES_ROOT\\.zip]\r\n@=\"AutreArchiveur.zip\"\r\n"), std::string::npos);
    EXPECT_NE(undo.find("[HKEY_CLASSES_ROOT\\.zip\\ShellNew]\r\n\"Command\"=\"C:\\\\Autre\\\\autre.exe -new\"\r\n"),
              std::string::npos);
}

TEST_F(ZipAssociationTest, AlreadyBraltosIsRewrittenWithoutUndoFile) {
    association.WriteAssociation();
    SetDefault(L"Quenor Archive\\DefaultIcon", nullptr, L"abîmé");
    EXPECT_EQ(association.InfoText().rfind(L"Les fichiers Zip sont déjà associés à Bralto.", 0), 0u);
    auto result = association.Apply();
    EXPECT_TRUE(result.succeeded);
    EXPECT_FALSE(Exists(association.UndoFilePath()));
    ExpectBraltoKeys();
}

TEST_F(ZipAssociationTest, ShellNewUsesShortPathOthersTheLongPathUnquoted) {
    association.WriteAssociation();
    std::wstring command = ReadDefault(L".zip\\ShellNew", L"Command");
    EXPECT_EQ(command.find(L' '), command.size() - 6)
        << "only the blank before /n: " << testing::PrintToString(command);
    EXPECT_EQ(ReadDefault(L"Quenor Archive\\Shell\\Open\\Command"), L"C:\\Bralto essai programme\\Bralto.exe %1");
}

// The window as a user sees it: a thread plays the user.
class WindowUser {
public:
    explicit WindowUser(bool tick) : thread_([this, tick] { Run(tick); }) {}
    ~WindowUser() { thread_.join(); }
    std::wstring info;

private:
    void Run(bool tick) {
        for (int i = 0; i < 400; ++i) {
            HWND dialog = FindWindowW(L"#32770", L"Bralto");
            DWORD pid = 0;
            if (dialog) GetWindowThreadProcessId(dialog, &pid);
            if (dialog && pid == GetCurrentProcessId() && IsWindowVisible(dialog)) {
                wchar_t text[1024] = {};
                GetDlgItemTextW(dialog, bralto::frmRegister::lblInfo0, text, 1024);
                info = text;
                if (tick) SendDlgItemMessageW(dialog, bralto::frmRegister::chkAnnule, BM_CLICK, 0, 0);
                SendDlgItemMessageW(dialog, bralto::frmRegister::cmdAction1, BM_CLICK, 0, 0);
                return;
            }
            Sleep(25);
        }
    }
    std::thread thread_;
};

TEST_F(ZipAssociationTest, CancelWithBoxTickedSavesRegisterUntickedSavesNothing) {
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Quenor App Bralto");
    {
        WindowUser user(false);
        bralto::frmRegister::Show(nullptr, folder);
        Sleep(0);
        EXPECT_EQ(bralto::GetSetting(L"StartUp", L"Register", L"<absent>"), L"<absent>");
    }
    {
        WindowUser user(true);
        bralto::frmRegister::Show(nullptr, folder);
    }
    EXPECT_EQ(bralto::GetSetting(L"StartUp", L"Register", L"<absent>"), L"1");
    EXPECT_EQ(ReadDefault(L".zip"), L"<absent>") << "cancel changes no association";
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Quenor App Bralto");
}

}  // namespace
