#include "ui/OtherSettingsDialog.h"

#include <winhttp.h>

#include <vector>

#include "DialogTest.h"
#include "resources/OtherSettingsDialog_rc.h"
#include "ui/WinHttpProxy.h"

namespace {

constexpr wchar_t kCaption[] = L"Feedwick其它设置";

class OtherSettingsDialogTest : public DialogTest {
protected:
    static INT_PTR open(const std::function<void(DialogDriver&, HWND)>& script) {
        return drive(OtherSettingsDialog, kCaption, script);
    }
};

PluginSettings sampleSettings() {
    PluginSettings settings;
    settings.TimeoutC = 30;
    settings.TimeoutB = 20;
    settings.TimeoutS = 300;
    settings.SubjectPrefix = 0;
    settings.SubjectPrefixText = L"[新闻]";
    settings.ToolMenu = 0;
    settings.ItemMemory = 0;
    settings.Mailbox = L"Main";
    settings.Interval = 5;
    settings.links.resize(2);
    return settings;
}

// The options the dialog edits.
auto options(const PluginSettings& s) {
    return std::make_tuple(s.TimeoutC, s.TimeoutB, s.TimeoutS, s.SubjectPrefix, s.SubjectPrefixText, s.ToolMenu,
                           s.ItemMemory);
}

// Everything else, which it leaves alone.
auto otherSettings(const PluginSettings& s) {
    return std::make_tuple(s.Mailbox, s.ScheduleType, s.Interval, s.AlwaysTop, s.XPos, s.YPos, s.FilterExec,
                           s.links.size());
}

// What the dialog shows of the options: the three time-outs, the prefix, whether the prefix is
// on and can be edited, the toolbar box and the item memory box.
auto shownOptions(DialogDriver& driver, HWND dialog) {
    return std::make_tuple(driver.text(dialog, IDC_TIMEOUT_FEED), driver.text(dialog, IDC_TIMEOUT_PAGE),
                           driver.text(dialog, IDC_TIMEOUT_RUN), driver.text(dialog, IDC_SUBJECT_PREFIX_TEXT),
                           driver.isChecked(dialog, IDC_SUBJECT_PREFIX), driver.isEnabled(dialog, IDC_SUBJECT_PREFIX_TEXT),
                           driver.isChecked(dialog, IDC_TOOL_MENU), driver.isChecked(dialog, IDC_ITEM_MEMORY));
}

TEST_F(OtherSettingsDialogTest, OpensOnTheOptionsAndOkStoresThem) {
    pluginSettings = sampleSettings();
    const INT_PTR result = open([](DialogDriver& driver, HWND dialog) {
        EXPECT_EQ(shownOptions(driver, dialog),
                  std::make_tuple(std::wstring(L"30"), std::wstring(L"20"), std::wstring(L"300"),
                                  std::wstring(L"[新闻]"), false, false, false, false));
        EXPECT_FALSE(driver.isChecked(dialog, IDC_WINHTTP_PROXY));
        for (const int spin : {IDC_TIMEOUT_FEED_SPIN, IDC_TIMEOUT_PAGE_SPIN, IDC_TIMEOUT_RUN_SPIN}) {
            EXPECT_EQ(driver.upDownRange(dialog, spin), std::make_pair(1, 600)) << spin;
        }
        driver.typeText(dialog, IDC_TIMEOUT_FEED, L"");
        driver.typeText(dialog, IDC_TIMEOUT_PAGE, L"700");
        driver.typeText(dialog, IDC_TIMEOUT_RUN, L"45");
        driver.setChecked(dialog, IDC_SUBJECT_PREFIX, true);
        EXPECT_TRUE(driver.isEnabled(dialog, IDC_SUBJECT_PREFIX_TEXT));
        driver.typeText(dialog, IDC_SUBJECT_PREFIX_TEXT, L"[Feed] ");
        driver.setChecked(dialog, IDC_TOOL_MENU, true);
        driver.setChecked(dialog, IDC_ITEM_MEMORY, true);
        driver.click(dialog, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(options(pluginSettings), std::make_tuple(0, 700, 45, 1, std::wstring(L"[Feed] "), 1, 1));
    EXPECT_EQ(otherSettings(pluginSettings), otherSettings(sampleSettings()));
}

// The defaults appear in the controls and, like every change, reach the settings only on OK.
TEST_F(OtherSettingsDialogTest, DefaultsCancelAndTheCloseBox) {
    const struct {
        const char* name;
        int endButton;  // 0: the close box
        INT_PTR result;
        bool stored;
    } cases[] = {{"OK", IDOK, IDOK, true}, {"cancel", IDCANCEL, IDCANCEL, false}, {"close box", 0, 0, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        pluginSettings = sampleSettings();
        const INT_PTR result = open([&](DialogDriver& driver, HWND dialog) {
            driver.click(dialog, IDC_DEFAULTS);
            EXPECT_EQ(shownOptions(driver, dialog),
                      std::make_tuple(std::wstring(L"15"), std::wstring(L"10"), std::wstring(L"180"),
                                      std::wstring(L"[Blog]_"), true, true, true, true));
            if (c.endButton) {
                driver.click(dialog, c.endButton);
            } else {
                driver.onDialogThread([dialog] { SendMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); });
            }
        });
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(options(pluginSettings), options(c.stored ? PluginSettings{} : sampleSettings()));
    }
}

// The current user's browser proxy, set for one test. Its bypass list keeps the loopback
// requests of tests running beside this one direct while WinHTTP uses the proxy.
class BrowserProxy {
public:
    BrowserProxy() {
        std::vector<BYTE> settings;
        append(settings, 0x46);   // the settings' signature
        append(settings, 1);      // counter
        append(settings, 0x3);    // direct connections and a proxy
        append(settings, kProxy);
        append(settings, kBypass);
        settings.resize(settings.size() + 32);
        RegSetKeyValueW(HKEY_CURRENT_USER, kKey, kValue, REG_BINARY, settings.data(),
                        static_cast<DWORD>(settings.size()));
        applyIeProxyToWinHttp(false);
    }
    ~BrowserProxy() {
        applyIeProxyToWinHttp(false);
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, kValue);
    }
    BrowserProxy(const BrowserProxy&) = delete;
    BrowserProxy& operator=(const BrowserProxy&) = delete;

    static constexpr char kProxy[] = "proxy.test:8080";
    static constexpr char kBypass[] = "127.0.0.1;localhost;<local>";

private:
    static constexpr wchar_t kKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Connections";
    static constexpr wchar_t kValue[] = L"DefaultConnectionSettings";

    static void append(std::vector<BYTE>& bytes, DWORD value) {
        const BYTE* first = reinterpret_cast<const BYTE*>(&value);
        bytes.insert(bytes.end(), first, first + sizeof value);
    }
    static void append(std::vector<BYTE>& bytes, const char* text) {
        append(bytes, static_cast<DWORD>(strlen(text)));
        bytes.insert(bytes.end(), text, text + strlen(text));
    }
};

// WinHTTP's default proxy as "type|proxy|bypass".
std::wstring winHttpProxy() {
    WINHTTP_PROXY_INFO info = {};
    if (!WinHttpGetDefaultProxyConfiguration(&info)) return L"unreadable";
    std::wstring text = std::to_wstring(info.dwAccessType) + L"|" + (info.lpszProxy ? info.lpszProxy : L"") + L"|" +
                        (info.lpszProxyBypass ? info.lpszProxyBypass : L"");
    GlobalFree(info.lpszProxy);
    GlobalFree(info.lpszProxyBypass);
    return text;
}

TEST_F(OtherSettingsDialogTest, ProxyBoxSwitchesWinHttpsDefaultProxyAfterAQuestion) {
    const BrowserProxy browserProxy;
    const std::wstring noProxy = L"1||";
    const std::wstring namedProxy = L"3|proxy.test:8080|127.0.0.1;localhost;<local>";
    const struct {
        const char* name;
        bool boxBefore;
        int answer;
        bool boxAfter;
        std::wstring proxyAfter;
    } cases[] = {
        {"no keeps it off", false, IDNO, false, noProxy},
        {"yes switches it on", false, IDYES, true, namedProxy},
        {"no keeps it on", true, IDNO, true, namedProxy},
        {"yes switches it off", true, IDYES, false, noProxy},
    };
    ASSERT_TRUE(isUserAdministrator());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        open([&](DialogDriver& driver, HWND dialog) {
            EXPECT_EQ(driver.isChecked(dialog, IDC_WINHTTP_PROXY), c.boxBefore);
            driver.click(dialog, IDC_WINHTTP_PROXY);
            const MessageBoxView question = driver.waitForMessageBox(dialog);
            EXPECT_EQ(question.text, L"进行WinHTTP的Proxy设置的更新处理。确认吗？");
            EXPECT_EQ(question.icon, static_cast<UINT>(MB_ICONINFORMATION));
            driver.click(question.window, c.answer);
            EXPECT_EQ(driver.isChecked(dialog, IDC_WINHTTP_PROXY), c.boxAfter);
            driver.click(dialog, IDCANCEL);
        });
        EXPECT_EQ(winHttpProxy(), c.proxyAfter);
    }
}

}  // namespace
