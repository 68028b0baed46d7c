// Figures for the qnrZip server (not a test): events per second across the
// process boundary, and a zip job of every file of a folder run through the
// server against the same job run in-process by the engine's cZip.
//   qnrzip_bench.exe INPUT_FOLDER OUTPUT_FOLDER
#include "QnrZipClient.h"
#include "ServerTestSupport.h"
#include "cZip.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Counts {
    long progress = 0;
    long cancel = 0;
    long result = -1;
    bool complete = false;
};

class CountingListener : public bralto::IZipEvents {
public:
    explicit CountingListener(Counts& counts) : counts_(counts) {}
    void Progress(const std::wstring&) override { ++counts_.progress; }
    void Cancel(const std::wstring&, bool&) override { ++counts_.cancel; }
    void PasswordRequest(std::wstring&, bool&) override {}
    void CommentRequest(std::wstring&, bool&, bool&) override {}

private:
    Counts& counts_;
};

struct ServerRun {
    double createMs = 0;
    double jobMs = 0;
    Counts counts;
};

ServerRun ZipThroughServer(const std::wstring& input, const std::wstring& archive) {
    ServerRun run;
    qnr::client::ZipEventHandlers handlers;
    handlers.Progress = [&run](const std::wstring&) { ++run.counts.progress; };
    handlers.Cancel = [&run](const std::wstring&, bool&) { ++run.counts.cancel; };
    handlers.Complete = [&run](long result) {
        run.counts.result = result;
        run.counts.complete = true;
    };
    qnr::client::AsyncZip job(std::move(handlers));
    DeleteFileW(archive.c_str());

    auto start = Clock::now();
    if (FAILED(job.Create())) return run;
    run.createMs = MillisecondsSince(start);

    qnr::Bstr zipFile(archive), basePath(input), spec(L"*.txt");
    job->put_ZipFile(zipFile.Get());
    job->put_BasePath(basePath.Get());
    job->put_MessageLevel(ezpAllMessages);
    LONG added = 0;
    job->AddFileSpec(spec.Get(), &added);

    start = Clock::now();
    job->Zip();
    PumpUntil([&run] { return run.counts.complete; }, 600000);
    run.jobMs = MillisecondsSince(start);
    return run;
}

ServerRun ZipInProcess(const std::wstring& input, const std::wstring& archive) {
    ServerRun run;
    CountingListener listener(run.counts);
    bralto::cZip zip;
    zip.SetListener(&listener);
    zip.ZipFile(archive);
    zip.BasePath(input);
    zip.MessageLevel(0);
    zip.AddFileSpec(L"*.txt");
    DeleteFileW(archive.c_str());
    auto start = Clock::now();
    run.counts.result = zip.Zip();
    run.jobMs = MillisecondsSince(start);
    run.counts.complete = true;
    return run;
}

std::wstring Widen(const char* text) {
    std::wstring wide;
    for (; *text; ++text) wide += static_cast<wchar_t>(static_cast<unsigned char>(*text));
    return wide;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: qnrzip_bench INPUT_FOLDER OUTPUT_FOLDER\n");
        return 2;
    }
    const std::wstring input = Widen(argv[1]);
    const std::wstring output = Widen(argv[2]);
    qnr::client::ClientApartment apartment;

    // Another object keeps the server running between the two jobs, so the
    // second creation shows the cost of an object alone.
    qnr::client::AsyncUnzip keepAlive{qnr::client::UnzipEventHandlers{}};
    ServerRun first = ZipThroughServer(input, output + L"\\server-first.zip");
    keepAlive.Create();
    ServerRun server = ZipThroughServer(input, output + L"\\server.zip");
    keepAlive.Release();
    ServerRun local = ZipInProcess(input, output + L"\\inprocess.zip");
    if (!server.counts.complete || server.counts.result != 0 || local.counts.result != 0) {
        std::fprintf(stderr, "a job failed: server %ld, in-process %ld\n", server.counts.result, local.counts.result);
        return 1;
    }

    const long serverEvents = server.counts.progress + server.counts.cancel + 1;
    const long files = server.counts.cancel;
    std::printf("files zipped                         %ld\n", files);
    std::printf("first object (server start)          %.0f ms\n", first.createMs);
    std::printf("object of a running server           %.1f ms\n", server.createMs);
    std::printf("events across the process boundary   %ld in %.0f ms: %.0f events/s (%.2f ms each)\n", serverEvents,
                server.jobMs, serverEvents * 1000.0 / server.jobMs, server.jobMs / serverEvents);
    std::printf("zip job through the server           %.0f ms\n", server.jobMs);
    std::printf("same job in-process (cZip)           %.0f ms (%ld events)\n", local.jobMs,
                local.counts.progress + local.counts.cancel);
    std::printf("server overhead                      %.0f ms, %.2f ms per file, x%.1f\n", server.jobMs - local.jobMs,
                (server.jobMs - local.jobMs) / (files > 0 ? files : 1), server.jobMs / local.jobMs);
    return 0;
}
