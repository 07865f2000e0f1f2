#include "ui/BulkEditDialog.h"

#include <vector>

#include "DialogTest.h"
#include "resources/BulkEditDialog_rc.h"

namespace {

constexpr wchar_t kCaption[] = L"Feedwick统一编辑";
constexpr long long kLocalTimeOfZero = 19700101090000;  // TZ=JST-9

class BulkEditDialogTest : public DialogTest {
protected:
    static INT_PTR open(const std::function<void(DialogDriver&, HWND)>& script) {
        return drive(BulkEditDialog, kCaption, script);
    }
};

// Three links that differ in every field; the second is left out of retrieve-all runs.
std::vector<LinkEntry> sampleLinks() {
    return {{1, L"http://a/", L"A", HtmlNormal, SubjectWithSender, 100},
            {0, L"http://b/", L"B", HtmlBreakLines, SenderOnly, 200},
            {1, L"http://c/", L"C", HtmlPrefetchLink, SubjectOnly, 300}};
}

template <typename Field>
std::vector<LinkEntry> withField(std::vector<LinkEntry> links, Field LinkEntry::*field, int64_t value) {
    for (LinkEntry& link : links) link.*field = static_cast<Field>(value);
    return links;
}

const struct {
    int box;
    std::vector<int> values;
} kFieldControls[] = {
    {IDC_BULK_SET_ENABLED, {IDC_BULK_ENABLED_ON, IDC_BULK_ENABLED_OFF}},
    {IDC_BULK_SET_SENDER_MODE, {IDC_SENDER_SUBJECT_WITH_SENDER, IDC_SENDER_SUBJECT_ONLY, IDC_SENDER_ONLY}},
    {IDC_BULK_SET_HTML_MODE, {IDC_HTML_NORMAL, IDC_HTML_BREAK_LINES, IDC_HTML_PREFETCH_LINK}},
    {IDC_BULK_SET_LAST_RETRIEVED,
     {IDC_LAST_RETRIEVED_DATE, IDC_LAST_RETRIEVED_TIME, IDC_LAST_RETRIEVED_NOW, IDC_LAST_RETRIEVED_CLEAR}},
};

// Each value control is usable exactly while its field's box is checked.
TEST_F(BulkEditDialogTest, StartsAtANewLinksValuesAndEachBoxEnablesItsField) {
    open([](DialogDriver& driver, HWND dialog) {
        for (const int radio : {IDC_BULK_ENABLED_ON, IDC_SENDER_SUBJECT_WITH_SENDER, IDC_HTML_NORMAL}) {
            EXPECT_TRUE(driver.isChecked(dialog, radio)) << radio;
        }
        EXPECT_EQ(calendarSecond(driver.dateTime(dialog, IDC_LAST_RETRIEVED_DATE),
                                 driver.dateTime(dialog, IDC_LAST_RETRIEVED_TIME)),
                  kLocalTimeOfZero);
        for (const auto& checkedField : kFieldControls) {
            driver.setChecked(dialog, checkedField.box, true);
            for (const auto& field : kFieldControls) {
                for (const int value : field.values) {
                    EXPECT_EQ(driver.isEnabled(dialog, value), field.box == checkedField.box) << value;
                }
            }
            driver.setChecked(dialog, checkedField.box, false);
        }
        driver.click(dialog, IDCANCEL);
    });
}

TEST_F(BulkEditDialogTest, OkWritesOnlyTheCheckedFieldsIntoEveryLink) {
    using Script = std::function<void(DialogDriver&, HWND)>;
    const auto check = [](std::vector<int> ids) -> Script {
        return [ids](DialogDriver& driver, HWND dialog) {
            for (const int id : ids) driver.setChecked(dialog, id, !driver.isChecked(dialog, id));
        };
    };
    SYSTEMTIME date = {};
    date.wYear = 2024;
    date.wMonth = 2;
    date.wDay = 29;
    SYSTEMTIME clock = date;
    clock.wHour = 13;
    clock.wMinute = 45;
    clock.wSecond = 30;
    const struct {
        const char* name;
        Script change;
        std::vector<LinkEntry> expected;
    } cases[] = {
        {"nothing checked", check({}), sampleLinks()},
        {"retrieve-all on", check({IDC_BULK_SET_ENABLED}), withField(sampleLinks(), &LinkEntry::enabled, 1)},
        {"retrieve-all off", check({IDC_BULK_SET_ENABLED, IDC_BULK_ENABLED_OFF}),
         withField(sampleLinks(), &LinkEntry::enabled, 0)},
        {"subject only", check({IDC_BULK_SET_SENDER_MODE, IDC_SENDER_SUBJECT_ONLY}),
         withField(sampleLinks(), &LinkEntry::senderMode, SubjectOnly)},
        {"sender only", check({IDC_BULK_SET_SENDER_MODE, IDC_SENDER_ONLY}),
         withField(sampleLinks(), &LinkEntry::senderMode, SenderOnly)},
        {"line breaks", check({IDC_BULK_SET_HTML_MODE, IDC_HTML_BREAK_LINES}),
         withField(sampleLinks(), &LinkEntry::htmlMode, HtmlBreakLines)},
        {"prefetch", check({IDC_BULK_SET_HTML_MODE, IDC_HTML_PREFETCH_LINK}),
         withField(sampleLinks(), &LinkEntry::htmlMode, HtmlPrefetchLink)},
        {"never retrieved", check({IDC_BULK_SET_LAST_RETRIEVED}),
         withField(sampleLinks(), &LinkEntry::lastRetrieved, 0)},
        {"last retrieval set",
         [&](DialogDriver& driver, HWND dialog) {
             driver.setChecked(dialog, IDC_BULK_SET_LAST_RETRIEVED, true);
             driver.setDateTime(dialog, IDC_LAST_RETRIEVED_DATE, date);
             driver.setDateTime(dialog, IDC_LAST_RETRIEVED_TIME, clock);
         },
         withField(sampleLinks(), &LinkEntry::lastRetrieved, 1709181930)},
        {"a box checked and unchecked again", check({IDC_BULK_SET_HTML_MODE, IDC_HTML_BREAK_LINES, IDC_BULK_SET_HTML_MODE}),
         sampleLinks()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        pluginSettings.links = sampleLinks();
        const INT_PTR result = open([&](DialogDriver& driver, HWND dialog) {
            c.change(driver, dialog);
            driver.click(dialog, IDOK);
        });
        EXPECT_EQ(result, IDOK);
        ASSERT_EQ(pluginSettings.links.size(), c.expected.size());
        for (size_t i = 0; i < c.expected.size(); ++i) {
            EXPECT_EQ(linkFields(pluginSettings.links[i]), linkFields(c.expected[i])) << i;
        }
    }
}

TEST_F(BulkEditDialogTest, CancelAndTheCloseBoxChangeNoLink) {
    for (const bool closeBox : {false, true}) {
        pluginSettings.links = sampleLinks();
        const INT_PTR result = open([&](DialogDriver& driver, HWND dialog) {
            driver.setChecked(dialog, IDC_BULK_SET_ENABLED, true);
            driver.setChecked(dialog, IDC_BULK_SET_LAST_RETRIEVED, true);
            if (closeBox) {
                driver.onDialogThread([dialog] { SendMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); });
            } else {
                driver.click(dialog, IDCANCEL);
            }
        });
        EXPECT_EQ(result, closeBox ? 0 : IDCANCEL);
        for (size_t i = 0; i < 3; ++i) EXPECT_EQ(linkFields(pluginSettings.links[i]), linkFields(sampleLinks()[i]));
    }
}

}  // namespace
