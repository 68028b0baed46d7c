// Automation errors as a client sees them: an HRESULT carrying the error
// number, plus an IErrorInfo with number, source and description, so that
// a late-bound caller reads all three and an early-bound one can ask
// GetErrorInfo.
#pragma once

#include <windows.h>

#include <string>

namespace qnr {

// Error numbers the server raises itself.
constexpr long kErrAlreadyRunning = 32540;

// The HRESULT under which an automation error number travels.
HRESULT HResultOfErrorNumber(long number);

// The error number carried by an HRESULT made by HResultOfErrorNumber.
long ErrorNumberOfHResult(HRESULT hr);

// Publishes number, source and description on this thread for `iid` and
// returns the HRESULT to give back to the caller.
HRESULT RaiseAutomationError(long number, const std::wstring& source, const std::wstring& description, const IID& iid);

// Runs `body`, turning any exception into an automation error for `iid`:
// engine errors keep their number, source and description; running out of
// memory gives E_OUTOFMEMORY. No exception crosses the COM boundary.
template <class Body>
HRESULT Guarded(const IID& iid, Body&& body);

}  // namespace qnr

#include "ErrorInfo.inl"
