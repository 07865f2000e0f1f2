#include "plugin/RetrievalWorker.h"

#include <process.h>

#include <algorithm>
#include <string>

#include "common/Clock.h"
#include "common/Handles.h"
#include "common/TextConversion.h"
#include "feed/FeedFetcher.h"
#include "mail/Delivery.h"
#include "plugin/HostApi.h"
#include "plugin/Plugin.h"
#include "plugin/RunState.h"
#include "resources/resource.h"
#include "settings/Mailboxes.h"
#include "settings/Settings.h"

namespace {

constexpr DWORD kExitPollMs = 50;

ScopedHandle workerThread;

void showStatus(const std::string& text) { hostApi.SetMessageText(nullptr, text.c_str()); }

// String 108 with the link's title in place of its "%s".
std::string fetchingStatus(const std::wstring& title) {
    std::wstring text = loadPluginString(IDS_STATUS_FETCHING);
    const size_t placeholder = text.find(L"%s");
    if (placeholder != std::wstring::npos) text.replace(placeholder, 2, title);
    return toAnsi(text);
}

void fetchLinks(FeedFetcher& fetcher, int32_t runStart) {
    for (size_t i = 0;; ++i) {
        const int32_t single = runState.singleLinkIndex;
        if (single != -1) i = static_cast<size_t>(single);
        if (i >= pluginSettings.links.size() || single < -1) return;
        if (runState.stopRequested) return;
        LinkEntry& link = pluginSettings.links[i];
        if (link.enabled || single != -1) {
            showStatus(fetchingStatus(link.title));
            if (fetcher.Fetch(link.url, link.lastRetrieved, link.htmlMode, pluginSettings.TimeoutC,
                              link.senderMode, false)) {
                link.lastRetrieved = currentTime();
            }
        }
        if (!runBudgetLeft(runStart, pluginSettings.TimeoutS) || single != -1) return;
    }
}

void deliverAndKeep(FeedFetcher& fetcher, int32_t runStart) {
    showStatus(toAnsi(loadPluginString(IDS_STATUS_SAVING)));
    std::sort(fetcher.items.begin(), fetcher.items.end(),
              [](const FeedItem& a, const FeedItem& b) { return a.date < b.date; });
    const std::string mailboxDir = findMailboxDir(toAnsi(pluginSettings.Mailbox));
    const std::wstring inbox = fromAnsi(inboxFolderId(mailboxDir));
    if (deliverItems(fetcher, inbox, runStart)) {
        saveSettings(iniPath);
    } else {
        loadSettings(iniPath);
    }
}

unsigned __stdcall RetrievalWorker(void*) {
    runState.ready = 0;
    runState.lastRunStart = currentTime();
    loadSettings(iniPath);
    {
        FeedFetcher fetcher;
        const int32_t runStart = currentTime();
        fetchLinks(fetcher, runStart);
        showStatus("");
        if (runState.stopRequested) {
            loadSettings(iniPath);
        } else {
            deliverAndKeep(fetcher, runStart);
        }
        runState.running = 0;
        showStatus("");
        runState.ready = 1;
    }
    return 0;
}

}  // namespace

bool workerThreadEnded() {
    return !workerThread || WaitForSingleObject(workerThread.get(), 0) == WAIT_OBJECT_0;
}

void WINAPI requestRetrieval(HWND, int parameter) {
    if (runState.running || !workerThreadEnded()) return;
    const bool automatic = parameter == 0;
    if (automatic && runState.setupActive) return;
    if (automatic) runState.singleLinkIndex = -1;
    runState.running = 1;
    runState.stopRequested = 0;
    workerThread.reset(reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, RetrievalWorker, nullptr, 0, nullptr)));
    if (!workerThread) runState.running = 0;
}

void waitForWorkerWhilePumping() {
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (!runState.running && workerThreadEnded()) return;
        Sleep(kExitPollMs);
    }
}
