// Small routines shared by Bralto's windows.
#pragma once

#include <string>

namespace bralto {

// The text from the last "." to the end, dot included; empty without a dot.
std::wstring FileExtension(const std::wstring& path);

// The long form of an absolute path that starts with a drive root ("C:\"),
// rebuilt component by component from the shell's display names. The shell
// hides known extensions, so the original extension is put back when the
// result no longer ends with it. A component the shell cannot name (it does
// not exist, say) is kept as it was given.
std::wstring LongPathOf(const std::wstring& path);

}  // namespace bralto
