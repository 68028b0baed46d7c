// What the client tests of the server share: a recording listener for
// each kind of job, waiting for its Complete events, a round trip that
// lets pending events arrive, and the automation error a late-bound read
// raises. The tests run a real client against qnrZip in another process.
#pragma once

#include "ComSupport.h"
#include "QnrZipClient.h"
#include "ServerTestSupport.h"

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

// The client's names, as the tests of both kinds of job use them.
using qnr::Bstr;
using qnr::client::AsyncUnzip;
using qnr::client::AsyncZip;
using qnr::client::UnzipEventHandlers;
using qnr::client::ZipEventHandlers;

constexpr HRESULT kAlreadyRunning = static_cast<HRESULT>(0x800A7F1C);       // error 32540
constexpr HRESULT kSubscriptOutOfRange = static_cast<HRESULT>(0x800A0009);  // error 9

inline std::wstring Work(const std::wstring& relative) { return WorkFolder() + relative; }

// An empty folder of the work area for a test to extract into: a test run
// again (ctest reruns one whose program died at exit) must not find the
// files of its first run there.
inline std::wstring FreshWork(const std::wstring& relative) {
    const std::wstring folder = Work(relative);
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    std::filesystem::create_directories(folder, ignored);
    return folder;
}

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

ZipEventHandlers RecordingZipHandlers(EventLog& log);
UnzipEventHandlers RecordingUnzipHandlers(EventLog& log);

bool WaitForCompletes(const EventLog& log, int count);

// A round trip to a fresh server object: events already sent to this
// process have been served once it returns.
void RoundTripToServer();

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

LateBoundError ReadIndexedLateBound(IDispatch* object, const wchar_t* name, long index);
