#pragma once
// The loopback HTTP server of tests/server/feedserver.py, run for the lifetime of one object,
// at one port of kServedHosts loopback addresses, which clients take for as many hosts.
// Query parameters of a URL choose the server's answer; the script lists them. With the
// certificates that tests/server/make-certificates made (FEEDWICK_TEST_CERTIFICATES), it
// also serves HTTPS.
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "support/TestFiles.h"

struct LoggedRequest {
    std::string pathAndQuery;
    std::string connection;  // the client's address and port: the same for a kept-alive connection
    std::map<std::string, std::string> headers;

    // Header names compare without regard to case, as in HTTP.
    std::optional<std::string> header(const std::string& name) const;
};

// The HTTPS ports, each with its own certificate.
enum class TlsPort {
    Valid,             // for 127.0.0.1, from the test authority
    WrongHost,         // for another host name, from the test authority
    Expired,           // for 127.0.0.1, from the test authority, expired
    UnknownAuthority,  // for 127.0.0.1, from an authority nobody trusts
};

constexpr int kServedHosts = 3;

class TestServer {
public:
    // Starts the server and waits for its port; a server that does not come up fails the
    // running test and leaves url() pointing at a closed port.
    TestServer();
    // Stops the server and waits, bounded, until it has gone.
    ~TestServer();
    TestServer(const TestServer&) = delete;
    TestServer& operator=(const TestServer&) = delete;

    bool running() const { return pid_ != 0; }
    int port() const { return port_; }
    // "http://127.0.0.HOST:PORT" followed by `pathAndQuery`, which starts with '/'; `host`
    // counts from 1 to kServedHosts.
    std::wstring url(const std::string& pathAndQuery, int host = 1) const;
    // "https://127.0.0.1:PORT" of the port with that certificate, followed by `pathAndQuery`;
    // a closed port when the server has no HTTPS.
    std::wstring httpsUrl(TlsPort port, const std::string& pathAndQuery) const;
    // A file the server serves at "/" + `name`.
    void writeFile(const std::string& name, const std::string& bytes) const;
    // Every request so far, oldest first, logged before it was answered.
    std::vector<LoggedRequest> requestLog() const;

private:
    void start();
    bool waitForPortFile();
    void stop();

    TempFolder folder_;
    int port_ = 0;
    std::map<std::string, int> tlsPorts_;
    unsigned long pid_ = 0;
};

// Makes the Wine prefix that the tests run in trust the test authority of the HTTPS ports, by
// adding it to the machine's root store there. Nothing outside the prefix sees it.
bool trustTestAuthority();

// The body the server generates for "size=N": 16-byte lines "%015d\n" holding their own
// offset, cut to `size` bytes.
std::string generatedBody(size_t size);
