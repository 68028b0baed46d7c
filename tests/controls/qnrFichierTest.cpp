// The file list on folders made under C:\ for the test: rows and their
// texts, the icon cache, view changes, and listings cut short by the tree.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "ControlTestSupport.h"
#include "qnrFichier.h"
#include "qnrRepertoire.h"

namespace bralto {
namespace {

using test::HostWindow;
using test::TempTree;

std::wstring ModifiedOf(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
    return ModifiedText(data.ftLastWriteTime);
}

struct Files {
    explicit Files(long view = 3) : folder(L"qnrFileTest") {
        folder.File(L"empty.bin", 0);
        folder.File(L"one.txt", 1);
        folder.File(L"kilo.txt", 1024);
        folder.File(L"half.dat", 1536);
        folder.File(L"big.txt", 1234567);
        folder.File(L"readme.txt", 20);
        folder.File(L"noext", 5);
        folder.File(L"tool.exe", 64);
        folder.File(L".hidden.txt", 3);
        folder.Folder(L"Sub");
        folder.Folder(L".dotdir");
        folder.Folder(L"Empty");
        qnrFichierArgs args;
        args.parent = host.hwnd();
        args.place = {5, 5, 485, 355};
        args.view = view;
        EXPECT_TRUE(list.Create(args));
    }
    std::vector<std::wstring> Names() const {
        std::vector<std::wstring> names;
        for (int row = 0; row < list.ItemCount(); ++row) names.push_back(list.ItemText(row));
        return names;
    }
    std::vector<std::wstring> SortedNames() const {
        std::vector<std::wstring> names = Names();
        std::sort(names.begin(), names.end());
        return names;
    }
    int Row(const std::wstring& name) const { return list.FindItem(name); }
    HostWindow host;
    TempTree folder;
    qnrFichier list;
};

TEST(qnrFichier, SizeAndDateTexts) {
    EXPECT_EQ(KilobytesText(0), L"0 Ko");
    EXPECT_EQ(KilobytesText(1), L"1 Ko");
    EXPECT_EQ(KilobytesText(1024), L"1 Ko");
    EXPECT_EQ(KilobytesText(1025), L"2 Ko");
    EXPECT_EQ(KilobytesText(1536), L"2 Ko");
    EXPECT_EQ(KilobytesText(1234567), L"1 206 Ko");
    EXPECT_EQ(KilobytesText(5ULL * 1024 * 1024 * 1024 + 1), L"5 242 881 Ko");
    EXPECT_EQ(KilobytesText(999ULL * 1024), L"999 Ko");
    SYSTEMTIME local = {};
    local.wYear = 2001;
    local.wMonth = 3;
    local.wDay = 5;
    local.wHour = 9;
    local.wMinute = 7;
    local.wSecond = 2;
    FILETIME localTime, utc;
    ASSERT_TRUE(SystemTimeToFileTime(&local, &localTime));
    ASSERT_TRUE(LocalFileTimeToFileTime(&localTime, &utc));
    EXPECT_EQ(ModifiedText(utc), L"05/03/2001 09:07:02");
}

TEST(qnrFichier, ListsTheFilesOfAFolderWithTheirTexts) {
    Files f;
    ASSERT_TRUE(f.list.GetFiles(f.folder.Root()));
    EXPECT_EQ(f.list.Path(), f.folder.Root());
    const std::vector<std::wstring> expected = {L"big.txt", L"empty.bin", L"half.dat",   L"kilo.txt",
                                                L"noext",   L"one.txt",   L"readme.txt", L"tool.exe"};
    EXPECT_EQ(f.SortedNames(), expected);  // no folders, nothing beginning with a dot
    EXPECT_EQ(f.list.ItemText(f.Row(L"empty.bin"), 1), L"0 Ko");
    EXPECT_EQ(f.list.ItemText(f.Row(L"one.txt"), 1), L"1 Ko");
    EXPECT_EQ(f.list.ItemText(f.Row(L"kilo.txt"), 1), L"1 Ko");
    EXPECT_EQ(f.list.ItemText(f.Row(L"half.dat"), 1), L"2 Ko");
    EXPECT_EQ(f.list.ItemText(f.Row(L"big.txt"), 1), L"1 206 Ko");
    for (int row = 0; row < f.list.ItemCount(); ++row) {
        EXPECT_FALSE(f.list.ItemText(row, 2).empty()) << row;
        EXPECT_EQ(f.list.ItemText(row, 3), ModifiedOf(f.folder.Root() + L"\\" + f.list.ItemText(row)));
        EXPECT_EQ(f.list.IsItemSelected(row), row == 0);
    }
    EXPECT_EQ(f.list.SelectedItem(), 0);
    f.list.SetItemSelected(-1, false);  // what a host does after a listing it did not ask for
    EXPECT_EQ(f.list.SelectedItem(), -1);
    f.list.SetItemSelected(2, true);
    EXPECT_EQ(f.list.SelectedItem(), 2);
    // A mask narrows the listing; changing it alone does not list again.
    f.list.Filter(L"*.txt");
    EXPECT_EQ(f.list.ItemCount(), 8);
    ASSERT_TRUE(f.list.RefreshList());
    EXPECT_EQ(f.SortedNames(), (std::vector<std::wstring>{L"big.txt", L"kilo.txt", L"one.txt", L"readme.txt"}));
}

TEST(qnrFichier, FilesOverFourGigabytesShowTheirFullSize) {
    TempTree folder(L"qnrFileHuge");
    folder.File(L"huge.bin", 5ULL * 1024 * 1024 * 1024 + 1);  // sparse: no disk space used
    HostWindow host;
    qnrFichier list;
    qnrFichierArgs args;
    args.parent = host.hwnd();
    args.view = 3;
    ASSERT_TRUE(list.Create(args));
    ASSERT_TRUE(list.GetFiles(folder.Root()));
    ASSERT_EQ(list.ItemCount(), 1);
    EXPECT_EQ(list.ItemText(0, 1), L"5 242 881 Ko");
}

TEST(qnrFichier, FoldersAppearOnlyWhenAsked) {
    Files f;
    f.list.Path(f.folder.Root());
    EXPECT_EQ(f.Row(L"Sub"), -1);
    f.list.ShowFolders(true);  // lists again
    ASSERT_GE(f.Row(L"Sub"), 0);
    EXPECT_GE(f.Row(L"Empty"), 0);
    EXPECT_EQ(f.Row(L".dotdir"), -1);
    EXPECT_FALSE(f.list.ItemText(f.Row(L"Sub"), 2).empty());
    const std::wstring subKey = f.folder.Root() + L"\\Sub";
    EXPECT_GE(f.list.ImageIndexOf(subKey), 0);  // folders are keyed by their full path
    EXPECT_EQ(f.list.ItemImage(f.Row(L"Sub")), f.list.ImageIndexOf(subKey));
}

TEST(qnrFichier, EmptyAndMissingFoldersGiveAnEmptyListWithPathRecorded) {
    Files f;
    const std::wstring empty = f.folder.Root() + L"\\Empty";
    ASSERT_TRUE(f.list.GetFiles(empty));
    EXPECT_EQ(f.list.ItemCount(), 0);
    EXPECT_EQ(f.list.SelectedItem(), -1);
    EXPECT_EQ(f.list.Path(), empty);
    const std::wstring missing = f.folder.Root() + L"\\Missing";
    ASSERT_TRUE(f.list.GetFiles(missing));
    EXPECT_EQ(f.list.ItemCount(), 0);
    EXPECT_EQ(f.list.Path(), missing);
}

TEST(qnrFichier, IconsAreCachedByExtensionExceptForProgramsAndBareNames) {
    Files f;
    ASSERT_TRUE(f.list.GetFiles(f.folder.Root()));
    const int text = f.list.ImageIndexOf(L".txt");
    ASSERT_GE(text, 0);
    for (const wchar_t* name : {L"one.txt", L"kilo.txt", L"big.txt", L"readme.txt"})
        EXPECT_EQ(f.list.ItemImage(f.Row(name)), text) << name;
    EXPECT_GE(f.list.ImageIndexOf(f.folder.Root() + L"\\noext"), 0);
    EXPECT_GE(f.list.ImageIndexOf(f.folder.Root() + L"\\tool.exe"), 0);
    EXPECT_EQ(f.list.ImageIndexOf(L".exe"), -1);
    const int images = f.list.ImageCount();
    EXPECT_EQ(images, 5);  // .txt, .bin, .dat, noext, tool.exe
    ASSERT_TRUE(f.list.RefreshList());
    EXPECT_EQ(f.list.ImageCount(), images);
}

TEST(qnrFichier, ViewChangesAcrossIconSizesEmptyTheCacheAndListAgain) {
    Files f;  // report view
    ASSERT_TRUE(f.list.GetFiles(f.folder.Root()));
    HIMAGELIST small = ListView_GetImageList(f.list.hWnd(), LVSIL_SMALL);
    ASSERT_NE(small, nullptr);
    int side = 0, height = 0;
    ImageList_GetIconSize(small, &side, &height);
    EXPECT_EQ(side, GetSystemMetrics(SM_CXSMICON));
    f.list.View(1);  // small icons: same icon size, cache kept
    EXPECT_EQ(f.list.View(), 1);
    EXPECT_EQ(ListView_GetImageList(f.list.hWnd(), LVSIL_SMALL), small);
    f.list.View(0);  // large icons: fetched anew
    EXPECT_EQ(f.list.View(), 0);
    HIMAGELIST large = ListView_GetImageList(f.list.hWnd(), LVSIL_NORMAL);
    ASSERT_NE(large, nullptr);
    ImageList_GetIconSize(large, &side, &height);
    EXPECT_EQ(side, GetSystemMetrics(SM_CXICON));
    EXPECT_EQ(f.list.ItemCount(), 8);
    EXPECT_EQ(f.list.ImageCount(), 5);
    f.list.View(3);
    ImageList_GetIconSize(ListView_GetImageList(f.list.hWnd(), LVSIL_SMALL), &side, &height);
    EXPECT_EQ(side, GetSystemMetrics(SM_CXSMICON));
}

TEST(qnrFichier, HiddenExtensionsAreShownOnce) {
    HKEY advanced = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced", 0,
                              nullptr, 0, KEY_ALL_ACCESS, nullptr, &advanced, nullptr),
              ERROR_SUCCESS);
    DWORD saved = 0, size = sizeof(saved);
    const bool hadValue = RegQueryValueExW(advanced, L"HideFileExt", nullptr, nullptr, reinterpret_cast<BYTE*>(&saved),
                                           &size) == ERROR_SUCCESS;
    const DWORD hide = 1;
    RegSetValueExW(advanced, L"HideFileExt", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&hide), sizeof(hide));
    Files f;
    const bool listed = f.list.GetFiles(f.folder.Root());
    if (hadValue)
        RegSetValueExW(advanced, L"HideFileExt", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&saved), sizeof(saved));
    else
        RegDeleteValueW(advanced, L"HideFileExt");
    RegCloseKey(advanced);
    ASSERT_TRUE(listed);
    EXPECT_GE(f.Row(L"readme.txt"), 0);
    EXPECT_EQ(f.Row(L"readme.txt.txt"), -1);
    EXPECT_EQ(f.Row(L"readme"), -1);
}

