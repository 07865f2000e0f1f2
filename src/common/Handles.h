#pragma once
// Move-only owners of Win32 handles: one traits type per kind of handle.
#include <windows.h>
#include <winhttp.h>

#include <utility>

template <typename Traits>
class UniqueHolder {
public:
    using Handle = typename Traits::Handle;

    UniqueHolder() = default;
    explicit UniqueHolder(Handle handle) : handle_(handle) {}
    ~UniqueHolder() { reset(); }

    UniqueHolder(const UniqueHolder&) = delete;
    UniqueHolder& operator=(const UniqueHolder&) = delete;
    UniqueHolder(UniqueHolder&& other) noexcept : handle_(other.release()) {}
    UniqueHolder& operator=(UniqueHolder&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != Traits::invalid(); }

    void reset(Handle handle = Traits::invalid()) {
        if (handle_ != Traits::invalid()) Traits::close(handle_);
        handle_ = handle;
    }
    Handle release() { return std::exchange(handle_, Traits::invalid()); }
    // For out-parameters: the old handle is released first.
    Handle* put() {
        reset();
        return &handle_;
    }

private:
    Handle handle_ = Traits::invalid();
};

struct KernelHandleTraits {
    using Handle = HANDLE;
    static Handle invalid() { return nullptr; }
    static void close(Handle handle) { CloseHandle(handle); }
};
using ScopedHandle = UniqueHolder<KernelHandleTraits>;

// CreateFileW's handles, whose failure value is INVALID_HANDLE_VALUE rather than null.
struct FileHandleTraits {
    using Handle = HANDLE;
    static Handle invalid() { return INVALID_HANDLE_VALUE; }
    static void close(Handle handle) { CloseHandle(handle); }
};
using ScopedFile = UniqueHolder<FileHandleTraits>;

struct FindHandleTraits {
    using Handle = HANDLE;
    static Handle invalid() { return INVALID_HANDLE_VALUE; }
    static void close(Handle handle) { FindClose(handle); }
};
using ScopedFind = UniqueHolder<FindHandleTraits>;

struct ModuleTraits {
    using Handle = HMODULE;
    static Handle invalid() { return nullptr; }
    static void close(Handle module) { FreeLibrary(module); }
};
using ScopedModule = UniqueHolder<ModuleTraits>;

struct InternetHandleTraits {
    using Handle = HINTERNET;
    static Handle invalid() { return nullptr; }
    static void close(Handle handle) { WinHttpCloseHandle(handle); }
};
using ScopedInternet = UniqueHolder<InternetHandleTraits>;

struct GlobalMemoryTraits {
    using Handle = HGLOBAL;
    static Handle invalid() { return nullptr; }
    static void close(Handle memory) { GlobalFree(memory); }
};
using ScopedGlobalMemory = UniqueHolder<GlobalMemoryTraits>;

// Texts that WinHTTP hands out in global memory.
struct GlobalTextTraits {
    using Handle = LPWSTR;
    static Handle invalid() { return nullptr; }
    static void close(Handle text) { GlobalFree(text); }
};
using ScopedGlobalText = UniqueHolder<GlobalTextTraits>;

struct SidTraits {
    using Handle = PSID;
    static Handle invalid() { return nullptr; }
    static void close(Handle sid) { FreeSid(sid); }
};
using ScopedSid = UniqueHolder<SidTraits>;

struct WindowTraits {
    using Handle = HWND;
    static Handle invalid() { return nullptr; }
    static void close(Handle window) { DestroyWindow(window); }
};
using ScopedWindow = UniqueHolder<WindowTraits>;

struct MemoryDcTraits {
    using Handle = HDC;
    static Handle invalid() { return nullptr; }
    static void close(Handle dc) { DeleteDC(dc); }
};
using ScopedMemoryDc = UniqueHolder<MemoryDcTraits>;

struct GdiObjectTraits {
    using Handle = HGDIOBJ;
    static Handle invalid() { return nullptr; }
    static void close(Handle object) { DeleteObject(object); }
};
using ScopedGdiObject = UniqueHolder<GdiObjectTraits>;

// The clipboard, open for the holder's lifetime when opening succeeded.
class ClipboardSession {
public:
    explicit ClipboardSession(HWND owner) : open_(OpenClipboard(owner) != FALSE) {}
    ~ClipboardSession() {
        if (open_) CloseClipboard();
    }
    ClipboardSession(const ClipboardSession&) = delete;
    ClipboardSession& operator=(const ClipboardSession&) = delete;
    explicit operator bool() const { return open_; }

private:
    bool open_;
};

// The wait cursor while a blocking call on the user-interface thread lasts, the previous
// cursor back on every way out.
class WaitCursor {
public:
    explicit WaitCursor(bool show = true) : previous_(show ? SetCursor(LoadCursorW(nullptr, IDC_WAIT)) : nullptr) {}
    ~WaitCursor() {
        if (previous_) SetCursor(previous_);
    }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    HCURSOR previous_;
};
