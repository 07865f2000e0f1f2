// The library's entry point and the callbacks the client calls on its user-interface thread.
#include <windows.h>

#include "common/Clock.h"
#include "common/ExceptionBarrier.h"
#include "plugin/Commands.h"
#include "plugin/Plugin.h"
#include "plugin/RetrievalWorker.h"
#include "common/RunState.h"
#include "settings/Settings.h"

namespace {

void requestAutomaticRetrieval() { requestRetrieval(nullptr, 0); }

bool intervalElapsed() {
    const int64_t due = runState.lastRunStart + static_cast<int64_t>(pluginSettings.Interval) * 60;
    return currentTime() >= due;
}

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    return callWithoutThrowing(FALSE, [&] { return attachToProcess(instance) ? TRUE : FALSE; });
}

int WINAPI MVC_OnStart() {
    callWithoutThrowing([] {
        ensureSettingsLoaded();
        if (pluginSettings.ToolMenu) setUpToolbar();
    });
    return 0;
}

int WINAPI MVC_OnExit() {
    callWithoutThrowing(endRunsForExit);
    return 0;
}

int WINAPI MVC_OnMenuInit(HWND, HMENU menu, int menuType) {
    callWithoutThrowing([&] {
        ensureSettingsLoaded();
        if (menuType == 0 && pluginSettings.ToolMenu) setUpMenu(menu, menuType);
    });
    return 0;
}

int WINAPI MVC_OnEveryMinute() {
    callWithoutThrowing([] {
        if (pluginSettings.ScheduleType == ScheduleEveryInterval && intervalElapsed()) requestAutomaticRetrieval();
    });
    return 0;
}

int WINAPI MVC_OnFinishRetrieve(int) {
    callWithoutThrowing([] {
        if (pluginSettings.ScheduleType == ScheduleAfterHostRetrieval) requestAutomaticRetrieval();
    });
    return 0;
}

int WINAPI MVC_OnPlugInSetup(HWND owner) {
    runSetup(owner, 0);
    return 1;
}

int WINAPI MVC_OnPlugInInfo(void* record) {
    callWithoutThrowing([&] { fillPluginInfo(static_cast<char*>(record)); });
    return 0;
}

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