TEST(qnrFichier, AnArrowWaitingForTheTreeCutsTheListingShort) {
    Files f;
    HostWindow treeHost(100, 100);
    HWND tree = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, treeHost.hwnd(), nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    f.list.ParentTree(tree);
    test::PumpMessages();
    // Another key leaves the listing alone.
    PostMessageW(tree, WM_KEYDOWN, VK_LEFT, 0);
    ASSERT_TRUE(f.list.GetFiles(f.folder.Root()));
    EXPECT_EQ(f.list.ItemCount(), 8);
    MSG waiting;
    while (PeekMessageW(&waiting, tree, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE)) {
    }
    // The down arrow stops it after the first row; Path is still recorded.
    const std::wstring empty = f.folder.Root() + L"\\Empty";
    ASSERT_TRUE(f.list.GetFiles(empty));
    PostMessageW(tree, WM_KEYDOWN, VK_DOWN, 0);
    ASSERT_TRUE(f.list.GetFiles(f.folder.Root()));
    EXPECT_EQ(f.list.ItemCount(), 1);
    EXPECT_EQ(f.list.Path(), f.folder.Root());
    EXPECT_TRUE(PeekMessageW(&waiting, tree, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE));  // left for the tree
    // A link to a window that is gone ends the listing as an error.
    ASSERT_TRUE(f.list.GetFiles(empty));
    DestroyWindow(tree);
    EXPECT_FALSE(f.list.GetFiles(f.folder.Root()));
    EXPECT_EQ(f.list.ItemCount(), 1);
    EXPECT_EQ(f.list.Path(), empty);
}

