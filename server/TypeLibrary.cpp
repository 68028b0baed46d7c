#include "TypeLibrary.h"
#include "Module.h"

#include <vector>

namespace qnr {

std::wstring ModulePath() { return bralto::ExecutablePath(); }

std::wstring TypeLibraryPath(int index) {
    std::wstring path = ModulePath();
    if (index != 1) path += L"\\" + std::to_wstring(index);
    return path;
}

ComPtr<ITypeLib> ServerTypeLibrary() {
    // Loaded on the server's single thread and kept for the process lifetime.
    static ComPtr<ITypeLib> library = [] {
        ComPtr<ITypeLib> loaded;
        LoadTypeLibEx(TypeLibraryPath(1).c_str(), REGKIND_NONE, loaded.Receive());
        return loaded;
    }();
    return library;
}

HRESULT ServerTypeInfo(const GUID& guid, ComPtr<ITypeInfo>& info) {
    ComPtr<ITypeLib> library = ServerTypeLibrary();
    if (!library) return TYPE_E_CANTLOADLIBRARY;
    ComPtr<ITypeInfo> found;
    HRESULT hr = library->GetTypeInfoOfGuid(guid, found.Receive());
    if (FAILED(hr)) return hr;

    TYPEATTR* attributes = nullptr;
    hr = found->GetTypeAttr(&attributes);
    if (FAILED(hr)) return hr;
    bool isDual = attributes->typekind == TKIND_DISPATCH && (attributes->wTypeFlags & TYPEFLAG_FDUAL);
    found->ReleaseTypeAttr(attributes);

    if (isDual) {
        HREFTYPE vtableRef = 0;
        hr = found->GetRefTypeOfImplType(static_cast<UINT>(-1), &vtableRef);
        if (SUCCEEDED(hr)) hr = found->GetRefTypeInfo(vtableRef, info.Receive());
        return hr;
    }
    info = found;
    return S_OK;
}

}  // namespace qnr
