#include "settings/Mailboxes.h"

#include <windows.h>

#include <mbstring.h>

#include <algorithm>
#include <functional>

#include "common/Handles.h"
#include "common/HostApi.h"

namespace {

constexpr DWORD kNameBufferSize = 256;

std::string dataFolder() {
    const char* folder = hostApi.GetDataFolder ? hostApi.GetDataFolder() : nullptr;
    return folder ? folder : "";
}

std::string mailboxName(const char* folderName) {
    const std::string ini = dataFolder() + "\\" + folderName + "\\Mailbox.ini";
    char name[kNameBufferSize] = {};
    GetPrivateProfileStringA("Account", "Name", "", name, kNameBufferSize, ini.c_str());
    return name;
}

// The system's wildcard match also tries each entry's 8.3 short name, through which
// "abcdefghi.mb" (short name ABCDEF~1.MB) would match; only real eight-character names count.
bool isMailboxFolderName(const char* name) {
    const size_t length = lstrlenA(name);
    constexpr size_t kExtensionLength = 3;
    constexpr size_t kMaxStemLength = 8;
    return length > kExtensionLength && length - kExtensionLength <= kMaxStemLength &&
           lstrcmpiA(name + length - kExtensionLength, ".mb") == 0;
}

int compareNames(const std::string& a, const std::string& b) {
    return _mbscmp(reinterpret_cast<const unsigned char*>(a.c_str()),
                   reinterpret_cast<const unsigned char*>(b.c_str()));
}

// Calls `visit` with each mailbox folder name and its mailbox name until it returns false.
void forEachMailbox(const std::function<bool(const char* folder, const std::string& name)>& visit) {
    const std::string pattern = dataFolder() + "\\????????.mb";
    WIN32_FIND_DATAA entry = {};
    ScopedFind search(FindFirstFileA(pattern.c_str(), &entry));
    if (!search) return;
    do {
        const bool folder = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (!folder || !isMailboxFolderName(entry.cFileName)) continue;
        if (!visit(entry.cFileName, mailboxName(entry.cFileName))) return;
    } while (FindNextFileA(search.get(), &entry));
}

}  // namespace

void listMailboxes(MailboxList& names) {
    forEachMailbox([&](const char*, const std::string& name) {
        names.push_back(name);
        return true;
    });
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return compareNames(a, b) < 0; });
}

std::string findMailboxDir(const std::string& name) {
    std::string found;
    forEachMailbox([&](const char* folder, const std::string& candidate) {
        if (compareNames(candidate, name) != 0) return true;
        found = folder;
        return false;
    });
    return found;
}

std::string inboxFolderId(const std::string& mailboxDir) { return mailboxDir + "\\!!!!Inbox\\"; }
