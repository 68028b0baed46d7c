// A library bound by name at its first use and kept for the life of the
// process: loaded from the folder of the running executable first, then by
// the system's search order. Missing library or entry point: AutomationError
// 53 or 453 with the caller's error source.
#pragma once

#include <windows.h>

#include <string>

#include "Handles.h"

namespace bralto {

class RuntimeLibrary {
public:
    RuntimeLibrary(std::wstring fileName, std::wstring errorSourceClass);
    RuntimeLibrary(const RuntimeLibrary&) = delete;
    RuntimeLibrary& operator=(const RuntimeLibrary&) = delete;

    template <typename Function>
    Function* Entry(const char* name) {
        return reinterpret_cast<Function*>(reinterpret_cast<void*>(Address(name)));
    }

    // The error source of the library's failures: "<executable>.<class>".
    std::wstring ErrorSource() const;

private:
    FARPROC Address(const char* name);
    void Load();

    std::wstring fileName_;
    std::wstring errorSourceClass_;
    UniqueModule module_;
};

}  // namespace bralto
