// Whole runs that remember the items they mailed: every item once, whatever its date says.
#include <gtest/gtest.h>

#include <algorithm>

#include "common/ComHolders.h"
#include "common/DateText.h"
#include "common/TextConversion.h"
#include "feed/XmlDom.h"
#include "settings/Settings.h"
#include "settings/StateFile.h"
#include "support/FeedDocuments.h"
#include "support/MailTexts.h"
#include "support/RetrievalRuns.h"

namespace {

constexpr int64_t kHour = 3600;

std::string dateText(int64_t time) { return formatRfc822Date(time, 0); }

class ItemMemory : public Retrieval {
protected:
    // A client whose mails count from none.
    std::unique_ptr<PluginHarness> client(const std::string& ini) {
        mailsSeen_ = 0;
        return Retrieval::client(ini);
    }

    // The titles of the mails the client took since the last call, in delivery order.
    std::vector<std::string> newSubjects() {
        std::vector<std::string> titles;
        const auto mails = standin::appendedMessages();
        for (size_t i = mailsSeen_; i < mails.size(); ++i) titles.push_back(titleOf(mails[i].text));
        mailsSeen_ = mails.size();
        return titles;
    }

    // The item title in the mail's subject, when it is one of the tests' ASCII titles.
    static std::string titleOf(const std::string& mail) {
        for (const char* title : {"Old", "Late", "Old again", "One", "Two", "Three", "After", "New"}) {
            if (mail.find("Subject: =?UTF-8?B?" + base64(std::string("[Blog] ") + title) + "?=") != std::string::npos) {
                return title;
            }
        }
        return "?";
    }

    static std::string statePath(const PluginHarness& harness) {
        std::string path = harness.iniPath();
        return path.replace(path.size() - 3, 3, "state");
    }

    static LinkState stateOf(const PluginHarness& harness, const std::wstring& url) {
        const LinkStates states = readStateFile(fromAnsi(statePath(harness)));
        const auto state = states.find(linkStateKey(url));
        return state == states.end() ? LinkState{} : state->second;
    }

