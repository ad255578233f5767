#include "dialog/win32/DirListModel.h"

namespace tarnivo::win32 {
namespace {

std::string Join(const std::string& folder, const std::string& name) {
  if (!folder.empty() && folder.back() == '\\') return folder + name;
  return folder + "\\" + name;
}

}  // namespace

std::vector<DirEntry> DirEntries(const std::string& path, const std::vector<std::string>& subfolders) {
  std::vector<DirEntry> entries;
  if (path.empty()) return entries;
  // The root: "C:\" for a drive, "\\server\share" for a network folder.
  std::size_t rest = 0;
  std::string root;
  if (path.rfind("\\\\", 0) == 0) {
    const std::size_t server_end = path.find('\\', 2);
    const std::size_t share_end =
        server_end == std::string::npos ? std::string::npos : path.find('\\', server_end + 1);
    root = path.substr(0, share_end);
    rest = share_end == std::string::npos ? path.size() : share_end + 1;
  } else {
    const std::size_t first = path.find('\\');
    root = first == std::string::npos ? path : path.substr(0, first + 1);
    rest = first == std::string::npos ? path.size() : first + 1;
  }
  entries.push_back({root, root, 0, true});
  std::string current = root;
  while (rest < path.size()) {
    std::size_t end = path.find('\\', rest);
    if (end == std::string::npos) end = path.size();
    const std::string name = path.substr(rest, end - rest);
    rest = end + 1;
    if (name.empty()) continue;
    current = Join(current, name);
    entries.push_back({name, current, static_cast<int>(entries.size()), true});
  }
  const int level = static_cast<int>(entries.size());
  for (const std::string& name : subfolders) entries.push_back({name, Join(current, name), level, false});
  return entries;
}

int CurrentEntry(const std::vector<DirEntry>& entries) {
  int current = -1;
  for (std::size_t i = 0; i < entries.size() && entries[i].open; ++i) current = static_cast<int>(i);
  return current;
}

}  // namespace tarnivo::win32
