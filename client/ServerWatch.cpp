#include "ServerWatch.h"

#include "ComSupport.h"

#include <atomic>
#include <thread>

namespace qnr::client {

struct ServerWatch::Shared {
    std::atomic<bool> lost{false};
    HANDLE stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    Shared() = default;
    Shared(const Shared&) = delete;
    Shared& operator=(const Shared&) = delete;
    ~Shared() {
        if (stop) CloseHandle(stop);
    }
};

bool MeansServerGone(HRESULT hr) {
    return hr == RPC_E_DISCONNECTED || hr == RPC_E_SERVER_DIED || hr == RPC_E_SERVER_DIED_DNE ||
           hr == CO_E_OBJNOTCONNECTED || hr == HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE) ||
           hr == HRESULT_FROM_WIN32(RPC_S_CALL_FAILED) || hr == HRESULT_FROM_WIN32(RPC_S_CALL_FAILED_DNE) ||
           hr == HRESULT_FROM_WIN32(RPC_S_UNKNOWN_IF);
}

namespace {

void Watch(std::shared_ptr<ServerWatch::Shared> shared, IStream* marshalled, DWORD periodMs) {
    ComApartment apartment(COINIT_MULTITHREADED);
    ComPtr<IDispatch> object;
    HRESULT hr = CoGetInterfaceAndReleaseStream(marshalled, IID_IDispatch, object.ReceiveVoid());
    if (FAILED(hr)) {
        if (MeansServerGone(hr)) shared->lost = true;
        return;
    }
    while (WaitForSingleObject(shared->stop, periodMs) == WAIT_TIMEOUT) {
        UINT count = 0;
        if (MeansServerGone(object->GetTypeInfoCount(&count))) {
            shared->lost = true;
            return;
        }
    }
}

}  // namespace

ServerWatch::ServerWatch(IUnknown* object, unsigned long periodMs) : shared_(std::make_shared<Shared>()) {
    if (!object || !shared_->stop) return;
    IStream* marshalled = nullptr;
    if (FAILED(CoMarshalInterThreadInterfaceInStream(IID_IDispatch, object, &marshalled))) return;
    try {
        std::thread(Watch, shared_, marshalled, static_cast<DWORD>(periodMs)).detach();
    } catch (...) {
        // No thread, no watch: the stream still holds a marshalled reference.
        CoReleaseMarshalData(marshalled);
        marshalled->Release();
    }
}

ServerWatch::~ServerWatch() { SetEvent(shared_->stop); }

bool ServerWatch::ServerLost() const { return shared_->lost; }

}  // namespace qnr::client
