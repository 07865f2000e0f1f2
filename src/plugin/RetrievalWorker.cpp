#include "plugin/RetrievalWorker.h"

#include <process.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "common/Clock.h"
#include "common/ExceptionBarrier.h"
#include "common/Handles.h"
#include "common/HostApi.h"
#include "common/TextConversion.h"
#include "feed/FeedFetcher.h"
#include "feed/HttpRequest.h"
#include "feed/RequestQueue.h"
#include "plugin/Delivery.h"
#include "plugin/Plugin.h"
#include "common/RunState.h"
#include "resources/resource.h"
#include "settings/Mailboxes.h"
#include "settings/Settings.h"

namespace {

ScopedHandle workerThread;

void showStatus(const std::string& text) { hostApi.SetMessageText(nullptr, text.c_str()); }

// String 108 with the link's title in place of its "%s".
std::string fetchingStatus(const std::wstring& title) {
    std::wstring text = loadPluginString(IDS_STATUS_FETCHING);
    const size_t placeholder = text.find(L"%s");
    if (placeholder != std::wstring::npos) text.replace(placeholder, 2, title);
    return toAnsi(text);
}

// The links a run fetches, in list order: the one the settings dialog chose (none when the
// index is outside the list), or every enabled one.
std::vector<size_t> linksToFetch() {
    const int32_t single = runState.singleLinkIndex;
    const size_t count = pluginSettings.links.size();
    std::vector<size_t> chosen;
    if (single != -1) {
        if (single >= 0 && static_cast<size_t>(single) < count) chosen.push_back(static_cast<size_t>(single));
        return chosen;
    }
    for (size_t i = 0; i < count; ++i) {
        if (pluginSettings.links[i].enabled) chosen.push_back(i);
    }
    return chosen;
}

// The requests go ahead of the walk, but the walk takes their results in list order, so the
// status texts, the items and the retrieval times come as in a walk that fetches one link
// after the other. Once the budget is spent, the requests still going are cancelled.
void fetchLinks(FeedFetcher& fetcher, const HttpSession& session, int64_t runStart) {
    const std::vector<size_t> chosen = linksToFetch();
    std::vector<PlannedRequest> requests;
    for (const size_t i : chosen) {
        const LinkEntry& link = pluginSettings.links[i];
        requests.push_back({link.url, pluginSettings.TimeoutC, link.lastRetrieved, ""});
    }
    RequestQueue queue(session, std::move(requests), requestsInFlight(), runStopSignal());
    for (size_t k = 0; k < chosen.size(); ++k) {
        if (runState.stopRequested) return;
        LinkEntry& link = pluginSettings.links[chosen[k]];
        showStatus(fetchingStatus(link.title));
        if (fetcher.ReadResponse(queue.take(k), link.url, link.lastRetrieved, link.htmlMode, link.senderMode)) {
            link.lastRetrieved = currentTime();
        }
        if (!runBudgetLeft(runStart, pluginSettings.TimeoutS)) return;
    }
}

// Delivers oldest first across all links; false when delivery ended early.
bool deliver(FeedFetcher& fetcher, const HttpSession& session, int64_t runStart) {
    showStatus(toAnsi(loadPluginString(IDS_STATUS_SAVING)));
    std::sort(fetcher.items.begin(), fetcher.items.end(),
              [](const FeedItem& a, const FeedItem& b) { return a.date < b.date; });
    const std::string mailboxDir = findMailboxDir(toAnsi(pluginSettings.Mailbox));
    const std::wstring inbox = fromAnsi(inboxFolderId(mailboxDir));
    return deliverItems(fetcher, session, inbox, runStart);
}

// The run from the reload of the settings to its delivery. True when every new item was
// delivered, so that the new retrieval times may be kept.
bool fetchAndDeliver(std::optional<FeedFetcher>& fetcher) {
    loadSettings(iniPath);
    fetcher.emplace();
    const HttpSession session;
    const int64_t runStart = currentTime();
    fetchLinks(*fetcher, session, runStart);
    showStatus("");
    return !runState.stopRequested && deliver(*fetcher, session, runStart);
}

// A run that throws ends as a failed delivery does: the file's state comes back.
void runRetrieval() {
    runState.ready = 0;
    runState.lastRunStart = currentTime();
    std::optional<FeedFetcher> fetcher;  // destroyed last: COM ends with it on this thread
    const bool delivered = callWithoutThrowing(false, [&] { return fetchAndDeliver(fetcher); });
    callWithoutThrowing([=] {
        if (delivered) {
            saveSettings(iniPath);
        } else {
            loadSettings(iniPath);
        }
    });
    runState.running = 0;
    showStatus("");
    runState.ready = 1;
}

// The dialog that started the run refreshes itself on its own thread: its user may be
// editing the links there while this thread ends.
void reportRunEnd() {
    const int32_t runLink = runState.singleLinkIndex.exchange(-1);
    if (const HWND dialog = runState.notifyDialog) PostMessageW(dialog, kRunEndedMessage, static_cast<WPARAM>(runLink), 0);
}

unsigned __stdcall RetrievalWorker(void*) {
    runRetrieval();
    reportRunEnd();
    return 0;
}

}  // namespace

bool workerThreadEnded() {
    return !workerThread || WaitForSingleObject(workerThread.get(), 0) == WAIT_OBJECT_0;
}

void WINAPI requestRetrieval(HWND, int parameter) {
    if (runState.running || runState.exiting || !workerThreadEnded()) return;
    const bool automatic = parameter == 0;
    if (automatic && runState.setupActive) return;
    if (automatic) runState.singleLinkIndex = -1;
    runState.running = 1;
    clearRunStop();
    workerThread.reset(reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, RetrievalWorker, nullptr, 0, nullptr)));
    if (!workerThread) runState.running = 0;
}

void waitForWorkerEnd() {
    bool quitSeen = false;
    WPARAM quitCode = 0;
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                quitSeen = true;
                quitCode = message.wParam;
                continue;
            }
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (workerThreadEnded()) break;
        HANDLE thread = workerThread.get();
        MsgWaitForMultipleObjectsEx(1, &thread, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
    // The client's own loop must still see the quit that arrived while it waited here.
    if (quitSeen) PostQuitMessage(static_cast<int>(quitCode));
}

void endRunsForExit() {
    runState.exiting = 1;
    requestRunStop();
    waitForWorkerEnd();
}
