#include "feed/HttpRequest.h"

#include <windows.h>
#include <winhttp.h>

#include <algorithm>
#include <climits>
#include <map>
#include <memory>

#include "common/DateText.h"
#include "common/Handles.h"
#include "common/TextConversion.h"
#include "feed/ContentDecoding.h"

namespace {

constexpr wchar_t kUserAgent[] = L"Mirvel! Feedwick/1.2";
// WinHTTP passes compressed bodies through as long as WINHTTP_OPTION_DECOMPRESSION is not set,
// which it never is: decoded here, the body cap counts the decoded bytes.
constexpr wchar_t kAcceptEncoding[] = L"Accept-Encoding: gzip, deflate";
constexpr DWORD kReadSliceBytes = 64 * 1024;

struct RequestPlan {
    std::wstring host;
    INTERNET_PORT port = 0;
    std::wstring pathAndQuery;
    bool secure = false;
    DWORD timeoutMs = 0;
    int64_t ifModifiedSince = 0;
    std::wstring ifNoneMatch;

    bool conditional() const { return ifModifiedSince != 0 || !ifNoneMatch.empty(); }
};

HttpGetResult failed(HttpFailure failure, DWORD errorCode = 0) {
    HttpGetResult result;
    result.failure = failure;
    result.errorCode = failure == HttpFailure::Network ? errorCode : 0;
    return result;
}

// A call that reported `error`: WinHTTP's own time-outs are time-outs like ours. Wine's
// WinHTTP reports a receive time-out of an asynchronous request as the socket's WSAETIMEDOUT.
HttpGetResult failedCall(DWORD error) {
    if (error == ERROR_WINHTTP_TIMEOUT || error == WSAETIMEDOUT) return failed(HttpFailure::TimedOut);
    return failed(HttpFailure::Network, error);
}

// ERROR_SUCCESS, or why the URL cannot be requested.
DWORD crackUrl(const std::wstring& url, RequestPlan& plan) {
    URL_COMPONENTS parts = {};
    parts.dwStructSize = sizeof parts;
    parts.dwSchemeLength = static_cast<DWORD>(-1);
    parts.dwHostNameLength = static_cast<DWORD>(-1);
    parts.dwUrlPathLength = static_cast<DWORD>(-1);
    parts.dwExtraInfoLength = static_cast<DWORD>(-1);
    if (url.empty()) return ERROR_WINHTTP_INVALID_URL;
    if (!WinHttpCrackUrl(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts)) return GetLastError();
    if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) {
        return ERROR_WINHTTP_UNRECOGNIZED_SCHEME;
    }
    if (parts.dwHostNameLength == 0) return ERROR_WINHTTP_INVALID_URL;
    plan.host.assign(parts.lpszHostName, parts.dwHostNameLength);
    plan.port = parts.nPort;
    plan.secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
    plan.pathAndQuery.assign(parts.lpszUrlPath, parts.dwUrlPathLength);
    plan.pathAndQuery.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    // A fragment names a place inside the document; it is never sent.
    plan.pathAndQuery.erase(std::min(plan.pathAndQuery.find(L'#'), plan.pathAndQuery.size()));
    if (plan.pathAndQuery.empty()) plan.pathAndQuery = L"/";
    return ERROR_SUCCESS;
}

// Clamped so that a hostile settings value neither overflows nor turns into WinHTTP's
// "0 means wait forever".
DWORD timeoutMilliseconds(int32_t seconds) {
    return static_cast<DWORD>(std::clamp<long long>(static_cast<long long>(seconds) * 1000, 1, INT_MAX));
}

ScopedInternet openSession(DWORD flags) {
    return ScopedInternet(WinHttpOpen(kUserAgent, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                                      WINHTTP_NO_PROXY_BYPASS, flags));
}

struct Connection {
    ScopedInternet connect;
    ScopedInternet request;
};

bool addHeader(HINTERNET request, const std::wstring& header) {
    return WinHttpAddRequestHeaders(request, header.c_str(), static_cast<DWORD>(header.size()),
                                    WINHTTP_ADDREQ_FLAG_ADD | WINHTTP_ADDREQ_FLAG_REPLACE);
}

