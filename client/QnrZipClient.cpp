#include "QnrZipClient.h"

#include <ocidl.h>

#include <algorithm>
#include <atomic>

#include "QnrZipEventIds.h"

namespace qnr::client {

namespace {

// Event arguments arrive in DISPPARAMS in reverse order; these read them by
// their position in the event's declaration.
class EventArguments {
public:
    explicit EventArguments(DISPPARAMS* parameters) : parameters_(parameters) {}

    bool Has(UINT count) const { return parameters_ && parameters_->cArgs >= count; }

    std::wstring Text(UINT position) const {
        VARIANTARG* arg = At(position);
        if (!arg) return std::wstring();
        if (V_VT(arg) == VT_BSTR) return FromBstr(V_BSTR(arg));
        if (V_VT(arg) == (VT_BSTR | VT_BYREF) && V_BSTRREF(arg)) return FromBstr(*V_BSTRREF(arg));
        Variant converted;
        if (SUCCEEDED(VariantChangeType(converted.Get(), arg, 0, VT_BSTR))) return FromBstr(V_BSTR(converted.Get()));
        return std::wstring();
    }

    BSTR* TextReference(UINT position) const {
        VARIANTARG* arg = At(position);
        return arg && V_VT(arg) == (VT_BSTR | VT_BYREF) ? V_BSTRREF(arg) : nullptr;
    }

    VARIANT_BOOL* FlagReference(UINT position) const {
        VARIANTARG* arg = At(position);
        return arg && V_VT(arg) == (VT_BOOL | VT_BYREF) ? V_BOOLREF(arg) : nullptr;
    }

    LONG* NumberReference(UINT position) const {
        VARIANTARG* arg = At(position);
        return arg && V_VT(arg) == (VT_I4 | VT_BYREF) ? V_I4REF(arg) : nullptr;
    }

    long Number(UINT position) const {
        VARIANTARG* arg = At(position);
        if (!arg) return 0;
        if (LONG* reference = NumberReference(position)) return *reference;
        Variant converted;
        if (SUCCEEDED(VariantChangeType(converted.Get(), arg, 0, VT_I4))) return V_I4(converted.Get());
        return 0;
    }

private:
    VARIANTARG* At(UINT position) const {
        if (!parameters_ || position >= parameters_->cArgs) return nullptr;
        return &parameters_->rgvarg[parameters_->cArgs - 1 - position];
    }

