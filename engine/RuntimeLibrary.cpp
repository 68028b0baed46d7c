#include "RuntimeLibrary.h"

#include "AutomationError.h"
#include "Texts.h"

namespace bralto {

namespace {
constexpr long kErrDllEntryNotFound = 453;
}  // namespace

RuntimeLibrary::RuntimeLibrary(std::wstring fileName, std::wstring errorSourceClass)
    : fileName_(std::move(fileName)), errorSourceClass_(std::move(errorSourceClass)) {}

std::wstring RuntimeLibrary::ErrorSource() const { return ExecutableBaseName() + L"." + errorSourceClass_; }

void RuntimeLibrary::Load() {
    if (module_) return;
    module_.reset(LoadLibraryW((ExecutableFolder() + fileName_).c_str()));
    if (!module_) module_.reset(LoadLibraryW(fileName_.c_str()));
    if (!module_) throw AutomationError(kErrFileNotFound, ErrorSource(), engine_texts::kLibraryNotFound + fileName_);
}

FARPROC RuntimeLibrary::Address(const char* name) {
    Load();
    FARPROC address = GetProcAddress(module_.get(), name);
    if (!address)
        throw AutomationError(kErrDllEntryNotFound, ErrorSource(),
                              engine_texts::kEntryPointPrefix + std::wstring(name, name + strlen(name)) +
                                  engine_texts::kEntryPointNotFoundIn + fileName_);
    return address;
}

}  // namespace bralto
