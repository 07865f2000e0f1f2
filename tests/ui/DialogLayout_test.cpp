// Every dialog with sample settings, checked for what a person would see wrong in it, and
// photographed for one to look at (scripts/screenshots collects the pictures).
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "DialogTest.h"
#include "ui/AboutDialog.h"
#include "ui/BulkEditDialog.h"
#include "ui/DialogHelpers.h"
#include "ui/LinkPropertiesDialog.h"
#include "ui/OtherSettingsDialog.h"
#include "ui/SettingsDialog.h"
#include "StandInHost.h"
#include "common/HostApi.h"
#include "common/RunState.h"
#include "plugin/RetrievalWorker.h"
#include "resources/SettingsDialog_rc.h"
#include "support/Screenshot.h"
#include "support/TestServer.h"

namespace {

struct Control {
    HWND window;
    std::wstring className;
    std::wstring text;
    RECT rect;  // in the dialog's client coordinates
};

std::vector<Control> visibleControls(HWND dialog) {
    std::vector<Control> controls;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child)) continue;
        Control control = {child, {}, {}, {}};
        wchar_t buffer[256] = {};
        GetClassNameW(child, buffer, 256);
        control.className = buffer;
        GetWindowTextW(child, buffer, 256);
        control.text = buffer;
        GetWindowRect(child, &control.rect);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&control.rect), 2);
        controls.push_back(control);
    }
    return controls;
}

// The text as drawn: "&" marks the next letter and is not drawn itself.
std::wstring drawnText(const std::wstring& text) {
    std::wstring drawn;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'&' && i + 1 < text.size()) ++i;
        drawn += text[i];
    }
    return drawn;
}

SIZE textExtent(HWND control, const std::wstring& text) {
    const HDC dc = GetDC(control);
    const HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    SIZE extent = {};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    SelectObject(dc, previous);
    ReleaseDC(control, dc);
    return extent;
}

// The width a control has for its text; 0 for controls without a text of their own.
LONG roomForText(const Control& control) {
    const LONG width = control.rect.right - control.rect.left;
    const LONG style = GetWindowLongW(control.window, GWL_STYLE);
    if (control.className == L"Static") return (style & SS_TYPEMASK) <= SS_RIGHT ? width : 0;
    if (control.className != L"Button") return 0;
    switch (style & BS_TYPEMASK) {
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON:
            return width - GetSystemMetrics(SM_CXMENUCHECK) - 4;
        default:
            return width - 4;
    }
}

// Texts cut off, controls on top of each other or beyond the dialog's edge.
std::vector<std::wstring> layoutFaults(HWND dialog) {
    const std::vector<Control> controls = visibleControls(dialog);
    RECT client = {};
    GetClientRect(dialog, &client);
    std::vector<std::wstring> faults;
    for (size_t i = 0; i < controls.size(); ++i) {
        const Control& control = controls[i];
        const std::wstring name = control.className + L" \"" + control.text + L"\"";
        const LONG room = roomForText(control);
        const SIZE extent = textExtent(control.window, drawnText(control.text));
        if (room > 0 && (extent.cx > room || extent.cy > control.rect.bottom - control.rect.top)) {
            faults.push_back(name + L" is cut off");
        }
        RECT inside = {};
        if (!IntersectRect(&inside, &control.rect, &client) || !EqualRect(&inside, &control.rect)) {
            faults.push_back(name + L" reaches beyond the dialog");
        }
        for (size_t j = i + 1; j < controls.size(); ++j) {
            // An up-down control sits on its buddy's edge by design.
            if (control.className == UPDOWN_CLASSW || controls[j].className == UPDOWN_CLASSW) continue;
            RECT overlap = {};
            if (IntersectRect(&overlap, &control.rect, &controls[j].rect)) {
                faults.push_back(name + L" overlaps " + controls[j].className + L" \"" + controls[j].text + L"\"");
            }
        }
    }
    return faults;
}

class DialogLayout : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        // Two mailboxes of the client for the settings dialog to list.
        const std::string data = folder.file("data");
        for (const char* name : {"Feeds", "Home"}) {
            const std::string mailbox = data + "\\" + std::string(name, 4) + "0001.mb";
            CreateDirectoryA(data.c_str(), nullptr);
            CreateDirectoryA(mailbox.c_str(), nullptr);
            writeFile(mailbox + "\\Mailbox.ini", std::string("[Account]\r\nName=") + name + "\r\n");
        }
        standin::HostOptions options;
        options.dataFolder = data;
        standin::configure(options);
        ASSERT_TRUE(bindHostApi());
        pluginSettings.Mailbox = L"Feeds";
        pluginSettings.ScheduleType = ScheduleEveryInterval;
        pluginSettings.Interval = 30;
    }
    void TearDown() override {
        waitForWorkerEnd();
        DialogTest::TearDown();
    }
};

INT_PTR settingsDialog(HWND owner) { return SettingsDialog(owner, requestRetrieval); }

// Links of every type, retrieved and never retrieved, one left out of retrieve-all runs.
std::vector<LinkEntry> sampleLinks(const std::wstring& hangingUrl) {
    return {{1, L"http://blog.example.com/feed/rss2.xml", L"示例博客 - 每日新闻", HtmlNormal, SubjectWithSender, 1700000000},
            {1, L"http://news.example.org/index.rdf", L"技术笔记", HtmlBreakLines, SenderOnly, 0},
            {0, L"http://photos.example.net/rss", L"山歩き日記", HtmlPrefetchLink, SubjectOnly, 1701234567},
            {1, hangingUrl, L"慢速服务器", HtmlNormal, SubjectWithSender, 0}};
}

