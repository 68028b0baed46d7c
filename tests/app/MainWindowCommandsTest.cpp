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
#include "TestWindowPlayer.h"
#include "frmAddFiles.h"
#include "frmDelete.h"
#include "frmExtractFiles.h"
#include "frmPrompt.h"
#include "frmRegister.h"

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
    int SelectedRows() { return static_cast<int>(ListView_GetSelectedCount(List())); }
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
        test::ExtractAnswer how;
        how.screenshot = L"extract_files";
        DialogAnswerer answerer(ExtractWith(how, messages));
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

TEST_F(MainWindowCommands, NeverOverwriteKeepsTheFileOnDiskAndExtractsTheOthers) {
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

// On disk before each extraction: top.txt newer than its member, a\x.txt
// older, a\b\y.txt and a\b\z.bin missing. Both boxes overwrite without
// asking; "plus récents existants" leaves the missing files out.
TEST_F(MainWindowCommands, TheNewerBoxesKeepNewerFilesAndOnlyOneOfThemExtractsMissingOnes) {
    OpenTreeCopy(L"newer.zip");
    const std::wstring onlyNewer = WorkFolder() + L"only-newer", existingNewer = WorkFolder() + L"existing-newer";
    for (const std::wstring& out : {onlyNewer, existingNewer}) {
        RemoveTree(out);
        CreateDirectoryW(out.c_str(), nullptr);
        CreateDirectoryW((out + L"\\a").c_str(), nullptr);
        WriteText(out + L"\\top.txt", "newer on disk");
        WriteText(out + L"\\a\\x.txt", "older on disk");
        ASSERT_TRUE(test::SetModifiedHoursFromNow(out + L"\\top.txt", 48));
        ASSERT_TRUE(test::SetModifiedHoursFromNow(out + L"\\a\\x.txt", -24 * 365 * 20));
    }
    std::vector<SeenDialog> messages;
    for (const bool existing : {false, true}) {
        PresetExtraction(existing ? existingNewer : onlyNewer, 2, true, !existing, existing);
        DialogAnswerer answerer(ExtractWith(1, messages));
        test::ChooseMenu(Window(), L'A', L'E');
        ASSERT_TRUE(test::PumpUntil([this] { return window.Busy(); }, 10000));
        ASSERT_TRUE(WaitIdle());
    }
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(ReadText(onlyNewer + L"\\top.txt"), "newer on disk");
    EXPECT_EQ(ReadText(onlyNewer + L"\\a\\x.txt"), "in a\n");
    EXPECT_EQ(FilesBelow(onlyNewer), (std::set<std::wstring>{L"top.txt", L"a\\x.txt", L"a\\b\\y.txt", L"a\\b\\z.bin"}));
    EXPECT_EQ(test::ReadBytes(onlyNewer + L"\\a\\b\\z.bin"), test::ReadBytes(TreeSource() + L"\\a\\b\\z.bin"));
    EXPECT_EQ(ReadText(existingNewer + L"\\top.txt"), "newer on disk");
    EXPECT_EQ(ReadText(existingNewer + L"\\a\\x.txt"), "in a\n");
    EXPECT_EQ(FilesBelow(existingNewer), (std::set<std::wstring>{L"top.txt", L"a\\x.txt"}));
    // The window shows the boxes as they were left.
    EXPECT_EQ(Settings::ExtractingExistingNewer(), 1);
    EXPECT_EQ(Settings::ExtractingNewer(), 0);
}

// "Confirmer l'écrasement": each existing file is asked about in the
// overwrite window while the job waits; the window is busy meanwhile.
TEST_F(MainWindowCommands, AskModeAsksForEachExistingFileWhileTheWindowIsBusy) {
    OpenTreeCopy(L"ask.zip");
    const std::wstring out = WorkFolder() + L"ask";
    RemoveTree(out);
    CreateDirectoryW(out.c_str(), nullptr);
    CreateDirectoryW((out + L"\\a").c_str(), nullptr);
    WriteText(out + L"\\top.txt", "mine");
    WriteText(out + L"\\a\\x.txt", "mine too");
    PresetExtraction(out, 0, true);
    std::vector<SeenDialog> messages;
    std::vector<std::wstring> questions;
    struct BusyState {
        bool menusGrey = true, toolbarOff = false, cancelShown = false, animated = false, logHidden = false;
    } busy;
    HWND frame = Window();
    const auto extract = ExtractWith(1, messages);
    {
        DialogAnswerer answerer([&](HWND dialog, const SeenDialog& seen) {
            if (seen.caption != L"Bralto" || seen.text.rfind(L"Ecraser ", 0) != 0) return extract(dialog, seen);
            questions.push_back(seen.text);
            if (questions.size() == 1) {
                for (int i = 0; i < frmBralto::kTopMenus; ++i)
                    busy.menusGrey = busy.menusGrey &&
                                     (GetMenuState(GetMenu(frame), static_cast<UINT>(i), MF_BYPOSITION) & MF_GRAYED);
                busy.toolbarOff = !IsWindowEnabled(GetDlgItem(frame, frmBralto::tooBar));
                busy.cancelShown = IsWindowVisible(GetDlgItem(frame, frmBralto::cmdCancel)) != FALSE;
                busy.animated = window.IsAnimationPlaying();
                busy.logHidden = !window.LogVisible();
            }
            // Keep top.txt, overwrite a\x.txt.
            const bool isTop = seen.text.find(L"top.txt") != std::wstring::npos;
            test::Press(dialog, frmPrompt::cmdAction0 + (isTop ? 1 : 0));
            return true;
        });
        test::ChooseMenu(Window(), L'A', L'E');
        ASSERT_TRUE(test::PumpUntil([this] { return window.Busy(); }, 10000));
        ASSERT_TRUE(WaitIdle());
    }
    EXPECT_TRUE(messages.empty());
    ASSERT_EQ(questions.size(), 2u) << "one question per existing file";
    EXPECT_EQ(ReadText(out + L"\\top.txt"), "mine");
    EXPECT_EQ(ReadText(out + L"\\a\\x.txt"), "in a\n");
    EXPECT_EQ(FilesBelow(out), (std::set<std::wstring>{L"top.txt", L"a\\x.txt", L"a\\b\\y.txt", L"a\\b\\z.bin"}));
    EXPECT_TRUE(busy.menusGrey);
    EXPECT_TRUE(busy.toolbarOff);
    EXPECT_TRUE(busy.cancelShown);
    EXPECT_TRUE(busy.animated);
    EXPECT_TRUE(busy.logHidden);
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(Window(), frmBralto::cmdCancel)));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(Window(), frmBralto::tooBar)));
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
    test::ClickToolbarButton(GetDlgItem(Window(), frmBralto::tooBar), 6);
    ASSERT_TRUE(test::PumpUntil([this] { return window.Busy(); }, 10000)) << "button 6 started no delete";
    ASSERT_TRUE(WaitIdle());
    test::PumpUntil([this] { return test::ListCount(List()) == 0; }, 5000);
    EXPECT_EQ(test::ListCount(List()), 0);
}

