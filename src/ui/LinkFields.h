#pragma once
// The link fields that the link properties and the bulk edit dialogs both edit: the two mode
// radio groups and the last-retrieval pickers (a date picker and a time picker showing the
// same value).
#include <windows.h>

#include <cstddef>
#include <cstdint>

struct ModeRadio {
    int id;
    int32_t value;
};
struct ModeRadios {
    const ModeRadio* radios;
    size_t count;
};
extern const ModeRadios kSenderModeRadios;
extern const ModeRadios kHtmlModeRadios;

// Checks the radio of `value`; a value without a radio checks none.
void checkModeRadio(HWND dialog, const ModeRadios& group, int32_t value);
// The value of the checked radio into `value`; false, leaving it as it was, when none is checked.
bool readModeRadio(HWND dialog, const ModeRadios& group, int32_t& value);

// Both pickers show `time` (seconds since 1970 UTC) in local time; every value the settings
// file holds shows as itself, 0 west of UTC as the last evening of 1969.
void setPickersFromTime(HWND dialog, int64_t time);
// The time the pickers show. While they show what setPickersFromTime put there, exactly that
// value, even in the hour that daylight saving repeats. A reading before 1970-01-01 00:00:00
// UTC gives 0 (never retrieved); one past the settings file's range the latest time it holds.
int64_t timeFromPickers(HWND dialog);
