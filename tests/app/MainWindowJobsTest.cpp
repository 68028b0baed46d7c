// Jobs of the main window run end to end by the registered qnrZip server:
// adding to a new archive, deleting members, extracting with overwrite
// and password questions, cancelling, refusing to close while busy, and
// the result messages. Questions are answered here as a user would.
#include <gtest/gtest.h>

#include <windows.h>

#include <objbase.h>

#include <fstream>

#include "Common.h"
#include "Handles.h"
#include "QnrZipClient.h"
#include "WindowTestSupport.h"
#include "frmBralto.h"
#include "frmPrompt.h"
#include "frmPwdGive.h"

namespace bralto {
namespace {

using test::DialogAnswerer;
using test::FixtureFolder;
using test::SeenDialog;

constexpr DWORD kJobTimeout = 60000;

// Events of the server reach a single-threaded apartment through its
// message loop, as in Bralto itself.
qnr::client::ClientApartment g_apartment;

std::wstring WorkFolder() { return FixtureFolder() + L"jobs\\"; }

void WriteText(const std::wstring& path, const std::string& text) {
    std::ofstream out(path.c_str(), std::ios::binary);
    out << text;
}

std::string ReadText(const std::wstring& path) {
    auto bytes = test::ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

void AddSpec(AsyncZipJob& job, const std::wstring& spec) {
    BSTR text = SysAllocString(spec.c_str());
    LONG result = 0;
    job->AddFileSpec(text, &result);
    SysFreeString(text);
}

void SetText(HRESULT (STDMETHODCALLTYPE _cAsyncZip::*put)(BSTR), _cAsyncZip* job, const std::wstring& value) {
    BSTR text = SysAllocString(value.c_str());
    (job->*put)(text);
    SysFreeString(text);
}

// Why a server object cannot be created, for the failure messages.
std::string ServerDiagnosis() {
    IUnknown* object = nullptr;
    const HRESULT hr = CoCreateInstance(CLSID_cAsyncZip, nullptr, CLSCTX_LOCAL_SERVER, IID_IUnknown,
                                        reinterpret_cast<void**>(&object));
    if (object) object->Release();
    char text[64];
    snprintf(text, sizeof(text), "qnrZip server: CoCreateInstance 0x%08lx", static_cast<unsigned long>(hr));
    return text;
}

class MainWindowJobs : public ::testing::Test {
protected:
    void SetUp() override {
        CreateDirectoryW(WorkFolder().c_str(), nullptr);
        window.Show();
    }
    HWND List() const { return GetDlgItem(window.Handle(), frmBralto::lisFich); }
    ::testing::AssertionResult WaitIdle() {
        if (test::PumpUntil([this] { return !window.Busy(); }, kJobTimeout)) return ::testing::AssertionSuccess();
        const std::wstring status = window.StatusText(), log = window.LogText();
        return ::testing::AssertionFailure()
               << "job still running; status \"" << std::string(status.begin(), status.end()) << "\", log \""
               << std::string(log.begin(), log.end()) << "\"";
    }
    // A new, empty archive named `name` in the work folder (the Save
    // dialog of NewFromShell is confirmed with its preset name).
    std::wstring NewArchive(const std::wstring& name) {
        const std::wstring path = WorkFolder() + name;
        DeleteFileW(path.c_str());
        DialogAnswerer confirm([](HWND dialog, const SeenDialog&) {
            test::Press(dialog, IDOK);
            return true;
        });
        window.NewFromShell(path);
        return path;
    }
    std::unique_ptr<AsyncZipJob> ZipJob(const std::wstring& archive) {
        auto job = window.CreateZipJob();
        if (job) SetText(&_cAsyncZip::put_ZipFile, job->Object(), archive);
        return job;
    }

    frmBralto window;
};

TEST_F(MainWindowJobs, AddToANewArchiveThenDeleteAMember) {
    const std::wstring archive = NewArchive(L"added.zip");
    ASSERT_EQ(window.Tag(), archive);
    ASSERT_EQ(test::TextOf(window.Handle()), L"added.zip");

    auto job = ZipJob(archive);
    ASSERT_TRUE(job) << ServerDiagnosis();
    AddSpec(*job, FixtureFolder() + L"add\\f*.txt");
    DialogAnswerer answerer([](HWND dialog, const SeenDialog&) {
        test::Press(dialog, IDOK);
        return true;
    });
    window.PerformZipping(std::move(job));
    EXPECT_TRUE(window.Busy());
    EXPECT_TRUE(window.IsAnimationPlaying());
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(window.Handle(), frmBralto::cmdCancel)));
    ASSERT_TRUE(WaitIdle());
    EXPECT_TRUE(answerer.Seen().empty());
    EXPECT_FALSE(window.IsAnimationPlaying());
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(window.Handle(), frmBralto::cmdCancel)));
    EXPECT_EQ(window.StatusText(), L"Prêt");
    // The archive was reopened: the list shows the five files.
    ASSERT_EQ(test::ListCount(List()), 5);
    EXPECT_EQ(test::ListText(List(), 0, 0), L"f1.txt");
    EXPECT_EQ(test::ListText(List(), 4, 0), L"f5.txt");

    auto remove = ZipJob(archive);
    ASSERT_TRUE(remove) << ServerDiagnosis();
    remove->Object()->put_DeleteEntries(VARIANT_TRUE);
    remove->Object()->put_StoreFolderNames(VARIANT_TRUE);
    AddSpec(*remove, L"f2.txt");
    AddSpec(*remove, L"f4.txt");
    window.PerformDeleting(std::move(remove));
    ASSERT_TRUE(WaitIdle());
    ASSERT_EQ(test::ListCount(List()), 3);
    EXPECT_EQ(test::ListText(List(), 0, 0), L"f1.txt");
    EXPECT_EQ(test::ListText(List(), 1, 0), L"f3.txt");
    EXPECT_EQ(test::ListText(List(), 2, 0), L"f5.txt");
}

