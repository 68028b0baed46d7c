// Archives written by 7-Zip (Deflate64, BZip2, LZMA, WinZip AES-256) and
// by Python's zipfile (BZip2, LZMA), opened, tested and extracted from the
// main window's menus as a user does it, the jobs run by the registered
// qnrZip server (the test window asks no password, the extraction does).
// What the list shows comes from zipfile
// (make_window_fixtures.sh); the extracted files are compared with the
// files the archives were made of.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <set>
#include <vector>

#include "CommandTestFixture.h"
#include "TestWindowPlayer.h"
#include "WindowTestSupport.h"
#include "frmPwdAsk.h"

namespace bralto {
namespace {

using test::DialogAnswerer;
using test::FixtureFolder;
using test::SeenDialog;

const std::wstring kAesArchive = L"methods-AES256.zip";
const std::wstring kAesPassword = L"motdepasse";

// A member as zipfile lists it.
struct Member {
    std::wstring name, folder, size;
    bool encrypted = false;
    std::wstring Path() const { return folder.empty() ? name : folder + L"\\" + name; }
};

std::vector<Member> ExpectedMembers(const std::wstring& archive) {
    std::vector<Member> members;
    for (const auto& row : test::ReadTable(FixtureFolder() + L"expected_methods.tsv"))
        if (row[0] == archive) members.push_back(Member{row[1], row[2], row[3], row[4] == L"1"});
    return members;
}

// The files the archives were made of.
std::wstring Sources() { return FixtureFolder() + L"methods"; }

std::string Narrow(const std::wstring& text) {
    std::string bytes(
        static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr);
    bytes.pop_back();
    return bytes;
}

// Answers every password question with `password`, counting them; leaves
// the other windows to another answerer.
DialogAnswerer::Answer AnswerPasswords(const std::wstring& password, std::atomic<int>& questions) {
    return [password, &questions](HWND dialog, const SeenDialog& seen) {
        if (seen.caption != L"Mot de passe") return false;
        ++questions;
        SetDlgItemTextW(dialog, frmPwdAsk::txtPwd, password.c_str());
        test::Press(dialog, IDOK);
        return true;
    };
}

class MethodsWindow : public test::WindowCommandTest {
protected:
    static std::wstring OutFolder(const std::wstring& name) { return WorkFolder() + L"methods-" + name; }

