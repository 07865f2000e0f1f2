#include "plugin/RunState.h"

#include "common/Clock.h"

RunState runState;

void WINAPI requestStop(HWND, int) { runState.stopRequested = 1; }

bool runBudgetLeft(int32_t runStart, int32_t timeoutSeconds) {
    return static_cast<int64_t>(currentTime()) < static_cast<int64_t>(runStart) + timeoutSeconds;
}
