// The qnrZip server's zip objects driven by a real client in another
// process, through the wrapper Bralto uses: deferred start, events with
// their answers, Complete once per job, refusal while running, and the
// properties across the process boundary. Archives written here are
// checked again by Info-ZIP and Python in the native step that follows.
#include "ClientJobSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// Members of an archive as the server lists them, "folder\name" each.
std::vector<std::wstring> ListMembers(const std::wstring& archive) {
    AsyncUnzip unzip{UnzipEventHandlers{}};
    HRESULT created = unzip.Create();
    EXPECT_HRESULT_SUCCEEDED(created);
    if (FAILED(created)) return {};
    Bstr path(archive);
    unzip->put_ZipFile(path.Get());
    LONG code = -1;
    EXPECT_HRESULT_SUCCEEDED(unzip->Directory(&code));
    EXPECT_EQ(code, 0) << "listing " << std::string(archive.begin(), archive.end());
    LONG count = 0;
    unzip->get_FileCount(&count);
    std::vector<std::wstring> members;
    for (LONG i = 1; i <= count; ++i) {
        Bstr folder, name;
        unzip->get_FileDirectory(i, folder.Receive());
        unzip->get_Filename(i, name.Receive());
        members.push_back(folder.Text().empty() ? name.Text() : folder.Text() + L"\\" + name.Text());
    }
    return members;
}

void SetText(_cAsyncZip* zip, HRESULT (STDMETHODCALLTYPE _cAsyncZip::*setter)(BSTR), const std::wstring& text) {
    Bstr value(text);
    ASSERT_HRESULT_SUCCEEDED((zip->*setter)(value.Get()));
}

void AddSpec(_cAsyncZip* zip, const std::wstring& spec) {
    Bstr value(spec);
    LONG result = -1;
    ASSERT_HRESULT_SUCCEEDED(zip->AddFileSpec(value.Get(), &result));
    EXPECT_EQ(result, 0);
}

// The three input files, stored with their folders, relative to input\.
void PrepareInputJob(_cAsyncZip* zip, const std::wstring& archive) {
    DeleteFileW(archive.c_str());
    SetText(zip, &_cAsyncZip::put_ZipFile, archive);
    SetText(zip, &_cAsyncZip::put_BasePath, Work(L"input"));
    ASSERT_HRESULT_SUCCEEDED(zip->put_StoreFolderNames(VARIANT_TRUE));
    AddSpec(zip, L"a.txt");
    AddSpec(zip, L"b.bin");
    AddSpec(zip, L"sub\\c.txt");
}

TEST(AsyncZipJob, ZipReturnsBeforeAnyEventThenProgressThenCompleteWithAValidArchive) {
    EventLog log;
    AsyncZip job(RecordingZipHandlers(log));
    ASSERT_HRESULT_SUCCEEDED(job.Create());
    PrepareInputJob(job.Object(), Work(L"out\\basic.zip"));

    ASSERT_HRESULT_SUCCEEDED(job->Zip());
    EXPECT_TRUE(log.lines.empty()) << "an event arrived before Zip returned";

    ASSERT_TRUE(WaitForCompletes(log, 1));
    EXPECT_EQ(log.result, 0);
    ASSERT_FALSE(log.lines.empty());
    EXPECT_EQ(log.lines.back(), L"Complete:0");
    EXPECT_GE(log.Count(L"Progress:"), 3u);
    EXPECT_TRUE(log.Contains(L"adding: a.txt"));
    EXPECT_TRUE(log.Contains(L"adding: sub\\c.txt")) << "slashes become backslashes";
    EXPECT_GE(log.Count(L"Cancel:"), 3u);
    EXPECT_FALSE(job) << "the wrapper lets the object go after Complete";

    EXPECT_EQ(ListMembers(Work(L"out\\basic.zip")), (std::vector<std::wstring>{L"a.txt", L"b.bin", L"sub\\c.txt"}));
}