TEST(qnrFichier, BesideAFolderTreeTheListFollowsTheTreesArrowKeys) {
    Files f;
    f.folder.File(L"Sub\\inside.txt", 1);
    qnrRepertoire tree;
    qnrRepertoireArgs args;
    args.parent = f.host.hwnd();
    args.place = {490, 5, 690, 355};
    ASSERT_TRUE(tree.Create(args));
    tree.OnPathChange = [&](const std::wstring& path) { f.list.Path(path); };
    f.list.ParentTree(tree.hWnd());
    ASSERT_TRUE(tree.OpenAFolder(f.folder.Root()));
    EXPECT_EQ(f.list.ItemCount(), 8);
    // Down moves to the first sub-folder, Empty: the listing of the root that
    // is running when the key arrives stops at its first row.
    PostMessageW(tree.hWnd(), WM_KEYDOWN, VK_DOWN, 0);
    ASSERT_TRUE(f.list.RefreshList());
    EXPECT_EQ(f.list.ItemCount(), 1);
    test::PumpUntil([&] { return f.list.Path() != f.folder.Root(); });
    EXPECT_EQ(tree.Path(), f.folder.Root() + L"\\Empty");
    EXPECT_EQ(f.list.Path(), f.folder.Root() + L"\\Empty");
    EXPECT_EQ(f.list.ItemCount(), 0);
    SendMessageW(tree.hWnd(), WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(f.list.Path(), f.folder.Root() + L"\\Sub");
    EXPECT_EQ(f.Names(), std::vector<std::wstring>{L"inside.txt"});
}

TEST(qnrFichier, ColumnsSortingAndHeaderClicks) {
    Files f;
    wchar_t header[32];
    LVCOLUMNW column = {};
    column.mask = LVCF_TEXT | LVCF_FMT;
    column.pszText = header;
    column.cchTextMax = 32;
    const wchar_t* headers[] = {L"Nom", L"Taille", L"Type", L"Modifié"};
    for (int index = 0; index < 4; ++index) {
        ASSERT_TRUE(ListView_GetColumn(f.list.hWnd(), index, &column));
        EXPECT_STREQ(header, headers[index]);
        EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, index == 1 ? LVCFMT_RIGHT : LVCFMT_LEFT);
    }
    EXPECT_NEAR(f.list.ColNameWidth(), 2300.0f, 15.0f);
    EXPECT_NEAR(f.list.ColDateWidth(), 1000.0f, 15.0f);
    f.list.ColSizeWidth(1500.0f);
    EXPECT_NEAR(f.list.ColSizeWidth(), 1500.0f, 15.0f);

    ASSERT_TRUE(f.list.GetFiles(f.folder.Root()));
    f.list.SortOrder(1);
    f.list.SortKey(0);
    f.list.Sorted(true);
    std::vector<std::wstring> descending = f.SortedNames();
    std::reverse(descending.begin(), descending.end());
    EXPECT_EQ(f.Names(), descending);

    int clicked = -1;
    f.list.ColumnClick = [&](int index) { clicked = index; };
    NMLISTVIEW click = {};
    click.hdr.hwndFrom = f.list.hWnd();
    click.hdr.code = LVN_COLUMNCLICK;
    click.iItem = -1;
    click.iSubItem = 2;
    SendMessageW(GetParent(f.list.hWnd()), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&click));
    EXPECT_EQ(clicked, 2);
}

