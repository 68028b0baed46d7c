// The qnrZip server's unzip objects driven by a real client in another
// process, through the wrapper Bralto uses: listings, tests and
// extractions with their events and answers, the synchronous calls, and
// the lifetime of the server process.
#include "ClientJobSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

TEST(AsyncUnzipJob, EmptyZipFileGivesComplete13AndNothingElse) {
    EventLog log;
    AsyncUnzip job(RecordingUnzipHandlers(log));
    ASSERT_HRESULT_SUCCEEDED(job.Create());
    ASSERT_HRESULT_SUCCEEDED(job->unzip());
    ASSERT_TRUE(WaitForCompletes(log, 1));
    RoundTripToServer();
    EXPECT_EQ(log.lines, (std::vector<std::wstring>{L"Complete:13"}));
}

TEST(AsyncUnzipJob, ListingJobAppendsToTheDirectoryAndSetsTheTotals) {
    EventLog log;
    AsyncUnzip job(RecordingUnzipHandlers(log), false);
    ASSERT_HRESULT_SUCCEEDED(job.Create());
    Bstr archive(Work(L"peer.zip"));
    ASSERT_HRESULT_SUCCEEDED(job->put_ZipFile(archive.Get()));
    ASSERT_HRESULT_SUCCEEDED(job->put_Listing(VARIANT_TRUE));
    ASSERT_HRESULT_SUCCEEDED(job->unzip());
    ASSERT_TRUE(WaitForCompletes(log, 1));
    EXPECT_EQ(log.result, 0);

    LONG count = 0, members = 0, total = 0;
    ASSERT_HRESULT_SUCCEEDED(job->get_FileCount(&count));
    EXPECT_EQ(count, 3);
    ASSERT_HRESULT_SUCCEEDED(job->get_NumMembers(&members));
    EXPECT_EQ(members, 5) << "folder entries count in the totals";
    ASSERT_HRESULT_SUCCEEDED(job->get_TotalSize(&total));
    EXPECT_EQ(total, 2000 * 17 + 65536 + 100 * 21);

    VARIANT_BOOL listing = VARIANT_FALSE;
    ASSERT_HRESULT_SUCCEEDED(job->get_Listing(&listing));
    EXPECT_EQ(listing, VARIANT_TRUE) << "the job leaves Listing as set";

    ASSERT_HRESULT_SUCCEEDED(job->unzip());
    ASSERT_TRUE(WaitForCompletes(log, 2));
    ASSERT_HRESULT_SUCCEEDED(job->get_FileCount(&count));
    EXPECT_EQ(count, 6) << "a second listing appends";

    LONG size = 0;
    EXPECT_EQ(job->get_FileSize(7, &size), kSubscriptOutOfRange);
    EXPECT_EQ(job->get_FileSize(0, &size), kSubscriptOutOfRange);
    LateBoundError error = ReadIndexedLateBound(job.Object(), L"Filename", 7);
    EXPECT_EQ(error.result, DISP_E_EXCEPTION);
    EXPECT_EQ(error.code, kSubscriptOutOfRange);
    EXPECT_EQ(error.source, L"qnrZip.cAsyncUnzip");
}

TEST(AsyncUnzipJob, ListingWithTestZipTestsTheWholeArchiveWithoutNewTotals) {
    EventLog log;
    AsyncUnzip job(RecordingUnzipHandlers(log));
    ASSERT_HRESULT_SUCCEEDED(job.Create());
    Bstr archive(Work(L"peer.zip"));
    ASSERT_HRESULT_SUCCEEDED(job->put_ZipFile(archive.Get()));
    ASSERT_HRESULT_SUCCEEDED(job->put_Listing(VARIANT_TRUE));
    ASSERT_HRESULT_SUCCEEDED(job->put_TestZip(VARIANT_TRUE));
    ASSERT_HRESULT_SUCCEEDED(job->unzip());
    ASSERT_TRUE(PumpUntil([&] { return log.completes == 1; }));
    EXPECT_EQ(log.result, 0);
    EXPECT_GE(log.Count(L"Progress:"), 1u);
    EXPECT_EQ(log.lines.back(), L"Complete:0");
}

