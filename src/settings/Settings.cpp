#include "settings/Settings.h"

#include <ctime>

#include "common/TextConversion.h"
#include "settings/LinkLine.h"

PluginSettings pluginSettings;
std::string iniPath;

namespace {

constexpr char kControl[] = "Control";
constexpr char kLinks[] = "Links";
constexpr char kFileVersion[] = "1.2";
constexpr DWORD kValueBufferSize = 1024;
constexpr int32_t kMinimumLegacyTimeoutS = 180;

// The line assumed for a key missing below Count. Built from Unicode so that its texts
// read the same under every ANSI code page, not only under Shift_JIS.
constexpr wchar_t kMissingLinkLine[] = L"1|(なし)|(無題)|1|2|0";

std::string readText(const std::string& path, const char* section, const char* key,
                     const std::string& fallback) {
    char buffer[kValueBufferSize] = {};
    GetPrivateProfileStringA(section, key, fallback.c_str(), buffer, kValueBufferSize, path.c_str());
    return buffer;
}

int32_t readInt(const std::string& path, const char* key, int32_t fallback) {
    return static_cast<int32_t>(GetPrivateProfileIntA(kControl, key, fallback, path.c_str()));
}

void writeText(const std::string& path, const char* section, const char* key,
               const std::string& value) {
    WritePrivateProfileStringA(section, key, value.c_str(), path.c_str());
}

void writeInt(const std::string& path, const char* section, const char* key, int32_t value) {
    writeText(path, section, key, std::to_string(value));
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

void loadControlSection(const std::string& path, bool legacyFile, PluginSettings& loaded) {
    loaded.Mailbox = fromAnsi(readText(path, kControl, "Mailbox", ""));
    loaded.ScheduleType = readInt(path, "ScheduleType", ScheduleOff);
    loaded.Interval = readInt(path, "Interval", 60);
    loaded.TimeoutC = readInt(path, "TimeoutC", 15);
    loaded.TimeoutS = readInt(path, "TimeoutS", 180);
    if (legacyFile && loaded.TimeoutS < kMinimumLegacyTimeoutS) loaded.TimeoutS = kMinimumLegacyTimeoutS;
    loaded.AlwaysTop = readInt(path, "AlwaysTop", 0);
    loaded.ToolMenu = readInt(path, "ToolMenu", 1);
    loaded.XPos = readInt(path, "XPos", 0);
    loaded.YPos = readInt(path, "YPos", 0);
    loaded.SubjectPrefix = readInt(path, "SubjectPrefix", 1);
    loaded.SubjectPrefixText = fromAnsi(readText(path, kControl, "SubjectPrefixText", "[Blog]_"));
    loaded.FilterExec = legacyFile ? 0 : readInt(path, "FilterExec", 0);
    loaded.TimeoutB = readInt(path, "TimeoutB", 10);
}

void loadLinksSection(const std::string& path, bool version11, std::vector<LinkEntry>& links) {
    const std::string missingLine = toAnsi(kMissingLinkLine);
    int32_t count = static_cast<int32_t>(GetPrivateProfileIntA(kLinks, "Count", 0, path.c_str()));
    if (count > kMaxLinkLines) count = kMaxLinkLines;
    for (int32_t i = 0; i < count; ++i) {
        const std::string line = readText(path, kLinks, std::to_string(i).c_str(), missingLine);
        if (auto fields = parseLinkLine(line, version11, isAnsiLeadByte)) {
            links.push_back(toLinkEntry(*fields));
        }
    }
}

// The whole Links section, "Count" first, as one block of NUL-separated "key=value" lines.
// Written in one call: key by key, the system rewrites the file once per key, which
// makes a long list take minutes.
std::string linksSection(const std::vector<LinkEntry>& links) {
    std::string section = "Count=" + std::to_string(links.size());
    section += '\0';
    for (size_t i = 0; i < links.size(); ++i) {
        section += std::to_string(i) + "=" + formatLinkLine(toLinkLineFields(links[i]));
        section += '\0';
    }
    return section;  // c_str() adds the final NUL that ends the block
}

}  // namespace

bool loadSettings(const std::string& path) {
    const std::string version = readText(path, kControl, "Version", "");
    const bool version11 = version == "1.1";
    const bool legacyFile = version11 || version == "1.0";

    PluginSettings loaded;
    loaded.importErrorText = std::move(pluginSettings.importErrorText);
    loadControlSection(path, legacyFile, loaded);
    loadLinksSection(path, version11, loaded.links);
    pluginSettings = std::move(loaded);
    return true;
}

bool saveSettings(const std::string& path) {
    const PluginSettings& s = pluginSettings;
    WritePrivateProfileStringA(kControl, nullptr, nullptr, path.c_str());
    writeText(path, kControl, "Version", kFileVersion);
    writeText(path, kControl, "Mailbox", toAnsi(s.Mailbox));
    writeInt(path, kControl, "ScheduleType", s.ScheduleType);
    writeInt(path, kControl, "Interval", s.Interval);
    writeInt(path, kControl, "TimeoutC", s.TimeoutC);
    writeInt(path, kControl, "TimeoutS", s.TimeoutS);
    writeInt(path, kControl, "AlwaysTop", s.AlwaysTop);
    writeInt(path, kControl, "ToolMenu", s.ToolMenu);
    writeInt(path, kControl, "SubjectPrefix", s.SubjectPrefix);
    writeText(path, kControl, "SubjectPrefixText", toAnsi(s.SubjectPrefixText));
    writeInt(path, kControl, "FilterExec", s.FilterExec);
    writeInt(path, kControl, "TimeoutB", s.TimeoutB);
    saveWindowPosition(path);

    WritePrivateProfileSectionA(kLinks, linksSection(s.links).c_str(), path.c_str());
    return true;
}

bool saveWindowPosition(const std::string& path) {
    writeInt(path, kControl, "XPos", pluginSettings.XPos);
    writeInt(path, kControl, "YPos", pluginSettings.YPos);
    return true;
}

bool containsUrl(const std::wstring& url) {
    for (const LinkEntry& link : pluginSettings.links) {
        if (link.url == url) return true;
    }
    return false;
}

bool toLocalCalendarTime(int64_t time, SYSTEMTIME* calendarTime) {
    const __time64_t value = time;
    std::tm local{};
    if (_localtime64_s(&local, &value) != 0) return false;
    calendarTime->wYear = static_cast<WORD>(local.tm_year + 1900);
    calendarTime->wMonth = static_cast<WORD>(local.tm_mon + 1);
    calendarTime->wDayOfWeek = static_cast<WORD>(local.tm_wday);
    calendarTime->wDay = static_cast<WORD>(local.tm_mday);
    calendarTime->wHour = static_cast<WORD>(local.tm_hour);
    calendarTime->wMinute = static_cast<WORD>(local.tm_min);
    calendarTime->wSecond = static_cast<WORD>(local.tm_sec);
    calendarTime->wMilliseconds = 0;
    return true;
}