TEST(qnrFichier, PassThroughPropertiesReachTheListView) {
    Files f;
    HWND list = f.list.hWnd();
    f.list.BackColor(0x00FFFF);  // yellow
    EXPECT_EQ(ListView_GetBkColor(list), RGB(255, 255, 0));
    f.list.ForeColor(static_cast<long>(0x80000008UL));
    EXPECT_EQ(ListView_GetTextColor(list), GetSysColor(COLOR_WINDOWTEXT));
    EXPECT_FALSE(f.list.MultiSelect());
    f.list.MultiSelect(true);
    EXPECT_TRUE(f.list.MultiSelect());
    EXPECT_EQ(GetWindowLongW(list, GWL_STYLE) & LVS_SINGLESEL, 0);
    f.list.FullRowSelect(true);
    f.list.AllowColumnReorder(true);
    EXPECT_TRUE(f.list.FullRowSelect());
    EXPECT_TRUE(ListView_GetExtendedListViewStyle(list) & LVS_EX_HEADERDRAGDROP);
    f.list.FullRowSelect(false);
    EXPECT_FALSE(f.list.FullRowSelect());
    EXPECT_TRUE(f.list.AllowColumnReorder());
    EXPECT_FALSE(f.list.HideSelection());
    f.list.HideSelection(true);
    EXPECT_TRUE(f.list.HideSelection());
    f.list.HideColumnHeaders(true);
    EXPECT_TRUE(GetWindowLongW(list, GWL_STYLE) & LVS_NOCOLUMNHEADER);
    f.list.Enabled(false);
    EXPECT_FALSE(IsWindowEnabled(list));
    f.list.Enabled(true);
    EXPECT_TRUE(IsWindowEnabled(list));
}

}  // namespace
}  // namespace bralto
