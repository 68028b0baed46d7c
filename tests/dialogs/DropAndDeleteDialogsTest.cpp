// The options of dropped files and the delete question, as a user works
// them.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "DialogDriver.h"
#include "Settings.h"
#include "frmDelete.h"
#include "frmDrag.h"

namespace {

using namespace bralto;
using namespace bralto::test;

const wchar_t kDragCaption[] = L"Drag and Drop";
const wchar_t kDeleteCaption[] = L"Suppression de fichiers";

class DragTest : public testing::Test {
protected:
    void SetUp() override { ClearSettings(); }
    void TearDown() override { ClearSettings(); }
};

std::vector<std::wstring> Entries(HWND dialog, int id) {
    std::vector<std::wstring> entries;
    for (int i = 0; i < ComboCount(dialog, id); ++i) entries.push_back(ComboEntry(dialog, id, i));
    return entries;
}

TEST_F(DragTest, OpensWithTheDesignedChoicesAndOkReturnsThem) {
    std::vector<std::wstring> actions, compressions, boxTexts;
    std::vector<bool> boxes;
    int action = -2, compression = -2;
    DragAnswer answer;
    {
        DialogUser user(kDragCaption, [&](HWND dialog) {
            EXPECT_EQ(std::vector<std::wstring>{}, TextsCutShort(dialog)) << "texts cut short";
            actions = Entries(dialog, frmDrag::comAction);
            compressions = Entries(dialog, frmDrag::comCompression);
            action = ComboIndex(dialog, frmDrag::comAction);
            compression = ComboIndex(dialog, frmDrag::comCompression);
            for (int id :
                 {frmDrag::chkDir, frmDrag::chkEncrypt, frmDrag::chkSystem, frmDrag::chkPath, frmDrag::chkFolder}) {
                boxes.push_back(IsChecked(dialog, id));
                boxTexts.push_back(ItemText(dialog, id));
            }
            EXPECT_EQ(ItemText(dialog, frmDrag::fraOptions), L"Options");
            EXPECT_EQ(ItemText(dialog, frmDrag::cmdOK), L"&OK");
            EXPECT_EQ(ItemText(dialog, frmDrag::cmdCancel), L"&Annuler");
            Click(dialog, frmDrag::cmdOK);
        });
        answer = frmDrag::Show(nullptr);
        ASSERT_TRUE(user.Found());
    }
    EXPECT_EQ(actions,
              (std::vector<std::wstring>{L"Ajouter (et remplacer)", L"Mettre à jour (fichiers existants seulement)",
                                         L"Mettre à jour (tous)", L"Supprimer les originaux"}));
    EXPECT_EQ(compressions, (std::vector<std::wstring>{L"Maximale", L"Normale", L"Rapide", L"Aucune"}));
    EXPECT_EQ(boxTexts, (std::vector<std::wstring>{L"Inclure les répertoires vides", L"Crypter les fichiers",
                                                   L"Inclure les fichiers système/cachés", L"Enregistrer le chemin",
                                                   L"Inclure les sous-répertoires"}));
    EXPECT_EQ(action, 0);
    EXPECT_EQ(compression, 0);
    EXPECT_EQ(boxes, (std::vector<bool>{false, false, true, false, false})) << "only system/hidden files at start";

    EXPECT_EQ(answer.tag, L"OK");
    EXPECT_FALSE(answer.FreshenFiles() || answer.UpdateOnlyIfNewer() || answer.MoveFiles());
    EXPECT_EQ(answer.CompressionLevel(), 9);
    EXPECT_TRUE(answer.includeSystemAndHidden);
    EXPECT_FALSE(answer.storeDirectories || answer.encrypt || answer.storeFolderNames || answer.includeSubFolders);
    EXPECT_EQ(GetSetting(L"Adding", L"UsePath", L"<absent>"), L"0");
}

TEST_F(DragTest, EachActionAndCompressionGivesItsJobOption) {
    const int levels[] = {9, 6, 2, 0};
    for (int entry = 0; entry < 4; ++entry) {
        DragAnswer answer;
        {
            DialogUser user(kDragCaption, [&](HWND dialog) {
                SelectCombo(dialog, frmDrag::comAction, entry);
                SelectCombo(dialog, frmDrag::comCompression, entry);
                Click(dialog, frmDrag::chkDir);
                Click(dialog, frmDrag::chkEncrypt);
                Click(dialog, frmDrag::chkSystem);
                Click(dialog, frmDrag::chkFolder);
                Click(dialog, frmDrag::cmdOK);
            });
            answer = frmDrag::Show(nullptr);
        }
        EXPECT_EQ(answer.FreshenFiles(), entry == 1);
        EXPECT_EQ(answer.UpdateOnlyIfNewer(), entry == 2);
        EXPECT_EQ(answer.MoveFiles(), entry == 3);
        EXPECT_EQ(answer.CompressionLevel(), levels[entry]);
        EXPECT_TRUE(answer.storeDirectories);
        EXPECT_TRUE(answer.encrypt);
        EXPECT_FALSE(answer.includeSystemAndHidden);
        EXPECT_TRUE(answer.includeSubFolders);
    }
}

TEST_F(DragTest, StorePathIsSharedWithTheAddFilesWindowWhateverTheAnswer) {
    Settings::SetAddingUsePath(1);
    bool shown = false;
    DragAnswer first;
    {
        DialogUser user(kDragCaption, [&](HWND dialog) {
            shown = IsChecked(dialog, frmDrag::chkPath);
            Click(dialog, frmDrag::chkPath);
            SendMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        });
        first = frmDrag::Show(nullptr);
    }
    EXPECT_TRUE(shown);
    EXPECT_EQ(first.tag, L"") << "the close box is Annuler";
    EXPECT_EQ(Settings::AddingUsePath(), 0) << "the add-files window now opens unchecked";

    DragAnswer second;
    {
        DialogUser user(kDragCaption, [&](HWND dialog) {
            shown = IsChecked(dialog, frmDrag::chkPath);
            Click(dialog, frmDrag::chkPath);
            // Escape is "&Annuler".
            PostMessageW(GetDlgItem(dialog, frmDrag::chkPath), WM_KEYDOWN, VK_ESCAPE, 0);
            WaitForDialogGone(kDragCaption);
        });
        second = frmDrag::Show(nullptr);
    }
    EXPECT_FALSE(shown);
    EXPECT_EQ(second.tag, L"");
    EXPECT_TRUE(second.storeFolderNames);
    EXPECT_EQ(GetSetting(L"Adding", L"UsePath", L""), L"1");
}

TEST_F(DragTest, EnterAwayFromTheButtonsDoesNotConfirm) {
    bool stillOpen = false;
    DragAnswer answer;
    {
        DialogUser user(kDragCaption, [&](HWND dialog) {
            SendMessageW(dialog, WM_COMMAND, IDOK, 0);
            stillOpen = IsWindowVisible(dialog) != 0;
            Click(dialog, frmDrag::cmdCancel);
        });
        answer = frmDrag::Show(nullptr);
    }
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(answer.tag, L"");
}

TEST(DeleteWindow, MarkedMembersAtStartOkAndEnterConfirm) {
    bool selectedAtStart = false, allAtStart = true;
    DeleteAnswer plain, everything;
    {
        DialogUser user(kDeleteCaption, [&](HWND dialog) {
            EXPECT_EQ(std::vector<std::wstring>{}, TextsCutShort(dialog)) << "texts cut short";
            selectedAtStart = IsChecked(dialog, frmDelete::optDel0);
            allAtStart = IsChecked(dialog, frmDelete::optDel1);
            EXPECT_EQ(ItemText(dialog, frmDelete::fraDel), L"Supprimer:");
            EXPECT_EQ(ItemText(dialog, frmDelete::optDel0), L"les fichiers sélectionnés");
            EXPECT_EQ(ItemText(dialog, frmDelete::optDel1), L"tous les fichiers de l'archive");
            Click(dialog, frmDelete::cmdAction0);
        });
        plain = frmDelete::Show(nullptr);
    }
    {
        DialogUser user(kDeleteCaption, [&](HWND dialog) {
            Click(dialog, frmDelete::optDel1);
            // Enter on the option presses the default button, "&OK".
            PostMessageW(GetDlgItem(dialog, frmDelete::optDel1), WM_KEYDOWN, VK_RETURN, 0);
            WaitForDialogGone(kDeleteCaption);
        });
        everything = frmDelete::Show(nullptr);
    }
    EXPECT_TRUE(selectedAtStart);
    EXPECT_FALSE(allAtStart);
    EXPECT_EQ(plain.tag, L"OK");
    EXPECT_TRUE(plain.selectedOnly);
    EXPECT_EQ(everything.tag, L"OK");
    EXPECT_FALSE(everything.selectedOnly) << "every member is deleted";
}

TEST(DeleteWindow, AnnulerEscapeAndTheCloseBoxGiveAnEmptyTag) {
    const std::vector<int> ways = {0, 1, 2};
    for (int way : ways) {
        DeleteAnswer answer;
        {
            DialogUser user(kDeleteCaption, [&](HWND dialog) {
                if (way == 0) Click(dialog, frmDelete::cmdAction1);
                if (way == 1) {
                    PostMessageW(GetDlgItem(dialog, frmDelete::optDel0), WM_KEYDOWN, VK_ESCAPE, 0);
                    WaitForDialogGone(kDeleteCaption);
                }
                if (way == 2) SendMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
            });
            answer = frmDelete::Show(nullptr);
            EXPECT_TRUE(user.Found());
        }
        EXPECT_EQ(answer.tag, L"") << "way " << way;
    }
}

TEST(DeleteWindow, ThePictureShowsThroughItsMaskColour) {
    RECT picture = {};
    int regionKind = ERROR;
    bool cornerInside = true, crossInside = false;
    {
        DialogUser user(kDeleteCaption, [&](HWND dialog) {
            HWND image = GetDlgItem(dialog, frmDelete::qnrImage1);
            GetClientRect(image, &picture);
            HRGN region = CreateRectRgn(0, 0, 0, 0);
            regionKind = GetWindowRgn(image, region);
            cornerInside = PtInRegion(region, 0, 0) != 0;
            crossInside = PtInRegion(region, 24, 24) != 0;
            DeleteObject(region);
            Click(dialog, frmDelete::cmdAction1);
        });
        frmDelete::Show(nullptr);
    }
    EXPECT_EQ(picture.right, 32);
    EXPECT_EQ(picture.bottom, 32);
    EXPECT_EQ(regionKind, COMPLEXREGION);
    EXPECT_FALSE(cornerInside) << "the magenta corner is cut out";
    EXPECT_TRUE(crossInside) << "the red cross is part of the control";
}

}  // namespace
