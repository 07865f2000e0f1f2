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

double processCpuSeconds() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    const auto seconds = [](const FILETIME& time) {
        return (static_cast<double>(time.dwHighDateTime) * 4294967296.0 + time.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
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
        const double cpuBefore = processCpuSeconds();
        const ULONGLONG started = GetTickCount64();
        if (!runRetrieveAll(arguments.waitSeconds)) exitCode = 4;
        std::printf("mails delivered: %zu\n", standin::appendedMessages().size());
        std::printf("run wall seconds: %.3f\n", static_cast<double>(GetTickCount64() - started) / 1000.0);
        std::printf("run cpu seconds: %.3f\n", processCpuSeconds() - cpuBefore);
    }
    plugin.onExit();
    plugin.unload();
    standin::destroyMainWindow();
    return exitCode;
}
