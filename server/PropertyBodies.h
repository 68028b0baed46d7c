// The bodies the two server objects' properties share: truth values in and
// out of the option records, numbers and texts to the caller.
#pragma once

#include <string>

#include "ComSupport.h"

namespace qnr {

inline bool IsTrue(VARIANT_BOOL value) { return value != VARIANT_FALSE; }

inline HRESULT ReadFlag(bool set, VARIANT_BOOL* value) {
    if (!value) return E_POINTER;
    *value = set ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

// Stores a truth value through the record's setter.
template <class Record>
HRESULT WriteFlag(Record& record, void (Record::*set)(bool), VARIANT_BOOL value) {
    (record.*set)(IsTrue(value));
    return S_OK;
}

inline HRESULT CopyNumber(long number, LONG* value) {
    if (!value) return E_POINTER;
    *value = static_cast<LONG>(number);
    return S_OK;
}

// A 64-bit figure through a Long property: one beyond the Long range
// stops at its bound instead of wrapping to a figure of the other sign.
inline HRESULT CopyClampedNumber(long long number, LONG* value) {
    if (!value) return E_POINTER;
    if (number > 0x7FFFFFFFLL) number = 0x7FFFFFFFLL;
    if (number < -0x80000000LL) number = -0x80000000LL;
    *value = static_cast<LONG>(number);
    return S_OK;
}

// Replaces the caller's text in place (a by-reference event argument).
inline HRESULT ReplaceText(BSTR* target, const std::wstring& text) {
    Bstr replacement(text);
    if (!replacement.Get()) return E_OUTOFMEMORY;
    SysFreeString(*target);
    *target = replacement.Detach();
    return S_OK;
}

}  // namespace qnr
