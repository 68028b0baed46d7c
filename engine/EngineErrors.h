// The errors the engine raises to its callers, each with its one French
// description, so every class reports the same fault in the same words.
#pragma once

#include <string>

#include "AutomationError.h"
#include "Texts.h"

namespace bralto {

// An index or a count outside what a list holds; `source` names the class.
[[noreturn]] inline void ThrowSubscriptOutOfRange(const std::wstring& source) {
    throw AutomationError(kErrSubscriptOutOfRange, source, engine_texts::kSubscriptOutOfRange);
}

}  // namespace bralto
