#include "plugin/RunState.h"

RunState runState;

void WINAPI requestStop(HWND, int) { runState.stopRequested = 1; }
