// Class objects registered with COM while the server runs. They are static
// objects: their reference count does not keep the process alive, only
// LockServer does. Once the server is stopping they hand out nothing: the
// client's activation then fails with CO_E_SERVER_STOPPING and is tried
// again, which starts a new server process.
#pragma once

#include "ServerLifetime.h"

#include <objbase.h>
#include <unknwn.h>

#include <new>

namespace qnr {

template <class Object>
class ClassFactory final : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
            *out = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        if (ServerIsStopping()) return CO_E_SERVER_STOPPING;
        Object* object = new (std::nothrow) Object();
        if (!object) return E_OUTOFMEMORY;
        HRESULT hr = object->QueryInterface(iid, out);
        object->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        if (!lock) {
            ReleaseServerReference();
            return S_OK;
        }
        if (ServerIsStopping()) return CO_E_SERVER_STOPPING;
        AddServerReference();
        return S_OK;
    }
};

}  // namespace qnr