    const int64_t now = static_cast<int64_t>(time(nullptr));
    size_t mailsSeen_ = 0;
};

// A cache shows the late item after the run that passed its date; a republished item comes
// back with a new date. The first is mailed next time, the second not again.
TEST_F(ItemMemory, LateItemsComeAndRepublishedOnesDoNot) {
    const std::wstring url = server.url("/a.xml");
    server.writeFile("a.xml", rss2("Alpha", item("Old", "http://a/old", dateText(now - 2 * kHour), "x", "g-old")));
    const auto harness = client(iniFor({{url, "Alpha"}}));
    ASSERT_TRUE(runToEnd(*harness));
    EXPECT_EQ(newSubjects(), (std::vector<std::string>{"Old"}));

    server.writeFile("a.xml", rss2("Alpha", item("Late", "http://a/late", dateText(now - kHour), "y", "g-late") +
                                                item("Old again", "http://a/old", dateText(now + kHour), "x", "g-old")));
    ASSERT_TRUE(runToEnd(*harness));
    EXPECT_EQ(newSubjects(), (std::vector<std::string>{"Late"}));
    ASSERT_TRUE(runToEnd(*harness));
    EXPECT_EQ(newSubjects(), std::vector<std::string>{});
}

// RSS 0.91 items carry no date: each is mailed once, known by its link, or without one by its
// title and text.
TEST_F(ItemMemory, UndatedItemsAreMailedOnce) {
    const auto undated = [](const std::string& title, const std::string& link) {
        return "<item><title>" + title + "</title>" + (link.empty() ? "" : "<link>" + link + "</link>") +
               "<description>" + title + " text</description></item>";
    };
    const auto feed = [](const std::string& items) {
        return "<rss version=\"0.91\"><channel><title>Old style</title>" + items + "</channel></rss>";
    };
    server.writeFile("a.xml", feed(undated("One", "http://a/1") + undated("Two", "")));
    const auto harness = client(iniFor({{server.url("/a.xml"), "Old style"}}));
    ASSERT_TRUE(runToEnd(*harness));
    EXPECT_EQ(newSubjects(), (std::vector<std::string>{"One", "Two"}));
    const std::string date = standin::appendedMessages().at(0).text;
    EXPECT_EQ(date.find("Date: Thu, 01 Jan 1970"), std::string::npos) << date;

    ASSERT_TRUE(runToEnd(*harness));
    EXPECT_EQ(newSubjects(), std::vector<std::string>{});
    server.writeFile("a.xml", feed(undated("Three", "http://a/3") + undated("One", "http://a/1") + undated("Two", "")));
    ASSERT_TRUE(runToEnd(*harness));
    EXPECT_EQ(newSubjects(), (std::vector<std::string>{"Three"}));
}

// A file from before item memory, or with it switched off, gets the date rule: after the last
// retrieval, and no undated item. Remembering then starts without mailing the rest; switched
// off, it lets go of what it knew, which would not hold the items mailed meanwhile.
TEST_F(ItemMemory, AnUpgradeMailsWhatTheDateRuleMails) {
    const int64_t lastRetrieved = now - 24 * kHour;
    server.writeFile("a.xml", rss2("Alpha", item("Before", "http://a/1", dateText(lastRetrieved - kHour), "x") +
                                                item("After", "http://a/2", dateText(lastRetrieved + kHour), "x") +
                                                "<item><title>Undated</title><link>http://a/3</link></item>"));
    for (const char* itemMemory : {"1", "0"}) {
        SCOPED_TRACE(itemMemory);
        const auto harness = client(iniFor({{server.url("/a.xml"), "Alpha", 1, lastRetrieved}},
                                           std::string("ItemMemory=") + itemMemory + "\r\n"));
        if (*itemMemory == '0') writeFile(statePath(*harness), "MvFeedwick state 1\n");
        ASSERT_TRUE(runToEnd(*harness));
        EXPECT_EQ(newSubjects(), (std::vector<std::string>{"After"}));
        ASSERT_TRUE(runToEnd(*harness));
        EXPECT_EQ(newSubjects(), std::vector<std::string>{});
        EXPECT_EQ(GetFileAttributesA(statePath(*harness).c_str()) != INVALID_FILE_ATTRIBUTES, *itemMemory == '1');
    }
}

TEST_F(ItemMemory, TheStoredETagGetsNotModified) {
    const std::wstring url = server.url("/a.xml");
    server.writeFile("a.xml", rss2("Alpha", item("One", "http://a/1", dateText(now - kHour), "x")));
    const auto harness = client(iniFor({{url, "Alpha"}}));
    ASSERT_TRUE(runToEnd(*harness));
    const std::string etag = stateOf(*harness, url).etag;
    ASSERT_FALSE(etag.empty());

    ASSERT_TRUE(runToEnd(*harness));
    EXPECT_EQ(newSubjects(), (std::vector<std::string>{"One"}));
    const auto log = server.requestLog();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[1].header("If-None-Match").value_or(""), etag);
    EXPECT_EQ(stateOf(*harness, url).lastResult.outcome, FetchOutcome::NotModified);
}

// What a run learns is kept only with its mails: after a stop or a delivery that ran out of
// time, the state file is as it was.
TEST_F(ItemMemory, AStoppedOrUndeliveredRunLeavesTheStateFile) {
    const std::wstring url = server.url("/a.xml");
    const struct {
        const char* name;
        std::wstring secondLink;
        std::string control;
        bool stop;
    } endings[] = {{"budget spent", server.url("/a.xml?delay=1.2", 2), "TimeoutS=1\r\n", false},
                   {"stopped", server.url("/a.xml?hang=1", 2), "TimeoutC=30\r\n", true}};
    for (const auto& ending : endings) {
        SCOPED_TRACE(ending.name);
        server.writeFile("a.xml", rss2("Alpha", item("One", "http://a/1", dateText(now - kHour), "x")));
        const auto harness = client(iniFor({{url, "Alpha"}}));
        ASSERT_TRUE(runToEnd(*harness));
        const std::string stateBefore = readFile(statePath(*harness));
        ASSERT_FALSE(stateBefore.empty());
        loadSettings(fromAnsi(harness->iniPath()));
        writeFile(harness->iniPath(), iniFor({{url, "Alpha", 1, pluginSettings.links.at(0).lastRetrieved},
                                              {ending.secondLink, "Other"}},
                                             ending.control));
        server.writeFile("a.xml", rss2("Alpha", item("Two", "http://a/2", dateText(now), "x") +
                                                    item("One", "http://a/1", dateText(now - kHour), "x")));
        const size_t requestsBefore = server.requestLog().size();
        harness->retrieveAll();
        if (ending.stop) {
            ASSERT_TRUE(harness->waitFor([&] { return server.requestLog().size() == requestsBefore + 2; }, 10000));
            harness->waitFor([] { return false; }, 300);
            standin::invokeCommand(standin::registeredCommands().at(2).id, 0);
        }
        ASSERT_TRUE(harness->waitForRunEnd(30000));
        EXPECT_EQ(newSubjects().size(), 1u);  // only the first run's
        EXPECT_EQ(readFile(statePath(*harness)), stateBefore);
    }
}

