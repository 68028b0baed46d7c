// New archive, the add-files wizard and express extraction, from the main
// window's menus and toolbar, with the registered qnrZip server. The peers
// check the archives made here afterwards (verify_command_archives.py).
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include <set>

#include "Common.h"
#include "Settings.h"
#include "CommandTestFixture.h"
#include "frmAddFiles.h"
#include "frmBralto.h"
#include "frmPwdGive.h"
#include "frmQuickExtract.h"

namespace bralto {
namespace {

using test::DialogAnswerer;
using test::Exists;
using test::FilesBelow;
using test::FixtureFolder;
using test::SeenDialog;

// What the user chooses in the wizard.
struct AddChoice {
    std::wstring folder;  // opened in the tree; the tree archive's sources when empty
    std::wstring mask = L"*.*";
    bool subFolders = true;
    int action = 0;
    int compression = 1;
    bool storePaths = true;
    bool encrypt = false;
};

void Click(HWND dialog, int id) { SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
void SetCheck(HWND dialog, int id, bool on) {
    if ((SendMessageW(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED) != on) Click(dialog, id);
}
void Select(HWND dialog, int id, int index) {
    SendMessageW(GetDlgItem(dialog, id), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

// Plays the wizard: one folder row, then page 2 and "&Terminer".
void FillWizard(HWND dialog, const AddChoice& choice) {
    SetCheck(dialog, frmAddFiles::chkSsRép, choice.subFolders);
    SetDlgItemTextW(dialog, frmAddFiles::txtMask, choice.mask.c_str());
    Click(dialog, frmAddFiles::cmdRép);
    Click(dialog, frmAddFiles::cmdSuivPré);
    Select(dialog, frmAddFiles::comAction, choice.action);
    Select(dialog, frmAddFiles::comCompression, choice.compression);
    SetCheck(dialog, frmAddFiles::chkPath, choice.storePaths);
    SetCheck(dialog, frmAddFiles::chkEncrypt, choice.encrypt);
    Click(dialog, frmAddFiles::cmdOK);
}

class MainWindowAdd : public test::WindowCommandTest {
protected:
    // "&Nouveau" from the menu, the Save dialog given `name`.
    std::wstring NewFromMenu(const std::wstring& name) {
        const std::wstring path = WorkFolder() + name;
        DialogAnswerer answerer([&](HWND dialog, const SeenDialog& seen) {
            if (seen.caption != L"Créer une nouvelle archive") return false;
            if (GetDlgItem(dialog, IDYES)) {  // "replace the existing file?"
                test::Press(dialog, IDYES);
                return true;
            }
            // The file name box of the Save dialog (cmb13 / edt1).
            SetDlgItemTextW(dialog, 0x47c, path.c_str());
            SetDlgItemTextW(dialog, 0x480, path.c_str());
            test::Press(dialog, IDOK);
            return true;
        });
        test::ChooseMenu(Window(), L'F', L'N');
        // A new archive starts empty, also when it replaces the one listed.
        test::PumpUntil([&] { return window.Tag() == path && test::ListCount(List()) == 0; }, 10000);
        return path;
    }
    // "&Ajouter des fichiers" with `choice`; every message box and password
    // window is recorded and answered (the password with `password`).
    void AddFromMenu(const AddChoice& choice, std::vector<SeenDialog>& others, const std::wstring& password = L"") {
        DialogAnswerer answerer([&](HWND dialog, const SeenDialog& seen) {
            if (seen.caption == L"Ajout de fichiers") {
                FillWizard(dialog, choice);
            } else {
                others.push_back(seen);
                if (seen.caption == L"Mot de passe") {
                    SetDlgItemTextW(dialog, frmPwdGive::txtPwd, password.c_str());
                    SetDlgItemTextW(dialog, frmPwdGive::txtConfirm, password.c_str());
                }
                test::Press(dialog, IDOK);
            }
            return true;
        });
        Settings::SetAddingFolder(choice.folder.empty() ? TreeSource() : choice.folder);
        test::ChooseMenu(Window(), L'A', L'A');
        test::PumpUntil([this] { return window.Busy(); }, 15000);
        EXPECT_TRUE(WaitIdle());
    }
};

TEST_F(MainWindowAdd, NewThenAddAFolderTreeWithAMaskFromTheMenus) {
    const std::wstring archive = NewFromMenu(L"added-tree.zip");
    ASSERT_EQ(window.Tag(), archive);
    EXPECT_EQ(test::TextOf(Window()), L"added-tree.zip");
    EXPECT_EQ(test::ListCount(List()), 0);

    std::vector<SeenDialog> others;
    AddChoice choice;
    choice.mask = L"*.txt";
    AddFromMenu(choice, others);
    EXPECT_TRUE(others.empty());
    EXPECT_EQ(ListedNames(), (std::set<std::wstring>{L"top.txt", L"x.txt", L"y.txt"}));
    EXPECT_EQ(window.StatusText(), L"Prêt");
    test::PumpUntil([] { return false; }, 300);
    EXPECT_TRUE(test::SaveScreenshot(Window(), L"main_window_after_add"));
}

TEST_F(MainWindowAdd, NewOverAnExistingArchiveReplacesItWithAnEmptyOneWhereOnlyAddWorks) {
    const std::wstring listed = OpenTreeCopy(L"replaced.zip");
    EXPECT_EQ(test::ListCount(List()), 4);
    NewFromMenu(L"replaced.zip");
    EXPECT_EQ(window.Tag(), listed);
    EXPECT_FALSE(Exists(listed));
    EXPECT_EQ(test::ListCount(List()), 0);
    HMENU menu = GetMenu(Window());
    EXPECT_FALSE(GetMenuState(menu, frmBralto::mnuAction + 0, MF_BYCOMMAND) & MF_GRAYED);
    for (int i = 1; i <= 3; ++i)
        EXPECT_TRUE(GetMenuState(menu, frmBralto::mnuAction + i, MF_BYCOMMAND) & MF_GRAYED) << i;
    for (int i = 0; i <= 2; ++i)
        EXPECT_TRUE(GetMenuState(menu, frmBralto::mnuOutils + i, MF_BYCOMMAND) & MF_GRAYED) << i;
    HWND toolbar = GetDlgItem(Window(), frmBralto::tooBar);
    EXPECT_TRUE(SendMessageW(toolbar, TB_ISBUTTONENABLED, frmBralto::mnuAction + 0, 0));
    for (int i = 1; i <= 3; ++i)
        EXPECT_FALSE(SendMessageW(toolbar, TB_ISBUTTONENABLED, frmBralto::mnuAction + i, 0)) << i;
}

TEST_F(MainWindowAdd, NoCompressionAndEncryptionAskThePasswordOnce) {
    NewFromMenu(L"stored-encrypted.zip");
    std::vector<SeenDialog> others;
    AddChoice choice;
    choice.compression = 3;
    choice.encrypt = true;
    AddFromMenu(choice, others, L"motdepasse");
    ASSERT_EQ(others.size(), 1u);
    EXPECT_EQ(others[0].caption, L"Mot de passe");
    EXPECT_EQ(test::ListCount(List()), 4);
    for (int row = 0; row < 4; ++row) EXPECT_EQ(test::ListText(List(), row, 1), L"©") << row;
}

TEST_F(MainWindowAdd, MoveRemovesTheOriginalsOnlyAfterTheyAreInTheArchive) {
    const std::wstring originals = WorkFolder() + L"to-move";
    test::RemoveTree(originals);
    CreateDirectoryW(originals.c_str(), nullptr);
    for (const wchar_t* name : {L"one.txt", L"two.txt"}) test::WriteText(originals + L"\\" + name, "moved away");
    NewFromMenu(L"moved.zip");
    std::vector<SeenDialog> others;
    AddChoice choice;
    choice.folder = originals;
    choice.subFolders = false;
    choice.action = 3;
    AddFromMenu(choice, others);
    EXPECT_EQ(ListedNames(), (std::set<std::wstring>{L"one.txt", L"two.txt"}));
    EXPECT_TRUE(FilesBelow(originals).empty());
}

TEST_F(MainWindowAdd, AnEmptySelectionIsRefusedAndAddsNothing) {
    const std::wstring archive = NewFromMenu(L"never-made.zip");
    std::vector<SeenDialog> messages;
    DialogAnswerer answerer([&](HWND dialog, const SeenDialog& seen) {
        if (seen.caption == L"Ajout de fichiers") {
            Click(dialog, frmAddFiles::cmdSuivPré);
            Click(dialog, frmAddFiles::cmdOK);
        } else {
            messages.push_back(seen);
            test::Press(dialog, IDOK);
        }
        return true;
    });
    // Toolbar button 3.
    SendMessageW(Window(), WM_COMMAND, MAKEWPARAM(frmBralto::mnuAction + 0, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(Window(), frmBralto::tooBar)));
    test::PumpUntil([&] { return !messages.empty(); }, 10000);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, L"Aucune sélection n'a été effectuée.");
    EXPECT_FALSE(window.Busy());
    EXPECT_FALSE(Exists(archive));
}

TEST_F(MainWindowAdd, ExpressExtractionFromToolbarButtonFiveFillsTheFolderBesideTheArchive) {
    const std::wstring target = WorkFolder() + L"express";
    test::RemoveTree(target);
    OpenTreeCopy(L"express.zip");
    std::vector<std::wstring> captions;
    DialogAnswerer answerer([&](HWND dialog, const SeenDialog& seen) {
        captions.push_back(seen.caption);
        if (seen.caption == L"Extraction express") {
            Click(dialog, frmQuickExtract::optDel1);
            Click(dialog, frmQuickExtract::cmdAction0);
        } else {
            test::Press(dialog, IDOK);
        }
        return true;
    });
    SendMessageW(Window(), WM_COMMAND, MAKEWPARAM(frmBralto::mnuAction + 2, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(Window(), frmBralto::tooBar)));
    test::PumpUntil([this] { return window.Busy(); }, 10000);
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(captions, std::vector<std::wstring>{L"Extraction express"});
    const std::set<std::wstring> tree{L"top.txt", L"a\\x.txt", L"a\\b\\y.txt", L"a\\b\\z.bin"};
    EXPECT_EQ(FilesBelow(target), tree);
    for (const auto& file : tree)
        EXPECT_EQ(test::ReadBytes(target + L"\\" + file), test::ReadBytes(TreeSource() + L"\\" + file));
}

TEST_F(MainWindowAdd, ExpressExtractionFromTheMenuOfTheMarkedMembersOnly) {
    const std::wstring target = WorkFolder() + L"express-marked";
    test::RemoveTree(target);
    OpenTreeCopy(L"express-marked.zip");
    for (int row = 0; row < test::ListCount(List()); ++row)
        if (test::ListText(List(), row, 0) == L"z.bin")
            ListView_SetItemState(List(), row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    DialogAnswerer answerer([&](HWND dialog, const SeenDialog&) {
        test::Press(dialog, frmQuickExtract::cmdAction0);
        return true;
    });
    test::ChooseMenu(Window(), L'A', L'X');
    test::PumpUntil([this] { return window.Busy(); }, 10000);
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(FilesBelow(target), std::set<std::wstring>{L"a\\b\\z.bin"});
}

}  // namespace
}  // namespace bralto