    DISPPARAMS* parameters_;
};

void StoreText(BSTR* reference, const std::wstring& text) {
    if (!reference) return;
    BSTR replacement = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (!replacement) return;
    SysFreeString(*reference);
    *reference = replacement;
}

bool FlagValue(const VARIANT_BOOL* reference) { return reference && *reference != VARIANT_FALSE; }

void StoreFlag(VARIANT_BOOL* reference, bool value) {
    if (reference) *reference = ToVariantBool(value);
}

std::wstring TextValue(const BSTR* reference) { return reference ? FromBstr(*reference) : std::wstring(); }

void DispatchZipEvent(const ZipEventHandlers& handlers, DISPID id, const EventArguments& args) {
    switch (id) {
    case DISPID_ZIP_CANCEL:
        if (handlers.Cancel && args.Has(2)) {
            bool cancel = FlagValue(args.FlagReference(1));
            handlers.Cancel(args.Text(0), cancel);
            StoreFlag(args.FlagReference(1), cancel);
        }
        break;
    case DISPID_ZIP_PASSWORDREQUEST:
        if (handlers.PasswordRequest && args.Has(2)) {
            std::wstring password = TextValue(args.TextReference(0));
            bool cancel = FlagValue(args.FlagReference(1));
            handlers.PasswordRequest(password, cancel);
            StoreText(args.TextReference(0), password);
            StoreFlag(args.FlagReference(1), cancel);
        }
        break;
    case DISPID_ZIP_COMMENTREQUEST:
        if (handlers.CommentRequest && args.Has(3)) {
            std::wstring comment = TextValue(args.TextReference(0));
            bool cancel = FlagValue(args.FlagReference(1));
            bool clear = FlagValue(args.FlagReference(2));
            handlers.CommentRequest(comment, cancel, clear);
            StoreText(args.TextReference(0), comment);
            StoreFlag(args.FlagReference(1), cancel);
            StoreFlag(args.FlagReference(2), clear);
        }
        break;
    case DISPID_ZIP_PROGRESS:
        if (handlers.Progress && args.Has(1)) handlers.Progress(args.Text(0));
        break;
    default: break;
    }
}

void DispatchUnzipEvent(const UnzipEventHandlers& handlers, DISPID id, const EventArguments& args) {
    switch (id) {
    case DISPID_UNZIP_CANCEL:
        if (handlers.Cancel && args.Has(2)) {
            bool cancel = FlagValue(args.FlagReference(1));
            handlers.Cancel(args.Text(0), cancel);
            StoreFlag(args.FlagReference(1), cancel);
        }
        break;
    case DISPID_UNZIP_OVERWRITEPROMPT:
        if (handlers.OverwritePrompt && args.Has(2)) {
            long response = args.Number(1);
            handlers.OverwritePrompt(args.Text(0), response);
            if (LONG* reference = args.NumberReference(1)) *reference = response;
        }
        break;
    case DISPID_UNZIP_PASSWORDREQUEST:
        if (handlers.PasswordRequest && args.Has(3)) {
            std::wstring password = TextValue(args.TextReference(0));
            bool cancel = FlagValue(args.FlagReference(1));
            handlers.PasswordRequest(password, cancel, args.Text(2));
            StoreText(args.TextReference(0), password);
            StoreFlag(args.FlagReference(1), cancel);
        }
        break;
    case DISPID_UNZIP_PROGRESS:
        if (handlers.Progress && args.Has(1)) handlers.Progress(args.Text(0));
        break;
    default: break;
    }
}

void DispatchEvent(AsyncZip& job, DISPID id, const EventArguments& args) {
    if (id == DISPID_ZIP_COMPLETE)
        job.OnComplete(args.Number(0));
    else
        DispatchZipEvent(job.EventHandlers(), id, args);
}

void DispatchEvent(AsyncUnzip& job, DISPID id, const EventArguments& args) {
    if (id == DISPID_UNZIP_COMPLETE)
        job.OnComplete(args.Number(0));
    else
        DispatchUnzipEvent(job.EventHandlers(), id, args);
}

template <class Interface>
struct ServerClass;
template <>
struct ServerClass<_cAsyncZip> {
    static const CLSID& Id() { return CLSID_cAsyncZip; }
    static const IID& InterfaceId() { return IID__cAsyncZip; }
    static const IID& EventId() { return DIID___cAsyncZip; }
};
template <>
struct ServerClass<_cAsyncUnzip> {
    static const CLSID& Id() { return CLSID_cAsyncUnzip; }
    static const IID& InterfaceId() { return IID__cAsyncUnzip; }
    static const IID& EventId() { return DIID___cAsyncUnzip; }
};

// A server process that is ending refuses or drops new activations for a
// moment before a new one is started. Under Wine an activation that meets
// the end of a server fails in several ways: a plain E_FAIL, the stopping
// server's refusal, an interface that is no longer known to the ending
// process's RPC runtime (RPC_S_UNKNOWN_IF), or E_NOINTERFACE from the class
// object or the first QueryInterface, although the server implements every
// interface asked for. All of them are worth another attempt.
bool ServerWasStopping(HRESULT hr) {
    return hr == E_FAIL || hr == E_NOINTERFACE || hr == CO_E_SERVER_STOPPING || hr == CO_E_SERVER_EXEC_FAILURE ||
           hr == HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE) || hr == HRESULT_FROM_WIN32(RPC_S_CALL_FAILED) ||
           hr == HRESULT_FROM_WIN32(RPC_S_UNKNOWN_IF) || hr == RPC_E_DISCONNECTED || hr == RPC_E_SERVER_DIED ||
           hr == RPC_E_SERVER_DIED_DNE || hr == CO_E_OBJNOTCONNECTED;
}

// Sinks not yet destroyed: each is held by its job or by a server.
std::atomic<long> g_liveSinks{0};

void ServePendingMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

constexpr int kCreateAttempts = 40;
constexpr DWORD kCreatePauseMs = 50;

}  // namespace

// The sink the server calls. It forwards to its job until disconnected; the
// server may hold it a little longer than the job lives.
class EventSink final : public IDispatch {
public:
    using Dispatcher = std::function<void(DISPID, const EventArguments&)>;

