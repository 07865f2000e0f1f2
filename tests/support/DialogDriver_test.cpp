#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "support/DialogDriver.h"

namespace {

enum : int {
    kLineEdit = 101, kTextEdit, kCheckBox, kFirstRadio, kSecondRadio, kAskButton, kPicker,
    kUpDown, kUpDownBuddy, kCombo, kDisabledButton, kReadOnlyEdit
};
const wchar_t kCaption[] = L"驱动测试";

// An in-memory dialog template: font 宋体 9 pt as the plug-in's dialogs use, Chinese texts.
class DialogTemplate {
public:
    DialogTemplate() {
        appendDword(DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE);
        appendDword(0);
        words_.insert(words_.end(), {0, 10, 10, 230, 170, 0, 0});  // item count, frame, no menu or class
        appendText(kCaption);
        words_.push_back(9);
        appendText(L"宋体");
        add(L"Edit", L"", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 10, 10, 100, 14, kLineEdit);
        add(L"Edit", L"", ES_MULTILINE | WS_BORDER | WS_TABSTOP, 120, 10, 100, 28, kTextEdit);
        add(L"Button", L"启用选项", BS_AUTOCHECKBOX | WS_TABSTOP, 10, 30, 100, 12, kCheckBox);
        add(L"Button", L"甲方案", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 10, 46, 60, 12, kFirstRadio);
        add(L"Button", L"乙方案", BS_AUTORADIOBUTTON, 80, 46, 60, 12, kSecondRadio);
        add(L"Button", L"保存(&S)", BS_PUSHBUTTON | WS_GROUP | WS_TABSTOP, 10, 62, 60, 14, kAskButton);
        add(L"Button", L"不可用", BS_PUSHBUTTON | WS_DISABLED, 80, 62, 60, 14, kDisabledButton);
        add(L"SysDateTimePick32", L"", DTS_SHORTDATEFORMAT | WS_TABSTOP, 10, 82, 100, 14, kPicker);
        add(L"Edit", L"", ES_NUMBER | WS_BORDER, 120, 82, 40, 14, kUpDownBuddy);
        add(UPDOWN_CLASSW, L"", UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_AUTOBUDDY, 160, 82, 10, 14, kUpDown);
        add(L"ComboBox", L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 10, 102, 100, 60, kCombo);
        add(L"Edit", L"只读", ES_READONLY | WS_BORDER, 120, 102, 100, 14, kReadOnlyEdit);
        add(L"Button", L"确定", BS_DEFPUSHBUTTON | WS_TABSTOP, 110, 150, 50, 14, IDOK);
        add(L"Button", L"取消", BS_PUSHBUTTON | WS_TABSTOP, 170, 150, 50, 14, IDCANCEL);
    }
    const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    void appendDword(DWORD value) { words_.insert(words_.end(), {LOWORD(value), HIWORD(value)}); }
    void appendText(const wchar_t* text) { words_.insert(words_.end(), text, text + wcslen(text) + 1); }
    void add(const wchar_t* windowClass, const wchar_t* text, DWORD style, short x, short y, short cx, short cy, int id) {
        if (words_.size() % 2) words_.push_back(0);  // items start on a DWORD
        appendDword(style | WS_CHILD | WS_VISIBLE);
        appendDword(0);
        words_.insert(words_.end(), {WORD(x), WORD(y), WORD(cx), WORD(cy), WORD(id)});
        appendText(windowClass);
        appendText(text);
        words_.push_back(0);
        ++words_[kItemCountAt];
    }
    static constexpr size_t kItemCountAt = 4;
    std::vector<WORD> words_;
};

// What the dialog was told, written on the dialog thread and read after the driver settled.
struct Seen {
    std::map<int, int> changes;
    std::map<int, int> clicks;
    int dateChanges = 0;
    int selectionChanges = 0;
    int answer = 0;
};

INT_PTR CALLBACK dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* seen = reinterpret_cast<Seen*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        SendDlgItemMessageW(dialog, kUpDown, UDM_SETRANGE32, 1, 999);
        for (const wchar_t* item : {L"收件箱", L"草稿箱"}) SendDlgItemMessageW(dialog, kCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
        return TRUE;
    case WM_COMMAND:
        if (HIWORD(wParam) == EN_CHANGE) ++seen->changes[LOWORD(wParam)];
        if (HIWORD(wParam) == CBN_SELCHANGE) ++seen->selectionChanges;
        if (HIWORD(wParam) != BN_CLICKED) return TRUE;
        ++seen->clicks[LOWORD(wParam)];
        if (LOWORD(wParam) == kAskButton) seen->answer = MessageBoxW(dialog, L"保存这些设置吗?", L"保存", MB_YESNO | MB_ICONWARNING);
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    case WM_NOTIFY:
        if (reinterpret_cast<NMHDR*>(lParam)->code == DTN_DATETIMECHANGE) ++seen->dateChanges;
        return FALSE;
    }
    return FALSE;
}

INT_PTR runDialog(Seen& seen, const std::function<void(DialogDriver&, HWND)>& script) {
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_DATE_CLASSES | ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&classes);
    static const DialogTemplate dialogTemplate;
    return DialogDriver::run(
        [&] { return DialogBoxIndirectParamW(GetModuleHandleW(nullptr), dialogTemplate.get(), nullptr, dialogProc, reinterpret_cast<LPARAM>(&seen)); },
        [&](DialogDriver& driver) { script(driver, driver.waitForDialog(kCaption)); });
}

