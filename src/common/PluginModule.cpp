#include "common/PluginModule.h"

HINSTANCE pluginInstance = nullptr;
HICON pluginSmallIcon = nullptr;
