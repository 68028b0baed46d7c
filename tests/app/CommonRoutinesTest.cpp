// The small routines of the module Common.
#include <gtest/gtest.h>

#include <windows.h>
#include <oleauto.h>

#include "Common.h"
#include "JobSpecifications.h"

namespace bralto {
namespace {

TEST(CommonRoutines, PathPieces) {
    EXPECT_EQ(StripAtNul(std::wstring(L"abc\0def", 7)), L"abc");
    EXPECT_EQ(StripAtNul(L"abc"), L"abc");
    EXPECT_EQ(StripAtNul(std::wstring(L"\0x", 2)), L"");
    EXPECT_EQ(FileTitleOf(L"C:\\a\\b\\arch.zip"), L"arch.zip");
    EXPECT_EQ(FileTitleOf(L"arch.zip"), L"arch.zip");
    EXPECT_EQ(FileTitleOf(L"C:\\a\\"), L"");
    EXPECT_EQ(FolderOf(L"C:\\a\\b\\arch.zip"), L"C:\\a\\b\\");
    EXPECT_EQ(FolderOf(L"arch.zip"), L"");
    EXPECT_EQ(FileExtension(L"a.b\\c.TXT"), L".TXT");
    EXPECT_EQ(FileExtension(L"README"), L"");
}

TEST(CommonRoutines, CrLfTextDoublesLineEndsAndDropsTheLastCharacter) {
    EXPECT_EQ(CrLfText(L""), L"");
    EXPECT_EQ(CrLfText(L"one\n"), L"one\r");
    EXPECT_EQ(CrLfText(L"one\ntwo\n"), L"one\r\ntwo\r");
    EXPECT_EQ(CrLfText(L"no end"), L"no en");
    EXPECT_EQ(CrLfText(L"\n"), L"\r");
}

TEST(CommonRoutines, GroupedNumbers) {
    EXPECT_EQ(FormatGroupedNumber(0), L"0");
    EXPECT_EQ(FormatGroupedNumber(999), L"999");
    EXPECT_EQ(FormatGroupedNumber(1000), L"1 000");
    EXPECT_EQ(FormatGroupedNumber(1234567), L"1 234 567");
    EXPECT_EQ(FormatGroupedNumber(2147483647), L"2 147 483 647");
    EXPECT_EQ(FormatGroupedNumber(-12345), L"-12 345");
}

TEST(CommonRoutines, ListDatesAgreeWithTheSystemConversion) {
    const SYSTEMTIME samples[] = {{2024, 3, 2, 5, 14, 7, 0, 0},
                                  {1980, 1, 2, 1, 0, 0, 0, 0},
                                  {2107, 12, 6, 31, 23, 59, 0, 0},
                                  {2000, 2, 2, 29, 9, 5, 0, 0}};
    for (const SYSTEMTIME& time : samples) {
        double date = 0;
        SYSTEMTIME copy = time;
        ASSERT_TRUE(SystemTimeToVariantTime(&copy, &date));
        wchar_t expected[32];
        swprintf(expected, 32, L"%02u/%02u/%04u %02u:%02u", time.wDay, time.wMonth, time.wYear, time.wHour,
                 time.wMinute);
        EXPECT_EQ(FormatListDate(date), expected);
    }
    // Seconds round to the nearest minute, across midnight too.
    EXPECT_EQ(FormatListDate(45000.0 + (23 * 60 + 59.6) / 1440.0), FormatListDate(45001.0));
}

class FolderTree : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        root = std::wstring(temp) + L"bralto_tree_" + std::to_wstring(GetCurrentProcessId());
        for (const wchar_t* sub : {L"", L"\\A", L"\\A\\B", L"\\C", L"\\.hidden"})
            CreateDirectoryW((root + sub).c_str(), nullptr);
        HANDLE file = CreateFileW((root + L"\\file.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        CloseHandle(file);
    }
    void TearDown() override {
        SetFileAttributesW((root + L"\\file.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW((root + L"\\file.txt").c_str());
        for (const wchar_t* sub : {L"\\A\\B", L"\\A", L"\\C", L"\\.hidden", L""})
            RemoveDirectoryW((root + sub).c_str());
    }
    std::wstring root;
};

TEST_F(FolderTree, SubFoldersBreadthFirstWithoutDotNames) {
    std::vector<std::wstring> folders{L"stale"};
    ListSubFolders(root, folders);
    ASSERT_EQ(folders.size(), 4u);
    EXPECT_EQ(folders[0], root);
    EXPECT_EQ(folders[3], root + L"\\A\\B");
    EXPECT_TRUE((folders[1] == root + L"\\A" && folders[2] == root + L"\\C") ||
                (folders[1] == root + L"\\C" && folders[2] == root + L"\\A"));
}

TEST_F(FolderTree, SubFoldersStopAtTheLimitBreadthFirst) {
    std::vector<std::wstring> folders;
    ListSubFolders(root, folders, 3);
    ASSERT_EQ(folders.size(), 3u);
    EXPECT_EQ(folders[0], root);
    for (const auto& folder : folders) EXPECT_NE(folder, root + L"\\A\\B");
    ListSubFolders(root, folders, 0);
    EXPECT_TRUE(folders.empty());
}

TEST_F(FolderTree, HiddenOrSystemFiles) {
    const std::wstring file = root + L"\\file.txt";
    EXPECT_FALSE(IsHiddenOrSystem(file));
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_HIDDEN);
    EXPECT_TRUE(IsHiddenOrSystem(file));
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_SYSTEM);
    EXPECT_TRUE(IsHiddenOrSystem(file));
    EXPECT_FALSE(IsHiddenOrSystem(root + L"\\missing.txt"));
}

TEST_F(FolderTree, AFolderRowWithSubFoldersGivesOneMaskPerFolderBreadthFirst) {
    const std::vector<std::wstring> specs = FolderTreeSpecifications(root + L"\\*.txt");
    ASSERT_EQ(specs.size(), 4u);
    EXPECT_EQ(specs[0], root + L"\\*.txt");
    EXPECT_EQ(specs[3], root + L"\\A\\B\\*.txt");
    for (const auto& spec : specs) EXPECT_EQ(spec.find(L".hidden"), std::wstring::npos);
}

TEST_F(FolderTree, AddRowsKeepTheirOrderAndHiddenFilesFollowTheSystemBox) {
    const std::wstring file = root + L"\\file.txt";
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_HIDDEN);
    const std::vector<AddSelection> rows{{SelectionKind::File, file, 3, L"X"},
                                         {SelectionKind::FolderAlone, root + L"\\C\\*.*", 1, L"B"},
                                         {SelectionKind::FolderWithSubFolders, root + L"\\A\\*.log", 2, L"A"}};
    EXPECT_EQ(AddSpecificationsOf(rows, false),
              (std::vector<std::wstring>{root + L"\\C\\*.*", root + L"\\A\\*.log", root + L"\\A\\B\\*.log"}));
    EXPECT_EQ(AddSpecificationsOf(rows, true),
              (std::vector<std::wstring>{file, root + L"\\C\\*.*", root + L"\\A\\*.log", root + L"\\A\\B\\*.log"}));
}

TEST(JobSpecifications, ADeletedMemberInAFolderIsNamedWithTheFolderBetweenBackslashes) {
    EXPECT_EQ(DeleteSpecificationOf(L"docs\\deep", L"leaf.txt"), L"\\docs\\deep\\leaf.txt");
    EXPECT_EQ(DeleteSpecificationOf(L"", L"readme.TXT"), L"readme.TXT");
}

TEST(CommonRoutines, TemporaryAndSpecialFolders) {
    const std::wstring temp = TempFolderPath();
    ASSERT_FALSE(temp.empty());
    EXPECT_NE(GetFileAttributesW(temp.c_str()), INVALID_FILE_ATTRIBUTES);
    const std::wstring windows = SpecialFolderPath(nullptr, 0x24 /* CSIDL_WINDOWS */);
    wchar_t expected[MAX_PATH];
    GetWindowsDirectoryW(expected, MAX_PATH);
    EXPECT_EQ(lstrcmpiW(windows.c_str(), expected), 0);
    EXPECT_EQ(SpecialFolderPath(nullptr, 0x7F), L"");
}

}  // namespace
}  // namespace bralto
