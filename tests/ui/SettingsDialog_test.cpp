#include "ui/SettingsDialog.h"

#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <tuple>
#include <vector>

#include "DialogTest.h"
#include "StandInHost.h"
#include "common/Handles.h"
#include "common/HostApi.h"
#include "common/PluginModule.h"
#include "common/RunState.h"
#include "common/TextConversion.h"
#include "plugin/Commands.h"
#include "plugin/RetrievalWorker.h"
#include "resources/LinkPropertiesDialog_rc.h"
#include "resources/SettingsDialog_rc.h"
#include "resources/resource.h"
#include "support/DragSource.h"
#include "support/FeedDocuments.h"
#include "support/TestServer.h"
#include "ui/LinkDropTarget.h"
#include "ui/LinkHealth.h"

namespace {

constexpr wchar_t kCaption[] = L"Feedwick设置";
constexpr wchar_t kLinkCaption[] = L"FeedwickRSS/链接RDF的设置";
constexpr wchar_t kNever[] = L"----/--/-- --:--:--";
constexpr wchar_t kIdleCaption[] = L"全收取(&R)";
constexpr wchar_t kStopCaption[] = L"停止(&R)";
constexpr wchar_t kNoMailbox[] =
    L"受信フォルダが設定されていません\n(Mirvel!のメールボックスの設定の、[メールボックス名]を設定しておいてください)";
constexpr wchar_t kNotALink[] = L"RSS/RDF/OPMLのリンクとして読み込めませんでした\n(タイムアウトになっている場合があります)";

using Row = std::tuple<bool, std::wstring, std::wstring, std::wstring, std::wstring>;  // box, title, URL, time, type

using Script = std::function<void(DialogDriver&, HWND)>;

class SettingsDialogTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        CreateDirectoryA(folder.file("data").c_str(), nullptr);
        standin::HostOptions options;
        options.dataFolder = folder.file("data");
        standin::configure(options);
        standin::clearRecords();
        ASSERT_TRUE(bindHostApi());
        runState.ready = 1;
        runState.singleLinkIndex = -1;
        pluginSmallIcon = static_cast<HICON>(
            LoadImageW(pluginInstance, MAKEINTRESOURCEW(IDI_PLUGIN), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
    }
    void TearDown() override {
        waitForWorkerEnd();
        DialogTest::TearDown();
    }

    void addMailbox(const std::string& folderName, const std::string& name) {
        const std::string mailbox = folder.file("data") + "\\" + folderName;
        CreateDirectoryA(mailbox.c_str(), nullptr);
        writeFile(mailbox + "\\Mailbox.ini", "[Account]\r\nName=" + name + "\r\n");
    }

    static INT_PTR open(const Script& script) {
        return drive([](HWND owner) { return SettingsDialog(owner, requestRetrieval); }, kCaption, script);
    }

    std::vector<LinkEntry> links(std::initializer_list<const wchar_t*> titles) {
        std::vector<LinkEntry> made;
        for (const wchar_t* title : titles) made.push_back({1, std::wstring(L"http://x/") + title, title});
        return made;
    }
};

HWND listOf(HWND dialog) { return GetDlgItem(dialog, IDC_LINK_LIST); }

std::wstring cellText(HWND list, int row, int column) {
    wchar_t text[512] = {};
    LVITEMW cell = {};
    cell.iSubItem = column;
    cell.pszText = text;
    cell.cchTextMax = 512;
    SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell));
    return text;
}

std::vector<Row> rows(DialogDriver& driver, HWND dialog) {
    std::vector<Row> read;
    driver.onDialogThread([&] {
        const HWND list = listOf(dialog);
        for (int i = 0; i < ListView_GetItemCount(list); ++i) {
            read.emplace_back(ListView_GetCheckState(list, i) != 0, cellText(list, i, 0), cellText(list, i, 1),
                              cellText(list, i, 2), cellText(list, i, 3));
        }
    });
    return read;
}

std::vector<std::wstring> titles(DialogDriver& driver, HWND dialog) {
    std::vector<std::wstring> read;
    for (const Row& row : rows(driver, dialog)) read.push_back(std::get<1>(row));
    return read;
}

int selectedListRow(DialogDriver& driver, HWND dialog) {
    int row = -2;
    driver.onDialogThread([&] { row = ListView_GetNextItem(listOf(dialog), -1, LVNI_SELECTED); });
    return row;
}

void selectListRow(DialogDriver& driver, HWND dialog, int row) {
    driver.onDialogThread([=] {
        ListView_SetItemState(listOf(dialog), row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    });
}

// A menu command or a list notification as the dialog gets it, with SHIFT held or not.
void onDialog(DialogDriver& driver, const std::function<void()>& action, bool shift = false) {
    driver.onDialogThread([=] {
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_SHIFT] = shift ? 0x80 : 0;
        SetKeyboardState(keys);
        action();
    });
}

