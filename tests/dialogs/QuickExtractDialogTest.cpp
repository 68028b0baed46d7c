// The question of the main window's express extraction, answered from the
// keyboard as a user answers it.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <vector>

#include "DialogDriver.h"
#include "frmQuickExtract.h"

namespace {

using namespace bralto;
using namespace bralto::test;

const wchar_t kCaption[] = L"Extraction express";

// A key pressed on the control that has the focus; the dialog manager
// handles it in the modal loop, as it handles a real key. The pause lets
// the focus move before the next key is aimed.
void PressKey(HWND dialog, WPARAM key) {
    HWND focus = nullptr;
    DWORD thread = GetWindowThreadProcessId(dialog, nullptr);
    GUITHREADINFO info = {sizeof(info)};
    if (GetGUIThreadInfo(thread, &info)) focus = info.hwndFocus;
    PostMessageW(focus ? focus : dialog, WM_KEYDOWN, key, 0);
    Sleep(100);
}

QuickExtractAnswer Answer(const std::function<void(HWND)>& act, bool* found = nullptr) {
    QuickExtractAnswer answer;
    {
        DialogUser user(kCaption, act);
        answer = frmQuickExtract::Show(nullptr);
        if (found) *found = user.Found();
    }
    return answer;
}

TEST(QuickExtractWindow, OpensOnTheMarkedMembersAndEnterConfirms) {
    bool selectedAtStart = false, allAtStart = true, found = false;
    std::vector<std::wstring> texts;
    QuickExtractAnswer answer = Answer(
        [&](HWND dialog) {
            EXPECT_EQ(std::vector<std::wstring>{}, TextsCutShort(dialog)) << "texts cut short";
            selectedAtStart = IsChecked(dialog, frmQuickExtract::optDel0);
            allAtStart = IsChecked(dialog, frmQuickExtract::optDel1);
            texts.push_back(WindowText(dialog));
            for (int id : {frmQuickExtract::fraExtract, frmQuickExtract::optDel0, frmQuickExtract::optDel1,
                           frmQuickExtract::cmdAction0, frmQuickExtract::cmdAction1})
                texts.push_back(ItemText(dialog, id));
            PressKey(dialog, VK_RETURN);
            WaitForDialogGone(kCaption);
        },
        &found);
    ASSERT_TRUE(found);
    EXPECT_EQ(texts, (std::vector<std::wstring>{L"Extraction express", L"Extraire:", L"les fichiers sélectionnés",
                                                L"tous les fichiers de l'archive", L"&OK", L"&Annuler"}));
    EXPECT_TRUE(selectedAtStart);
    EXPECT_FALSE(allAtStart);
    EXPECT_EQ(answer.tag, L"OK");
    EXPECT_TRUE(answer.selectedOnly);
}

TEST(QuickExtractWindow, ArrowKeysChooseTheOtherOptionAndBack) {
    bool allAfterDown = false, selectedAfterUp = false;
    QuickExtractAnswer everything = Answer([&](HWND dialog) {
        PressKey(dialog, VK_DOWN);
        allAfterDown = IsChecked(dialog, frmQuickExtract::optDel1) && !IsChecked(dialog, frmQuickExtract::optDel0);
        PressKey(dialog, VK_RETURN);
        WaitForDialogGone(kCaption);
    });
    EXPECT_TRUE(allAfterDown);
    EXPECT_EQ(everything.tag, L"OK");
    EXPECT_FALSE(everything.selectedOnly) << "the whole archive";

    QuickExtractAnswer marked = Answer([&](HWND dialog) {
        PressKey(dialog, VK_DOWN);
        PressKey(dialog, VK_UP);
        selectedAfterUp = IsChecked(dialog, frmQuickExtract::optDel0);
        Click(dialog, frmQuickExtract::cmdAction0);
    });
    EXPECT_TRUE(selectedAfterUp);
    EXPECT_EQ(marked.tag, L"OK");
    EXPECT_TRUE(marked.selectedOnly);
}

TEST(QuickExtractWindow, AnnulerEscapeAndTheCloseBoxGiveAnEmptyTag) {
    const std::vector<std::function<void(HWND)>> ways = {
        [](HWND dialog) { Click(dialog, frmQuickExtract::cmdAction1); },
        [](HWND dialog) {
            PressKey(dialog, VK_ESCAPE);
            WaitForDialogGone(kCaption);
        },
        [](HWND dialog) { SendMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); },
        // Tab to "&Annuler", then Enter presses the button with the focus.
        [](HWND dialog) {
            PressKey(dialog, VK_TAB);
            PressKey(dialog, VK_TAB);
            PressKey(dialog, VK_RETURN);
            WaitForDialogGone(kCaption);
        },
    };
    for (size_t way = 0; way < ways.size(); ++way) {
        bool found = false;
        QuickExtractAnswer answer = Answer(ways[way], &found);
        EXPECT_TRUE(found);
        EXPECT_EQ(answer.tag, L"") << "way " << way;
    }
}

TEST(QuickExtractWindow, ThePictureShowsThroughItsMaskColour) {
    RECT picture = {};
    int regionKind = ERROR;
    bool cornerInside = true, arrowInside = false, boxInside = false;
    bool saved = false;
    Answer([&](HWND dialog) {
        HWND image = GetDlgItem(dialog, frmQuickExtract::qnrImage1);
        GetClientRect(image, &picture);
        HRGN region = CreateRectRgn(0, 0, 0, 0);
        regionKind = GetWindowRgn(image, region);
        cornerInside = PtInRegion(region, 0, 0) != 0;
        arrowInside = PtInRegion(region, 16, 6) != 0;
        boxInside = PtInRegion(region, 8, 26) != 0;
        DeleteObject(region);
        RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        Sleep(200);
        CreateDirectoryW(L"Z:" BRALTO_SCREENSHOTS, nullptr);
        std::wstring file = L"Z:" BRALTO_SCREENSHOTS L"/quick_extract.bmp";
        for (auto& c : file)
            if (c == L'/') c = L'\\';
        saved = SaveWindowImage(dialog, file);
        Click(dialog, frmQuickExtract::cmdAction1);
    });
    EXPECT_EQ(picture.right, 32);
    EXPECT_EQ(picture.bottom, 32);
    EXPECT_EQ(regionKind, COMPLEXREGION);
    EXPECT_FALSE(cornerInside) << "the magenta corner is cut out";
    EXPECT_TRUE(arrowInside) << "the arrow is part of the control";
    EXPECT_TRUE(boxInside) << "the archive is part of the control";
    EXPECT_TRUE(saved);
}

}  // namespace
