#include "ui/LinkPropertiesDialog.h"

#include <ctime>
#include <vector>

#include "DialogTest.h"
#include "common/TextConversion.h"
#include "resources/LinkPropertiesDialog_rc.h"
#include "ui/DialogHelpers.h"

namespace {

constexpr wchar_t kCaption[] = L"FeedwickRSS/链接RDF的设置";
const std::vector<int> kHtmlRadios = {IDC_HTML_NORMAL, IDC_HTML_BREAK_LINES, IDC_HTML_PREFETCH_LINK};
const std::vector<int> kSenderRadios = {IDC_SENDER_SUBJECT_WITH_SENDER, IDC_SENDER_SUBJECT_ONLY, IDC_SENDER_ONLY};

class LinkPropertiesDialogTest : public DialogTest {
protected:
    static INT_PTR open(const std::function<void(DialogDriver&, HWND)>& script) {
        return drive(LinkPropertiesDialog, kCaption, script);
    }
};

std::vector<int> checkedRadios(DialogDriver& driver, HWND dialog, const std::vector<int>& group) {
    std::vector<int> checked;
    for (const int id : group) {
        if (driver.isChecked(dialog, id)) checked.push_back(id);
    }
    return checked;
}

long long pickersShow(DialogDriver& driver, HWND dialog) {
    return calendarSecond(driver.dateTime(dialog, IDC_LAST_RETRIEVED_DATE),
                          driver.dateTime(dialog, IDC_LAST_RETRIEVED_TIME));
}

SYSTEMTIME calendarDate(WORD year, WORD month, WORD day, WORD hour = 0, WORD minute = 0, WORD second = 0) {
    SYSTEMTIME time = {};
    time.wYear = year;
    time.wMonth = month;
    time.wDay = day;
    time.wHour = hour;
    time.wMinute = minute;
    time.wSecond = second;
    return time;
}

// The tests run nine hours east of UTC (TZ=JST-9).
TEST_F(LinkPropertiesDialogTest, OpensOnTheLinkAndOkKeepsWhatWasNotTouched) {
    const struct {
        const char* name;
        LinkEntry link;
        bool enabledBox;
        std::vector<int> htmlRadio;
        std::vector<int> senderRadio;
        long long pickers;
    } cases[] = {
        {"line breaks, sender only", {0, L"http://a/rss", L"中文博客", HtmlBreakLines, SenderOnly, 1700000000}, false,
         {IDC_HTML_BREAK_LINES}, {IDC_SENDER_ONLY}, 20231115071320},
        {"normal, subject with sender", {1, L"u", L"t", HtmlNormal, SubjectWithSender, 0}, true, {IDC_HTML_NORMAL},
         {IDC_SENDER_SUBJECT_WITH_SENDER}, 19700101090000},
        {"prefetch, subject only", {1, L"u", L"t", HtmlPrefetchLink, SubjectOnly, 2147483647}, true,
         {IDC_HTML_PREFETCH_LINK}, {IDC_SENDER_SUBJECT_ONLY}, 20380119121407},
        {"modes without a radio", {1, L"u", L"t", 7, -1, 5}, true, {}, {}, 19700101090005},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        editLink = c.link;
        const INT_PTR result = open([&](DialogDriver& driver, HWND dialog) {
            EXPECT_EQ(driver.isChecked(dialog, IDC_LINK_ENABLED), c.enabledBox);
            EXPECT_EQ(driver.text(dialog, IDC_LINK_TITLE), c.link.title);
            EXPECT_EQ(driver.text(dialog, IDC_LINK_URL), c.link.url);
            EXPECT_EQ(checkedRadios(driver, dialog, kHtmlRadios), c.htmlRadio);
            EXPECT_EQ(checkedRadios(driver, dialog, kSenderRadios), c.senderRadio);
            EXPECT_EQ(pickersShow(driver, dialog), c.pickers);
            driver.click(dialog, IDOK);
        });
        EXPECT_EQ(result, IDOK);
        EXPECT_EQ(linkFields(editLink), linkFields(c.link));
    }
}

TEST_F(LinkPropertiesDialogTest, RadiosSetTheModes) {
    const struct {
        int radio;
        int32_t LinkEntry::*field;
        int32_t value;
    } cases[] = {
        {IDC_HTML_NORMAL, &LinkEntry::htmlMode, HtmlNormal},
        {IDC_HTML_BREAK_LINES, &LinkEntry::htmlMode, HtmlBreakLines},
        {IDC_HTML_PREFETCH_LINK, &LinkEntry::htmlMode, HtmlPrefetchLink},
        {IDC_SENDER_SUBJECT_WITH_SENDER, &LinkEntry::senderMode, SubjectWithSender},
        {IDC_SENDER_SUBJECT_ONLY, &LinkEntry::senderMode, SubjectOnly},
        {IDC_SENDER_ONLY, &LinkEntry::senderMode, SenderOnly},
    };
    for (const auto& c : cases) {
        editLink = {1, L"u", L"t", 9, 9, 0};
        open([&](DialogDriver& driver, HWND dialog) {
            driver.setChecked(dialog, c.radio, true);
            driver.click(dialog, IDOK);
        });
        EXPECT_EQ(editLink.*c.field, c.value) << c.radio;
    }
}

TEST_F(LinkPropertiesDialogTest, OkStoresTheEditedLink) {
    editLink = {1, L"http://old/", L"Old", HtmlNormal, SubjectWithSender, 1700000000};
    const INT_PTR result = open([](DialogDriver& driver, HWND dialog) {
        driver.setChecked(dialog, IDC_LINK_ENABLED, false);
        driver.typeText(dialog, IDC_LINK_TITLE, L"  新的标题");
        driver.typeText(dialog, IDC_LINK_URL, L"http://new.example/feed.xml");
        driver.setChecked(dialog, IDC_HTML_PREFETCH_LINK, true);
        driver.setChecked(dialog, IDC_SENDER_SUBJECT_ONLY, true);
        driver.setDateTime(dialog, IDC_LAST_RETRIEVED_DATE, calendarDate(2024, 2, 29));
        driver.setDateTime(dialog, IDC_LAST_RETRIEVED_TIME, calendarDate(2001, 1, 1, 13, 45, 30));
        driver.click(dialog, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    const LinkEntry expected = {0, L"http://new.example/feed.xml", L"  新的标题", HtmlPrefetchLink, SubjectOnly,
                                1709181930};
    EXPECT_EQ(linkFields(editLink), linkFields(expected));
}

TEST_F(LinkPropertiesDialogTest, CancelAndTheCloseBoxStoreNothing) {
    const struct {
        const char* name;
        std::function<void(DialogDriver&, HWND)> end;
        INT_PTR result;
    } cases[] = {
        {"cancel", [](DialogDriver& driver, HWND dialog) { driver.click(dialog, IDCANCEL); }, IDCANCEL},
        {"close box", [](DialogDriver& driver, HWND dialog) {
             driver.onDialogThread([dialog] { SendMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); });
         }, 0},
    };
    const LinkEntry link = {1, L"http://old/", L"Old", HtmlNormal, SubjectWithSender, 1700000000};
    for (const auto& c : cases) {
        editLink = link;
        const INT_PTR result = open([&](DialogDriver& driver, HWND dialog) {
            driver.setChecked(dialog, IDC_LINK_ENABLED, false);
            driver.typeText(dialog, IDC_LINK_TITLE, L"New");
            driver.click(dialog, IDC_LAST_RETRIEVED_CLEAR);
            c.end(driver, dialog);
        });
        EXPECT_EQ(result, c.result) << c.name;
        EXPECT_EQ(linkFields(editLink), linkFields(link)) << c.name;
    }
}

// A double-byte character that does not fit whole is left out, not cut in half.
TEST_F(LinkPropertiesDialogTest, OkKeepsTheFirst254BytesOfEachText) {
    const std::wstring longUrl = L"a" + std::wstring(200, L'中');
    open([&](DialogDriver& driver, HWND dialog) {
        driver.typeText(dialog, IDC_LINK_TITLE, std::wstring(300, L't'));
        driver.typeText(dialog, IDC_LINK_URL, longUrl);
        driver.click(dialog, IDOK);
    });
    EXPECT_EQ(editLink.title, std::wstring(254, L't'));
    const bool doubleByte = toAnsi(L"中").size() == 2;
    EXPECT_EQ(toAnsi(editLink.url), toAnsi(longUrl).substr(0, doubleByte ? 253 : 254));
}

// The dialog stays open with the typed texts, so the user can correct them.
TEST_F(LinkPropertiesDialogTest, RefusalsExplainAndKeepTheDialogOpen) {
    const struct {
        const wchar_t* title;
        const wchar_t* url;
        int button;
        const wchar_t* message;
    } cases[] = {
        {L"", L"http://a/", IDOK, L"请输入标题和URL "},
        {L"Blog", L"", IDOK, L"请输入标题和URL "},
        {L"A|B", L"http://a/", IDOK, L"エラー '|'文字の入力はできません"},
        {L"Blog", L"http://a/?x=|", IDOK, L"エラー '|'文字の入力はできません"},
        {L"Blog", L"http://127.0.0.1:1/feed.xml", IDC_LINK_OPEN_HTML,
         L"URLで指定されたRSS/RDFのXMLデータが読み込めません\n(タイムアウトになっている場合があります)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        editLink = {1, L"http://old/", L"Old", HtmlNormal, SubjectWithSender, 0};
        const INT_PTR result = open([&](DialogDriver& driver, HWND dialog) {
            driver.typeText(dialog, IDC_LINK_TITLE, c.title);
            driver.typeText(dialog, IDC_LINK_URL, c.url);
            driver.click(dialog, c.button);
            const MessageBoxView box = driver.waitForMessageBox(dialog);
            EXPECT_EQ(box.caption, L"Feedwick插件 ");
            EXPECT_EQ(box.text, c.message);
            EXPECT_EQ(box.icon, static_cast<UINT>(MB_ICONWARNING));
            driver.click(box.window, IDOK);
            EXPECT_EQ(driver.text(dialog, IDC_LINK_TITLE), c.title);
            EXPECT_EQ(driver.text(dialog, IDC_LINK_URL), c.url);
            driver.click(dialog, IDCANCEL);
        });
        EXPECT_EQ(result, IDCANCEL);
    }
}

TEST_F(LinkPropertiesDialogTest, NowAndClearSetThePickers) {
    editLink = {1, L"u", L"t", HtmlNormal, SubjectWithSender, 1700000000};
    open([](DialogDriver& driver, HWND dialog) {
        driver.click(dialog, IDC_LAST_RETRIEVED_CLEAR);
        EXPECT_EQ(pickersShow(driver, dialog), 19700101090000);
        driver.click(dialog, IDOK);
    });
    EXPECT_EQ(editLink.lastRetrieved, 0);

    const int32_t before = static_cast<int32_t>(std::time(nullptr));
    open([](DialogDriver& driver, HWND dialog) {
        driver.click(dialog, IDC_LAST_RETRIEVED_NOW);
        driver.click(dialog, IDOK);
    });
    EXPECT_GE(editLink.lastRetrieved, before);
    EXPECT_LE(editLink.lastRetrieved, static_cast<int32_t>(std::time(nullptr)));
}

// Also run west of UTC, where the time 0 is a local time of 1969.
class PickerTimes : public LinkPropertiesDialogTest {};

TEST_F(PickerTimes, EveryStoredTimeShowsAndComesBackAndOthersStayInRange) {
    TIME_ZONE_INFORMATION zone = {};
    GetTimeZoneInformation(&zone);
    const long long localZero = zone.Bias == 300 ? 19691231190000 : 19700101090000;
    ASSERT_TRUE(zone.Bias == 300 || zone.Bias == -540) << "run under TZ=JST-9 or TZ=EST5EDT";
    const struct {
        const char* name;
        int64_t stored;
        std::function<void(DialogDriver&, HWND)> change;
        int64_t expected;
    } cases[] = {
        {"clear", 1700000000, [&](DialogDriver& d, HWND w) {
             d.click(w, IDC_LAST_RETRIEVED_CLEAR);
             EXPECT_EQ(pickersShow(d, w), localZero);
         }, 0},
        {"never retrieved", 0, [&](DialogDriver& d, HWND w) { EXPECT_EQ(pickersShow(d, w), localZero); }, 0},
        // 01:30 twice on 2023-11-05 in New York, first in daylight saving time, then not.
        {"first of a repeated hour", 1699162200, nullptr, 1699162200},
        {"second of a repeated hour", 1699165800, nullptr, 1699165800},
        {"before 1970", 1700000000,
         [](DialogDriver& d, HWND w) { d.setDateTime(w, IDC_LAST_RETRIEVED_DATE, calendarDate(1969, 6, 1)); }, 0},
        {"past 32 bits", 2208988800, nullptr, 2208988800},
        {"past the settings file's range", 1700000000,
         [](DialogDriver& d, HWND w) { d.setDateTime(w, IDC_LAST_RETRIEVED_DATE, calendarDate(2110, 1, 1)); },
         4294967295},
    };
    for (const auto& c : cases) {
        editLink = {1, L"u", L"t", HtmlNormal, SubjectWithSender, c.stored};
        open([&](DialogDriver& driver, HWND dialog) {
            if (c.change) c.change(driver, dialog);
            driver.click(dialog, IDOK);
        });
        EXPECT_EQ(editLink.lastRetrieved, c.expected) << c.name;
    }
}

}  // namespace
