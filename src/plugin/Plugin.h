#pragma once
// Process-wide values of the library itself.
#include <windows.h>

#include <string>

#include "common/PluginModule.h"

// Records the instance, binds the host and derives the settings path; false refuses the load.
bool attachToProcess(HINSTANCE instance);

// Loads the settings on first use, creating the file from the defaults when it is missing.
void ensureSettingsLoaded();

// The client's plug-in information record: four texts at byte offsets 0, 80, 160 and 240.
void fillPluginInfo(char* record);

// A text of the library's string table.
std::wstring loadPluginString(UINT id);
