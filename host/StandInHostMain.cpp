// Command line of the stand-in host:
//   StandInHost.exe --plugin PATH [--version TEXT] [--data FOLDER] [--store-mails]
//                   [--retrieve-all] [--wait-seconds N]
// Exit codes: 0 loaded (and ran), 2 bad arguments, 3 the plug-in refused to load,
// 4 a retrieval did not end in time.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "StandInHost.h"

namespace {

struct Arguments {
    std::string plugin;
    standin::HostOptions host;
    bool retrieveAll = false;
    int waitSeconds = 600;
};

bool parseArguments(int argc, char** argv, Arguments& arguments) {
    for (int i = 1; i < argc; ++i) {
        const std::string flag = argv[i];
        const bool hasValue = i + 1 < argc;
        if (flag == "--plugin" && hasValue) {
            arguments.plugin = argv[++i];
        } else if (flag == "--version" && hasValue) {
            arguments.host.version = argv[++i];
        } else if (flag == "--data" && hasValue) {
            arguments.host.dataFolder = argv[++i];
        } else if (flag == "--wait-seconds" && hasValue) {
            arguments.waitSeconds = std::atoi(argv[++i]);
        } else if (flag == "--store-mails") {
            arguments.host.storeMails = true;
        } else if (flag == "--retrieve-all") {
            arguments.retrieveAll = true;
        } else {
            return false;
        }
    }
    return !arguments.plugin.empty();
}

// Runs the first registered command, retrieve all, and waits while it reports itself grayed.
bool runRetrieveAll(int waitSeconds) {
    const auto commands = standin::registeredCommands();
    if (commands.empty()) return false;
    const int id = commands.front().id;
    standin::invokeCommand(id, 0);
    const DWORD deadline = GetTickCount() + static_cast<DWORD>(waitSeconds) * 1000u;
    while (standin::commandState(id) == 1) {
        if (static_cast<LONG>(GetTickCount() - deadline) > 0) return false;
        standin::pumpMessages();
        Sleep(50);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Arguments arguments;
    if (!parseArguments(argc, argv, arguments)) {
        std::fprintf(stderr, "usage: StandInHost --plugin PATH [--version TEXT] [--data FOLDER] "
                             "[--store-mails] [--retrieve-all] [--wait-seconds N]\n");
        return 2;
    }
    standin::configure(arguments.host);
    const standin::MainWindow window = standin::createMainWindow(2, false);

    standin::Plugin plugin;
    if (!plugin.load(arguments.plugin)) {
        std::printf("plug-in refused to load (error %lu)\n", plugin.lastError());
        return 3;
    }
    std::printf("plug-in loaded\n");
    plugin.onMenuInit(window.window, window.menu, 0);
    plugin.onStart();

    int exitCode = 0;
    if (arguments.retrieveAll) {
        if (!runRetrieveAll(arguments.waitSeconds)) exitCode = 4;
        std::printf("mails delivered: %zu\n", standin::appendedMessages().size());
    }
    plugin.onExit();
    plugin.unload();
    standin::destroyMainWindow();
    return exitCode;
}
