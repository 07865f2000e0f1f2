#pragma once
// How a background operation learns that it must stop.
#include <windows.h>

#include <atomic>
#include <cstdint>

struct StopSignal {
    // Tested between steps; null: never stopped.
    const std::atomic<int32_t>* flag = nullptr;
    // A manual-reset event set together with the flag, or null. Waits include it, so that a
    // stop ends them at once instead of at their next step.
    HANDLE event = nullptr;

    bool requested() const { return flag && flag->load(); }
};
