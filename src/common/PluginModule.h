#pragma once
// The module that holds the plug-in's resources: the library itself, set as it attaches.
#include <windows.h>

extern HINSTANCE pluginInstance;
