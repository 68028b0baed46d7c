// The outgoing (event) side of a server object: one connection point for
// the object's event dispinterface, with any number of advised sinks.
#pragma once

#include "ComSupport.h"

#include <ocidl.h>
#include <olectl.h>

#include <utility>
#include <vector>

namespace qnr {

// Lives inside its owner and shares the owner's reference count, so a sink
// holding the connection point keeps the whole object alive and no
// reference cycle forms.
class EventConnectionPoint final : public IConnectionPoint {
public:
    EventConnectionPoint(IUnknown* owner, IConnectionPointContainer* container, const IID& eventIid)
        : owner_(owner), container_(container), eventIid_(eventIid) {}
    EventConnectionPoint(const EventConnectionPoint&) = delete;
    EventConnectionPoint& operator=(const EventConnectionPoint&) = delete;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return owner_->AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return owner_->Release(); }

    // IConnectionPoint
    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** out) override;
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** out) override;

    // Calls event `id` on every sink with `arguments` in declaration order
    // (the reverse of DISPPARAMS order is handled here). By-reference
    // arguments see each sink's answer in turn. A sink whose process has
    // gone is dropped; the job goes on with the answers given so far.
    void Fire(DISPID id, std::vector<VARIANTARG> arguments);

private:
    IUnknown* owner_;
    IConnectionPointContainer* container_;
    IID eventIid_;
    DWORD nextCookie_ = 1;
    std::vector<std::pair<DWORD, ComPtr<IDispatch>>> sinks_;
};

// VARIANTARG builders for event arguments.
VARIANTARG ByValue(BSTR text);
VARIANTARG ByRef(BSTR* text);
VARIANTARG ByRef(VARIANT_BOOL* flag);
VARIANTARG ByRef(long* number);

}  // namespace qnr
