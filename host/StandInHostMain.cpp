// Command line of the stand-in host:
//   StandInHost.exe --plugin PATH [--version TEXT] [--data FOLDER] [--store-mails]
//                   [--retrieve-all | --interactive] [--wait-seconds N]
//                   [--stop-after-ms N] [--stop-when-file-contains FILE TEXT] [--memory-report]
// --stop-after-ms invokes the stop command N ms after "retrieve all", or N ms after FILE
// first holds TEXT when --stop-when-file-contains is given, and reports how long the run
// took to end after it. --memory-report samples the process's private bytes during the run.
// --interactive shows the main window, with the plug-in's menu items and toolbar buttons, to a
// person until it is closed, and calls the plug-in's MVC_OnEveryMinute once a minute.
// Exit codes: 0 loaded (and ran), 2 bad arguments, 3 the plug-in refused to load,
// 4 a retrieval did not end in time.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <thread>

#include "StandInHost.h"

namespace {

// When the stop command is invoked during a run; `afterMs` < 0 means never.
struct StopPlan {
    int afterMs = -1;
    std::string watchedFile;  // the delay counts from the moment this file holds `watchedText`
    std::string watchedText;
};

struct Arguments {
    std::string plugin;
    standin::HostOptions host;
    bool retrieveAll = false;
    bool interactive = false;
    int waitSeconds = 600;
    StopPlan stop;
    bool memoryReport = false;
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
        } else if (flag == "--interactive") {
            arguments.interactive = true;
        } else if (flag == "--stop-after-ms" && hasValue) {
            arguments.stop.afterMs = std::max(0, std::atoi(argv[++i]));
        } else if (flag == "--stop-when-file-contains" && i + 2 < argc) {
            arguments.stop.watchedFile = argv[++i];
            arguments.stop.watchedText = argv[++i];
        } else if (flag == "--memory-report") {
            arguments.memoryReport = true;
        } else {
            return false;
        }
    }
    const bool watchWithoutStop = !arguments.stop.watchedFile.empty() && arguments.stop.afterMs < 0;
    return !arguments.plugin.empty() && !watchWithoutStop && !(arguments.retrieveAll && arguments.interactive);
}

double processCpuSeconds() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    const auto seconds = [](const FILETIME& time) {
        return (static_cast<double>(time.dwHighDateTime) * 4294967296.0 + time.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

PROCESS_MEMORY_COUNTERS_EX memoryCounters() {
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
    return counters;
}

// Private bytes in use now. Wine fills neither PrivateUsage nor a true PeakPagefileUsage;
// its PagefileUsage is the process's resident anonymous memory (RssAnon plus swap).
size_t privateBytes() { return memoryCounters().PagefileUsage; }

// The highest private usage seen while it lives: the system keeps no such peak under Wine,
// so it is sampled every millisecond.
class PrivateBytesSampler {
public:
    PrivateBytesSampler() : peak_(privateBytes()), sampler_([this] { sample(); }) {}
    ~PrivateBytesSampler() { stop(); }
    PrivateBytesSampler(const PrivateBytesSampler&) = delete;
    PrivateBytesSampler& operator=(const PrivateBytesSampler&) = delete;

    size_t stop() {
        running_ = false;
        if (sampler_.joinable()) sampler_.join();
        return peak_;
    }

private:
    void sample() {
        while (running_) {
            peak_ = std::max(peak_, privateBytes());
            Sleep(1);
        }
    }

    std::atomic<bool> running_{true};
    size_t peak_;
    std::thread sampler_;
};

bool fileContains(const std::string& path, const std::string& text) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    std::string content;
    char buffer[4096];
    for (size_t read; (read = std::fread(buffer, 1, sizeof buffer, file)) > 0;) content.append(buffer, read);
    std::fclose(file);
    return content.find(text) != std::string::npos;
}

// Invokes the stop command when the plan says; the command is the last one registered.
class StopTrigger {
public:
    StopTrigger(const StopPlan& plan, ULONGLONG runStarted) : plan_(plan) {
        if (plan.afterMs >= 0 && plan.watchedFile.empty()) dueAt_ = runStarted + static_cast<ULONGLONG>(plan.afterMs);
    }
    bool planned() const { return plan_.afterMs >= 0; }
    bool invoked() const { return invokedAt_ != 0; }
    ULONGLONG invokedAt() const { return invokedAt_; }
    // When the watched file first held the text; 0 before that or without a watched file.
    ULONGLONG conditionMetAt() const { return conditionMetAt_; }

    void poll() {
        if (!planned() || invoked()) return;
        const ULONGLONG now = GetTickCount64();
        if (dueAt_ == 0 && fileContains(plan_.watchedFile, plan_.watchedText)) {
            conditionMetAt_ = now;
            dueAt_ = now + static_cast<ULONGLONG>(plan_.afterMs);
        }
        if (dueAt_ == 0 || now < dueAt_) return;
        const auto commands = standin::registeredCommands();
        if (commands.empty()) return;
        standin::invokeCommand(commands.back().id, 0);
        invokedAt_ = GetTickCount64();
    }

private:
    StopPlan plan_;
    ULONGLONG dueAt_ = 0;
    ULONGLONG invokedAt_ = 0;
    ULONGLONG conditionMetAt_ = 0;
};

constexpr DWORD kIdlePollMs = 50;
// Fine enough to time the end of a run after a stop to a few milliseconds.
constexpr DWORD kStopPollMs = 2;

// Runs the first registered command, retrieve all, and waits while it reports itself grayed.
bool runRetrieveAll(int waitSeconds, StopTrigger& stop) {
    const auto commands = standin::registeredCommands();
    if (commands.empty()) return false;
    const int id = commands.front().id;
    standin::invokeCommand(id, 0);
    const DWORD deadline = GetTickCount() + static_cast<DWORD>(waitSeconds) * 1000u;
    while (standin::commandState(id) == 1) {
        if (static_cast<LONG>(GetTickCount() - deadline) > 0) return false;
        standin::pumpMessages();
        stop.poll();
        // Wakes at once for the plug-in's status texts and mails, which wait for this thread.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, stop.planned() ? kStopPollMs : kIdlePollMs, QS_ALLINPUT);
    }
    return true;
}

void printStopReport(const StopTrigger& stop, ULONGLONG started, ULONGLONG ended) {
    if (!stop.planned()) return;
    const auto seconds = [started](ULONGLONG tick) { return static_cast<double>(tick - started) / 1000.0; };
    if (stop.conditionMetAt() != 0) std::printf("stop condition met at seconds: %.3f\n", seconds(stop.conditionMetAt()));
    if (!stop.invoked()) {
        std::printf("stop not invoked: the run ended first\n");
        return;
    }
    std::printf("stop invoked at seconds: %.3f\n", seconds(stop.invokedAt()));
    std::printf("stop to run end seconds: %.3f\n", static_cast<double>(ended - stop.invokedAt()) / 1000.0);
}

// The working-set peak is the kernel's own, exact, but it counts mapped files as well.
void printMemoryReport(const PROCESS_MEMORY_COUNTERS_EX& baseline, size_t peakPrivate) {
    const PROCESS_MEMORY_COUNTERS_EX counters = memoryCounters();
    std::printf("baseline private bytes: %zu\n", static_cast<size_t>(baseline.PagefileUsage));
    std::printf("peak private bytes: %zu\n", peakPrivate);
    std::printf("baseline working set bytes: %zu\n", static_cast<size_t>(baseline.WorkingSetSize));
    std::printf("peak working set bytes: %zu\n", static_cast<size_t>(counters.PeakWorkingSetSize));
}

}  // namespace