TEST_F(MainWindowCommands, BeforeAnyOpenAndAfterAFailedOpenOnlyNewAndOpenWorkAndGreyButtonsDoNothing) {
    using Commands = std::set<std::wstring>;
    EXPECT_EQ(EnabledCommands(), (Commands{L"B1", L"B2"}));
    std::vector<SeenDialog> seen;
    {
        DialogAnswerer answerer([&](HWND dialog, const SeenDialog& s) {
            seen.push_back(s);
            test::Press(dialog, GetDlgItem(dialog, IDOK) ? IDOK : IDCANCEL);
            return true;
        });
        HWND toolbar = GetDlgItem(Window(), frmBralto::tooBar);
        for (int button : {3, 4, 5, 6}) test::ClickToolbarButton(toolbar, button);
        test::PumpUntil([&] { return !seen.empty() || window.Busy(); }, 1500);
        EXPECT_TRUE(seen.empty()) << "a grey button opened a window";
        EXPECT_FALSE(window.Busy());

        // A file that is no archive: its message, then the same state.
        const std::wstring notAZip = WorkFolder() + L"not-a-zip.zip";
        WriteText(notAZip, "no archive here");
        OpenTreeCopy(L"opened-before.zip");
        EXPECT_EQ(EnabledCommands(), (Commands{L"E0", L"E1", L"A0", L"A1", L"A2", L"A3", L"O0", L"O1", L"O2", L"B1",
                                               L"B2", L"B3", L"B4", L"B5", L"B6"}));
        EXPECT_FALSE(window.OpenAZip(notAZip));
    }
    EXPECT_EQ(seen.size(), 1u) << "the failed open says so";
    EXPECT_EQ(EnabledCommands(), (Commands{L"B1", L"B2"}));
    EXPECT_EQ(test::ListCount(List()), 0);
    EXPECT_EQ(window.Tag(), L"");
}

