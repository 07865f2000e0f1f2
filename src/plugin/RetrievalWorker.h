#pragma once
// The background retrieval run: at most one worker thread at a time.
#include <windows.h>

// Starts a run unless one is going (or the previous worker thread has not yet ended), the
// client is exiting, or the request is automatic (`parameter` 0) while the settings dialog
// shows. Dropped requests are not queued.
void WINAPI requestRetrieval(HWND window, int parameter);

// True when no worker thread exists or the last one has passed its final step.
bool workerThreadEnded();

// The client is exiting: refuses every further run, asks the current one to stop and keeps
// the calling thread's messages flowing until its thread has ended. A WM_QUIT met meanwhile
// is posted again for the client's own loop.
void endRunsForExit();
