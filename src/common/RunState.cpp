#include "common/RunState.h"

#include "common/Clock.h"
#include "common/Handles.h"

RunState runState;

namespace {

// Manual-reset: it stays set, like the flag, until the next run clears both.
HANDLE runStopEvent() {
    static const ScopedHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    return event.get();
}

}  // namespace

void requestRunStop() {
    runState.stopRequested = 1;
    if (const HANDLE event = runStopEvent()) SetEvent(event);
}

void clearRunStop() {
    runState.stopRequested = 0;
    if (const HANDLE event = runStopEvent()) ResetEvent(event);
}

StopSignal runStopSignal() { return {&runState.stopRequested, runStopEvent()}; }

bool runBudgetLeft(int64_t runStart, int32_t timeoutSeconds) { return currentTime() < runStart + timeoutSeconds; }
