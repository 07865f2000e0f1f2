// Whole retrieval runs: the plug-in loaded by the stand-in client, feeds from the loopback
// server, mails recorded by the client.
#include <gtest/gtest.h>

#include <map>
#include <optional>

#include "common/DateText.h"
#include "common/TextConversion.h"
#include "feed/HttpRequest.h"
#include "settings/Settings.h"
#include "support/FeedDocuments.h"
#include "support/MailTexts.h"
#include "support/RetrievalRuns.h"
#include "support/TestServer.h"

namespace {

TEST_F(Retrieval, DeliversNewItemsOldestFirstAcrossFeeds) {
    server.writeFile("a.xml", rss2("Alpha", item("A late", "http://a/late", "Wed, 15 Nov 2023 10:00:00 +0000", "x") +
                                                item("A early", "http://a/early", "Tue, 14 Nov 2023 10:00:00 +0000", "y")));
    server.writeFile("b.xml", rss2("Beta", item("B middle", "http://b/mid", "Tue, 14 Nov 2023 22:13:20 +0000",
                                                "line1\nline2")));
    const auto harness = client(iniFor({{server.url("/a.xml?type=text/xml"), "Alpha feed"},
                                        {server.url("/b.xml"), "Beta feed", 0}}));
    const int32_t before = static_cast<int32_t>(time(nullptr));
    ASSERT_TRUE(runToEnd(*harness));

    const auto mails = standin::appendedMessages();
    ASSERT_EQ(mails.size(), 3u);
    for (const auto& mail : mails) EXPECT_EQ(mail.folderId, "feeds001.mb\\!!!!Inbox\\");
    const auto subjectOf = [](const std::string& text) {
        const size_t start = text.find("Subject: ");
        return text.substr(start, text.find("\r\n", start) - start);
    };
    EXPECT_EQ(subjectOf(mails[0].text), "Subject: =?UTF-8?B?" + base64(utf8(L"[Blog] A early")) + "?=");
    EXPECT_EQ(subjectOf(mails[2].text), "Subject: =?UTF-8?B?" + base64(utf8(L"[Blog] A late")) + "?=");
    EXPECT_EQ(mails[1].text,
              "From: =?UTF-8?B?" + base64("Beta [Ann]") + "?=\r\n"
              "Date: Wed, 15 Nov 2023 07:13:20 +0900\r\n"
              "Subject: =?UTF-8?B?" + base64("[Blog] B middle") + "?=\r\n"
              "Message-Id: <http://b/mid@mvfeedwick.invalid>\r\n"
              "MIME-Version: 1.0\r\n"
              "Content-Type: text/html; charset=UTF-8\r\n"
              "Content-Transfer-Encoding: 8bit\r\n"
              "\r\n"
              "<HTML>\r\n<HEAD>\r\n<META HTTP-EQUIV=\"content-type\" content=\"text/html; charset=UTF-8\">\r\n"
              "</HEAD>\r\n<BODY>\r\nline1<BR>\r\nline2<BR><BR><A HREF=\"http://b/mid\">http://b/mid</A>\r\n"
              "</BODY>\r\n</HTML>\r\n\r\n");

    const std::string saving = toAnsi(L"Feedwick:正在保存到收件箱");
    EXPECT_EQ(standin::statusTexts(),
              (std::vector<std::string>{toAnsi(L"Feedwick:正在收取") + "Alpha feed",
                                        toAnsi(L"Feedwick:正在收取") + "Beta feed", "", saving, saving + " [1/3]",
                                        saving + " [2/3]", saving + " [3/3]", ""}));

    // Saved: both links carry the time of their fetch.
    loadSettings(fromAnsi(harness->iniPath()));
    ASSERT_EQ(pluginSettings.links.size(), 2u);
    for (const LinkEntry& link : pluginSettings.links) EXPECT_GE(link.lastRetrieved, before);
}

// Atom entries become mails like RSS items; a text summary keeps its line breaks for the
// line-break mode.
TEST_F(Retrieval, DeliversAtomEntries) {
    server.writeFile("atom.xml",
                     "<feed xmlns=\"http://www.w3.org/2005/Atom\"><title>Gamma</title><author><name>Cy</name></author>"
                     "<entry><title>Text entry</title><link href=\"http://g/1\"/><updated>2023-11-14T10:00:00Z</updated>"
                     "<summary>a &lt; b\nc</summary></entry>"
                     "<entry><title>Html entry</title><link rel=\"alternate\" href=\"http://g/2\"/>"
                     "<published>2023-11-14T09:00:00Z</published>"
                     "<content type=\"html\">&lt;p&gt;x&lt;/p&gt;</content></entry></feed>");
    const auto harness = client(iniFor({{server.url("/atom.xml?type=application/atom%2Bxml"), "Gamma", 0}}));
    ASSERT_TRUE(runToEnd(*harness));
    const auto mails = standin::appendedMessages();
    ASSERT_EQ(mails.size(), 2u);
    EXPECT_NE(mails[0].text.find("Subject: =?UTF-8?B?" + base64("[Blog] Html entry") + "?=\r\n"), std::string::npos);
    EXPECT_NE(mails[0].text.find("<BODY>\r\n<p>x</p><BR><BR><A HREF=\"http://g/2\">"), std::string::npos);
    EXPECT_EQ(mails[1].text,
              "From: =?UTF-8?B?" + base64("Gamma [Cy]") + "?=\r\n"
              "Date: Tue, 14 Nov 2023 19:00:00 +0900\r\n"
              "Subject: =?UTF-8?B?" + base64("[Blog] Text entry") + "?=\r\n"
              "Message-Id: <http://g/1@mvfeedwick.invalid>\r\n"
              "MIME-Version: 1.0\r\n"
              "Content-Type: text/html; charset=UTF-8\r\n"
              "Content-Transfer-Encoding: 8bit\r\n"
              "\r\n"
              "<HTML>\r\n<HEAD>\r\n<META HTTP-EQUIV=\"content-type\" content=\"text/html; charset=UTF-8\">\r\n"
              "</HEAD>\r\n<BODY>\r\na &lt; b<BR>\r\nc<BR><BR><A HREF=\"http://g/1\">http://g/1</A>\r\n"
              "</BODY>\r\n</HTML>\r\n\r\n");
}

TEST_F(Retrieval, PrefetchLinksMailTheRewrittenPageOrTheTimeoutNotice) {
    const std::string page =
        "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=EUC-JP\"></head>"
        "<body><A HREF='next.html'>\xa4\xb3</A><embed src=x.swf>gone</embed><img src=\"http://o/i.png\"></body></html>";
    server.writeFile("page.html", page);
    const std::string pageUrl = toAnsi(server.url("/page.html"));
    const std::string hangingUrl = toAnsi(server.url("/page.html?hang=1"));
    server.writeFile("a.xml", rss2("Alpha", item("Fetched", pageUrl, "Tue, 14 Nov 2023 10:00:00 +0000", "own text") +
                                                item("Hanging", hangingUrl, "Tue, 14 Nov 2023 11:00:00 +0000", "own text")));
    const auto harness = client(iniFor({{server.url("/a.xml"), "Alpha", 2}}, "TimeoutB=1\r\n"));
    ASSERT_TRUE(runToEnd(*harness));
    const auto mails = standin::appendedMessages();
    ASSERT_EQ(mails.size(), 2u);

    const std::string base = "http://127.0.0.1:" + std::to_string(server.port());
    const std::string& fetched = mails[0].text;
    EXPECT_NE(fetched.find("Content-Type: text/html; charset=EUC-JP\r\n"), std::string::npos);
    EXPECT_NE(fetched.find("\r\n\r\n<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=EUC-JP\">"
                           "</head><body><a href=\"" + base + "/next.html\">\xa4\xb3</A><img src=\"http://o/i.png\">"
                           "</body></html>\r\n"),
              std::string::npos)
        << fetched;

    const std::string& notice = mails[1].text;
    EXPECT_NE(notice.find("Content-Type: text/html; charset=UTF-8\r\n"), std::string::npos);
    EXPECT_NE(notice.find("<BODY>\r\n" + utf8(L"\r\nMvFeedwick: 由于连接超时，下面链接点的HTML页不能收取") +
                          "<BR><BR><A HREF=\"" + hangingUrl + "\">" + hangingUrl + "</A>\r\n"),
              std::string::npos)
        << notice;
    EXPECT_EQ(notice.find("own text"), std::string::npos);
}

TEST_F(Retrieval, SecondRunAsksIfModifiedSinceAndDeliversNothingNew) {
    server.writeFile("a.xml", rss2("Alpha", item("Old", "http://a/1", "Tue, 14 Nov 2023 10:00:00 +0000", "x")));
    const auto harness = client(iniFor({{server.url("/a.xml?ims304=1"), "Alpha"}}));
    ASSERT_TRUE(runToEnd(*harness));
    ASSERT_EQ(standin::appendedMessages().size(), 1u);
    loadSettings(fromAnsi(harness->iniPath()));
    const int64_t firstFetch = pluginSettings.links.at(0).lastRetrieved;
    ASSERT_GT(firstFetch, 0);

    ASSERT_TRUE(runToEnd(*harness));
    EXPECT_EQ(standin::appendedMessages().size(), 1u);
    const auto log = server.requestLog();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_FALSE(log[0].header("If-Modified-Since"));
    EXPECT_EQ(log[1].header("If-Modified-Since").value_or(""), formatRfc822Date(firstFetch, 0));
    loadSettings(fromAnsi(harness->iniPath()));
    EXPECT_GE(pluginSettings.links.at(0).lastRetrieved, firstFetch);
}

// The last field of link line `key` in the saved file, as written.
std::string savedTimeField(const std::string& iniPath, const std::string& key) {
    const std::string ini = readFile(iniPath);
    const size_t line = ini.find("\n" + key + "=");
    if (line == std::string::npos) return "";
    const size_t end = ini.find('\r', line);
    const size_t field = ini.rfind('|', end) + 1;
    return ini.substr(field, end - field);
}

// With the plug-in's clock past 2038 the schedule and the date rule still hold: the first
// scheduled run mails the items dated before the clock, the next tick starts no run, and a
// second run, which asks If-Modified-Since the first one, mails nothing again.
TEST_F(Retrieval, ClockPast2038) {
    const struct {
        const char* name;
        int64_t clock;
        std::string dates[3];      // oldest first; the middle one in W3C notation
        const char* middleDateHeader;
        const char* year;
    } rows[] = {
        {"2038-01-25", 2147990400,
         {"Sun, 10 Jan 2038 12:00:00 +0000", "2038-01-19T03:14:08Z", "Sun, 24 Jan 2038 23:59:00 +0000"},
         "Date: Tue, 19 Jan 2038 12:14:08 +0900\r\n", " 2038 "},
        {"2040-06-01", 2222121600,
         {"Sun, 10 Jan 2038 12:00:00 +0000", "2039-07-01T00:00:00Z", "Thu, 31 May 2040 23:59:00 +0000"},
         "Date: Fri, 01 Jul 2039 09:00:00 +0900\r\n", " 2040 "},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string feed = std::string("/late.xml?clock=") + row.name;
        server.writeFile("late.xml", rss2("Late", item("Old", "http://l/1", row.dates[0], "x") +
                                                      item("Middle", "http://l/2", row.dates[1], "x") +
                                                      item("Recent", "http://l/3", row.dates[2], "x")));
        const auto harness = client(iniFor({{server.url(feed), "Late"}}, "ScheduleType=2\r\nInterval=60\r\n"));
        harness->setPluginClock(row.clock);
        const auto requestsForFeed = [&] {
            std::vector<LoggedRequest> requests;
            for (const LoggedRequest& request : server.requestLog()) {
                if (request.pathAndQuery == feed) requests.push_back(request);
            }
            return requests;
        };

        harness->plugin().onEveryMinute();
        ASSERT_TRUE(harness->waitForRunEnd(30000));
        ASSERT_EQ(standin::appendedMessages().size(), 3u);
        EXPECT_NE(standin::appendedMessages()[1].text.find(row.middleDateHeader), std::string::npos);
        harness->plugin().onEveryMinute();
        ASSERT_TRUE(harness->waitForRunEnd(30000));
        EXPECT_EQ(requestsForFeed().size(), 1u);

        const std::string field = savedTimeField(harness->iniPath(), "0");
        const int64_t firstFetch = std::stoll(field);
        EXPECT_EQ(field, std::to_string(firstFetch));
        EXPECT_GE(firstFetch, row.clock);
        EXPECT_LT(firstFetch, row.clock + 60);
        loadSettings(fromAnsi(harness->iniPath()));
        EXPECT_EQ(pluginSettings.links.at(0).lastRetrieved, firstFetch);

        harness->retrieveAll();
        ASSERT_TRUE(harness->waitForRunEnd(30000));
        EXPECT_EQ(standin::appendedMessages().size(), 3u);
        const auto requests = requestsForFeed();
        ASSERT_EQ(requests.size(), 2u);
        const std::string ifModifiedSince = requests[1].header("If-Modified-Since").value_or("");
        EXPECT_EQ(ifModifiedSince, formatRfc822Date(firstFetch, 0));
        EXPECT_NE(ifModifiedSince.find(row.year), std::string::npos) << ifModifiedSince;
        loadSettings(fromAnsi(harness->iniPath()));
        EXPECT_GE(pluginSettings.links.at(0).lastRetrieved, firstFetch);
    }
}

TEST_F(Retrieval, CompressedAnswersDeliverTheSameMails) {
    server.writeFile("page.html", "<html><body><a href=\"next.html\">next</a></body></html>");
    const std::string pageUrl = toAnsi(server.url("/page.html"));
    server.writeFile("a.xml", rss2("Alpha", item("A", "http://a/1", "Tue, 14 Nov 2023 10:00:00 +0000", "x\ny")));
    server.writeFile("b.xml", rss2("Beta", item("B", pageUrl, "Tue, 14 Nov 2023 11:00:00 +0000", "own text")));
    const std::string ini = iniFor({{server.url("/a.xml"), "Alpha"}, {server.url("/b.xml"), "Beta", 2}});
    // The same URLs each time; the server's default coding changes.
    const auto mailsWith = [&](const std::string& coding) {
        server.writeFile(".encoding", coding);
        const auto harness = client(ini);
        EXPECT_TRUE(runToEnd(*harness));
        std::vector<std::string> texts;
        for (const auto& mail : standin::appendedMessages()) texts.push_back(mail.text);
        return texts;
    };
    const std::vector<std::string> plain = mailsWith("");
    ASSERT_EQ(plain.size(), 2u);
    for (const char* coding : {"gzip", "deflate", "rawdeflate"}) {
        EXPECT_EQ(mailsWith(coding), plain) << coding;
    }
    // The server did compress: a coding nobody can decode delivers nothing.
    EXPECT_TRUE(mailsWith("br").empty());
}

// The link after the one that spends the budget hangs: parallel fetching has asked for it
// already and must cancel it rather than wait for its time-out.
TEST_F(Retrieval, SpentTimeBudgetDeliversNothingAndKeepsTheFile) {
    server.writeFile("a.xml", rss2("Alpha", item("One", "http://a/1", "Tue, 14 Nov 2023 10:00:00 +0000", "x")));
    const struct {
        const char* parallel;
        size_t requests;
    } rows[] = {{"1", 1}, {"6", 2}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.parallel);
        const size_t requestsBefore = server.requestLog().size();
        const std::string ini =
            iniFor({{server.url("/a.xml?delay=1.2"), "Slow"}, {server.url("/a.xml?hang=1", 2), "Never"}},
                   "TimeoutS=1\r\nTimeoutC=30\r\nParallel=" + std::string(row.parallel) + "\r\n");
        const auto harness = client(ini);
        const std::string fileBefore = readFile(harness->iniPath());
        const ULONGLONG start = GetTickCount64();
        ASSERT_TRUE(runToEnd(*harness));
        EXPECT_LT(GetTickCount64() - start, 10000u);
        EXPECT_TRUE(standin::appendedMessages().empty());
        const std::string saving = toAnsi(L"Feedwick:正在保存到收件箱");
        EXPECT_EQ(standin::statusTexts(),
                  (std::vector<std::string>{toAnsi(L"Feedwick:正在收取") + "Slow", "", saving, ""}));
        EXPECT_EQ(server.requestLog().size() - requestsBefore, row.requests);
        EXPECT_EQ(readFile(harness->iniPath()), fileBefore);
    }
}