void menuCommand(DialogDriver& driver, HWND dialog, int id, bool shift = false) {
    onDialog(driver, [=] { SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, 0), 0); }, shift);
}

void listNotification(DialogDriver& driver, HWND dialog, UINT code, WORD key = 0, bool shift = false) {
    onDialog(
        driver,
        [=] {
            NMLVKEYDOWN notification = {};
            notification.hdr = {listOf(dialog), IDC_LINK_LIST, code};
            notification.wVKey = key;
            SendMessageW(dialog, WM_NOTIFY, IDC_LINK_LIST, reinterpret_cast<LPARAM>(&notification));
        },
        shift);
}

bool waitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 10000) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (!condition()) {
        if (GetTickCount64() > deadline) return false;
        Sleep(20);
    }
    return true;
}

std::string clipboardText() {
    std::string text;
    if (!OpenClipboard(nullptr)) return "(clipboard busy)";
    if (const HANDLE data = GetClipboardData(CF_TEXT)) {
        text = static_cast<const char*>(GlobalLock(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

TEST_F(SettingsDialogTest, ShowsTheSettingsAndOneRowPerLink) {
    addMailbox("aaaa0001.mb", "Home");
    addMailbox("aaaa0002.mb", "Work");
    pluginSettings.Mailbox = L"wo";
    pluginSettings.ScheduleType = ScheduleEveryInterval;
    pluginSettings.Interval = 90;
    pluginSettings.links = {{1, L"http://a/rss", L"日记", HtmlNormal, SubjectWithSender, 0},
                            {0, L"http://b/", L"B", HtmlBreakLines, SenderOnly, 1700000000},
                            {1, L"http://c/", L"C", HtmlPrefetchLink, SubjectOnly, 1},
                            {1, L"http://d/", L"D", 7, -1, 0}};
    const INT_PTR result = open([](DialogDriver& driver, HWND dialog) {
        EXPECT_EQ(rows(driver, dialog),
                  (std::vector<Row>{{true, L"日记", L"http://a/rss", kNever, L"D/N"},
                                    {false, L"B", L"http://b/", L"23/11/15 07:13:20", L"S/B"},
                                    {true, L"C", L"http://c/", L"70/01/01 09:00:01", L"T/G"},
                                    {true, L"D", L"http://d/", kNever, L"/"}}));
        EXPECT_EQ(driver.text(dialog, IDC_LINK_COUNT), L"( 4 行 )");
        EXPECT_EQ(driver.comboItems(dialog, IDC_MAILBOX), (std::vector<std::wstring>{L"Home", L"Work"}));
        EXPECT_EQ(driver.text(dialog, IDC_MAILBOX), L"Work");
        EXPECT_TRUE(driver.isChecked(dialog, IDC_SCHEDULE_INTERVAL));
        EXPECT_EQ(driver.text(dialog, IDC_INTERVAL), L"90");
        EXPECT_EQ(driver.upDownRange(dialog, IDC_INTERVAL_SPIN), std::make_pair(1, 1440));
        EXPECT_EQ(driver.text(dialog, IDC_RETRIEVE), kIdleCaption);
        EXPECT_FALSE(driver.isEnabled(dialog, IDC_APPLY));
        EXPECT_EQ(SendMessageW(dialog, WM_GETICON, ICON_SMALL, 0), reinterpret_cast<LRESULT>(pluginSmallIcon));

        for (const int radio : {IDC_SCHEDULE_OFF, IDC_SCHEDULE_AFTER_HOST, IDC_SCHEDULE_INTERVAL}) {
            driver.setChecked(dialog, radio, true);
            const bool intervalUsable = radio == IDC_SCHEDULE_INTERVAL;
            EXPECT_EQ(driver.isEnabled(dialog, IDC_INTERVAL), intervalUsable) << radio;
            EXPECT_EQ(driver.isEnabled(dialog, IDC_INTERVAL_SPIN), intervalUsable) << radio;
        }
        EXPECT_TRUE(driver.isEnabled(dialog, IDC_APPLY));
        driver.click(dialog, IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
}

TEST_F(SettingsDialogTest, SelectsTheFirstMailboxThatBeginsWithTheStoredName) {
    addMailbox("aaaa0001.mb", "Home");
    addMailbox("aaaa0002.mb", "Work");
    addMailbox("aaaa0003.mb", "Workshop");
    const struct {
        const wchar_t* stored;
        const wchar_t* selected;
    } cases[] = {{L"WOR", L"Work"}, {L"works", L"Workshop"}, {L"", L"Home"}, {L"Nothing", L"Home"}};
    for (const auto& c : cases) {
        pluginSettings.Mailbox = c.stored;
        open([&](DialogDriver& driver, HWND dialog) {
            EXPECT_EQ(driver.text(dialog, IDC_MAILBOX), c.selected) << toAnsi(c.stored);
            driver.click(dialog, IDOK);
        });
        EXPECT_EQ(pluginSettings.Mailbox, c.selected);
    }
}

TEST_F(SettingsDialogTest, StayingOnTopHidesTheClientWindowAndAMailboxChoiceEnablesApply) {
    addMailbox("aaaa0001.mb", "Home");
    addMailbox("aaaa0002.mb", "Work");
    const HWND client = standin::createMainWindow(2, false).window;
    ShowWindow(client, SW_SHOW);
    pluginSettings.AlwaysTop = 1;
    open([client](DialogDriver& driver, HWND dialog) {
        const auto topmost = [dialog] { return (GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; };
        EXPECT_FALSE(IsWindowVisible(client));
        EXPECT_TRUE(topmost());
        EXPECT_FALSE(driver.isEnabled(dialog, IDC_APPLY));
        driver.setChecked(dialog, IDC_ALWAYS_TOP, false);
        EXPECT_TRUE(IsWindowVisible(client));
        EXPECT_FALSE(topmost());
        EXPECT_TRUE(driver.isEnabled(dialog, IDC_APPLY));

        driver.click(dialog, IDC_APPLY);
        driver.selectComboItem(dialog, IDC_MAILBOX, L"Work");
        EXPECT_TRUE(driver.isEnabled(dialog, IDC_APPLY));
        driver.click(dialog, IDOK);
    });
    EXPECT_EQ(pluginSettings.AlwaysTop, 0);
    EXPECT_EQ(pluginSettings.Mailbox, L"Work");
    standin::destroyMainWindow();
}

TEST_F(SettingsDialogTest, ArrowsMoveTheSelectedLinkButNotPastTheEnds) {
    pluginSettings.links = links({L"A", L"B", L"C"});
    open([](DialogDriver& driver, HWND dialog) {
        selectListRow(driver, dialog, 0);
        driver.click(dialog, IDC_MOVE_UP);
        EXPECT_EQ(titles(driver, dialog), (std::vector<std::wstring>{L"A", L"B", L"C"}));
        EXPECT_FALSE(driver.isEnabled(dialog, IDC_APPLY));
        driver.click(dialog, IDC_MOVE_DOWN);
        EXPECT_EQ(titles(driver, dialog), (std::vector<std::wstring>{L"B", L"A", L"C"}));
        EXPECT_EQ(selectedListRow(driver, dialog), 1);
        EXPECT_TRUE(driver.isEnabled(dialog, IDC_APPLY));
        selectListRow(driver, dialog, 2);
        driver.click(dialog, IDC_MOVE_DOWN);
        driver.click(dialog, IDC_MOVE_UP);
        EXPECT_EQ(titles(driver, dialog), (std::vector<std::wstring>{L"B", L"C", L"A"}));
        EXPECT_EQ(selectedListRow(driver, dialog), 1);
        driver.click(dialog, IDCANCEL);
    });
}

TEST_F(SettingsDialogTest, DeleteAsksUnlessShiftIsHeld) {
    pluginSettings.links = links({L"A", L"B", L"C", L"D"});
    open([](DialogDriver& driver, HWND dialog) {
        selectListRow(driver, dialog, 1);
        for (const int answer : {IDNO, IDYES}) {
            driver.click(dialog, IDC_DELETE);
            const MessageBoxView box = driver.waitForMessageBox(dialog);
            EXPECT_EQ(box.caption, L"Feedwick插件 ");
            EXPECT_EQ(box.text, L"真的要删除吗?");
            EXPECT_EQ(box.icon, static_cast<UINT>(MB_ICONINFORMATION));
            EXPECT_EQ(box.buttons, (std::vector<int>{IDYES, IDNO}));
            driver.click(box.window, answer);
        }
        EXPECT_EQ(titles(driver, dialog), (std::vector<std::wstring>{L"A", L"C", L"D"}));
        EXPECT_EQ(selectedListRow(driver, dialog), 1);
        // SHIFT with the Delete key, then with the menu command: no question. The last row
        // gone, the first is selected.
        selectListRow(driver, dialog, 2);
        listNotification(driver, dialog, LVN_KEYDOWN, VK_DELETE, true);
        EXPECT_EQ(titles(driver, dialog), (std::vector<std::wstring>{L"A", L"C"}));
        EXPECT_EQ(selectedListRow(driver, dialog), 0);
        menuCommand(driver, dialog, IDM_DELETE_LINK, true);
        EXPECT_EQ(titles(driver, dialog), (std::vector<std::wstring>{L"C"}));
        EXPECT_EQ(driver.text(dialog, IDC_LINK_COUNT), L"( 1 行 )");
        driver.click(dialog, IDCANCEL);
    });
}

// A box the user has just cleared in the list stays cleared whatever rebuilds the list.
TEST_F(SettingsDialogTest, CommandsThatRebuildTheListKeepTheCheckBoxesAsSet) {
    pluginSettings.links = links({L"A", L"B"});
    open([](DialogDriver& driver, HWND dialog) {
        driver.onDialogThread([dialog] { ListView_SetCheckState(listOf(dialog), 0, FALSE); });
        const auto firstBoxCleared = [&](const char* after) {
            EXPECT_FALSE(std::get<0>(rows(driver, dialog).at(0))) << after;
        };
        driver.click(dialog, IDC_NEW);
        const HWND link = driver.waitForDialog(kLinkCaption);
        EXPECT_EQ(runState.ready, 0);
        driver.typeText(link, IDC_LINK_TITLE, L"New");
        driver.typeText(link, IDC_LINK_URL, L"http://x/new");
        driver.click(link, IDOK);
        EXPECT_EQ(runState.ready, 1);
        EXPECT_EQ(rows(driver, dialog).back(), (Row{true, L"New", L"http://x/new", kNever, L"D/N"}));
        EXPECT_EQ(selectedListRow(driver, dialog), 2);
        firstBoxCleared("New");

        selectListRow(driver, dialog, 1);
        menuCommand(driver, dialog, IDM_LAST_RETRIEVED_NOW);
        EXPECT_NE(std::get<3>(rows(driver, dialog).at(1)), kNever);
        firstBoxCleared("40037");
        menuCommand(driver, dialog, IDM_CLEAR_LAST_RETRIEVED);
        EXPECT_EQ(std::get<3>(rows(driver, dialog).at(1)), kNever);
        firstBoxCleared("40036");

        driver.click(dialog, IDC_BULK_EDIT);
        driver.click(driver.waitForDialog(L"Feedwick统一编辑"), IDOK);
        firstBoxCleared("bulk edit");

        menuCommand(driver, dialog, IDM_DELETE_LINK, true);
        firstBoxCleared("Delete");
        driver.click(dialog, IDCANCEL);
    });
    EXPECT_EQ(pluginSettings.links.at(0).enabled, 0);
}

TEST_F(SettingsDialogTest, EditChangesTheSelectedLinkOnlyAfterOk) {
    pluginSettings.links = links({L"A", L"B"});
    open([](DialogDriver& driver, HWND dialog) {
        selectListRow(driver, dialog, 1);
        for (const int ending : {IDCANCEL, IDOK}) {
            listNotification(driver, dialog, NM_DBLCLK);
            const HWND link = driver.waitForDialog(kLinkCaption);
            EXPECT_EQ(driver.text(link, IDC_LINK_TITLE), L"B");
            driver.typeText(link, IDC_LINK_TITLE, L"B2");
            driver.setChecked(link, IDC_HTML_PREFETCH_LINK, true);
            driver.click(link, ending);
        }
        EXPECT_EQ(rows(driver, dialog).at(1), (Row{true, L"B2", L"http://x/B", kNever, L"D/G"}));
        EXPECT_EQ(selectedListRow(driver, dialog), 1);
        EXPECT_TRUE(driver.isEnabled(dialog, IDC_APPLY));
        driver.click(dialog, IDCANCEL);
    });
}

TEST_F(SettingsDialogTest, SubDialogsOpenWithDropsRefusedMeanwhile) {
    const struct {
        int button;
        const wchar_t* caption;
        int ending;
        bool enablesApply;
    } cases[] = {{IDC_OTHER_SETTINGS, L"Feedwick其它设置", IDOK, true},
                 {IDC_ABOUT, L"Feedwick版本信息", IDOK, false},
                 {IDC_BULK_EDIT, L"Feedwick统一编辑", IDCANCEL, false}};
    for (const auto& c : cases) {
        open([&](DialogDriver& driver, HWND dialog) {
            driver.click(dialog, c.button);
            const HWND sub = driver.waitForDialog(c.caption);
            EXPECT_EQ(runState.ready, 0);
            driver.click(sub, c.ending);
            EXPECT_EQ(runState.ready, 1);
            EXPECT_EQ(driver.isEnabled(dialog, IDC_APPLY), c.enablesApply) << c.button;
            driver.click(dialog, IDCANCEL);
        });
    }
}

TEST_F(SettingsDialogTest, ApplySavesAndOkAsksAboutAMissingMailbox) {
    pluginSettings.ScheduleType = ScheduleEveryInterval;
    const INT_PTR result = open([this](DialogDriver& driver, HWND dialog) {
        driver.typeText(dialog, IDC_INTERVAL, L"30");
        EXPECT_TRUE(driver.isEnabled(dialog, IDC_APPLY));
        driver.click(dialog, IDC_APPLY);
        MessageBoxView box = driver.waitForMessageBox(dialog);
        EXPECT_EQ(box.text, kNoMailbox);
        EXPECT_EQ(box.icon, static_cast<UINT>(MB_ICONWARNING));
        EXPECT_EQ(box.buttons, std::vector<int>{IDOK});
        driver.click(box.window, IDOK);
        EXPECT_FALSE(driver.isEnabled(dialog, IDC_APPLY));
        EXPECT_EQ(GetPrivateProfileIntA("Control", "Interval", 0, folder.file("MvFeedwick.ini").c_str()), 30u);

        for (const int answer : {IDNO, IDYES}) {
            driver.click(dialog, IDOK);
            box = driver.waitForMessageBox(dialog);
            EXPECT_EQ(box.text, std::wstring(kNoMailbox) + L"\nこのままでよろしいですか?");
            EXPECT_EQ(box.icon, static_cast<UINT>(MB_ICONWARNING));
            EXPECT_EQ(box.buttons, (std::vector<int>{IDYES, IDNO}));
            driver.click(box.window, answer);
        }
    });
    EXPECT_EQ(result, IDOK);
}

TEST_F(SettingsDialogTest, CopiesTheLinksTextsToTheClipboard) {
    TestServer server;
    server.writeFile("a.xml", rss2("Alpha", ""));
    pluginSettings.links = {{1, server.url("/a.xml"), L"中文标题"}, {1, server.url("/missing.xml"), L"Gone"}};
    open([&](DialogDriver& driver, HWND dialog) {
        selectListRow(driver, dialog, 0);
        const struct {
            int command;
            std::string text;
        } copies[] = {{IDM_COPY_XML_LINK, toAnsi(server.url("/a.xml"))},
                      {IDM_COPY_TITLE, toAnsi(L"中文标题")},
                      {IDM_COPY_HTML_LINK, "http://example.com/"}};
        for (const auto& copy : copies) {
            menuCommand(driver, dialog, copy.command);
            EXPECT_EQ(clipboardText(), copy.text) << copy.command;
        }
        selectListRow(driver, dialog, 1);
        menuCommand(driver, dialog, IDM_COPY_HTML_LINK);
        const MessageBoxView box = driver.waitForMessageBox(dialog);
        EXPECT_EQ(box.text, L"URLで指定されたRSS/RDFのXMLデータが読み込めません\n(タイムアウトになっている場合があります)");
        driver.click(box.window, IDOK);
        EXPECT_EQ(clipboardText(), "http://example.com/");
        driver.click(dialog, IDCANCEL);
    });
}

// What is remembered of a link shows in its row's info tip, and a long run of failures marks
// its type cell.
TEST_F(SettingsDialogTest, RowsTellHowTheirLinksHaveFared) {
    const auto fared = [](FetchOutcome outcome, int64_t detail, int32_t failures, const std::string& reason = "") {
        LinkState state;
        state.lastResult = {1700000000, outcome, detail, reason};
        state.failuresInARow = failures;
        return state;
    };
    pluginSettings.links = links({L"read", L"same", L"cut", L"gone", L"new"});
    linkStates = {{"http://x/read", fared(FetchOutcome::Read, 3, 0)},
                  {"http://x/same", fared(FetchOutcome::NotModified, 0, 0)},
                  {"http://x/cut", fared(FetchOutcome::ParseError, 12, 2, "\xe6\x9c\xaa\xe7\xbb\x93\xe6\x9d\x9f")},
                  {"http://x/gone", fared(FetchOutcome::HttpStatus, 404, kFailuresMarked)}};
    const std::wstring when = L"上次收取: 23/11/15 07:13:20\r\n";
    const std::wstring tips[] = {when + L"成功, 3 篇新文章", when + L"成功, 内容没有更新 (HTTP 304)",
                                 when + L"失败: XML 第 12 行有错误: 未结束\r\n已连续失败 2 次",
                                 when + L"失败: 服务器返回 HTTP 404\r\n已连续失败 10 次", L"尚未收取"};
    open([&](DialogDriver& driver, HWND dialog) {
        const std::vector<Row> shown = rows(driver, dialog);
        for (int row = 0; row < 5; ++row) {
            SCOPED_TRACE(row);
            EXPECT_EQ(std::get<4>(shown[static_cast<size_t>(row)]), row == 3 ? L"!D/N" : L"D/N");
            EXPECT_EQ(driver.listInfoTip(dialog, IDC_LINK_LIST, row), tips[row]);
        }
        driver.onDialogThread([&] {
            EXPECT_TRUE(ListView_GetExtendedListViewStyle(listOf(dialog)) & LVS_EX_INFOTIP);
        });
        driver.click(dialog, IDCANCEL);
    });
    linkStates.clear();
}

class DialogRetrieval : public SettingsDialogTest {
protected:
    void SetUp() override {
        SettingsDialogTest::SetUp();
        ASSERT_TRUE(server.running());
        addMailbox("feeds001.mb", "Feeds");
        pluginSettings.Mailbox = L"Feeds";
        server.writeFile("a.xml", rss2("Alpha", item("One", "http://a/1", "Tue, 14 Nov 2023 10:00:00 +0000", "x")));
    }

    // The idle look is back once the worker's refresh has come.
    static bool becomesIdle(DialogDriver& driver, HWND dialog) {
        return waitUntil([&] {
            return driver.text(dialog, IDC_RETRIEVE) == kIdleCaption && driver.isEnabled(dialog, IDOK) &&
                   driver.isEnabled(dialog, IDC_RETRIEVE);
        });
    }

    TestServer server;
};

TEST_F(DialogRetrieval, RetrievesAllOrTheOneLinkAndRefreshesWhenTheRunEnds) {
    pluginSettings.links = {{1, server.url("/a.xml?all"), L"A"}, {0, server.url("/a.xml?one"), L"B"}};
    open([&](DialogDriver& driver, HWND dialog) {
        driver.click(dialog, IDC_RETRIEVE);
        ASSERT_TRUE(becomesIdle(driver, dialog));
        EXPECT_NE(std::get<3>(rows(driver, dialog).at(0)), kNever);
        EXPECT_EQ(std::get<3>(rows(driver, dialog).at(1)), kNever);
        EXPECT_EQ(standin::appendedMessageCount(), 1u);

        selectListRow(driver, dialog, 1);
        menuCommand(driver, dialog, IDM_RETRIEVE_LINK);
        ASSERT_TRUE(becomesIdle(driver, dialog));
        EXPECT_NE(std::get<3>(rows(driver, dialog).at(1)), kNever);
        EXPECT_EQ(selectedListRow(driver, dialog), 1);
        EXPECT_EQ(runState.singleLinkIndex, -1);
        driver.click(dialog, IDCANCEL);
    });
    const auto log = server.requestLog();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].pathAndQuery, "/a.xml?all");
    EXPECT_EQ(log[1].pathAndQuery, "/a.xml?one");
}

TEST_F(DialogRetrieval, TheRetrieveButtonStopsTheRunItStarted) {
    pluginSettings.TimeoutC = 30;
    pluginSettings.links = {{1, server.url("/a.xml?hang=1"), L"Hanging"}};
    open([&](DialogDriver& driver, HWND dialog) {
        driver.click(dialog, IDC_RETRIEVE);
        ASSERT_TRUE(waitUntil([&] { return server.requestLog().size() == 1; }));
        EXPECT_EQ(driver.text(dialog, IDC_RETRIEVE), kStopCaption);
        for (const int id : {IDOK, IDC_APPLY, IDC_LINK_LIST, IDC_NEW, IDC_MAILBOX, IDC_OTHER_SETTINGS}) {
            EXPECT_FALSE(driver.isEnabled(dialog, id)) << id;
        }
        for (const int id : {IDCANCEL, IDC_ABOUT, IDC_HELP_BUTTON}) EXPECT_TRUE(driver.isEnabled(dialog, id)) << id;
        driver.click(dialog, IDC_RETRIEVE);
        EXPECT_FALSE(driver.isEnabled(dialog, IDC_RETRIEVE));
        ASSERT_TRUE(becomesIdle(driver, dialog));
        EXPECT_EQ(std::get<3>(rows(driver, dialog).at(0)), kNever);
        driver.click(dialog, IDCANCEL);
    });
    EXPECT_EQ(standin::appendedMessageCount(), 0u);
}

// The setup command as the client runs it: the dialog on the settings file.
class SetupCommand : public DialogRetrieval {
protected:
    static INT_PTR runSetupCommand(const std::function<void(DialogDriver&, HWND)>& script) {
        return DialogDriver::run(
            [] {
                runSetup(nullptr, 0);
                return INT_PTR{0};
            },
            [&](DialogDriver& driver) { script(driver, driver.waitForDialog(kCaption)); });
    }
};

const struct Closing {
    const char* name;
    std::function<void(DialogDriver&, HWND)> close;
} kClosings[] = {
    {"Cancel", [](DialogDriver& driver, HWND dialog) { driver.click(dialog, IDCANCEL); }},
    {"close box",
     [](DialogDriver& driver, HWND dialog) {
         driver.onDialogThread([dialog] { SendMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); });
     }},
};

TEST_F(SetupCommand, CancelAndTheCloseBoxDropWhatWasNotApplied) {
    pluginSettings.ScheduleType = ScheduleEveryInterval;
    saveSettings(iniPath);
    for (const Closing& closing : kClosings) {
        runSetupCommand([&](DialogDriver& driver, HWND dialog) {
            driver.typeText(dialog, IDC_INTERVAL, L"5");
            closing.close(driver, dialog);
        });
        EXPECT_EQ(pluginSettings.Interval, 60) << closing.name;
        EXPECT_EQ(runState.setupActive, 0);
    }
    runSetupCommand([](DialogDriver& driver, HWND dialog) {
        driver.typeText(dialog, IDC_INTERVAL, L"5");
        driver.click(dialog, IDOK);
    });
    loadSettings(iniPath);
    EXPECT_EQ(pluginSettings.Interval, 5);
}

// The stopped run must let go of the settings before they are reloaded.
TEST_F(SetupCommand, ClosingDuringARunWaitsForTheStoppedRunAndKeepsTheFile) {
    pluginSettings.TimeoutC = 30;
    pluginSettings.links = {{1, server.url("/a.xml"), L"Quick"}, {1, server.url("/a.xml?hang=1"), L"Hanging"}};
    // The file as the retrieve button leaves it: a save puts the Control section last, and
    // every close stores the dialog's position.
    saveSettings(iniPath);
    saveSettings(iniPath);
    runSetupCommand([](DialogDriver& driver, HWND dialog) { driver.click(dialog, IDCANCEL); });
    const std::string fileBefore = readFile(folder.file("MvFeedwick.ini"));
    for (const Closing& closing : kClosings) {
        runSetupCommand([&](DialogDriver& driver, HWND dialog) {
            const size_t requestsBefore = server.requestLog().size();
            driver.click(dialog, IDC_RETRIEVE);
            ASSERT_TRUE(waitUntil([&] { return server.requestLog().size() == requestsBefore + 2; }));
            closing.close(driver, dialog);
        });
        EXPECT_TRUE(workerThreadEnded()) << closing.name;
        EXPECT_EQ(standin::appendedMessageCount(), 0u);
        EXPECT_EQ(readFile(folder.file("MvFeedwick.ini")), fileBefore);
        EXPECT_EQ(pluginSettings.links.at(0).lastRetrieved, 0);
    }
}

class DialogDrops : public DialogRetrieval {
protected:
    static MessageBoxView expectWarning(DialogDriver& driver, HWND dialog) {
        const MessageBoxView box = driver.waitForMessageBox(dialog);
        EXPECT_EQ(box.icon, static_cast<UINT>(MB_ICONWARNING));
        driver.click(box.window, IDOK);
        return box;
    }

    void SetUp() override {
        DialogRetrieval::SetUp();
        oleInitialized = SUCCEEDED(OleInitialize(nullptr));
    }
    void TearDown() override {
        if (oleInitialized) OleUninitialize();
        DialogRetrieval::TearDown();
    }

    bool oleInitialized = false;
};

std::string opmlDocument(const std::string& outlines) {
    return "<?xml version=\"1.0\"?><opml version=\"2.0\"><head><title>Export</title></head><body>" + outlines +
           "</body></opml>";
}

TEST_F(DialogDrops, AFeedOpensTheLinkDialogAndAnOpmlDocumentAddsItsFeeds) {
    server.writeFile("page.html", "<html><body><p>Not a feed</body></html>");
    const std::string feedA = toAnsi(server.url("/a.xml?opml=a"));
    const std::string feedB = toAnsi(server.url("/a.xml?opml=b"));
    server.writeFile("list.opml", opmlDocument("<outline text=\"Tech\"><outline text=\"A\" xmlUrl=\"" + feedA +
                                               "\"/><outline text=\"B\" xmlUrl=\"" + feedB +
                                               "\"/></outline><outline text=\"A again\" xmlUrl=\"" + feedA + "\"/>"));
    const std::wstring subscribed = server.url("/a.xml?old");
    pluginSettings.links = {{1, subscribed, L"Old"}};
    open([&](DialogDriver& driver, HWND dialog) {
        const HWND list = listOf(dialog);
        const auto feed = startDrag(driver, list, {"", server.url("/a.xml"), {}});
        const HWND link = driver.waitForDialog(kLinkCaption);
        EXPECT_EQ(driver.text(link, IDC_LINK_TITLE), L"Alpha");
        EXPECT_EQ(driver.text(link, IDC_LINK_URL), server.url("/a.xml"));
        driver.click(link, IDOK);
        EXPECT_EQ(feed->finish(), static_cast<DWORD>(DROPEFFECT_COPY));
        EXPECT_EQ(titles(driver, dialog), (std::vector<std::wstring>{L"Old", L"Alpha"}));
        EXPECT_EQ(selectedListRow(driver, dialog), 1);
        EXPECT_TRUE(driver.isEnabled(dialog, IDC_APPLY));

        startDrag(driver, list, {toAnsi(server.url("/list.opml")), L"", {}})->finish();
        EXPECT_EQ(titles(driver, dialog), (std::vector<std::wstring>{L"Old", L"Alpha", L"A", L"B"}));

        const struct {
            std::wstring url;
            std::wstring warning;  // its start
        } refused[] = {{subscribed, L"リンクが既に設定されています"},
                       {server.url("/page.html"), L"XML読み込みエラー("},
                       {L"http://127.0.0.1:1/" + std::wstring(1100, L'x'), kNotALink}};
        for (const auto& r : refused) {
            const auto outcome = startDrag(driver, list, {"", r.url, {}});
            EXPECT_EQ(expectWarning(driver, dialog).text.rfind(r.warning, 0), 0u) << toAnsi(r.url.substr(0, 40));
            outcome->finish();
        }
        EXPECT_EQ(titles(driver, dialog).size(), 4u);
        driver.click(dialog, IDCANCEL);
    });
}

std::string pageLinking(const std::string& feedHref) {
    return "<!DOCTYPE html>\n<html><head><title>Blog</title><link rel=\"stylesheet\" href=\"s.css\">"
           "<link rel=\"alternate\" type=\"application/rss+xml\" href=\"" + feedHref + "\"></head><body></body></html>";
}

TEST_F(DialogDrops, APageGivesTheFeedItsHeadNames) {
    server.writeFile("b.xml", rss2("Beta", ""));
    server.writeFile("blog.html", pageLinking("b.xml?from=page&amp;x=1"));
    server.writeFile("old.html", pageLinking("/a.xml?old"));
    server.writeFile("broken.html", pageLinking("/missing.xml"));
    pluginSettings.links = {{1, server.url("/a.xml?old"), L"Old"}};
    const std::wstring blog = server.url("/blog.html?type=text%2Fhtml%3B%20charset%3Dutf-8");
    open([&](DialogDriver& driver, HWND dialog) {
        const auto page = startDrag(driver, listOf(dialog), {"", blog, {}});
        const HWND link = driver.waitForDialog(kLinkCaption);
        EXPECT_EQ(driver.text(link, IDC_LINK_URL), server.url("/b.xml?from=page&x=1"));
        EXPECT_EQ(driver.text(link, IDC_LINK_TITLE), L"Beta");
        driver.click(link, IDOK);
        EXPECT_EQ(page->finish(), static_cast<DWORD>(DROPEFFECT_COPY));
        EXPECT_EQ(titles(driver, dialog), (std::vector<std::wstring>{L"Old", L"Beta"}));

        const struct {
            std::string page;
            std::wstring warning;  // its start
        } refused[] = {{"/old.html", L"リンクが既に設定されています"}, {"/broken.html", L"XML読み込みエラー("}};
        for (const auto& r : refused) {
            const auto outcome = startDrag(driver, listOf(dialog), {"", server.url(r.page), {}});
            EXPECT_EQ(expectWarning(driver, dialog).text.rfind(r.warning, 0), 0u) << r.page;
            outcome->finish();
        }
        EXPECT_EQ(titles(driver, dialog).size(), 2u);
        driver.click(dialog, IDCANCEL);
    });
    // The trial load and the OPML import; the page's head comes from the latter's answer.
    const auto log = server.requestLog();
    const auto forBlog = [](const LoggedRequest& request) { return request.pathAndQuery.rfind("/blog.html", 0) == 0; };
    EXPECT_EQ(std::count_if(log.begin(), log.end(), forBlog), 2);
}

TEST_F(DialogDrops, AnInternetShortcutFileGivesItsUrl) {
    const std::string shortcut = folder.file("Alpha feed.url");
    writeFile(shortcut, "[InternetShortcut]\r\nURL=" + toAnsi(server.url("/a.xml")) + "\r\n");
    const std::string notShortcut = folder.file("notes.txt");
    writeFile(notShortcut, "just text\r\n");
    open([&](DialogDriver& driver, HWND dialog) {
        const auto first = startDrag(driver, listOf(dialog), {"", L"", {fromAnsi(shortcut), fromAnsi(notShortcut)}});
        const HWND link = driver.waitForDialog(kLinkCaption);
        EXPECT_EQ(driver.text(link, IDC_LINK_URL), server.url("/a.xml"));
        driver.click(link, IDCANCEL);
        first->finish();
        EXPECT_TRUE(rows(driver, dialog).empty());

        const auto second = startDrag(driver, listOf(dialog), {"", L"", {fromAnsi(notShortcut)}});
        EXPECT_EQ(expectWarning(driver, dialog).text, kNotALink);
        second->finish();
        driver.click(dialog, IDCANCEL);
    });
}

TEST_F(DialogDrops, DropsAreRefusedWhileARunOrASubDialogIsUnderWay) {
    pluginSettings.TimeoutC = 30;
    pluginSettings.links = {{1, server.url("/a.xml?hang=1"), L"Hanging"}};
    open([&](DialogDriver& driver, HWND dialog) {
        driver.click(dialog, IDC_ABOUT);
        const HWND about = driver.waitForDialog(L"Feedwick版本信息");
        // Out of the way, so that the drop falls on the settings dialog.
        driver.onDialogThread([about] { SetWindowPos(about, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER); });
        EXPECT_EQ(startDrag(driver, listOf(dialog), {"", server.url("/a.xml"), {}})->finish(),
                  static_cast<DWORD>(DROPEFFECT_NONE));
        driver.click(about, IDOK);

        driver.click(dialog, IDC_RETRIEVE);
        ASSERT_TRUE(waitUntil([&] { return server.requestLog().size() == 1; }));
        EXPECT_EQ(startDrag(driver, listOf(dialog), {"", server.url("/a.xml"), {}})->finish(),
                  static_cast<DWORD>(DROPEFFECT_NONE));
        driver.click(dialog, IDCANCEL);
    });
    EXPECT_EQ(server.requestLog().size(), 1u);
    EXPECT_EQ(pluginSettings.links.size(), 1u);
}

}  // namespace
