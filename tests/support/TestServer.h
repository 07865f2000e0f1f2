#pragma once
// The loopback HTTP server of tests/server/feedserver.py, run for the lifetime of one object.
// Query parameters of a URL choose the server's answer; the script lists them.
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "support/TestFiles.h"

struct LoggedRequest {
    std::string pathAndQuery;
    std::map<std::string, std::string> headers;

    // Header names compare without regard to case, as in HTTP.
    std::optional<std::string> header(const std::string& name) const;
};

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
    // "http://127.0.0.1:PORT" followed by `pathAndQuery`, which starts with '/'.
    std::wstring url(const std::string& pathAndQuery) const;
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
    unsigned long pid_ = 0;
};

// The body the server generates for "size=N": 16-byte lines "%015d\n" holding their own
// offset, cut to `size` bytes.
std::string generatedBody(size_t size);
