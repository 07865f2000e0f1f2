#pragma once
// Flags through which the client's user-interface thread, the settings dialog and the
// retrieval thread learn of each other. Atomic because the threads share them without a lock.
#include <windows.h>

#include <atomic>
#include <cstdint>

#include "common/StopSignal.h"

struct RunState {
    std::atomic<int32_t> running{0};
    std::atomic<int32_t> stopRequested{0};
    std::atomic<uint8_t> ready{1};
    std::atomic<uint8_t> setupActive{0};
    std::atomic<int32_t> singleLinkIndex{-1};
    std::atomic<int64_t> lastRunStart{0};  // seconds since 1970 UTC
    std::atomic<HWND> notifyDialog{nullptr};
    std::atomic<uint8_t> exiting{0};  // set for good when the client begins to exit
};

extern RunState runState;

// Stops the current run: sets `stopRequested` and wakes every wait of the run at once. The
// stop command, the client's exit and the settings dialog all stop a run through it.
void requestRunStop();
// Clears the stop for a new run.
void clearRunStop();
// `stopRequested` with the event that requestRunStop() sets.
StopSignal runStopSignal();

// Whether a run that began at `runStart` may still start a fetch or a delivery: its
// `timeoutSeconds` budget ends once the current time reaches runStart + timeoutSeconds.
bool runBudgetLeft(int64_t runStart, int32_t timeoutSeconds);

// Posted by the worker to `notifyDialog` once a run has ended; wParam is the run's
// `singleLinkIndex`. The dialog refreshes itself on its own thread.
constexpr UINT kRunEndedMessage = WM_APP + 3;
