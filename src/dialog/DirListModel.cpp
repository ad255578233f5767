#include "dialog/DirListModel.h"

#include "text/Text.h"

namespace tarnivo {
namespace {

// Splits "A\B\C" into its non-empty components.
std::vector<std::string> Components(const std::string& text) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\\', start);
    if (end == std::string::npos) end = text.size();
    if (end > start) parts.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

}  // namespace

std::vector<DirLine> DirLines(const std::string& folder,
                              const std::vector<std::string>& subfolders) {
  std::vector<DirLine> lines;
  std::string path;
  std::vector<std::string> parts;
  if (folder.rfind("\\\\", 0) == 0) {
    // A network folder: the share (\\server\share) is its root.
    parts = Components(folder);
    if (parts.empty()) return lines;
    path = "\\\\" + parts[0];
    if (parts.size() > 1) path += "\\" + parts[1];
    lines.push_back({path, path, 0, true});
    parts.erase(parts.begin(), parts.begin() + (parts.size() > 1 ? 2 : 1));
  } else {
    if (CharCount(folder) < 3) return lines;
    path = Left(folder, 3);
    lines.push_back({ToLower(path), path, 0, true});
    parts = Components(Mid(folder, 4));
  }
  for (const std::string& part : parts) {
    if (path.back() != '\\') path += '\\';
    path += part;
    lines.push_back({part, path, static_cast<int>(lines.size()), true});
  }
  const int depth = static_cast<int>(lines.size());
  const std::string prefix = path.back() == '\\' ? path : path + '\\';
  for (const std::string& name : subfolders) lines.push_back({name, prefix + name, depth, false});
  return lines;
}

int CurrentDirLine(const std::vector<DirLine>& lines) {
  int current = -1;
  for (std::size_t i = 0; i < lines.size() && lines[i].open; ++i) current = static_cast<int>(i);
  return current;
}

DirListEnter EnterInDirList(const std::vector<DirLine>& lines, int highlighted) {
  const bool on_line = highlighted >= 0 && highlighted < static_cast<int>(lines.size());
  if (on_line && highlighted != CurrentDirLine(lines)) return DirListEnter::OpenHighlighted;
  return DirListEnter::PressOK;
}

}  // namespace tarnivo
