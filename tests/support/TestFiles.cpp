#include "support/TestFiles.h"

#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

void removeTree(const std::string& path) {
    std::vector<char> from(path.begin(), path.end());
    from.push_back('\0');
    from.push_back('\0');
    SHFILEOPSTRUCTA operation = {};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.data();
    operation.fFlags = FOF_NO_UI;
    SHFileOperationA(&operation);
}

}  // namespace

TempFolder::TempFolder() {
    static std::atomic<int> counter{0};
    char base[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, base);
    char name[64];
    std::snprintf(name, sizeof name, "feedwick-%lu-%d", GetCurrentProcessId(), ++counter);
    path_ = std::string(base) + name;
    CreateDirectoryA(path_.c_str(), nullptr);
}

TempFolder::~TempFolder() { removeTree(path_); }

std::string testProgramFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    return folder.substr(0, folder.rfind('\\'));
}

std::string testDataPath(const std::string& relativePath) {
    const char* root = std::getenv("FEEDWICK_TEST_DATA");
    std::string path = "Z:" + std::string(root ? root : "") + "/" + relativePath;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

namespace {

std::string readAll(FILE* file) {
    std::string bytes;
    if (!file) return bytes;
    char buffer[4096];
    size_t count;
    while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, count);
    std::fclose(file);
    return bytes;
}

}  // namespace

std::string readFile(const std::string& path) { return readAll(std::fopen(path.c_str(), "rb")); }
std::string readFile(const std::wstring& path) { return readAll(_wfopen(path.c_str(), L"rb")); }

namespace {

bool writeAll(FILE* file, const std::string& bytes) {
    if (!file) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

}  // namespace

bool writeFile(const std::string& path, const std::string& bytes) {
    return writeAll(std::fopen(path.c_str(), "wb"), bytes);
}
bool writeFile(const std::wstring& path, const std::string& bytes) {
    return writeAll(_wfopen(path.c_str(), L"wb"), bytes);
}

std::string copyPluginInto(const std::string& folder) {
    const std::string target = folder + "\\MvFeedwick.dll";
    CopyFileA((testProgramFolder() + "\\MvFeedwick.dll").c_str(), target.c_str(), FALSE);
    return target;
}

int runProgram(const std::string& commandLine, DWORD timeoutMs) {
    std::vector<char> command(commandLine.begin(), commandLine.end());
    command.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return -1;
    }
    CloseHandle(process.hThread);
    int result = -1;
    if (WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0) {
        DWORD exitCode = 0;
        GetExitCodeProcess(process.hProcess, &exitCode);
        result = static_cast<int>(exitCode);
    } else {
        TerminateProcess(process.hProcess, 1);
    }
    CloseHandle(process.hProcess);
    return result;
}
