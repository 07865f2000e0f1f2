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

// A status string with `value` in place of its one printf-style placeholder.
std::string statusText(UINT stringId, const wchar_t* placeholder, const std::wstring& value) {
    std::wstring text = loadPluginString(stringId);
    const size_t at = text.find(placeholder);
    if (at != std::wstring::npos) text.replace(at, 2, value);
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

// How the fetch tells the link's new items: by what is remembered of it once a document of
// it has been read, by date before that or when item memory is off.
ItemMemoryRule memoryRuleFor(const LinkEntry& link) {
    if (!pluginSettings.ItemMemory) return {};
    const LinkState* state = linkStateOf(link.url);
    return {true, state && state->hasReadDocument() ? state : nullptr};
}

// What the run learns of a link from its fetch. It reaches the state file only with the
// run's other results.
void rememberFetch(const LinkEntry& link, const FeedFetcher& fetcher, const std::string& etag, int64_t time) {
    LinkState& state = linkStates[linkStateKey(link.url)];
    state.lastResult = fetcher.lastResult;
    state.lastResult.time = time;
    const FetchOutcome outcome = fetcher.lastResult.outcome;
    const bool succeeded = outcome == FetchOutcome::Read || outcome == FetchOutcome::NotModified;
    state.failuresInARow = succeeded ? 0 : state.failuresInARow + 1;
    if (outcome == FetchOutcome::Read) {
        state.recordDocument(fetcher.documentKeys, time);
        state.etag = etag;
    }
}

// The requests go ahead of the walk, but the walk takes their results in list order, so the
// status texts, the items and the retrieval times come as in a walk that fetches one link
// after the other. Once the budget is spent, the requests still going are cancelled. Returns
// how many links failed, those that a stop cut short not counted.
size_t fetchLinks(FeedFetcher& fetcher, const HttpSession& session, int64_t runStart) {
    const std::vector<size_t> chosen = linksToFetch();
    std::vector<PlannedRequest> requests;
    std::vector<ItemMemoryRule> memoryRules;
    for (const size_t i : chosen) {
        const LinkEntry& link = pluginSettings.links[i];
        memoryRules.push_back(memoryRuleFor(link));
        const std::string etag = memoryRules.back().known ? memoryRules.back().known->etag : "";
        requests.push_back({link.url, pluginSettings.TimeoutC, link.lastRetrieved, etag});
    }
    RequestQueue queue(session, std::move(requests), requestsInFlight(), runStopSignal());
    size_t failed = 0;
    for (size_t k = 0; k < chosen.size(); ++k) {
        if (runState.stopRequested) break;
        LinkEntry& link = pluginSettings.links[chosen[k]];
        showStatus(statusText(IDS_STATUS_FETCHING, L"%s", link.title));
        HttpGetResult response = queue.take(k);
        const std::string etag = response.etag;
        const bool stopped = response.failure == HttpFailure::Stopped;
        const bool read = fetcher.ReadResponse(std::move(response), link.url, link.lastRetrieved, link.htmlMode,
                                               link.senderMode, memoryRules[k]);
        const int64_t now = currentTime();
        if (read) link.lastRetrieved = now;
        if (!read && !stopped) ++failed;
        if (pluginSettings.ItemMemory && !stopped) rememberFetch(link, fetcher, etag, now);
        if (!runBudgetLeft(runStart, pluginSettings.TimeoutS)) break;
    }
    return failed;
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
// delivered, so that the new retrieval times, and what the run learnt of the links, may be
// kept.
bool fetchAndDeliver(std::optional<FeedFetcher>& fetcher, size_t& failedLinks) {
    loadSettings(iniPath);
    fetcher.emplace();
    const HttpSession session;
    const int64_t runStart = currentTime();
    failedLinks = fetchLinks(*fetcher, session, runStart);
    showStatus("");
    return !runState.stopRequested && deliver(*fetcher, session, runStart);
}

// A run that throws ends as a failed delivery does: the file's state comes back.
void runRetrieval() {
    runState.ready = 0;
    runState.lastRunStart = currentTime();
    std::optional<FeedFetcher> fetcher;  // destroyed last: COM ends with it on this thread
    size_t failedLinks = 0;
    const bool delivered = callWithoutThrowing(false, [&] { return fetchAndDeliver(fetcher, failedLinks); });
    callWithoutThrowing([=] {
        // The states first: retrieval times saved without them could mail items again.
        if (delivered) {
            saveLinkStates(iniPath);
            saveSettings(iniPath);
        } else {
            loadSettings(iniPath);
        }
    });
    runState.running = 0;
    showStatus(failedLinks ? statusText(IDS_STATUS_FAILED, L"%d", std::to_wstring(failedLinks)) : "");
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
