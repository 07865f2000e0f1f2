#include "common/RunState.h"

#include "common/Clock.h"

RunState runState;

bool runBudgetLeft(int32_t runStart, int32_t timeoutSeconds) {
    return static_cast<int64_t>(currentTime()) < static_cast<int64_t>(runStart) + timeoutSeconds;
}