TEST_F(Retrieval, StopDuringSixHangingRequestsOnThreeHostsEndsTheRunAtOnce) {
    server.writeFile("a.xml", rss2("Alpha", item("One", "http://a/1", "Tue, 14 Nov 2023 10:00:00 +0000", "x")));
    std::vector<Link> links = {{server.url("/a.xml"), "Quick"}};
    for (int i = 1; i <= 9; ++i) {
        links.push_back({server.url("/a.xml?hang=1&n=" + std::to_string(i), i % kServedHosts + 1), "Hanging"});
    }
    const auto harness = client(iniFor(links, "TimeoutC=30\r\n"));
    const std::string fileBefore = readFile(harness->iniPath());
    harness->retrieveAll();
    // The quick link, then six hanging ones: two to each host.
    ASSERT_TRUE(harness->waitFor([&] { return server.requestLog().size() == 7; }, 10000));
    harness->waitFor([] { return false; }, 300);
    std::map<std::string, size_t> hanging;
    for (const LoggedRequest& request : server.requestLog()) {
        if (request.pathAndQuery.find("hang") != std::string::npos) ++hanging[request.header("Host").value_or("")];
    }
    EXPECT_EQ(hanging.size(), 3u);
    for (const auto& [host, count] : hanging) EXPECT_EQ(count, 2u) << host;
    // A second request while the run is going is dropped.
    harness->retrieveAll();
    const ULONGLONG stopAt = GetTickCount64();
    standin::invokeCommand(standin::registeredCommands().at(2).id, 0);
    ASSERT_TRUE(harness->waitFor([&] { return !harness->runIsGoing(); }, 5000));
    EXPECT_LT(GetTickCount64() - stopAt, 1000u);
    EXPECT_TRUE(standin::appendedMessages().empty());
    EXPECT_EQ(server.requestLog().size(), 7u);
    EXPECT_EQ(readFile(harness->iniPath()), fileBefore);
}

