// The test, properties, member information and comment windows used from
// the keyboard alone: each opened from the real main window's menus by
// their mnemonics, closed by Escape and by Enter on its default button,
// the comment window's buttons reached by their Alt letters; and F1 in the
// express extraction and test windows asks for each window's help topic.
#include "QnrZipClient.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <htmlhelp.h>

#include <atomic>

#include "HelpCallRecorder.h"
#include "HtmlHelp.h"
#include "TestWindowPlayer.h"
#include "WindowTestSupport.h"
#include "frmBralto.h"
#include "frmComment.h"
#include "frmShellExtract.h"
#include "frmTest.h"

namespace bralto {
namespace {

using test::DialogAnswerer;
using test::FixtureFolder;
using test::HelpCall;
using test::HelpCalls;
using test::RecordHelpCall;
using test::SeenDialog;
using test::WaitFor;

constexpr DWORD kTimeout = 60000;

qnr::client::ClientApartment g_apartment;

std::wstring WorkFolder() { return FixtureFolder() + L"info\\"; }

bool Hidden(HWND dialog) { return !IsWindow(dialog) || !IsWindowVisible(dialog); }

// A window opened from the main window's menu, worked from the keyboard.
struct Visit {
    HWND dialog = nullptr;
    bool ownerDisabledWhileOpen = false;
    bool closedByKeys = false;  // hidden within 5 s of the last key
};

class KeyboardWindows : public ::testing::Test {
protected:
    void SetUp() override {
        CreateDirectoryW(WorkFolder().c_str(), nullptr);
        window.Show();
    }
    HWND Window() const { return window.Handle(); }
    HWND List() const { return GetDlgItem(window.Handle(), frmBralto::lisFich); }
    std::wstring OpenCopy(const std::wstring& fixture, const std::wstring& name) {
        const std::wstring archive = WorkFolder() + name;
        SetFileAttributesW(archive.c_str(), FILE_ATTRIBUTE_NORMAL);
        CopyFileW((FixtureFolder() + fixture).c_str(), archive.c_str(), FALSE);
        EXPECT_TRUE(window.OpenAZip(archive));
        return archive;
    }

    // Chooses menu `menu`, item `item`; in the window whose caption starts
    // with `caption`, runs `play` (the keys), then notes whether it closed.
    // A window the keys left open is closed by `closeId` so the test goes on.
    Visit VisitWindow(wchar_t menu, wchar_t item, const std::wstring& caption, int closeId,
                      const std::function<void(HWND dialog)>& play) {
        Visit visit;
        std::atomic<bool> done{false};
        {
            DialogAnswerer answerer([&](HWND dialog, const SeenDialog& seen) {
                if (seen.caption.rfind(caption, 0) != 0) return false;
                visit.dialog = dialog;
                visit.ownerDisabledWhileOpen = !IsWindowEnabled(Window());
                play(dialog);
                visit.closedByKeys = WaitFor([&] { return Hidden(dialog); }, 5000);
                if (!visit.closedByKeys) test::Press(dialog, closeId);
                WaitFor([&] { return Hidden(dialog); }, 10000);
                done = true;
                return true;
            });
            test::ChooseMenu(Window(), menu, item);
            EXPECT_TRUE(test::PumpUntil([&] { return done.load(); }, kTimeout)) << "no window " << caption.c_str();
        }
        return visit;
    }

    // What every window closed from the keyboard leaves: no window, and the
    // main window usable again.
    void ExpectClosedAndOwnerBack(const Visit& visit, const char* what) {
        ASSERT_NE(visit.dialog, nullptr) << what << ": the menu opened no window";
        EXPECT_TRUE(visit.ownerDisabledWhileOpen) << what << ": the window is modal";
        EXPECT_TRUE(visit.closedByKeys) << what << ": the keys did not close the window";
        test::PumpUntil([&] { return !IsWindow(visit.dialog); }, 5000);
        EXPECT_FALSE(IsWindow(visit.dialog)) << what;
        EXPECT_TRUE(IsWindowEnabled(Window())) << what << ": the main window stays disabled";
    }