TEST(AsyncZipJob, CancelAnsweredTrueStopsWithExactlyOneCompleteAndKeepsTheArchive) {
    const std::wstring archive = Work(L"out\\cancel.zip");
    ASSERT_TRUE(CopyFileW(Work(L"peer.zip").c_str(), archive.c_str(), FALSE));
    const std::string before = ReadWholeFile(archive);

    EventLog log;
    ZipEventHandlers handlers = RecordingZipHandlers(log);
    handlers.Cancel = [&log](const std::wstring& entry, bool& cancel) {
        log.lines.push_back(L"Cancel:" + entry);
        cancel = true;
    };
    AsyncZip job(std::move(handlers), false);
    ASSERT_HRESULT_SUCCEEDED(job.Create());
    SetText(job.Object(), &_cAsyncZip::put_ZipFile, archive);
    SetText(job.Object(), &_cAsyncZip::put_BasePath, Work(L"many"));
    AddSpec(job.Object(), L"*.txt");
    ASSERT_HRESULT_SUCCEEDED(job->Zip());

    ASSERT_TRUE(WaitForCompletes(log, 1));
    RoundTripToServer();
    EXPECT_EQ(log.completes, 1);
    EXPECT_NE(log.result, 0) << "the library's code for an interrupted job";
    EXPECT_EQ(log.Count(L"Cancel:"), 1u) << "the job stops at the first answer";
    EXPECT_EQ(ReadWholeFile(archive), before);
}

TEST(AsyncZipJob, TwoObjectsStartedBackToBackRunOneAfterTheOther) {
    std::vector<std::wstring> order;
    auto handlersFor = [&order](const std::wstring& tag, int& completes) {
        ZipEventHandlers handlers;
        handlers.Progress = [&order, tag](const std::wstring&) { order.push_back(tag + L":Progress"); };
        handlers.Complete = [&order, &completes, tag](long result) {
            order.push_back(tag + L":Complete" + std::to_wstring(result));
            ++completes;
        };
        return handlers;
    };
    int firstCompletes = 0, secondCompletes = 0;
    AsyncZip first(handlersFor(L"first", firstCompletes));
    AsyncZip second(handlersFor(L"second", secondCompletes));
    ASSERT_HRESULT_SUCCEEDED(first.Create());
    ASSERT_HRESULT_SUCCEEDED(second.Create());
    PrepareInputJob(first.Object(), Work(L"out\\first.zip"));
    PrepareInputJob(second.Object(), Work(L"out\\second.zip"));

    ASSERT_HRESULT_SUCCEEDED(first->Zip());
    ASSERT_HRESULT_SUCCEEDED(second->Zip());
    ASSERT_TRUE(PumpUntil([&] { return firstCompletes == 1 && secondCompletes == 1; }));

    auto firstComplete = std::find(order.begin(), order.end(), L"first:Complete0");
    ASSERT_NE(firstComplete, order.end());
    for (auto it = order.begin(); it != firstComplete; ++it) EXPECT_EQ(it->rfind(L"first:", 0), 0u) << *it;
    for (auto it = firstComplete + 1; it != order.end(); ++it) EXPECT_EQ(it->rfind(L"second:", 0), 0u) << *it;
    EXPECT_EQ(order.back(), L"second:Complete0");
}

TEST(AsyncZipJob, ZipFromInsideCompleteIsRefusedWithAlreadyRunning) {
    EventLog log;
    HRESULT earlyBound = S_OK;
    HRESULT lateBound = S_OK;
    EXCEPINFO exception{};
    AsyncZip* jobPointer = nullptr;

    ZipEventHandlers handlers = RecordingZipHandlers(log);
    handlers.Complete = [&](long result) {
        log.result = result;
        ++log.completes;
        earlyBound = (*jobPointer)->Zip();

        DISPID zipId = 0;
        LPOLESTR name = const_cast<LPOLESTR>(L"Zip");
        (*jobPointer)->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &zipId);
        DISPPARAMS none{};
        lateBound =
            (*jobPointer)
                ->Invoke(zipId, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, nullptr, &exception, nullptr);
    };
    AsyncZip job(std::move(handlers), false);
    jobPointer = &job;
    ASSERT_HRESULT_SUCCEEDED(job.Create());
    PrepareInputJob(job.Object(), Work(L"out\\refused.zip"));
    ASSERT_HRESULT_SUCCEEDED(job->Zip());
    ASSERT_TRUE(WaitForCompletes(log, 1));

    EXPECT_EQ(earlyBound, kAlreadyRunning);
    EXPECT_EQ(lateBound, DISP_E_EXCEPTION);
    EXPECT_EQ(exception.scode, kAlreadyRunning);
    EXPECT_EQ(qnr::FromBstr(exception.bstrSource), L"qnrZip.cAsyncZip");
    EXPECT_EQ(qnr::FromBstr(exception.bstrDescription), L"Already running.");
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);

    // Once Complete has returned the object takes a new job.
    RoundTripToServer();
    EXPECT_EQ(log.completes, 1) << "the refused calls started nothing";
    ASSERT_HRESULT_SUCCEEDED(job->Zip());
    ASSERT_TRUE(WaitForCompletes(log, 2));
}

