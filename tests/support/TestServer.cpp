#include "support/TestServer.h"

#include <gtest/gtest.h>
#include <wincrypt.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>

#include "common/Handles.h"
#include "common/TextConversion.h"

namespace {

constexpr char kPython[] = "/usr/bin/python3";
constexpr int kLifetimeSeconds = 300;
constexpr DWORD kStartLimitMs = 20000;
constexpr DWORD kStopLimitMs = 5000;
constexpr DWORD kPollMs = 20;

// Wine's bridge from a Windows path to the Unix one, which the server needs.
std::string unixPathOf(const std::string& windowsPath) {
    using Converter = char*(CDECL*)(const wchar_t*);
    const auto convert = reinterpret_cast<Converter>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!convert) return {};
    char* unixPath = convert(fromAnsi(windowsPath).c_str());
    if (!unixPath) return {};
    std::string result = unixPath;
    HeapFree(GetProcessHeap(), 0, unixPath);
    return result;
}

// Starts a Unix program without waiting. Wine runs it, but fills the process information
// with whatever its stack held: closing those "handles" closed live ones of this process
// (once the key of HKEY_CURRENT_USER), so they are left alone.
bool launch(const std::string& commandLine) {
    std::vector<char> command(commandLine.begin(), commandLine.end());
    command.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    return CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process) != FALSE;
}

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

// The folder of make-certificates, as a Unix path; empty when the tests run without one.
std::string certificateFolder() {
    const char* folder = std::getenv("FEEDWICK_TEST_CERTIFICATES");
    return folder ? folder : "";
}

// Wine's drive Z: is the Unix root.
std::string windowsPathOf(const std::string& unixPath) {
    std::string path = "Z:" + unixPath;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

struct CertificateStoreTraits {
    using Handle = HCERTSTORE;
    static Handle invalid() { return nullptr; }
    static void close(Handle store) { CertCloseStore(store, 0); }
};
using ScopedCertificateStore = UniqueHolder<CertificateStoreTraits>;

const char* tlsPortName(TlsPort port) {
    switch (port) {
        case TlsPort::Valid: return "https";
        case TlsPort::WrongHost: return "wrong-host";
        case TlsPort::Expired: return "expired";
        case TlsPort::UnknownAuthority: return "unknown-ca";
    }
    return "";
}

// A process that has ended but was not reaped yet counts as gone.
bool processExists(unsigned long pid) {
    const std::string stat = readFile("Z:\\proc\\" + std::to_string(pid) + "\\stat");
    const size_t state = stat.rfind(") ");
    if (state == std::string::npos || state + 2 >= stat.size()) return false;
    return stat[state + 2] != 'Z' && stat[state + 2] != 'X';
}

bool waitUntilGone(unsigned long pid, DWORD limitMs) {
    const ULONGLONG deadline = GetTickCount64() + limitMs;
    while (processExists(pid)) {
        if (GetTickCount64() > deadline) return false;
        Sleep(kPollMs);
    }
    return true;
}

// Reads the subset of JSON the server writes: objects of strings and of such objects.
class JsonReader {
public:
    explicit JsonReader(const std::string& text) : text_(text) {}

    bool request(LoggedRequest& request) {
        if (!take('{')) return false;
        do {
            std::string key;
            if (!string(key) || !take(':')) return false;
            if (key == "headers") {
                if (!stringMap(request.headers)) return false;
                continue;
            }
            std::string value;
            if (!string(value)) return false;
            if (key == "path") request.pathAndQuery = value;
            if (key == "connection") request.connection = value;
        } while (take(','));
        return take('}');
    }

private:
    bool take(char expected) {
        while (at_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[at_]))) ++at_;
        if (at_ >= text_.size() || text_[at_] != expected) return false;
        ++at_;
        return true;
    }

    bool stringMap(std::map<std::string, std::string>& entries) {
        if (!take('{')) return false;
        if (take('}')) return true;
        do {
            std::string key, value;
            if (!string(key) || !take(':') || !string(value)) return false;
            entries[key] = value;
        } while (take(','));
        return take('}');
    }

    // The server escapes every non-ASCII character; they come back as UTF-8.
    bool string(std::string& out) {
        out.clear();
        if (!take('"')) return false;
        while (at_ < text_.size()) {
            const char c = text_[at_++];
            if (c == '"') return true;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (at_ >= text_.size()) return false;
            const char escaped = text_[at_++];
            switch (escaped) {
                case 'n': out += '\n'; break;
                case 'r': out += '\r'; break;
                case 't': out += '\t'; break;
                case 'b': out += '\b'; break;
                case 'f': out += '\f'; break;
                case 'u': if (!codePoint(out)) return false; break;
                default: out += escaped;
            }
        }
        return false;
    }

    bool codePoint(std::string& out) {
        if (at_ + 4 > text_.size()) return false;
        const unsigned long unit = std::strtoul(text_.substr(at_, 4).c_str(), nullptr, 16);
        at_ += 4;
        out += toMultiByte(std::wstring(1, static_cast<wchar_t>(unit)), CP_UTF8);
        return true;
    }

    const std::string& text_;
    size_t at_ = 0;
};

}  // namespace

