// The unzip module's helpers: member paths both ways, automation dates,
// the name table limit, and the error source of the index checks.
#include "EngineError.h"
#include "UnzipDirectory.h"
#include "UnzipTestSupport.h"
#include "mUnzip.h"

namespace unziptest {
namespace {

using namespace bralto;

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

}  // namespace
}  // namespace unziptest
