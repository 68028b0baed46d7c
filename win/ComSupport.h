// Small owners for the COM resources the server and its clients handle:
// interface pointers, BSTRs, VARIANTs and the apartment itself. Each releases
// what it holds when it goes out of scope; none of them can be copied by
// accident into a second owner.
#pragma once

#include <windows.h>
#include <oleauto.h>
#include <objbase.h>

#include <string>
#include <utility>

namespace qnr {

// Owns one reference on an interface pointer.
template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // Takes a new reference on `p`.
    explicit ComPtr(T* p) : p_(p) {
        if (p_) p_->AddRef();
    }
    ComPtr(const ComPtr& other) : ComPtr(other.p_) {}
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ~ComPtr() { Reset(); }

    ComPtr& operator=(ComPtr other) noexcept {
        std::swap(p_, other.p_);
        return *this;
    }

    // Adopts a reference already owned by the caller (an out parameter).
    static ComPtr Attach(T* p) {
        ComPtr result;
        result.p_ = p;
        return result;
    }
    T* Detach() { return std::exchange(p_, nullptr); }

    void Reset() {
        if (T* p = std::exchange(p_, nullptr)) p->Release();
    }
    // For functions that return a new reference through T**.
    T** Receive() {
        Reset();
        return &p_;
    }
    void** ReceiveVoid() { return reinterpret_cast<void**>(Receive()); }

    template <class U>
    HRESULT QueryInto(ComPtr<U>& target, const IID& iid) const {
        if (!p_) return E_POINTER;
        return p_->QueryInterface(iid, target.ReceiveVoid());
    }

    T* Get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }

private:
    T* p_ = nullptr;
};

// Owns one BSTR.
class Bstr {
public:
    Bstr() = default;
    explicit Bstr(const std::wstring& text) : s_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    Bstr(Bstr&& other) noexcept : s_(std::exchange(other.s_, nullptr)) {}
    Bstr& operator=(Bstr&& other) noexcept {
        std::swap(s_, other.s_);
        return *this;
    }
    ~Bstr() { SysFreeString(s_); }

    static Bstr Attach(BSTR s) {
        Bstr result;
        result.s_ = s;
        return result;
    }
    BSTR Detach() { return std::exchange(s_, nullptr); }
    BSTR Get() const { return s_; }
    // Address for a by-reference BSTR argument: the callee may replace it.
    BSTR* Address() { return &s_; }
    BSTR* Receive() {
        SysFreeString(std::exchange(s_, nullptr));
        return &s_;
    }
    std::wstring Text() const { return s_ ? std::wstring(s_, SysStringLen(s_)) : std::wstring(); }

private:
    BSTR s_ = nullptr;
};

// Copies text into a new BSTR for an [out] parameter; E_OUTOFMEMORY when
// the allocation fails.
inline HRESULT CopyToOut(const std::wstring& text, BSTR* out) {
    if (!out) return E_POINTER;
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

inline std::wstring FromBstr(BSTR s) { return s ? std::wstring(s, SysStringLen(s)) : std::wstring(); }

// A GUID in the registry's form, braces included: "{xxxxxxxx-xxxx-...}".
inline std::wstring GuidText(const GUID& guid) {
    wchar_t text[64] = {};
    StringFromGUID2(guid, text, 64);
    return text;
}

// Owns one VARIANT.
class Variant {
public:
    Variant() { VariantInit(&v_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    ~Variant() { VariantClear(&v_); }
    VARIANT* Get() { return &v_; }
    const VARIANT& Ref() const { return v_; }
    VARIANT* Receive() {
        VariantClear(&v_);
        return &v_;
    }

private:
    VARIANT v_;
};

// One COM apartment for the lifetime of the scope.
class ComApartment {
public:
    explicit ComApartment(DWORD model = COINIT_APARTMENTTHREADED) : hr_(CoInitializeEx(nullptr, model)) {}
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment() {
        if (SUCCEEDED(hr_)) CoUninitialize();
    }
    HRESULT Result() const { return hr_; }

private:
    HRESULT hr_;
};

inline VARIANT_BOOL ToVariantBool(bool value) { return value ? VARIANT_TRUE : VARIANT_FALSE; }

}  // namespace qnr
