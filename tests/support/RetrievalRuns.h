#pragma once
// Whole retrieval runs: the plug-in loaded by the stand-in client with an INI file of links,
// feeds from the loopback server, mails recorded by the client.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "common/TextConversion.h"
#include "support/PluginHarness.h"
#include "support/TestServer.h"

struct Link {
    std::wstring url;
    std::string title;
    int htmlMode = 1;
    int64_t lastRetrieved = 0;
    int enabled = 1;
};

inline std::string iniFor(const std::vector<Link>& links, const std::string& control = "") {
    std::string text = "[Control]\r\nVersion=1.2\r\nMailbox=Feeds\r\n" + control + "[Links]\r\nCount=" +
                       std::to_string(links.size()) + "\r\n";
    for (size_t i = 0; i < links.size(); ++i) {
        text += std::to_string(i) + "=" + std::to_string(links[i].enabled) + "|" + toAnsi(links[i].url) + "|" +
                links[i].title + "|" + std::to_string(links[i].htmlMode) + "|2|" +
                std::to_string(links[i].lastRetrieved) + "\r\n";
    }
    return text;
}

class Retrieval : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.running()); }

    // A client whose data folder has the mailbox "Feeds" in folder feeds001.mb.
    std::unique_ptr<PluginHarness> client(const std::string& ini) {
        auto harness = std::make_unique<PluginHarness>(ini);
        const std::string mailbox = harness->dataFolder() + "\\feeds001.mb";
        CreateDirectoryA(mailbox.c_str(), nullptr);
        writeFile(mailbox + "\\Mailbox.ini", "[Account]\r\nName=Feeds\r\n");
        harness->start();
        return harness;
    }

    bool runToEnd(PluginHarness& harness, unsigned timeoutMs = 30000) {
        harness.retrieveAll();
        return harness.waitForRunEnd(timeoutMs);
    }

    TestServer server;
};