    frmBralto window;
};

bool TestEnded(HWND dialog) { return test::TextOf(GetDlgItem(dialog, frmTest::cmdFermer)) == L"Fermer"; }

TEST_F(KeyboardWindows, EscapeAndEnterCloseTheTestWindowOnceTheTestHasEnded) {
    OpenCopy(L"tree.zip", L"keys-tested.zip");
    for (WORD key : {VK_ESCAPE, VK_RETURN}) {
        const char* what = key == VK_ESCAPE ? "Escape" : "Enter";
        const Visit visit = VisitWindow(L'o', L't', L"Test de ", frmTest::cmdFermer, [&](HWND dialog) {
            WaitFor([&] { return TestEnded(dialog); }, kTimeout);
            test::PressKey(dialog, key);
        });
        ExpectClosedAndOwnerBack(visit, what);
    }
}

// While the test runs, Escape is "Annuler": the job stops, the window
// stays with its report; a second Escape closes it.
TEST_F(KeyboardWindows, EscapeStopsARunningTestThenClosesTheWindow) {
    OpenCopy(L"large.zip", L"keys-large.zip");
    bool stillOpenAfterFirst = false, ended = false;
    std::wstring report;
    const Visit visit = VisitWindow(L'o', L't', L"Test de ", frmTest::cmdFermer, [&](HWND dialog) {
        HWND box = GetDlgItem(dialog, frmTest::txtInfo);
        WaitFor([&] { return GetWindowTextLengthW(box) > 0; }, kTimeout);
        test::PressKey(dialog, VK_ESCAPE);
        ended = WaitFor([&] { return TestEnded(dialog); }, kTimeout);
        stillOpenAfterFirst = !Hidden(dialog);
        report = test::LongText(box);
        test::PressKey(dialog, VK_ESCAPE);
    });
    EXPECT_TRUE(ended);
    EXPECT_TRUE(stillOpenAfterFirst) << "the first Escape only stops the test";
    EXPECT_EQ(report.find(L"No errors detected"), std::wstring::npos) << "the test ran to its end";
    ExpectClosedAndOwnerBack(visit, "second Escape");
}

TEST_F(KeyboardWindows, EscapeAndEnterCloseThePropertiesAndTheMemberInformation) {
    ASSERT_TRUE(window.OpenAZip(FixtureFolder() + L"listed.zip"));
    ListView_SetItemState(List(), 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    struct Case {
        const char* name;
        wchar_t menu, item;
        const wchar_t* caption;
    };
    for (const Case& each : {Case{"properties", L'o', L'p', L"Propriétés"},
                             Case{"member information", L'e', L'f', L"Informations sur"}}) {
        for (WORD key : {VK_ESCAPE, VK_RETURN}) {
            SCOPED_TRACE(each.name);
            const Visit visit = VisitWindow(each.menu, each.item, each.caption, IDOK,
                                            [&](HWND dialog) { test::PressKey(dialog, key); });
            ExpectClosedAndOwnerBack(visit, key == VK_ESCAPE ? "Escape" : "Enter");
        }
    }
}

// ---- frmComment: "&Enregistrer", "E&ffacer", "&Annuler" ----

// The archive comment as the end of central directory record holds it.
std::string StoredComment(const std::wstring& archive) {
    const std::vector<unsigned char> bytes = test::ReadBytes(archive);
    for (long long at = static_cast<long long>(bytes.size()) - 22; at >= 0; --at) {
        const size_t i = static_cast<size_t>(at);
        if (bytes[i] != 'P' || bytes[i + 1] != 'K' || bytes[i + 2] != 5 || bytes[i + 3] != 6) continue;
        const size_t length = bytes[i + 20] | bytes[i + 21] << 8;
        if (i + 22 + length == bytes.size()) return std::string(bytes.begin() + static_cast<long>(i + 22), bytes.end());
    }
    return "<no end record>";
}

// Waits until the window has read the archive's comment into its box.
void WaitForCommentRead(HWND dialog, bool archiveHasComment) {
    HWND box = GetDlgItem(dialog, frmComment::txtComment);
    if (archiveHasComment)
        WaitFor([&] { return GetWindowTextLengthW(box) > 0; }, 10000);
    else
        Sleep(300);
}

TEST_F(KeyboardWindows, TheCommentWindowsButtonsAnswerTheirAltLetters) {
    const std::wstring cancelled = OpenCopy(L"commented.zip", L"keys-comment-cancelled.zip");
    const std::vector<unsigned char> before = test::ReadBytes(cancelled);
    const Visit cancel = VisitWindow(L'o', L'c', L"Commentaire", frmComment::cmdAction2, [](HWND dialog) {
        WaitForCommentRead(dialog, true);
        test::PressMnemonic(dialog, L'a');
    });
    ExpectClosedAndOwnerBack(cancel, "Alt+A (Annuler)");
    EXPECT_TRUE(test::ReadBytes(cancelled) == before) << "Annuler changed the archive";
    // Escape from the text box, where the focus starts, is "Annuler" too.
    const Visit escape = VisitWindow(L'o', L'c', L"Commentaire", frmComment::cmdAction2, [](HWND dialog) {
        WaitForCommentRead(dialog, true);
        test::PressKey(dialog, VK_ESCAPE);
    });
    ExpectClosedAndOwnerBack(escape, "Escape");
    EXPECT_TRUE(test::ReadBytes(cancelled) == before) << "Escape changed the archive";

    const std::wstring saved = OpenCopy(L"tree.zip", L"keys-comment-saved.zip");
    const std::string typed = "Commentaire tape au clavier";
    bool saveEnabled = false;
    const Visit save = VisitWindow(L'o', L'c', L"Commentaire", frmComment::cmdAction2, [&](HWND dialog) {
        WaitForCommentRead(dialog, false);
        HWND box = GetDlgItem(dialog, frmComment::txtComment);
        for (char c : typed) SendMessageW(box, WM_CHAR, static_cast<WPARAM>(c), 1);
        saveEnabled = IsWindowEnabled(GetDlgItem(dialog, frmComment::cmdAction0)) != FALSE;
        test::PressMnemonic(dialog, L'e');
    });
    EXPECT_TRUE(saveEnabled);
    ExpectClosedAndOwnerBack(save, "Alt+E (Enregistrer)");
    EXPECT_EQ(StoredComment(saved), typed);

    const std::wstring cleared = OpenCopy(L"commented.zip", L"keys-comment-cleared.zip");
    ASSERT_NE(StoredComment(cleared), "");
    const Visit clear = VisitWindow(L'o', L'c', L"Commentaire", frmComment::cmdAction2, [](HWND dialog) {
        WaitForCommentRead(dialog, true);
        test::PressMnemonic(dialog, L'f');
    });
    ExpectClosedAndOwnerBack(clear, "Alt+F (Effacer)");
    EXPECT_EQ(StoredComment(cleared), "");
}

// ---- F1 in the express extraction window ----

// The window stays up while the server extracts 1,600 members; F1 asks for
// its page, then "Annuler" stops the job.
TEST(ShellExtractKeyboard, F1AsksTheViewerForTheExpressExtractionTopic) {
    const std::wstring archive = WorkFolder() + L"keys-express.zip";
    const std::wstring target = WorkFolder() + L"keys-express";
    CreateDirectoryW(WorkFolder().c_str(), nullptr);
    test::RemoveTree(target);
    ASSERT_TRUE(CopyFileW((FixtureFolder() + L"large.zip").c_str(), archive.c_str(), FALSE));
    ReplaceHtmlHelpEntry(RecordHelpCall);

    HWND shown = nullptr;
    bool asked = false, stillOpen = false;
    {
        DialogAnswerer answerer([&](HWND dialog, const SeenDialog& seen) {
            if (seen.caption != L"Extraction express de keys-express.zip") return false;
            shown = dialog;
            test::PressKey(dialog, VK_F1);
            asked = WaitFor([] { return !HelpCalls().empty(); }, 5000);
            stillOpen = !Hidden(dialog);
            test::Press(dialog, frmShellExtract::cmdCancel);
            return true;
        });
        frmShellExtract express;
        express.ArchivePath = archive;
        express.QuickExtract();
        EXPECT_TRUE(test::PumpUntil([&] { return !IsWindow(express.Handle()); }, kTimeout));
    }
    ReplaceHtmlHelpEntry(nullptr);
    test::RemoveTree(target);

    ASSERT_TRUE(asked) << "F1 asked the viewer for nothing";
    const std::vector<HelpCall> calls = HelpCalls();
    ASSERT_EQ(calls.size(), 1u) << "one key, one call";
    EXPECT_EQ(calls[0].location, HelpFilePath() + L"::/express.htm#shell");
    EXPECT_EQ(calls[0].command, static_cast<UINT>(HH_DISPLAY_TOPIC));
    EXPECT_EQ(calls[0].caller, shown) << "the viewer belongs to the window F1 was pressed in";
    EXPECT_TRUE(stillOpen) << "help leaves the window open";
}

// The test window is opened from the menu, so it is not among the windows
// of the dialogs' F1 test.
TEST_F(KeyboardWindows, F1InTheTestWindowAsksTheViewerForItsTopic) {
    OpenCopy(L"tree.zip", L"keys-help.zip");
    ReplaceHtmlHelpEntry(RecordHelpCall);
    const size_t before = HelpCalls().size();
    bool asked = false, stillOpen = false;
    const Visit visit = VisitWindow(L'o', L't', L"Test de ", frmTest::cmdFermer, [&](HWND dialog) {
        WaitFor([&] { return TestEnded(dialog); }, kTimeout);
        test::PressKey(dialog, VK_F1);
        asked = WaitFor([&] { return HelpCalls().size() > before; }, 5000);
        stillOpen = !Hidden(dialog);
        test::PressKey(dialog, VK_ESCAPE);
    });
    ReplaceHtmlHelpEntry(nullptr);
    ExpectClosedAndOwnerBack(visit, "Escape after F1");
    ASSERT_TRUE(asked) << "F1 asked the viewer for nothing";
    const std::vector<HelpCall> calls = HelpCalls();
    ASSERT_EQ(calls.size(), before + 1) << "one key, one call";
    EXPECT_EQ(calls.back().location, HelpFilePath() + L"::/outils.htm#tester");
    EXPECT_EQ(calls.back().command, static_cast<UINT>(HH_DISPLAY_TOPIC));
    EXPECT_EQ(calls.back().caller, visit.dialog);
    EXPECT_TRUE(stillOpen) << "help leaves the window open";
}

}  // namespace
}  // namespace bralto
