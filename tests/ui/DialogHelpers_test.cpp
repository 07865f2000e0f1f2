#include "ui/DialogHelpers.h"

#include <gtest/gtest.h>

#include "common/TextConversion.h"
#include "support/TestFiles.h"

namespace {

std::string clipboardText() {
    if (!OpenClipboard(nullptr)) return "(not open)";
    std::string text = "(none)";
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        text = static_cast<const char*>(GlobalLock(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

TEST(DialogHelpers, CopiesTheAnsiTextToTheClipboard) {
    for (const std::wstring& text : {std::wstring(L"http://example.com/rss"), std::wstring(L"中文标题"), std::wstring()}) {
        copyTextToClipboard(nullptr, text);
        EXPECT_EQ(clipboardText(), toAnsi(text));
    }
}

// (0, 0) means never placed: the system's position stays.
TEST(DialogHelpers, RestoresAndRemembersTheDialogPosition) {
    TempFolder folder;
    iniPath = fromAnsi(folder.file("MvFeedwick.ini"));
    const HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 37, 53, 120, 80, nullptr, nullptr,
                                        nullptr, nullptr);
    const auto origin = [&] {
        RECT frame = {};
        GetWindowRect(window, &frame);
        return std::make_pair(frame.left, frame.top);
    };
    const struct {
        int x, y;
        std::pair<LONG, LONG> expected;
    } cases[] = {{0, 0, {37, 53}}, {0, 100, {0, 100}}, {250, 0, {250, 0}}, {-30000, -30000, {250, 0}}};
    for (const auto& c : cases) {
        pluginSettings.XPos = c.x;
        pluginSettings.YPos = c.y;
        restoreDialogPosition(window);
        EXPECT_EQ(origin(), c.expected) << c.x << "," << c.y;
    }

    SetWindowPos(window, nullptr, 61, 72, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    rememberDialogPosition(window);
    EXPECT_EQ(pluginSettings.XPos, 61);
    EXPECT_EQ(pluginSettings.YPos, 72);
    EXPECT_EQ(readFile(folder.file("MvFeedwick.ini")), "[Control]\r\nXPos=61\r\nYPos=72\r\n");
    DestroyWindow(window);
    pluginSettings = PluginSettings{};
    iniPath.clear();
}

}  // namespace
