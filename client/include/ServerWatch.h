// Watches that the server process behind an object is still there, from a
// thread of its own: a check made from the window's thread would pump
// messages while it waits, and could run an event handler (even Complete)
// in the middle of the caller's code.
//
// Every period the watch thread makes one cheap call on the object
// (IDispatch::GetTypeInfoCount). A call that fails because the process
// is gone (disconnected, server died or unavailable) marks the server as
// lost; a server that is only busy answers late and is not lost. The
// window's thread reads the mark on a timer of its own.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <memory>

namespace qnr::client {

class ServerWatch {
public:
    // Starts watching the server object `object` (any interface of it, on
    // the calling thread's apartment). Without an object, or when the watch
    // thread cannot start, nothing is ever lost.
    explicit ServerWatch(IUnknown* object, unsigned long periodMs = 500);
    ServerWatch(const ServerWatch&) = delete;
    ServerWatch& operator=(const ServerWatch&) = delete;
    // Tells the thread to stop and waits for it, a second at most: a check
    // still waiting for a busy server ends on its own, then the thread
    // releases its proxy.
    ~ServerWatch();

    bool ServerLost() const;

    struct Shared;

private:
    std::shared_ptr<Shared> shared_;
};

// True for the failures of a call that mean its server process is gone.
bool MeansServerGone(HRESULT hr);

}  // namespace qnr::client
