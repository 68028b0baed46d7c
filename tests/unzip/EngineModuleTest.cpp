// The unzip module's helpers: member paths both ways, automation dates,
// the name table limit, and the error source of the index checks.
#include "AutomationError.h"
#include "UnzipDirectory.h"
#include "UnzipTestSupport.h"
#include "cUnzip.h"
#include "mUnzip.h"

namespace unziptest {
namespace {

using namespace bralto;

void cUnzipForMissingLibrary() {
    bralto::cUnzip unzip;
    unzip.ZipFile(L"C:\\any.zip");
    try {
        unzip.Directory();
        FAIL() << "no error";
    } catch (const AutomationError& error) {
        EXPECT_EQ(53, error.Number());
        EXPECT_EQ(L"lonely.VBUnzip", error.Source());
        EXPECT_EQ(nullptr, CurrentUnzipListener());
    }
}

TEST(EngineModule, SplitMemberPath) {
    std::wstring folder, name;
    SplitMemberPath(L"a/b/c.txt", folder, name);
    EXPECT_EQ(L"a\\b", folder);
    EXPECT_EQ(L"c.txt", name);
    SplitMemberPath(L"c.txt", folder, name);
    EXPECT_EQ(L"", folder);
    EXPECT_EQ(L"c.txt", name);
    SplitMemberPath(L"a/b/", folder, name);
    EXPECT_EQ(L"", name);  // a folder entry: not recorded
    SplitMemberPath(L"/x", folder, name);
    EXPECT_EQ(L"", folder);
    EXPECT_EQ(L"x", name);
}

TEST(EngineModule, LibraryMemberPath) {
    EXPECT_EQ(L"c.txt", LibraryMemberPath(L"", L"c.txt"));
    EXPECT_EQ(L"a/b/c.txt", LibraryMemberPath(L"a\\b", L"c.txt"));
}

TEST(EngineModule, AutomationDates) {
    EXPECT_DOUBLE_EQ(0.0, MakeAutomationDate(1899, 12, 30, 0, 0, 0));
    EXPECT_DOUBLE_EQ(2.0, MakeAutomationDate(1900, 1, 1, 0, 0, 0));
    EXPECT_DOUBLE_EQ(36526.5, MakeAutomationDate(2000, 1, 1, 12, 0, 0));
    EXPECT_DOUBLE_EQ(-1.25, MakeAutomationDate(1899, 12, 29, 6, 0, 0));
}

TEST(EngineModule, IndexErrorsNameTheirClass) {
    UnzipMemberDirectory directory(L"cAsyncUnzip");
    directory.Append(UnzipMemberEntry{});
    EXPECT_NO_THROW(directory.At(1));
    try {
        directory.At(2);
        FAIL() << "no error";
    } catch (const AutomationError& error) {
        EXPECT_EQ(9, error.Number());
        EXPECT_EQ(ExecutableBaseName() + L".cAsyncUnzip", error.Source());
    }
}

TEST(EngineModule, IncludeNamesOfASelection) {
    UnzipMemberDirectory directory;
    UnzipMemberEntry a, b;
    a.folder = L"dir\\sub";
    a.name = L"a.txt";
    b.name = L"b.txt";
    directory.Append(a);
    directory.Append(b);
    EXPECT_TRUE(directory.IncludeNames().empty());  // all selected
    directory.At(2).selected = false;
    EXPECT_EQ(std::vector<std::wstring>{L"dir/sub/a.txt"}, directory.IncludeNames());
    directory.At(1).selected = false;
    EXPECT_TRUE(directory.IncludeNames().empty());  // none selected
}

TEST(EngineModule, ExactlyTheNameLimitIsAccepted) {
    // 1023 names fit (the archive is missing: the library answers 9).
    std::vector<std::wstring> names(kMaxUnzipNames, L"x");
    UnzipOptionRecord options;
    options.ZipFile(Fixture(L"absent.zip"));
    UnzipListingTotals totals;
    EXPECT_EQ(9, RunUnzip(nullptr, options.ForJob(L"", false), names, {}, totals));
    names.push_back(L"y");
    EXPECT_THROW(RunUnzip(nullptr, options.ForJob(L"", false), {}, names, totals), AutomationError);
}

// Run only as the child of the next test, from a folder without the library.
TEST(EngineModule, LibraryMissingChild) {
    if (!GetEnvironmentVariableW(L"BRALTO_EXPECT_NO_LIBRARY", nullptr, 0)) GTEST_SKIP();
    cUnzipForMissingLibrary();
}

TEST(EngineModule, MissingLibraryRaisesFileNotFound) {
    ScratchFolder folder(L"no-library");
    wchar_t self[MAX_PATH * 2];
    DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH * 2);
    std::wstring copy = folder / L"lonely.exe";
    ASSERT_TRUE(CopyFileW(std::wstring(self, length).c_str(), copy.c_str(), FALSE));
    std::wstring command = L"\"" + copy + L"\" --gtest_filter=EngineModule.LibraryMissingChild";
    SetEnvironmentVariableW(L"BRALTO_EXPECT_NO_LIBRARY", L"1");
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    BOOL started = CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, folder.path().c_str(),
                                  &startup, &process);
    SetEnvironmentVariableW(L"BRALTO_EXPECT_NO_LIBRARY", nullptr);
    ASSERT_TRUE(started);
    WaitForSingleObject(process.hProcess, 60000);
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    EXPECT_EQ(0u, exitCode);
}

}  // namespace
}  // namespace unziptest
