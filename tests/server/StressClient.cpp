// One of several client processes started at once by the lifetime tests:
// each round creates a cAsyncUnzip, lists a small archive through it and
// releases it, then creates a cAsyncZip, writes an archive and releases
// it, so that activations keep meeting servers that are ending.
//
//   qnrzip_stress_client.exe ROUNDS TAG
//
// Prints one line per failure. The exit code is the number of failed
// creations or jobs (0 when every creation worked and every job ended
// with Complete 0).
#include "ComSupport.h"
#include "QnrZipClient.h"
#include "ServerTestSupport.h"

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

using qnr::Bstr;
using qnr::client::AsyncUnzip;
using qnr::client::AsyncZip;
using qnr::client::UnzipEventHandlers;
using qnr::client::ZipEventHandlers;

constexpr DWORD kJobLimitMs = 30000;

struct Outcome {
    int completes = 0;
    long result = -1;
};

int Fail(const char* what, int round, long code) {
    std::printf("round %d: %s 0x%08lX\n", round, what, static_cast<unsigned long>(code));
    std::fflush(stdout);
    return 1;
}

int ListOnce(int round) {
    Outcome outcome;
    UnzipEventHandlers handlers;
    handlers.Complete = [&outcome](long result) {
        outcome.result = result;
        ++outcome.completes;
    };
    AsyncUnzip job(std::move(handlers));
    const HRESULT created = job.Create();
    if (FAILED(created)) return Fail("cAsyncUnzip not created", round, created);
    Bstr archive(WorkFolder() + L"peer.zip");
    job->put_ZipFile(archive.Get());
    job->put_Listing(VARIANT_TRUE);
    const HRESULT started = job->unzip();
    if (FAILED(started)) return Fail("unzip refused", round, started);
    if (!PumpUntil([&] { return outcome.completes > 0; }, kJobLimitMs))
        return Fail("listing never completed", round, 0);
    return outcome.result == 0 ? 0 : Fail("listing failed", round, outcome.result);
}

int ZipOnce(int round, const std::wstring& tag) {
    Outcome outcome;
    ZipEventHandlers handlers;
    handlers.Complete = [&outcome](long result) {
        outcome.result = result;
        ++outcome.completes;
    };
    AsyncZip job(std::move(handlers));
    const HRESULT created = job.Create();
    if (FAILED(created)) return Fail("cAsyncZip not created", round, created);
    const std::wstring archivePath = WorkFolder() + L"out\\stress-" + tag + L".zip";
    DeleteFileW(archivePath.c_str());
    Bstr archive(archivePath), base(WorkFolder() + L"input"), spec(L"a.txt");
    job->put_ZipFile(archive.Get());
    job->put_BasePath(base.Get());
    LONG added = -1;
    job->AddFileSpec(spec.Get(), &added);
    const HRESULT started = job->Zip();
    if (FAILED(started)) return Fail("Zip refused", round, started);
    if (!PumpUntil([&] { return outcome.completes > 0; }, kJobLimitMs)) return Fail("zip never completed", round, 0);
    return outcome.result == 0 ? 0 : Fail("zip failed", round, outcome.result);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    qnr::client::ClientApartment apartment;
    if (FAILED(apartment.Result()) || argc < 3) return 100;
    const int rounds = _wtoi(argv[1]);
    const std::wstring tag = argv[2];
    int failures = 0;
    for (int round = 0; round < rounds; ++round) {
        failures += ListOnce(round);
        failures += ZipOnce(round, tag);
    }
    return failures;
}
