#pragma once
// Owners of COM resources besides interfaces (those are Microsoft::WRL::ComPtr): BSTR,
// SAFEARRAY, VARIANT and a thread's COM initialisation.
#include <windows.h>
#include <ole2.h>
#include <oleauto.h>

#include <new>
#include <string>
#include <string_view>

#include "common/Handles.h"

struct BstrTraits {
    using Handle = BSTR;
    static Handle invalid() { return nullptr; }
    static void close(Handle text) { SysFreeString(text); }
};
using ScopedBstr = UniqueHolder<BstrTraits>;

// A BSTR copy of `text`; throws std::bad_alloc when the system has no memory for it.
inline ScopedBstr makeBstr(std::wstring_view text) {
    ScopedBstr result(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
    if (!result) throw std::bad_alloc();
    return result;
}

struct SafeArrayTraits {
    using Handle = SAFEARRAY*;
    static Handle invalid() { return nullptr; }
    static void close(Handle array) { SafeArrayDestroy(array); }
};
using ScopedSafeArray = UniqueHolder<SafeArrayTraits>;

// A null BSTR is the empty text.
inline std::wstring bstrText(BSTR text) { return text ? std::wstring(text, SysStringLen(text)) : std::wstring(); }

class ScopedVariant {
public:
    ScopedVariant() { VariantInit(&value_); }
    ~ScopedVariant() { VariantClear(&value_); }
    ScopedVariant(const ScopedVariant&) = delete;
    ScopedVariant& operator=(const ScopedVariant&) = delete;

    const VARIANT& get() const { return value_; }
    // For out-parameters: the old value is cleared first.
    VARIANT* put() {
        VariantClear(&value_);
        return &value_;
    }

private:
    VARIANT value_;
};

// CoInitialize for the holder's lifetime. Only a successful initialisation is undone, so a
// thread that already runs COM in another apartment model keeps it.
class ComInitialization {
public:
    ComInitialization() : initialized_(SUCCEEDED(CoInitialize(nullptr))) {}
    ~ComInitialization() {
        if (initialized_) CoUninitialize();
    }
    ComInitialization(const ComInitialization&) = delete;
    ComInitialization& operator=(const ComInitialization&) = delete;

private:
    bool initialized_;
};

// OleInitialize for the holder's lifetime: COM in a single-threaded apartment plus what OLE
// drag and drop needs. Only a successful initialisation is undone.
class OleInitialization {
public:
    OleInitialization() : initialized_(SUCCEEDED(OleInitialize(nullptr))) {}
    ~OleInitialization() {
        if (initialized_) OleUninitialize();
    }
    OleInitialization(const OleInitialization&) = delete;
    OleInitialization& operator=(const OleInitialization&) = delete;

private:
    bool initialized_;
};
