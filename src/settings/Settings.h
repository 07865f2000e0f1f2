#pragma once
// The link list and the global options, held in memory and kept in the INI file beside
// the library.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "settings/HtmlMode.h"
#include "settings/LinkState.h"

enum SenderMode : int32_t { SenderOnly = 0, SubjectOnly = 1, SubjectWithSender = 2 };
enum ScheduleKind : int32_t {
    ScheduleOff = 0,
    ScheduleAfterHostRetrieval = 1,
    ScheduleEveryInterval = 2,
};

struct LinkEntry {
    int32_t enabled = 1;
    std::wstring url;
    std::wstring title;
    int32_t htmlMode = HtmlNormal;
    int32_t senderMode = SubjectWithSender;
    int64_t lastRetrieved = 0;  // seconds since 1970 UTC; 0: never fetched
};

// Fields of the Control section carry the names of their INI keys.
struct PluginSettings {
    std::vector<LinkEntry> links;
    std::wstring importErrorText;  // never stored

    std::wstring Mailbox;
    int32_t ScheduleType = ScheduleOff;
    int32_t Interval = 60;
    int32_t TimeoutC = 15;
    int32_t TimeoutS = 180;
    int32_t AlwaysTop = 0;
    int32_t ToolMenu = 1;
    int32_t XPos = 0;
    int32_t YPos = 0;
    int32_t SubjectPrefix = 1;
    std::wstring SubjectPrefixText = L"[Blog]_";
    int32_t FilterExec = 0;
    int32_t TimeoutB = 10;
    int32_t Parallel = 6;  // requests of a run in flight at a time; see requestsInFlight()
    int32_t ItemMemory = 1;  // 0: the date rule alone decides what is new, and no state file
};

extern PluginSettings pluginSettings;

// What is remembered of the links, loaded with the settings when ItemMemory is on (empty when
// it is off), and written only when a run's results are kept.
extern LinkStates linkStates;

// The settings file path, derived once from the library's own path.
extern std::wstring iniPath;

// A damaged or hand-edited Count reads no more link lines than this.
constexpr int32_t kMaxLinkLines = 10000;

// Replaces everything but `importErrorText` with the file's content, defaults for what is
// missing, and `linkStates` with the state file's. Always true.
bool loadSettings(const std::wstring& path);
// Writes `linkStates`, less the links no longer listed, to the state file beside the INI
// file at `path` when ItemMemory is on, and removes that file when it is off. False when the
// file could not be replaced.
bool saveLinkStates(const std::wstring& path);
// The key of `linkStates` for a link's URL.
std::string linkStateKey(const std::wstring& url);
// The state of the link with this URL; null when none is remembered.
const LinkState* linkStateOf(const std::wstring& url);
// Rewrites the Control and Links sections; other sections stay. Always true.
bool saveSettings(const std::wstring& path);
bool saveWindowPosition(const std::wstring& path);

bool containsUrl(const std::wstring& url);

// `Parallel` as a run uses it: 1, the sequential walk, to 16.
size_t requestsInFlight();

// Whether the link's line, as saved, reads back whole: a longer one is cut on loading.
bool fitsInLinkLine(const LinkEntry& link);

// Local calendar time of a `lastRetrieved` value, milliseconds 0; false when it cannot be
// converted (before 1601).
bool toLocalCalendarTime(int64_t time, SYSTEMTIME* calendarTime);
// Seconds since 1970 UTC of a local calendar time, daylight saving decided by the system;
// false for a calendar time that does not exist.
bool fromLocalCalendarTime(const SYSTEMTIME& calendarTime, int64_t* time);
