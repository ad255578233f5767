#include "dialog/ControlTable.h"

#include <cctype>

namespace tarnivo {

const ControlRow& Control(ControlId id) {
  for (const ControlRow& row : kControls) {
    if (row.id == id) return row;
  }
  return kControls.front();  // unreachable: every id has a row
}

bool TakesFocus(const ControlRow& row) {
  return row.kind != ControlKind::Label && row.kind != ControlKind::Frame;
}

ControlId FirstFocus() {
  const ControlRow* first = nullptr;
  for (const ControlRow& row : kControls) {
    if (TakesFocus(row) && (first == nullptr || row.tab_index < first->tab_index)) first = &row;
  }
  return first->id;
}

ControlId AccessTarget(ControlId label) {
  const int after = Control(label).tab_index;
  const ControlRow* best = nullptr;
  for (const ControlRow& row : kControls) {
    if (!TakesFocus(row) || row.tab_index <= after) continue;
    if (best == nullptr || row.tab_index < best->tab_index) best = &row;
  }
  return best != nullptr ? best->id : label;
}

std::string_view::size_type AccessKeyIndex(std::string_view caption) {
  for (std::string_view::size_type i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    if (caption[i + 1] != '&') return i + 1;
    ++i;  // "&&" is a literal ampersand
  }
  return std::string_view::npos;
}

char AccessKey(std::string_view caption) {
  const auto at = AccessKeyIndex(caption);
  if (at == std::string_view::npos) return 0;
  return static_cast<char>(std::tolower(static_cast<unsigned char>(caption[at])));
}

}  // namespace tarnivo
