// The type libraries embedded in qnrZip.exe: resource 1 is "qnrZip", 2 is
// "RunnableLib". IDispatch, IProvideClassInfo2 and registration all read
// them from here, so what a client sees is exactly what was compiled.
#pragma once

#include "ComSupport.h"

#include <oaidl.h>

#include <string>

namespace qnr {

// Full path of the running executable.
std::wstring ModulePath();

// Path naming the embedded type library `index` (1 or 2) for LoadTypeLibEx.
std::wstring TypeLibraryPath(int index);

// The "qnrZip" library, loaded once per process. Null if it cannot load.
ComPtr<ITypeLib> ServerTypeLibrary();

// Type information for `guid` in the "qnrZip" library. For a dual interface
// this is its vtable (TKIND_INTERFACE) description, which ITypeInfo::Invoke
// needs to call through the vtable.
HRESULT ServerTypeInfo(const GUID& guid, ComPtr<ITypeInfo>& info);

}  // namespace qnr
