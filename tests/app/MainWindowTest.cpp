// The main window opening archives made by Debian's zip: every column of
// every row, the result messages of the failed opens (answered here as a
// user would), menu states, sorting, the recent archives and the layout.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "Settings.h"
#include "WindowTestSupport.h"
#include "frmBralto.h"

namespace bralto {
namespace {

using test::DialogAnswerer;
using test::FixtureFolder;
using test::Grouped;
using test::ListCount;
using test::ListText;
using test::SeenDialog;

DialogAnswerer::Answer PressOk() {
    return [](HWND dialog, const SeenDialog&) {
        test::Press(dialog, IDOK);
        return true;
    };
}

void ClearRecentSettings() {
    for (int n = 1; n <= 4; ++n) DeleteSetting(L"MRU", std::to_wstring(n));
}

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ClearRecentSettings();
        DeleteSetting(L"StartUp", L"Height");
        window.Show();
    }
    HWND List() const { return GetDlgItem(window.Handle(), frmBralto::lisFich); }
    bool MenuEnabled(int id) const {
        UINT state = GetMenuState(GetMenu(window.Handle()), static_cast<UINT>(id), MF_BYCOMMAND);
        return state != static_cast<UINT>(-1) && !(state & (MF_GRAYED | MF_DISABLED));
    }
    bool ButtonEnabled(int command) const {
        return SendMessageW(GetDlgItem(window.Handle(), frmBralto::tooBar), TB_ISBUTTONENABLED, command, 0) != 0;
    }
    std::wstring Caption() const { return test::TextOf(window.Handle()); }

    frmBralto window;
};

std::wstring ShellTypeName(const std::wstring& name) {
    SHFILEINFOW info = {};
    SHGetFileInfoW(name.c_str(), 0, &info, sizeof(info), SHGFI_TYPENAME | SHGFI_USEFILEATTRIBUTES);
    return info.szTypeName;
}

TEST_F(MainWindow, ListsEveryColumnOfEveryMemberAsThePeersSeeThem) {
    DialogAnswerer answerer(PressOk());
    const std::wstring path = FixtureFolder() + L"listed.zip";
    ASSERT_TRUE(window.OpenAZip(path));
    EXPECT_TRUE(answerer.Seen().empty()) << "no message for a sound archive";
    EXPECT_EQ(Caption(), L"listed.zip");
    EXPECT_EQ(window.Tag(), path);
    EXPECT_EQ(window.StatusText(), L"Prêt");

    auto expected = test::ReadTable(FixtureFolder() + L"expected_listed.tsv");
    ASSERT_EQ(ListCount(List()), static_cast<int>(expected.size()));
    // Rows are sorted by name; find each expected member by its name.
    for (const auto& member : expected) {
        int row = -1;
        for (int r = 0; r < ListCount(List()); ++r)
            if (ListText(List(), r, 0) == member[0]) row = r;
        ASSERT_GE(row, 0) << "missing row";
        SCOPED_TRACE(::testing::Message() << "row " << row);
        EXPECT_EQ(ListText(List(), row, 1), member[6] == L"1" ? L"©" : L"");
        EXPECT_EQ(ListText(List(), row, 2), ShellTypeName(member[0]));
        EXPECT_EQ(ListText(List(), row, 3), member[2]);
        EXPECT_EQ(ListText(List(), row, 4), Grouped(member[3]));
        EXPECT_EQ(ListText(List(), row, 5), member[5]);
        EXPECT_EQ(ListText(List(), row, 6), Grouped(member[4]));
        EXPECT_EQ(ListText(List(), row, 7), member[1]);
    }
    // 1 234 567 bytes: three groups.
    bool sawBig = false;
    for (int r = 0; r < ListCount(List()); ++r) sawBig = sawBig || ListText(List(), r, 4) == L"1 234 567";
    EXPECT_TRUE(sawBig);
    // Keys and tags.
    for (const ArchiveRow& row : window.Rows()) {
        EXPECT_EQ(row.key, L"X" + std::to_wstring(row.index));
        EXPECT_EQ(row.tag, row.text[0]);
    }
    // Menus after a successful open.
    for (int i = 0; i <= 3; ++i) EXPECT_TRUE(MenuEnabled(frmBralto::mnuAction + i)) << i;
    for (int i = 0; i <= 1; ++i) EXPECT_TRUE(MenuEnabled(frmBralto::mnuEdition + i)) << i;
    for (int i = 0; i <= 2; ++i) EXPECT_TRUE(MenuEnabled(frmBralto::mnuOutils + i)) << i;
    for (int i = 0; i <= 3; ++i) EXPECT_TRUE(ButtonEnabled(frmBralto::mnuAction + i)) << i;
}

