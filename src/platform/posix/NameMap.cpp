#include "platform/posix/NameMap.h"

namespace tarnivo::posix {
namespace {

constexpr std::string_view kMapped = "\\:*?\"<>|";

// U+F000 + c in UTF-8 (c below 0x80): EF, 80 + c / 64, 80 + c % 64.
void AppendPrivate(std::string& out, char c) {
  const auto code = static_cast<unsigned char>(c);
  out += '\xEF';
  out += static_cast<char>(0x80 + (code >> 6));
  out += static_cast<char>(0x80 + (code & 0x3F));
}

// The ASCII character that the private-use character at `text[i]` stands
// for, or 0.
char MappedAt(std::string_view text, std::size_t i) {
  if (i + 2 >= text.size() || text[i] != '\xEF') return 0;
  const auto mid = static_cast<unsigned char>(text[i + 1]);
  const auto low = static_cast<unsigned char>(text[i + 2]);
  if ((mid != 0x80 && mid != 0x81) || low < 0x80 || low >= 0xC0) return 0;
  const char c = static_cast<char>(((mid - 0x80) << 6) | (low - 0x80));
  return kMapped.find(c) == std::string_view::npos ? 0 : c;
}

std::string MapAscii(std::string_view text, std::string_view keep) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    if (kMapped.find(c) != std::string_view::npos && keep.find(c) == std::string_view::npos) {
      AppendPrivate(out, c);
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

std::optional<std::string> DriveName(std::string_view linux_name) {
  for (std::size_t i = 0; i < linux_name.size(); ++i) {
    if (MappedAt(linux_name, i) != 0) return std::nullopt;
  }
  return MapAscii(linux_name, {});
}

std::string LinuxName(std::string_view drive_text) {
  std::string out;
  out.reserve(drive_text.size());
  for (std::size_t i = 0; i < drive_text.size(); ++i) {
    if (const char c = MappedAt(drive_text, i)) {
      out += c;
      i += 2;
    } else {
      out += drive_text[i];
    }
  }
  return out;
}

std::string TypedName(std::string_view typed) { return MapAscii(typed, {}); }

std::string TypedPath(std::string_view typed) {
  const bool drive = typed.size() >= 2 && typed[1] == ':' &&
                     ((typed[0] >= 'A' && typed[0] <= 'Z') || (typed[0] >= 'a' && typed[0] <= 'z'));
  const bool network = typed.size() >= 2 && typed[0] == '\\' && typed[1] == '\\';
  const bool relative = !typed.empty() && typed[0] == '\\' && !network;
  if (!drive && !network && !relative) {
    // A Linux path, a URL or a bare name: a bare name is a folder of the
    // working directory and is mapped; anything with '/' first or a scheme
    // is native text.
    if (typed.empty() || typed[0] == '/' || typed.find("://") != std::string_view::npos) {
      return std::string(typed);
    }
  }
  const std::size_t from = drive ? 2 : 0;
  return std::string(typed.substr(0, from)) + MapAscii(typed.substr(from), "\\");
}

}  // namespace tarnivo::posix
