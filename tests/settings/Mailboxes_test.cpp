#include "settings/Mailboxes.h"

#include <gtest/gtest.h>

#include "StandInHost.h"
#include "common/HostApi.h"
#include "support/TestFiles.h"

namespace {

class MailboxFolders : public ::testing::Test {
protected:
    void SetUp() override {
        standin::HostOptions options;
        options.dataFolder = data.path();
        standin::configure(options);
        ASSERT_TRUE(bindHostApi());
    }

    void addMailbox(const std::string& folder, const char* name) {
        CreateDirectoryA(data.file(folder).c_str(), nullptr);
        if (name) writeFile(data.file(folder) + "\\Mailbox.ini", std::string("[Account]\r\nName=") + name + "\r\n");
    }

    TempFolder data;
};

TEST_F(MailboxFolders, ListsNamesSortedWithDuplicatesAndEmptyNames) {
    addMailbox("aaaa0001.mb", "Work");
    addMailbox("aaaa0002.mb", "Home");
    addMailbox("aaaa0003.mb", "Work");
    addMailbox("aaaa0004.mb", nullptr);
    addMailbox("aaaa0005.mb", "work");
    addMailbox("abcdefghi.mb", "Nine");
    addMailbox("aaaa0006.box", "Other");
    writeFile(data.file("aaaa0007.mb") + "\\Mailbox.ini", "");
    writeFile(data.file("aaaa0008.mb"), "");  // a file, not a mailbox folder
    MailboxList names;
    listMailboxes(names);
    EXPECT_EQ(names, (MailboxList{"", "Home", "Work", "Work", "work"}));
}

TEST_F(MailboxFolders, FindsTheFolderOfAnExactName) {
    addMailbox("aaaa0001.mb", "Work");
    addMailbox("aaaa0002.mb", "Home");
    addMailbox("aaaa0003.mb", "Work");
    addMailbox("aaaa0004.mb", nullptr);
    addMailbox("abcdefghi.mb", "Nine");
    writeFile(data.file("aaaa0000.mb"), "");  // a file, not a mailbox folder
    const struct {
        const char* name;
        std::vector<std::string> acceptable;
    } cases[] = {
        {"Home", {"aaaa0002.mb"}},
        {"Work", {"aaaa0001.mb", "aaaa0003.mb"}},  // whichever the enumeration returns first
        {"", {"aaaa0004.mb"}},
        {"WORK", {""}},
        {"Hom", {""}},
        {"Nine", {""}},
    };
    for (const auto& c : cases) {
        const std::string folder = findMailboxDir(c.name);
        EXPECT_NE(std::find(c.acceptable.begin(), c.acceptable.end(), folder), c.acceptable.end())
            << c.name << " gave " << folder;
    }
}

TEST_F(MailboxFolders, MissingDataFolderGivesNothing) {
    standin::HostOptions options;
    options.dataFolder = data.file("absent");
    standin::configure(options);
    MailboxList names;
    listMailboxes(names);
    EXPECT_TRUE(names.empty());
    EXPECT_EQ(findMailboxDir(""), "");
    EXPECT_EQ(inboxFolderId(findMailboxDir("")), "\\!!!!Inbox\\");
    EXPECT_EQ(inboxFolderId("abcd1234.mb"), "abcd1234.mb\\!!!!Inbox\\");
}

}  // namespace
