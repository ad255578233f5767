#include "platform/posix/PosixUtil.h"

#include <algorithm>
#include <cstring>

#include "text/Text.h"

namespace tarnivo::posix {

void Fail(const std::string& what) { throw PlatformError(what); }
void Fail(const std::string& what, int err) {
  throw PlatformError(what + ": " + std::strerror(err));
}

bool HasControl(const std::string& text) {
  return std::any_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
}

std::string NativeChild(const std::string& folder, const std::string& name) {
  return folder == "/" ? "/" + name : folder + "/" + name;
}

std::string Join(const std::vector<std::string>& parts, const std::string& separator,
                 std::size_t from) {
  std::string out;
  for (std::size_t i = from; i < parts.size(); ++i) {
    if (i > from) out += separator;
    out += parts[i];
  }
  return out;
}

std::pair<std::string, std::string> SplitLast(const std::string& text) {
  std::size_t start = 0;
  if (text.size() >= 2 && text[1] == ':' && IsAsciiLetter(text[0])) start = 2;
  std::size_t sep = std::string::npos;
  for (std::size_t i = text.size(); i > start; --i) {
    if (IsSeparator(text[i - 1])) {
      sep = i - 1;
      break;
    }
  }
  if (sep == std::string::npos) return {text.substr(0, start), text.substr(start)};
  // "\\server\share" is a share's root, with no name to split off.
  if (start == 0 && text.size() >= 2 && IsSeparator(text[0]) && IsSeparator(text[1])) {
    const std::size_t server_end = text.find_first_of("\\/", 2);
    if (server_end == std::string::npos ||
        text.find_first_of("\\/", server_end + 1) == std::string::npos) {
      return {text, ""};
    }
  }
  // The root's separator stays with the folder: "C:\x" => {"C:\", "x"}.
  std::string folder = text.substr(0, sep);
  if (folder.size() == start) folder = text.substr(0, sep + 1);
  return {folder, text.substr(sep + 1)};
}

}  // namespace tarnivo::posix
