#include "support/PluginHarness.h"

#include <gtest/gtest.h>

PluginHarness::PluginHarness(const std::string& ini, int toolbarButtons, bool endsWithSeparator) {
    CreateDirectoryA(dataFolder().c_str(), nullptr);
    if (!ini.empty()) writeFile(iniPath(), ini);
    standin::HostOptions options;
    options.dataFolder = dataFolder();
    standin::configure(options);
    standin::clearRecords();
    window_ = standin::createMainWindow(toolbarButtons, endsWithSeparator);
    EXPECT_TRUE(plugin_.load(copyPluginInto(folder_.path())));
}

PluginHarness::~PluginHarness() {
    if (plugin_.loaded()) plugin_.onExit();
    plugin_.unload();
    standin::destroyMainWindow();
}

void PluginHarness::start() {
    plugin_.onMenuInit(window_.window, window_.menu, 0);
    plugin_.onStart();
}

bool PluginHarness::waitFor(const std::function<bool()>& done, unsigned timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (!done()) {
        if (GetTickCount64() > deadline) return false;
        standin::pumpMessages();
        // Wakes at once for the plug-in's status texts and mails, which wait for this thread.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

void PluginHarness::retrieveAll() {
    const auto commands = standin::registeredCommands();
    ASSERT_FALSE(commands.empty());
    standin::invokeCommand(commands.front().id, 0);
}

bool PluginHarness::waitForRunEnd(unsigned timeoutMs) {
    const ULONGLONG start = GetTickCount64();
    if (!waitFor([this] { return !runIsGoing(); }, timeoutMs)) return false;
    const ULONGLONG spent = GetTickCount64() - start;
    return standin::waitForForeignCaller(static_cast<DWORD>(timeoutMs > spent ? timeoutMs - spent : 0));
}

bool PluginHarness::runIsGoing() {
    const auto commands = standin::registeredCommands();
    return !commands.empty() && standin::commandState(commands.back().id) == 0;
}
