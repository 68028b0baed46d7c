// The comment window with engines played by the test (what it asks them
// and when), and the texts of the information windows.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "DialogDriver.h"
#include "InfoFigures.h"
#include "frmComment.h"
#include "frmFileInfo.h"
#include "frmZipInfo.h"

namespace {

using namespace bralto;
using namespace bralto::test;

const wchar_t kCommentCaption[] = L"Commentaire";

TEST(InfoFigures, SizesAreGroupedInThreesAndLongNumbersKeepTheirHeadInTheFirstGroup) {
    EXPECT_EQ(FormatSizeGroups(0), L"0");
    EXPECT_EQ(FormatSizeGroups(5), L"5");
    EXPECT_EQ(FormatSizeGroups(999), L"999");
    EXPECT_EQ(FormatSizeGroups(1234), L"1 234");
    EXPECT_EQ(FormatSizeGroups(1234567), L"1 234 567");
    EXPECT_EQ(FormatSizeGroups(100000000), L"100 000 000");
    EXPECT_EQ(FormatSizeGroups(1234567890), L"1234 567 890");
    EXPECT_EQ(FormatSizeGroups(5000000000LL), L"5000 000 000");
    EXPECT_EQ(FormatSizeGroups(-1234), L"-1 234");
}

TEST(InfoFigures, LineEndsBecomeCrLfWithoutLosingTheLastCharacter) {
    EXPECT_EQ(WithCrLfLineEnds(L"    testing: a.txt   OK\n"), L"    testing: a.txt   OK\r\n");
    EXPECT_EQ(WithCrLfLineEnds(L"un\ndeux"), L"un\r\ndeux");
    EXPECT_EQ(WithCrLfLineEnds(L"un\r\ndeux"), L"un\r\ndeux");
    EXPECT_EQ(WithCrLfLineEnds(std::wstring(L"\n\n\0", 3)), L"\r\n\r\n");
    EXPECT_EQ(WithCrLfLineEnds(L""), L"");
}

TEST(InfoFigures, RatioBarsShowWhatWasSavedWithinTheirRange) {
    EXPECT_EQ(RatioBarValueOf(L"45%"), 55);
    EXPECT_EQ(RatioBarValueOf(L"0%"), 100);
    EXPECT_EQ(RatioBarValueOf(L"100%"), 0);
    EXPECT_EQ(RatioBarValueOf(L"-3%"), 100);  // a member that grew
    EXPECT_EQ(RatioBarValueOf(L"250%"), 0);
}

TEST(FileInfo, ValuesFollowTheRowWithTheOriginAndEncryptionSpelledOut) {
    const MemberRowTexts plain{L"readme.TXT", L"", L"Document texte", L"11/03/2024 14:07", L"3 000", L"98%",
                               L"40",         L""};
    EXPECT_EQ(frmFileInfo::Values(plain), (FileInfoTexts{L"non enregistrée", L"readme.TXT", L"Document texte", L"3 000",
                                                         L"11/03/2024 14:07", L"40", L"98%", L"Non"}));
    const MemberRowTexts secret{L"note.txt", L"©",   L"Document texte", L"05/03/2024 14:07", L"12", L"-100%",
                                L"24",       L"docs"};
    const FileInfoTexts values = frmFileInfo::Values(secret);
    EXPECT_EQ(values[0], L"docs");
    EXPECT_EQ(values[7], L"Oui");
}

TEST(ZipInfo, TheNameAndFolderComeFromEitherSeparatorAndTheTotalsAreGrouped) {
    ListingFigures listing;
    listing.totalSizeCompressed = 1234;
    listing.totalSize = 1234567;
    listing.compressionFactor = 45;
    listing.numMembers = 12;
    for (const wchar_t* path : {L"Q:\\nulle part\\archive.zip", L"Q:/nulle part/archive.zip"}) {
        const ZipInfoTexts figures = frmZipInfo::Figures(path, listing);
        const std::wstring folder(path, std::wstring(path).size() - std::wstring(L"archive.zip").size());
        EXPECT_EQ(figures, (ZipInfoTexts{L"", L"1 234", L"1 234 567", L"45%", L"12", folder, L"archive.zip", L""}))
            << "the file is not there: no length, no date";
    }
}

// Engines that record what the window asked of them.
struct FakeEngine {
    std::wstring comment = L"Ligne un\nLigne deux";  // as the library prints it
    long writeResult = 0;
    std::wstring writeMessages;  // what the zip library prints while writing
    int reads = 0;
    std::vector<std::pair<std::wstring, bool>> writes;  // text answered, clear flag

