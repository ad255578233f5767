// The entries of the directory list, as the classic list shows them: the
// folders leading to the current one, each a level deeper and drawn open,
// then the current folder's subfolders, one level deeper still and drawn
// closed. Free of windows.h.
#pragma once

#include <string>
#include <vector>

namespace tarnivo::win32 {

struct DirEntry {
  std::string text;  // what the list shows
  std::string path;  // the folder that opening the entry makes current
  int level = 0;
  bool open = false;
};

//   DirEntries("C:\A\B", {"x"}) =>
//     {"C:\", "C:\", 0, open} {"A", "C:\A", 1, open} {"B", "C:\A\B", 2, open}
//     {"x", "C:\A\B\x", 3, closed}
//   DirEntries("\\srv\share\d", {}) => {"\\srv\share", "\\srv\share", 0, open}
//                                      {"d", "\\srv\share\d", 1, open}
std::vector<DirEntry> DirEntries(const std::string& path, const std::vector<std::string>& subfolders);

// The index of the current folder's entry (the last open one); -1 for none.
int CurrentEntry(const std::vector<DirEntry>& entries);

}  // namespace tarnivo::win32
