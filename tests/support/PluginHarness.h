#pragma once
// The plug-in loaded into this test program as the client would load it: a private copy of
// the DLL and its INI file in a temporary folder, a host data folder, a main window.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

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

    // From now on the loaded plug-in's clock reads `secondsSince1970`, and runs on from there.
    // Its import of kernel32's GetSystemTimeAsFileTime is pointed at a shifted clock until the
    // harness goes; this test program's own clock is left alone.
    void setPluginClock(int64_t secondsSince1970);

private:
    void restorePluginClock();

    TempFolder folder_;
    standin::MainWindow window_;
    standin::Plugin plugin_;
    std::vector<void**> clockSlots_;  // the plug-in's import address table entries, when patched
    void* realClock_ = nullptr;        // what they held
};
