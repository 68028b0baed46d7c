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

// A size through a Long property as the library's 32-bit unsigned fields
// give it: the bits of the size, stopped at 0xFFFFFFFF (a client reads
// sizes of 2 to 4 GiB back as unsigned; a larger one is 0xFFFFFFFF, as
// the library reports it).
inline HRESULT CopySizeBits(long long size, LONG* value) {
    if (!value) return E_POINTER;
    unsigned long bits = 0xFFFFFFFFul;
    if (size < 0)
        bits = 0;
    else if (size <= 0xFFFFFFFFLL)
        bits = static_cast<unsigned long>(size);
    *value = static_cast<LONG>(bits);
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