TEST_F(MainWindowJobs, EncryptedAddAsksThePasswordOncePerJob) {
    const std::wstring archive = NewArchive(L"encrypted.zip");
    ZipPassword.clear();
    auto job = ZipJob(archive);
    ASSERT_TRUE(job) << ServerDiagnosis();
    job->Object()->put_Encrypt(VARIANT_TRUE);
    AddSpec(*job, FixtureFolder() + L"add\\f*.txt");
    int passwordWindows = 0;
    DialogAnswerer answerer([&](HWND dialog, const SeenDialog& seen) {
        if (seen.caption == L"Mot de passe") {
            ++passwordWindows;
            SetDlgItemTextW(dialog, frmPwdGive::txtPwd, L"Sésame");
            SetDlgItemTextW(dialog, frmPwdGive::txtConfirm, L"Sésame");
        }
        test::Press(dialog, IDOK);
        return true;
    });
    window.PerformZipping(std::move(job));
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(passwordWindows, 1);
    EXPECT_EQ(ZipPassword, L"Sésame");
    ASSERT_EQ(test::ListCount(List()), 5);
    for (int row = 0; row < 5; ++row) EXPECT_EQ(test::ListText(List(), row, 1), L"©") << row;
}

TEST_F(MainWindowJobs, ExtractionAsksBeforeOverwritingPerFileAndForAll) {
    ASSERT_TRUE(window.OpenAZip(FixtureFolder() + L"add_source.zip"));
    const std::wstring out = WorkFolder() + L"out";
    CreateDirectoryW(out.c_str(), nullptr);
    const wchar_t* names[] = {L"f1.txt", L"f2.txt", L"f3.txt", L"f4.txt", L"f5.txt"};
    for (const wchar_t* name : names) WriteText(out + L"\\" + name, "changed");

    auto job = window.CreateUnzipJob();
    ASSERT_TRUE(job) << ServerDiagnosis();
    BSTR text = SysAllocString((FixtureFolder() + L"add_source.zip").c_str());
    job->Object()->put_ZipFile(text);
    SysFreeString(text);
    text = SysAllocString(out.c_str());
    job->Object()->put_UnzipFolder(text);
    SysFreeString(text);
    job->Object()->put_OverwriteExisting(VARIANT_FALSE);
    job->Object()->put_PromptToOverwrite(VARIANT_TRUE);

    std::vector<std::wstring> questions;
    DialogAnswerer answerer([&](HWND dialog, const SeenDialog& seen) {
        if (seen.caption != L"Bralto" || seen.text.rfind(L"Ecraser ", 0) != 0) return false;
        questions.push_back(seen.text);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, frmPrompt::cmdAction0 + 2)));
        // Keep the first file, then overwrite it and all the others.
        test::Press(dialog, frmPrompt::cmdAction0 + (questions.size() == 1 ? 1 : 2));
        return true;
    });
    window.PerformExtracting(std::move(job));
    ASSERT_TRUE(WaitIdle());
    ASSERT_EQ(questions.size(), 2u);
    EXPECT_NE(questions[0].find(L"f1.txt"), std::wstring::npos);
    EXPECT_EQ(questions[0].substr(questions[0].size() - 2), L" ?");
    EXPECT_EQ(ReadText(out + L"\\f1.txt"), "changed");
    for (int i = 1; i < 5; ++i) EXPECT_EQ(ReadText(out + L"\\" + names[i]), "file " + std::to_string(i + 1) + "\n");
    EXPECT_EQ(window.StatusText(), L"Prêt");
}

