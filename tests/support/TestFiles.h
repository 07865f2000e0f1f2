#pragma once
// Temporary folders, files and child programs for the Win32 tests.
#include <windows.h>

#include <string>

// A fresh folder under the system's temporary folder, removed with its content.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

// The folder of the running test program, where the build puts the DLL and the hosts.
std::string testProgramFolder();

// A file under tests/data (FEEDWICK_TEST_DATA, a Unix path seen through Wine's Z: drive).
std::string testDataPath(const std::string& relativePath);

std::string readFile(const std::string& path);
std::string readFile(const std::wstring& path);
// False when the file could not be written whole.
bool writeFile(const std::string& path, const std::string& bytes);
bool writeFile(const std::wstring& path, const std::string& bytes);

// A copy of the plug-in library in `folder`, so that its INI file lands there too.
std::string copyPluginInto(const std::string& folder);

// Runs a command line and waits for it; returns its exit code, or -1 when it did not start
// or outlived `timeoutMs`.
int runProgram(const std::string& commandLine, DWORD timeoutMs);