TEST(AsyncUnzipObject, TotalsStayUnsetAfterATestJob) {
    EventLog log;
    AsyncUnzip job(RecordingUnzipHandlers(log), false);
    ASSERT_HRESULT_SUCCEEDED(job.Create());
    Bstr archive(Work(L"peer.zip"));
    ASSERT_HRESULT_SUCCEEDED(job->put_ZipFile(archive.Get()));
    ASSERT_HRESULT_SUCCEEDED(job->put_Listing(VARIANT_TRUE));
    ASSERT_HRESULT_SUCCEEDED(job->put_TestZip(VARIANT_TRUE));
    ASSERT_HRESULT_SUCCEEDED(job->unzip());
    ASSERT_TRUE(WaitForCompletes(log, 1));
    LONG members = -1, total = -1;
    ASSERT_HRESULT_SUCCEEDED(job->get_NumMembers(&members));
    ASSERT_HRESULT_SUCCEEDED(job->get_TotalSize(&total));
    EXPECT_EQ(members, 0);
    EXPECT_EQ(total, 0);
}

TEST(AsyncUnzipObject, DirectoryIsSynchronousAndLeavesListingAsSet) {
    EventLog log;
    AsyncUnzip job(RecordingUnzipHandlers(log), false);
    ASSERT_HRESULT_SUCCEEDED(job.Create());
    Bstr archive(Work(L"peer.zip"));
    ASSERT_HRESULT_SUCCEEDED(job->put_ZipFile(archive.Get()));
    for (VARIANT_BOOL setting : {VARIANT_FALSE, VARIANT_TRUE}) {
        ASSERT_HRESULT_SUCCEEDED(job->put_Listing(setting));
        LONG code = -1;
        ASSERT_HRESULT_SUCCEEDED(job->Directory(&code));
        EXPECT_EQ(code, 0);
        VARIANT_BOOL listing = VARIANT_FALSE;
        ASSERT_HRESULT_SUCCEEDED(job->get_Listing(&listing));
        EXPECT_EQ(listing, setting);
    }
    LONG count = 0;
    ASSERT_HRESULT_SUCCEEDED(job->get_FileCount(&count));
    EXPECT_EQ(count, 6);
    EXPECT_EQ(log.completes, 0) << "Directory raises no Complete";

    Bstr folder(L"C:\\Temp");
    ASSERT_HRESULT_SUCCEEDED(job->put_UnzipFolder(folder.Get()));
    Bstr readBack;
    ASSERT_HRESULT_SUCCEEDED(job->get_UnzipFolder(readBack.Receive()));
    EXPECT_EQ(readBack.Text(), L"C:\\Temp\\");

    // A new archive empties the directory.
    ASSERT_HRESULT_SUCCEEDED(job->put_ZipFile(archive.Get()));
    ASSERT_HRESULT_SUCCEEDED(job->get_FileCount(&count));
    EXPECT_EQ(count, 0);
}

TEST(AsyncUnzipJob, ExtractsTheSelectedMembersOnly) {
    const std::wstring target = FreshWork(L"out\\selected");
    EventLog log;
    AsyncUnzip job(RecordingUnzipHandlers(log), false);
    ASSERT_HRESULT_SUCCEEDED(job.Create());
    Bstr archive(Work(L"peer.zip")), folder(target);
    ASSERT_HRESULT_SUCCEEDED(job->put_ZipFile(archive.Get()));
    LONG code = -1;
    ASSERT_HRESULT_SUCCEEDED(job->Directory(&code));
    LONG count = 0;
    job->get_FileCount(&count);
    for (LONG i = 1; i <= count; ++i) {
        Bstr name;
        job->get_Filename(i, name.Receive());
        if (name.Text() != L"c.txt") job->put_FileSelected(i, VARIANT_FALSE);
    }
    ASSERT_HRESULT_SUCCEEDED(job->put_UnzipFolder(folder.Get()));
    ASSERT_HRESULT_SUCCEEDED(job->put_UseFolderNames(VARIANT_TRUE));
    ASSERT_HRESULT_SUCCEEDED(job->unzip());
    ASSERT_TRUE(WaitForCompletes(log, 1));
    EXPECT_EQ(log.result, 0);
    EXPECT_EQ(ReadWholeFile(target + L"\\input\\sub\\c.txt"), ReadWholeFile(Work(L"input\\sub\\c.txt")));
    EXPECT_FALSE(FileExists(target + L"\\input\\a.txt"));
}

