#include "feed/RequestQueue.h"

#include <algorithm>
#include <system_error>
#include <utility>

RequestQueue::RequestQueue(const HttpSession& session, std::vector<PlannedRequest> requests, size_t inFlight,
                           const StopSignal& stop)
    : session_(session), stop_(stop), inFlight_(std::max<size_t>(inFlight, 1)) {
    entries_.reserve(requests.size());
    for (PlannedRequest& request : requests) {
        Entry entry;
        entry.host = HostOfUrl(request.url);
        entry.request = std::move(request);
        entries_.push_back(std::move(entry));
    }
    // Each thread makes one request at a time, so no more than `inFlight` go.
    const size_t threads = std::min(inFlight_, entries_.size());
    for (size_t i = 0; i < threads; ++i) {
        try {
            threads_.emplace_back([this] { serve(); });
        } catch (const std::system_error&) {
            // Fewer threads only make fewer requests go at once.
            if (threads_.empty()) throw;
            break;
        }
    }
}

RequestQueue::~RequestQueue() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        cancelling_ = true;
    }
    changed_.notify_all();
    if (cancelled_) SetEvent(cancelled_.get());
    for (std::thread& thread : threads_) thread.join();
}

HttpGetResult RequestQueue::take(size_t index) {
    std::unique_lock<std::mutex> lock(mutex_);
    windowStart_ = index;
    windowEnd_ = std::min(index + 2 * inFlight_ - 1, entries_.size());
    changed_.notify_all();
    Entry& entry = entries_.at(index);
    changed_.wait(lock, [&] { return entry.state == State::Ended; });
    entry.state = State::Taken;
    return std::move(entry.result);
}

void RequestQueue::serve() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        size_t next = entries_.size();
        changed_.wait(lock, [&] {
            next = nextToStart();
            return cancelling_ || next < entries_.size();
        });
        if (cancelling_) return;
        Entry& entry = entries_[next];
        entry.state = State::Going;
        ++goingToHost_[entry.host];
        lock.unlock();
        HttpGetResult result;
        result.failure = HttpFailure::Stopped;
        if (!stop_.requested()) {
            const PlannedRequest& request = entry.request;
            result = session_.get(request.url, request.timeoutSeconds, request.ifModifiedSince, request.ifNoneMatch,
                                  stop_, cancelled_.get());
        }
        lock.lock();
        entry.result = std::move(result);
        entry.state = State::Ended;
        --goingToHost_[entry.host];
        changed_.notify_all();
    }
}

size_t RequestQueue::nextToStart() const {
    for (size_t i = windowStart_; i < windowEnd_; ++i) {
        const Entry& entry = entries_[i];
        if (entry.state != State::Waiting) continue;
        const auto going = goingToHost_.find(entry.host);
        if (going == goingToHost_.end() || going->second < kRequestsPerHost) return i;
    }
    return entries_.size();
}