bool addIfModifiedSince(HINTERNET request, int64_t time) {
    const std::string date = formatRfc822Date(time, 0);
    // The date text is ASCII, so widening each character is exact.
    return addHeader(request, L"If-Modified-Since: " + std::wstring(date.begin(), date.end()));
}

// The time-outs belong to the request, since the requests of one session have different ones.
bool setTimeouts(HINTERNET request, DWORD timeoutMs) {
    const int ms = static_cast<int>(timeoutMs);
    if (!WinHttpSetTimeouts(request, ms, ms, ms, ms)) return false;
    // The wait for the response headers has a time-out of its own (90 s by default);
    // it follows the receive time-out so that a silent server cannot outlast the others.
    DWORD responseTimeout = timeoutMs;
    return WinHttpSetOption(request, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &responseTimeout,
                            sizeof responseTimeout);
}

// ERROR_SUCCESS, or the error of the call that failed.
DWORD openConnection(HINTERNET session, const RequestPlan& plan, Connection& connection) {
    if (!session) return ERROR_INVALID_HANDLE;
    connection.connect.reset(WinHttpConnect(session, plan.host.c_str(), plan.port, 0));
    if (!connection.connect) return GetLastError();
    connection.request.reset(WinHttpOpenRequest(connection.connect.get(), L"GET", plan.pathAndQuery.c_str(),
                                                nullptr, WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                                plan.secure ? WINHTTP_FLAG_SECURE : 0));
    const HINTERNET request = connection.request.get();
    const bool prepared = request && setTimeouts(request, plan.timeoutMs) && addHeader(request, kAcceptEncoding) &&
                          (plan.ifModifiedSince == 0 || addIfModifiedSince(request, plan.ifModifiedSince)) &&
                          (plan.ifNoneMatch.empty() || addHeader(request, L"If-None-Match: " + plan.ifNoneMatch));
    return prepared ? ERROR_SUCCESS : GetLastError();
}

// How the calls of one exchange complete: inline on a blocking session, through the
// status callback on an asynchronous one.
class Exchange {
public:
    virtual ~Exchange() = default;
    virtual DWORD_PTR context() const = 0;
    // Where a call writes its byte count itself; null when the completion reports it.
    virtual DWORD* inlineCount(DWORD& count) = 0;
    // `issued` is what the call returned; `count` receives a reported byte count.
    virtual bool complete(BOOL issued, DWORD& count) = 0;
    // A read asks only for bytes that WinHTTP already holds, so it ends without waiting
    // on the server.
    virtual bool completeRead(BOOL issued, DWORD& count) { return complete(issued, count); }
    // Checked once the whole response is in.
    virtual bool stillWanted() const { return true; }

    bool complete(BOOL issued) {
        DWORD ignored = 0;
        return complete(issued, ignored);
    }
    char* readBuffer() { return readBuffer_.get(); }

    // Notes why the exchange failed; false, for the caller to return.
    bool fail(HttpGetResult failure) {
        failure_ = std::move(failure);
        return false;
    }
    bool fail(HttpFailure failure, DWORD errorCode = 0) { return fail(failed(failure, errorCode)); }
    // What the step that returned false noted.
    HttpGetResult failure() const { return failure_; }

private:
    std::unique_ptr<char[]> readBuffer_{new char[kReadSliceBytes]};
    HttpGetResult failure_;
};

bool queryNumber(HINTERNET request, DWORD query, DWORD& value) {
    DWORD size = sizeof value;
    return WinHttpQueryHeaders(request, query | WINHTTP_QUERY_FLAG_NUMBER, WINHTTP_HEADER_NAME_BY_INDEX, &value,
                               &size, WINHTTP_NO_HEADER_INDEX);
}

// WinHTTP lets through a status line whose code is no number; an answer without a valid
// status is no answer.
bool queryStatusCode(HINTERNET request, Exchange& exchange, DWORD& status) {
    if (queryNumber(request, WINHTTP_QUERY_STATUS_CODE, status) && status >= 100 && status <= 599) return true;
    return exchange.fail(HttpFailure::Network, ERROR_WINHTTP_INVALID_SERVER_RESPONSE);
}