// Cut anywhere or scribbled over, the file gives what it still holds, and the run goes on and
// writes it whole again.
TEST_F(ItemMemory, ADamagedStateFileNeverStopsARun) {
    const std::wstring url = server.url("/a.xml");
    server.writeFile("a.xml", rss2("Alpha", item("One", "http://a/1", dateText(now - kHour), "x")));
    const auto harness = client(iniFor({{url, "Alpha"}}));
    ASSERT_TRUE(runToEnd(*harness));
    const std::string whole = readFile(statePath(*harness));
    const std::string iniAfterFirstRun = readFile(harness->iniPath());
    ASSERT_GT(whole.size(), 40u);
    server.writeFile("a.xml", rss2("Alpha", item("New", "http://a/new", dateText(now + kHour), "x") +
                                                item("One", "http://a/1", dateText(now - kHour), "x")));
    std::string scribbled = whole;
    for (size_t i = 5; i < scribbled.size(); i += 7) scribbled[i] = static_cast<char>(0x80 + i % 100);
    const std::string damaged[] = {"",  whole.substr(0, 1),  whole.substr(0, whole.size() / 3),
                                   whole.substr(0, whole.size() - 1), scribbled, std::string(1000, '\n'),
                                   std::string("\xff\xfe", 2) + whole};
    for (const std::string& file : damaged) {
        SCOPED_TRACE(file.size());
        writeFile(statePath(*harness), file);
        writeFile(harness->iniPath(), iniAfterFirstRun);
        ASSERT_TRUE(runToEnd(*harness));
        const auto subjects = newSubjects();
        EXPECT_NE(std::find(subjects.begin(), subjects.end(), "New"), subjects.end());
        EXPECT_EQ(stateOf(*harness, url).lastResult.outcome, FetchOutcome::Read);
    }
}

// The parser's own account of why a text is no XML document.
XmlLoadError loadErrorOf(const std::string& text) {
    const ComInitialization com;
    XmlLoadError error;
    EXPECT_FALSE(LoadXmlDocument(fromAnsi(text), error));
    return error;
}

// Each failing link is counted in the status area and remembered with its reason; the link
// that was read is unchanged the second time.
TEST_F(ItemMemory, FailuresAreCountedAndRemembered) {
    server.writeFile("a.xml", rss2("Alpha", item("One", "http://a/1", dateText(now - kHour), "x")));
    const std::string cut = "<rss version=\"2.0\">\n<channel>\n<title>x</chanel>\n</rss>";
    server.writeFile("cut.xml", cut);
    const XmlLoadError cutError = loadErrorOf(cut);
    const struct {
        std::wstring url;
        FetchOutcome outcome;
        int64_t detail;
    } links[] = {
        {server.url("/a.xml"), FetchOutcome::Read, 1},
        {server.url("/gone.xml?status=404&type=text/html&body=%3Chtml%3E"), FetchOutcome::HttpStatus, 404},
        {server.url("/cut.xml"), FetchOutcome::ParseError, cutError.line},
        {server.url("/a.xml?hang=1", 2), FetchOutcome::TimedOut, 0},
    };
    std::vector<Link> list;
    for (const auto& link : links) list.push_back({link.url, "L"});
    const auto harness = client(iniFor(list, "TimeoutC=1\r\n"));
    for (int32_t run = 1; run <= 2; ++run) {
        SCOPED_TRACE(run);
        ASSERT_TRUE(runToEnd(*harness));
        EXPECT_EQ(standin::statusTexts().back(), toAnsi(L"Feedwick:3 个链接收取失败"));
        for (const auto& link : links) {
            SCOPED_TRACE(toAnsi(link.url));
            const bool read = link.outcome == FetchOutcome::Read;
            const LinkState state = stateOf(*harness, link.url);
            EXPECT_EQ(state.lastResult.outcome, read && run == 2 ? FetchOutcome::NotModified : link.outcome);
            EXPECT_EQ(state.lastResult.detail, read && run == 2 ? 0 : link.detail);
            EXPECT_EQ(state.failuresInARow, read ? 0 : run);
            if (link.outcome == FetchOutcome::ParseError) {
                EXPECT_EQ(state.lastResult.reason, utf8(cutError.reason));
            }
        }
    }
}

}  // namespace