// The characters of `text` that the dialog's font cannot draw.
std::wstring missingGlyphs(HWND dialog, const std::wstring& text) {
    const HDC dc = GetDC(dialog);
    const HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)));
    std::vector<WORD> glyphs(text.size());
    GetGlyphIndicesW(dc, text.c_str(), static_cast<int>(text.size()), glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS);
    SelectObject(dc, previous);
    ReleaseDC(dialog, dc);
    std::wstring missing;
    for (size_t i = 0; i < text.size(); ++i) {
        if (glyphs[i] == 0xFFFF) missing += text[i];
    }
    return missing;
}

// Wine has no 宋体; the test prefix maps it to a face with Chinese glyphs under every ANSI code
// page, so that screenshots of the dialogs show their texts.
TEST(DialogFont, DrawsChineseUnderEveryCodePage) {
    Seen seen;
    std::wstring missing = L"?";
    runDialog(seen, [&](DialogDriver& driver, HWND dialog) {
        driver.onDialogThread([&] { missing = missingGlyphs(dialog, L"驱动测试启用选项甲乙方案保存不可用只读确定取消"); });
        driver.screenshot(dialog, "dialog-font-" + std::to_string(GetACP()));
    });
    EXPECT_EQ(missing, L"");
}

TEST(DialogDriver, ChangesControlsAsAUserAndTheDialogIsTold) {
    Seen seen;
    const INT_PTR result = runDialog(seen, [&](DialogDriver& driver, HWND dialog) {
        for (const int edit : {kLineEdit, kTextEdit}) {
            driver.typeText(dialog, edit, L"订阅源");
            EXPECT_EQ(driver.text(dialog, edit), L"订阅源");
            EXPECT_EQ(seen.changes[edit], 1) << edit;
        }
        driver.setChecked(dialog, kCheckBox, true);
        driver.setChecked(dialog, kSecondRadio, true);
        EXPECT_FALSE(driver.isChecked(dialog, kFirstRadio));
        EXPECT_EQ(seen.clicks[kCheckBox] + seen.clicks[kSecondRadio], 2);

        SYSTEMTIME date = {};
        date.wYear = 2024;
        date.wMonth = 2;
        date.wDay = 29;
        driver.setDateTime(dialog, kPicker, date);
        const SYSTEMTIME shown = driver.dateTime(dialog, kPicker);
        EXPECT_EQ(shown.wYear * 10000 + shown.wMonth * 100 + shown.wDay, 20240229);
        EXPECT_EQ(seen.dateChanges, 1);

        EXPECT_EQ(driver.upDownRange(dialog, kUpDown), std::make_pair(1, 999));
        EXPECT_EQ(driver.comboItems(dialog, kCombo), (std::vector<std::wstring>{L"收件箱", L"草稿箱"}));
        driver.selectComboItem(dialog, kCombo, L"草稿箱");
        EXPECT_EQ(driver.text(dialog, kCombo), L"草稿箱");
        EXPECT_EQ(seen.selectionChanges, 1);
        EXPECT_FALSE(driver.isEnabled(dialog, kDisabledButton));
        driver.screenshot(dialog, "dialog-driver");

        driver.click(dialog, kAskButton);
        const MessageBoxView box = driver.waitForMessageBox(dialog);
        EXPECT_EQ(box.caption, L"保存");
        EXPECT_EQ(box.text, L"保存这些设置吗?");
        EXPECT_EQ(box.icon, static_cast<UINT>(MB_ICONWARNING));
        EXPECT_EQ(box.buttons, (std::vector<int>{IDYES, IDNO}));
        driver.click(box.window, IDNO);
        EXPECT_EQ(seen.answer, IDNO);
        driver.click(dialog, IDOK);
    });
    EXPECT_EQ(result, IDOK);
}

// Each step is one a user could not take; it fails the test, and the driver still closes the
// dialog and any box over it.
TEST(DialogDriver, RefusesWhatAUserCannotDoAndClosesTheDialog) {
    const struct {
        const char* step;
        const char* failure;
        std::function<void(DialogDriver&, HWND)> script;
    } cases[] = {
        {"disabled button", "is hidden or disabled", [](DialogDriver& d, HWND w) { d.click(w, kDisabledButton); }},
        {"under a message box", "is hidden or disabled",
         [](DialogDriver& d, HWND w) {
             d.click(w, kAskButton);
             d.waitForMessageBox(w);
             d.click(w, kCheckBox);
         }},
        {"read-only edit", "no writable edit", [](DialogDriver& d, HWND w) { d.typeText(w, kReadOnlyEdit, L"x"); }},
        {"unchecking a radio", "stays checked",
         [](DialogDriver& d, HWND w) {
             d.setChecked(w, kFirstRadio, true);
             d.setChecked(w, kFirstRadio, false);
         }},
        {"missing control", "no control 999", [](DialogDriver& d, HWND w) { d.text(w, 999); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.step);
        Seen seen;
        INT_PTR result = 0;
        EXPECT_NONFATAL_FAILURE_ON_ALL_THREADS(result = runDialog(seen, c.script), c.failure);
        EXPECT_EQ(result, DialogDriver::kClosedByDriver);
    }
}

}  // namespace
