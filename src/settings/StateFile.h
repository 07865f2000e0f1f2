#pragma once
// The link states' file beside the INI file. It is written whole through a temporary file,
// so that a crash or a full disk leaves the previous file as it was.
#include <string>

#include "settings/LinkState.h"

// `iniPath` with the extension of its file name replaced by ".state" (appended when the name
// has none): MvFeedwick.ini keeps its states in MvFeedwick.state beside it.
std::wstring stateFilePath(const std::wstring& iniPath);

// Empty when the file is missing, unreadable or larger than a state file grows.
LinkStates readStateFile(const std::wstring& path);

// Writes `path` + ".tmp", flushes it to the disk and moves it over `path`. Returns false when
// any step fails; `path` then keeps its old content and the temporary file is removed.
bool writeStateFile(const std::wstring& path, const LinkStates& states);
