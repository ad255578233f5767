#include "Files.h"

namespace tarnivo::wine {

bool WriteFileText(const std::wstring& path, const std::string& content, DWORD attributes) {
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok =
      WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
  CloseHandle(h);
  if (attributes != FILE_ATTRIBUTE_NORMAL) SetFileAttributesW(path.c_str(), attributes);
  return ok && written == content.size();
}

bool MakeEmptyFile(const std::wstring& path, long long size) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER end{};
  end.QuadPart = size;
  const BOOL ok = SetFilePointerEx(h, end, nullptr, FILE_BEGIN) && SetEndOfFile(h);
  CloseHandle(h);
  return ok;
}

long long FileSize(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
  return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::string ReadFileText(const std::wstring& path) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return "<missing>";
  std::string content;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(h, buffer, sizeof buffer, &read, nullptr) && read > 0)
    content.append(buffer, read);
  CloseHandle(h);
  return content;
}

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

int FolderEntries(const std::wstring& folder) {
  int count = 0;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return 0;
  do {
    const std::wstring name = data.cFileName;
    if (name != L"." && name != L"..") ++count;
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return count;
}

void RemoveTree(const std::wstring& path) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring child = path + L"\\" + name;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(child);
      } else {
        SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(child.c_str());
      }
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  RemoveDirectoryW(path.c_str());
}

void FreshFolder(const std::wstring& path) {
  RemoveTree(path);
  for (std::size_t at = path.find(L'\\', 3); at != std::wstring::npos;
       at = path.find(L'\\', at + 1)) {
    CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
  }
  CreateDirectoryW(path.c_str(), nullptr);
}

std::wstring ShortPath(const std::wstring& path) {
  wchar_t buffer[MAX_PATH + 1];
  const DWORD n = GetShortPathNameW(path.c_str(), buffer, MAX_PATH + 1);
  return n > 0 && n <= MAX_PATH ? std::wstring(buffer, n) : path;
}

unsigned long long FileIdentity(const std::wstring& path) {
  HANDLE h = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return 0;
  BY_HANDLE_FILE_INFORMATION info{};
  GetFileInformationByHandle(h, &info);
  CloseHandle(h);
  return (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
}

}  // namespace tarnivo::wine
