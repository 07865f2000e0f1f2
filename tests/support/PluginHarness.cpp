#include "support/PluginHarness.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>

#include "common/Clock.h"

namespace {

// What the patched clock adds to the real one, in FILETIME ticks.
std::atomic<int64_t> clockShiftTicks{0};

ULONGLONG ticksOf(const FILETIME& time) {
    ULARGE_INTEGER ticks;
    ticks.LowPart = time.dwLowDateTime;
    ticks.HighPart = time.dwHighDateTime;
    return ticks.QuadPart;
}

// The plug-in's clock once patched: the real one shifted, so that it runs on.
void WINAPI shiftedSystemTime(FILETIME* time) {
    GetSystemTimeAsFileTime(time);
    ULARGE_INTEGER ticks;
    ticks.QuadPart = ticksOf(*time) + static_cast<ULONGLONG>(clockShiftTicks.load());
    *time = {ticks.LowPart, ticks.HighPart};
}

int64_t realTicks() {
    FILETIME now = {};
    GetSystemTimeAsFileTime(&now);
    return static_cast<int64_t>(ticksOf(now));
}

// The import address table entries through which `module` calls `function` of `dll`.
std::vector<void**> importSlots(HMODULE module, const char* dll, const char* function) {
    BYTE* const base = reinterpret_cast<BYTE*>(module);
    const auto* headers =
        reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    std::vector<void**> slots;
    if (imports.VirtualAddress == 0) return slots;
    for (auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); entry->Name;
         ++entry) {
        if (_stricmp(reinterpret_cast<const char*>(base + entry->Name), dll) != 0) continue;
        const auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + entry->OriginalFirstThunk);
        auto* addresses = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++addresses) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) == 0) {
                slots.push_back(reinterpret_cast<void**>(&addresses->u1.Function));
            }
        }
    }
    return slots;
}

bool writeSlot(void** slot, void* value) {
    DWORD protection = 0;
    if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection)) return false;
    *slot = value;
    VirtualProtect(slot, sizeof *slot, protection, &protection);
    return true;
}

}  // namespace

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
    restorePluginClock();
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

void PluginHarness::setPluginClock(int64_t secondsSince1970) {
    clockShiftTicks = (secondsSince1970 + kSecondsFrom1601To1970) * kFileTimeTicksPerSecond - realTicks();
    if (!clockSlots_.empty()) return;
    HMODULE module = nullptr;
    constexpr DWORD kByAddress = GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT;
    ASSERT_TRUE(GetModuleHandleExW(kByAddress, reinterpret_cast<LPCWSTR>(plugin_.entry("MVC_OnStart")), &module));
    clockSlots_ = importSlots(module, "kernel32.dll", "GetSystemTimeAsFileTime");
    ASSERT_FALSE(clockSlots_.empty()) << "the plug-in does not import GetSystemTimeAsFileTime";
    realClock_ = *clockSlots_.front();
    for (void** slot : clockSlots_) {
        EXPECT_TRUE(writeSlot(slot, reinterpret_cast<void*>(&shiftedSystemTime)));
    }
}

void PluginHarness::restorePluginClock() {
    for (void** slot : clockSlots_) writeSlot(slot, realClock_);
    clockSlots_.clear();
}