TEST_F(DialogLayout, NoTextIsCutOffAndNoControlOverlapsAnother) {
    editLink = {1, L"http://blog.example.com/feed/rss2.xml", L"示例博客 - 每日新闻", HtmlNormal, SubjectWithSender,
                1700000000};
    pluginSettings.links = sampleLinks(L"http://127.0.0.1:1/");
    const struct {
        const char* name;
        INT_PTR (*dialog)(HWND);
        const wchar_t* caption;
    } dialogs[] = {
        {"link-properties", LinkPropertiesDialog, L"FeedwickRSS/链接RDF的设置"},
        {"other-settings", OtherSettingsDialog, L"Feedwick其它设置"},
        {"bulk-edit", BulkEditDialog, L"Feedwick统一编辑"},
        {"about", AboutDialog, L"Feedwick版本信息"},
        {"settings", settingsDialog, L"Feedwick设置"},
    };
    for (const auto& d : dialogs) {
        std::vector<std::wstring> faults;
        drive(d.dialog, d.caption, [&](DialogDriver& driver, HWND dialog) {
            driver.onDialogThread([&] { faults = layoutFaults(dialog); });
            driver.screenshot(dialog, d.name);
            driver.onDialogThread([dialog] { SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0); });
        });
        EXPECT_EQ(faults, std::vector<std::wstring>{}) << d.name;
    }
}

HWND visiblePopupMenu() {
    for (HWND window = FindWindowW(L"#32768", nullptr); window; window = FindWindowExW(nullptr, window, L"#32768", nullptr)) {
        if (IsWindowVisible(window)) return window;
    }
    return nullptr;
}

TEST_F(DialogLayout, SettingsDialogWithItsPopupMenuAndRetrieving) {
    TestServer server;
    pluginSettings.TimeoutC = 30;
    pluginSettings.links = sampleLinks(server.url("/feed.xml?hang=1"));
    drive(settingsDialog, L"Feedwick设置", [&](DialogDriver& driver, HWND dialog) {
        const HWND list = GetDlgItem(dialog, IDC_LINK_LIST);
        driver.onDialogThread([list] {
            ListView_SetItemState(list, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
            RECT row = {};
            ListView_GetItemRect(list, 0, &row, LVIR_LABEL);
            POINT at = {row.left + 40, (row.top + row.bottom) / 2};
            ClientToScreen(list, &at);
            SetCursorPos(at.x, at.y);
            SetFocus(list);  // as the right click itself would
            UpdateWindow(list);
        });
        driver.onDialogThread([dialog, list] {
            NMITEMACTIVATE click = {};
            click.hdr = {list, IDC_LINK_LIST, static_cast<UINT>(NM_RCLICK)};
            click.iItem = 0;
            SendMessageW(dialog, WM_NOTIFY, IDC_LINK_LIST, reinterpret_cast<LPARAM>(&click));
        });
        HWND menu = nullptr;
        for (int i = 0; i < 100 && !(menu = visiblePopupMenu()); ++i) Sleep(20);
        ASSERT_TRUE(menu);
        Sleep(200);  // the menu paints itself
        EXPECT_TRUE(saveWindowsPng({dialog, menu}, screenshotPath("settings-menu")));
        driver.onDialogThread([] { EndMenu(); });

        driver.click(dialog, IDC_RETRIEVE);
        for (int i = 0; i < 250 && server.requestLog().empty(); ++i) Sleep(20);
        driver.screenshot(dialog, "settings-retrieving");
        driver.click(dialog, IDCANCEL);
    });
}

// Wine's list view shows no info tips of its own, so the tip that the dialog gives for the row
// is shown where Windows' list view puts it: below the pointer resting on the row.
HWND showTipOverRow(HWND dialog, HWND list, int row, const std::wstring& text) {
    const HWND tip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                     0, 0, 0, 0, dialog, nullptr, nullptr, nullptr);
    TTTOOLINFOW tool = {};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_TRACK | TTF_ABSOLUTE;
    tool.hwnd = dialog;
    tool.lpszText = const_cast<wchar_t*>(text.c_str());
    SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageW(tip, TTM_SETMAXTIPWIDTH, 0, 400);
    RECT label = {};
    ListView_GetItemRect(list, row, &label, LVIR_LABEL);
    POINT at = {label.left + 40, label.bottom + 12};
    ClientToScreen(list, &at);
    SendMessageW(tip, TTM_TRACKPOSITION, 0, MAKELPARAM(at.x, at.y));
    SendMessageW(tip, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
    return tip;
}

// A link that keeps failing: its row is marked and its tip says why.
TEST_F(DialogLayout, SettingsDialogTellsHowALinkHasFared) {
    pluginSettings.links = sampleLinks(L"http://127.0.0.1:1/");
    LinkState failing;
    failing.lastResult = {1701234567, FetchOutcome::HttpStatus, 404, ""};
    failing.failuresInARow = 12;
    LinkState read;
    read.lastResult = {1700000000, FetchOutcome::Read, 3, ""};
    linkStates = {{"http://photos.example.net/rss", failing}, {"http://blog.example.com/feed/rss2.xml", read}};
    drive(settingsDialog, L"Feedwick设置", [&](DialogDriver& driver, HWND dialog) {
        const std::wstring text = driver.listInfoTip(dialog, IDC_LINK_LIST, 2);
        HWND tip = nullptr;
        driver.onDialogThread([&] { tip = showTipOverRow(dialog, GetDlgItem(dialog, IDC_LINK_LIST), 2, text); });
        Sleep(200);  // the tip paints itself
        EXPECT_TRUE(saveWindowsPng({dialog, tip}, screenshotPath("settings-health")));
        driver.onDialogThread([dialog, tip] {
            DestroyWindow(tip);
            SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        });
    });
    linkStates.clear();
}

}  // namespace