    EventSink(const IID& eventId, Dispatcher dispatcher) : eventId_(eventId), dispatcher_(std::move(dispatcher)) {
        ++g_liveSinks;
    }
    EventSink(const EventSink&) = delete;
    EventSink& operator=(const EventSink&) = delete;

    void Disconnect() { dispatcher_ = nullptr; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, eventId_)) {
            *out = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** out) override {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* parameters, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        // The Complete handler releases the job, which disconnects and may
        // drop the last outside reference on this sink: keep both alive
        // until the call is over.
        ComPtr<EventSink> self(this);
        Dispatcher dispatcher = dispatcher_;
        if (dispatcher) dispatcher(id, EventArguments(parameters));
        return S_OK;
    }

private:
    ~EventSink() { --g_liveSinks; }

    LONG references_ = 1;
    IID eventId_;
    Dispatcher dispatcher_;
};

template <class Interface, class Handlers>
AsyncJob<Interface, Handlers>::AsyncJob(Handlers handlers, bool releaseOnComplete)
    : handlers_(std::move(handlers)), releaseOnComplete_(releaseOnComplete) {}

template <class Interface, class Handlers>
AsyncJob<Interface, Handlers>::~AsyncJob() {
    Release();
}

template <class Interface, class Handlers>
HRESULT AsyncJob<Interface, Handlers>::Create() {
    HRESULT hr = E_FAIL;
    for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
        hr = TryCreate();
        if (!ServerWasStopping(hr)) return hr;
        Sleep(kCreatePauseMs);
    }
    return hr;
}

template <class Interface, class Handlers>
HRESULT AsyncJob<Interface, Handlers>::TryCreate() {
    Release();
    using Class = ServerClass<Interface>;
    ComPtr<Interface> object;
    HRESULT hr =
        CoCreateInstance(Class::Id(), nullptr, CLSCTX_LOCAL_SERVER, Class::InterfaceId(), object.ReceiveVoid());
    if (FAILED(hr)) return hr;

    ComPtr<IConnectionPointContainer> container;
    hr = object.QueryInto(container, IID_IConnectionPointContainer);
    ComPtr<IConnectionPoint> connection;
    if (SUCCEEDED(hr)) hr = container->FindConnectionPoint(Class::EventId(), connection.Receive());
    if (FAILED(hr)) return hr;

    auto sink = ComPtr<EventSink>::Attach(new EventSink(
        Class::EventId(), [this](DISPID id, const EventArguments& args) { DispatchEvent(*this, id, args); }));
    DWORD cookie = 0;
    hr = connection->Advise(static_cast<IDispatch*>(sink.Get()), &cookie);
    if (FAILED(hr)) return hr;

    ++generation_;
    object_ = std::move(object);
    connection_ = std::move(connection);
    sink_ = std::move(sink);
    cookie_ = cookie;
    return S_OK;
}

template <class Interface, class Handlers>
void AsyncJob<Interface, Handlers>::WatchServer() {
    if (object_ && !watch_) watch_ = std::make_unique<ServerWatch>(object_.Get());
}

template <class Interface, class Handlers>
void AsyncJob<Interface, Handlers>::Release() {
    watch_.reset();
    if (sink_) sink_->Disconnect();
    // Taken out of the members first: the calls below pump messages, and a
    // handler running meanwhile must find the job already released.
    ComPtr<IConnectionPoint> connection = std::move(connection_);
    ComPtr<EventSink> sink = std::move(sink_);
    ComPtr<Interface> object = std::move(object_);
    const DWORD cookie = std::exchange(cookie_, 0);
    if (connection && cookie != 0) connection->Unadvise(cookie);
}

template <class Interface, class Handlers>
void AsyncJob<Interface, Handlers>::OnComplete(long result) {
    const unsigned completed = generation_;
    if (handlers_.Complete) handlers_.Complete(result);
    if (releaseOnComplete_ && generation_ == completed) Release();
}

bool LetServersReleaseSinks(DWORD limitMs) {
    const ULONGLONG deadline = GetTickCount64() + limitMs;
    for (;;) {
        ServePendingMessages();
        if (g_liveSinks == 0) return true;
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) return false;
        MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, 50)),
                                    QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

template class AsyncJob<_cAsyncZip, ZipEventHandlers>;
template class AsyncJob<_cAsyncUnzip, UnzipEventHandlers>;

}  // namespace qnr::client
