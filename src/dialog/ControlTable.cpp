#include "dialog/ControlTable.h"

#include <cctype>

namespace tarnivo {

const ControlSpec& Control(ControlId id) {
  for (const ControlSpec& row : kControls) {
    if (row.id == id) return row;
  }
  return kControls.front();  // unreachable: every id has an entry
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
