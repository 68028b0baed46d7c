// The extraction windows as a user works them: the options window and its
// remembered settings, the folder-choice window behind the destination
// field, and the overwrite question.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <vector>

#include "DialogDriver.h"
#include "Settings.h"
#include "frmBrowse.h"
#include "frmExtractFiles.h"
#include "frmPrompt.h"

namespace {

using namespace bralto;
using namespace bralto::test;
using F = frmExtractFiles;

const wchar_t kCaption[] = L"Extraction de fichiers";

// What the window showed when the user came to it.
struct Shown {
    std::wstring folder;
    int files = -2, action = -2, common = -2;
    bool newer = false, existingNewer = false, usePath = false;
};

Shown Read(HWND dialog) {
    Shown s;
    s.folder = FieldText(dialog, F::qnrBrowDest);
    s.files = ComboIndex(dialog, F::comFichiers);
    s.action = ComboIndex(dialog, F::comAction);
    s.common = ComboIndex(dialog, F::comRep);
    s.newer = IsChecked(dialog, F::chkEONewer);
    s.existingNewer = IsChecked(dialog, F::chkEOEN);
    s.usePath = IsChecked(dialog, F::chkUsePath);
    return s;
}

std::vector<std::wstring> Entries(HWND dialog, int id) {
    std::vector<std::wstring> entries;
    for (int i = 0; i < ComboCount(dialog, id); ++i) entries.push_back(ComboEntry(dialog, id, i));
    return entries;
}

std::wstring Stored(const wchar_t* key) { return GetSetting(L"Extracting", key, L"<absent>"); }

bool SameFolder(const std::wstring& a, const std::wstring& b) { return lstrcmpiW(a.c_str(), b.c_str()) == 0; }

std::wstring TempFolder() {
    wchar_t path[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, path);
    return path;
}

class ExtractFilesTest : public testing::Test {
protected:
    void SetUp() override { ClearSettings(); }
    void TearDown() override { ClearSettings(); }
    ExtractFolderSources sources;
};

TEST_F(ExtractFilesTest, FirstUseOffersTheDefaultsAndACancelledWindowStillSavesThem) {
    Shown shown;
    std::vector<std::wstring> actions, files, common;
    ExtractAnswer answer;
    {
        DialogUser user(kCaption, [&](HWND dialog) {
            shown = Read(dialog);
            actions = Entries(dialog, F::comAction);
            files = Entries(dialog, F::comFichiers);
            common = Entries(dialog, F::comRep);
            EXPECT_EQ(ItemText(dialog, F::cmdAction0), L"Extraire");
            EXPECT_EQ(ItemText(dialog, F::cmdAction1), L"Annuler");
            EXPECT_EQ(ItemText(dialog, F::cmdRep), L"ce répertoire >");
            EXPECT_EQ(ItemText(dialog, F::fraDest), L"Répertoire destination");
            Click(dialog, F::cmdAction1);
        });
        answer = F::Show(nullptr, sources);
        ASSERT_TRUE(user.Found());
    }
    EXPECT_EQ(shown.folder, L"C:");
    EXPECT_EQ(shown.files, 0);
    EXPECT_EQ(shown.action, 0);
    EXPECT_EQ(shown.common, 0);
    EXPECT_FALSE(shown.newer || shown.existingNewer || shown.usePath);
    EXPECT_EQ(actions, (std::vector<std::wstring>{L"Demander confirmation avant d'écraser un fichier",
                                                  L"Ne pas autoriser l'écrasement de fichiers",
                                                  L"Autoriser l'écrasement de fichiers sans confirmation"}));
    EXPECT_EQ(files, (std::vector<std::wstring>{L"Les fichiers sélectionnés", L"Tous les fichiers de l'archive"}));
    EXPECT_EQ(common, (std::vector<std::wstring>{L"Répertoire du fichier zip", L"Répertoire temporaire", L"Bureau",
                                                 L"Mes documents"}));
    EXPECT_EQ(answer.tag, L"");
    EXPECT_EQ(Stored(L"Folder"), L"C:");
    EXPECT_EQ(Stored(L"Over"), L"0");
    EXPECT_EQ(Stored(L"Newer"), L"0");
    EXPECT_EQ(Stored(L"ExistingNewer"), L"0");
    EXPECT_EQ(Stored(L"UsePath"), L"0");
    EXPECT_EQ(Stored(L"Common"), L"0");
}

// A choice shown cut short ("...d'écraser un fich") leaves the user guessing.
TEST_F(ExtractFilesTest, EveryChoiceAndOptionIsShownWhole) {
    std::vector<std::wstring> cut{L"not seen"};
    DialogUser user(kCaption, [&](HWND dialog) {
        cut = TextsCutShort(dialog);
        Click(dialog, F::cmdAction1);
    });
    F::Show(nullptr, sources);
    EXPECT_EQ(std::vector<std::wstring>{}, cut);
}

TEST_F(ExtractFilesTest, StoredOptionsAreOfferedAndExtraireReturnsThemForTheJob) {
    SaveSetting(L"Extracting", L"Folder", L"C:\\windows");
    SaveSetting(L"Extracting", L"Over", L"2");
    SaveSetting(L"Extracting", L"ExistingNewer", L"1");
    SaveSetting(L"Extracting", L"UsePath", L"1");
    SaveSetting(L"Extracting", L"Common", L"3");
    Shown shown;
    ExtractAnswer answer;
    {
        DialogUser user(kCaption, [&](HWND dialog) {
            shown = Read(dialog);
            SelectCombo(dialog, F::comFichiers, 1);
            Click(dialog, F::cmdAction0);
        });
        answer = F::Show(nullptr, sources);
    }
    EXPECT_EQ(shown.folder, L"C:\\windows");
    EXPECT_EQ(shown.files, 0) << "the members to extract are not remembered";
    EXPECT_EQ(shown.action, 2);
    EXPECT_EQ(shown.common, 3);
    EXPECT_FALSE(shown.newer);
    EXPECT_TRUE(shown.existingNewer);
    EXPECT_TRUE(shown.usePath);

    EXPECT_EQ(answer.tag, L"OK");
    EXPECT_EQ(answer.folder, L"C:\\windows");
    EXPECT_TRUE(answer.AllFiles());
    EXPECT_TRUE(answer.OverwriteExisting());
    EXPECT_FALSE(answer.PromptToOverwrite());
    EXPECT_FALSE(answer.onlyNewer);
    EXPECT_TRUE(answer.onlyExistingNewer);
    EXPECT_TRUE(answer.usePath);
    EXPECT_EQ(answer.common, 3);
}

TEST_F(ExtractFilesTest, OptionsOfAWindowClosedByItsCloseBoxAreOfferedAgain) {
    ExtractAnswer first;
    {
        DialogUser user(kCaption, [&](HWND dialog) {
            SetFieldText(dialog, F::qnrBrowDest, L"D:\\sortie");
            SelectCombo(dialog, F::comAction, 1);
            SelectCombo(dialog, F::comRep, 2);
            Click(dialog, F::chkEONewer);
            Click(dialog, F::chkUsePath);
            SendMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        });
        first = F::Show(nullptr, sources);
    }
    EXPECT_EQ(first.tag, L"") << "the close box is Annuler";
    EXPECT_EQ(Stored(L"Folder"), L"D:\\sortie");
    EXPECT_EQ(Stored(L"Over"), L"1");
    EXPECT_EQ(Stored(L"Newer"), L"1");
    EXPECT_EQ(Stored(L"UsePath"), L"1");
    EXPECT_EQ(Stored(L"Common"), L"2");

    Shown again;
    ExtractAnswer second;
    {
        DialogUser user(kCaption, [&](HWND dialog) {
            again = Read(dialog);
            // Enter on a check box presses the default button, "Extraire".
            PostMessageW(GetDlgItem(dialog, F::chkUsePath), WM_KEYDOWN, VK_RETURN, 0);
            WaitForDialogGone(kCaption);
        });
        second = F::Show(nullptr, sources);
    }
    EXPECT_EQ(again.folder, L"D:\\sortie");
    EXPECT_EQ(again.action, 1);
    EXPECT_EQ(again.common, 2);
    EXPECT_TRUE(again.newer);
    EXPECT_FALSE(again.existingNewer);
    EXPECT_TRUE(again.usePath);
    EXPECT_EQ(second.tag, L"OK");
    EXPECT_FALSE(second.OverwriteExisting()) << "'Ne pas autoriser' neither overwrites";
    EXPECT_FALSE(second.PromptToOverwrite()) << "nor asks";
    EXPECT_TRUE(second.onlyNewer);
}

TEST_F(ExtractFilesTest, TheTwoNewerRulesAreNeverBothChecked) {
    std::vector<std::pair<bool, bool>> states;
    {
        DialogUser user(kCaption, [&](HWND dialog) {
            auto note = [&] { states.emplace_back(IsChecked(dialog, F::chkEONewer), IsChecked(dialog, F::chkEOEN)); };
            Click(dialog, F::chkEONewer);
            note();
            Click(dialog, F::chkEOEN);
            note();
            Click(dialog, F::chkEONewer);
            note();
            Click(dialog, F::chkEONewer);  // unchecking leaves the other alone
            note();
            PostMessageW(GetDlgItem(dialog, F::chkEOEN), WM_KEYDOWN, VK_ESCAPE, 0);  // Escape is "Annuler"
            WaitForDialogGone(kCaption);
        });
        EXPECT_EQ(F::Show(nullptr, sources).tag, L"");
    }
    const std::vector<std::pair<bool, bool>> expected = {{true, false}, {false, true}, {true, false}, {false, false}};
    EXPECT_EQ(states, expected);
}

TEST_F(ExtractFilesTest, UnreadableOrUnknownStoredValuesFallBackToSafeChoices) {
    SaveSetting(L"Extracting", L"Over", L"7");
    SaveSetting(L"Extracting", L"Newer", L"1");
    SaveSetting(L"Extracting", L"ExistingNewer", L"1");
    SaveSetting(L"Extracting", L"UsePath", L"oui");
    SaveSetting(L"Extracting", L"Common", L"9");
    Shown shown;
    std::wstring afterThisFolder;
    {
        DialogUser user(kCaption, [&](HWND dialog) {
            shown = Read(dialog);
            Click(dialog, F::cmdRep);
            afterThisFolder = FieldText(dialog, F::qnrBrowDest);
            Click(dialog, F::cmdAction1);
        });
        F::Show(nullptr, sources);
    }
    EXPECT_EQ(shown.action, 0) << "an unknown overwrite rule asks first";
    EXPECT_TRUE(shown.newer);
    EXPECT_FALSE(shown.existingNewer) << "both rules stored: the first one is kept";
    EXPECT_FALSE(shown.usePath) << "not a number reads as 0";
    EXPECT_EQ(shown.common, -1) << "no entry chosen";
    EXPECT_EQ(afterThisFolder, L"") << "with no entry chosen the field is emptied";
    EXPECT_EQ(Stored(L"Common"), L"-1");
    EXPECT_EQ(Stored(L"ExistingNewer"), L"0");
}

TEST_F(ExtractFilesTest, ThisFolderButtonPutsTheChosenCommonFolderIntoTheField) {
    std::vector<int> askedFolders;
    sources.archivePath = L"C:\\x\\a.zip";
    sources.tempFolder = [] { return std::wstring(L"C:\\tmp dir\\"); };
    sources.specialFolder = [&](HWND owner, int csidl) {
        EXPECT_NE(owner, nullptr) << "the shell gets the window as owner";
        askedFolders.push_back(csidl);
        return std::wstring(csidl == CSIDL_DESKTOPDIRECTORY ? L"C:\\Bureau" : L"C:\\Documents");
    };
    std::vector<std::wstring> fields;
    {
        DialogUser user(kCaption, [&](HWND dialog) {
            for (int choice = 0; choice < 4; ++choice) {
                SelectCombo(dialog, F::comRep, choice);
                Click(dialog, F::cmdRep);
                fields.push_back(FieldText(dialog, F::qnrBrowDest));
            }
            Click(dialog, F::cmdAction0);
        });
        const ExtractAnswer answer = F::Show(nullptr, sources);
        EXPECT_EQ(answer.folder, L"C:\\Documents");
        EXPECT_EQ(answer.common, 3);
    }
    EXPECT_EQ(fields, (std::vector<std::wstring>{L"C:\\x", L"C:\\tmp dir", L"C:\\Bureau", L"C:\\Documents"}));
    EXPECT_EQ(askedFolders, (std::vector<int>{16, 5}));
}

TEST(ExtractCommonFolder, RootArchivesMissingArchivesAndFoldersTheShellCannotGive) {
    ExtractFolderSources sources;
    sources.archivePath = L"C:\\a.zip";
    EXPECT_EQ(frmExtractFiles::CommonFolder(0, nullptr, sources), L"C:");
    sources.archivePath = L"";
    EXPECT_EQ(frmExtractFiles::CommonFolder(0, nullptr, sources), L"") << "no archive open";
    EXPECT_EQ(frmExtractFiles::CommonFolder(1, nullptr, sources), L"");
    EXPECT_EQ(frmExtractFiles::CommonFolder(2, nullptr, sources), L"");
    sources.tempFolder = [] { return std::wstring(); };
    sources.specialFolder = [](HWND, int) { return std::wstring(); };
    EXPECT_EQ(frmExtractFiles::CommonFolder(1, nullptr, sources), L"");
    EXPECT_EQ(frmExtractFiles::CommonFolder(3, nullptr, sources), L"");
    EXPECT_EQ(frmExtractFiles::CommonFolder(-1, nullptr, sources), L"");
    EXPECT_EQ(frmExtractFiles::CommonFolder(4, nullptr, sources), L"");
}

// A folder with one sub-folder under the temporary folder, removed after.
class FolderTree {
public:
    FolderTree() : outer(TempFolder() + L"BraltoDialogTest"), inner(outer + L"\\Intérieur") {
        CreateDirectoryW(outer.c_str(), nullptr);
        CreateDirectoryW(inner.c_str(), nullptr);
    }
    ~FolderTree() {
        RemoveDirectoryW(inner.c_str());
        RemoveDirectoryW(outer.c_str());
    }
    const std::wstring outer, inner;
};

std::wstring SelectedNodeText(HWND tree) {
    wchar_t text[MAX_PATH] = {};
    TVITEMW item = {};
    item.mask = TVIF_TEXT;
    item.hItem = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    item.pszText = text;
    item.cchTextMax = MAX_PATH;
    SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    return text;
}

TEST_F(ExtractFilesTest, BrowseButtonChoosesTheDestinationInTheFolderTree) {
    FolderTree folders;
    SaveSetting(L"Extracting", L"Folder", folders.inner);
    std::wstring openedOn, fieldAfterChoice;
    ExtractAnswer answer;
    {
        DialogUser user(kCaption, [&](HWND dialog) {
            HWND button = FindWindowExW(GetDlgItem(dialog, F::qnrBrowDest), nullptr, L"Button", nullptr);
            PostMessageW(button, BM_CLICK, 0, 0);
            HWND browse = WaitForDialog(L"Choisir un répertoire");
            ASSERT_NE(browse, nullptr);
            EXPECT_EQ(GetWindow(browse, GW_OWNER), dialog);
            HWND tree = FindWindowExW(GetDlgItem(browse, frmBrowse::qnrRep), nullptr, WC_TREEVIEWW, nullptr);
            openedOn = SelectedNodeText(tree);
            // The user goes up to the parent folder (the only child's
            // previous node) with the arrow key.
            SendMessageW(tree, WM_KEYDOWN, VK_UP, 0);
            SendMessageW(tree, WM_KEYUP, VK_UP, 0);
            Click(browse, frmBrowse::cmdCmd0);
            WaitForDialogGone(L"Choisir un répertoire");
            fieldAfterChoice = FieldText(dialog, F::qnrBrowDest);
            Click(dialog, F::cmdAction0);
        });
        answer = F::Show(nullptr, sources);
    }
    EXPECT_EQ(openedOn, L"Intérieur") << "the tree opens on the field's folder";
    EXPECT_TRUE(SameFolder(fieldAfterChoice, folders.outer)) << testing::PrintToString(fieldAfterChoice);
    EXPECT_TRUE(SameFolder(answer.folder, folders.outer));
    EXPECT_TRUE(SameFolder(Stored(L"Folder"), folders.outer));
}

TEST(FolderChoiceWindow, OpensOnlyOnDrivesAndExistingFolders) {
    FolderTree folders;
    frmBrowse browse;
    EXPECT_FALSE(browse.OpenAFolder(L""));
    EXPECT_FALSE(browse.OpenAFolder(folders.outer + L"\\absent"));
    EXPECT_FALSE(browse.OpenAFolder(L"C:\\windows\\notepad.exe")) << "a file is no folder";
    EXPECT_TRUE(browse.OpenAFolder(L"C:"));
    EXPECT_TRUE(browse.OpenAFolder(L"c:\\"));
    EXPECT_TRUE(browse.OpenAFolder(folders.inner));
}

TEST(FolderChoiceWindow, OkGivesTheTreesFolderAnnulerAndEscapeGiveNothing) {
    FolderTree folders;
    frmBrowse browse;
    browse.Caption(L"Destination des fichiers");
    ASSERT_TRUE(browse.OpenAFolder(folders.inner));
    const std::vector<int> presses = {frmBrowse::cmdCmd1, IDCANCEL, frmBrowse::cmdCmd0};
    std::vector<std::wstring> tags;
    for (int press : presses) {
        DialogUser user(L"Destination des fichiers", [&](HWND dialog) {
            EXPECT_EQ(ItemText(dialog, frmBrowse::cmdCmd0), L"&OK");
            EXPECT_EQ(ItemText(dialog, frmBrowse::cmdCmd1), L"&Annuler");
            if (press == IDCANCEL)
                SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
            else
                Click(dialog, press);
        });
        tags.push_back(browse.ShowModal(nullptr));
        EXPECT_TRUE(user.Found());
    }
    EXPECT_EQ(tags[0], L"");
    EXPECT_EQ(tags[1], L"");
    EXPECT_TRUE(SameFolder(tags[2], folders.inner)) << testing::PrintToString(tags[2]);
}

TEST(FolderChoiceWindow, TheFieldsFactoryMakesOneWithTheDesignCaption) {
    std::unique_ptr<FolderChoice> choice = frmBrowse::Factory()();
    ASSERT_NE(choice, nullptr);
    ASSERT_TRUE(choice->OpenAFolder(L"C:"));
    std::wstring tag = L"<not shown>";
    {
        DialogUser user(L"Choisir un répertoire", [](HWND dialog) { Click(dialog, frmBrowse::cmdCmd0); });
        tag = choice->ShowModal(nullptr);
    }
    EXPECT_TRUE(SameFolder(tag, L"C:")) << testing::PrintToString(tag);
}

// The overwrite question of a running extraction.
TEST(OverwritePromptWindow, EachButtonAnswersItsJobCode) {
    const long expected[4] = {102, 100, 103, 104};
    HICON icon = LoadIconW(nullptr, IDI_WARNING);
    for (int i = 0; i < 4; ++i) {
        std::wstring question;
        std::vector<std::wstring> captions;
        long answer = 0;
        {
            DialogUser user(L"Bralto", [&](HWND dialog) {
                question = ItemText(dialog, frmPrompt::lblInfo);
                for (int b = 0; b < 4; ++b) captions.push_back(ItemText(dialog, frmPrompt::cmdAction0 + b));
                EXPECT_EQ(std::vector<std::wstring>{}, TextsCutShort(dialog)) << "texts cut short";
                Click(dialog, frmPrompt::cmdAction0 + i);
            });
            answer = frmPrompt::Ask(nullptr, L"C:\\x\\a.txt", icon, true);
        }
        EXPECT_EQ(answer, expected[i]) << "button " << i;
        EXPECT_EQ(question, L"Ecraser C:\\x\\a.txt ?");
        EXPECT_EQ(captions, (std::vector<std::wstring>{L"&Oui", L"&Non", L"Oui à &tous", L"Non à to&us"}));
    }
}

TEST(OverwritePromptWindow, AskAnswersTheJobCodeAsANumber) {
    const long expected[4] = {IDM_REPLACE_YES, IDM_REPLACE_NO, IDM_REPLACE_ALL, IDM_REPLACE_NONE};
    for (int i = 0; i < 4; ++i) {
        long answer = 0;
        {
            DialogUser user(L"Bralto", [&](HWND dialog) { Click(dialog, frmPrompt::cmdAction0 + i); });
            answer = frmPrompt::Ask(nullptr, L"C:\\x\\c.txt", nullptr, true);
        }
        EXPECT_EQ(answer, expected[i]) << "button " << i;
    }
}

TEST(OverwritePromptWindow, OnlyNewerDisablesYesToAllAndEscapeOrCloseDoNothing) {
    bool enabled[4] = {};
    bool stillOpen = false, hasCloseBox = true;
    long answer = 0;
    {
        DialogUser user(L"Bralto", [&](HWND dialog) {
            for (int b = 0; b < 4; ++b) enabled[b] = IsEnabled(dialog, frmPrompt::cmdAction0 + b);
            hasCloseBox = (GetWindowLongW(dialog, GWL_STYLE) & WS_SYSMENU) != 0;
            SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);  // Escape
            SendMessageW(dialog, WM_COMMAND, IDOK, 0);      // Enter with no default button
            stillOpen = IsWindowVisible(dialog) != 0;
            Click(dialog, frmPrompt::cmdAction0 + 3);
        });
        answer = frmPrompt::Ask(nullptr, L"C:\\x\\b.txt", nullptr, false);
    }
    EXPECT_TRUE(enabled[0]);
    EXPECT_TRUE(enabled[1]);
    EXPECT_FALSE(enabled[2]) << "'Oui à tous' is off while only newer files are extracted";
    EXPECT_TRUE(enabled[3]);
    EXPECT_FALSE(hasCloseBox);
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(answer, 104);
}

}  // namespace
