#include "settings/StateFile.h"

#include <windows.h>

#include <algorithm>

#include "common/Handles.h"

namespace {

// 10,000 links with 100 keys each take 20 MB; anything far larger is no state file of ours,
// and reading it whole could exhaust a 32-bit process.
constexpr LONGLONG kMaxStateFileBytes = 256LL << 20;

// One call moves at most this much, as ReadFile and WriteFile count in DWORDs.
constexpr size_t kMaxTransferBytes = 1u << 30;

bool writeAll(HANDLE file, const std::string& bytes) {
    for (size_t written = 0; written < bytes.size();) {
        const DWORD chunk = static_cast<DWORD>(std::min(bytes.size() - written, kMaxTransferBytes));
        DWORD count = 0;
        if (!WriteFile(file, bytes.data() + written, chunk, &count, nullptr) || count == 0) return false;
        written += count;
    }
    return true;
}

bool writeWholeFile(const std::wstring& path, const std::string& bytes) {
    ScopedFile file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file || !writeAll(file.get(), bytes) || !FlushFileBuffers(file.get())) return false;
    return CloseHandle(file.release()) != FALSE;
}

}  // namespace

std::wstring stateFilePath(const std::wstring& iniPath) {
    const size_t nameStart = iniPath.find_last_of(L"\\/");
    const size_t dot = iniPath.rfind(L'.');
    const bool hasExtension = dot != std::wstring::npos && (nameStart == std::wstring::npos || dot > nameStart);
    return iniPath.substr(0, hasExtension ? dot : std::wstring::npos) + L".state";
}

LinkStates readStateFile(const std::wstring& path) {
    ScopedFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    LARGE_INTEGER size = {};
    if (!file || !GetFileSizeEx(file.get(), &size) || size.QuadPart > kMaxStateFileBytes) return {};
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    size_t filled = 0;
    while (filled < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min(bytes.size() - filled, kMaxTransferBytes));
        DWORD count = 0;
        if (!ReadFile(file.get(), &bytes[filled], chunk, &count, nullptr)) return {};
        if (count == 0) break;  // the file shrank meanwhile; its lines check themselves
        filled += count;
    }
    bytes.resize(filled);
    return parseLinkStates(bytes);
}

bool writeStateFile(const std::wstring& path, const LinkStates& states) {
    const std::wstring temporary = path + L".tmp";
    if (writeWholeFile(temporary, formatLinkStates(states)) &&
        MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return true;
    }
    DeleteFileW(temporary.c_str());
    return false;
}
