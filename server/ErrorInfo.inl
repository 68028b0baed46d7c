#pragma once

#include "AutomationError.h"

#include <new>

namespace qnr {

template <class Body>
HRESULT Guarded(const IID& iid, Body&& body) {
    try {
        return body();
    } catch (const bralto::AutomationError& error) {
        return RaiseAutomationError(error.Number(), error.Source(), error.Description(), iid);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

}  // namespace qnr
