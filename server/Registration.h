// Registration of the server's classes and type libraries with the system.
// Machine-wide (HKLM\Software\Classes) when that key is writable, which
// includes Wine; otherwise for the current user only.
#pragma once

#include <windows.h>

namespace qnr {

// Writes the classes (CLSID with LocalServer32, ProgID, TypeLib, Version;
// ProgIDs "qnrZip.cAsyncZip" and "qnrZip.cAsyncUnzip") and registers both
// embedded type libraries. Returns S_OK or the first failure.
HRESULT RegisterServer();

// Removes what RegisterServer wrote, from both scopes. Missing keys are not
// an error.
HRESULT UnregisterServer();

}  // namespace qnr
