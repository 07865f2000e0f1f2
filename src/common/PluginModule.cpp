#include "common/PluginModule.h"

HINSTANCE pluginInstance = nullptr;
