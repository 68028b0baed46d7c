// The folder tree on folders made under C:\ for the test: opening paths,
// lazy reading of sub-folders, Path and its events, collapse rules.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "ControlTestSupport.h"
#include "qnrRepertoire.h"

namespace bralto {
namespace {

using test::HostWindow;
using test::TempTree;

struct Tree {
    Tree() : folders(L"qnrTreeTest") {
        folders.Folder(L"Alpha\\Beta\\Gamma");
        folders.Folder(L"Alpha\\Beta\\.hidden\\inner");
        folders.Folder(L"Alpha\\Delta");
        folders.File(L"Alpha\\file.txt", 10);
        folders.Folder(L"Zeta\\Sub");
        qnrRepertoireArgs args;
        args.parent = host.hwnd();
        args.place = {5, 5, 305, 355};
        EXPECT_TRUE(tree.Create(args));
        tree.OnPathChange = [this](const std::wstring& path) { changes.push_back(path); };
        tree.NodeClick = [this](HTREEITEM) { ++clicks; };
        tree.Expand = [this](HTREEITEM node) { expanded.push_back(tree.NodeText(node)); };
        tree.Collapse = [this](HTREEITEM node) { collapsed.push_back(tree.NodeText(node)); };
    }
    HTREEITEM Child(HTREEITEM parent, const std::wstring& text) const {
        for (HTREEITEM node : tree.Nodes(parent))
            if (tree.NodeText(node) == text) return node;
        return nullptr;
    }
    HTREEITEM Find(const std::wstring& path) const {
        HTREEITEM node = TVI_ROOT;
        size_t start = 0;
        while (node) {
            const size_t end = path.find(L'\\', start);
            node = Child(node, path.substr(start, end == std::wstring::npos ? end : end - start));
            if (end == std::wstring::npos) break;
            start = end + 1;
        }
        return node;
    }
    std::vector<std::wstring> Texts(HTREEITEM parent) const {
        std::vector<std::wstring> texts;
        for (HTREEITEM node : tree.Nodes(parent)) texts.push_back(tree.NodeText(node));
        return texts;
    }
    // A click on the expand button of `node`.
    void ToggleByMouse(HTREEITEM node) {
        RECT text;
        TreeView_GetItemRect(tree.hWnd(), node, &text, TRUE);
        const int y = (text.top + text.bottom) / 2;
        for (int x = 0; x < text.left; ++x) {
            TVHITTESTINFO hit = {};
            hit.pt = {x, y};
            if (TreeView_HitTest(tree.hWnd(), &hit) == node && (hit.flags & TVHT_ONITEMBUTTON)) {
                SendMessageW(tree.hWnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
                SendMessageW(tree.hWnd(), WM_LBUTTONUP, 0, MAKELPARAM(x, y));
                return;
            }
        }
        ADD_FAILURE() << "no expand button";
    }
    HostWindow host;
    TempTree folders;
    qnrRepertoire tree;
    std::vector<std::wstring> changes;
    std::vector<std::wstring> expanded;
    std::vector<std::wstring> collapsed;
    int clicks = 0;
};

TEST(qnrRepertoire, OpensADeepFolderGivenInLowerCase) {
    Tree t;
    EXPECT_TRUE(t.tree.OpenAFolder(L"c:\\qnrtreetest\\alpha\\beta\\gamma"));
    const std::wstring expected = L"C:\\qnrTreeTest\\Alpha\\Beta\\Gamma";
    EXPECT_EQ(t.tree.Path(), expected);
    EXPECT_EQ(t.changes, std::vector<std::wstring>{expected});
    EXPECT_EQ(t.clicks, 1);
    EXPECT_EQ(t.tree.NodeFullPath(t.tree.SelectedItem()), expected);
    for (const wchar_t* ancestor :
         {L"C:", L"C:\\qnrTreeTest", L"C:\\qnrTreeTest\\Alpha", L"C:\\qnrTreeTest\\Alpha\\Beta"})
        EXPECT_TRUE(t.tree.IsExpanded(t.Find(ancestor))) << ancestor;
    // Sub-folders sorted, files and names beginning with a dot left out.
    EXPECT_EQ(t.Texts(t.Find(L"C:\\qnrTreeTest\\Alpha")), (std::vector<std::wstring>{L"Beta", L"Delta"}));
    EXPECT_EQ(t.Texts(t.Find(L"C:\\qnrTreeTest\\Alpha\\Beta")), std::vector<std::wstring>{L"Gamma"});
    // Folders without sub-folders have no expand button; others a placeholder.
    EXPECT_TRUE(t.tree.Nodes(t.Find(L"C:\\qnrTreeTest\\Alpha\\Delta")).empty());
    EXPECT_EQ(t.Texts(t.Find(L"C:\\qnrTreeTest\\Zeta")), std::vector<std::wstring>{L"Unused"});
    // Every other drive keeps its placeholder: no drive is read unless opened.
    for (HTREEITEM drive : t.tree.Nodes()) {
        if (t.tree.NodeText(drive) == L"C:") continue;
        EXPECT_EQ(t.Texts(drive), std::vector<std::wstring>{L"Unused"});
    }
}

TEST(qnrRepertoire, DriveRootsSelectTheDriveNode) {
    Tree t;
    for (const wchar_t* root : {L"C:", L"C:\\", L"c:\\"}) {
        t.changes.clear();
        EXPECT_TRUE(t.tree.OpenAFolder(root)) << root;
        EXPECT_EQ(t.tree.Path(), L"C:");
        EXPECT_EQ(t.changes, std::vector<std::wstring>{L"C:"});
        EXPECT_EQ(t.tree.NodeText(t.tree.SelectedItem()), L"C:");
        EXPECT_EQ(t.tree.NodeImage(t.tree.SelectedItem()), qnrRepertoire::kImageDrive);
    }
}

TEST(qnrRepertoire, PathsThatAreNoFolderLeaveTheTreeAsItWas) {
    Tree t;
    ASSERT_TRUE(t.tree.OpenAFolder(L"C:\\qnrTreeTest\\Alpha"));
    const size_t roots = t.tree.Nodes().size();
    HTREEITEM selected = t.tree.SelectedItem();
    t.changes.clear();
    for (const wchar_t* wrong : {L"", L"C:\\qnrTreeTest\\Alpha\\file.txt", L"C:\\qnrTreeTest\\Missing",
                                 L"C:\\qnrTreeTest\\Alpha\\", L"C:\\qnrTree*", L"C:\\qnrTreeTest\\Alph?"}) {
        EXPECT_FALSE(t.tree.OpenAFolder(wrong)) << wrong;
    }
    EXPECT_EQ(t.tree.Nodes().size(), roots);
    EXPECT_EQ(t.tree.SelectedItem(), selected);
    EXPECT_EQ(t.tree.Path(), L"C:\\qnrTreeTest\\Alpha");
    EXPECT_TRUE(t.changes.empty());
}

TEST(qnrRepertoire, ADriveLetterAloneRebuildsTheDrivesOnly) {
    Tree t;
    ASSERT_TRUE(t.tree.OpenAFolder(L"C:\\qnrTreeTest"));
    t.changes.clear();
    EXPECT_TRUE(t.tree.OpenAFolder(L"C"));  // occurs in the list of drive roots
    EXPECT_EQ(t.tree.Path(), L"C:\\qnrTreeTest");
    EXPECT_TRUE(t.changes.empty());
    EXPECT_FALSE(t.tree.Nodes().empty());
    for (HTREEITEM drive : t.tree.Nodes()) EXPECT_EQ(t.Texts(drive), std::vector<std::wstring>{L"Unused"});
    // Actualiser does the same.
    ASSERT_TRUE(t.tree.OpenAFolder(L"C:\\qnrTreeTest\\Zeta"));
    t.tree.Actualiser();
    EXPECT_EQ(t.Texts(t.Find(L"C:")), std::vector<std::wstring>{L"Unused"});
    EXPECT_EQ(t.tree.Path(), L"C:\\qnrTreeTest\\Zeta");
}

TEST(qnrRepertoire, EveryExpansionReadsTheDiskAgain) {
    Tree t;
    ASSERT_TRUE(t.tree.OpenAFolder(L"C:\\qnrTreeTest\\Alpha\\Delta"));
    HTREEITEM zeta = t.Find(L"C:\\qnrTreeTest\\Zeta");
    t.expanded.clear();
    t.ToggleByMouse(zeta);  // the user opens Zeta
    EXPECT_EQ(t.expanded, std::vector<std::wstring>{L"Zeta"});
    EXPECT_EQ(t.Texts(zeta), std::vector<std::wstring>{L"Sub"});
    t.folders.Folder(L"Zeta\\New");
    t.ToggleByMouse(zeta);  // closes it: the selection was elsewhere
    EXPECT_EQ(t.collapsed, std::vector<std::wstring>{L"Zeta"});
    EXPECT_EQ(t.tree.Path(), L"C:\\qnrTreeTest\\Alpha\\Delta");
    t.ToggleByMouse(zeta);
    EXPECT_EQ(t.Texts(zeta), (std::vector<std::wstring>{L"New", L"Sub"}));
    EXPECT_EQ(t.expanded.size(), 2u);
    // RefreshDir rebuilds the tree on the same folder and sees new folders.
    t.folders.Folder(L"Alpha\\Delta\\Fresh");
    EXPECT_TRUE(t.tree.RefreshDir());
    EXPECT_EQ(t.tree.Path(), L"C:\\qnrTreeTest\\Alpha\\Delta");
    EXPECT_EQ(t.Texts(t.Find(L"C:\\qnrTreeTest\\Alpha\\Delta")), std::vector<std::wstring>{L"Fresh"});
}

TEST(qnrRepertoire, CollapsingTheParentOfTheSelectionMovesPath) {
    Tree t;
    ASSERT_TRUE(t.tree.OpenAFolder(L"C:\\qnrTreeTest\\Alpha\\Beta\\Gamma"));
    t.changes.clear();
    HTREEITEM alpha = t.Find(L"C:\\qnrTreeTest\\Alpha");
    t.ToggleByMouse(alpha);
    EXPECT_EQ(t.collapsed, std::vector<std::wstring>{L"Alpha"});
    EXPECT_EQ(t.tree.Path(), L"C:\\qnrTreeTest\\Alpha");
    EXPECT_EQ(t.changes, std::vector<std::wstring>{L"C:\\qnrTreeTest\\Alpha"});
    EXPECT_EQ(t.tree.SelectedItem(), alpha);
}

TEST(qnrRepertoire, SelectingANodeIsAClickUnlessItIsAlreadySelected) {
    Tree t;
    ASSERT_TRUE(t.tree.OpenAFolder(L"C:\\qnrTreeTest\\Alpha"));
    t.changes.clear();
    t.clicks = 0;
    t.tree.SelectedItem(t.tree.SelectedItem());
    EXPECT_TRUE(t.changes.empty());
    EXPECT_EQ(t.clicks, 0);
    t.tree.SelectedItem(t.Find(L"C:\\qnrTreeTest\\Alpha\\Delta"));
    EXPECT_EQ(t.tree.Path(), L"C:\\qnrTreeTest\\Alpha\\Delta");
    EXPECT_EQ(t.changes, std::vector<std::wstring>{L"C:\\qnrTreeTest\\Alpha\\Delta"});
    EXPECT_EQ(t.clicks, 1);
}

TEST(qnrRepertoire, ArrowKeysChooseTheNextFolder) {
    Tree t;
    ASSERT_TRUE(t.tree.OpenAFolder(L"C:\\qnrTreeTest\\Alpha\\Beta"));
    std::vector<int> keys;
    t.tree.KeyDown = [&](int& keyCode, int) { keys.push_back(keyCode); };
    t.changes.clear();
    SetFocus(t.tree.hWnd());
    SendMessageW(t.tree.hWnd(), WM_KEYDOWN, VK_DOWN, 0);  // Beta is expanded: Gamma comes next
    EXPECT_EQ(keys, std::vector<int>{VK_DOWN});
    EXPECT_EQ(t.tree.Path(), L"C:\\qnrTreeTest\\Alpha\\Beta\\Gamma");
    EXPECT_EQ(t.changes.size(), 1u);
    // A listener that swallows the key keeps the selection.
    t.tree.KeyDown = [&](int& keyCode, int) { keyCode = 0; };
    SendMessageW(t.tree.hWnd(), WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(t.tree.Path(), L"C:\\qnrTreeTest\\Alpha\\Beta\\Gamma");
}

TEST(qnrRepertoire, FolderImagesAreCachedByTypeName) {
    Tree t;
    ASSERT_TRUE(t.tree.OpenAFolder(L"C:\\qnrTreeTest\\Alpha\\Beta"));
    const int images = t.tree.ImageCount();
    HTREEITEM alpha = t.Find(L"C:\\qnrTreeTest\\Alpha"), beta = t.Find(L"C:\\qnrTreeTest\\Alpha\\Beta"),
              delta = t.Find(L"C:\\qnrTreeTest\\Alpha\\Delta");
    EXPECT_GE(t.tree.NodeImage(alpha), qnrRepertoire::kImageFolder);
    EXPECT_EQ(t.tree.NodeImage(alpha), t.tree.NodeImage(beta));
    EXPECT_EQ(t.tree.NodeSelectedImage(alpha), t.tree.NodeSelectedImage(delta));
    EXPECT_LE(images, 5 + 2 * 2);  // the designed five and a pair per folder type
    ASSERT_TRUE(t.tree.OpenAFolder(L"C:\\qnrTreeTest\\Zeta\\Sub"));
    EXPECT_EQ(t.tree.ImageCount(), images);
}

TEST(qnrRepertoire, LabelEditsGoToTheListener) {
    Tree t;
    ASSERT_TRUE(t.tree.OpenAFolder(L"C:\\qnrTreeTest\\Alpha\\Delta"));
    std::wstring seen;
    t.tree.AfterEdit = [&](short& cancel, std::wstring& text) {
        seen = text;
        cancel = 1;
    };
    SetFocus(t.tree.hWnd());
    t.tree.StartEdit();
    HWND edit = TreeView_GetEditControl(t.tree.hWnd());
    ASSERT_NE(edit, nullptr);
    SetWindowTextW(edit, L"Renamed");
    TreeView_EndEditLabelNow(t.tree.hWnd(), FALSE);
    EXPECT_EQ(seen, L"Renamed");
    EXPECT_EQ(t.tree.NodeText(t.tree.SelectedItem()), L"Delta");  // refused by the listener
    EXPECT_EQ(GetFileAttributesW(L"C:\\qnrTreeTest\\Alpha\\Delta") & FILE_ATTRIBUTE_DIRECTORY,
              static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
}

}  // namespace
}  // namespace bralto
