// Bralto's side of the qnrZip server: creates a cAsyncZip or cAsyncUnzip
// object by class identifier in the server process, connects an event sink
// that calls the handlers given by the caller (the main window), and lets
// the object go once its job has raised Complete.
//
// Usage:
//     qnr::client::ZipEventHandlers handlers;
//     handlers.Progress = [&](const std::wstring& line) { ... };
//     handlers.Complete = [&](long result) { ... };
//     qnr::client::AsyncZip job(std::move(handlers));
//     if (SUCCEEDED(job.Create())) { job->put_ZipFile(...); job->Zip(); }
//
// Every handler runs on the creating thread, from its message loop, while
// the server waits for the answer. A handler left empty answers with the
// event's starting values (no cancel, no password, 100 for overwrite).
// After the Complete handler returns, the wrapper disconnects the sink and
// releases the object; the caller may also Release() earlier.
#pragma once

#include "ComSupport.h"
#include "ServerWatch.h"
#include "qnrZip.h"

#include <functional>
#include <memory>
#include <string>

namespace qnr::client {

struct ZipEventHandlers {
    std::function<void(const std::wstring& entry, bool& cancel)> Cancel;
    std::function<void(std::wstring& password, bool& cancel)> PasswordRequest;
    std::function<void(std::wstring& comment, bool& cancel, bool& clear)> CommentRequest;
    std::function<void(const std::wstring& line)> Progress;
    std::function<void(long result)> Complete;
};

struct UnzipEventHandlers {
    std::function<void(const std::wstring& entry, bool& cancel)> Cancel;
    // `response` starts at euzDoNotOverwrite (100).
    std::function<void(const std::wstring& file, long& response)> OverwritePrompt;
    std::function<void(std::wstring& password, bool& cancel, const std::wstring& file)> PasswordRequest;
    std::function<void(const std::wstring& line)> Progress;
    std::function<void(long result)> Complete;
};

class EventSink;

// A server object of interface `Interface` with its connected sink.
template <class Interface, class Handlers>
class AsyncJob {
public:
    // With `releaseOnComplete` false the object stays held and connected
    // after Complete (for a caller that runs several jobs on it).
    explicit AsyncJob(Handlers handlers, bool releaseOnComplete = true);
    AsyncJob(const AsyncJob&) = delete;
    AsyncJob& operator=(const AsyncJob&) = delete;
    ~AsyncJob();

    // Creates a new server object (releasing any previous one) and
    // connects the event sink. Starts the server when it is not running;
    // retries for about two seconds while a previous server process ends.
    // From then on a thread watches that the server process is still there.
    HRESULT Create();

    // Disconnects the sink and releases the object. Safe to call twice.
    void Release();

    Interface* Object() const { return object_.Get(); }
    Interface* operator->() const { return object_.Get(); }
    explicit operator bool() const { return static_cast<bool>(object_); }

    // Called by the sink when the server raises Complete: runs the Complete
    // handler, then releases the object unless the handler already
    // replaced it with a new one (or releasing on Complete is off).
    void OnComplete(long result);

    const Handlers& EventHandlers() const { return handlers_; }

    // True once the server process of the held object has gone (killed,
    // crashed): no event of its job will ever come. Cheap; reads what the
    // watch thread found, never calls the server.
    bool ServerLost() const { return watch_ && watch_->ServerLost(); }
    // Starts watching the held object's server for ServerLost, for a caller
    // that waits on a job's events (a window). Only such callers watch:
    // the watch thread calls the server now and then.
    void WatchServer();

private:
    // One attempt: object, connection point, advised sink.
    HRESULT TryCreate();

    Handlers handlers_;
    bool releaseOnComplete_;
    ComPtr<Interface> object_;
    ComPtr<IConnectionPoint> connection_;
    ComPtr<EventSink> sink_;
    DWORD cookie_ = 0;
    std::unique_ptr<ServerWatch> watch_;
    unsigned generation_ = 0;  // counts Create calls
};

// Serves this thread's messages until the servers have let go of every
// event sink of this process, or `limitMs` passes; true when none is held.
// Call it before CoUninitialize: a server's last release of a sink is a call
// into this thread, and under Wine a thread that uninitializes COM while
// such a call still waits in its message queue waits for it forever.
bool LetServersReleaseSinks(DWORD limitMs = 5000);

// The single-threaded apartment of a client of the server: before COM is
// uninitialized, the servers are given the time to let go of the sinks.
class ClientApartment {
public:
    ClientApartment() = default;
    ClientApartment(const ClientApartment&) = delete;
    ClientApartment& operator=(const ClientApartment&) = delete;
    ~ClientApartment() {
        if (SUCCEEDED(apartment_.Result())) LetServersReleaseSinks();
    }
    HRESULT Result() const { return apartment_.Result(); }

private:
    ComApartment apartment_;
};

using AsyncZip = AsyncJob<_cAsyncZip, ZipEventHandlers>;
using AsyncUnzip = AsyncJob<_cAsyncUnzip, UnzipEventHandlers>;

extern template class AsyncJob<_cAsyncZip, ZipEventHandlers>;
extern template class AsyncJob<_cAsyncUnzip, UnzipEventHandlers>;

}  // namespace qnr::client