TEST(AsyncZipJob, ZipWhileQueuedIsRefusedAndTheQueuedJobStillRuns) {
    EventLog log;
    AsyncZip job(RecordingZipHandlers(log));
    ASSERT_HRESULT_SUCCEEDED(job.Create());
    PrepareInputJob(job.Object(), Work(L"out\\queued.zip"));
    ASSERT_HRESULT_SUCCEEDED(job->Zip());
    EXPECT_EQ(job->Zip(), kAlreadyRunning);
    ASSERT_TRUE(WaitForCompletes(log, 1));
    RoundTripToServer();
    EXPECT_EQ(log.completes, 1);
    EXPECT_EQ(log.result, 0);
}

TEST(AsyncZipJob, ReleasingTheObjectRightAfterZipStillWritesTheArchive) {
    const std::wstring archive = Work(L"out\\released.zip");
    {
        AsyncZip job{ZipEventHandlers{}};
        ASSERT_HRESULT_SUCCEEDED(job.Create());
        PrepareInputJob(job.Object(), archive);
        ASSERT_HRESULT_SUCCEEDED(job->Zip());
    }  // released before the job starts
    ASSERT_TRUE(PumpUntil([&] { return ServerProcessCount() == 0; })) << "the server ends once the job is done";
    EXPECT_EQ(ListMembers(archive), (std::vector<std::wstring>{L"a.txt", L"b.bin", L"sub\\c.txt"}));
}

TEST(AsyncZipJob, PasswordAndCommentAnswersReachTheLibrary) {
    EventLog log;
    int passwordRequests = 0, commentRequests = 0;
    ZipEventHandlers handlers = RecordingZipHandlers(log);
    handlers.PasswordRequest = [&](std::wstring& password, bool&) {
        ++passwordRequests;
        password = L"secret";
    };
    handlers.CommentRequest = [&](std::wstring& comment, bool&, bool&) {
        ++commentRequests;
        comment = L"Archive de qnrZip";
    };
    AsyncZip job(std::move(handlers));
    ASSERT_HRESULT_SUCCEEDED(job.Create());
    PrepareInputJob(job.Object(), Work(L"out\\secret.zip"));
    ASSERT_HRESULT_SUCCEEDED(job->put_Encrypt(VARIANT_TRUE));
    ASSERT_HRESULT_SUCCEEDED(job->put_AddComment(VARIANT_TRUE));
    ASSERT_HRESULT_SUCCEEDED(job->Zip());
    ASSERT_TRUE(WaitForCompletes(log, 1));
    EXPECT_EQ(log.result, 0);
    EXPECT_EQ(passwordRequests, 1) << "asked once per job";
    EXPECT_EQ(commentRequests, 1);
}

TEST(AsyncZipJob, DeleteEntriesStaysSetAndDeletesAgainOnTheNextZip) {
    const std::wstring archive = Work(L"out\\delete.zip");
    ASSERT_TRUE(CopyFileW(Work(L"peer.zip").c_str(), archive.c_str(), FALSE));
    EventLog log;
    AsyncZip job(RecordingZipHandlers(log), false);
    ASSERT_HRESULT_SUCCEEDED(job.Create());
    SetText(job.Object(), &_cAsyncZip::put_ZipFile, archive);
    ASSERT_HRESULT_SUCCEEDED(job->put_DeleteEntries(VARIANT_TRUE));
    AddSpec(job.Object(), L"input/a.txt");
    ASSERT_HRESULT_SUCCEEDED(job->Zip());
    ASSERT_TRUE(WaitForCompletes(log, 1));
    EXPECT_EQ(log.result, 0);
    EXPECT_TRUE(log.Contains(L"deleting: input\\a.txt"));

    VARIANT_BOOL stillSet = VARIANT_FALSE;
    ASSERT_HRESULT_SUCCEEDED(job->get_DeleteEntries(&stillSet));
    EXPECT_EQ(stillSet, VARIANT_TRUE);
    ASSERT_HRESULT_SUCCEEDED(job->ClearFileSpecs());
    AddSpec(job.Object(), L"input/b.bin");
    ASSERT_HRESULT_SUCCEEDED(job->Zip());
    ASSERT_TRUE(WaitForCompletes(log, 2));
    EXPECT_EQ(log.result, 0);
    job.Release();

    std::vector<std::wstring> members = ListMembers(archive);
    EXPECT_EQ(members, (std::vector<std::wstring>{L"input\\sub\\c.txt"}));
}

