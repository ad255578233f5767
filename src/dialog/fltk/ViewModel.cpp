#include "dialog/fltk/ViewModel.h"

#include <algorithm>

#include "text/Text.h"

namespace tarnivo::view {
namespace {

bool TakesFocus(const ControlSpec& row) {
  return row.kind != ControlKind::Label && row.kind != ControlKind::Frame;
}

std::vector<const ControlSpec*> ByTabIndex() {
  std::vector<const ControlSpec*> rows;
  for (const ControlSpec& row : kControls) rows.push_back(&row);
  std::sort(rows.begin(), rows.end(),
            [](const ControlSpec* a, const ControlSpec* b) { return a->tab_index < b->tab_index; });
  return rows;
}

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

std::string WithoutAccessMarks(const std::string& caption) {
  std::string plain;
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&' && i + 1 < caption.size()) ++i;
    plain += caption[i];
  }
  return plain;
}

}  // namespace

Rect ControlRect(const ControlSpec& row, int dpi) {
  int left = row.left;
  int top = row.top;
  if (row.in_frame) {
    const ControlSpec& frame = Control(ControlId::fraDrive);
    left += frame.left;
    top += frame.top;
  }
  const int x = Pixels(left, dpi);
  const int y = Pixels(top, dpi);
  return {x, y, Pixels(left + row.width, dpi) - x, Pixels(top + row.height, dpi) - y};
}

Rect ClientRect(int dpi) { return {0, 0, Pixels(kClientWidth, dpi), Pixels(kClientHeight, dpi)}; }

std::vector<ControlId> TabStops(const std::function<bool(ControlId)>& selected) {
  const std::vector<const ControlSpec*> rows = ByTabIndex();
  std::vector<ControlId> stops;
  for (const ControlSpec* row : rows) {
    if (!TakesFocus(*row)) continue;
    if (row->kind != ControlKind::OptionButton) {
      stops.push_back(row->id);
      continue;
    }
    // One stop per option group: its selected button, else its first.
    bool any_selected = false;
    const ControlSpec* first = nullptr;
    for (const ControlSpec* other : rows) {
      if (other->group != row->group) continue;
      if (first == nullptr) first = other;
      any_selected = any_selected || selected(other->id);
    }
    if (any_selected ? selected(row->id) : first == row) stops.push_back(row->id);
  }
  return stops;
}

ControlId NextTabStop(const std::vector<ControlId>& stops, ControlId current, bool forward) {
  const auto at = std::find(stops.begin(), stops.end(), current);
  if (at == stops.end()) return forward ? stops.front() : stops.back();
  const std::size_t i = static_cast<std::size_t>(at - stops.begin());
  const std::size_t n = stops.size();
  return stops[forward ? (i + 1) % n : (i + n - 1) % n];
}

ControlId AccessTarget(ControlId label) {
  const int after = Control(label).tab_index;
  const ControlSpec* best = nullptr;
  for (const ControlSpec& row : kControls) {
    if (!TakesFocus(row) || row.tab_index <= after) continue;
    if (best == nullptr || row.tab_index < best->tab_index) best = &row;
  }
  return best != nullptr ? best->id : label;
}

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

std::size_t CurrentDirLine(const std::vector<DirLine>& lines) {
  std::size_t current = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].open) current = i;
  }
  return current;
}

int ByteOffset(const std::string& text, int chars) {
  if (chars <= 0) return 0;
  return static_cast<int>(Left(text, static_cast<std::size_t>(chars)).size());
}

int NextLineStartingWith(const std::vector<std::string>& texts, int after, const std::string& key) {
  const int n = static_cast<int>(texts.size());
  if (key.empty() || n == 0) return -1;
  const std::string first = Left(key, 1);
  for (int step = 1; step <= n; ++step) {
    const int i = ((after < 0 ? -1 : after) + step + n) % n;
    if (EqualsIgnoreCase(Left(texts[static_cast<std::size_t>(i)], 1), first)) return i;
  }
  return -1;
}

std::string MessageLines(const std::string& text) {
  std::string lines;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r') {
      lines += text[i];
    } else if (i + 1 >= text.size() || text[i + 1] != '\n') {
      lines += '\n';
    }
  }
  return lines;
}

std::string MessageClipboardText(const std::string& title, const std::string& text,
                                 const std::vector<std::string>& buttons) {
  const std::string rule = "---------------------------\n";
  std::string clip = rule + title + "\n" + rule + MessageLines(text) + "\n" + rule;
  for (const std::string& button : buttons) clip += WithoutAccessMarks(button) + "   ";
  return clip + "\n" + rule;
}

}  // namespace tarnivo::view
