#pragma once
// The plug-in's dialogs opened in the test program, which carries the library's resources,
// on settings of their own in a temporary folder.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>

#include "settings/Settings.h"
#include "support/DialogDriver.h"
#include "support/TestFiles.h"

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Runs `dialog` owned by no window while `script` drives the dialog captioned `caption`.
    static INT_PTR drive(INT_PTR (*dialog)(HWND owner), const wchar_t* caption,
                         const std::function<void(DialogDriver&, HWND)>& script);

    TempFolder folder;
};

// Every field of a link, comparable and printable.
inline auto linkFields(const LinkEntry& link) {
    return std::make_tuple(link.enabled, link.url, link.title, link.htmlMode, link.senderMode, link.lastRetrieved);
}

// Year, month, day, hour, minute, second as one number: 20231115071320.
long long calendarSecond(const SYSTEMTIME& time);
// The date of `date` with the time of day of `clock`, as calendarSecond.
long long calendarSecond(const SYSTEMTIME& date, const SYSTEMTIME& clock);
