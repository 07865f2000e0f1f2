#include "plugin/HostApi.h"

#include <gtest/gtest.h>

#include "StandInHost.h"
#include "support/TestFiles.h"

namespace {

constexpr int kLoaded = 0;
constexpr int kRefused = 3;

int loadInHost(const std::string& host, const std::string& version, const std::string& plugin) {
    const std::string commandLine = "\"" + testProgramFolder() + "\\" + host + ".exe\" --plugin \"" +
                                    plugin + "\" --version " + version;
    return runProgram(commandLine, 60000);
}

TEST(HostBinding, HostsMissingFunctionsAreRefused) {
    TempFolder folder;
    const std::string plugin = copyPluginInto(folder.path());
    const struct {
        const char* host;
        const char* version;
        int expected;
    } cases[] = {
        {"StandInHost", "2.10.00", kLoaded},
        {"StandInHost-NoConnect", "2.10.00", kRefused},
        {"StandInHost-NoNextUnread", "2.10.00", kLoaded},
        {"StandInHost-NoSetStatus", "2.00.05", kLoaded},
        {"StandInHost-NoSetStatus", "2.00.06", kRefused},
        {"StandInHost-NoSetStatus", "2.10.00", kRefused},
        // Longer than seven characters counts as new, whatever it compares like.
        {"StandInHost-NoSetStatus", "2.00.05a", kRefused},
        {"StandInHost-NoSetStatus", "1.99", kLoaded},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(loadInHost(c.host, c.version, plugin), c.expected) << c.host << " " << c.version;
    }
}

TEST(HostBinding, BindsEveryFunctionOfTheRunningHostOnce) {
    standin::configure(standin::HostOptions{});
    ASSERT_TRUE(bindHostApi());
    EXPECT_EQ(hostApi.module, GetModuleHandleA(nullptr));
    EXPECT_EQ(reinterpret_cast<void*>(hostApi.GetVersion),
              reinterpret_cast<void*>(GetProcAddress(hostApi.module, "MVA_GetVersion")));
    EXPECT_EQ(hostApi.Connect, GetProcAddress(hostApi.module, "MVA_Connect"));
    EXPECT_NE(hostApi.SetStatus, nullptr);
    EXPECT_NE(hostApi.NextUnread, nullptr);
    EXPECT_STREQ(hostApi.GetVersion(), "2.10.00");

    // A second call finds the table bound and looks nothing up again.
    hostApi.Connect = nullptr;
    EXPECT_TRUE(bindHostApi());
    EXPECT_EQ(hostApi.Connect, nullptr);
    hostApi = HostApi{};
}

TEST(HostBinding, PluginLoadsInProcessAndCreatesItsSettingsFile) {
    TempFolder folder;
    standin::configure(standin::HostOptions{});
    standin::Plugin plugin;
    ASSERT_TRUE(plugin.load(copyPluginInto(folder.path())));
    const std::string ini = folder.file("MvFeedwick.ini");
    EXPECT_EQ(GetFileAttributesA(ini.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(plugin.onStart(), 0);
    const std::string text = readFile(ini);
    EXPECT_NE(text.find("Version=1.2"), std::string::npos);
    EXPECT_NE(text.find("[Links]\r\nCount=0"), std::string::npos);
    EXPECT_EQ(plugin.onExit(), 0);
}

}  // namespace