// Requests go ahead of the walk and end out of order, yet the client sees what a walk that
// fetches one link after the other shows.
TEST_F(Retrieval, ParallelFetchingLooksLikeTheSequentialWalk) {
    constexpr int32_t kEarlier = 1699000000;
    const auto feed = [&](const std::string& name, const std::string& hour) {
        server.writeFile(name + ".xml", rss2(name, item(name + " item", "http://" + name + "/1",
                                                        "Tue, 14 Nov 2023 " + hour + ":00:00 +0000", name)));
    };
    feed("a", "10");
    feed("b", "08");
    feed("d", "09");
    feed("f", "07");
    feed("g", "11");
    server.writeFile("page.html", "<html><body><a href=\"x.html\">page</a></body></html>");
    const std::string slowPage = toAnsi(server.url("/page.html?delay=0.8", 3));
    const std::string quickPage = toAnsi(server.url("/page.html", 1));
    server.writeFile("p.xml", rss2("Pages", item("Slow page", slowPage, "Tue, 14 Nov 2023 05:00:00 +0000", "") +
                                                item("Quick page", quickPage, "Tue, 14 Nov 2023 06:00:00 +0000", "")));
    const std::vector<Link> links = {
        {server.url("/a.xml?delay=1", 1), "Slow"},
        {server.url("/b.xml", 2), "Quick"},
        {server.url("/d.xml", 3), "Disabled", 1, 0, 0},
        {server.url("/missing.xml?status=404&type=text/html&body=%3Chtml%3E", 3), "Broken"},
        {server.url("/f.xml?ims304=1", 1), "Unchanged", 1, kEarlier},
        {server.url("/p.xml?delay=0.4", 2), "Pages", HtmlPrefetchLink},
        {server.url("/g.xml?delay=0.6", 3), "Later"},
    };
    struct Observed {
        std::vector<std::string> statusTexts;
        std::vector<std::string> mails;
        std::string links;  // the saved Links section, each new retrieval time written as "NEW"
    };
    const auto runWith = [&](const std::string& parallel) {
        const auto harness = client(iniFor(links, "Parallel=" + parallel + "\r\n"));
        const int32_t before = static_cast<int32_t>(time(nullptr));
        EXPECT_TRUE(runToEnd(*harness));
        const std::string ini = readFile(harness->iniPath());
        const size_t linksAt = ini.find("[Links]");
        Observed observed{standin::statusTexts(), {}, ini.substr(linksAt, ini.find('[', linksAt + 1) - linksAt)};
        for (const auto& mail : standin::appendedMessages()) observed.mails.push_back(mail.text);
        loadSettings(fromAnsi(harness->iniPath()));
        for (const LinkEntry& link : pluginSettings.links) {
            if (link.lastRetrieved < before) continue;
            const std::string time = "|" + std::to_string(link.lastRetrieved) + "\r\n";
            const size_t at = observed.links.find(time);
            if (at != std::string::npos) observed.links.replace(at, time.size(), "|NEW\r\n");
        }
        return observed;
    };
    const Observed sequential = runWith("1");
    const Observed parallel = runWith("6");

    const std::string fetching = toAnsi(L"Feedwick:正在收取");
    const std::string saving = toAnsi(L"Feedwick:正在保存到收件箱");
    EXPECT_EQ(sequential.statusTexts,
              (std::vector<std::string>{fetching + "Slow", fetching + "Quick", fetching + "Broken",
                                        fetching + "Unchanged", fetching + "Pages", fetching + "Later", "", saving,
                                        saving + " [1/5]", saving + " [2/5]", saving + " [3/5]", saving + " [4/5]",
                                        saving + " [5/5]", toAnsi(L"Feedwick:1 个链接收取失败")}));
    ASSERT_EQ(sequential.mails.size(), 5u);
    EXPECT_NE(sequential.mails[0].find("/x.html\">page</a>"), std::string::npos) << sequential.mails[0];
    EXPECT_NE(sequential.mails[1].find("/x.html\">page</a>"), std::string::npos) << sequential.mails[1];
    EXPECT_NE(sequential.links.find("|Slow|1|2|NEW\r\n"), std::string::npos) << sequential.links;
    EXPECT_NE(sequential.links.find("|Broken|1|2|0\r\n"), std::string::npos) << sequential.links;
    EXPECT_NE(sequential.links.find("|Unchanged|1|2|NEW\r\n"), std::string::npos) << sequential.links;
    EXPECT_NE(sequential.links.find("|Disabled|1|2|0\r\n"), std::string::npos) << sequential.links;

    EXPECT_EQ(parallel.statusTexts, sequential.statusTexts);
    EXPECT_EQ(parallel.mails, sequential.mails);
    EXPECT_EQ(parallel.links, sequential.links);
    for (const LoggedRequest& request : server.requestLog()) EXPECT_NE(request.pathAndQuery, "/d.xml");
}

