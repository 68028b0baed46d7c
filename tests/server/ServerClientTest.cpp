// The qnrZip server driven by a real client in another process, through
// the wrapper Bralto uses: deferred start, events with their answers,
// Complete once per job, refusal while running, lifetime of objects and of
// the server process. Archives written here are checked again by Info-ZIP
// and Python in the native step that follows.
#include "ComSupport.h"
#include "QnrZipClient.h"
#include "ServerTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

using qnr::Bstr;
using qnr::ComPtr;
using qnr::client::AsyncUnzip;
using qnr::client::AsyncZip;
using qnr::client::UnzipEventHandlers;
using qnr::client::ZipEventHandlers;

constexpr HRESULT kAlreadyRunning = static_cast<HRESULT>(0x800A7F1C);       // error 32540
constexpr HRESULT kSubscriptOutOfRange = static_cast<HRESULT>(0x800A0009);  // error 9

std::wstring Work(const std::wstring& relative) { return WorkFolder() + relative; }

// Everything a job's listener saw, in order, as "Event:argument" lines.
struct EventLog {
    std::vector<std::wstring> lines;
    int completes = 0;
    long result = -1;

    size_t Count(const std::wstring& prefix) const {
        size_t count = 0;
        for (const auto& line : lines)
            if (line.rfind(prefix, 0) == 0) ++count;
        return count;
    }
    bool Contains(const std::wstring& text) const {
        for (const auto& line : lines)
            if (line.find(text) != std::wstring::npos) return true;
        return false;
    }
};

ZipEventHandlers RecordingZipHandlers(EventLog& log) {
    ZipEventHandlers handlers;
    handlers.Progress = [&log](const std::wstring& line) { log.lines.push_back(L"Progress:" + line); };
    handlers.Cancel = [&log](const std::wstring& entry, bool&) { log.lines.push_back(L"Cancel:" + entry); };
    handlers.Complete = [&log](long result) {
        log.lines.push_back(L"Complete:" + std::to_wstring(result));
        log.result = result;
        ++log.completes;
    };
    return handlers;
}

UnzipEventHandlers RecordingUnzipHandlers(EventLog& log) {
    UnzipEventHandlers handlers;
    handlers.Progress = [&log](const std::wstring& line) { log.lines.push_back(L"Progress:" + line); };
    handlers.Cancel = [&log](const std::wstring& entry, bool&) { log.lines.push_back(L"Cancel:" + entry); };
    handlers.Complete = [&log](long result) {
        log.lines.push_back(L"Complete:" + std::to_wstring(result));
        log.result = result;
        ++log.completes;
    };
    return handlers;
}

bool WaitForCompletes(const EventLog& log, int count) {
    return PumpUntil([&] { return log.completes >= count; });
}

// A round trip to a fresh server object: events already sent to this
// process have been served once it returns.
void RoundTripToServer() {
    AsyncUnzip probe{UnzipEventHandlers{}};
    ASSERT_HRESULT_SUCCEEDED(probe.Create());
    LONG count = -1;
    ASSERT_HRESULT_SUCCEEDED(probe->get_FileCount(&count));
    PumpUntil([] { return false; }, 200);
}

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

// Reads the indexed property `name` at `index` late-bound and returns the
// automation error it raised (EXCEPINFO): what a script client sees. Wine
// does not carry IErrorInfo back through the early-bound proxy, so rich
// errors are checked on this path.
struct LateBoundError {
    HRESULT result = S_OK;
    HRESULT code = S_OK;
    std::wstring source;
    std::wstring description;
};

LateBoundError ReadIndexedLateBound(IDispatch* object, const wchar_t* name, long index) {
    LateBoundError error;
    DISPID id = 0;
    LPOLESTR names = const_cast<LPOLESTR>(name);
    error.result = object->GetIDsOfNames(IID_NULL, &names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(error.result)) return error;
    VARIANTARG argument;
    VariantInit(&argument);
    V_VT(&argument) = VT_I4;
    V_I4(&argument) = index;
    DISPPARAMS parameters{&argument, nullptr, 1, 0};
    qnr::Variant result;
    EXCEPINFO exception{};
    error.result = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &parameters, result.Get(),
                                  &exception, nullptr);
    error.code = exception.scode;
    error.source = qnr::FromBstr(exception.bstrSource);
    error.description = qnr::FromBstr(exception.bstrDescription);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    return error;
}

// ---------------------------------------------------------------------------
// Zip jobs

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

// ---------------------------------------------------------------------------
// Unzip jobs

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
    const std::wstring target = Work(L"out\\selected");
    CreateDirectoryW(target.c_str(), nullptr);
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
    const std::wstring target = Work(L"out\\overwrite");
    CreateDirectoryW(target.c_str(), nullptr);
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
    const std::wstring target = Work(L"out\\cancelled-password");
    CreateDirectoryW(target.c_str(), nullptr);
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
    const std::wstring target = Work(L"out\\password");
    CreateDirectoryW(target.c_str(), nullptr);
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
    const std::wstring target = Work(L"out\\big");
    CreateDirectoryW(target.c_str(), nullptr);
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
