#pragma once
// The plug-in loaded into this test program as the client would load it: a private copy of
// the DLL and its INI file in a temporary folder, a host data folder, a main window.
#include <functional>
#include <string>

#include "StandInHost.h"
#include "support/TestFiles.h"

class PluginHarness {
public:
    // `ini`: the settings file to place beside the DLL before loading, or empty for none.
    explicit PluginHarness(const std::string& ini = "", int toolbarButtons = 2, bool endsWithSeparator = false);
    ~PluginHarness();

    standin::Plugin& plugin() { return plugin_; }
    const standin::MainWindow& window() const { return window_; }
    std::string iniPath() const { return folder_.file("MvFeedwick.ini"); }
    std::string dataFolder() const { return folder_.file("data"); }

    // Loads the plug-in and lets it set up its menu and toolbar as the client does at start.
    void start();
    // Pumps messages until `done` holds or `timeoutMs` passes; false on time-out.
    bool waitFor(const std::function<bool()>& done, unsigned timeoutMs);
    // The retrieve-all command, as the client's menu or toolbar would invoke it.
    void retrieveAll();
    bool runIsGoing();
    // Waits until the run has ended and its worker thread with it, dispatching messages.
    bool waitForRunEnd(unsigned timeoutMs);

private:
    TempFolder folder_;
    standin::MainWindow window_;
    standin::Plugin plugin_;
};
