// The recent-archives list against the settings store.
#include <gtest/gtest.h>

#include "Settings.h"
#include "mMRU.h"

namespace bralto {
namespace {

class RecentArchives : public ::testing::Test {
protected:
    void SetUp() override {
        for (int n = 1; n <= 4; ++n) DeleteSetting(L"MRU", std::to_wstring(n));
    }
    void TearDown() override { SetUp(); }
    std::vector<std::wstring> Visible(const MruMenu& menu) {
        std::vector<std::wstring> tags;
        for (int n = 1; n <= 4; ++n)
            if (menu.items[n].visible) tags.push_back(menu.items[n].tag);
        return tags;
    }
};

TEST_F(RecentArchives, OpeningAToEKeepsTheFourNewest) {
    MruMenu menu;
    LoadMRU(menu);
    EXPECT_FALSE(menu.items[0].visible);
    for (const wchar_t* path : {L"C:\\A.zip", L"C:\\B.zip", L"C:\\C.zip", L"C:\\D.zip", L"C:\\x\\E.zip"})
        AddMRU(menu, path);
    EXPECT_EQ(Visible(menu), (std::vector<std::wstring>{L"C:\\x\\E.zip", L"C:\\D.zip", L"C:\\C.zip", L"C:\\B.zip"}));
    EXPECT_TRUE(menu.items[0].visible);
    EXPECT_EQ(menu.items[1].caption, L"&1. E.zip");
    EXPECT_EQ(menu.items[4].caption, L"&4. B.zip");
    EXPECT_EQ(Settings::RecentArchive(1), L"C:\\x\\E.zip");
    EXPECT_EQ(Settings::RecentArchive(4), L"C:\\B.zip");

    MruMenu reloaded;
    LoadMRU(reloaded);
    EXPECT_EQ(Visible(reloaded), Visible(menu));
    EXPECT_EQ(reloaded.items[2].caption, L"&2. D.zip");
}

TEST_F(RecentArchives, ReopeningTheFirstChangesAndWritesNothing) {
    MruMenu menu;
    AddMRU(menu, L"C:\\A.zip");
    AddMRU(menu, L"C:\\B.zip");
    SaveSetting(L"MRU", L"1", L"changed behind the list");
    EXPECT_FALSE(AddMRU(menu, L"C:\\B.zip"));
    EXPECT_EQ(Settings::RecentArchive(1), L"changed behind the list");
    EXPECT_EQ(Visible(menu), (std::vector<std::wstring>{L"C:\\B.zip", L"C:\\A.zip"}));
}

TEST_F(RecentArchives, ReopeningTheThirdMovesItToTheTop) {
    MruMenu menu;
    for (const wchar_t* path : {L"C:\\A.zip", L"C:\\B.zip", L"C:\\C.zip", L"C:\\D.zip"}) AddMRU(menu, path);
    // D C B A: B is third.
    EXPECT_TRUE(AddMRU(menu, L"C:\\B.zip"));
    EXPECT_EQ(Visible(menu), (std::vector<std::wstring>{L"C:\\B.zip", L"C:\\D.zip", L"C:\\C.zip", L"C:\\A.zip"}));
    EXPECT_EQ(menu.items[2].caption, L"&2. D.zip");
    EXPECT_EQ(menu.items[3].caption, L"&3. C.zip");
    EXPECT_EQ(Settings::RecentArchive(1), L"C:\\B.zip");
    EXPECT_EQ(Settings::RecentArchive(3), L"C:\\C.zip");
    // Paths differing in letter case are different entries.
    AddMRU(menu, L"c:\\b.zip");
    EXPECT_EQ(Visible(menu), (std::vector<std::wstring>{L"c:\\b.zip", L"C:\\B.zip", L"C:\\D.zip", L"C:\\C.zip"}));
}

TEST_F(RecentArchives, LoadingStopsAtTheFirstEmptyValue) {
    SaveSetting(L"MRU", L"1", L"C:\\A.zip");
    SaveSetting(L"MRU", L"3", L"C:\\C.zip");
    MruMenu menu;
    LoadMRU(menu);
    EXPECT_EQ(Visible(menu), (std::vector<std::wstring>{L"C:\\A.zip"}));
    EXPECT_TRUE(menu.items[0].visible);
    // Saving leaves keys past the last visible entry alone.
    SaveMRU(menu);
    EXPECT_EQ(Settings::RecentArchive(3), L"C:\\C.zip");
}

}  // namespace
}  // namespace bralto
