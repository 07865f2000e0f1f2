#pragma once
// The background requests of a run, made ahead of their use and several at a time on one
// session, while their results are taken one by one in list order.
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "common/Handles.h"
#include "common/StopSignal.h"
#include "feed/HttpRequest.h"

struct PlannedRequest {
    std::wstring url;
    int32_t timeoutSeconds = 0;
    int64_t ifModifiedSince = 0;
    std::string ifNoneMatch;  // the ETag the server gave last, in UTF-8
};

// No server gets more requests of a run at a time than this.
constexpr size_t kRequestsPerHost = 2;

class RequestQueue {
public:
    // Nothing starts before the first take(). Requests then start in list order, each as
    // soon as fewer than `inFlight` requests are going, fewer than kRequestsPerHost to its
    // host, and it is less than 2 * `inFlight` - 1 places after the one last taken. That
    // bounds the results held at a time, yet lets requests go on while the caller deals with
    // the ones that ended; with 1 each request starts only when the caller takes it, as in
    // a sequential walk. A request that a stop finds unstarted is Stopped without being sent.
    RequestQueue(const HttpSession& session, std::vector<PlannedRequest> requests, size_t inFlight,
                 const StopSignal& stop);
    // Cancels the requests still going, so that their results come at once as Failed, and
    // waits for them.
    ~RequestQueue();
    RequestQueue(const RequestQueue&) = delete;
    RequestQueue& operator=(const RequestQueue&) = delete;

    // Waits for request `index` to end and hands over its result. Indexes are taken in
    // increasing order, each once; taking one tells the queue that the results before it
    // have been dealt with.
    HttpGetResult take(size_t index);

private:
    enum class State { Waiting, Going, Ended, Taken };
    struct Entry {
        PlannedRequest request;
        std::wstring host;
        State state = State::Waiting;
        HttpGetResult result;
    };

    // Makes requests, one at a time, until the queue is cancelled.
    void serve();
    // The first request that may start now, or entries_.size() when none may; with the lock.
    size_t nextToStart() const;

    const HttpSession& session_;
    const StopSignal stop_;
    const size_t inFlight_;
    ScopedHandle cancelled_{CreateEventW(nullptr, TRUE, FALSE, nullptr)};

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Entry> entries_;
    std::map<std::wstring, size_t> goingToHost_;
    // The requests that may go: from the one last taken on. Those before it are dealt with;
    // those from the end on wait for a later take().
    size_t windowStart_ = 0;
    size_t windowEnd_ = 0;
    bool cancelling_ = false;

    std::vector<std::thread> threads_;
};
