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
#include "TestWindowPlayer.h"
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
    bool systemAndHidden = true;
    bool encrypt = false;
    int conflictAnswer = IDYES;       // to "Cocher l'option Enregistrer les chemins ?"
    std::vector<std::wstring> files;  // picked in the file list instead of the folder row
};

void Click(HWND dialog, int id) { SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
void SetCheck(HWND dialog, int id, bool on) {
    if ((SendMessageW(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED) != on) Click(dialog, id);
}
void Select(HWND dialog, int id, int index) {
    SendMessageW(GetDlgItem(dialog, id), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

// Selects `names` in the wizard's file list, then "Ajouter les fichiers
// sélectionnés".
void PickFiles(HWND dialog, const std::vector<std::wstring>& names) {
    HWND list = FindWindowExW(GetDlgItem(dialog, frmAddFiles::qnrFich), nullptr, WC_LISTVIEWW, nullptr);
    test::WaitFor([&] { return test::ListCount(list) > 0; }, 5000);
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
    for (int row = 0; row < test::ListCount(list); ++row)
        for (const std::wstring& name : names)
            if (test::ListText(list, row, 0) == name) ListView_SetItemState(list, row, LVIS_SELECTED, LVIS_SELECTED);
    Click(dialog, frmAddFiles::cmdFichier);
}

// Plays the wizard: one folder row (or the files picked), then page 2 and "&Terminer" (posted:
// the path-conflict question it may ask is answered by the same thread).
void FillWizard(HWND dialog, const AddChoice& choice) {
    SetCheck(dialog, frmAddFiles::chkSsRép, choice.subFolders);
    SetDlgItemTextW(dialog, frmAddFiles::txtMask, choice.mask.c_str());
    if (choice.files.empty())
        Click(dialog, frmAddFiles::cmdRép);
    else
        PickFiles(dialog, choice.files);
    Click(dialog, frmAddFiles::cmdSuivPré);
    Select(dialog, frmAddFiles::comAction, choice.action);
    Select(dialog, frmAddFiles::comCompression, choice.compression);
    SetCheck(dialog, frmAddFiles::chkPath, choice.storePaths);
    SetCheck(dialog, frmAddFiles::chkSystem, choice.systemAndHidden);
    SetCheck(dialog, frmAddFiles::chkEncrypt, choice.encrypt);
    test::Press(dialog, frmAddFiles::cmdOK);
}

bool IsConflictQuestion(const SeenDialog& seen) {
    return seen.caption == L"Bralto" &&
           seen.text.find(L"Cocher l'option Enregistrer les chemins ?") != std::wstring::npos;
}

// `files` written in `folder` (made first), each holding its own name.
void MakeSources(const std::wstring& folder, std::initializer_list<const wchar_t*> files) {
    test::RemoveTree(folder);
    CreateDirectoryW(folder.c_str(), nullptr);
    for (const wchar_t* name : files) {
        const std::wstring text(name);
        test::WriteText(folder + L"\\" + name, std::string(text.begin(), text.end()) + " v1");
    }
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
        DialogAnswerer answerer(WizardAnswer(choice, others, password));
        StartAddFromMenu(choice);
        test::PumpUntil([this] { return window.Busy(); }, 15000);
        EXPECT_TRUE(WaitIdle());
    }
    static DialogAnswerer::Answer WizardAnswer(const AddChoice& choice, std::vector<SeenDialog>& others,
                                               const std::wstring& password) {
        return [choice, &others, password](HWND dialog, const SeenDialog& seen) {
            if (seen.caption == L"Ajout de fichiers") {
                FillWizard(dialog, choice);
                return true;
            }
            others.push_back(seen);
            if (IsConflictQuestion(seen)) {
                test::Press(dialog, choice.conflictAnswer);
                return true;
            }
            if (seen.caption == L"Mot de passe") {
                SetDlgItemTextW(dialog, frmPwdGive::txtPwd, password.c_str());
                SetDlgItemTextW(dialog, frmPwdGive::txtConfirm, password.c_str());
            }
            test::Press(dialog, GetDlgItem(dialog, IDNO) ? IDNO : IDOK);
            return true;
        };
    }
    void StartAddFromMenu(const AddChoice& choice) {
        Settings::SetAddingFolder(choice.folder.empty() ? TreeSource() : choice.folder);
        test::ChooseMenu(Window(), L'A', L'A');
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
    // Nothing to select or inform about either.
    EXPECT_EQ(EnabledCommands(), (std::set<std::wstring>{L"A0", L"B1", L"B2", L"B3"}));
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
    test::ClickToolbarButton(GetDlgItem(Window(), frmBralto::tooBar), 3);
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
    test::ClickToolbarButton(GetDlgItem(Window(), frmBralto::tooBar), 5);
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

TEST_F(MainWindowAdd, ExpressExtractionOfTheMarkedMembersWithoutASelectionIsRefused) {
    const std::wstring target = WorkFolder() + L"express-unmarked";
    test::RemoveTree(target);
    OpenTreeCopy(L"express-unmarked.zip");
    ListView_SetItemState(List(), -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    std::vector<SeenDialog> messages;
    DialogAnswerer answerer([&](HWND dialog, const SeenDialog& seen) {
        if (seen.caption == L"Extraction express") {
            test::Press(dialog, frmQuickExtract::cmdAction0);  // the marked members, as preset
        } else {
            messages.push_back(seen);
            test::Press(dialog, IDOK);
        }
        return true;
    });
    test::ChooseMenu(Window(), L'A', L'X');
    ASSERT_TRUE(test::PumpUntil([&] { return !messages.empty(); }, 10000));
    EXPECT_EQ(messages[0].text, L"Aucun fichier sélectionné.");
    EXPECT_FALSE(window.Busy());
    EXPECT_FALSE(Exists(target));
}

TEST_F(MainWindowAdd, FilesPickedInTheFileListAreAddedAndNoOthers) {
    const std::wstring sources = WorkFolder() + L"picked-src";
    MakeSources(sources, {L"a.txt", L"b.txt", L"c.txt"});
    NewFromMenu(L"picked.zip");
    std::vector<SeenDialog> others;
    AddChoice choice;
    choice.folder = sources;
    choice.storePaths = false;
    choice.files = {L"a.txt", L"c.txt"};
    AddFromMenu(choice, others);
    EXPECT_TRUE(others.empty());
    EXPECT_EQ(ListedNames(), (std::set<std::wstring>{L"a.txt", L"c.txt"}));
}

// Escape is the keyboard's Cancel button: the add stops and the archive
// stays as it was, without a message.
TEST_F(MainWindowAdd, EscapeCancelsARunningAddAsTheCancelButtonDoes) {
    const std::wstring archive = OpenTreeCopy(L"escaped.zip");
    const auto before = test::ReadBytes(archive);
    std::vector<SeenDialog> others;
    AddChoice choice;
    choice.folder = FixtureFolder() + L"add\\many";
    choice.subFolders = false;
    choice.storePaths = false;
    DialogAnswerer answerer(WizardAnswer(choice, others, L""));
    StartAddFromMenu(choice);
    ASSERT_TRUE(test::PumpUntil([this] { return window.Busy(); }, 15000));
    test::PressKey(List(), VK_ESCAPE);
    // The stop and the job's end may come in one go: what shows that the
    // job stopped is the archive, which 400 more files would have changed.
    ASSERT_TRUE(WaitIdle());
    test::PumpUntil([] { return false; }, 300);
    EXPECT_EQ(window.StatusText(), L"Prêt");
    EXPECT_TRUE(others.empty()) << "no message for a user stop";
    EXPECT_TRUE(test::ReadBytes(archive) == before) << "the add went on: the archive changed";
    EXPECT_EQ(test::ListCount(List()), 4);
}

// A first add of one.txt and two.txt (v1); then one.txt is rewritten
// later (v2), two.txt rewritten with an old date, three.txt created. The
// peers read which version each archive holds.
TEST_F(MainWindowAdd, FreshenReplacesOnlyNewerFilesAndUpdateAlsoAddsTheNewOnes) {
    for (const int action : {1, 2}) {
        const std::wstring name = action == 1 ? L"freshened" : L"updated";
        const std::wstring sources = WorkFolder() + name + L"-src";
        MakeSources(sources, {L"one.txt", L"two.txt"});
        NewFromMenu(name + L".zip");
        std::vector<SeenDialog> others;
        AddChoice choice;
        choice.folder = sources;
        choice.subFolders = false;
        choice.storePaths = false;
        AddFromMenu(choice, others);
        ASSERT_EQ(ListedNames(), (std::set<std::wstring>{L"one.txt", L"two.txt"}));

        test::WriteText(sources + L"\\one.txt", "one.txt v2");
        ASSERT_TRUE(test::SetModifiedHoursFromNow(sources + L"\\one.txt", 2));
        test::WriteText(sources + L"\\two.txt", "two.txt v2 but older");
        ASSERT_TRUE(test::SetModifiedHoursFromNow(sources + L"\\two.txt", -24 * 365 * 2));
        test::WriteText(sources + L"\\three.txt", "three.txt v1");
        choice.action = action;
        AddFromMenu(choice, others);
        EXPECT_TRUE(others.empty());
        if (action == 1)
            EXPECT_EQ(ListedNames(), (std::set<std::wstring>{L"one.txt", L"two.txt"}));
        else
            EXPECT_EQ(ListedNames(), (std::set<std::wstring>{L"one.txt", L"two.txt", L"three.txt"}));
    }
}

// One compressible text at each entry of the Compression list; the peers
// read the method and the sizes (verify_command_archives.py).
TEST_F(MainWindowAdd, EachCompressionEntryMakesItsOwnArchive) {
    const std::wstring sources = WorkFolder() + L"levels-src";
    test::RemoveTree(sources);
    CreateDirectoryW(sources.c_str(), nullptr);
    std::string text;
    unsigned seed = 12345;
    for (int line = 0; line < 20000; ++line) {
        seed = seed * 1103515245u + 12345u;
        text += "ligne " + std::to_string(line) + " : valeur " + std::to_string((seed >> 16) % 1000) + "\n";
    }
    test::WriteText(sources + L"\\text.txt", text);
    const wchar_t* names[] = {L"level-maximale.zip", L"level-normale.zip", L"level-rapide.zip", L"level-aucune.zip"};
    for (int compression = 0; compression < 4; ++compression) {
        NewFromMenu(names[compression]);
        std::vector<SeenDialog> others;
        AddChoice choice;
        choice.folder = sources;
        choice.subFolders = false;
        choice.storePaths = false;
        choice.compression = compression;
        AddFromMenu(choice, others);
        EXPECT_TRUE(others.empty());
        EXPECT_EQ(ListedNames(), std::set<std::wstring>{L"text.txt"}) << compression;
    }
}

// A folder with its sub-folders and "Enregistrer le chemin" off: the
// question offers to store the folder names (Yes), to go on flat (No) or
// to stay in the window (Cancel).
TEST_F(MainWindowAdd, ThePathConflictQuestionDecidesTheStoredNames) {
    for (const int reply : {IDYES, IDNO}) {
        NewFromMenu(reply == IDYES ? L"paths-yes.zip" : L"paths-no.zip");
        std::vector<SeenDialog> others;
        AddChoice choice;
        choice.storePaths = false;
        choice.conflictAnswer = reply;
        AddFromMenu(choice, others);
        ASSERT_EQ(others.size(), 1u);
        EXPECT_TRUE(IsConflictQuestion(others[0]));
        EXPECT_EQ(test::ListCount(List()), 4);
    }

    const std::wstring archive = NewFromMenu(L"paths-cancel.zip");
    std::vector<SeenDialog> others;
    bool wizardStayed = false;
    AddChoice choice;
    choice.storePaths = false;
    choice.conflictAnswer = IDCANCEL;
    HWND wizard = nullptr;
    DialogAnswerer answerer([&](HWND dialog, const SeenDialog& seen) {
        if (seen.caption == L"Ajout de fichiers") wizard = dialog;
        if (!IsConflictQuestion(seen)) return WizardAnswer(choice, others, L"")(dialog, seen);
        others.push_back(seen);
        test::Press(dialog, IDCANCEL);
        test::WaitFor([&] { return !IsWindow(dialog); }, 5000);
        wizardStayed = IsWindowVisible(wizard) != FALSE;
        test::Press(wizard, frmAddFiles::cmdCancel);
        return true;
    });
    StartAddFromMenu(choice);
    ASSERT_TRUE(test::PumpUntil([&] { return !others.empty() && wizard && !IsWindow(wizard); }, 15000));
    test::PumpUntil([] { return false; }, 300);
    EXPECT_TRUE(wizardStayed) << "Cancel leaves the wizard open";
    EXPECT_FALSE(window.Busy());
    EXPECT_FALSE(Exists(archive));
}

TEST_F(MainWindowAdd, HiddenFilesAreAddedOnlyWithTheSystemAndHiddenBox) {
    const std::wstring sources = WorkFolder() + L"hidden-src";
    MakeSources(sources, {L"shown.txt", L"secret.txt"});
    ASSERT_TRUE(SetFileAttributesW((sources + L"\\secret.txt").c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(GetFileAttributesW((sources + L"\\secret.txt").c_str()) & FILE_ATTRIBUTE_HIDDEN);
    for (const bool box : {false, true}) {
        NewFromMenu(box ? L"hidden-on.zip" : L"hidden-off.zip");
        std::vector<SeenDialog> others;
        AddChoice choice;
        choice.folder = sources;
        choice.subFolders = false;
        choice.storePaths = false;
        choice.systemAndHidden = box;
        AddFromMenu(choice, others);
        EXPECT_TRUE(others.empty());
        if (box)
            EXPECT_EQ(ListedNames(), (std::set<std::wstring>{L"shown.txt", L"secret.txt"}));
        else
            EXPECT_EQ(ListedNames(), std::set<std::wstring>{L"shown.txt"});
    }
}

// Each encrypting add asks for its own password; the peers read each
// member with its own.
TEST_F(MainWindowAdd, TwoEncryptedAddsInARowAskEachTheirPassword) {
    NewFromMenu(L"encrypted-twice.zip");
    const struct {
        const wchar_t* folder;
        const wchar_t* file;
        const wchar_t* password;
    } adds[] = {{L"first-src", L"first.txt", L"premier"}, {L"second-src", L"second.txt", L"deuxieme"}};
    for (const auto& add : adds) {
        MakeSources(WorkFolder() + add.folder, {add.file});
        std::vector<SeenDialog> others;
        AddChoice choice;
        choice.folder = WorkFolder() + add.folder;
        choice.subFolders = false;
        choice.storePaths = false;
        choice.encrypt = true;
        AddFromMenu(choice, others, add.password);
        ASSERT_EQ(others.size(), 1u) << "no password question for " << std::string(add.file, add.file + 6);
        EXPECT_EQ(others[0].caption, L"Mot de passe");
    }
    EXPECT_EQ(ListedNames(), (std::set<std::wstring>{L"first.txt", L"second.txt"}));
}

// The archive is read-only: the move fails with its message, and the files
// it was to move stay where they were.
TEST_F(MainWindowAdd, AMoveWhoseJobFailsKeepsTheOriginals) {
    const std::wstring sources = WorkFolder() + L"move-fails-src";
    MakeSources(sources, {L"kept.txt"});
    const std::wstring archive = WorkFolder() + L"move-fails.zip";
    SetFileAttributesW(archive.c_str(), FILE_ATTRIBUTE_NORMAL);
    CopyFileW((FixtureFolder() + L"tree.zip").c_str(), archive.c_str(), FALSE);
    ASSERT_TRUE(SetFileAttributesW(archive.c_str(), FILE_ATTRIBUTE_READONLY));
    const auto before = test::ReadBytes(archive);
    ASSERT_TRUE(window.OpenAZip(archive));
    std::vector<SeenDialog> others;
    AddChoice choice;
    choice.folder = sources;
    choice.subFolders = false;
    choice.storePaths = false;
    choice.action = 3;
    AddFromMenu(choice, others);
    test::PumpUntil([&] { return !others.empty(); }, 5000);
    EXPECT_FALSE(others.empty()) << "the failure is told";
    EXPECT_EQ(FilesBelow(sources), std::set<std::wstring>{L"kept.txt"});
    EXPECT_EQ(test::ReadBytes(archive), before);
    SetFileAttributesW(archive.c_str(), FILE_ATTRIBUTE_NORMAL);
}

}  // namespace
}  // namespace bralto
