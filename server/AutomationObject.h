// What every creatable object of the server shares: reference counting,
// QueryInterface, IDispatch driven by the type library, class information
// for late-bound clients, rich errors, one event connection point, the
// Runnable entry of the start queue and the IsRunning flag with its
// "Already running." refusal.
#pragma once

#include "ComSupport.h"
#include "ConnectionPoint.h"
#include "ErrorInfo.h"
#include "ServerLifetime.h"
#include "TypeLibrary.h"
#include "qnrZip.h"

#include <ocidl.h>
#include <olectl.h>

#include <string>

namespace qnr {

template <class Interface>
class AutomationObject : public Interface,
                         public Runnable,
                         public IProvideClassInfo2,
                         public ISupportErrorInfo,
                         public IConnectionPointContainer {
public:
    AutomationObject(const AutomationObject&) = delete;
    AutomationObject& operator=(const AutomationObject&) = delete;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, interfaceId_))
            *out = static_cast<Interface*>(this);
        else if (IsEqualIID(iid, IID_Runnable))
            *out = static_cast<Runnable*>(this);
        else if (IsEqualIID(iid, IID_IProvideClassInfo) || IsEqualIID(iid, IID_IProvideClassInfo2))
            *out = static_cast<IProvideClassInfo2*>(this);
        else if (IsEqualIID(iid, IID_ISupportErrorInfo))
            *out = static_cast<ISupportErrorInfo*>(this);
        else if (IsEqualIID(iid, IID_IConnectionPointContainer))
            *out = static_cast<IConnectionPointContainer*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    // IDispatch, answered from the type library.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (index != 0) return DISP_E_BADINDEX;
        ComPtr<ITypeLib> library = ServerTypeLibrary();
        if (!library) return TYPE_E_CANTLOADLIBRARY;
        return library->GetTypeInfoOfGuid(interfaceId_, out);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        ComPtr<ITypeInfo> info;
        HRESULT hr = ServerTypeInfo(interfaceId_, info);
        if (FAILED(hr)) return hr;
        return DispGetIDsOfNames(info.Get(), names, count, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters, VARIANT* result,
                                     EXCEPINFO* exception, UINT* badArgument) override {
        ComPtr<ITypeInfo> info;
        HRESULT hr = ServerTypeInfo(interfaceId_, info);
        if (FAILED(hr)) return hr;
        SetErrorInfo(0, nullptr);
        hr = info->Invoke(static_cast<Interface*>(this), id, flags, parameters, result, exception, badArgument);
        if (FAILED(hr) && hr != DISP_E_EXCEPTION && FillException(hr, exception)) return DISP_E_EXCEPTION;
        return hr;
    }

    // IProvideClassInfo2: how late-bound clients find the events.
    HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        ComPtr<ITypeLib> library = ServerTypeLibrary();
        if (!library) return TYPE_E_CANTLOADLIBRARY;
        return library->GetTypeInfoOfGuid(classId_, out);
    }
    HRESULT STDMETHODCALLTYPE GetGUID(DWORD kind, GUID* guid) override {
        if (!guid) return E_POINTER;
        if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) {
            *guid = GUID_NULL;
            return E_INVALIDARG;
        }
        *guid = eventId_;
        return S_OK;
    }

    // ISupportErrorInfo
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override {
        return IsEqualIID(iid, interfaceId_) ? S_OK : S_FALSE;
    }

    // IConnectionPointContainer
    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** out) override {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!IsEqualIID(iid, eventId_)) return CONNECT_E_NOCONNECTION;
        *out = &events_;
        events_.AddRef();
        return S_OK;
    }

protected:
    AutomationObject(const CLSID& classId, const IID& interfaceId, const IID& eventId, const wchar_t* className)
        : classId_(classId),
          interfaceId_(interfaceId),
          eventId_(eventId),
          className_(className),
          events_(static_cast<Interface*>(this), this, eventId) {}
    virtual ~AutomationObject() = default;

    // Accepting a job: refused while one is queued or running, else the
    // object is flagged and handed to the start queue.
    template <class DeferStartFunction>
    HRESULT AcceptJob(DeferStartFunction deferStart) {
        if (completing_ && !CalledFromCompleteHandler()) EndCompletion();
        if (isRunning_)
            return RaiseAutomationError(kErrAlreadyRunning, bralto::ExecutableBaseName() + L"." + className_,
                                        L"Already running.", interfaceId_);
        isRunning_ = true;
        deferStart(static_cast<Runnable*>(this));
        return S_OK;
    }
    // Raises Complete through `raise`, then takes new jobs again. A call
    // that reaches the object while Complete is out is either made from
    // inside the client's handler (it carries the causality of this very
    // event call, and is refused) or made after the handler returned, its
    // request overtaking the handler's reply (the job is then over).
    template <class RaiseFunction>
    void RaiseCompleteThenFinish(RaiseFunction raise) {
        completing_ = true;
        CoGetCurrentLogicalThreadId(&completeCausality_);
        raise();
        if (completing_) EndCompletion();
    }

    // Wraps a member so that engine errors reach the client as automation
    // errors of this interface.
    template <class Body>
    HRESULT Member(Body&& body) {
        return Guarded(interfaceId_, std::forward<Body>(body));
    }

    EventConnectionPoint& Events() { return events_; }

private:
    // ITypeInfo::Invoke leaves a failing member's rich error on the thread;
    // a late-bound caller expects it in EXCEPINFO.
    static bool FillException(HRESULT hr, EXCEPINFO* exception) {
        if (!exception || HRESULT_FACILITY(hr) != FACILITY_CONTROL) return false;
        ComPtr<IErrorInfo> info;
        if (GetErrorInfo(0, info.Receive()) != S_OK || !info) return false;
        *exception = EXCEPINFO{};
        info->GetSource(&exception->bstrSource);
        info->GetDescription(&exception->bstrDescription);
        exception->scode = hr;
        return true;
    }

    bool CalledFromCompleteHandler() const {
        GUID current = GUID_NULL;
        return SUCCEEDED(CoGetCurrentLogicalThreadId(&current)) && IsEqualGUID(current, completeCausality_);
    }
    void EndCompletion() {
        completing_ = false;
        isRunning_ = false;
    }

    LONG references_ = 1;
    ServerReference serverReference_;
    CLSID classId_;
    IID interfaceId_;
    IID eventId_;
    std::wstring className_;
    EventConnectionPoint events_;
    bool isRunning_ = false;
    bool completing_ = false;
    GUID completeCausality_ = GUID_NULL;
};

}  // namespace qnr
