// Feeds that read right keep giving the same mails, byte for byte, as the readers learn to
// read more. The expected mails are in tests/data/feeds/corpus.mails; a run with
// FEEDWICK_RECORD_MAILS=1 writes that file from what the code makes now.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <vector>

#include "feed/FeedFetcher.h"
#include "plugin/Delivery.h"
#include "settings/Settings.h"
#include "support/TestFiles.h"

namespace {

constexpr char kFileHeading[] = "##### ";

struct Reading {
    int32_t htmlMode;
    int32_t senderMode;
};
constexpr Reading kReadings[] = {{HtmlNormal, SubjectWithSender}, {HtmlBreakLines, SenderOnly}, {HtmlNormal, SubjectOnly}};

std::vector<std::string> corpusFiles() {
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry = {};
    const HANDLE search = FindFirstFileA(testDataPath("feeds/corpus/*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(entry.cFileName);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

// Every mail of the file's items, under each way of reading it.
std::string mailsOf(const std::string& name) {
    std::string mails;
    for (const Reading& reading : kReadings) {
        FeedFetcher fetcher;
        const std::wstring url = L"http://feeds.example/" + std::wstring(name.begin(), name.end());
        const bool read = fetcher.ReadFeedBody(readFile(testDataPath("feeds/corpus/" + name)), L"text/xml", url, 0,
                                               reading.htmlMode, reading.senderMode);
        mails += "=== html " + std::to_string(reading.htmlMode) + " sender " + std::to_string(reading.senderMode) +
                 (read ? "" : " (not read)") + "\r\n";
        for (const FeedItem& item : fetcher.items) mails += itemMailText(item, nullptr);
    }
    return mails;
}

// File name to its mails, from the recorded file.
std::map<std::string, std::string> recordedMails(const std::string& recording) {
    std::map<std::string, std::string> mails;
    size_t at = recording.find(kFileHeading);
    while (at != std::string::npos) {
        const size_t nameEnd = recording.find('\n', at);
        const size_t next = recording.find(kFileHeading, nameEnd);
        const std::string name = recording.substr(at + sizeof kFileHeading - 1, nameEnd - at - sizeof kFileHeading + 1);
        mails[name] = recording.substr(nameEnd + 1, next == std::string::npos ? next : next - nameEnd - 1);
        at = next;
    }
    return mails;
}

TEST(MailCorpus, FeedsThatReadRightGiveTheSameMails) {
    pluginSettings = PluginSettings{};
    const std::vector<std::string> files = corpusFiles();
    ASSERT_FALSE(files.empty());
    const std::string recordingPath = testDataPath("feeds/corpus.mails");
    if (std::getenv("FEEDWICK_RECORD_MAILS")) {
        std::string recording;
        for (const std::string& name : files) recording += kFileHeading + name + "\n" + mailsOf(name);
        ASSERT_TRUE(writeFile(recordingPath, recording));
        GTEST_SKIP() << "recorded " << recordingPath;
    }
    const std::map<std::string, std::string> expected = recordedMails(readFile(recordingPath));
    EXPECT_EQ(expected.size(), files.size());
    for (const std::string& name : files) {
        const auto recorded = expected.find(name);
        ASSERT_NE(recorded, expected.end()) << name << " has no recorded mails";
        EXPECT_EQ(mailsOf(name), recorded->second) << name;
    }
}

}  // namespace
