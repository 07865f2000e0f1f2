#include "settings/Settings.h"

#include <algorithm>
#include <cstdint>

#include "common/Clock.h"
#include "common/TextConversion.h"
#include "settings/LinkLine.h"
#include "settings/ProfileValue.h"
#include "settings/StateFile.h"

PluginSettings pluginSettings;
LinkStates linkStates;
std::wstring iniPath;

namespace {

constexpr wchar_t kControl[] = L"Control";
constexpr wchar_t kLinks[] = L"Links";
constexpr wchar_t kFileVersion[] = L"1.2";
constexpr int32_t kMinimumLegacyTimeoutS = 180;

// The line assumed for a key missing below Count. Built from Unicode so that its texts
// read the same under every ANSI code page, not only under Shift_JIS.
constexpr wchar_t kMissingLinkLine[] = L"1|(なし)|(無題)|1|2|0";

int32_t readInt(const std::wstring& path, const wchar_t* key, int32_t fallback) {
    return static_cast<int32_t>(GetPrivateProfileIntW(kControl, key, fallback, path.c_str()));
}

void writeText(const std::wstring& path, const wchar_t* key, const std::wstring& value) {
    WritePrivateProfileStringW(kControl, key, value.c_str(), path.c_str());
}

void writeInt(const std::wstring& path, const wchar_t* key, int32_t value) {
    writeText(path, key, std::to_wstring(value));
}

LinkEntry toLinkEntry(const LinkLineFields& fields) {
    LinkEntry entry;
    entry.enabled = fields.enabled;
    entry.url = fromAnsi(fields.url);
    entry.title = fromAnsi(fields.title);
    entry.htmlMode = fields.htmlMode;
    entry.senderMode = fields.senderMode;
    entry.lastRetrieved = fields.lastRetrieved;
    return entry;
}

LinkLineFields toLinkLineFields(const LinkEntry& entry) {
    LinkLineFields fields;
    fields.enabled = entry.enabled;
    fields.url = toAnsi(entry.url);
    fields.title = toAnsi(entry.title);
    fields.htmlMode = entry.htmlMode;
    fields.senderMode = entry.senderMode;
    fields.lastRetrieved = entry.lastRetrieved;
    return fields;
}

void loadControlSection(const std::wstring& path, bool legacyFile, PluginSettings& loaded) {
    loaded.Mailbox = readProfileText(path, kControl, L"Mailbox", L"");
    loaded.ScheduleType = readInt(path, L"ScheduleType", ScheduleOff);
    loaded.Interval = readInt(path, L"Interval", 60);
    loaded.TimeoutC = readInt(path, L"TimeoutC", 15);
    loaded.TimeoutS = readInt(path, L"TimeoutS", 180);
    if (legacyFile && loaded.TimeoutS < kMinimumLegacyTimeoutS) loaded.TimeoutS = kMinimumLegacyTimeoutS;
    loaded.AlwaysTop = readInt(path, L"AlwaysTop", 0);
    loaded.ToolMenu = readInt(path, L"ToolMenu", 1);
    loaded.XPos = readInt(path, L"XPos", 0);
    loaded.YPos = readInt(path, L"YPos", 0);
    loaded.SubjectPrefix = readInt(path, L"SubjectPrefix", 1);
    loaded.SubjectPrefixText = readProfileText(path, kControl, L"SubjectPrefixText", L"[Blog]_");
    loaded.FilterExec = legacyFile ? 0 : readInt(path, L"FilterExec", 0);
    loaded.TimeoutB = readInt(path, L"TimeoutB", 10);
    loaded.Parallel = readInt(path, L"Parallel", 6);
    loaded.ItemMemory = readInt(path, L"ItemMemory", 1);
}

void loadLinksSection(const std::wstring& path, bool version11, std::vector<LinkEntry>& links) {
    int32_t count = static_cast<int32_t>(GetPrivateProfileIntW(kLinks, L"Count", 0, path.c_str()));
    if (count > kMaxLinkLines) count = kMaxLinkLines;
    for (int32_t i = 0; i < count; ++i) {
        const std::string line = readAnsiProfileValue(path, kLinks, std::to_wstring(i).c_str(), kMissingLinkLine);
        if (auto fields = parseLinkLine(line, version11, isAnsiLeadByte)) {
            links.push_back(toLinkEntry(*fields));
        }
    }
}

// The whole Links section, "Count" first, as one block of NUL-separated "key=value" lines.
// Written in one call: key by key, the system rewrites the file once per key, which
// makes a long list take minutes.
std::wstring linksSection(const std::vector<LinkEntry>& links) {
    std::string section = "Count=" + std::to_string(links.size());
    section += '\0';
    for (size_t i = 0; i < links.size(); ++i) {
        section += std::to_string(i) + "=" + formatLinkLine(toLinkLineFields(links[i]), isAnsiLeadByte);
        section += '\0';
    }
    return fromAnsi(section);  // c_str() adds the final NUL that ends the block
}

}  // namespace

