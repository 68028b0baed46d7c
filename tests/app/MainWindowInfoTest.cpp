// The test, comment, properties and member information windows, opened
// from the menus of the real main window by their mnemonics, the test run
// by the registered qnrZip server. Expectations come from Info-ZIP and the
// file system (make_window_fixtures.sh); the comments written here are
// checked by unzip -z afterwards (verify_info_archives.py).
#include "QnrZipClient.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include <algorithm>
#include <atomic>

#include "Handles.h"
#include "TestWindowPlayer.h"
#include "WindowTestSupport.h"
#include "frmBralto.h"
#include "frmComment.h"
#include "frmFileInfo.h"
#include "frmTest.h"
#include "frmZipInfo.h"

namespace bralto {
namespace {

using test::DialogAnswerer;
using test::FixtureFolder;
using test::Grouped;
using test::Lines;
using test::LongText;
using test::PlayTest;
using test::SeenDialog;
using test::SwitchAwayAndBack;
using test::TestRun;
using test::WaitFor;

constexpr DWORD kTestTimeout = 60000;

qnr::client::ClientApartment g_apartment;

std::wstring WorkFolder() { return FixtureFolder() + L"info\\"; }

std::wstring Screenshot(const wchar_t* name) {
    CreateDirectoryW(L"Z:" BRALTO_SCREENSHOTS, nullptr);
    return std::wstring(L"Z:" BRALTO_SCREENSHOTS L"/") + name;
}

// The message box that `owner` shows, answered with OK; its message, or
// "" when none came within `milliseconds`.
std::wstring AnswerMessageBox(HWND owner, DWORD milliseconds) {
    HWND box = nullptr;
    WaitFor(
        [&] {
            box = FindWindowW(L"#32770", L"Bralto");
            return box && IsWindowVisible(box) && GetWindow(box, GW_OWNER) == owner;
        },
        milliseconds);
    if (!box) return L"";
    Sleep(100);
    std::wstring message;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t name[16] = {};
        GetClassNameW(child, name, 16);
        const std::wstring text = test::TextOf(child);
        if (lstrcmpiW(name, L"Static") == 0 && text.size() > message.size()) message = text;
    }
    test::Press(box, IDOK);
    WaitFor([&] { return !IsWindow(box) || !IsWindowVisible(box); }, 5000);
    return message;
}

// The ratio bar of an information window as the screen shows it: the
// pixels of its middle row inside the frame, and how many of them have
// the bar's colour (filled from the left).
struct Bar {
    bool exists = false;
    int inner = 0, filled = 0;
};

Bar BarOf(HWND dialog, int id) {
    Bar bar;
    HWND control = GetDlgItem(dialog, id);
    bar.exists = control && IsWindowVisible(control);
    if (!bar.exists) return bar;
    Sleep(200);  // painted
    RECT place;
    GetWindowRect(control, &place);
    const COLORREF fill = RGB(0x00, 0x80, 0x80);
    HDC screen = GetDC(nullptr);
    const int y = (place.top + place.bottom) / 2;
    for (int x = place.left + 1; x < place.right - 1; ++x) {
        ++bar.inner;
        if (GetPixel(screen, x, y) == fill) ++bar.filled;
    }
    ReleaseDC(nullptr, screen);
    return bar;
}

// The bar shows what the compression saved: 100 minus the ratio `ratioText`
// ("45%"), within 0 to 100 (a member that grew shows an empty saving).
void ExpectBarShowsSaved(const Bar& bar, const std::wstring& ratioText) {
    ASSERT_TRUE(bar.exists);
    ASSERT_GT(bar.inner, 50);
    const int saved = std::min(100, std::max(0, 100 - std::stoi(ratioText)));
    const int expected = (saved * bar.inner + 99) / 100;
    EXPECT_NEAR(bar.filled, expected, 1) << ratioText << " on " << bar.inner << " pixels";
}

// What the properties window shows.
struct ShownProperties {
    std::vector<std::wstring> values = std::vector<std::wstring>(8), labels = std::vector<std::wstring>(8);
    Bar bar;
    bool saved = false;
};

class InfoWindows : public ::testing::Test {
protected:
    void SetUp() override {
        CreateDirectoryW(WorkFolder().c_str(), nullptr);
        ASSERT_TRUE(test::Exists(FixtureFolder() + L"large.zip"));
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
    // Runs the thread's messages (the modal window's loop) until `done`.
    bool Until(const std::function<bool()>& done, DWORD milliseconds = kTestTimeout) {
        return test::PumpUntil(done, milliseconds);
    }
    int RowNamed(const std::wstring& name) {
        for (int row = 0; row < test::ListCount(List()); ++row)
            if (test::ListText(List(), row, 0) == name) return row;
        return -1;
    }

    // Opens the properties window from the menu, reads it, saves its image
    // as `screenshot` (unless null) and closes it with "Fermer".
    ShownProperties ShowProperties(const wchar_t* screenshot);

    frmBralto window;
};

// lblInfo indices in the order of expected_properties.tsv.
constexpr int kPropertyRows[] = {0, 7, 1, 2, 3, 4};

// ---- frmTest ----

TEST_F(InfoWindows, TestOfACleanArchiveListsEveryMemberAsTheLibraryReportsItThenItsSummary) {
    const std::wstring archive = OpenCopy(L"tree.zip", L"tested.zip");
    TestRun run;
    std::atomic<bool> finished{false};
    {
        DialogAnswerer answerer(PlayTest(run, finished, false, false, Screenshot(L"frmTest.bmp")));
        test::ChooseMenu(Window(), L'O', L'T');
        ASSERT_TRUE(Until([&] { return finished.load(); }));
    }
    EXPECT_EQ(run.windowCaption, L"Test de " + archive);
    EXPECT_EQ(run.captionAtEnd, L"Fermer");
    EXPECT_TRUE(run.closed);
    EXPECT_TRUE(run.switchedAtEnd);
    EXPECT_TRUE(run.screenshotSaved);
    std::vector<std::wstring> expected;
    for (const auto& row : test::ReadTable(FixtureFolder() + L"expected_tree_members.txt")) {
        std::wstring name = row[0];
        for (auto& c : name)
            if (c == L'/') c = L'\\';
        expected.push_back(L"    testing: " + name + L"   OK");
    }
    expected.push_back(L"No errors detected in compressed data of " + archive + L".");
    EXPECT_EQ(Lines(run.report), expected);
    EXPECT_FALSE(window.Busy());
}

TEST_F(InfoWindows, TestOfADamagedArchiveNamesTheDamagedMember) {
    const std::wstring archive = OpenCopy(L"tree_damaged.zip", L"tested-damaged.zip");
    TestRun run;
    std::atomic<bool> finished{false};
    {
        DialogAnswerer answerer(PlayTest(run, finished, false, false));
        test::ChooseMenu(Window(), L'O', L'T');
        ASSERT_TRUE(Until([&] { return finished.load(); }));
    }
    const std::vector<std::wstring> lines = Lines(run.report);
    ASSERT_FALSE(lines.empty());
    int damaged = 0;
    for (const auto& line : lines) {
        if (line.find(L"a\\b\\z.bin") != std::wstring::npos) {
            EXPECT_EQ(line.rfind(L"    testing: a\\b\\z.bin   ", 0), 0u) << line;
            EXPECT_EQ(line.find(L"OK"), std::wstring::npos) << line;
            ++damaged;
        }
    }
    EXPECT_EQ(damaged, 1) << run.report;
    EXPECT_NE(run.report.find(L"    testing: top.txt   OK"), std::wstring::npos);
    EXPECT_EQ(lines.back(), L"1 error detected in compressed data of " + archive + L".");
}

TEST_F(InfoWindows, CancelDuringALargeTestStopsTheJobThenFermerCloses) {
    for (bool closeBox : {false, true}) {
        OpenCopy(L"large.zip", closeBox ? L"large-closebox.zip" : L"large-cancel.zip");
        TestRun run;
        std::atomic<bool> finished{false};
        {
            DialogAnswerer answerer(PlayTest(run, finished, true, closeBox));
            test::ChooseMenu(Window(), L'O', L'T');
            ASSERT_TRUE(Until([&] { return finished.load(); }));
        }
        EXPECT_TRUE(run.switchedWhileRunning);
        EXPECT_EQ(run.captionWhileRunning, L"Annuler");
        EXPECT_EQ(run.captionAtEnd, L"Fermer");
        EXPECT_TRUE(run.closed);
        const std::vector<std::wstring> lines = Lines(run.report);
        ASSERT_GE(lines.size(), 1u);
        // A second job, started by coming back, would list the first member again.
        EXPECT_EQ(lines[0], L"    testing: large\\membre-numero-0001-du-grand-test.txt   OK");
        EXPECT_EQ(std::count(lines.begin(), lines.end(), lines[0]), 1);
        EXPECT_LT(lines.size(), 1000u) << "the job went on after the stop request";
        EXPECT_EQ(run.report.find(L"detected in compressed data"), std::wstring::npos);
        EXPECT_EQ(run.overflowMessages, 0);
    }
}

TEST_F(InfoWindows, AReportBeyondTheBoxSaysSoOnceAndKeepsWhatFits) {
    OpenCopy(L"large.zip", L"large-full.zip");
    TestRun run;
    std::atomic<bool> finished{false};
    {
        DialogAnswerer answerer(PlayTest(run, finished, false, false));
        test::ChooseMenu(Window(), L'O', L'T');
        ASSERT_TRUE(Until([&] { return finished.load(); }));
    }
    EXPECT_EQ(run.overflowMessages, 1);
    EXPECT_LE(run.report.size(), static_cast<size_t>(frmTest::kReportLimit));
    const std::vector<std::wstring> lines = Lines(run.report);
    ASSERT_GT(lines.size(), 500u);
    EXPECT_EQ(lines[0], L"    testing: large\\membre-numero-0001-du-grand-test.txt   OK");
}

// ---- frmComment ----

struct CommentVisit {
    std::wstring shown;
    bool saveEnabledAtStart = true;  // once the comment has been read
    bool saveEnabledAfterTyping = false;
    std::wstring message;  // a message box shown after the click
};

// Opens the comment window through the menu and plays `act` on it.
void VisitComment(HWND mainWindow, const std::function<void(HWND dialog, CommentVisit&)>& act, CommentVisit& visit,
                  const std::function<bool(const std::function<bool()>&)>& until) {
    std::atomic<bool> done{false};
    DialogAnswerer answerer([&](HWND dialog, const SeenDialog& seen) {
        if (seen.caption == L"Bralto") {
            visit.message = seen.text;
            test::Press(dialog, IDOK);
            return true;
        }
        if (seen.caption != L"Commentaire") return false;
        Sleep(300);  // the comment is read once the window is up
        visit.shown = LongText(GetDlgItem(dialog, frmComment::txtComment));
        visit.saveEnabledAtStart = IsWindowEnabled(GetDlgItem(dialog, frmComment::cmdAction0)) != FALSE;
        act(dialog, visit);
        WaitFor([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, 10000);
        done = true;
        return true;
    });
    test::ChooseMenu(mainWindow, L'O', L'C');
    until([&] { return done.load(); });
}

// Types over the whole comment as a user who selected everything.
void TypeComment(HWND dialog, const std::wstring& text) {
    HWND box = GetDlgItem(dialog, frmComment::txtComment);
    SendMessageW(box, EM_SETSEL, 0, -1);
    for (wchar_t c : text) {
        if (c == L'\n') continue;
        SendMessageW(box, WM_CHAR, c, 1);
    }
}

const std::wstring kFirstComment = L"Première ligne\r\nDeuxième ligne";
const std::wstring kSecondComment = L"Commentaire remplacé";

TEST_F(InfoWindows, ACommentIsSetReplacedAndClearedThroughTheWindow) {
    auto until = [this](const std::function<bool()>& done) { return Until(done); };
    for (const wchar_t* name : {L"comment-set.zip", L"comment-replaced.zip", L"comment-cleared.zip"}) {
        OpenCopy(L"tree.zip", name);
        CommentVisit first;
        VisitComment(
            Window(),
            [](HWND dialog, CommentVisit& visit) {
                TypeComment(dialog, kFirstComment);
                visit.saveEnabledAfterTyping = IsWindowEnabled(GetDlgItem(dialog, frmComment::cmdAction0)) != FALSE;
                test::Press(dialog, frmComment::cmdAction0);
            },
            first, until);
        EXPECT_EQ(first.shown, L"") << "tree.zip has no comment";
        EXPECT_FALSE(first.saveEnabledAtStart) << "nothing to save before typing";
        EXPECT_TRUE(first.saveEnabledAfterTyping) << "typing enables Enregistrer";
        EXPECT_EQ(first.message, L"");
        if (std::wstring(name) == L"comment-set.zip") continue;

        CommentVisit second;
        const bool clearing = std::wstring(name) == L"comment-cleared.zip";
        VisitComment(
            Window(),
            [clearing](HWND dialog, CommentVisit&) {
                if (clearing) {
                    test::Press(dialog, frmComment::cmdAction1);  // the box still shows the comment
                } else {
                    TypeComment(dialog, kSecondComment);
                    test::Press(dialog, frmComment::cmdAction0);
                }
            },
            second, until);
        EXPECT_EQ(second.shown, kFirstComment) << "the written comment reads back whole";
        EXPECT_FALSE(second.saveEnabledAtStart);

        CommentVisit third;
        VisitComment(
            Window(), [](HWND dialog, CommentVisit&) { test::Press(dialog, frmComment::cmdAction2); }, third, until);
        EXPECT_EQ(third.shown, clearing ? L"" : kSecondComment);
    }
}

TEST_F(InfoWindows, ACommentWrittenByInfoZipShowsWholeOnceEvenAfterReactivation) {
    OpenCopy(L"commented.zip", L"commented-read.zip");
    auto until = [this](const std::function<bool()>& done) { return Until(done); };
    std::wstring afterReturn;
    bool switched = false, saved = false;
    CommentVisit visit;
    VisitComment(
        Window(),
        [&](HWND dialog, CommentVisit&) {
            switched = SwitchAwayAndBack(dialog);
            afterReturn = LongText(GetDlgItem(dialog, frmComment::txtComment));
            saved = test::SaveWindowImage(dialog, Screenshot(L"frmComment.bmp"));
            test::Press(dialog, frmComment::cmdAction2);
        },
        visit, until);
    const std::string expected = test::ReadText(FixtureFolder() + L"expected_comment.txt");
    std::wstring wide(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, expected.data(),
                                                              static_cast<int>(expected.size()), nullptr, 0)),
                      L'\0');
    MultiByteToWideChar(CP_UTF8, 0, expected.data(), static_cast<int>(expected.size()), wide.data(),
                        static_cast<int>(wide.size()));
    EXPECT_EQ(visit.shown, wide);
    EXPECT_FALSE(visit.saveEnabledAtStart);
    EXPECT_TRUE(switched);
    EXPECT_EQ(afterReturn, wide) << "coming back must not append the comment again";
    EXPECT_TRUE(saved);
}

TEST_F(InfoWindows, ACommentThatCannotBeWrittenIsReportedAndTheArchiveStaysAsItWas) {
    auto until = [this](const std::function<bool()>& done) { return Until(done); };
    for (bool readOnly : {true, false}) {
        const std::wstring archive = OpenCopy(L"commented.zip", readOnly ? L"readonly.zip" : L"locked.zip");
        const std::vector<unsigned char> before = test::ReadBytes(archive);
        HANDLE lock = INVALID_HANDLE_VALUE;
        if (readOnly) SetFileAttributesW(archive.c_str(), FILE_ATTRIBUTE_READONLY);
        CommentVisit visit;
        bool stayedOpen = false;
        VisitComment(
            Window(),
            [&](HWND dialog, CommentVisit& v) {
                // Another program takes the archive for itself once the window has read it.
                if (!readOnly)
                    lock = CreateFileW(archive.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                                       nullptr);
                TypeComment(dialog, L"Ne sera pas écrit");
                test::Press(dialog, frmComment::cmdAction0);
                v.message = AnswerMessageBox(dialog, 10000);
                Sleep(300);
                stayedOpen = IsWindowVisible(dialog) != FALSE;
                test::Press(dialog, frmComment::cmdAction2);
            },
            visit, until);
        if (lock != INVALID_HANDLE_VALUE) CloseHandle(lock);
        SetFileAttributesW(archive.c_str(), FILE_ATTRIBUTE_NORMAL);
        // The zip library's own message: the read-only archive cannot be
        // replaced, the locked one cannot even be read.
        const std::wstring why = readOnly ? L"zip error: Could not create output file (" + archive + L")"
                                          : L"zip error: could not open zip file " + archive;
        const std::wstring reason =
            readOnly ? L"L'archive ne peut pas être récrite (fichier en lecture seule ou utilisé par un autre programme)."
                     : L"L'archive ne peut pas être lue (elle est peut-être utilisée par un autre programme).";
        EXPECT_EQ(visit.message, L"Le commentaire n'a pas été enregistré : l'archive n'a pas été modifiée.\r\n" +
                                     reason + L"\r\n" + why);
        EXPECT_TRUE(stayedOpen);
        EXPECT_EQ(test::ReadBytes(archive), before) << (readOnly ? "read-only" : "locked") << " archive changed";
    }
}

// ---- frmZipInfo ----

// The line of expected_properties.tsv for `name`: size, date, compressed,
// uncompressed, ratio%, member count.
std::vector<std::wstring> ExpectedProperties(const std::wstring& name) {
    for (auto& row : test::ReadTable(FixtureFolder() + L"expected_properties.tsv"))
        if (row.size() == 7 && row[0] == name) return std::vector<std::wstring>(row.begin() + 1, row.end());
    return {};
}

ShownProperties InfoWindows::ShowProperties(const wchar_t* screenshot) {
    ShownProperties shown;
    std::atomic<bool> done{false};
    DialogAnswerer answerer([&](HWND dialog, const SeenDialog& seen) {
        if (seen.caption != L"Propriétés") return false;
        for (int i = 0; i < 8; ++i) {
            shown.values[static_cast<size_t>(i)] = test::TextOf(GetDlgItem(dialog, frmZipInfo::lblInfo0 + i));
            shown.labels[static_cast<size_t>(i)] = test::TextOf(GetDlgItem(dialog, frmZipInfo::lblEti0 + i));
        }
        shown.bar = BarOf(dialog, frmZipInfo::tubRatio);
        if (screenshot) shown.saved = test::SaveWindowImage(dialog, Screenshot(screenshot));
        test::Press(dialog, frmZipInfo::cmdFermer);
        done = true;
        return true;
    });
    test::ChooseMenu(Window(), L'O', L'P');
    EXPECT_TRUE(Until([&] { return done.load(); }));
    return shown;
}

TEST_F(InfoWindows, PropertiesOfAnInfoZipArchiveAreWhatUnzipAndTheFileSystemSay) {
    const std::wstring archive = FixtureFolder() + L"listed.zip";
    ASSERT_TRUE(window.OpenAZip(archive));
    const ShownProperties shown = ShowProperties(L"frmZipInfo.bmp");
    const auto e = ExpectedProperties(L"listed.zip");
    ASSERT_EQ(e.size(), 6u);
    EXPECT_EQ(shown.labels, (std::vector<std::wstring>{L"Taille", L"Taille comprimée", L"Taille non comprimée",
                                                       L"Facteur de compression", L"Nombre de fichiers",
                                                       L"Emplacement", L"Nom", L"Date"}));
    EXPECT_EQ(shown.values[6], L"listed.zip");
    EXPECT_EQ(shown.values[5], FixtureFolder());
    for (size_t i = 0; i < 6; ++i) EXPECT_EQ(shown.values[kPropertyRows[i]], e[i]) << i;
    ExpectBarShowsSaved(shown.bar, e[4]);
    EXPECT_TRUE(shown.saved);
}

// Members adding up to more than 4 GiB, one of 3 GiB: the list shows each
// size whole, and the properties the totals as unzip -Zt counts them,
// neither wrapped nor negative.
TEST_F(InfoWindows, SizesAndTotalsBeyondTwoAndFourGiBShowWhole) {
    ASSERT_TRUE(window.OpenAZip(FixtureFolder() + L"large-totals.zip"));
    const auto members = test::ReadTable(FixtureFolder() + L"expected_large_totals.tsv");
    ASSERT_EQ(members.size(), 4u);
    ASSERT_EQ(test::ListCount(List()), 4);
    for (const auto& member : members) {
        const int row = RowNamed(member[0]);
        ASSERT_GE(row, 0) << member[0];
        EXPECT_EQ(test::ListText(List(), row, 4), Grouped(member[1])) << member[0];
        EXPECT_EQ(test::ListText(List(), row, 6), Grouped(member[2])) << member[0];
    }
    const ShownProperties shown = ShowProperties(nullptr);
    const auto e = ExpectedProperties(L"large-totals.zip");
    ASSERT_EQ(e.size(), 6u);
    ASSERT_GT(e[3].size(), 10u);  // ten digits and their blanks
    for (size_t i = 0; i < 6; ++i) EXPECT_EQ(shown.values[kPropertyRows[i]], e[i]) << i;
    ExpectBarShowsSaved(shown.bar, e[4]);
}

// ---- frmFileInfo ----

TEST_F(InfoWindows, MemberInformationOfAnEncryptedMemberInAFolderAndOfAPlainOneWithout) {
    ASSERT_TRUE(window.OpenAZip(FixtureFolder() + L"listed.zip"));
    const auto table = test::ReadTable(FixtureFolder() + L"expected_listed.tsv");
    for (const wchar_t* name : {L"note.txt", L"readme.TXT"}) {
        const std::vector<std::wstring>* expected = nullptr;
        for (const auto& row : table)
            if (row[0] == name) expected = &row;
        ASSERT_NE(expected, nullptr);
        const int row = RowNamed(name);
        ASSERT_GE(row, 0);
        ListView_SetItemState(List(), -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
        ListView_SetItemState(List(), row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        std::vector<std::wstring> shown(8);
        bool hasIcon = false, saved = true;
        Bar bar;
        std::atomic<bool> done{false};
        {
            DialogAnswerer answerer([&](HWND dialog, const SeenDialog& seen) {
                if (seen.caption != L"Informations sur") return false;
                for (int i = 0; i < 8; ++i)
                    shown[static_cast<size_t>(i)] = test::TextOf(GetDlgItem(dialog, frmFileInfo::lblInfo0 + i));
                hasIcon = SendDlgItemMessageW(dialog, frmFileInfo::imaIcon, STM_GETICON, 0, 0) != 0;
                bar = BarOf(dialog, frmFileInfo::tubRatio);
                if (std::wstring(name) == L"note.txt")
                    saved = test::SaveWindowImage(dialog, Screenshot(L"frmFileInfo.bmp"));
                test::Press(dialog, frmFileInfo::cmdFermer);
                done = true;
                return true;
            });
            test::ChooseMenu(Window(), L'E', L'F');
            ASSERT_TRUE(Until([&] { return done.load(); }));
        }
        const auto& e = *expected;
        const bool encrypted = e[6] == L"1";
        EXPECT_EQ(shown[0], e[1].empty() ? L"non enregistrée" : e[1]) << name;
        EXPECT_EQ(shown[1], name);
        EXPECT_EQ(shown[2], test::ListText(List(), row, 2));
        EXPECT_EQ(shown[3], Grouped(e[3])) << name;
        EXPECT_EQ(shown[4], e[2]) << name;
        EXPECT_EQ(shown[5], Grouped(e[4])) << name;
        EXPECT_EQ(shown[6], e[5]) << name;
        EXPECT_EQ(shown[7], encrypted ? L"Oui" : L"Non") << name;
        EXPECT_TRUE(hasIcon);
        ExpectBarShowsSaved(bar, e[5]);
        EXPECT_TRUE(saved);
    }
}

// ---- the server lost during a test (last: it stops Wine's RPC service) ----

TEST_F(InfoWindows, AServerThatDiesDuringATestEndsItWithTheMessageAndTheWindowsAreUsableAgain) {
    OpenCopy(L"large.zip", L"large-lost.zip");
    TestRun run;
    int killed = 0;
    std::atomic<bool> finished{false};
    {
        DialogAnswerer answerer([&](HWND dialog, const SeenDialog& seen) {
            if (seen.caption.rfind(L"Test de ", 0) != 0) return false;
            HWND report = GetDlgItem(dialog, frmTest::txtInfo);
            WaitFor([&] { return GetWindowTextLengthW(report) > 0; }, kTestTimeout);
            run.captionWhileRunning = test::TextOf(GetDlgItem(dialog, frmTest::cmdFermer));
            killed = test::KillServers();
            WaitFor([&] { return test::TextOf(GetDlgItem(dialog, frmTest::cmdFermer)) == L"Fermer"; }, 20000);
            run.captionAtEnd = test::TextOf(GetDlgItem(dialog, frmTest::cmdFermer));
            run.report = LongText(report);
            test::Press(dialog, frmTest::cmdFermer);
            run.closed = WaitFor([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, 5000);
            finished = true;
            return true;
        });
        test::ChooseMenu(Window(), L'O', L'T');
        ASSERT_TRUE(Until([&] { return finished.load(); }));
    }
    ASSERT_EQ(killed, 1);
    EXPECT_EQ(run.captionWhileRunning, L"Annuler");
    EXPECT_EQ(run.captionAtEnd, L"Fermer");
    EXPECT_TRUE(run.closed);
    const std::vector<std::wstring> lines = Lines(run.report);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], L"    testing: large\\membre-numero-0001-du-grand-test.txt   OK");
    EXPECT_EQ(lines[lines.size() - 2], L"Le serveur qnrZip s'est arrêté pendant l'opération.");
    EXPECT_EQ(lines.back(), L"L'opération n'a pas abouti : vérifiez l'archive avant de la réutiliser.");
    EXPECT_TRUE(IsWindowEnabled(Window()));
    EXPECT_FALSE(window.Busy());

    // Wine 8 keeps the killed server's class objects registered until its
    // RPC service stops (Windows forgets them by itself). Then the next
    // test from the menu gets a new server and completes.
    test::RunProgram(L"net.exe stop rpcss");
    const std::wstring archive = OpenCopy(L"tree.zip", L"tested-after-loss.zip");
    TestRun after;
    std::atomic<bool> afterFinished{false};
    {
        DialogAnswerer answerer(PlayTest(after, afterFinished, false, false));
        test::ChooseMenu(Window(), L'O', L'T');
        ASSERT_TRUE(Until([&] { return afterFinished.load(); }));
    }
    ASSERT_FALSE(Lines(after.report).empty());
    EXPECT_EQ(Lines(after.report).back(), L"No errors detected in compressed data of " + archive + L".");
}

}  // namespace
}  // namespace bralto
