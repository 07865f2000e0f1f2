#pragma once
// The background retrieval run: at most one worker thread at a time.
#include <windows.h>

// Starts a run unless one is going (or the previous worker thread has not yet ended), the
// client is exiting, or the request is automatic (`parameter` 0) while the settings dialog
// shows. Dropped requests are not queued.
void WINAPI requestRetrieval(HWND window, int parameter);

// True when no worker thread exists or the last one has passed its final step.
bool workerThreadEnded();

// Keeps the calling thread's messages flowing until the worker thread has ended, since the
// worker may be waiting for this thread. A WM_QUIT met meanwhile is posted again for the
// client's own loop.
void waitForWorkerEnd();

// The client is exiting: refuses every further run, asks the current one to stop and waits
// for its thread to end.
void endRunsForExit();
