#include "platform/win32/WinText.h"

#include <array>
#include <string_view>

#include "text/Text.h"

namespace tarnivo::win32 {
namespace {

std::string UpperAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

}  // namespace

std::wstring Widen(const std::string& utf8) {
  std::wstring out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    char32_t cp = DecodeNext(utf8, i, NonUtf8::kReplace);
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<wchar_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<wchar_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<wchar_t>(cp));
    }
  }
  return out;
}

std::string Narrow(const std::wstring& utf16) {
  std::string out;
  out.reserve(utf16.size());
  for (std::size_t i = 0; i < utf16.size(); ++i) {
    const char32_t u = static_cast<char16_t>(utf16[i]);
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < utf16.size()) {
      const char32_t low = static_cast<char16_t>(utf16[i + 1]);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
        ++i;
        continue;
      }
    }
    AppendUtf8(out, u);
  }
  return out;
}

int Utf16Offset(const std::string& utf8, int chars) {
  if (chars <= 0) return 0;
  return static_cast<int>(Widen(Left(utf8, static_cast<std::size_t>(chars))).size());
}

std::string LastComponent(const std::string& path) {
  const std::size_t at = path.find_last_of("\\/");
  return at == std::string::npos ? path : path.substr(at + 1);
}

bool IsReservedDeviceName(const std::string& name) {
  // Windows looks at the part before the first dot, without trailing blanks.
  std::string base = name.substr(0, name.find('.'));
  while (!base.empty() && (base.back() == ' ' || base.back() == '.')) base.pop_back();
  base = UpperAscii(base);
  static constexpr std::array<std::string_view, 6> kPlain = {"CON", "PRN",    "AUX",
                                                             "NUL", "CONIN$", "CONOUT$"};
  for (const std::string_view device : kPlain) {
    if (base == device) return true;
  }
  if (base.size() < 4) return false;
  const std::string_view prefix(base.data(), 3);
  if (prefix != "COM" && prefix != "LPT") return false;
  const std::string_view digit(base.data() + 3, base.size() - 3);
  if (digit.size() == 1) return digit[0] >= '1' && digit[0] <= '9';
  // Superscript one, two and three count as digits too.
  return digit == "\xC2\xB9" || digit == "\xC2\xB2" || digit == "\xC2\xB3";
}

bool EndsInDotOrSpace(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  return name.back() == '.' || name.back() == ' ';
}

bool HasInvalidNameChar(const std::string& name, bool patterns) {
  for (const char c : name) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 32 || c == '<' || c == '>' || c == '"' || c == '|') return true;
    if (!patterns && (c == '*' || c == '?')) return true;
  }
  return false;
}

}  // namespace tarnivo::win32
