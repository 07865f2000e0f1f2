#pragma once
#include <cstdint>
#include <ctime>

// The current time as the system's time values hold it: signed 32-bit seconds since 1970 UTC.
inline int32_t currentTime() { return static_cast<int32_t>(std::time(nullptr)); }