    CommentEngine Engine() {
        CommentEngine engine;
        engine.readComment = [this](const std::wstring&, const CommentEngine::Progress& progress) {
            ++reads;
            if (!comment.empty()) progress(comment);
            progress(std::wstring(L"\n\n\0", 3));
            return 0L;
        };
        engine.writeComment = [this](const std::wstring&, const CommentEngine::Request& request,
                                     const CommentEngine::Progress& progress) {
            std::wstring text;
            bool cancel = false, clear = false;
            request(text, cancel, clear);
            writes.emplace_back(text, clear);
            if (!writeMessages.empty()) progress(writeMessages);
            return writeResult;
        };
        return engine;
    }
};

// Waits until the read has filled the box (or `milliseconds` pass).
std::wstring BoxAfterRead(HWND dialog, const FakeEngine& fake) {
    for (int i = 0; i < 100 && fake.reads == 0; ++i) Sleep(20);
    Settle(dialog);
    return ItemText(dialog, frmComment::txtComment);
}

// A message box's message: its longest static text.
std::wstring LongestStatic(HWND box) {
    std::wstring best;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t name[16] = {};
        GetClassNameW(child, name, 16);
        const std::wstring text = WindowText(child);
        if (lstrcmpiW(name, L"Static") == 0 && text.size() > best.size()) best = text;
    }
    return best;
}

// Types `text` over the whole box, as a user who selected everything.
void TypeComment(HWND dialog, const std::wstring& text) {
    SendDlgItemMessageW(dialog, frmComment::txtComment, EM_SETSEL, 0, -1);
    SetFocus(GetDlgItem(dialog, frmComment::txtComment));
    TypeText(dialog, text);
    // The keys are posted: wait until the box has taken them all.
    std::wstring expected;
    for (wchar_t c : text) expected += c == L'\r' ? std::wstring(L"\r\n") : std::wstring(1, c);
    for (int i = 0; i < 250 && ItemText(dialog, frmComment::txtComment) != expected; ++i) Sleep(20);
    Settle(dialog);
}

// Another top-level window takes the foreground, then `dialog` gets it
// back; false when either change did not happen.
bool SwitchAwayAndBack(HWND dialog) {
    HWND other = CreateWindowExW(0, L"STATIC", L"autre programme", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr,
                                 nullptr, nullptr, nullptr);
    SetForegroundWindow(other);
    Settle(dialog);
    const bool away = GetForegroundWindow() == other;
    SetForegroundWindow(dialog);
    Settle(dialog);
    const bool back = GetForegroundWindow() == dialog;
    DestroyWindow(other);
    Settle(dialog);
    return away && back;
}

TEST(CommentWindow, ShowsTheCommentWhole_OnceAfterReactivation_AndSavesOnlyAfterAnEdit) {
    FakeEngine fake;
    std::wstring shown, afterReturn;
    bool saveEnabledAtStart = true, saveEnabledAfterEdit = false, switched = false;
    {
        DialogUser user(kCommentCaption, [&](HWND dialog) {
            EXPECT_EQ(std::vector<std::wstring>{}, TextsCutShort(dialog)) << "texts cut short";
            shown = BoxAfterRead(dialog, fake);
            saveEnabledAtStart = IsEnabled(dialog, frmComment::cmdAction0);
            switched = SwitchAwayAndBack(dialog);
            afterReturn = ItemText(dialog, frmComment::txtComment);
            TypeComment(dialog, L"Nouveau commentaire");
            saveEnabledAfterEdit = IsEnabled(dialog, frmComment::cmdAction0);
            Click(dialog, frmComment::cmdAction0);
        });
        frmComment::Show(nullptr, L"C:\\a.zip", fake.Engine());
        ASSERT_TRUE(user.Found());
    }
    EXPECT_EQ(shown, L"Ligne un\r\nLigne deux");  // nothing dropped at the end
    EXPECT_FALSE(saveEnabledAtStart);
    EXPECT_TRUE(switched);
    EXPECT_EQ(fake.reads, 1);
    EXPECT_EQ(afterReturn, shown);
    EXPECT_TRUE(saveEnabledAfterEdit);
    ASSERT_EQ(fake.writes.size(), 1u);
    EXPECT_EQ(fake.writes[0], std::make_pair(std::wstring(L"Nouveau commentaire"), false));
}

