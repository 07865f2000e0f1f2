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
    void reset() { VariantClear(&value_); }

private:
    VARIANT value_;
};

// A thread's COM initialisation (`Initialize` CoInitialize or OleInitialize) for the holder's
// lifetime. Only a successful initialisation is undone, so a thread that already runs COM in
// another apartment model keeps it.
template <HRESULT(WINAPI* Initialize)(LPVOID), void(WINAPI* Uninitialize)()>
class ThreadInitialization {
public:
    ThreadInitialization() : initialized_(SUCCEEDED(Initialize(nullptr))) {}
    ~ThreadInitialization() {
        if (initialized_) Uninitialize();
    }
    ThreadInitialization(const ThreadInitialization&) = delete;
    ThreadInitialization& operator=(const ThreadInitialization&) = delete;

private:
    bool initialized_;
};

using ComInitialization = ThreadInitialization<CoInitialize, CoUninitialize>;
// COM in a single-threaded apartment plus what OLE drag and drop needs.
using OleInitialization = ThreadInitialization<OleInitialize, OleUninitialize>;
