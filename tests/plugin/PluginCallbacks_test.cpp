#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "common/TextConversion.h"
#include "support/PluginHarness.h"

namespace {

constexpr int kPluginPopup = 4;

std::string iniWith(const std::string& control) { return "[Control]\r\nVersion=1.2\r\n" + control + "[Links]\r\nCount=0\r\n"; }

std::vector<std::string> menuTexts(HMENU menu) {
    HMENU popup = GetSubMenu(menu, kPluginPopup);
    std::vector<std::string> texts;
    for (int i = 0; i < GetMenuItemCount(popup); ++i) {
        char text[128] = {};
        GetMenuStringA(popup, i, text, sizeof text, MF_BYPOSITION);
        const UINT id = GetMenuItemID(popup, i);
        texts.push_back(GetMenuState(popup, i, MF_BYPOSITION) & MF_SEPARATOR ? "-" : text + std::string("#") + std::to_string(id));
    }
    return texts;
}

struct ToolbarButton {
    int image;
    int command;
    bool separator;
};

std::vector<ToolbarButton> toolbarButtons(HWND toolbar) {
    std::vector<ToolbarButton> buttons;
    const int count = static_cast<int>(SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        TBBUTTON button = {};
        SendMessageW(toolbar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
        buttons.push_back({button.iBitmap, button.idCommand, (button.fsStyle & BTNS_SEP) != 0});
    }
    return buttons;
}

std::string id(int value) { return "#" + std::to_string(value); }

TEST(PluginCommands, MenuItemsCommandsAndToolbarButtons) {
    PluginHarness harness;
    harness.start();
    const auto commands = standin::registeredCommands();
    ASSERT_EQ(commands.size(), 3u);
    EXPECT_EQ(commands[0].description, toAnsi(L"Feedwick:收取信息"));
    EXPECT_EQ(commands[1].description, toAnsi(L"Feedwick:插件的设置和收取处理"));
    EXPECT_EQ(commands[2].description, toAnsi(L"Feedwick:停止收取"));
    for (const auto& command : commands) {
        EXPECT_EQ(command.menuType, 0);
        EXPECT_NE(command.state, nullptr);
    }
    EXPECT_EQ(menuTexts(harness.window().menu),
              (std::vector<std::string>{"Placeholder#1", "-", toAnsi(L"Feedwick:全收取(&R)") + id(commands[0].id),
                                        toAnsi(L"Feedwick:设置(&S)...") + id(commands[1].id),
                                        toAnsi(L"Feedwick:停止收取(&C)") + id(commands[2].id)}));

    const auto buttons = toolbarButtons(harness.window().toolbar);
    ASSERT_EQ(buttons.size(), 6u);
    EXPECT_TRUE(buttons[2].separator);
    for (int i = 0; i < 3; ++i) {
        EXPECT_FALSE(buttons[3 + i].separator);
        EXPECT_EQ(buttons[3 + i].command, commands[i].id);
        EXPECT_EQ(buttons[3 + i].image, buttons[3].image + i);
    }

    // Idle: retrieve and setup are enabled, stop is grayed.
    EXPECT_EQ(standin::commandState(commands[0].id), 0);
    EXPECT_EQ(standin::commandState(commands[1].id), 0);
    EXPECT_EQ(standin::commandState(commands[2].id), 1);

    // Each further menu set-up adds its own separator, items and registrations.
    harness.plugin().onMenuInit(harness.window().window, harness.window().menu, 0);
    EXPECT_EQ(standin::registeredCommands().size(), 6u);
    EXPECT_EQ(menuTexts(harness.window().menu).size(), 9u);
}

TEST(PluginCommands, NothingIsAddedWhenTurnedOffOrForOtherMenus) {
    const struct {
        const char* name;
        std::string ini;
        int menuType;
        int toolbarButtons;
        bool endsWithSeparator;
        size_t commands;
        size_t menuItems;
        size_t toolbarButtonsAfter;
    } cases[] = {
        {"tool menu off", iniWith("ToolMenu=0\r\n"), 0, 2, false, 0, 1, 2},
        {"menu type 1", iniWith(""), 1, 2, false, 0, 1, 6},
        {"toolbar ends with a separator", iniWith(""), 0, 2, true, 3, 5, 5},
        {"empty toolbar", iniWith(""), 0, 0, false, 3, 5, 3},
    };
    for (const auto& c : cases) {
        PluginHarness harness(c.ini, c.toolbarButtons, c.endsWithSeparator);
        harness.plugin().onMenuInit(harness.window().window, harness.window().menu, c.menuType);
        harness.plugin().onStart();
        EXPECT_EQ(standin::registeredCommands().size(), c.commands) << c.name;
        EXPECT_EQ(menuTexts(harness.window().menu).size(), c.menuItems) << c.name;
        EXPECT_EQ(toolbarButtons(harness.window().toolbar).size(), c.toolbarButtonsAfter) << c.name;
    }
}

TEST(PluginCommands, InformationRecord) {
    PluginHarness harness;
    char record[400];
    memset(record, 'x', sizeof record);
    EXPECT_EQ(harness.plugin().onPlugInInfo(record), 0);
    EXPECT_EQ(std::string(record), toAnsi(L"Mirvel! Feedwick插件"));
    EXPECT_EQ(std::string(record + 80), "MvFeedwick developers");
    EXPECT_EQ(std::string(record + 160), "1.2");
    EXPECT_EQ(std::string(record + 240), toAnsi(L"Mirvel!添加收取Blog功能。 "));
}

// Runs over an empty link list report exactly these status texts.
std::vector<std::string> emptyRunStatusTexts() { return {"", toAnsi(L"Feedwick:正在保存到收件箱"), ""}; }

TEST(PluginSchedule, TriggersRequestRunsByScheduleType) {
    const struct {
        const char* name;
        const char* control;
        bool everyMinuteRuns;
        bool finishRetrieveRuns;
    } cases[] = {
        {"off", "ScheduleType=0\r\n", false, false},
        {"after the client's retrieval", "ScheduleType=1\r\n", false, true},
        {"every interval", "ScheduleType=2\r\nInterval=60\r\n", true, false},
    };
    for (const auto& c : cases) {
        PluginHarness harness(iniWith(c.control));
        harness.start();
        harness.plugin().onEveryMinute();
        harness.plugin().onFinishRetrieve();
        const size_t expectedRuns = (c.everyMinuteRuns ? 1 : 0) + (c.finishRetrieveRuns ? 1 : 0);
        harness.waitFor([&] { return standin::statusTexts().size() >= 3 * expectedRuns && !harness.runIsGoing(); },
                        10000);
        harness.plugin().onExit();
        std::vector<std::string> expected;
        for (size_t i = 0; i < expectedRuns; ++i) {
            for (const std::string& text : emptyRunStatusTexts()) expected.push_back(text);
        }
        EXPECT_EQ(standin::statusTexts(), expected) << c.name;
    }
}

TEST(PluginSchedule, IntervalCountsFromTheLastRunStart) {
    PluginHarness harness(iniWith("ScheduleType=2\r\nInterval=1\r\n"));
    harness.start();
    harness.plugin().onEveryMinute();  // the first tick after loading always runs
    ASSERT_TRUE(harness.waitForRunEnd(10000));
    harness.plugin().onEveryMinute();  // less than a minute since that run began
    harness.plugin().onExit();
    EXPECT_EQ(standin::statusTexts().size(), 3u);
    EXPECT_NE(readFile(harness.iniPath()).find("Version=1.2"), std::string::npos);
}

// A retrieval that the client dispatches while the plug-in waits at exit must not start a
// full run, and the client's own loop still gets its quit message.
TEST(PluginExit, RefusesNewRunsAndKeepsTheQuitMessage) {
    PluginHarness harness(iniWith("ScheduleType=2\r\n"));
    harness.start();
    const int retrieveAll = standin::registeredCommands().at(0).id;
    PostMessageW(harness.window().window, WM_COMMAND, retrieveAll, 0);
    PostQuitMessage(7);
    harness.plugin().onExit();
    harness.plugin().onEveryMinute();
    harness.retrieveAll();
    EXPECT_FALSE(harness.runIsGoing());
    EXPECT_TRUE(standin::statusTexts().empty());
    MSG quit = {};
    ASSERT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 7u);
}

TEST(PluginExit, ReturnsAtOnceWhenIdle) {
    PluginHarness harness;
    harness.start();
    const ULONGLONG start = GetTickCount64();
    EXPECT_EQ(harness.plugin().onExit(), 0);
    EXPECT_LT(GetTickCount64() - start, 1500u);
}

}  // namespace
