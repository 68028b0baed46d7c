// Registration of the server's classes and type libraries with the system,
// for the whole machine (HKLM\Software\Classes) or for the current user
// (HKCU\Software\Classes), as the installation it belongs to.
#pragma once

#include <windows.h>

namespace qnr {

enum class RegistrationScope {
    Automatic,  // the machine when HKLM\Software\Classes is writable (Wine's too), else the user
    Machine,    // the machine only; fails where HKLM is not writable
    User,       // the current user only, even when the machine would be writable
};

// Writes the classes (CLSID with LocalServer32, ProgID, TypeLib, Version;
// ProgIDs "qnrZip.cAsyncZip" and "qnrZip.cAsyncUnzip") and registers both
// embedded type libraries in `scope`. Returns S_OK or the first failure.
HRESULT RegisterServer(RegistrationScope scope);

// Removes what RegisterServer wrote from `scope` (both for Automatic), and
// from the other scope too when the classes there name this very server:
// a copy that registered itself elsewhere (Bralto does so at start where
// COM did not see the user's classes, as under Wine) leaves nothing behind.
// Missing keys are not an error.
HRESULT UnregisterServer(RegistrationScope scope);

}  // namespace qnr