TEST_F(MainWindow, EmptyArchiveOpensSilentlyWithOnlyAddEnabled) {
    DialogAnswerer answerer(PressOk());
    ASSERT_TRUE(window.OpenAZip(FixtureFolder() + L"empty.zip"));
    EXPECT_TRUE(answerer.Seen().empty());
    EXPECT_EQ(ListCount(List()), 0);
    EXPECT_EQ(Caption(), L"empty.zip");
    EXPECT_TRUE(MenuEnabled(frmBralto::mnuAction + 0));
    for (int i = 1; i <= 3; ++i) EXPECT_FALSE(MenuEnabled(frmBralto::mnuAction + i)) << i;
    EXPECT_TRUE(ButtonEnabled(frmBralto::mnuAction + 0));
    for (int i = 1; i <= 3; ++i) EXPECT_FALSE(ButtonEnabled(frmBralto::mnuAction + i)) << i;
}

TEST_F(MainWindow, FailedOpensShowTheirMessageAndLeaveNoArchive) {
    struct Case {
        const wchar_t* file;
        std::wstring message;
    };
    const std::wstring folder = FixtureFolder();
    const Case cases[] = {
        {L"missing.zip", L"Bralto ne parvient pas à ouvrir " + folder + L"missing.zip\r\nLe fichier est introuvable."},
        {L"notazip.zip", L"Bralto ne parvient pas à ouvrir " + folder +
                             L"notazip.zip\r\nLe fichier n'est pas un fichier zip,\r\nou est un fragment non terminal "
                             L"d'une archive répartie sur plusieurs supports (non pris en charge par cette version)."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.file);
        ASSERT_TRUE(window.OpenAZip(folder + L"listed.zip"));
        DialogAnswerer answerer(PressOk());
        EXPECT_FALSE(window.OpenAZip(folder + c.file));
        auto seen = answerer.Seen();
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].caption, L"Bralto");
        EXPECT_EQ(seen[0].text, c.message);
        EXPECT_EQ(Caption(), L"Bralto");
        EXPECT_EQ(window.Tag(), L"");
        EXPECT_EQ(ListCount(List()), 0);
        for (int i = 0; i <= 3; ++i) EXPECT_FALSE(MenuEnabled(frmBralto::mnuAction + i));
        for (int i = 0; i <= 2; ++i) EXPECT_FALSE(MenuEnabled(frmBralto::mnuOutils + i));
        for (int i = 0; i <= 3; ++i) EXPECT_FALSE(ButtonEnabled(frmBralto::mnuAction + i));
        EXPECT_EQ(window.StatusText(), L"Prêt");
    }
}

TEST_F(MainWindow, DamagedDirectoryIsAnOpeningError) {
    ASSERT_TRUE(window.OpenAZip(FixtureFolder() + L"listed.zip"));
    DialogAnswerer answerer(PressOk());
    EXPECT_FALSE(window.OpenAZip(FixtureFolder() + L"damaged.zip"));
    auto seen = answerer.Seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, L"Erreur lors de l'ouverture du fichier.");
    EXPECT_EQ(Caption(), L"Bralto");
    EXPECT_EQ(ListCount(List()), 0);
}