// WinHTTP ends a body at the close of the connection even when the server announced more:
// such a body was cut off, not finished. 204 and 304 carry none, whatever they announce.
// `received` counts the bytes as sent, before decoding.
bool bodyIsWhole(HINTERNET request, DWORD status, size_t received) {
    if (status == HTTP_STATUS_NO_CONTENT || status == HTTP_STATUS_NOT_MODIFIED) return true;
    DWORD announced = 0;
    return !queryNumber(request, WINHTTP_QUERY_CONTENT_LENGTH, announced) || received == announced;
}

// A header that is not there leaves `text` empty.
bool queryHeaderText(HINTERNET request, DWORD query, std::wstring& text) {
    DWORD bytes = 0;
    if (WinHttpQueryHeaders(request, query, WINHTTP_HEADER_NAME_BY_INDEX, WINHTTP_NO_OUTPUT_BUFFER, &bytes,
                            WINHTTP_NO_HEADER_INDEX)) {
        return true;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_WINHTTP_HEADER_NOT_FOUND) return true;
    if (error != ERROR_INSUFFICIENT_BUFFER) return false;
    std::wstring value(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    if (!WinHttpQueryHeaders(request, query, WINHTTP_HEADER_NAME_BY_INDEX, &value[0], &bytes,
                             WINHTTP_NO_HEADER_INDEX)) {
        return false;
    }
    value.resize(bytes / sizeof(wchar_t));
    text = std::move(value);
    return true;
}

// Decodes the body as it arrives. Neither the bytes taken from the connection nor the decoded
// ones go more than one byte past the cap, so an oversized body, or one that inflates past
// the cap, costs no more memory than that and ends at once.
bool readBody(HINTERNET request, Exchange& exchange, BodyDecoder& decoder, std::string& body, size_t& received) {
    for (;;) {
        DWORD available = 0;
        if (!exchange.complete(WinHttpQueryDataAvailable(request, exchange.inlineCount(available)), available)) {
            return false;
        }
        if (available == 0) return true;
        const size_t room = kMaxResponseBodyBytes + 1 - received;
        const DWORD wanted = static_cast<DWORD>(std::min<size_t>({available, kReadSliceBytes, room}));
        DWORD read = 0;
        if (!exchange.completeRead(WinHttpReadData(request, exchange.readBuffer(), wanted, exchange.inlineCount(read)),
                                   read)) {
            return false;
        }
        if (read == 0) return true;
        read = std::min(read, wanted);
        received += read;
        if (received > kMaxResponseBodyBytes) return exchange.fail(HttpFailure::TooLarge);
        // A decoder that stopped at the cap holds a byte past it.
        if (!decoder.decode({exchange.readBuffer(), read}, body)) {
            const bool pastCap = body.size() > kMaxResponseBodyBytes;
            return exchange.fail(pastCap ? HttpFailure::TooLarge : HttpFailure::BadEncoding);
        }
    }
}

// False for a body that is cut off, cannot be decoded or is over the cap.
bool receiveBody(HINTERNET request, DWORD status, Exchange& exchange, std::string& body) {
    std::wstring contentEncoding;
    if (!queryHeaderText(request, WINHTTP_QUERY_CONTENT_ENCODING, contentEncoding)) {
        return exchange.fail(HttpFailure::Network, GetLastError());
    }
    // A body that cannot be decoded is neither a feed nor a page.
    const ContentCoding coding = ContentCodingOf(contentEncoding);
    if (coding == ContentCoding::Unsupported) return exchange.fail(HttpFailure::BadEncoding);
    BodyDecoder decoder(coding, kMaxResponseBodyBytes);
    size_t received = 0;
    if (!readBody(request, exchange, decoder, body, received)) return false;
    if (!decoder.finished()) return exchange.fail(HttpFailure::BadEncoding);
    // The connection ended early, which is what WinHTTP calls this error.
    return bodyIsWhole(request, status, received) ||
           exchange.fail(HttpFailure::Network, ERROR_WINHTTP_CONNECTION_ERROR);
}

// The response headers that come with Received and NotModified.
bool readAnswerHeaders(HINTERNET request, Exchange& exchange, HttpGetResult& result) {
    std::wstring etag;
    if (!queryHeaderText(request, WINHTTP_QUERY_ETAG, etag)) return exchange.fail(HttpFailure::Network, GetLastError());
    result.etag = toMultiByte(etag, CP_UTF8);
    return true;
}

HttpGetResult runExchange(HINTERNET request, const RequestPlan& plan, Exchange& exchange) {
    DWORD status = 0;
    HttpGetResult result;
    if (!exchange.complete(WinHttpSendRequest(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0,
                                              0, exchange.context())) ||
        !exchange.complete(WinHttpReceiveResponse(request, nullptr)) || !queryStatusCode(request, exchange, status) ||
        !readAnswerHeaders(request, exchange, result)) {
        return exchange.failure();
    }
    result.status = status;
    if (plan.conditional() && status == HTTP_STATUS_NOT_MODIFIED) {
        if (!exchange.stillWanted()) return failed(HttpFailure::Stopped);
        result.outcome = HttpGetResult::NotModified;
        result.failure = HttpFailure::None;
        return result;
    }
    if (!queryHeaderText(request, WINHTTP_QUERY_CONTENT_TYPE, result.contentType)) {
        return failed(HttpFailure::Network, GetLastError());
    }
    if (!receiveBody(request, status, exchange, result.body)) return exchange.failure();
    if (!exchange.stillWanted()) return failed(HttpFailure::Stopped);
    result.outcome = HttpGetResult::Received;
    result.failure = HttpFailure::None;
    return result;
}

// Each blocking call ends within the phase time-outs, but a server that sends in drips
// keeps every phase alive; so the exchange also gives up at the first call that ends once
// its time-out has passed.
class ForegroundExchange : public Exchange {
public:
    explicit ForegroundExchange(DWORD timeoutMs) : deadline_(GetTickCount64() + timeoutMs) {}
    DWORD_PTR context() const override { return 0; }
    DWORD* inlineCount(DWORD& count) override { return &count; }
    bool complete(BOOL issued, DWORD&) override {
        if (!issued) return fail(failedCall(GetLastError()));
        return GetTickCount64() <= deadline_ || fail(HttpFailure::TimedOut);
    }

private:
    ULONGLONG deadline_;
};

HttpGetResult foregroundGet(const RequestPlan& plan) {
    const ScopedInternet session = openSession(0);
    if (!session) return failed(HttpFailure::Network, GetLastError());
    Connection connection;
    if (const DWORD error = openConnection(session.get(), plan, connection)) return failed(HttpFailure::Network, error);
    ForegroundExchange exchange(plan.timeoutMs);
    return runExchange(connection.request.get(), plan, exchange);
}

// What the status callback reports about the one outstanding call of an exchange.
struct AsyncCompletion {
    ScopedHandle reported{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
    bool succeeded = false;
    DWORD count = 0;
    DWORD error = 0;  // when it did not succeed
};

// The status callback finds its exchange by number, never by address: WinHTTP may still
// report a call after its exchange was abandoned, and then the lookup finds nothing.
SRWLOCK registryLock = SRWLOCK_INIT;
std::map<DWORD_PTR, AsyncCompletion*> registeredCompletions;
DWORD_PTR lastRegistration = 0;

class RegistryGuard {
public:
    RegistryGuard() { AcquireSRWLockExclusive(&registryLock); }
    ~RegistryGuard() { ReleaseSRWLockExclusive(&registryLock); }
    RegistryGuard(const RegistryGuard&) = delete;
    RegistryGuard& operator=(const RegistryGuard&) = delete;
};

class Registration {
public:
    explicit Registration(AsyncCompletion& completion) {
        RegistryGuard guard;
        id_ = ++lastRegistration;
        registeredCompletions[id_] = &completion;
    }
    ~Registration() {
        RegistryGuard guard;
        registeredCompletions.erase(id_);
    }
    Registration(const Registration&) = delete;
    Registration& operator=(const Registration&) = delete;
    DWORD_PTR id() const { return id_; }

private:
    DWORD_PTR id_ = 0;
};

void CALLBACK onRequestStatus(HINTERNET, DWORD_PTR context, DWORD status, LPVOID information,
                              DWORD informationLength) {
    RegistryGuard guard;
    const auto entry = registeredCompletions.find(context);
    if (entry == registeredCompletions.end()) return;
    AsyncCompletion& completion = *entry->second;
    completion.succeeded = status != WINHTTP_CALLBACK_STATUS_REQUEST_ERROR;
    if (!completion.succeeded) completion.error = static_cast<WINHTTP_ASYNC_RESULT*>(information)->dwError;
    if (status == WINHTTP_CALLBACK_STATUS_DATA_AVAILABLE) completion.count = *static_cast<DWORD*>(information);
    if (status == WINHTTP_CALLBACK_STATUS_READ_COMPLETE) completion.count = informationLength;
    SetEvent(completion.reported.get());
}

// Detaches the callback before the handles close, so nothing reports into this module
// once the request is gone.
class StatusSubscription {
public:
    explicit StatusSubscription(HINTERNET request) : request_(request) {
        subscribed_ = WinHttpSetStatusCallback(request, onRequestStatus, WINHTTP_CALLBACK_FLAG_ALL_COMPLETIONS, 0) !=
                      WINHTTP_INVALID_STATUS_CALLBACK;
    }
    ~StatusSubscription() {
        if (subscribed_) WinHttpSetStatusCallback(request_, nullptr, 0, 0);
    }
    StatusSubscription(const StatusSubscription&) = delete;
    StatusSubscription& operator=(const StatusSubscription&) = delete;
    explicit operator bool() const { return subscribed_; }

private:
    HINTERNET request_;
    bool subscribed_ = false;
};

// Waits for each call in one-second steps. At every step it gives up once more seconds
// have passed than the time-out allows, or when a stop was requested; a stop's event, and
// the caller's cancel event, end the wait at once.
class BackgroundExchange : public Exchange {
public:
    BackgroundExchange(AsyncCompletion& completion, DWORD_PTR context, int32_t timeoutSeconds, const StopSignal& stop,
                       HANDLE cancel)
        : completion_(completion), context_(context), timeoutSeconds_(timeoutSeconds), stop_(stop), cancel_(cancel) {
        waited_[waitedCount_++] = completion.reported.get();
        if (stop.event) waited_[waitedCount_++] = stop.event;
        if (cancel) waited_[waitedCount_++] = cancel;
    }
    BackgroundExchange(const BackgroundExchange&) = delete;
    BackgroundExchange& operator=(const BackgroundExchange&) = delete;

    DWORD_PTR context() const override { return context_; }
    DWORD* inlineCount(DWORD&) override { return nullptr; }
    bool complete(BOOL issued, DWORD& count) override {
        if (!issued) return fail(failedCall(GetLastError()));
        return awaitReport() && takeReport(count);
    }
    // Seen through to its report, never abandoned at a step: closing the request does not
    // always cancel a read at once, and a late write must not land in a freed buffer.
    bool completeRead(BOOL issued, DWORD& count) override {
        if (!issued) return fail(failedCall(GetLastError()));
        if (WaitForSingleObject(completion_.reported.get(), INFINITE) != WAIT_OBJECT_0) {
            return fail(HttpFailure::Network, GetLastError());
        }
        return takeReport(count);
    }
    bool stillWanted() const override {
        return !stop_.requested() && !(cancel_ && WaitForSingleObject(cancel_, 0) == WAIT_OBJECT_0);
    }

private:
    bool takeReport(DWORD& count) {
        count = completion_.count;
        return completion_.succeeded || fail(failedCall(completion_.error));
    }

    // The report comes first when it is there together with a stop: WaitForMultipleObjects
    // names the lowest signalled handle, and the others are the stop's and the cancel events.
    bool awaitReport() {
        for (;;) {
            const ULONGLONG now = GetTickCount64();
            const DWORD untilStep = now >= nextStep_ ? 0 : static_cast<DWORD>(nextStep_ - now);
            const DWORD wait = WaitForMultipleObjects(waitedCount_, waited_, FALSE, untilStep);
            if (wait == WAIT_OBJECT_0) return true;
            if (wait > WAIT_OBJECT_0 && wait < WAIT_OBJECT_0 + waitedCount_) return fail(HttpFailure::Stopped);
            if (wait != WAIT_TIMEOUT) return fail(HttpFailure::Network, GetLastError());
            nextStep_ += 1000;
            ++waits_;
            if (stop_.requested()) return fail(HttpFailure::Stopped);
            if (waits_ > timeoutSeconds_) return fail(HttpFailure::TimedOut);
        }
    }

    AsyncCompletion& completion_;
    DWORD_PTR context_;
    int32_t timeoutSeconds_;
    StopSignal stop_;
    HANDLE cancel_;
    HANDLE waited_[3] = {};
    DWORD waitedCount_ = 0;
    int32_t waits_ = 0;
    ULONGLONG nextStep_ = GetTickCount64() + 1000;
};

// Closing an abandoned request does not end WinHTTP's work on it at once: its threads may go
// on until the socket gives up, after the client has unloaded the plug-in, which released
// the last reference to WinHTTP. Pinned, WinHTTP stays loaded under them until the process ends.
// Without the pin nothing else changes, so a failure is not an error of the request.
void keepWinHttpLoaded() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_PIN, L"winhttp.dll", &module);
}

