// Opening documents, programs and addresses through the Windows shell, with
// the shell's failures told to the user in French.
#pragma once

#include <windows.h>

#include <string>

namespace bralto {

// Calls the shell's execute function with owner, operation, file,
// parameters, folder and show command; returns its result unchanged (above
// 32 means success). With `showErrors`, a failure is reported in a critical
// message box titled "Bralto".
INT_PTR ShellOpen(const std::wstring& file, const std::wstring& operation, const std::wstring& parameters,
                  const std::wstring& folder, int showCommand, HWND owner, bool showErrors);

// The French text for a failing result (32 or less).
std::wstring ShellOpenErrorText(INT_PTR result);

}  // namespace bralto