// The client unloads the plug-in at exit while WinHTTP may still be busy with a request that
// a stop abandoned. In a client that has WinHTTP loaded only through the plug-in (unlike this
// test program), that crashed the client as it unloaded the plug-in.
TEST_F(Retrieval, ClientExitsCleanlyAfterAStopAbandonedARequest) {
    server.writeFile("a.xml", rss2("Alpha", item("One", "http://a/1", "Tue, 14 Nov 2023 10:00:00 +0000", "x")));
    const struct {
        const char* name;
        std::wstring url;
    } cases[] = {
        {"hanging request", server.url("/a.xml?hang=1")},
        {"dripping body", server.url("/a.xml?drip=1&type=text/xml")},
    };
    for (const auto& c : cases) {
        TempFolder folder;
        const std::string plugin = copyPluginInto(folder.path());
        writeFile(folder.file("MvFeedwick.ini"), iniFor({{c.url, "Abandoned"}}, "TimeoutC=30\r\n"));
        const std::string data = folder.file("data");
        CreateDirectoryA(data.c_str(), nullptr);
        const std::string commandLine = "\"" + testProgramFolder() + "\\StandInHost.exe\" --plugin \"" + plugin +
                                        "\" --data \"" + data + "\" --retrieve-all --stop-after-ms 1000";
        EXPECT_EQ(runProgram(commandLine, 20000), 0) << c.name;
    }
}

