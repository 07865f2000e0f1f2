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

class DialogLayout : public DialogTest {};

TEST_F(DialogLayout, NoTextIsCutOffAndNoControlOverlapsAnother) {
    editLink = {1, L"http://blog.example.com/feed/rss2.xml", L"示例博客 - 每日新闻", HtmlNormal, SubjectWithSender,
                1700000000};
    pluginSettings.links.resize(3);
    const struct {
        const char* name;
        INT_PTR (*dialog)(HWND);
        const wchar_t* caption;
    } dialogs[] = {
        {"link-properties", LinkPropertiesDialog, L"FeedwickRSS/链接RDF的设置"},
        {"other-settings", OtherSettingsDialog, L"Feedwick其它设置"},
        {"bulk-edit", BulkEditDialog, L"Feedwick统一编辑"},
        {"about", AboutDialog, L"Feedwick版本信息"},
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

}  // namespace
