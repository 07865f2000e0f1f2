#pragma once
// The client's mailboxes, as folders "????????.mb" of its data folder, each named by the
// key Name of section Account in its "Mailbox.ini".
#include <string>
#include <vector>

// Mailbox names (ANSI), sorted; duplicates and empty names stay.
using MailboxList = std::vector<std::string>;

void listMailboxes(MailboxList& names);

// Folder name of the first mailbox, in enumeration order, whose name equals `name`
// exactly; empty when there is none.
std::string findMailboxDir(const std::string& name);

// The client's identifier of a mailbox folder's Inbox: "abcd1234.mb\!!!!Inbox\".
std::string inboxFolderId(const std::string& mailboxDir);
