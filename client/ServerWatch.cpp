#include "ServerWatch.h"

#include "ComSupport.h"
#include "Handles.h"

#include <atomic>

namespace qnr::client {

namespace {

// How long the owner waits for the watch thread when it stops: long enough
// for a thread between checks to let go of its proxy and leave its
// apartment (a thread still in COM when the process ends can hang its
// exit), short enough that a check held up by a busy server never holds
// up the window.
constexpr DWORD kStopWaitMs = 1000;

}  // namespace

struct ServerWatch::Shared {
    std::atomic<bool> lost{false};
    bralto::UniqueKernelHandle stop{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    bralto::UniqueKernelHandle thread;
    IStream* marshalled = nullptr;  // handed to the thread, which releases it
    DWORD periodMs = 500;
};

bool MeansServerGone(HRESULT hr) {
    return hr == RPC_E_DISCONNECTED || hr == RPC_E_SERVER_DIED || hr == RPC_E_SERVER_DIED_DNE ||
           hr == CO_E_OBJNOTCONNECTED || hr == HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE) ||
           hr == HRESULT_FROM_WIN32(RPC_S_CALL_FAILED) || hr == HRESULT_FROM_WIN32(RPC_S_CALL_FAILED_DNE) ||
           hr == HRESULT_FROM_WIN32(RPC_S_UNKNOWN_IF);
}

namespace {

void Watch(ServerWatch::Shared& shared) {
    ComApartment apartment(COINIT_MULTITHREADED);
    ComPtr<IDispatch> object;
    HRESULT hr = CoGetInterfaceAndReleaseStream(shared.marshalled, IID_IDispatch, object.ReceiveVoid());
    if (FAILED(hr)) {
        if (MeansServerGone(hr)) shared.lost = true;
        return;
    }
    while (WaitForSingleObject(shared.stop.get(), shared.periodMs) == WAIT_TIMEOUT) {
        UINT count = 0;
        if (MeansServerGone(object->GetTypeInfoCount(&count))) {
            shared.lost = true;
            return;
        }
    }
}

// The thread owns one reference on the shared state, so that an owner that
// stopped waiting for it leaves it something valid to finish with.
DWORD WINAPI WatchThread(void* parameter) {
    auto* shared = static_cast<std::shared_ptr<ServerWatch::Shared>*>(parameter);
    Watch(**shared);
    delete shared;
    return 0;
}

}  // namespace

ServerWatch::ServerWatch(IUnknown* object, unsigned long periodMs) : shared_(std::make_shared<Shared>()) {
    if (!object || !shared_->stop) return;
    shared_->periodMs = static_cast<DWORD>(periodMs);
    if (FAILED(CoMarshalInterThreadInterfaceInStream(IID_IDispatch, object, &shared_->marshalled))) return;
    auto* reference = new std::shared_ptr<Shared>(shared_);
    shared_->thread.reset(CreateThread(nullptr, 0, WatchThread, reference, 0, nullptr));
    if (!shared_->thread) {
        delete reference;
        // No thread, no watch: the stream still holds a marshalled reference.
        CoReleaseMarshalData(shared_->marshalled);
        shared_->marshalled->Release();
    }
}

ServerWatch::~ServerWatch() {
    if (!shared_->stop) return;
    SetEvent(shared_->stop.get());
    if (shared_->thread) WaitForSingleObject(shared_->thread.get(), kStopWaitMs);
}

bool ServerWatch::ServerLost() const { return shared_->lost; }

}  // namespace qnr::client
