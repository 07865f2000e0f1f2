// The library's entry point and the callbacks the client calls on its user-interface thread.
#include <windows.h>

#include "plugin/Plugin.h"
#include "plugin/RunState.h"

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    return attachToProcess(instance) ? TRUE : FALSE;
}

int WINAPI MVC_OnStart() {
    ensureSettingsLoaded();
    return 0;
}

int WINAPI MVC_OnExit() {
    runState.stopRequested = 1;
    return 0;
}

int WINAPI MVC_OnMenuInit(HWND, HMENU, int) {
    ensureSettingsLoaded();
    return 0;
}

int WINAPI MVC_OnEveryMinute() { return 0; }
int WINAPI MVC_OnFinishRetrieve(int) { return 0; }
int WINAPI MVC_OnPlugInSetup(HWND) { return 1; }
int WINAPI MVC_OnPlugInInfo(void*) { return 0; }
int WINAPI MVC_OnOpenFolder(LPCSTR) { return 0; }
int WINAPI MVC_OnOpenMail(LPCSTR) { return 0; }
int WINAPI MVC_OnOpenCompose(HWND, HWND) { return 0; }
int WINAPI MVC_OnOutgoing(HWND, int) { return 0; }
int WINAPI MVC_OnKeyDispatch(HWND, int, int) { return 0; }
int WINAPI MVC_OnRetrieve(LPCSTR, LPCSTR) { return 0; }
int WINAPI MVC_OnSend(LPCSTR) { return 0; }
int WINAPI MVC_OnDragDrop(HWND, HWND, const char*, int) { return 0; }
int WINAPI MVC_OnBeforeFilter(HWND, LPCSTR, int) { return 0; }

}  // extern "C"