TEST_F(MainWindow, LastVolumeOfASplitArchiveIsNamedThenListed) {
    DialogAnswerer answerer(PressOk());
    const std::wstring path = FixtureFolder() + L"split.zip";
    EXPECT_TRUE(window.OpenAZip(path));
    auto seen = answerer.Seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, path +
                                L" est le dernier fragment d'une archive répartie sur plusieurs supports.\r\nCette "
                                L"fonction n'est pas prise en charge par cette version.\r\nLe fichier va être ouvert "
                                L"pour lecture seule. Vous ne pourrez ni ajouter, ni extraire de fichier.");
    EXPECT_EQ(Caption(), L"split.zip");
    EXPECT_EQ(window.Tag(), path);
}

TEST_F(MainWindow, HeaderClicksSortByTextThenReverse) {
    ASSERT_TRUE(window.OpenAZip(FixtureFolder() + L"listed.zip"));
    auto column = [&](int c) {
        std::vector<std::wstring> values;
        for (int r = 0; r < ListCount(List()); ++r) values.push_back(ListText(List(), r, c));
        return values;
    };
    auto isSorted = [](std::vector<std::wstring> v, bool descending) {
        for (size_t i = 1; i < v.size(); ++i) {
            int order = CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, v[i - 1].c_str(), -1, v[i].c_str(), -1);
            if (descending ? order == CSTR_LESS_THAN : order == CSTR_GREATER_THAN) return false;
        }
        return true;
    };
    EXPECT_TRUE(isSorted(column(0), false));
    NMLISTVIEW click = {};
    click.hdr.hwndFrom = List();
    click.hdr.idFrom = frmBralto::lisFich;
    click.hdr.code = LVN_COLUMNCLICK;
    click.iItem = -1;
    click.iSubItem = 4;  // "Taille": sorted as text, not as numbers
    SendMessageW(window.Handle(), WM_NOTIFY, frmBralto::lisFich, reinterpret_cast<LPARAM>(&click));
    EXPECT_TRUE(isSorted(column(4), false));
    SendMessageW(window.Handle(), WM_NOTIFY, frmBralto::lisFich, reinterpret_cast<LPARAM>(&click));
    EXPECT_TRUE(isSorted(column(4), true));
    EXPECT_FALSE(isSorted(column(4), false));
    click.iSubItem = 0;  // another column keeps the (descending) order
    SendMessageW(window.Handle(), WM_NOTIFY, frmBralto::lisFich, reinterpret_cast<LPARAM>(&click));
    EXPECT_TRUE(isSorted(column(0), true));
}

TEST_F(MainWindow, RecentArchivesFollowOpensInTheFileMenu) {
    const std::wstring folder = FixtureFolder();
    ASSERT_TRUE(window.OpenAZip(folder + L"listed.zip"));
    ASSERT_TRUE(window.OpenAZip(folder + L"empty.zip"));
    HMENU menu = GetMenu(window.Handle());
    wchar_t caption[256] = {};
    GetMenuStringW(menu, frmBralto::mnuMRU + 1, caption, 256, MF_BYCOMMAND);
    EXPECT_EQ(std::wstring(caption), L"&1. empty.zip");
    GetMenuStringW(menu, frmBralto::mnuMRU + 2, caption, 256, MF_BYCOMMAND);
    EXPECT_EQ(std::wstring(caption), L"&2. listed.zip");
    EXPECT_EQ(Settings::RecentArchive(1), folder + L"empty.zip");
    EXPECT_EQ(Settings::RecentArchive(2), folder + L"listed.zip");
    // Picking entry 2 reopens it.
    SendMessageW(window.Handle(), WM_COMMAND, frmBralto::mnuMRU + 2, 0);
    EXPECT_EQ(Caption(), L"listed.zip");
    EXPECT_EQ(Settings::RecentArchive(1), folder + L"listed.zip");
    // A failed open does not enter the list.
    DialogAnswerer answerer(PressOk());
    window.OpenAZip(folder + L"missing.zip");
    EXPECT_EQ(Settings::RecentArchive(1), folder + L"listed.zip");
}

