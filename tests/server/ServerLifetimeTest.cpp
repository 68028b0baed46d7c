// How long qnrZip lives when several clients come and go at once, how it
// holds up over many jobs, and what a client sees when its server dies.
#include "ComSupport.h"
#include "QnrZipClient.h"
#include "ServerTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using qnr::Bstr;
using qnr::client::AsyncUnzip;
using qnr::client::AsyncZip;
using qnr::client::UnzipEventHandlers;
using qnr::client::ZipEventHandlers;

std::wstring Work(const std::wstring& relative) { return WorkFolder() + relative; }

struct Outcome {
    int completes = 0;
    long result = -1;
};

ZipEventHandlers CountingHandlers(Outcome& outcome) {
    ZipEventHandlers handlers;
    handlers.Complete = [&outcome](long result) {
        outcome.result = result;
        ++outcome.completes;
    };
    return handlers;
}

void PrepareSmallJob(_cAsyncZip* zip, const std::wstring& archive) {
    DeleteFileW(archive.c_str());
    Bstr path(archive), base(Work(L"input")), spec(L"a.txt");
    zip->put_ZipFile(path.Get());
    zip->put_BasePath(base.Get());
    LONG added = -1;
    zip->AddFileSpec(spec.Get(), &added);
}

// Starts the stress client with `arguments`; the handle is null on failure.
HANDLE StartStressClient(const std::wstring& arguments) {
    const std::wstring exe = ProgramFolder() + L"\\qnrzip_stress_client.exe";
    std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return nullptr;
    CloseHandle(info.hThread);
    return info.hProcess;
}

// Three clients create, use and release objects at the same time, so that
// activations keep reaching servers that are deciding to end: no creation
// may fail, every job must complete, and no server outlives its clients.
TEST(ServerLifetime, ThreeClientProcessesAtOnceNeverFailACreationAndNoServerOutlivesThem) {
    ASSERT_TRUE(PumpUntil([] { return ServerProcessCount() == 0; }, 10000));
    std::vector<HANDLE> clients;
    for (const wchar_t* tag : {L"un", L"deux", L"trois"}) {
        HANDLE client = StartStressClient(std::wstring(L"12 ") + tag);
        ASSERT_NE(client, nullptr);
        clients.push_back(client);
    }
    for (size_t i = 0; i < clients.size(); ++i) {
        EXPECT_EQ(WaitForSingleObject(clients[i], 240000), WAIT_OBJECT_0) << "client " << i << " never ended";
        DWORD failures = STILL_ACTIVE;
        GetExitCodeProcess(clients[i], &failures);
        EXPECT_EQ(failures, 0u) << "failed creations or jobs in client " << i;
        TerminateProcess(clients[i], 99);
        CloseHandle(clients[i]);
    }
    EXPECT_TRUE(PumpUntil([] { return ServerProcessCount() == 0; }, 10000)) << "a server outlived its clients";
}

// One client runs 500 jobs, each on a new object, while a second object
// keeps the same server alive: the server's memory must not grow with the
// number of jobs.
// Known fault, left visible: the server grows by about 2 kB a job with a
// new object per job, about 5 kB a job when one object runs them all, so
// the growth is in the job path, not in the objects' marshalling. Enable
// once it is found.
TEST(ServerLifetime, DISABLED_FiveHundredJobsBackToBackKeepTheServerMemoryStable) {
    AsyncUnzip keeper{UnzipEventHandlers{}};
    ASSERT_HRESULT_SUCCEEDED(keeper.Create());
    const std::vector<DWORD> servers = ServerProcessIds();
    ASSERT_EQ(servers.size(), 1u);
    SIZE_T atJob100 = 0, atJob300 = 0;
    for (int job = 1; job <= 500; ++job) {
        Outcome outcome;
        AsyncZip zip(CountingHandlers(outcome));
        ASSERT_HRESULT_SUCCEEDED(zip.Create()) << "job " << job;
        PrepareSmallJob(zip.Object(), Work(L"out\\five-hundred.zip"));
        ASSERT_HRESULT_SUCCEEDED(zip->Zip()) << "job " << job;
        ASSERT_TRUE(PumpUntil([&] { return outcome.completes == 1; }, 30000)) << "job " << job;
        ASSERT_EQ(outcome.result, 0) << "job " << job;
        if (job == 100) atJob100 = PrivateBytesOf(servers[0]);
        if (job == 300) atJob300 = PrivateBytesOf(servers[0]);
    }
    EXPECT_EQ(ServerProcessIds(), servers) << "one server ran every job";
    ASSERT_GT(atJob100, 0u);
    const long long growth = static_cast<long long>(atJob300) - static_cast<long long>(atJob100);
    std::printf("server private bytes: %llu at job 100, %llu at job 300\n", static_cast<unsigned long long>(atJob100),
                static_cast<unsigned long long>(atJob300));
    EXPECT_LT(growth, 128 * 1024) << "about " << growth / 200 << " bytes more per job";
}

// The server dies while the client answers one of its events: its
// Complete never comes, and the client learns that the server is gone.
TEST(ServerLifetime, AServerKilledDuringAJobIsSeenLostAndNoCompleteComes) {
    Outcome outcome;
    ZipEventHandlers handlers = CountingHandlers(outcome);
    bool killed = false;
    handlers.Progress = [&killed](const std::wstring&) {
        if (killed) return;
        for (DWORD id : ServerProcessIds()) killed = KillProcess(id) || killed;
    };
    AsyncZip job(std::move(handlers));
    ASSERT_HRESULT_SUCCEEDED(job.Create());
    job.WatchServer();
    PrepareSmallJob(job.Object(), Work(L"out\\killed.zip"));
    ASSERT_HRESULT_SUCCEEDED(job->Zip());
    ASSERT_TRUE(PumpUntil([&] { return killed; }, 30000));
    EXPECT_TRUE(PumpUntil([&] { return job.ServerLost(); }, 10000));
    EXPECT_EQ(outcome.completes, 0);
    ForgetKilledServers();

    // A new job starts a new server.
    Outcome next;
    AsyncZip again(CountingHandlers(next));
    ASSERT_HRESULT_SUCCEEDED(again.Create());
    EXPECT_FALSE(again.ServerLost());
    PrepareSmallJob(again.Object(), Work(L"out\\after-kill.zip"));
    ASSERT_HRESULT_SUCCEEDED(again->Zip());
    ASSERT_TRUE(PumpUntil([&] { return next.completes == 1; }, 30000));
    EXPECT_EQ(next.result, 0);
}

}  // namespace
