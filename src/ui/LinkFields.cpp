#include "ui/LinkFields.h"

#include <commctrl.h>

#include <algorithm>
#include <iterator>

#include "resources/LinkFields_rc.h"
#include "settings/LinkLine.h"
#include "settings/Settings.h"
#include "ui/DialogControls.h"

namespace {

const ModeRadio kSenderModes[] = {
    {IDC_SENDER_SUBJECT_WITH_SENDER, SubjectWithSender},
    {IDC_SENDER_SUBJECT_ONLY, SubjectOnly},
    {IDC_SENDER_ONLY, SenderOnly},
};
const ModeRadio kHtmlModes[] = {
    {IDC_HTML_NORMAL, HtmlNormal},
    {IDC_HTML_BREAK_LINES, HtmlBreakLines},
    {IDC_HTML_PREFETCH_LINK, HtmlPrefetchLink},
};

HWND datePicker(HWND dialog) { return GetDlgItem(dialog, IDC_LAST_RETRIEVED_DATE); }
HWND timePicker(HWND dialog) { return GetDlgItem(dialog, IDC_LAST_RETRIEVED_TIME); }

bool sameSecond(const SYSTEMTIME& a, const SYSTEMTIME& b) {
    return a.wYear == b.wYear && a.wMonth == b.wMonth && a.wDay == b.wDay && a.wHour == b.wHour &&
           a.wMinute == b.wMinute && a.wSecond == b.wSecond;
}

// The date of the date picker with the time of day of the time picker.
SYSTEMTIME pickersReading(HWND dialog) {
    SYSTEMTIME date = {};
    SYSTEMTIME clock = {};
    DateTime_GetSystemtime(datePicker(dialog), &date);
    DateTime_GetSystemtime(timePicker(dialog), &clock);
    SYSTEMTIME reading = {};
    reading.wYear = date.wYear;
    reading.wMonth = date.wMonth;
    reading.wDay = date.wDay;
    reading.wHour = clock.wHour;
    reading.wMinute = clock.wMinute;
    reading.wSecond = clock.wSecond;
    return reading;
}

}  // namespace

const ModeRadios kSenderModeRadios = {kSenderModes, std::size(kSenderModes)};
const ModeRadios kHtmlModeRadios = {kHtmlModes, std::size(kHtmlModes)};

void checkModeRadio(HWND dialog, const ModeRadios& group, int32_t value) {
    for (size_t i = 0; i < group.count; ++i) {
        setChecked(dialog, group.radios[i].id, group.radios[i].value == value);
    }
}

bool readModeRadio(HWND dialog, const ModeRadios& group, int32_t& value) {
    for (size_t i = 0; i < group.count; ++i) {
        if (isChecked(dialog, group.radios[i].id)) {
            value = group.radios[i].value;
            return true;
        }
    }
    return false;
}

// The pickers keep the value they were given in their user data, so that an untouched
// reading need not be converted back; a user data word holds 32 bits, so the date picker
// keeps the low half and the time picker the high one.
void setPickersFromTime(HWND dialog, int64_t time) {
    SYSTEMTIME local = {};
    if (!toLocalCalendarTime(time, &local)) return;
    DateTime_SetSystemtime(datePicker(dialog), GDT_VALID, &local);
    DateTime_SetSystemtime(timePicker(dialog), GDT_VALID, &local);
    const auto bits = static_cast<uint64_t>(time);
    SetWindowLongPtrW(datePicker(dialog), GWLP_USERDATA, static_cast<LONG_PTR>(static_cast<uint32_t>(bits)));
    SetWindowLongPtrW(timePicker(dialog), GWLP_USERDATA, static_cast<LONG_PTR>(static_cast<uint32_t>(bits >> 32)));
}

int64_t timeFromPickers(HWND dialog) {
    const SYSTEMTIME reading = pickersReading(dialog);
    const auto low = static_cast<uint32_t>(GetWindowLongPtrW(datePicker(dialog), GWLP_USERDATA));
    const auto high = static_cast<uint32_t>(GetWindowLongPtrW(timePicker(dialog), GWLP_USERDATA));
    const auto shown = static_cast<int64_t>(uint64_t{high} << 32 | low);
    SYSTEMTIME shownReading = {};
    if (toLocalCalendarTime(shown, &shownReading) && sameSecond(shownReading, reading)) return shown;
    int64_t time = 0;
    if (!fromLocalCalendarTime(reading, &time)) return shown;
    return std::clamp<int64_t>(time, 0, kLatestStoredTime);
}
