#pragma once
// Every entry point that the client or the system calls (exports, command callbacks, thread
// entries, dialog procedures, COM methods) runs its body through one of these: an exception,
// std::bad_alloc above all, would otherwise end the client's process.
#include <utility>

// `body()`, or `fallback` when it throws.
template <typename Result, typename Body>
Result callWithoutThrowing(Result fallback, Body&& body) noexcept {
    try {
        return std::forward<Body>(body)();
    } catch (...) {
        return fallback;
    }
}

// `body()`; what it throws ends here. True when it returned.
template <typename Body>
bool callWithoutThrowing(Body&& body) noexcept {
    try {
        std::forward<Body>(body)();
        return true;
    } catch (...) {
        return false;
    }
}