TEST_F(MainWindowCommands, InvertSelectionFlipsEveryRow) {
    OpenTreeCopy(L"invert.zip");
    SelectRows({L"top.txt"});
    test::ChooseMenu(Window(), L'E', L'I');
    test::PumpUntil([] { return false; }, 500);
    EXPECT_EQ(SelectedRows(), 3);
    EXPECT_FALSE(ListView_GetItemState(List(), RowNamed(L"top.txt"), LVIS_SELECTED));
}

TEST_F(MainWindowCommands, ControlASelectsEveryRowAndAloneDoesNothing) {
    OpenTreeCopy(L"select-all.zip");
    SelectRows({L"top.txt"});
    test::PressKey(List(), 'A');
    test::PumpUntil([] { return false; }, 300);
    EXPECT_LE(SelectedRows(), 1) << "A alone selects nothing more";
    test::PressWithControl(List(), 'A');
    EXPECT_TRUE(test::PumpUntil([&] { return SelectedRows() == test::ListCount(List()); }, 3000));
    EXPECT_GT(test::ListCount(List()), 1);
}

TEST_F(MainWindowCommands, TheHelpMenuOpensTheAssociationWindowAndTheAboutBox) {
    std::vector<std::wstring> captions;
    std::wstring associationBox;
    DialogAnswerer answerer([&](HWND dialog, const SeenDialog& seen) {
        captions.push_back(seen.caption);
        // The association window is the one with the "do not show again" box.
        if (HWND box = GetDlgItem(dialog, frmRegister::chkAnnule)) associationBox = test::TextOf(box);
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
    EXPECT_EQ(associationBox, L"Ne plus afficher cette boîte de dialogue au démarrage");
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

// The window with the keyboard focus (on any thread of the process).
HWND FocusedWindow() {
    GUITHREADINFO info = {sizeof(info)};
    return GetGUIThreadInfo(0, &info) ? info.hwndFocus : nullptr;
}

// A user without a mouse: New (the name typed in the Save dialog), the add
// wizard, an extraction and a delete, with mnemonics, arrows and Enter only.
TEST_F(MainWindowCommands, AKeyboardUserCreatesAddsExtractsAndDeletes) {
    const std::wstring archive = WorkFolder() + L"keyboard.zip", out = WorkFolder() + L"keyboard-out";
    SetFileAttributesW(archive.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(archive.c_str());
    RemoveTree(out);
    Settings::SetAddingFolder(TreeSource());
    Settings::SetAddingUsePath(1);
    PresetExtraction(out, 2, true);
    std::vector<std::wstring> captions;
    DialogAnswerer answerer([&](HWND dialog, const SeenDialog& seen) {
        captions.push_back(seen.caption);
        SetForegroundWindow(dialog);
        if (seen.caption == L"Créer une nouvelle archive") {
            // The name box has the focus; whatever it holds is replaced.
            test::Stroke(VK_END);
            test::Stroke(VK_HOME, VK_SHIFT);
            test::TypeText(archive);
            test::Stroke(VK_RETURN);
        } else if (seen.caption == L"Ajout de fichiers") {
            HWND rows = GetDlgItem(dialog, frmAddFiles::lisSélect);
            // "Inclure les sous-répertoires" has no mnemonic: Tab reaches it.
            HWND subFolders = GetDlgItem(dialog, frmAddFiles::chkSsRép);
            for (int tab = 0; tab < 20 && FocusedWindow() != subFolders; ++tab) test::Stroke(VK_TAB);
            if (SendMessageW(subFolders, BM_GETCHECK, 0, 0) != BST_CHECKED) test::Stroke(VK_SPACE);
            test::AltLetter(L'j');  // "A&jouter ces fichiers": the tree's folder as a row
            test::WaitFor([&] { return test::ListCount(rows) == 1; }, 5000);
            test::Stroke(VK_RETURN);  // "&Suivant>" is the default button of page 1
            test::WaitFor([&] { return IsWindowVisible(GetDlgItem(dialog, frmAddFiles::comAction)) != FALSE; }, 5000);
            test::Stroke(VK_RETURN);  // and "&Terminer" of page 2
        } else {
            test::Stroke(VK_RETURN);  // the extraction and delete windows' default, the messages' OK
        }
        return true;
    });

    test::ChooseMenu(Window(), L'F', L'N');
    ASSERT_TRUE(test::PumpUntil([&] { return window.Tag() == archive; }, 15000)) << "New did not take the typed name";
    test::ChooseMenu(Window(), L'A', L'A');
    ASSERT_TRUE(test::PumpUntil([this] { return window.Busy(); }, 15000)) << "the add did not start";
    ASSERT_TRUE(WaitIdle());
    ASSERT_EQ(ListedNames(), (std::set<std::wstring>{L"top.txt", L"x.txt", L"y.txt", L"z.bin"}));

    // Every row marked from the keyboard, then Enter on the list.
    test::PressKey(List(), VK_HOME);
    test::Stroke(VK_END, VK_SHIFT);
    test::PumpUntil([this] { return ListView_GetSelectedCount(List()) == 4; }, 3000);
    test::PressKey(List(), VK_RETURN);
    ASSERT_TRUE(test::PumpUntil([this] { return window.Busy(); }, 15000)) << "the extraction did not start";
    ASSERT_TRUE(WaitIdle());
    // The add stored the folder names below the drive.
    const std::wstring stored = TreeSource().substr(3) + L"\\";
    EXPECT_EQ(FilesBelow(out), (std::set<std::wstring>{stored + L"top.txt", stored + L"a\\x.txt",
                                                       stored + L"a\\b\\y.txt", stored + L"a\\b\\z.bin"}));

    // The first row alone, then Delete.
    test::PressKey(List(), VK_HOME);
    test::PumpUntil([this] { return ListView_GetSelectedCount(List()) == 1; }, 3000);
    const std::wstring first = test::ListText(List(), 0, 0);
    test::PressKey(List(), VK_DELETE);
    ASSERT_TRUE(test::PumpUntil([this] { return window.Busy(); }, 15000)) << "the delete did not start";
    ASSERT_TRUE(WaitIdle());
    test::PumpUntil([this] { return test::ListCount(List()) == 3; }, 5000);
    EXPECT_EQ(test::ListCount(List()), 3);
    EXPECT_EQ(ListedNames().count(first), 0u);
    EXPECT_EQ(captions.size(), 4u) << "Save, wizard, extraction and delete windows, no message";
}

}  // namespace
}  // namespace bralto