    // "&Ouvrir" from the menu, the Open dialog given `path`; the messages
    // shown instead of the list.
    std::vector<SeenDialog> OpenFromMenu(const std::wstring& path) {
        std::vector<SeenDialog> messages;
        DialogAnswerer answerer([&](HWND dialog, const SeenDialog& seen) {
            if (seen.caption == L"Ouvrir une archive existante") {
                // The file name box of the Open dialog (cmb13 / edt1).
                SetDlgItemTextW(dialog, 0x47c, path.c_str());
                SetDlgItemTextW(dialog, 0x480, path.c_str());
            } else {
                messages.push_back(seen);
            }
            test::Press(dialog, IDOK);
            return true;
        });
        test::ChooseMenu(Window(), L'F', L'O');
        test::PumpUntil([&] { return window.Tag() == path || !messages.empty(); }, 15000);
        test::PumpUntil([] { return false; }, 300);
        return messages;
    }
    // "&Tester le fichier" from the menu; password questions, should any
    // come, are answered with `password` and counted.
    test::TestRun TestFromMenu(const std::wstring& password, std::atomic<int>& passwordQuestions) {
        test::TestRun run;
        std::atomic<bool> finished{false};
        DialogAnswerer passwords(AnswerPasswords(password, passwordQuestions));
        DialogAnswerer player(test::PlayTest(run, finished, false, false));
        test::ChooseMenu(Window(), L'O', L'T');
        EXPECT_TRUE(test::PumpUntil([&] { return finished.load(); }, kJobTimeout)) << "the test did not end";
        return run;
    }
    // "&Extraire des fichiers" from the menu, every member, with folder
    // names, into `out`; the messages shown.
    std::vector<SeenDialog> ExtractFromMenu(const std::wstring& out, const std::wstring& password,
                                            int& passwordQuestions) {
        test::RemoveTree(out);
        test::PresetExtraction(out, 2, true);
        std::vector<SeenDialog> messages;
        {
            test::ExtractAnswer how;
            how.password = password;
            how.passwordQuestions = &passwordQuestions;
            how.screenshot = L"extract_files_methods";
            DialogAnswerer answerer(test::ExtractWith(how, messages));
            test::ChooseMenu(Window(), L'A', L'E');
            EXPECT_TRUE(test::PumpUntil([this] { return window.Busy(); }, 10000)) << "the extraction did not start";
            EXPECT_TRUE(WaitIdle());
            // The result message comes once the job has ended.
            test::PumpUntil([] { return false; }, 1000);
        }
        return messages;
    }
    int RowOf(const Member& member) {
        for (int row = 0; row < test::ListCount(List()); ++row)
            if (test::ListText(List(), row, 0) == member.name && test::ListText(List(), row, 7) == member.folder)
                return row;
        return -1;
    }
};

class MethodArchive : public MethodsWindow, public ::testing::WithParamInterface<const wchar_t*> {};

TEST_P(MethodArchive, OpensWithEveryMemberTestsAndExtractsByteIdentical) {
    const std::wstring name = GetParam();
    const std::wstring archive = FixtureFolder() + name;
    const bool aes = name == kAesArchive;
    const std::vector<Member> expected = ExpectedMembers(name);
    ASSERT_EQ(expected.size(), 3u) << "expected_methods.tsv lacks the archive";

    const std::vector<SeenDialog> openMessages = OpenFromMenu(archive);
    ASSERT_TRUE(openMessages.empty()) << Narrow(openMessages[0].text);
    ASSERT_EQ(window.Tag(), archive);
    EXPECT_EQ(test::TextOf(Window()), name);
    ASSERT_EQ(test::ListCount(List()), static_cast<int>(expected.size()));
    for (const Member& member : expected) {
        const int row = RowOf(member);
        ASSERT_GE(row, 0) << Narrow(member.Path()) << " is not listed";
        EXPECT_EQ(test::ListText(List(), row, 4), test::Grouped(member.size)) << Narrow(member.Path());
        EXPECT_EQ(test::ListText(List(), row, 1), member.encrypted ? L"©" : L"") << Narrow(member.Path());
    }

    // The test window asks no password: AES members are told skipped for
    // it, never damaged; the others are decoded and checked.
    std::atomic<int> testPasswords{0};
    const test::TestRun run = TestFromMenu(kAesPassword, testPasswords);
    const std::vector<std::wstring> lines = test::Lines(run.report);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(testPasswords.load(), 0);
    for (const Member& member : expected) {
        const std::wstring line = member.encrypted ? L"   skipping: " + member.Path() + L"  incorrect password"
                                                   : L"    testing: " + member.Path() + L"   OK";
        EXPECT_EQ(std::count(lines.begin(), lines.end(), line), 1) << Narrow(run.report);
    }
    const std::wstring summary = aes ? L"3 errors" : L"No errors";
    EXPECT_EQ(lines.back(), summary + L" detected in compressed data of " + archive + L".") << Narrow(run.report);
    EXPECT_EQ(run.report.find(L"bad CRC"), std::wstring::npos) << Narrow(run.report);

    const std::wstring out = OutFolder(name);
    int extractPasswords = 0;
    const std::vector<SeenDialog> messages = ExtractFromMenu(out, kAesPassword, extractPasswords);
    EXPECT_TRUE(messages.empty()) << Narrow(messages[0].text) << "\n" << Narrow(window.LogText());
    EXPECT_EQ(extractPasswords > 0, aes);
    std::set<std::wstring> files;
    for (const Member& member : expected) files.insert(member.Path());
    ASSERT_EQ(test::FilesBelow(out), files);
    for (const Member& member : expected)
        EXPECT_EQ(test::ReadBytes(out + L"\\" + member.Path()), test::ReadBytes(Sources() + L"\\" + member.Path()))
            << Narrow(member.Path());
    EXPECT_EQ(window.StatusText(), L"Prêt");
}

INSTANTIATE_TEST_SUITE_P(SevenZipAndPython, MethodArchive,
                         ::testing::Values(L"methods-Deflate64.zip", L"methods-BZip2.zip", L"methods-LZMA.zip",
                                           L"methods-AES256.zip", L"python-BZIP2.zip", L"python-LZMA.zip"));

TEST_F(MethodsWindow, AWrongAesPasswordIsToldAsSuchAndWritesNothing) {
    const std::wstring archive = FixtureFolder() + kAesArchive;
    ASSERT_TRUE(OpenFromMenu(archive).empty());
    const std::wstring out = OutFolder(L"wrong-password");
    int passwordQuestions = 0;
    const std::vector<SeenDialog> messages = ExtractFromMenu(out, L"pas le bon", passwordQuestions);
    EXPECT_GE(passwordQuestions, 1);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text,
              L"Des erreurs ont été rencontrées lors de l'extraction des fichiers.\r\nSouhaitez-vous des précisions ?");
    // The details the user asked for.
    ASSERT_TRUE(window.LogVisible());
    const std::wstring log = window.LogText();
    EXPECT_NE(log.find(L"incorrect password"), std::wstring::npos) << Narrow(log);
    EXPECT_EQ(log.find(L"bad CRC"), std::wstring::npos) << Narrow(log);
    EXPECT_EQ(log.find(L"damaged"), std::wstring::npos) << Narrow(log);
    for (const std::wstring& file : test::FilesBelow(out))
        EXPECT_TRUE(test::ReadBytes(out + L"\\" + file).empty()) << Narrow(file) << " holds undecrypted data";
}

}  // namespace
}  // namespace bralto
