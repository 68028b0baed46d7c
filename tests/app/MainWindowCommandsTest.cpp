// The main window's commands driven as a user drives them: menu mnemonics,
// toolbar buttons and the keys of the list, with the option windows
// answered and the jobs run by the registered qnrZip server. What the jobs
// wrote is compared with the sources here; the peers check the archives
// afterwards (verify_command_archives.py).
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include <set>

#include "HtmlHelp.h"
#include "Module.h"
#include "Common.h"
#include "Settings.h"
#include "CommandTestFixture.h"
#include "frmBralto.h"
#include "frmDelete.h"
#include "frmExtractFiles.h"

namespace bralto {
namespace {

using test::DialogAnswerer;
using test::Exists;
using test::ExtractWith;
using test::FilesBelow;
using test::FixtureFolder;
using test::PresetExtraction;
using test::ReadText;
using test::RemoveTree;
using test::SeenDialog;
using test::WriteText;

class MainWindowCommands : public test::WindowCommandTest {
protected:
    int RowNamed(const std::wstring& name) {
        for (int row = 0; row < test::ListCount(List()); ++row)
            if (test::ListText(List(), row, 0) == name) return row;
        return -1;
    }
    // Selects the rows named, the first one current, as clicks with Ctrl would.
    void SelectRows(std::initializer_list<const wchar_t*> names) {
        ListView_SetItemState(List(), -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
        bool first = true;
        for (const wchar_t* name : names) {
            const int row = RowNamed(name);
            ASSERT_GE(row, 0) << "no row for the member";
            const UINT state = first ? LVIS_SELECTED | LVIS_FOCUSED : LVIS_SELECTED;
            ListView_SetItemState(List(), row, state, state);
            first = false;
        }
        SetFocus(List());
    }
};

TEST_F(MainWindowCommands, ExtractAllFromTheMenuRebuildsTheTreeWithFolderNamesOrFlatWithout) {
    OpenTreeCopy(L"extract-all.zip");
    const std::wstring withPaths = WorkFolder() + L"all-paths", flat = WorkFolder() + L"all-flat";
    RemoveTree(withPaths);
    RemoveTree(flat);
    std::vector<SeenDialog> messages;
    {
        PresetExtraction(withPaths, 2, true);
        DialogAnswerer answerer(ExtractWith(1, messages));
        test::ChooseMenu(Window(), L'A', L'E');
        ASSERT_TRUE(test::PumpUntil([this] { return window.Busy(); }, 10000)) << "the extraction did not start";
        ASSERT_TRUE(WaitIdle());
    }
    EXPECT_TRUE(messages.empty());
    const std::set<std::wstring> tree{L"top.txt", L"a\\x.txt", L"a\\b\\y.txt", L"a\\b\\z.bin"};
    EXPECT_EQ(FilesBelow(withPaths), tree);
    for (const auto& file : tree)
        EXPECT_EQ(test::ReadBytes(withPaths + L"\\" + file), test::ReadBytes(TreeSource() + L"\\" + file));

    {
        PresetExtraction(flat, 2, false);
        DialogAnswerer answerer(ExtractWith(1, messages));
        test::ChooseMenu(Window(), L'A', L'E');
        ASSERT_TRUE(test::PumpUntil([this] { return window.Busy(); }, 10000));
        ASSERT_TRUE(WaitIdle());
    }
    EXPECT_EQ(FilesBelow(flat), (std::set<std::wstring>{L"top.txt", L"x.txt", L"y.txt", L"z.bin"}));
    EXPECT_EQ(window.StatusText(), L"Prêt");
}

TEST_F(MainWindowCommands, EnterOnTheListExtractsOnlyTheMarkedMembers) {
    OpenTreeCopy(L"extract-marked.zip");
    const std::wstring out = WorkFolder() + L"marked";
    RemoveTree(out);
    PresetExtraction(out, 2, true);
    SelectRows({L"y.txt", L"top.txt"});
    std::vector<SeenDialog> messages;
    DialogAnswerer answerer(ExtractWith(0, messages));
    test::PressKey(List(), VK_RETURN);
    ASSERT_TRUE(test::PumpUntil([this] { return window.Busy(); }, 10000));
    ASSERT_TRUE(WaitIdle());
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(FilesBelow(out), (std::set<std::wstring>{L"top.txt", L"a\\b\\y.txt"}));
}

TEST_F(MainWindowCommands, MarkedMembersWithoutASelectionAreRefusedWithAWarning) {
    OpenTreeCopy(L"nothing-marked.zip");
    ListView_SetItemState(List(), -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    const std::wstring out = WorkFolder() + L"unmarked";
    RemoveTree(out);
    PresetExtraction(out, 2, true);
    std::vector<SeenDialog> messages;
    {
        DialogAnswerer answerer(ExtractWith(0, messages));
        test::ChooseMenu(Window(), L'A', L'E');
        ASSERT_TRUE(test::PumpUntil([&] { return !messages.empty(); }, 10000));
    }
    EXPECT_EQ(messages[0].text, L"Aucun fichier sélectionné.");
    EXPECT_FALSE(window.Busy());
    EXPECT_FALSE(Exists(out));

    // Delete limited to the marked members says the same.
    messages.clear();
    DialogAnswerer answerer([&](HWND dialog, const SeenDialog& seen) {
        if (seen.caption != L"Bralto") {
            test::Press(dialog, frmDelete::cmdAction0);
        } else {
            messages.push_back(seen);
            test::Press(dialog, IDOK);
        }
        return true;
    });
    test::ChooseMenu(Window(), L'A', L'S');
    ASSERT_TRUE(test::PumpUntil([&] { return !messages.empty(); }, 10000));
    EXPECT_EQ(messages[0].text, L"Aucun fichier sélectionné.");
    EXPECT_EQ(test::ListCount(List()), 4);
}

TEST_F(MainWindowCommands, NeverOverwriteKeepsTheFileOnDiskAndOnlyNewerSkipsOlderMembers) {
    OpenTreeCopy(L"keep.zip");
    const std::wstring out = WorkFolder() + L"keep";
    RemoveTree(out);
    CreateDirectoryW(out.c_str(), nullptr);
    WriteText(out + L"\\top.txt", "mine");
    std::vector<SeenDialog> messages;
    PresetExtraction(out, 1, true);
    {
        DialogAnswerer answerer(ExtractWith(1, messages));
        test::ChooseMenu(Window(), L'A', L'E');
        ASSERT_TRUE(test::PumpUntil([this] { return window.Busy(); }, 10000));
        ASSERT_TRUE(WaitIdle());
    }
    EXPECT_EQ(ReadText(out + L"\\top.txt"), "mine");
    EXPECT_EQ(ReadText(out + L"\\a\\x.txt"), "in a\n");
}

TEST_F(MainWindowCommands, DeleteKeyRemovesTheMarkedMembersFolderOnesIncluded) {
    const std::wstring archive = OpenTreeCopy(L"deleted.zip");
    SelectRows({L"y.txt", L"top.txt"});
    std::vector<SeenDialog> seen;
    {
        DialogAnswerer answerer([&](HWND dialog, const SeenDialog& s) {
            seen.push_back(s);
            test::Press(dialog, s.caption == L"Bralto" ? IDOK : frmDelete::cmdAction0);
            return true;
        });
        test::PressKey(List(), VK_DELETE);
        ASSERT_TRUE(test::PumpUntil([this] { return window.Busy(); }, 10000));
        ASSERT_TRUE(WaitIdle());
        test::PumpUntil([this] { return test::ListCount(List()) == 2; }, 5000);
    }
    ASSERT_FALSE(seen.empty());
    EXPECT_NE(seen[0].caption, L"Bralto") << "the delete window comes first";
    EXPECT_EQ(ListedNames(), (std::set<std::wstring>{L"x.txt", L"z.bin"}));
    EXPECT_EQ(window.Tag(), archive);
}

TEST_F(MainWindowCommands, ToolbarDeleteOfAllMembersEmptiesTheArchive) {
    OpenTreeCopy(L"emptied.zip");
    DialogAnswerer answerer([&](HWND dialog, const SeenDialog& s) {
        if (s.caption != L"Bralto") {
            SendMessageW(GetDlgItem(dialog, frmDelete::optDel1), BM_CLICK, 0, 0);
            test::Press(dialog, frmDelete::cmdAction0);
        } else {
            test::Press(dialog, IDOK);
        }
        return true;
    });
    // Toolbar button 6.
    SendMessageW(Window(), WM_COMMAND, MAKEWPARAM(frmBralto::mnuAction + 3, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(Window(), frmBralto::tooBar)));
    ASSERT_TRUE(WaitIdle());
    test::PumpUntil([this] { return test::ListCount(List()) == 0; }, 5000);
    EXPECT_EQ(test::ListCount(List()), 0);
}

TEST_F(MainWindowCommands, InvertSelectionFlipsEveryRow) {
    OpenTreeCopy(L"invert.zip");
    SelectRows({L"top.txt"});
    test::ChooseMenu(Window(), L'E', L'I');
    test::PumpUntil([] { return false; }, 500);
    int selected = 0;
    for (int row = 0; row < test::ListCount(List()); ++row)
        if (ListView_GetItemState(List(), row, LVIS_SELECTED)) ++selected;
    EXPECT_EQ(selected, 3);
    EXPECT_FALSE(ListView_GetItemState(List(), RowNamed(L"top.txt"), LVIS_SELECTED));
}

TEST_F(MainWindowCommands, TheHelpMenuOpensTheAssociationWindowAndTheAboutBox) {
    std::vector<std::wstring> captions;
    DialogAnswerer answerer([&](HWND dialog, const SeenDialog& seen) {
        captions.push_back(seen.caption);
        PostMessageW(dialog, WM_CLOSE, 0, 0);
        return true;
    });
    test::ChooseMenu(Window(), L'?', L'P');
    ASSERT_TRUE(test::PumpUntil([&] { return captions.size() == 1; }, 10000)) << "no about box";
    test::PumpUntil([] { return false; }, 300);
    test::ChooseMenu(Window(), L'?', L'A');
    ASSERT_TRUE(test::PumpUntil([&] { return captions.size() == 2; }, 10000)) << "no association window";
    EXPECT_NE(captions[0].find(L"propos"), std::wstring::npos) << std::string(captions[0].begin(), captions[0].end());
    EXPECT_EQ(captions[1], L"Bralto");
}

BOOL CALLBACK FindVisibleHelpViewer(HWND window, LPARAM result) {
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    if (std::wstring(className) != L"HH Parent" || !IsWindowVisible(window)) return TRUE;
    *reinterpret_cast<HWND*>(result) = window;
    return FALSE;
}

// The HTML Help viewer's frame window of this process, once it is shown.
HWND HelpViewerWindow() {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindVisibleHelpViewer, reinterpret_cast<LPARAM>(&found));
    return found;
}

TEST_F(MainWindowCommands, HelpOpensTheHtmlHelpViewerOnTheProgramsHelpFile) {
    ASSERT_TRUE(Exists(ExecutableFolder() + L"Bralto.chm")) << "the build puts the help file beside the program";
    EXPECT_EQ(HelpFilePath(), ExecutableFolder() + L"Bralto.chm");
    DialogAnswerer answerer([&](HWND dialog, const SeenDialog&) {
        PostMessageW(dialog, WM_CLOSE, 0, 0);
        return true;
    });
    test::ChooseMenu(Window(), L'?', L'I');
    HWND viewer = nullptr;
    ASSERT_TRUE(test::PumpUntil([&] { return (viewer = HelpViewerWindow()) != nullptr; }, 10000))
        << "no HTML Help window";
    // The caption is the help file's own window title.
    EXPECT_EQ(test::TextOf(viewer), L"Aide de Bralto");
    EXPECT_TRUE(answerer.Seen().empty()) << "a message instead of the help";
    DestroyWindow(viewer);
}

TEST_F(MainWindowCommands, AMissingHelpFileIsToldInFrenchAndOpensNothing) {
    const std::wstring missing = FixtureFolder() + L"absent\\Bralto.chm";
    DialogAnswerer answerer([&](HWND dialog, const SeenDialog&) {
        PostMessageW(dialog, WM_CLOSE, 0, 0);
        return true;
    });
    EXPECT_EQ(ShowHelp(Window(), missing), nullptr);
    const std::vector<SeenDialog> seen = answerer.Seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].caption, L"Bralto");
    EXPECT_EQ(seen[0].text.find(L"Le fichier d'aide " + missing + L" est introuvable."), 0u)
        << "got: " << std::string(seen[0].text.begin(), seen[0].text.end());
    EXPECT_EQ(HelpViewerWindow(), nullptr);
}

}  // namespace
}  // namespace bralto
