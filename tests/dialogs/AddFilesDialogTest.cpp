// The add-files wizard as a keyboard user works it: the folder tree and its
// files on page 1, the collected rows and the zip options on page 2, the
// name-conflict question, the remembered settings. Screenshots of both
// pages are saved beside the other windows' ones.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <fstream>
#include <vector>

#include "AddFilesBitmaps.h"
#include "DialogDriver.h"
#include "HtmlHelp.h"
#include "Settings.h"
#include "frmAddFiles.h"

namespace {

using namespace bralto;
using namespace bralto::test;
using F = frmAddFiles;

const wchar_t kCaption[] = L"Ajout de fichiers";

// A folder of three files and a sub-folder, named as the tree spells it.
class Fixture {
public:
    Fixture() {
        wchar_t temp[MAX_PATH] = {}, full[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        GetLongPathNameW(temp, full, MAX_PATH);
        root_ = std::wstring(full) + L"BraltoAjout";
        CreateDirectoryW(root_.c_str(), nullptr);
        CreateDirectoryW((root_ + L"\\Sous").c_str(), nullptr);
        Write(L"a.txt", 3000);  // 3 Ko
        Write(L"b.doc", 10);    // 1 Ko
        Write(L"c.txt", 2000);  // 2 Ko
        Write(L"Sous\\d.txt", 5);
    }
    ~Fixture() {
        for (const wchar_t* name : {L"a.txt", L"b.doc", L"c.txt", L"Sous\\d.txt"})
            DeleteFileW((root_ + L"\\" + name).c_str());
        RemoveDirectoryW((root_ + L"\\Sous").c_str());
        RemoveDirectoryW(root_.c_str());
    }
    const std::wstring& Root() const { return root_; }

private:
    void Write(const wchar_t* name, size_t bytes) {
        std::ofstream out((root_ + L"\\" + name).c_str(), std::ios::binary);
        out << std::string(bytes, 'x');
    }
    std::wstring root_;
};

bool SameText(const std::wstring& a, const std::wstring& b) { return lstrcmpiW(a.c_str(), b.c_str()) == 0; }

HWND FileList(HWND dialog) { return FindWindowExW(GetDlgItem(dialog, F::qnrFich), nullptr, WC_LISTVIEWW, nullptr); }

std::wstring CellText(HWND list, int row, int column = 0) {
    wchar_t text[MAX_PATH * 2] = {};
    ListView_GetItemText(list, row, column, text, MAX_PATH * 2);
    return text;
}

std::vector<std::wstring> Column(HWND list, int column = 0) {
    std::vector<std::wstring> texts;
    for (int row = 0; row < ListView_GetItemCount(list); ++row) texts.push_back(CellText(list, row, column));
    return texts;
}

int SelectionCount(HWND dialog) { return ListView_GetItemCount(GetDlgItem(dialog, F::lisSélect)); }

bool Shown(HWND dialog, int id) { return IsWindowVisible(GetDlgItem(dialog, id)) != 0; }

// Tab until the control `id` has the focus; false after a full round.
bool TabTo(HWND dialog, int id) {
    for (int step = 0; step < 30 && FocusedId(dialog) != id; ++step) PressKey(dialog, VK_TAB);
    return FocusedId(dialog) == id;
}

// Home selects the first row, unless it has the focus already: then
// Space does, as a user would press it on seeing no highlight.
void SelectFirstRow(HWND dialog, int id) {
    PressKey(dialog, VK_HOME);
    if (ListView_GetSelectedCount(GetDlgItem(dialog, id)) == 0) PressKey(dialog, VK_SPACE);
}

// A header click as the mouse gives it, in the middle of column `column`.
void ClickHeader(HWND dialog, int column) {
    HWND header = ListView_GetHeader(FileList(dialog));
    RECT item;
    Header_GetItemRect(header, column, &item);
    const LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    PostMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(header, WM_LBUTTONUP, 0, at);
    Settle(dialog);
}

// The message box "Bralto" of this process: its text, then the keys given.
std::wstring AnswerMessageBox(WORD key, wchar_t mnemonic = 0) {
    HWND box = WaitForDialog(L"Bralto", 5000);
    if (!box) return L"<no message box>";
    std::wstring text;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t className[16] = {};
        GetClassNameW(child, className, 16);
        if (std::wstring(className) == L"Static" && WindowText(child).size() > text.size()) text = WindowText(child);
    }
    if (mnemonic)
        PressAlt(box, mnemonic);
    else
        PressKey(box, key);
    WaitForDialogGone(L"Bralto", 5000);
    return text;
}

// What the selection picture shows at a pixel that is transparent in the
// empty tray (13) and paper in the filled one (14).
bool ShowsFilledTray(HWND dialog) {
    HWND picture = GetDlgItem(dialog, F::imaSélection);
    RedrawWindow(picture, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    Settle(dialog);
    POINT at = {14, 6};
    ClientToScreen(picture, &at);
    HDC screen = GetDC(nullptr);
    const COLORREF colour = GetPixel(screen, at.x, at.y);
    ReleaseDC(nullptr, screen);
    return colour == RGB(255, 255, 255);
}

void SaveScreenshot(HWND dialog, const wchar_t* name) {
    CreateDirectoryW(L"Z:" BRALTO_SCREENSHOTS, nullptr);
    std::wstring file = std::wstring(L"Z:" BRALTO_SCREENSHOTS L"/") + name;
    for (auto& c : file)
        if (c == L'/') c = L'\\';
    EXPECT_TRUE(SaveWindowImage(dialog, file));
}

class AddFilesTest : public testing::Test {
protected:
    void SetUp() override {
        ClearSettings();
        SaveSetting(L"Adding", L"Folder", fixture.Root());
    }
    void TearDown() override { ClearSettings(); }

    // Shows the window and lets `act` work it from the user's thread.
    AddFilesAnswer Run(std::function<void(HWND)> act) {
        AddFilesAnswer answer;
        DialogUser user(kCaption, [&](HWND dialog) {
            Settle(dialog);
            act(dialog);
        });
        answer = F::Show(nullptr);
        EXPECT_TRUE(user.Found());
        return answer;
    }
    Fixture fixture;
};

TEST(AddFilesSelection, FolderRowsWeighTheirIconsFileRowsNothing) {
    auto row = [](SelectionKind kind, int icon) {
        AddSelection entry;
        entry.kind = kind;
        entry.icon = icon;
        return entry;
    };
    const AddSelection alone = row(SelectionKind::FolderAlone, 1), tree = row(SelectionKind::FolderWithSubFolders, 2),
                       file = row(SelectionKind::File, 3), other = row(SelectionKind::File, 7);
    EXPECT_FALSE(SelectionMayConflict({}));
    EXPECT_FALSE(SelectionMayConflict({alone, file, other, file}));
    EXPECT_TRUE(SelectionMayConflict({alone, alone}));
    EXPECT_TRUE(SelectionMayConflict({tree}));
    EXPECT_TRUE(SelectionMayConflict({file, tree}));

    AddSelection folder;
    folder.text = L"C:\\Docs\\*.txt";
    EXPECT_EQ(folder.Folder(), L"C:\\Docs");
    EXPECT_EQ(folder.Mask(), L"*.txt");
    EXPECT_EQ(FileImageKey(L"lettre.Doc"), L".Doc");
    EXPECT_EQ(FileImageKey(L"a.b.txt"), L".txt");
    EXPECT_EQ(FileImageKey(L"LISEZMOI"), L"LISEZMOI");
    EXPECT_STREQ(SelectionMarker(SelectionKind::FolderWithSubFolders), L"A");
    EXPECT_STREQ(SelectionMarker(SelectionKind::FolderAlone), L"B");
    EXPECT_STREQ(SelectionMarker(SelectionKind::File), L"X");
}

TEST(AddFilesAnswerOptions, ActionAndCompressionAsTheZipJobTakesThem) {
    AddFilesAnswer answer;
    const int levels[] = {9, 6, 2, 0};
    for (int entry = 0; entry < 4; ++entry) {
        answer.action = entry;
        answer.compression = entry;
        EXPECT_EQ(answer.CompressionLevel(), levels[entry]);
        EXPECT_EQ(answer.FreshenFiles(), entry == 1);
        EXPECT_EQ(answer.UpdateOnlyIfNewer(), entry == 2);
        EXPECT_EQ(answer.MoveFiles(), entry == 3);
    }
    EXPECT_EQ(F::NextView(3), 2);
    EXPECT_EQ(F::NextView(2), 3);
    EXPECT_EQ(F::NextView(0), 3);
    EXPECT_EQ(F::ViewBitmap(3), IDB_ADDFILES_VIEW_REPORT);
    EXPECT_EQ(F::ViewBitmap(2), IDB_ADDFILES_VIEW_LIST);
    EXPECT_EQ(F::ViewBitmap(0), IDB_ADDFILES_VIEW_LIST) << "a stored icon view still has a picture";
}

TEST_F(AddFilesTest, PagesOpenFromTheSettingsAndEscapeLeavesTheTagEmpty) {
    const AddFilesAnswer answer = Run([&](HWND dialog) {
        EXPECT_TRUE(SameText(ItemText(dialog, F::fraRép), fixture.Root())) << ItemText(dialog, F::fraRép);
        EXPECT_EQ(Column(FileList(dialog)), (std::vector<std::wstring>{L"a.txt", L"b.doc", L"c.txt"}));
        EXPECT_EQ(ListView_GetSelectedCount(FileList(dialog)), 0u) << "a newly chosen folder has no file selected";
        EXPECT_EQ(ItemText(dialog, F::txtMask), L"*.*");
        EXPECT_FALSE(IsChecked(dialog, F::chkSsRép));
        EXPECT_EQ(ItemText(dialog, F::cmdSuivPré), L"&Suivant>");
        EXPECT_FALSE(Shown(dialog, F::cmdOK));
        EXPECT_FALSE(Shown(dialog, F::lisSélect));
        EXPECT_FALSE(ShowsFilledTray(dialog));
        EXPECT_EQ(FocusedId(dialog), F::qnrRép) << "the tree comes first";
        EXPECT_EQ(std::vector<std::wstring>{}, TextsCutShort(dialog)) << "texts cut short on page 1";
        // Tab order of page 1.
        std::vector<int> order;
        for (int step = 0; step < 8; ++step) {
            PressKey(dialog, VK_TAB);
            order.push_back(FocusedId(dialog));
        }
        EXPECT_EQ(order, (std::vector<int>{F::chkSsRép, F::txtMask, F::cmdRép, F::qnrFich, F::imaView, F::cmdFichier,
                                           F::cmdSuivPré, F::cmdCancel}));
        SaveScreenshot(dialog, L"add_files_page1.bmp");

        PressAlt(dialog, L's');  // "&Suivant>"
        EXPECT_EQ(ItemText(dialog, F::cmdSuivPré), L"<&Précédent");
        EXPECT_TRUE(Shown(dialog, F::cmdOK));
        EXPECT_EQ(std::vector<std::wstring>{}, TextsCutShort(dialog)) << "texts cut short on page 2";
        EXPECT_TRUE(Shown(dialog, F::lisSélect));
        EXPECT_FALSE(Shown(dialog, F::qnrFich));
        EXPECT_EQ(ComboEntry(dialog, F::comAction, ComboIndex(dialog, F::comAction)), L"Ajouter (et remplacer)");
        EXPECT_EQ(ComboCount(dialog, F::comAction), 4);
        EXPECT_EQ(ComboEntry(dialog, F::comCompression, ComboIndex(dialog, F::comCompression)), L"Maximale");
        EXPECT_EQ(ComboEntry(dialog, F::comCompression, 3), L"Aucune");
        EXPECT_TRUE(IsChecked(dialog, F::chkSystem));
        EXPECT_FALSE(IsChecked(dialog, F::chkDir) || IsChecked(dialog, F::chkPath) || IsChecked(dialog, F::chkEncrypt));
        SaveScreenshot(dialog, L"add_files_page2.bmp");

        PressAlt(dialog, L'p');  // "<&Précédent"
        EXPECT_EQ(ItemText(dialog, F::cmdSuivPré), L"&Suivant>");
        EXPECT_FALSE(Shown(dialog, F::cmdOK)) << "\"&Terminer\" is hidden again on page 1";
        EXPECT_TRUE(Shown(dialog, F::qnrFich));
        PressAlt(dialog, L't');  // the hidden "&Terminer" does not answer its mnemonic
        EXPECT_TRUE(IsWindowVisible(dialog));
        PressKey(dialog, VK_ESCAPE);
        WaitForDialogGone(kCaption);
    });
    EXPECT_EQ(answer.tag, L"");
    EXPECT_TRUE(SameText(GetSetting(L"Adding", L"Folder", L""), fixture.Root()));
    EXPECT_EQ(GetSetting(L"Adding", L"UsePath", L"<absent>"), L"0");
}

// What the window asked the viewer for (on its own thread).
std::wstring helpAskedFor;
std::atomic<bool> helpAsked{false};

HWND WINAPI RecordHelpCall(HWND caller, LPCWSTR file, UINT, DWORD_PTR) {
    helpAskedFor = file;
    helpAsked = true;
    return caller;
}

TEST_F(AddFilesTest, F1OpensTheAddingPageOfTheHelp) {
    ReplaceHtmlHelpEntry(RecordHelpCall);
    helpAsked = false;
    Run([&](HWND dialog) {
        PressF1(dialog);
        for (int i = 0; i < 250 && !helpAsked; ++i) Sleep(20);
        PressKey(dialog, VK_ESCAPE);
        WaitForDialogGone(kCaption);
    });
    ReplaceHtmlHelpEntry(nullptr);
    ASSERT_TRUE(helpAsked) << "F1 asked the viewer for nothing";
    EXPECT_EQ(helpAskedFor, HelpFilePath() + L"::/ajouter.htm");
}

TEST_F(AddFilesTest, AMissingSavedFolderOpensTheTreeOnTheSystemDrive) {
    SaveSetting(L"Adding", L"Folder", fixture.Root() + L"\\disparu");
    std::wstring caption;
    Run([&](HWND dialog) {
        caption = ItemText(dialog, F::fraRép);
        PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);  // the close box
        WaitForDialogGone(kCaption);
    });
    EXPECT_EQ(caption, L"C:");
    EXPECT_EQ(GetSetting(L"Adding", L"Folder", L""), L"C:");
}

// Page 1 by keyboard: the first file, then the second, then the folder
// with its sub-folders and the mask "*.txt".
void CollectTwoFilesAndATree(HWND dialog) {
    ASSERT_TRUE(TabTo(dialog, F::qnrFich));
    PressKey(dialog, VK_SPACE);              // the first row has the focus, not the selection
    PressAlt(dialog, L'f');                  // "Ajouter les &fichiers sélectionnés"
    ASSERT_TRUE(TabTo(dialog, F::qnrFich));  // the mnemonic took the focus to the button
    PressKey(dialog, VK_DOWN);
    PressAlt(dialog, L'f');
    ASSERT_TRUE(TabTo(dialog, F::chkSsRép));
    PressKey(dialog, VK_SPACE);
    PressKey(dialog, VK_TAB);  // into the mask, its text selected
    TypeText(dialog, L"*.txt");
    PressAlt(dialog, L'j');  // "A&jouter ces fichiers"
}

TEST_F(AddFilesTest, AKeyboardUserCollectsRowsChoosesOptionsAndAcceptsThePathQuestion) {
    std::wstring question;
    std::vector<std::wstring> markers;
    bool filledBefore = true, filledAfter = false;
    const AddFilesAnswer answer = Run([&](HWND dialog) {
        filledBefore = ShowsFilledTray(dialog);
        CollectTwoFilesAndATree(dialog);
        filledAfter = ShowsFilledTray(dialog);
        SaveScreenshot(dialog, L"add_files_page1_filled.bmp");
        PressAlt(dialog, L's');
        markers = Column(GetDlgItem(dialog, F::lisSélect), 1);
        ASSERT_TRUE(TabTo(dialog, F::comAction));
        PressKey(dialog, VK_DOWN);  // "Mettre à jour (fichiers existants seulement)"
        PressKey(dialog, VK_TAB);
        EXPECT_EQ(FocusedId(dialog), F::comCompression);
        PressKey(dialog, VK_DOWN);
        PressKey(dialog, VK_DOWN);  // "Rapide"
        ASSERT_TRUE(TabTo(dialog, F::chkEncrypt));
        PressKey(dialog, VK_SPACE);
        SaveScreenshot(dialog, L"add_files_page2_filled.bmp");
        PressAlt(dialog, L't');                  // "&Terminer": one folder with sub-folders may hold twins
        question = AnswerMessageBox(VK_RETURN);  // Yes, the default button
        WaitForDialogGone(kCaption);
    });
    EXPECT_FALSE(filledBefore);
    EXPECT_TRUE(filledAfter);
    EXPECT_EQ(markers, (std::vector<std::wstring>{L"X", L"X", L"A"}));
    EXPECT_EQ(question,
              L"Vous avez sélectionné plusieurs répertoires (et/ou sous-répertoires). Un conflict de nom de fichier "
              L"est possible (fichiers de même nom dans des répertoires distincts).\r\nPour résoudre cet éventuel "
              L"conflict, l'option 'Enregistrer les chemins' doit être validée.\r\nVous pouvez cependant ne rien "
              L"modifier, Bralto vous avertira si une erreur se produit.\r\nCocher l'option Enregistrer les chemins ?");
    EXPECT_EQ(answer.tag, L"OK");
    ASSERT_EQ(answer.selection.size(), 3u);
    const AddSelection &a = answer.selection[0], &b = answer.selection[1], &tree = answer.selection[2];
    EXPECT_TRUE(SameText(a.text, fixture.Root() + L"\\a.txt")) << a.text;
    EXPECT_TRUE(SameText(b.text, fixture.Root() + L"\\b.doc")) << b.text;
    EXPECT_EQ(a.kind, SelectionKind::File);
    EXPECT_GE(a.icon, 3);
    EXPECT_GE(b.icon, 3);
    EXPECT_NE(a.icon, b.icon) << "one icon per file type";
    EXPECT_EQ(tree.kind, SelectionKind::FolderWithSubFolders);
    EXPECT_EQ(tree.icon, 2);
    EXPECT_TRUE(SameText(tree.Folder(), fixture.Root()));
    EXPECT_EQ(tree.Mask(), L"*.txt");
    EXPECT_TRUE(answer.FreshenFiles());
    EXPECT_EQ(answer.CompressionLevel(), 2);
    EXPECT_TRUE(answer.encrypt);
    EXPECT_TRUE(answer.includeSystemAndHiddenFiles);
    EXPECT_FALSE(answer.storeDirectories);
    EXPECT_TRUE(answer.storeFolderNames) << "\"Oui\" checks \"Enregistrer le chemin\"";
    EXPECT_EQ(GetSetting(L"Adding", L"UsePath", L""), L"1");
}

TEST_F(AddFilesTest, OnlySeveralFoldersAskAndCancellingTheQuestionKeepsTheWindow) {
    // One folder alone and files: no question, "&Terminer" closes at once.
    AddFilesAnswer single = Run([&](HWND dialog) {
        ASSERT_TRUE(TabTo(dialog, F::qnrFich));
        PressKey(dialog, VK_SPACE);  // the first row has the focus, not the selection
        PressAlt(dialog, L'f');
        PressAlt(dialog, L'j');
        PressAlt(dialog, L's');
        PressKey(dialog, VK_RETURN);  // "&Terminer" is the default button of page 2
        WaitForDialogGone(kCaption);
    });
    EXPECT_EQ(single.tag, L"OK");
    ASSERT_EQ(single.selection.size(), 2u);
    EXPECT_EQ(single.selection[1].kind, SelectionKind::FolderAlone);
    EXPECT_EQ(single.selection[1].icon, 1);
    EXPECT_EQ(single.selection[1].marker, L"B");
    EXPECT_FALSE(single.storeFolderNames);

    // Two folders alone: Annuler stays with the rows, Non closes unchanged.
    int rowsAfterCancel = -1;
    std::wstring first;
    AddFilesAnswer twice = Run([&](HWND dialog) {
        PressAlt(dialog, L'j');
        PressAlt(dialog, L'j');  // the same folder twice: no duplicate check
        PressAlt(dialog, L's');
        PressAlt(dialog, L't');
        first = AnswerMessageBox(VK_ESCAPE);
        rowsAfterCancel = SelectionCount(dialog);
        EXPECT_TRUE(IsWindowVisible(dialog));
        PressAlt(dialog, L't');
        AnswerMessageBox(0, L'n');  // "&Non"
        WaitForDialogGone(kCaption);
    });
    EXPECT_NE(first.find(L"Cocher l'option"), std::wstring::npos) << first;
    EXPECT_EQ(rowsAfterCancel, 2);
    EXPECT_EQ(twice.tag, L"OK");
    EXPECT_EQ(twice.selection.size(), 2u);
    EXPECT_FALSE(twice.storeFolderNames);

    // With "Enregistrer le chemin" stored as checked nothing is asked.
    SaveSetting(L"Adding", L"UsePath", L"1");
    AddFilesAnswer stored = Run([&](HWND dialog) {
        CollectTwoFilesAndATree(dialog);
        PressAlt(dialog, L's');
        EXPECT_TRUE(IsChecked(dialog, F::chkPath));
        PressAlt(dialog, L't');
        WaitForDialogGone(kCaption);
    });
    EXPECT_EQ(stored.tag, L"OK");
    EXPECT_TRUE(stored.storeFolderNames);
}

TEST_F(AddFilesTest, AnEmptyMaskIsRefusedAndTheFocusGoesBackToIt) {
    std::wstring message;
    int focused = 0, rows = -1;
    bool secondPage = false;
    const AddFilesAnswer answer = Run([&](HWND dialog) {
        ASSERT_TRUE(TabTo(dialog, F::txtMask));  // its text is selected on the way in
        PressKey(dialog, VK_DELETE);
        EXPECT_EQ(ItemText(dialog, F::txtMask), L"");
        PressAlt(dialog, L'j');
        message = AnswerMessageBox(VK_RETURN);
        Settle(dialog);
        focused = FocusedId(dialog);
        rows = SelectionCount(dialog);
        PressKey(dialog, VK_RETURN);  // Enter in the mask is "&Suivant>", the default button of page 1
        secondPage = Shown(dialog, F::cmdOK) && Shown(dialog, F::lisSélect);
        PressKey(dialog, VK_ESCAPE);
        WaitForDialogGone(kCaption);
    });
    EXPECT_EQ(message, L"Spécifier un masque de sélection");
    EXPECT_EQ(focused, F::txtMask);
    EXPECT_EQ(rows, 0);
    EXPECT_TRUE(secondPage);
    EXPECT_EQ(answer.tag, L"");
}

TEST_F(AddFilesTest, DeleteRemovesTheSelectedRowsAndTheEmptyTrayComesBack) {
    std::vector<std::wstring> left;
    bool filledWithOne = false, filledWithNone = true;
    Run([&](HWND dialog) {
        ASSERT_TRUE(TabTo(dialog, F::qnrFich));
        PressKey(dialog, VK_SPACE);  // the first row has the focus, not the selection
        PressAlt(dialog, L'f');
        PressAlt(dialog, L'j');
        PressAlt(dialog, L's');
        ASSERT_TRUE(TabTo(dialog, F::lisSélect));
        SelectFirstRow(dialog, F::lisSélect);  // the file row
        PressKey(dialog, VK_DELETE);
        left = Column(GetDlgItem(dialog, F::lisSélect), 1);
        filledWithOne = ShowsFilledTray(dialog);
        SelectFirstRow(dialog, F::lisSélect);
        PressKey(dialog, VK_DELETE);
        filledWithNone = ShowsFilledTray(dialog);
        PressKey(dialog, VK_ESCAPE);
        WaitForDialogGone(kCaption);
    });
    EXPECT_EQ(left, std::vector<std::wstring>{L"B"});
    EXPECT_TRUE(filledWithOne);
    EXPECT_FALSE(filledWithNone);
}

TEST_F(AddFilesTest, TheViewButtonTogglesAndSavesTheViewAndHeadersSortTheFiles) {
    auto viewOf = [](HWND dialog) { return GetWindowLongW(FileList(dialog), GWL_STYLE) & LVS_TYPEMASK; };
    std::vector<DWORD> views;
    std::vector<std::wstring> savedViews;
    std::vector<std::vector<std::wstring>> orders;
    Run([&](HWND dialog) {
        views.push_back(viewOf(dialog));
        ASSERT_TRUE(TabTo(dialog, F::imaView));
        PressKey(dialog, VK_SPACE);
        views.push_back(viewOf(dialog));
        savedViews.push_back(GetSetting(L"Adding", L"View", L"<absent>"));
        PressKey(dialog, VK_SPACE);
        views.push_back(viewOf(dialog));
        savedViews.push_back(GetSetting(L"Adding", L"View", L"<absent>"));

        orders.push_back(Column(FileList(dialog)));
        ClickHeader(dialog, 0);  // the sorting column again: descending
        orders.push_back(Column(FileList(dialog)));
        ClickHeader(dialog, 0);  // and back
        orders.push_back(Column(FileList(dialog)));
        ClickHeader(dialog, 1);  // by size, the order kept
        orders.push_back(Column(FileList(dialog)));
        ClickHeader(dialog, 1);
        orders.push_back(Column(FileList(dialog)));
        ClickHeader(dialog, 0);  // by name, still descending
        orders.push_back(Column(FileList(dialog)));
        PressKey(dialog, VK_ESCAPE);
        WaitForDialogGone(kCaption);
    });
    EXPECT_EQ(views, (std::vector<DWORD>{LVS_REPORT, LVS_LIST, LVS_REPORT}));
    EXPECT_EQ(savedViews, (std::vector<std::wstring>{L"2", L"3"}));
    using Names = std::vector<std::wstring>;
    ASSERT_EQ(orders.size(), 6u);
    EXPECT_EQ(orders[0], (Names{L"a.txt", L"b.doc", L"c.txt"}));
    EXPECT_EQ(orders[1], (Names{L"c.txt", L"b.doc", L"a.txt"}));
    EXPECT_EQ(orders[2], (Names{L"a.txt", L"b.doc", L"c.txt"}));
    EXPECT_EQ(orders[3], (Names{L"b.doc", L"c.txt", L"a.txt"}));
    EXPECT_EQ(orders[4], (Names{L"a.txt", L"c.txt", L"b.doc"}));
    EXPECT_EQ(orders[5], (Names{L"c.txt", L"b.doc", L"a.txt"}));

    // A stored icon view is used as it is; the first press leads to report.
    SaveSetting(L"Adding", L"View", L"0");
    std::vector<DWORD> fromIcons;
    Run([&](HWND dialog) {
        fromIcons.push_back(viewOf(dialog));
        ASSERT_TRUE(TabTo(dialog, F::imaView));
        PressKey(dialog, VK_SPACE);
        fromIcons.push_back(viewOf(dialog));
        PressKey(dialog, VK_ESCAPE);
        WaitForDialogGone(kCaption);
    });
    EXPECT_EQ(fromIcons, (std::vector<DWORD>{LVS_ICON, LVS_REPORT}));
    EXPECT_EQ(GetSetting(L"Adding", L"View", L""), L"3");
}

}  // namespace