TEST(CommentWindow, ClearRemovesTheCommentEvenWithTextShownAndABlankSaveClearsToo) {
    FakeEngine fake;
    {
        DialogUser user(kCommentCaption, [&](HWND dialog) {
            BoxAfterRead(dialog, fake);
            Click(dialog, frmComment::cmdAction1);
        });
        frmComment::Show(nullptr, L"C:\\a.zip", fake.Engine());
    }
    {
        DialogUser user(kCommentCaption, [&](HWND dialog) {
            BoxAfterRead(dialog, fake);
            TypeComment(dialog, L"  \r ");
            Click(dialog, frmComment::cmdAction0);
        });
        frmComment::Show(nullptr, L"C:\\a.zip", fake.Engine());
    }
    ASSERT_EQ(fake.writes.size(), 2u);
    EXPECT_TRUE(fake.writes[0].second);
    EXPECT_TRUE(fake.writes[1].second);
}

TEST(CommentWindow, AnArchiveWithoutCommentOpensEmptyWithNothingToSave) {
    FakeEngine fake;
    fake.comment = L"";
    std::wstring shown = L"?";
    bool saveEnabledAtStart = true;
    {
        DialogUser user(kCommentCaption, [&](HWND dialog) {
            shown = BoxAfterRead(dialog, fake);
            saveEnabledAtStart = IsEnabled(dialog, frmComment::cmdAction0);
            Click(dialog, frmComment::cmdAction2);
        });
        frmComment::Show(nullptr, L"C:\\a.zip", fake.Engine());
        ASSERT_TRUE(user.Found());
    }
    EXPECT_EQ(shown, L"");
    EXPECT_FALSE(saveEnabledAtStart);
    EXPECT_EQ(fake.reads, 1);
    EXPECT_TRUE(fake.writes.empty());
}

// What the window said after a failed write, and whether it kept the text.
struct FailedWrite {
    std::wstring message, keptText;
    bool stillOpen = false;
};

FailedWrite WriteThatFails(FakeEngine& fake) {
    FailedWrite seen;
    DialogUser user(kCommentCaption, [&](HWND dialog) {
        BoxAfterRead(dialog, fake);
        TypeComment(dialog, L"Perdu ?");
        PostClick(dialog, frmComment::cmdAction0);
        HWND box = WaitForDialog(L"Bralto");
        if (!box) return;
        seen.message = LongestStatic(box);
        Click(box, IDOK);
        WaitForDialogGone(L"Bralto");
        seen.stillOpen = IsWindowVisible(dialog) != FALSE;
        seen.keptText = ItemText(dialog, frmComment::txtComment);
        Click(dialog, frmComment::cmdAction2);
    });
    frmComment::Show(nullptr, L"C:\\a.zip", fake.Engine());
    return seen;
}

TEST(CommentWindow, AFailedWriteIsReportedInFrenchWithTheLibrarysMessageAndTheWindowKeepsTheText) {
    const std::wstring notSaved = L"Le commentaire n'a pas été enregistré : l'archive n'a pas été modifiée.\r\n";
    const std::wstring cannotRewrite =
        L"L'archive ne peut pas être récrite (fichier en lecture seule ou utilisé par un autre programme).";
    FakeEngine fake;
    fake.writeResult = 15;
    fake.writeMessages = L"zip error: Could not create output file (C:\\a.zip)\n";
    FailedWrite said = WriteThatFails(fake);
    EXPECT_EQ(said.message, notSaved + cannotRewrite + L"\r\nzip error: Could not create output file (C:\\a.zip)");
    EXPECT_TRUE(said.stillOpen);
    EXPECT_EQ(said.keptText, L"Perdu ?");

    // A library that said nothing: the French reason alone; a code without
    // a reason of its own: the shared text of its code, else the code.
    fake.writeMessages = L"";
    EXPECT_EQ(WriteThatFails(fake).message, notSaved + cannotRewrite);
    fake.writeResult = 16;
    EXPECT_EQ(WriteThatFails(fake).message.rfind(notSaved + L"Erreur de paramètres.", 0), 0u);
    fake.writeResult = 17;
    EXPECT_EQ(WriteThatFails(fake).message, notSaved + L"Code d'erreur 17");
    EXPECT_EQ(fake.writes.size(), 4u);
}

TEST(CommentWindow, CancelAndEscapeWriteNothing) {
    FakeEngine fake;
    {
        DialogUser user(kCommentCaption, [&](HWND dialog) {
            BoxAfterRead(dialog, fake);
            TypeComment(dialog, L"pas enregistré");
            Click(dialog, frmComment::cmdAction2);
        });
        frmComment::Show(nullptr, L"C:\\a.zip", fake.Engine());
    }
    {
        DialogUser user(kCommentCaption, [&](HWND dialog) {
            BoxAfterRead(dialog, fake);
            PressKey(dialog, VK_ESCAPE);
        });
        frmComment::Show(nullptr, L"C:\\a.zip", fake.Engine());
    }
    EXPECT_TRUE(fake.writes.empty());
    EXPECT_EQ(fake.reads, 2);
}

}  // namespace