TEST_F(MainWindowJobs, WrongPasswordOnExtractionReportsErrorsAndShowsTheLog) {
    ASSERT_TRUE(window.OpenAZip(FixtureFolder() + L"listed.zip"));
    const std::wstring out = WorkFolder() + L"wrong";
    auto job = window.CreateUnzipJob();
    ASSERT_TRUE(job) << ServerDiagnosis();
    BSTR text = SysAllocString((FixtureFolder() + L"listed.zip").c_str());
    job->Object()->put_ZipFile(text);
    SysFreeString(text);
    text = SysAllocString(out.c_str());
    job->Object()->put_UnzipFolder(text);
    SysFreeString(text);
    job->Object()->put_OverwriteExisting(VARIANT_TRUE);
    int passwordWindows = 0;
    std::wstring errorMessage;
    DialogAnswerer answerer([&](HWND dialog, const SeenDialog& seen) {
        if (seen.caption == L"Mot de passe") {
            ++passwordWindows;
            SetDlgItemTextW(dialog, 101, L"not the password");
            test::Press(dialog, IDOK);
        } else {
            errorMessage = seen.text;
            test::Press(dialog, IDYES);
        }
        return true;
    });
    window.PerformExtracting(std::move(job));
    ASSERT_TRUE(WaitIdle());
    test::PumpUntil([&] { return !errorMessage.empty(); }, 5000);
    EXPECT_GE(passwordWindows, 1);
    EXPECT_EQ(errorMessage,
              L"Des erreurs ont été rencontrées lors de l'extraction des fichiers.\r\nSouhaitez-vous des précisions ?");
    EXPECT_TRUE(window.LogVisible());
    EXPECT_FALSE(window.LogText().empty());
}

TEST_F(MainWindowJobs, CancelStopsTheJobQuietlyAndLeavesTheArchiveUntouched) {
    const std::wstring archive = WorkFolder() + L"cancelled.zip";
    CopyFileW((FixtureFolder() + L"listed.zip").c_str(), archive.c_str(), FALSE);
    const auto before = test::ReadBytes(archive);
    ASSERT_TRUE(window.OpenAZip(archive));

    auto job = ZipJob(archive);
    ASSERT_TRUE(job) << ServerDiagnosis();
    AddSpec(*job, FixtureFolder() + L"add\\many\\*.bin");
    DialogAnswerer answerer([](HWND dialog, const SeenDialog&) {
        test::Press(dialog, IDOK);
        return true;
    });
    window.PerformZipping(std::move(job));
    ASSERT_TRUE(window.Busy());

    // Closing is refused while the job runs.
    SendMessageW(window.Handle(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(IsWindow(window.Handle()));
    for (int i = 0; i < frmBralto::kTopMenus; ++i)
        EXPECT_TRUE(GetMenuState(GetMenu(window.Handle()), static_cast<UINT>(i), MF_BYPOSITION) & MF_GRAYED) << i;
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(window.Handle(), frmBralto::tooBar)));

    SendMessageW(window.Handle(), WM_COMMAND, MAKEWPARAM(frmBralto::cmdCancel, BN_CLICKED), 0);
    EXPECT_EQ(window.StatusText(), L"Annulation. Veuillez patienter...");
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(window.Handle(), frmBralto::cmdCancel)));
    ASSERT_TRUE(WaitIdle());
    test::PumpUntil([] { return false; }, 300);
    EXPECT_EQ(window.StatusText(), L"Prêt");
    EXPECT_TRUE(answerer.Seen().empty()) << "no message for a user stop";
    EXPECT_EQ(test::ReadBytes(archive), before);
    EXPECT_FALSE(GetMenuState(GetMenu(window.Handle()), 0, MF_BYPOSITION) & MF_GRAYED);

    // After the job the window closes normally.
    SendMessageW(window.Handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window.Handle()));
}

