// Bralto runs its jobs in qnrZip.exe, which sits beside it. COM finds the
// server through its registration: when the classes are not registered, or
// registered for another copy of qnrZip.exe, this copy registers itself.
#pragma once

#include <string>

namespace bralto {

// The qnrZip.exe beside the running program.
std::wstring BundledServerPath();

// True when COM would start `serverPath` for the qnrZip classes.
bool IsServerRegisteredAs(const std::wstring& serverPath);

// Registers the bundled server when needed ("qnrZip.exe /regserver", waited
// for). Returns true when the registration is (now) right.
bool EnsureServerRegistered();

}  // namespace bralto