TEST(AsyncUnzipJob, UnansweredOverwritePromptKeepsTheExistingFile) {
    const std::wstring target = FreshWork(L"out\\overwrite");
    const std::wstring existing = target + L"\\a.txt";
    {
        HANDLE file = CreateFileW(existing.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        WriteFile(file, "ORIGINAL", 8, &written, nullptr);
        CloseHandle(file);
    }
    EventLog log;
    std::vector<std::wstring> prompted;
    UnzipEventHandlers handlers = RecordingUnzipHandlers(log);
    handlers.OverwritePrompt = [&prompted](const std::wstring& file, long& response) {
        EXPECT_EQ(response, 100);
        prompted.push_back(file);
    };
    AsyncUnzip job(std::move(handlers));
    ASSERT_HRESULT_SUCCEEDED(job.Create());
    Bstr archive(Work(L"peer.zip")), folder(target);
    ASSERT_HRESULT_SUCCEEDED(job->put_ZipFile(archive.Get()));
    ASSERT_HRESULT_SUCCEEDED(job->put_UnzipFolder(folder.Get()));
    ASSERT_HRESULT_SUCCEEDED(job->put_PromptToOverwrite(VARIANT_TRUE));
    ASSERT_HRESULT_SUCCEEDED(job->unzip());
    ASSERT_TRUE(WaitForCompletes(log, 1));

    ASSERT_EQ(prompted.size(), 1u);
    EXPECT_NE(prompted[0].find(L"a.txt"), std::wstring::npos);
    EXPECT_EQ(prompted[0].find(L'/'), std::wstring::npos) << "backslashes as separators";
    EXPECT_EQ(ReadWholeFile(existing), "ORIGINAL");
    EXPECT_EQ(ReadWholeFile(target + L"\\b.bin"), ReadWholeFile(Work(L"input\\b.bin")));
}

TEST(AsyncUnzipJob, NoSecondPasswordRequestAfterACancelledOne) {
    const std::wstring target = FreshWork(L"out\\cancelled-password");
    EventLog log;
    std::vector<std::wstring> asked;
    UnzipEventHandlers handlers = RecordingUnzipHandlers(log);
    handlers.PasswordRequest = [&asked](std::wstring&, bool& cancel, const std::wstring& file) {
        asked.push_back(file);
        cancel = true;
    };
    AsyncUnzip job(std::move(handlers));
    ASSERT_HRESULT_SUCCEEDED(job.Create());
    Bstr archive(Work(L"encrypted.zip")), folder(target);
    ASSERT_HRESULT_SUCCEEDED(job->put_ZipFile(archive.Get()));
    ASSERT_HRESULT_SUCCEEDED(job->put_UnzipFolder(folder.Get()));
    ASSERT_HRESULT_SUCCEEDED(job->unzip());
    ASSERT_TRUE(WaitForCompletes(log, 1));
    EXPECT_EQ(asked.size(), 1u) << "two encrypted members, one question";
    EXPECT_NE(log.result, 0);
    EXPECT_FALSE(FileExists(target + L"\\c.txt"));
}

TEST(AsyncUnzipJob, APasswordAnswerDecryptsEveryMember) {
    const std::wstring target = FreshWork(L"out\\password");
    EventLog log;
    int asked = 0;
    UnzipEventHandlers handlers = RecordingUnzipHandlers(log);
    handlers.PasswordRequest = [&asked](std::wstring& password, bool&, const std::wstring&) {
        ++asked;
        password = L"secret";
    };
    AsyncUnzip job(std::move(handlers));
    ASSERT_HRESULT_SUCCEEDED(job.Create());
    Bstr archive(Work(L"encrypted.zip")), folder(target);
    ASSERT_HRESULT_SUCCEEDED(job->put_ZipFile(archive.Get()));
    ASSERT_HRESULT_SUCCEEDED(job->put_UnzipFolder(folder.Get()));
    ASSERT_HRESULT_SUCCEEDED(job->unzip());
    ASSERT_TRUE(WaitForCompletes(log, 1));
    EXPECT_EQ(log.result, 0);
    EXPECT_GE(asked, 1);
    EXPECT_EQ(ReadWholeFile(target + L"\\a.txt"), ReadWholeFile(Work(L"input\\a.txt")));
    EXPECT_EQ(ReadWholeFile(target + L"\\c.txt"), ReadWholeFile(Work(L"input\\sub\\c.txt")));
}

// 1,099 members selected out of 1,100: too many names for one job. One
// Complete with the unzip library's "bad parameters" code, nothing written.
TEST(AsyncUnzipJob, TooManySelectedMembersEndWithCompleteTen) {
    const std::wstring target = FreshWork(L"out\\big");
    EventLog log;
    AsyncUnzip job(RecordingUnzipHandlers(log), false);
    ASSERT_HRESULT_SUCCEEDED(job.Create());
    Bstr archive(Work(L"big.zip")), folder(target);
    ASSERT_HRESULT_SUCCEEDED(job->put_ZipFile(archive.Get()));
    LONG code = -1, count = 0;
    ASSERT_HRESULT_SUCCEEDED(job->Directory(&code));
    ASSERT_HRESULT_SUCCEEDED(job->get_FileCount(&count));
    ASSERT_EQ(count, 1100);
    ASSERT_HRESULT_SUCCEEDED(job->put_FileSelected(1, VARIANT_FALSE));
    ASSERT_HRESULT_SUCCEEDED(job->put_UnzipFolder(folder.Get()));
    ASSERT_HRESULT_SUCCEEDED(job->unzip());
    ASSERT_TRUE(WaitForCompletes(log, 1));
    EXPECT_EQ(log.result, 10);
    EXPECT_EQ(log.Count(L"Complete:"), 1u);
    EXPECT_FALSE(FileExists(target + L"\\m0001.txt"));

    // Every member selected again: the whole archive, no names, no error.
    ASSERT_HRESULT_SUCCEEDED(job->put_FileSelected(1, VARIANT_TRUE));
    ASSERT_HRESULT_SUCCEEDED(job->unzip());
    ASSERT_TRUE(WaitForCompletes(log, 2));
    EXPECT_EQ(log.result, 0);
    EXPECT_EQ(ReadWholeFile(target + L"\\m1099.txt"), "1099");
}

TEST(AsyncUnzipObject, ValidationAndVersionRunWithinTheCall) {
    AsyncUnzip job{UnzipEventHandlers{}};
    ASSERT_HRESULT_SUCCEEDED(job.Create());
    Bstr archive(Work(L"peer.zip"));
    ASSERT_HRESULT_SUCCEEDED(job->put_ZipFile(archive.Get()));
    LONG code = -1;
    ASSERT_HRESULT_SUCCEEDED(job->IsValidArchive(&code));
    EXPECT_EQ(code, 0);
    Bstr notAnArchive(Work(L"input\\a.txt"));
    ASSERT_HRESULT_SUCCEEDED(job->put_ZipFile(notAnArchive.Get()));
    ASSERT_HRESULT_SUCCEEDED(job->IsValidArchive(&code));
    EXPECT_NE(code, 0);

    Bstr zipVersion, unzipVersion, date;
    ASSERT_HRESULT_SUCCEEDED(job->GetVersion(zipVersion.Receive(), unzipVersion.Receive(), date.Receive()));
    EXPECT_FALSE(zipVersion.Text().empty());
    EXPECT_NE(unzipVersion.Text().find(L'.'), std::wstring::npos);
}

// ---------------------------------------------------------------------------
// Server lifetime

TEST(ServerLifetime, TheProcessEndsWhenTheLastObjectGoes) {
    {
        AsyncZip zip{ZipEventHandlers{}};
        AsyncUnzip unzip{UnzipEventHandlers{}};
        ASSERT_HRESULT_SUCCEEDED(zip.Create());
        ASSERT_HRESULT_SUCCEEDED(unzip.Create());
        EXPECT_EQ(ServerProcessCount(), 1) << "one server serves every object";
        zip.Release();
        PumpUntil([] { return false; }, 300);
        EXPECT_EQ(ServerProcessCount(), 1) << "an object is still held";
    }
    EXPECT_TRUE(PumpUntil([] { return ServerProcessCount() == 0; }));
}

}  // namespace