bool loadSettings(const std::wstring& path) {
    const std::wstring version = readProfileText(path, kControl, L"Version", L"");
    const bool version11 = version == L"1.1";
    const bool legacyFile = version11 || version == L"1.0";

    PluginSettings loaded;
    loaded.importErrorText = std::move(pluginSettings.importErrorText);
    loadControlSection(path, legacyFile, loaded);
    loadLinksSection(path, version11, loaded.links);
    linkStates = loaded.ItemMemory ? readStateFile(stateFilePath(path)) : LinkStates();
    pluginSettings = std::move(loaded);
    return true;
}

// A file left from before memory was switched off would not know the items mailed since, so
// switching it on again must start afresh.
bool saveLinkStates(const std::wstring& path) {
    if (!pluginSettings.ItemMemory) {
        DeleteFileW(stateFilePath(path).c_str());
        return true;
    }
    LinkStates listed;
    for (const LinkEntry& link : pluginSettings.links) {
        const auto state = linkStates.find(linkStateKey(link.url));
        if (state != linkStates.end()) listed.insert(*state);
    }
    return writeStateFile(stateFilePath(path), listed);
}

std::string linkStateKey(const std::wstring& url) { return toMultiByte(url, CP_UTF8); }

const LinkState* linkStateOf(const std::wstring& url) {
    const auto state = linkStates.find(linkStateKey(url));
    return state == linkStates.end() ? nullptr : &state->second;
}

bool saveSettings(const std::wstring& path) {
    const PluginSettings& s = pluginSettings;
    WritePrivateProfileStringW(kControl, nullptr, nullptr, path.c_str());
    writeText(path, L"Version", kFileVersion);
    writeText(path, L"Mailbox", s.Mailbox);
    writeInt(path, L"ScheduleType", s.ScheduleType);
    writeInt(path, L"Interval", s.Interval);
    writeInt(path, L"TimeoutC", s.TimeoutC);
    writeInt(path, L"TimeoutS", s.TimeoutS);
    writeInt(path, L"AlwaysTop", s.AlwaysTop);
    writeInt(path, L"ToolMenu", s.ToolMenu);
    writeInt(path, L"SubjectPrefix", s.SubjectPrefix);
    writeText(path, L"SubjectPrefixText", s.SubjectPrefixText);
    writeInt(path, L"FilterExec", s.FilterExec);
    writeInt(path, L"TimeoutB", s.TimeoutB);
    writeInt(path, L"Parallel", s.Parallel);
    writeInt(path, L"ItemMemory", s.ItemMemory);
    saveWindowPosition(path);

    WritePrivateProfileSectionW(kLinks, linksSection(s.links).c_str(), path.c_str());
    return true;
}

bool saveWindowPosition(const std::wstring& path) {
    writeInt(path, L"XPos", pluginSettings.XPos);
    writeInt(path, L"YPos", pluginSettings.YPos);
    return true;
}

size_t requestsInFlight() { return static_cast<size_t>(std::clamp(pluginSettings.Parallel, 1, 16)); }

bool fitsInLinkLine(const LinkEntry& link) {
    return formatLinkLine(toLinkLineFields(link), isAnsiLeadByte).size() <= kMaxProfileValueBytes;
}

bool containsUrl(const std::wstring& url) {
    for (const LinkEntry& link : pluginSettings.links) {
        if (link.url == url) return true;
    }
    return false;
}

namespace {

constexpr int64_t kLastFileTimeSecond = INT64_MAX / kFileTimeTicksPerSecond - kSecondsFrom1601To1970;

}  // namespace

// Through the system's own zone rules, which hold for every date from 1601 on, unlike the
// runtime's, which give up on local times before 1970 (the time 0 west of UTC).
bool toLocalCalendarTime(int64_t time, SYSTEMTIME* calendarTime) {
    if (time < -kSecondsFrom1601To1970 || time > kLastFileTimeSecond) return false;
    ULARGE_INTEGER ticks;
    ticks.QuadPart = static_cast<ULONGLONG>((time + kSecondsFrom1601To1970) * kFileTimeTicksPerSecond);
    const FILETIME fileTime = {ticks.LowPart, ticks.HighPart};
    SYSTEMTIME utc = {};
    return FileTimeToSystemTime(&fileTime, &utc) && SystemTimeToTzSpecificLocalTime(nullptr, &utc, calendarTime);
}

bool fromLocalCalendarTime(const SYSTEMTIME& calendarTime, int64_t* time) {
    SYSTEMTIME utc = {};
    FILETIME fileTime = {};
    if (!TzSpecificLocalTimeToSystemTime(nullptr, &calendarTime, &utc) || !SystemTimeToFileTime(&utc, &fileTime)) {
        return false;
    }
    *time = secondsSince1970(fileTime);
    return true;
}