std::optional<std::string> LoggedRequest::header(const std::string& name) const {
    for (const auto& [headerName, value] : headers) {
        if (_stricmp(headerName.c_str(), name.c_str()) == 0) return value;
    }
    return std::nullopt;
}

TestServer::TestServer() { start(); }

TestServer::~TestServer() { stop(); }

void TestServer::start() {
    const char* script = std::getenv("FEEDWICK_TEST_SERVER");
    const std::string unixFolder = unixPathOf(folder_.path());
    CreateDirectoryA(folder_.file("www").c_str(), nullptr);
    if (!script || unixFolder.empty()) {
        ADD_FAILURE() << "no FEEDWICK_TEST_SERVER, or not running under Wine";
        return;
    }
    std::string command = std::string(kPython) + " " + quoted(script) + " --root " + quoted(unixFolder + "/www") +
                          " --port-file " + quoted(unixFolder + "/port") + " --log " +
                          quoted(unixFolder + "/requests.log") + " --lifetime " + std::to_string(kLifetimeSeconds) +
                          " --hosts " + std::to_string(kServedHosts);
    if (!certificateFolder().empty()) command += " --tls " + quoted(certificateFolder());
    if (!launch(command)) {
        ADD_FAILURE() << "could not start " << command;
        return;
    }
    if (!waitForPortFile()) ADD_FAILURE() << "test server did not report its port: " << command;
}

bool TestServer::waitForPortFile() {
    const ULONGLONG deadline = GetTickCount64() + kStartLimitMs;
    while (GetTickCount64() < deadline) {
        int port = 0;
        unsigned long pid = 0;
        std::istringstream line(readFile(folder_.file("port")));
        if (line >> port >> pid && port > 0 && pid > 1) {
            port_ = port;
            pid_ = pid;
            // Then "NAME=PORT" for each HTTPS port.
            for (std::string entry; line >> entry;) {
                const size_t equals = entry.find('=');
                if (equals != std::string::npos) tlsPorts_[entry.substr(0, equals)] = std::atoi(&entry[equals + 1]);
            }
            return true;
        }
        Sleep(kPollMs);
    }
    return false;
}

void TestServer::stop() {
    if (pid_ == 0) return;
    launch("/bin/kill " + std::to_string(pid_));
    if (waitUntilGone(pid_, kStopLimitMs)) return;
    launch("/bin/kill -KILL " + std::to_string(pid_));
    if (!waitUntilGone(pid_, kStopLimitMs)) ADD_FAILURE() << "test server " << pid_ << " did not stop";
}

std::wstring TestServer::url(const std::string& pathAndQuery, int host) const {
    return fromAnsi("http://127.0.0." + std::to_string(host) + ":" + std::to_string(port_) + pathAndQuery);
}

std::wstring TestServer::httpsUrl(TlsPort port, const std::string& pathAndQuery) const {
    const auto found = tlsPorts_.find(tlsPortName(port));
    const int number = found == tlsPorts_.end() ? 1 : found->second;
    return fromAnsi("https://127.0.0.1:" + std::to_string(number) + pathAndQuery);
}

void TestServer::writeFile(const std::string& name, const std::string& bytes) const {
    ::writeFile(folder_.file("www\\" + name), bytes);
}

std::vector<LoggedRequest> TestServer::requestLog() const {
    std::vector<LoggedRequest> requests;
    const std::string log = readFile(folder_.file("requests.log"));
    for (size_t start = 0; start < log.size();) {
        const size_t end = std::min(log.find('\n', start), log.size());
        LoggedRequest request;
        if (JsonReader(log.substr(start, end - start)).request(request)) requests.push_back(std::move(request));
        start = end + 1;
    }
    return requests;
}

bool trustTestAuthority() {
    if (certificateFolder().empty()) return false;
    const std::string authority = readFile(windowsPathOf(certificateFolder() + "/ca.der"));
    const ScopedCertificateStore store(
        CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"Root"));
    return store && !authority.empty() &&
           CertAddEncodedCertificateToStore(store.get(), X509_ASN_ENCODING,
                                            reinterpret_cast<const BYTE*>(authority.data()),
                                            static_cast<DWORD>(authority.size()), CERT_STORE_ADD_USE_EXISTING,
                                            nullptr);
}

std::string generatedBody(size_t size) {
    std::string body;
    body.reserve(size + 16);
    char line[17];
    for (size_t offset = 0; offset < size; offset += 16) {
        std::snprintf(line, sizeof line, "%015llu\n", static_cast<unsigned long long>(offset));
        body.append(line, 16);
    }
    body.resize(size);
    return body;
}
