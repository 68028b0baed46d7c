// The about box: what the running program's version information and the
// machine's registered user make of it, and which labels open addresses.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "DialogDriver.h"
#include "frmAbout.h"

namespace {

using namespace bralto;
using namespace bralto::test;

const wchar_t kCaption[] = L"A propos de";
const wchar_t kSetupKey[] = L".Default\\Software\\Microsoft\\MS Setup (ACME)";
const wchar_t kUserInfoKey[] = L".Default\\Software\\Microsoft\\MS Setup (ACME)\\User Info";

// Leaves the registered user information as the test found it.
class RegisteredUserTest : public testing::Test {
protected:
    void SetUp() override {
        HKEY key = nullptr;
        existed_ = RegOpenKeyExW(HKEY_USERS, kSetupKey, 0, KEY_READ, &key) == ERROR_SUCCESS;
        if (key) RegCloseKey(key);
        if (existed_) GTEST_SKIP() << "the machine has setup user information of its own";
    }
    void TearDown() override {
        if (!existed_) RegDeleteTreeW(HKEY_USERS, kSetupKey);
    }
    static void SetName(const wchar_t* name) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_USERS, kUserInfoKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        if (name)
            RegSetValueExW(key, L"DefName", 0, REG_SZ, reinterpret_cast<const BYTE*>(name),
                           static_cast<DWORD>((wcslen(name) + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
    }

private:
    bool existed_ = false;
};

TEST_F(RegisteredUserTest, LineNamesTheUserOnlyWhenTheSetupKeyExists) {
    EXPECT_EQ(frmAbout::RegisteredUserLine(), L"");
    SetName(nullptr);
    EXPECT_EQ(frmAbout::RegisteredUserLine(), L"License accordée à ") << "key without a name";
    SetName(L"Jeanne Hébert");
    EXPECT_EQ(frmAbout::RegisteredUserLine(), L"License accordée à Jeanne Hébert");
}

TEST_F(RegisteredUserTest, TheBoxShowsTheLineAndOpensWithoutIt) {
    std::wstring withoutKey = L"<not shown>", withKey = L"<not shown>";
    {
        DialogUser user(kCaption, [&](HWND dialog) {
            withoutKey = ItemText(dialog, frmAbout::lblUser);
            Click(dialog, frmAbout::cmdOK);
        });
        frmAbout::Show(nullptr, [](HWND, const std::wstring&) {});
    }
    SetName(L"Paul Durand");
    {
        DialogUser user(kCaption, [&](HWND dialog) {
            withKey = ItemText(dialog, frmAbout::lblUser);
            Click(dialog, frmAbout::cmdOK);
        });
        frmAbout::Show(nullptr, [](HWND, const std::wstring&) {});
    }
    EXPECT_EQ(withoutKey, L"");
    EXPECT_EQ(withKey, L"License accordée à Paul Durand");
}

TEST(AboutBox, ShowsTheRunningProgramsVersionInformation) {
    std::vector<std::wstring> texts;
    bool closedByEscape = false;
    {
        DialogUser user(kCaption, [&](HWND dialog) {
            EXPECT_EQ(std::vector<std::wstring>{}, TextsCutShort(dialog)) << "texts cut short";
            for (int id :
                 std::initializer_list<int>{frmAbout::lblTitle, frmAbout::lblVersion, frmAbout::lblDescription,
                                            frmAbout::lblDisclaimer, frmAbout::lblMail0, frmAbout::lblMail1,
                                            frmAbout::lblWeb0, frmAbout::lblWeb1, static_cast<int>(frmAbout::cmdOK)})
                texts.push_back(ItemText(dialog, id));
            PostMessageW(GetDlgItem(dialog, frmAbout::cmdOK), WM_KEYDOWN, VK_ESCAPE, 0);
            closedByEscape = WaitForDialogGone(kCaption);
        });
        frmAbout::Show(nullptr, [](HWND, const std::wstring&) {});
        EXPECT_TRUE(user.Found());
    }
    ASSERT_EQ(texts.size(), 9u);
    EXPECT_EQ(texts[0], L"Bralto d'essai");
    EXPECT_EQ(texts[1], L"Version 2.0.15") << "numbers without padding, the third one unused";
    EXPECT_EQ(texts[2], L"Programme de test des fenêtres");
    EXPECT_EQ(texts[3], L"Fourni sans garantie, à l'essai.");
    EXPECT_EQ(texts[4], L"Mail:");
    EXPECT_EQ(texts[5], L"auteur@bralto.example");
    EXPECT_EQ(texts[6], L"Web:");
    EXPECT_EQ(texts[7], L"http://www.bralto.example/");
    EXPECT_EQ(texts[8], L"OK");
    EXPECT_TRUE(closedByEscape);
}

void ClickLabel(HWND dialog, int id) {
    HWND label = GetDlgItem(dialog, id);
    SendMessageW(label, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    SendMessageW(label, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
}

TEST(AboutBox, OnlyTheAddressesOpenAndEnterCloses) {
    std::vector<std::wstring> opened;
    std::vector<HWND> owners;
    HWND shown = nullptr;
    bool closedByEnter = false;
    {
        DialogUser user(kCaption, [&](HWND dialog) {
            shown = dialog;
            for (int id :
                 {frmAbout::lblMail0, frmAbout::lblWeb0, frmAbout::lblTitle, frmAbout::lblMail1, frmAbout::lblWeb1})
                ClickLabel(dialog, id);
            PostMessageW(GetDlgItem(dialog, frmAbout::cmdOK), WM_KEYDOWN, VK_RETURN, 0);
            closedByEnter = WaitForDialogGone(kCaption);
        });
        frmAbout::Show(nullptr, [&](HWND owner, const std::wstring& file) {
            owners.push_back(owner);
            opened.push_back(file);
        });
    }
    EXPECT_EQ(opened, (std::vector<std::wstring>{L"mailto: auteur@bralto.example", L"http://www.bralto.example/"}));
    for (HWND owner : owners) EXPECT_EQ(owner, shown) << "failures are reported over the box";
    EXPECT_TRUE(closedByEnter);
}

TEST(AboutBox, AProgramWithoutVersionInformationGivesEmptyFacts) {
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    const VersionFacts none = frmAbout::ReadVersionFacts(std::wstring(system) + L"\\no such program.exe");
    EXPECT_EQ(none.productName, L"");
    EXPECT_EQ(frmAbout::VersionText(none), L"Version 0.0.0");
    VersionFacts padded;
    padded.major = 10;
    padded.minor = 2;
    padded.revision = 305;
    EXPECT_EQ(frmAbout::VersionText(padded), L"Version 10.2.305");
}

}  // namespace
