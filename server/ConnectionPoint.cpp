#include "ConnectionPoint.h"

#include <algorithm>

namespace qnr {

namespace {

bool SinkIsGone(HRESULT hr) {
    return hr == RPC_E_DISCONNECTED || hr == CO_E_OBJNOTCONNECTED ||
           hr == HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE) || hr == HRESULT_FROM_WIN32(RPC_S_CALL_FAILED) ||
           hr == RPC_E_SERVER_DIED || hr == RPC_E_SERVER_DIED_DNE;
}

}  // namespace

HRESULT EventConnectionPoint::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IConnectionPoint)) {
        *out = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

HRESULT EventConnectionPoint::GetConnectionInterface(IID* iid) {
    if (!iid) return E_POINTER;
    *iid = eventIid_;
    return S_OK;
}

HRESULT EventConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** out) {
    if (!out) return E_POINTER;
    *out = container_;
    container_->AddRef();
    return S_OK;
}

HRESULT EventConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
    if (!cookie) return E_POINTER;
    *cookie = 0;
    if (!sink) return E_POINTER;
    // A sink made for our events answers to the event interface; script
    // engines' generic sinks answer only to IDispatch.
    ComPtr<IDispatch> dispatch;
    HRESULT hr = sink->QueryInterface(eventIid_, dispatch.ReceiveVoid());
    if (FAILED(hr)) hr = sink->QueryInterface(IID_IDispatch, dispatch.ReceiveVoid());
    if (FAILED(hr)) return CONNECT_E_CANNOTCONNECT;
    *cookie = nextCookie_++;
    sinks_.emplace_back(*cookie, std::move(dispatch));
    return S_OK;
}

HRESULT EventConnectionPoint::Unadvise(DWORD cookie) {
    auto found = std::find_if(sinks_.begin(), sinks_.end(), [cookie](const auto& s) { return s.first == cookie; });
    if (found == sinks_.end()) return CONNECT_E_NOCONNECTION;
    // Release after the erase: the release may re-enter (an out-of-process
    // sink's release is a call that pumps messages).
    ComPtr<IDispatch> released = std::move(found->second);
    sinks_.erase(found);
    return S_OK;
}

HRESULT EventConnectionPoint::EnumConnections(IEnumConnections** out) {
    if (out) *out = nullptr;
    return E_NOTIMPL;
}

void EventConnectionPoint::Fire(DISPID id, std::vector<VARIANTARG> arguments) {
    std::reverse(arguments.begin(), arguments.end());
    DISPPARAMS parameters{};
    parameters.rgvarg = arguments.empty() ? nullptr : arguments.data();
    parameters.cArgs = static_cast<UINT>(arguments.size());

    // A handler may advise or unadvise while it runs: call a snapshot.
    std::vector<std::pair<DWORD, ComPtr<IDispatch>>> snapshot = sinks_;
    for (auto& [cookie, sink] : snapshot) {
        HRESULT hr =
            sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters, nullptr, nullptr, nullptr);
        if (SinkIsGone(hr)) Unadvise(cookie);
    }
}

VARIANTARG ByValue(BSTR text) {
    VARIANTARG v;
    VariantInit(&v);
    V_VT(&v) = VT_BSTR;
    V_BSTR(&v) = text;
    return v;
}

VARIANTARG ByRef(BSTR* text) {
    VARIANTARG v;
    VariantInit(&v);
    V_VT(&v) = VT_BSTR | VT_BYREF;
    V_BSTRREF(&v) = text;
    return v;
}

VARIANTARG ByRef(VARIANT_BOOL* flag) {
    VARIANTARG v;
    VariantInit(&v);
    V_VT(&v) = VT_BOOL | VT_BYREF;
    V_BOOLREF(&v) = flag;
    return v;
}

VARIANTARG ByRef(long* number) {
    VARIANTARG v;
    VariantInit(&v);
    V_VT(&v) = VT_I4 | VT_BYREF;
    V_I4REF(&v) = reinterpret_cast<LONG*>(number);
    return v;
}

}  // namespace qnr