HttpGetResult backgroundGet(HINTERNET session, const RequestPlan& plan, int32_t timeoutSeconds,
                            const StopSignal& stop, HANDLE cancel) {
    AsyncCompletion completion;
    if (!completion.reported) return failed(HttpFailure::Network, GetLastError());
    Registration registration(completion);
    Connection connection;
    if (const DWORD error = openConnection(session, plan, connection)) return failed(HttpFailure::Network, error);
    StatusSubscription subscription(connection.request.get());
    if (!subscription) return failed(HttpFailure::Network, GetLastError());
    BackgroundExchange exchange(completion, registration.id(), timeoutSeconds, stop, cancel);
    return runExchange(connection.request.get(), plan, exchange);
}

// A line break would end the header and begin others; only a damaged or edited tag holds a
// control character, and such a tag is not sent at all.
bool isHeaderValue(const std::wstring& value) {
    return std::none_of(value.begin(), value.end(), [](wchar_t c) { return c < L' ' || c == 0x7F; });
}

// ERROR_SUCCESS, or why the URL cannot be requested.
DWORD planRequest(const std::wstring& url, int32_t timeoutSeconds, int64_t ifModifiedSince,
                  const std::string& ifNoneMatch, RequestPlan& plan) {
    if (const DWORD error = crackUrl(url, plan)) return error;
    plan.timeoutMs = timeoutMilliseconds(timeoutSeconds);
    plan.ifModifiedSince = ifModifiedSince;
    const std::wstring tag = toWide(ifNoneMatch, CP_UTF8);
    if (isHeaderValue(tag)) plan.ifNoneMatch = tag;
    return ERROR_SUCCESS;
}

}  // namespace