// A job the library cannot be given (more than 1023 names) still ends with
// one Complete carrying the zip library's "bad command parameters" code,
// says why in a Progress line, and leaves the object ready for a new job.
TEST(AsyncZipJob, TooManyNamesEndWithCompleteSixteenAndTheObjectFree) {
    // The second job below writes the archive: a repeated run starts clean.
    DeleteFileW(Work(L"out\\too-many.zip").c_str());
    EventLog log;
    AsyncZip job(RecordingZipHandlers(log), false);
    ASSERT_HRESULT_SUCCEEDED(job.Create());
    SetText(job.Object(), &_cAsyncZip::put_ZipFile, Work(L"out\\too-many.zip"));
    for (int i = 0; i < 1024; ++i) AddSpec(job.Object(), L"name" + std::to_wstring(i));
    ASSERT_HRESULT_SUCCEEDED(job->Zip());
    ASSERT_TRUE(WaitForCompletes(log, 1));
    EXPECT_EQ(log.result, 16);
    ASSERT_EQ(log.lines.size(), 2u);
    EXPECT_EQ(log.lines[0].rfind(L"Progress:", 0), 0u);
    EXPECT_FALSE(FileExists(Work(L"out\\too-many.zip")));

    ASSERT_HRESULT_SUCCEEDED(job->ClearFileSpecs());
    AddSpec(job.Object(), L"a.txt");
    SetText(job.Object(), &_cAsyncZip::put_BasePath, Work(L"input"));
    ASSERT_HRESULT_SUCCEEDED(job->Zip()) << "IsRunning was cleared";
    ASSERT_TRUE(WaitForCompletes(log, 2));
    EXPECT_EQ(log.result, 0);
}

TEST(AsyncZipObject, PropertiesKeepTheEngineRulesAcrossTheProcessBoundary) {
    AsyncZip job{ZipEventHandlers{}};
    ASSERT_HRESULT_SUCCEEDED(job.Create());
    VARIANT_BOOL flag = VARIANT_FALSE;
    ASSERT_HRESULT_SUCCEEDED(job->get_StoreDirectories(&flag));
    EXPECT_EQ(flag, VARIANT_TRUE);
    ASSERT_HRESULT_SUCCEEDED(job->get_StoreFolderNames(&flag));
    EXPECT_EQ(flag, VARIANT_FALSE);
    EZPMsgLevel level = ezpAllMessages;
    ASSERT_HRESULT_SUCCEEDED(job->get_MessageLevel(&level));
    EXPECT_EQ(level, ezpNoMessages);

    EZPCompLevel compression = ezpNone;
    ASSERT_HRESULT_SUCCEEDED(job->get_CompressionLevel(&compression));
    EXPECT_EQ(compression, ezpDefault);
    ASSERT_HRESULT_SUCCEEDED(job->put_CompressionLevel(static_cast<EZPCompLevel>(4)));
    ASSERT_HRESULT_SUCCEEDED(job->get_CompressionLevel(&compression));
    EXPECT_EQ(compression, 4);

    ASSERT_HRESULT_SUCCEEDED(job->put_RecurseSubDirs(VARIANT_TRUE));
    ASSERT_HRESULT_SUCCEEDED(job->get_RecurseSubDirs(&flag));
    EXPECT_EQ(flag, VARIANT_TRUE);

    AddSpec(job.Object(), L"*.txt");
    LONG count = 0;
    ASSERT_HRESULT_SUCCEEDED(job->get_FileSpecCount(&count));
    EXPECT_EQ(count, 1);
    qnr::Variant spec;
    ASSERT_HRESULT_SUCCEEDED(job->get_FileSpec(1, spec.Receive()));
    ASSERT_EQ(V_VT(spec.Get()), VT_BSTR);
    EXPECT_EQ(qnr::FromBstr(V_BSTR(spec.Get())), L"*.txt");

    EXPECT_EQ(job->get_FileSpec(2, spec.Receive()), kSubscriptOutOfRange);
    EXPECT_EQ(job->get_FileSpec(0, spec.Receive()), kSubscriptOutOfRange);
    LateBoundError error = ReadIndexedLateBound(job.Object(), L"FileSpec", 2);
    EXPECT_EQ(error.result, DISP_E_EXCEPTION);
    EXPECT_EQ(error.code, kSubscriptOutOfRange);
    EXPECT_EQ(error.source, L"qnrZip.cAsyncZip");
    EXPECT_FALSE(error.description.empty());
}

}  // namespace
