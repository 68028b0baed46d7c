// The launch decisions of start-up, recorded through the launch targets.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Start.h"

namespace {

class RecordingTargets : public bralto::LaunchTargets {
public:
    bool registerDeclined = false;
    std::vector<std::wstring> calls;

    bool RegisterDeclined() override { return registerDeclined; }
    void ShowRegisterWindow() override { calls.push_back(L"register"); }
    void ShowMainWindow() override { calls.push_back(L"main"); }
    void OpenAZip(const std::wstring& path) override { calls.push_back(L"open:" + path); }
    void NewFromShell(const std::wstring& path) override { calls.push_back(L"new:" + path); }
    void QuickExtract(const std::wstring& path) override { calls.push_back(L"extract:" + path); }
    std::wstring LongPathOf(const std::wstring& path) override { return L"long(" + path + L")"; }
};

std::vector<std::wstring> Launch(const std::wstring& arguments, bool registerDeclined = false) {
    RecordingTargets targets;
    targets.registerDeclined = registerDeclined;
    bralto::Main(arguments, targets);
    return targets.calls;
}

using Calls = std::vector<std::wstring>;

TEST(StartDispatch, NoArgumentsOffersAssociationFirstThenMainWindow) {
    EXPECT_EQ(Launch(L""), (Calls{L"register", L"main"}));
}

TEST(StartDispatch, NoArgumentsWithAssociationDeclinedShowsOnlyMainWindow) {
    EXPECT_EQ(Launch(L"", true), (Calls{L"main"}));
}

TEST(StartDispatch, ExpressExtractionTakesLongPathAfterSwitchAndSeparator) {
    EXPECT_EQ(Launch(L"/e C:\\ARCHIV~1.ZIP"), (Calls{L"extract:long(C:\\ARCHIV~1.ZIP)"}));
}

TEST(StartDispatch, NewArchivePassesShortPathUnchanged) {
    EXPECT_EQ(Launch(L"/n C:\\PROGRA~1\\NOUVEA~1.ZIP"), (Calls{L"main", L"new:C:\\PROGRA~1\\NOUVEA~1.ZIP"}));
}

TEST(StartDispatch, AnythingElseIsAnArchivePathOpenedInLongForm) {
    EXPECT_EQ(Launch(L"C:\\DOCUME~1\\A.ZIP"), (Calls{L"main", L"open:long(C:\\DOCUME~1\\A.ZIP)"}));
}

TEST(StartDispatch, SwitchesAreCaseSensitive) {
    EXPECT_EQ(Launch(L"/E C:\\A.ZIP"), (Calls{L"main", L"open:long(/E C:\\A.ZIP)"}));
    EXPECT_EQ(Launch(L"/N C:\\A.ZIP"), (Calls{L"main", L"open:long(/N C:\\A.ZIP)"}));
}

TEST(StartDispatch, OtherSwitchesAreTakenAsPaths) {
    EXPECT_EQ(Launch(L"/p C:\\A.ZIP"), (Calls{L"main", L"open:long(/p C:\\A.ZIP)"}));
    EXPECT_EQ(Launch(L"/a C:\\A.ZIP"), (Calls{L"main", L"open:long(/a C:\\A.ZIP)"}));
}

TEST(StartDispatch, QuotedPathsOfLaunchersLoseTheirQuotesForEveryLaunch) {
    // "Open with", shortcuts and the Run box quote a path that holds a blank.
    EXPECT_EQ(Launch(L"\"C:\\Mes documents\\été 2024.zip\""),
              (Calls{L"main", L"open:long(C:\\Mes documents\\été 2024.zip)"}));
    EXPECT_EQ(Launch(L"/e \"C:\\Mes documents\\été 2024.zip\""),
              (Calls{L"extract:long(C:\\Mes documents\\été 2024.zip)"}));
    EXPECT_EQ(Launch(L"/n \"C:\\Mes documents\\Nouvelle archive.zip\""),
              (Calls{L"main", L"new:C:\\Mes documents\\Nouvelle archive.zip"}))
        << "no stray quote in the proposed name";
    // Blanks a launcher leaves after the closing quote go with it.
    EXPECT_EQ(Launch(L"\"C:\\a b.zip\"  "), (Calls{L"main", L"open:long(C:\\a b.zip)"}));
}

TEST(StartDispatch, UnquotedAndOddlyQuotedPathsAreLeftAsTheyCome) {
    EXPECT_EQ(Launch(L"C:\\Mes documents\\a.zip"), (Calls{L"main", L"open:long(C:\\Mes documents\\a.zip)"}));
    // No closing quote, or text after it: not one quoted path, kept whole.
    EXPECT_EQ(Launch(L"\"C:\\a b.zip"), (Calls{L"main", L"open:long(\"C:\\a b.zip)"}));
    EXPECT_EQ(Launch(L"\"C:\\a.zip\" x"), (Calls{L"main", L"open:long(\"C:\\a.zip\" x)"}));
    EXPECT_EQ(Launch(L"/n \"\""), (Calls{L"main", L"new:"}));
}

TEST(StartDispatch, BareSwitchGivesAnEmptyPath) {
    EXPECT_EQ(Launch(L"/n"), (Calls{L"main", L"new:"}));
    EXPECT_EQ(Launch(L"/e"), (Calls{L"extract:long()"}));
}

TEST(CommandArguments, SkipsProgramNameAndFollowingBlanksOnly) {
    EXPECT_EQ(bralto::CommandArguments(L"Bralto.exe"), L"");
    EXPECT_EQ(bralto::CommandArguments(L"C:\\Bralto\\Bralto.exe /e C:\\A.ZIP"), L"/e C:\\A.ZIP");
    EXPECT_EQ(bralto::CommandArguments(L"\"C:\\Program Files\\Bralto\\Bralto.exe\"   a b  c "), L"a b  c ");
    EXPECT_EQ(bralto::CommandArguments(L"\"C:\\Bralto.exe\"\"x.zip\""), L"\"x.zip\"");
}

}  // namespace
