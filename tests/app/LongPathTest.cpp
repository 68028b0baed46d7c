// LongPathOf on real short paths of the prefix's drives, with the shell
// hiding known extensions and showing them.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "Common.h"
#include "Handles.h"

namespace {

const wchar_t kExplorerAdvanced[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced";

void SetHideFileExt(DWORD hide) {
    bralto::UniqueHKey key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kExplorerAdvanced, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(),
                              nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key.get(), L"HideFileExt", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&hide), sizeof(hide));
}

// A known file type, so that a shell hiding extensions hides ".zip".
void RegisterZipType() {
    bralto::UniqueHKey key;
    RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Classes\\.zip", 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(),
                    nullptr);
    const wchar_t cls[] = L"CompressedFolder";
    RegSetValueExW(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(cls), sizeof(cls));
}

std::wstring ShortPathOf(const std::wstring& path) {
    wchar_t buffer[MAX_PATH] = {};
    DWORD n = GetShortPathNameW(path.c_str(), buffer, MAX_PATH);
    return std::wstring(buffer, n);
}

std::wstring DisplayName(const std::wstring& path) {
    SHFILEINFOW info = {};
    SHGetFileInfoW(path.c_str(), 0, &info, sizeof(info), SHGFI_DISPLAYNAME);
    return info.szDisplayName;
}

void CreateEmptyFile(const std::wstring& path) {
    bralto::UniqueKernelHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file) << "cannot create test file";
}

class LongPathOf : public ::testing::Test {
protected:
    const std::wstring root = L"C:\\Bralto essais longs";
    const std::wstring folder = root + L"\\Documents très importants";
    const std::wstring archive = folder + L"\\Archive de l'été 2026.zip";
    const std::wstring rootArchive = L"C:\\Archive à la racine du disque.zip";

    void SetUp() override {
        CreateDirectoryW(root.c_str(), nullptr);
        CreateDirectoryW(folder.c_str(), nullptr);
        CreateEmptyFile(archive);
        CreateEmptyFile(rootArchive);
        RegisterZipType();
    }
    void TearDown() override {
        DeleteFileW(archive.c_str());
        DeleteFileW(rootArchive.c_str());
        RemoveDirectoryW(folder.c_str());
        RemoveDirectoryW(root.c_str());
        SetHideFileExt(1);
    }
};

TEST_F(LongPathOf, RebuildsEveryComponentWithExtensionsHidden) {
    SetHideFileExt(1);
    ASSERT_EQ(DisplayName(archive), L"Archive de l'été 2026") << "the shell should hide .zip here";
    std::wstring shortPath = ShortPathOf(archive);
    ASSERT_NE(shortPath, archive) << "the prefix gave no short form";
    EXPECT_EQ(bralto::LongPathOf(shortPath), archive);
}

TEST_F(LongPathOf, DoesNotDoubleAVisibleExtension) {
    SetHideFileExt(0);
    ASSERT_EQ(DisplayName(archive), L"Archive de l'été 2026.zip") << "the shell should show .zip here";
    EXPECT_EQ(bralto::LongPathOf(ShortPathOf(archive)), archive);
}

TEST_F(LongPathOf, FileDirectlyUnderADriveRoot) {
    SetHideFileExt(1);
    std::wstring shortPath = ShortPathOf(rootArchive);
    ASSERT_EQ(shortPath.find(L'\\', 3), std::wstring::npos);
    EXPECT_EQ(bralto::LongPathOf(shortPath), rootArchive);
    SetHideFileExt(0);
    EXPECT_EQ(bralto::LongPathOf(shortPath), rootArchive);
}

TEST_F(LongPathOf, PathThatDoesNotExistIsKeptAsGiven) {
    SetHideFileExt(1);
    // A name the shell cannot give (the file does not exist) is kept as given.
    EXPECT_EQ(bralto::LongPathOf(L"C:\\NEXISTE\\PAS.ZIP"), L"C:\\NEXISTE\\PAS.ZIP");
}

TEST_F(LongPathOf, MissingFileInAnExistingFolderKeepsTheGivenName) {
    std::wstring shortFolder = ShortPathOf(folder);
    EXPECT_EQ(bralto::LongPathOf(shortFolder + L"\\ABSENT.ZIP"), folder + L"\\ABSENT.ZIP");
}

TEST(FileExtension, FromTheLastDot) {
    EXPECT_EQ(bralto::FileExtension(L"C:\\a.b\\c.tar.ZIP"), L".ZIP");
    EXPECT_EQ(bralto::FileExtension(L"C:\\sans"), L"");
    EXPECT_EQ(bralto::FileExtension(L"fin."), L".");
}

}  // namespace
