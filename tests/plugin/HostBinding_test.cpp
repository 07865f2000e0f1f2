#include "common/HostApi.h"

#include <gtest/gtest.h>

#include "StandInHost.h"
#include "common/TextConversion.h"
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

// Also from a folder whose name no ANSI code page can spell.
TEST(HostBinding, PluginLoadsInProcessAndCreatesItsSettingsFile) {
    for (const wchar_t* subfolder : {L"plain", L"\u0915\u093F\u0924\u093E\u092C"}) {
        TempFolder temp;
        const std::wstring folder = fromAnsi(temp.path()) + L"\\" + subfolder;
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
        const std::wstring library = folder + L"\\MvFeedwick.dll";
        ASSERT_TRUE(CopyFileW(fromAnsi(testProgramFolder() + "\\MvFeedwick.dll").c_str(), library.c_str(), FALSE));
        standin::configure(standin::HostOptions{});
        standin::Plugin plugin;
        ASSERT_TRUE(plugin.load(library));
        const std::wstring ini = folder + L"\\MvFeedwick.ini";
        EXPECT_EQ(GetFileAttributesW(ini.c_str()), INVALID_FILE_ATTRIBUTES);
        EXPECT_EQ(plugin.onStart(), 0);
        const std::string text = readFile(ini);
        EXPECT_NE(text.find("Version=1.2"), std::string::npos);
        EXPECT_NE(text.find("[Links]\r\nCount=0"), std::string::npos);
        EXPECT_EQ(plugin.onExit(), 0);
    }
}

}  // namespace
