// The settings store: per user, string values, defaults for missing keys and
// tolerant reading of values a user or an older version may have left.
#include <gtest/gtest.h>

#include <windows.h>

#include "Handles.h"
#include "Settings.h"

namespace {

using bralto::Settings;

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Quenor App Bralto"); }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Quenor App Bralto"); }

    static std::wstring RawValue(const wchar_t* section, const wchar_t* key, DWORD* type = nullptr) {
        std::wstring path = std::wstring(L"Software\\Quenor App Bralto\\") + section;
        wchar_t buffer[512] = {};
        DWORD size = sizeof(buffer);
        DWORD t = 0;
        if (RegGetValueW(HKEY_CURRENT_USER, path.c_str(), key, RRF_RT_ANY, &t, buffer, &size) != ERROR_SUCCESS)
            return L"<missing>";
        if (type) *type = t;
        return buffer;
    }
};

TEST_F(SettingsTest, MissingValuesReadAsTheirDefaults) {
    EXPECT_FALSE(Settings::RegisterDeclined());
    EXPECT_FALSE(Settings::MainWindowPlacement().has_value());
    EXPECT_EQ(Settings::AddingUsePath(), 0);
    EXPECT_EQ(Settings::AddingView(), 3);
    EXPECT_EQ(Settings::AddingFolder(), L"C:");
    EXPECT_EQ(Settings::ExtractingFolder(), L"C:");
    EXPECT_EQ(Settings::ExtractingOver(), 0);
    EXPECT_EQ(Settings::ExtractingNewer(), 0);
    EXPECT_EQ(Settings::ExtractingExistingNewer(), 0);
    EXPECT_EQ(Settings::ExtractingUsePath(), 0);
    EXPECT_EQ(Settings::ExtractingCommon(), 0);
    for (int slot = 1; slot <= Settings::kRecentCount; ++slot) EXPECT_EQ(Settings::RecentArchive(slot), L"");
    EXPECT_EQ(bralto::GetSetting(L"StartUp", L"Inconnu", L"défaut"), L"défaut");
}

TEST_F(SettingsTest, ValuesAreStoredAsStringsUnderTheApplicationKey) {
    Settings::SetRegisterDeclined(true);
    Settings::SetExtractingOver(2);
    Settings::SetRecentArchive(1, L"C:\\Données\\été.zip");
    DWORD type = 0;
    EXPECT_EQ(RawValue(L"StartUp", L"Register", &type), L"1");
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(RawValue(L"Extracting", L"Over"), L"2");
    EXPECT_EQ(RawValue(L"MRU", L"1"), L"C:\\Données\\été.zip");
}

TEST_F(SettingsTest, EveryKeyRoundTrips) {
    Settings::SetAddingUsePath(1);
    Settings::SetAddingView(-2);
    Settings::SetAddingFolder(L"D:\\À ajouter");
    Settings::SetExtractingFolder(L"E:\\Sortie");
    Settings::SetExtractingOver(1);
    Settings::SetExtractingNewer(1);
    Settings::SetExtractingExistingNewer(1);
    Settings::SetExtractingUsePath(1);
    Settings::SetExtractingCommon(32767);
    for (int slot = 1; slot <= Settings::kRecentCount; ++slot)
        Settings::SetRecentArchive(slot, L"C:\\a" + std::to_wstring(slot) + L".zip");
    EXPECT_EQ(Settings::AddingUsePath(), 1);
    EXPECT_EQ(Settings::AddingView(), -2);
    EXPECT_EQ(Settings::AddingFolder(), L"D:\\À ajouter");
    EXPECT_EQ(Settings::ExtractingFolder(), L"E:\\Sortie");
    EXPECT_EQ(Settings::ExtractingOver(), 1);
    EXPECT_EQ(Settings::ExtractingNewer(), 1);
    EXPECT_EQ(Settings::ExtractingExistingNewer(), 1);
    EXPECT_EQ(Settings::ExtractingUsePath(), 1);
    EXPECT_EQ(Settings::ExtractingCommon(), 32767);
    for (int slot = 1; slot <= Settings::kRecentCount; ++slot)
        EXPECT_EQ(Settings::RecentArchive(slot), L"C:\\a" + std::to_wstring(slot) + L".zip");
}

TEST_F(SettingsTest, RegisterReadsBooleanWordsNumbersAndAnythingElseAsFalse) {
    const std::pair<const wchar_t*, bool> cases[] = {
        {L"1", true},    {L"-1", true},   {L"True", true}, {L"TRUE", true},       {L" true ", true},
        {L"Vrai", true}, {L"2.5", true},  {L"0", false},   {L"False", false},     {L"faux", false},
        {L"", false},    {L"oui", false}, {L"1x", false},  {L"peut-être", false},
    };
    for (const auto& [text, expected] : cases) {
        bralto::SaveSetting(L"StartUp", L"Register", text);
        EXPECT_EQ(Settings::RegisterDeclined(), expected) << "stored text: " << testing::PrintToString(text);
    }
}

TEST_F(SettingsTest, PlacementRoundTripsAndNeedsHeight) {
    Settings::SaveMainWindowPlacement(6000, 9000, -120, 300);
    auto placement = Settings::MainWindowPlacement();
    ASSERT_TRUE(placement.has_value());
    EXPECT_EQ(placement->height, 6000);
    EXPECT_EQ(placement->width, 9000);
    EXPECT_EQ(placement->top, -120);
    EXPECT_EQ(placement->left, 300);

    bralto::DeleteSetting(L"StartUp", L"Height");
    EXPECT_FALSE(Settings::MainWindowPlacement().has_value());
}

TEST_F(SettingsTest, OutOfRangeOrGarbledPlacementIsIgnoredNotFatal) {
    Settings::SaveMainWindowPlacement(6000, 9000, 120, 40000);  // a window closed far to the right
    EXPECT_EQ(RawValue(L"StartUp", L"Left"), L"40000");
    EXPECT_FALSE(Settings::MainWindowPlacement().has_value());

    Settings::SaveMainWindowPlacement(6000, 9000, -32769, 0);
    EXPECT_FALSE(Settings::MainWindowPlacement().has_value());

    Settings::SaveMainWindowPlacement(32767, 9000, -32768, 0);
    EXPECT_TRUE(Settings::MainWindowPlacement().has_value());

    bralto::SaveSetting(L"StartUp", L"Width", L"large");
    EXPECT_FALSE(Settings::MainWindowPlacement().has_value());
}

TEST_F(SettingsTest, UnreadableIntegerSettingFallsBackToItsDefault) {
    bralto::SaveSetting(L"Adding", L"View", L"99999");
    EXPECT_EQ(Settings::AddingView(), 3);
    bralto::SaveSetting(L"Adding", L"View", L" 2 ");
    EXPECT_EQ(Settings::AddingView(), 2);
}

TEST(SettingText, Int16Parsing) {
    EXPECT_EQ(bralto::SettingTextAsInt16(L"0"), int16_t{0});
    EXPECT_EQ(bralto::SettingTextAsInt16(L"-32768"), int16_t{-32768});
    EXPECT_EQ(bralto::SettingTextAsInt16(L"+12"), int16_t{12});
    EXPECT_FALSE(bralto::SettingTextAsInt16(L"32768").has_value());
    EXPECT_FALSE(bralto::SettingTextAsInt16(L"-").has_value());
    EXPECT_FALSE(bralto::SettingTextAsInt16(L"").has_value());
    EXPECT_FALSE(bralto::SettingTextAsInt16(L"12345678901234567890").has_value());
}

}  // namespace
