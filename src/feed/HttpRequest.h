#pragma once
// One HTTP GET of one URL: the only network access of the plug-in.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/Handles.h"
#include "common/StopSignal.h"

enum class HttpMode {
    Foreground,  // a blocking exchange on the caller's thread
    Background,  // waited for in one-second steps, abandoned on a stop request or time-out
};

// Why a request failed.
enum class HttpFailure {
    None,         // it did not
    TimedOut,     // its time-out passed first
    Stopped,      // a stop request or the caller's cancel ended it
    // No usable answer: an unusable URL, a host that is not found or refuses, a certificate
    // that fails its checks, a broken answer, a body cut off.
    Network,
    TooLarge,     // the body, as sent or decoded, passed kMaxResponseBodyBytes
    BadEncoding,  // a compressed body that is broken or ends early, or an unknown coding
};

struct HttpGetResult {
    enum Outcome { Failed, NotModified, Received };
    Outcome outcome = Failed;
    std::string body;          // the body bytes from their start (Received only)
    std::wstring contentType;  // the Content-Type value as the server sent it (Received only)
    // The ETag as the server sent it, quotes included, in UTF-8; empty without one. With the
    // status, set for Received and NotModified.
    std::string etag;
    uint32_t status = 0;
    HttpFailure failure = HttpFailure::Network;  // Failed only; None otherwise
    uint32_t errorCode = 0;                      // Network: the WinHTTP or system error; 0 when none
};

// A body longer than this, as sent or once decoded, ends the request as Failed, so that a
// server that never stops sending, or a small compressed body that inflates without end,
// cannot exhaust the 32-bit host process's memory.
constexpr size_t kMaxResponseBodyBytes = 16u * 1024u * 1024u;

// Sends "User-Agent", "Accept-Encoding: gzip, deflate", "If-Modified-Since" when
// `ifModifiedSince` is not 0 and "If-None-Match" with `ifNoneMatch` (an ETag in UTF-8) when
// that is not empty and holds no control character; the body comes back decoded. The four
// time-outs (and the wait for the response headers) are `timeoutSeconds`. A Background
// request also fails once more than `timeoutSeconds` one-second waits have passed without the
// whole response, or at the first wait that sees `*stopRequested` set; a Foreground one at the
// first blocking call that ends after `timeoutSeconds`. A 304 to a request that sent either
// condition is NotModified; every other status is Received with its body. An unusable URL, a
// network error, a certificate that fails its checks, a body over the cap, a body cut off
// before its Content-Length, a compressed body that is broken or ends early and an unknown
// Content-Encoding are Failed, with the failure that says which. Never throws.
HttpGetResult HttpGet(const std::wstring& url, int32_t timeoutSeconds, int64_t ifModifiedSince,
                      const std::string& ifNoneMatch, HttpMode mode,
                      const std::atomic<int32_t>* stopRequested = nullptr);

// One WinHTTP session for the background requests of a run, which keeps its connections to a
// host, and their TLS sessions, alive from one request to the next. Its requests may run on
// several threads at once.
class HttpSession {
public:
    HttpSession();

    // A Background request as HttpGet makes it, which also ends at once as Stopped when the
    // stop's event or `cancel`, a manual-reset event (or null), is set.
    HttpGetResult get(const std::wstring& url, int32_t timeoutSeconds, int64_t ifModifiedSince,
                      const std::string& ifNoneMatch, const StopSignal& stop, HANDLE cancel = nullptr) const;

private:
    ScopedInternet session_;
};

// The host name of an http or https URL in lower case; empty for any other text.
std::wstring HostOfUrl(const std::wstring& url);