int main(int argc, char** argv) {
    Arguments arguments;
    if (!parseArguments(argc, argv, arguments)) {
        std::fprintf(stderr, "usage: StandInHost --plugin PATH [--version TEXT] [--data FOLDER] "
                             "[--store-mails] [--retrieve-all | --interactive] [--wait-seconds N] [--stop-after-ms N] "
                             "[--stop-when-file-contains FILE TEXT] [--memory-report]\n");
        return 2;
    }
    standin::configure(arguments.host);
    // A person sees only the plug-in's buttons on the toolbar.
    const standin::MainWindow window = standin::createMainWindow(arguments.interactive ? 0 : 2, false);
    if (arguments.interactive) standin::prepareInteractiveWindow();

    standin::Plugin plugin;
    if (!plugin.load(arguments.plugin)) {
        std::printf("plug-in refused to load (error %lu)\n", plugin.lastError());
        return 3;
    }
    std::printf("plug-in loaded\n");
    plugin.onMenuInit(window.window, window.menu, 0);
    plugin.onStart();

    int exitCode = 0;
    if (arguments.interactive) {
        standin::runMainWindow([&plugin] { plugin.onEveryMinute(); });
        std::printf("mails delivered: %zu\n", standin::appendedMessageCount());
    } else if (arguments.retrieveAll) {
        const PROCESS_MEMORY_COUNTERS_EX baseline = memoryCounters();
        std::optional<PrivateBytesSampler> sampler;
        if (arguments.memoryReport) sampler.emplace();
        const double cpuBefore = processCpuSeconds();
        const ULONGLONG started = GetTickCount64();
        StopTrigger stop(arguments.stop, started);
        if (!runRetrieveAll(arguments.waitSeconds, stop)) exitCode = 4;
        const ULONGLONG ended = GetTickCount64();
        std::printf("mails delivered: %zu\n", standin::appendedMessageCount());
        std::printf("run wall seconds: %.3f\n", static_cast<double>(ended - started) / 1000.0);
        std::printf("run cpu seconds: %.3f\n", processCpuSeconds() - cpuBefore);
        printStopReport(stop, started, ended);
        if (sampler) printMemoryReport(baseline, sampler->stop());
    }
    plugin.onExit();
    plugin.unload();
    standin::destroyMainWindow();
    return exitCode;
}