TEST_F(MainWindow, LayoutKeepsMinimumSizeAndCentresTheCancelButton) {
    HWND hwnd = window.Handle();
    MoveWindow(hwnd, 10, 10, 50, 50, TRUE);
    RECT frame;
    GetWindowRect(hwnd, &frame);
    HDC screen = GetDC(nullptr);
    const int dpiX = GetDeviceCaps(screen, LOGPIXELSX), dpiY = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    EXPECT_GE(frame.right - frame.left, MulDiv(2500, dpiX, 1440));
    EXPECT_GE(frame.bottom - frame.top, MulDiv(3500, dpiY, 1440));

    for (SIZE size : {SIZE{700, 500}, SIZE{900, 650}}) {
        MoveWindow(hwnd, 10, 10, size.cx, size.cy, TRUE);
        RECT client, button;
        GetClientRect(hwnd, &client);
        HWND cancel = GetDlgItem(hwnd, frmBralto::cmdCancel);
        GetWindowRect(cancel, &button);
        MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&button), 2);
        EXPECT_NEAR((button.left + button.right) / 2, client.right / 2, 1);
        EXPECT_NEAR((button.top + button.bottom) / 2, client.bottom / 2, 1);
        RECT list;
        GetWindowRect(GetDlgItem(hwnd, frmBralto::lisFich), &list);
        EXPECT_EQ(list.right - list.left, client.right);
    }
}

TEST(MainWindowPlacement, SavedOnCloseAndRestoredOnLoad) {
    DeleteSetting(L"StartUp", L"Height");
    {
        frmBralto first;
        first.Show();
        MoveWindow(first.Handle(), 40, 50, 720, 480, TRUE);
        DestroyWindow(first.Handle());
    }
    auto saved = Settings::MainWindowPlacement();
    ASSERT_TRUE(saved.has_value());
    frmBralto second;
    second.Show();
    RECT frame;
    GetWindowRect(second.Handle(), &frame);
    EXPECT_NEAR(frame.left, 40, 1);
    EXPECT_NEAR(frame.top, 50, 1);
    EXPECT_NEAR(frame.right - frame.left, 720, 1);
    EXPECT_NEAR(frame.bottom - frame.top, 480, 1);
    // Closing maximised keeps the placement of the last normal close.
    ShowWindow(second.Handle(), SW_MAXIMIZE);
    DestroyWindow(second.Handle());
    auto kept = Settings::MainWindowPlacement();
    ASSERT_TRUE(kept.has_value());
    EXPECT_EQ(kept->width, saved->width);
    EXPECT_EQ(kept->left, saved->left);
}

// This test program carries the program icon as Bralto.exe does.
TEST_F(MainWindow, ShowsTheProgramIconLargeAndSmall) {
    auto sideOf = [](HICON icon) {
        ICONINFO info = {};
        if (!icon || !GetIconInfo(icon, &info)) return 0;
        BITMAP colour = {};
        GetObjectW(info.hbmColor, sizeof(colour), &colour);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        return static_cast<int>(colour.bmWidth);
    };
    auto big = reinterpret_cast<HICON>(SendMessageW(window.Handle(), WM_GETICON, ICON_BIG, 0));
    auto small = reinterpret_cast<HICON>(SendMessageW(window.Handle(), WM_GETICON, ICON_SMALL, 0));
    EXPECT_EQ(sideOf(big), GetSystemMetrics(SM_CXICON));
    EXPECT_EQ(sideOf(small), GetSystemMetrics(SM_CXSMICON)) << "the 16-pixel drawing, not the large one shrunk";
}

TEST_F(MainWindow, ScreenshotWithAnArchiveOpen) {
    ASSERT_TRUE(window.OpenAZip(FixtureFolder() + L"listed.zip"));
    MoveWindow(window.Handle(), 20, 20, 900, 420, TRUE);
    test::PumpUntil([] { return false; }, 500);
    CreateDirectoryW(L"Z:" BRALTO_SCREENSHOTS, nullptr);
    std::wstring file = L"Z:" BRALTO_SCREENSHOTS L"/main_window.bmp";
    for (auto& c : file)
        if (c == L'/') c = L'\\';
    EXPECT_TRUE(test::SaveWindowImage(window.Handle(), file));
}

}  // namespace
}  // namespace bralto