HttpGetResult HttpGet(const std::wstring& url, int32_t timeoutSeconds, int64_t ifModifiedSince,
                      const std::string& ifNoneMatch, HttpMode mode, const std::atomic<int32_t>* stopRequested) {
    if (mode == HttpMode::Background) {
        return HttpSession().get(url, timeoutSeconds, ifModifiedSince, ifNoneMatch, StopSignal{stopRequested, nullptr});
    }
    try {
        RequestPlan plan;
        if (const DWORD error = planRequest(url, timeoutSeconds, ifModifiedSince, ifNoneMatch, plan)) {
            return failed(HttpFailure::Network, error);
        }
        return foregroundGet(plan);
    } catch (...) {
        return failed(HttpFailure::Network);
    }
}

HttpSession::HttpSession() : session_(openSession(WINHTTP_FLAG_ASYNC)) { keepWinHttpLoaded(); }

HttpGetResult HttpSession::get(const std::wstring& url, int32_t timeoutSeconds, int64_t ifModifiedSince,
                               const std::string& ifNoneMatch, const StopSignal& stop, HANDLE cancel) const {
    try {
        RequestPlan plan;
        if (const DWORD error = planRequest(url, timeoutSeconds, ifModifiedSince, ifNoneMatch, plan)) {
            return failed(HttpFailure::Network, error);
        }
        return backgroundGet(session_.get(), plan, timeoutSeconds, stop, cancel);
    } catch (...) {
        return failed(HttpFailure::Network);
    }
}

std::wstring HostOfUrl(const std::wstring& url) {
    RequestPlan plan;
    if (crackUrl(url, plan) != ERROR_SUCCESS) return {};
    CharLowerBuffW(&plan.host[0], static_cast<DWORD>(plan.host.size()));
    return plan.host;
}
