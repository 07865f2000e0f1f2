#include "DialogTest.h"

#include "common/PluginModule.h"
#include "common/TextConversion.h"
#include "ui/DialogHelpers.h"

void DialogTest::SetUp() {
    pluginInstance = GetModuleHandleW(nullptr);
    pluginSettings = PluginSettings{};
    editLink = LinkEntry{};
    iniPath = fromAnsi(folder.file("MvFeedwick.ini"));
}

void DialogTest::TearDown() {
    pluginSettings = PluginSettings{};
    iniPath.clear();
}

INT_PTR DialogTest::drive(INT_PTR (*dialog)(HWND), const wchar_t* caption,
                          const std::function<void(DialogDriver&, HWND)>& script) {
    return DialogDriver::run([&] { return dialog(nullptr); },
                             [&](DialogDriver& driver) { script(driver, driver.waitForDialog(caption)); });
}

long long calendarSecond(const SYSTEMTIME& time) { return calendarSecond(time, time); }

long long calendarSecond(const SYSTEMTIME& date, const SYSTEMTIME& clock) {
    return ((date.wYear * 100LL + date.wMonth) * 100 + date.wDay) * 1000000 + clock.wHour * 10000 +
           clock.wMinute * 100 + clock.wSecond;
}