// The server dies in the middle of an add: the window says so, leaves its
// busy state and takes commands again; the archive is as it was.
TEST_F(MainWindowJobs, AServerThatDiesDuringAJobIsReportedAndTheWindowIsUsableAgain) {
    const std::wstring archive = WorkFolder() + L"server-lost.zip";
    CopyFileW((FixtureFolder() + L"listed.zip").c_str(), archive.c_str(), FALSE);
    const auto before = test::ReadBytes(archive);
    ASSERT_TRUE(window.OpenAZip(archive));

    auto job = ZipJob(archive);
    ASSERT_TRUE(job) << ServerDiagnosis();
    AddSpec(*job, FixtureFolder() + L"add\\many\\*.bin");
    DialogAnswerer answerer([](HWND dialog, const SeenDialog&) {
        test::Press(dialog, IDOK);
        return true;
    });
    window.PerformZipping(std::move(job));
    ASSERT_TRUE(window.Busy());
    ASSERT_EQ(test::KillServers(), 1);

    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(window.StatusText(), L"Prêt");
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(window.Handle(), frmBralto::cmdCancel)));
    EXPECT_FALSE(window.IsAnimationPlaying());
    test::PumpUntil([&] { return !answerer.Seen().empty(); }, 5000);
    const auto seen = answerer.Seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text,
              L"Le serveur qnrZip s'est arrêté pendant l'opération.\r\n"
              L"L'opération n'a pas abouti : vérifiez l'archive avant de la réutiliser.");
    EXPECT_EQ(test::ReadBytes(archive), before);
    EXPECT_FALSE(GetMenuState(GetMenu(window.Handle()), 0, MF_BYPOSITION) & MF_GRAYED);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(window.Handle(), frmBralto::tooBar)));

    // Wine 8 keeps the killed server's class objects registered until its
    // RPC service stops (Windows forgets them by itself).
    test::RunProgram(L"net.exe stop rpcss");
    // A new job gets a new server and completes.
    auto next = ZipJob(archive);
    ASSERT_TRUE(next) << ServerDiagnosis();
    AddSpec(*next, FixtureFolder() + L"add\\f1.txt");
    window.PerformZipping(std::move(next));
    ASSERT_TRUE(WaitIdle());
}

TEST_F(MainWindowJobs, TooManySpecificationsAreRefusedAndNoMatchIsReported) {
    const std::wstring archive = NewArchive(L"limits.zip");
    std::vector<std::wstring> messages;
    DialogAnswerer answerer([&](HWND dialog, const SeenDialog& seen) {
        messages.push_back(seen.text);
        test::Press(dialog, IDOK);
        return true;
    });

    auto tooMany = ZipJob(archive);
    ASSERT_TRUE(tooMany) << ServerDiagnosis();
    for (int i = 0; i < 1024; ++i) AddSpec(*tooMany, FixtureFolder() + L"add\\f1.txt");
    window.PerformZipping(std::move(tooMany));
    EXPECT_FALSE(window.Busy());
    test::PumpUntil([&] { return !messages.empty(); }, 5000);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], L"Trop de fichiers à traiter !\r\nEffectuer plusieurs sélections plus petites.");

    auto enough = ZipJob(archive);
    ASSERT_TRUE(enough) << ServerDiagnosis();
    for (int i = 0; i < 1023; ++i) AddSpec(*enough, FixtureFolder() + L"add\\f1.txt");
    window.PerformZipping(std::move(enough));
    EXPECT_TRUE(window.Busy());
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(test::ListCount(List()), 1);

    auto nothing = ZipJob(archive);
    ASSERT_TRUE(nothing) << ServerDiagnosis();
    AddSpec(*nothing, FixtureFolder() + L"add\\*.nothing");
    window.PerformZipping(std::move(nothing));
    ASSERT_TRUE(WaitIdle());
    test::PumpUntil([&] { return messages.size() == 2; }, 5000);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1], L"Pas de fichiers correspondant à la requête.");
}

}  // namespace
}  // namespace bralto
