// File helpers for the Wine driver's set-ups and checks (wide paths).
#pragma once

#include <string>

#include "platform/win32/WinApi.h"

namespace tarnivo::wine {

// Creates or replaces a file with `content`, then sets `attributes` on it.
bool WriteFileText(const std::wstring& path, const std::string& content,
                   DWORD attributes = FILE_ATTRIBUTE_NORMAL);
// The whole content; "<missing>" when the file cannot be read.
std::string ReadFileText(const std::wstring& path);
bool Exists(const std::wstring& path);
// Creates or replaces a file of `size` bytes that holds no data (zeros).
bool MakeEmptyFile(const std::wstring& path, long long size);
// The size of a file; -1 when it cannot be read.
long long FileSize(const std::wstring& path);
// The number of entries in a folder, "." and ".." not counted.
int FolderEntries(const std::wstring& folder);
// Removes a folder with everything in it (read-only files included).
void RemoveTree(const std::wstring& path);
// A fresh, empty folder (its parents are created too).
void FreshFolder(const std::wstring& path);
std::wstring ShortPath(const std::wstring& path);
// Volume serial and file index: the file's identity across renames.
unsigned long long FileIdentity(const std::wstring& path);

}  // namespace tarnivo::wine
