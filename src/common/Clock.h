#pragma once
// The current time as the system's time values hold it: seconds since 1970 UTC.
#include <windows.h>

#include <cstdint>

constexpr int64_t kFileTimeTicksPerSecond = 10000000;  // FILETIME counts 100 ns
constexpr int64_t kSecondsFrom1601To1970 = 11644473600;

// Whole seconds since 1970 UTC of a FILETIME, rounded down.
inline int64_t secondsSince1970(const FILETIME& time) {
    ULARGE_INTEGER ticks;
    ticks.LowPart = time.dwLowDateTime;
    ticks.HighPart = time.dwHighDateTime;
    return static_cast<int64_t>(ticks.QuadPart / kFileTimeTicksPerSecond) - kSecondsFrom1601To1970;
}

// Read through GetSystemTimeAsFileTime rather than the C runtime, whose time_t has 32 bits
// here; a test sets the plug-in's clock by patching that one import.
inline int64_t currentTime() {
    FILETIME now = {};
    GetSystemTimeAsFileTime(&now);
    return secondsSince1970(now);
}
