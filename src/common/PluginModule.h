#pragma once
// The module that holds the plug-in's resources: the library itself, set as it attaches.
#include <windows.h>

extern HINSTANCE pluginInstance;

// The plug-in's icon at 16 x 16, loaded once as the library attaches: the settings dialog's
// small icon. Null until then.
extern HICON pluginSmallIcon;