TEST_F(Retrieval, ExitDuringARunWaitsForTheWorker) {
    const auto harness = client(iniFor({{server.url("/a.xml?hang=1"), "Hanging"}}, "TimeoutC=30\r\n"));
    harness->retrieveAll();
    ASSERT_TRUE(harness->waitFor([&] { return server.requestLog().size() == 1; }, 10000));
    const ULONGLONG exitAt = GetTickCount64();
    EXPECT_EQ(harness->plugin().onExit(), 0);
    EXPECT_LT(GetTickCount64() - exitAt, 2500u);
    EXPECT_FALSE(harness->runIsGoing());
    EXPECT_TRUE(standin::appendedMessages().empty());
}

// One hostile server among good ones: its own link fails or yields what it sent, and the
// other links' mails still arrive, prefetched pages included.
TEST_F(Retrieval, AHostileServerSparesTheOtherLinksOfTheRun) {
    const std::string port = std::to_string(server.port());
    struct Row {
        const char* name;
        std::string pathAndQuery;  // answers the hostile feed and one linked page
        size_t hostileItems;
        std::optional<bool> pageFetched;  // none: the platform's framing decides
    };
    const Row rows[] = {
        {"silent", "/a.xml?hang=1", 0, false},
        {"dripping", "/a.xml?drip=0.3", 0, false},
        {"reset mid-body", "/x?size=100000&reset=50000", 0, false},
        // Regression: the cut-off page became the item's mail.
        {"closed before its Content-Length", "/a.xml?cut=100", 0, false},
        {"redirect loop", "/x?loop=1", 0, false},
        {"redirect to an address nobody serves", "/x?redirect=http%3A%2F%2F127.0.0.9%3A" + port + "%2Fa.xml", 0,
         false},
        {"body past the cap", "/x?size=" + std::to_string(kMaxResponseBodyBytes + 100000), 0, false},
        {"binary garbage", "/x?garbage=100000", 0, true},
        {"NUL bytes", "/x?body=%3Chtml%3E%00%01%00%3C%2Fhtml%3E", 0, true},
        {"204 without body", "/a.xml?status=204", 0, true},
        {"malformed status line", "/a.xml?statusline=%3Chtml%3E", 0, false},
        {"chunks shorter than announced", "/a.xml?chunked=short", 0, std::nullopt},
        {"50,000 items", "/many.xml", 50000, true},
    };
    server.writeFile("a.xml", rss2("Alpha", item("Good", "http://a/1", "Tue, 14 Nov 2023 10:00:00 +0000", "x")));
    server.writeFile("page.html", "<html><body>Good page</body></html>");
    std::string manyItems;
    for (int i = 0; i < 50000; ++i) {
        manyItems += item("Many " + std::to_string(i), "http://many/" + std::to_string(i),
                          "Mon, 13 Nov 2023 10:00:00 +0000", "m");
    }
    server.writeFile("many.xml", rss2("Many", manyItems));
    const std::string goodPage = toAnsi(server.url("/page.html"));
    const std::string notice = utf8(L"由于连接超时");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        standin::clearRecords();
        const std::string hostilePage = toAnsi(server.url(row.pathAndQuery));
        std::string escapedPage = hostilePage;
        for (size_t at = escapedPage.find('&'); at != std::string::npos; at = escapedPage.find('&', at + 1)) {
            escapedPage.insert(at + 1, "amp;");
        }
        server.writeFile("p.xml", rss2("Pages", item("Hostile", escapedPage, "Tue, 14 Nov 2023 11:00:00 +0000", "") +
                                                    item("Good", goodPage, "Tue, 14 Nov 2023 12:00:00 +0000", "")));
        const auto harness = client(iniFor({{server.url("/a.xml"), "Alpha"},
                                            {server.url(row.pathAndQuery), "Hostile"},
                                            {server.url("/p.xml"), "Pages", HtmlPrefetchLink}},
                                           "TimeoutC=2\r\nTimeoutB=2\r\n"));
        ASSERT_TRUE(runToEnd(*harness, 60000));

        const auto mails = standin::appendedMessages();
        EXPECT_EQ(mails.size(), 3 + row.hostileItems);
        const auto mailFor = [&](const std::string& link) -> std::string {
            for (const auto& mail : mails) {
                if (mail.text.find("Message-Id: <" + link + "@") != std::string::npos) return mail.text;
            }
            ADD_FAILURE() << "no mail for " << link;
            return {};
        };
        EXPECT_NE(mailFor("http://a/1").find("x<BR><BR>"), std::string::npos);
        EXPECT_NE(mailFor(goodPage).find("Good page"), std::string::npos);
        const std::string hostilePageMail = mailFor(hostilePage);
        if (row.pageFetched) {
            EXPECT_EQ(hostilePageMail.find(notice) == std::string::npos, *row.pageFetched);
        }
        loadSettings(fromAnsi(harness->iniPath()));
        ASSERT_EQ(pluginSettings.links.size(), 3u);
        EXPECT_GT(pluginSettings.links[0].lastRetrieved, 0);
        EXPECT_EQ(pluginSettings.links[1].lastRetrieved > 0, row.hostileItems > 0);
        EXPECT_GT(pluginSettings.links[2].lastRetrieved, 0);
    }
}

}  // namespace
