// Errors raised by the archive engine and the classes built on it; their
// source is the executable's base name, a dot and the class name.
// They carry what an automation error carries (number, source, description)
// so the server can hand them to its clients unchanged through IErrorInfo.
#pragma once

#include <stdexcept>
#include <string>

#include "Module.h"

namespace bralto {

class AutomationError : public std::runtime_error {
public:
    AutomationError(long number, std::wstring source, std::wstring description)
        : std::runtime_error("automation error"),
          number_(number),
          source_(std::move(source)),
          description_(std::move(description)) {}

    long Number() const { return number_; }
    const std::wstring& Source() const { return source_; }
    const std::wstring& Description() const { return description_; }

private:
    long number_;
    std::wstring source_;
    std::wstring description_;
};

// Well-known error numbers of the automation runtime.
constexpr long kErrSubscriptOutOfRange = 9;
constexpr long kErrFileNotFound = 53;

}  // namespace bralto
