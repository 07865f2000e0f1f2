// The setup command from the client's menu, with the plug-in loaded as the client loads it.
#include <gtest/gtest.h>

#include "common/TextConversion.h"
#include "resources/LinkPropertiesDialog_rc.h"
#include "resources/SettingsDialog_rc.h"
#include "support/DialogDriver.h"
#include "support/DragSource.h"
#include "support/FeedDocuments.h"
#include "support/PluginHarness.h"
#include "support/TestServer.h"

namespace {

TEST(SetupFromTheClientMenu, ADroppedFeedIsRetrievedIntoTheInbox) {
    TestServer server;
    server.writeFile("a.xml", rss2("Alpha", item("One", "http://a/1", "Tue, 14 Nov 2023 10:00:00 +0000", "x")));
    PluginHarness harness("[Control]\r\nVersion=1.2\r\nMailbox=Feeds\r\n[Links]\r\nCount=0\r\n");
    const std::string mailbox = harness.dataFolder() + "\\feeds001.mb";
    CreateDirectoryA(mailbox.c_str(), nullptr);
    writeFile(mailbox + "\\Mailbox.ini", "[Account]\r\nName=Feeds\r\n");
    harness.start();
    const int setupCommand = standin::registeredCommands().at(1).id;

    DialogDriver::run(
        [&] {
            standin::invokeCommand(setupCommand, 0);
            return INT_PTR{0};
        },
        [&](DialogDriver& driver) {
            const HWND dialog = driver.waitForDialog(L"Feedwick设置");
            const auto drag = startDrag(driver, GetDlgItem(dialog, IDC_LINK_LIST), {"", server.url("/a.xml"), {}});
            driver.click(driver.waitForDialog(L"FeedwickRSS/链接RDF的设置"), IDOK);
            EXPECT_EQ(drag->finish(), static_cast<DWORD>(DROPEFFECT_COPY));
            driver.click(dialog, IDOK);
        });
    EXPECT_NE(readFile(harness.iniPath()).find(toAnsi(server.url("/a.xml")) + "|Alpha|1|2|0"), std::string::npos);

    harness.retrieveAll();
    ASSERT_TRUE(harness.waitForRunEnd(30000));
    const auto mails = standin::appendedMessages();
    ASSERT_EQ(mails.size(), 1u);
    EXPECT_EQ(mails[0].folderId, "feeds001.mb\\!!!!Inbox\\");
}

}  // namespace
