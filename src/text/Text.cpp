#include "text/Text.h"

#include <algorithm>
#include <iterator>

namespace tarnivo {
namespace {

struct CasePair {
  char32_t from;
  char32_t to;
};

#include "text/CaseTables.inc"

template <std::size_t N>
char32_t Lookup(const CasePair (&table)[N], char32_t c) {
  if (c > 0xFFFF) return c;
  const auto it = std::lower_bound(std::begin(table), std::end(table), c,
                                   [](const CasePair& p, char32_t v) { return p.from < v; });
  return (it != std::end(table) && it->from == c) ? it->to : c;
}

constexpr char32_t kEscapeBase = 0xDC00;  // U+DC80..U+DCFF carry stray bytes 0x80..0xFF

bool IsContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

}  // namespace

char32_t DecodeNext(std::string_view text, std::size_t& at, NonUtf8 mode) {
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t n = text.size();
  const unsigned char b = s[at];
  std::size_t len = 0;
  char32_t cp = 0;
  char32_t min = 0;
  if (b < 0x80) {
    len = 1;
    cp = b;
  } else if ((b & 0xE0) == 0xC0) {
    len = 2;
    cp = b & 0x1F;
    min = 0x80;
  } else if ((b & 0xF0) == 0xE0) {
    len = 3;
    cp = b & 0x0F;
    min = 0x800;
  } else if ((b & 0xF8) == 0xF0) {
    len = 4;
    cp = b & 0x07;
    min = 0x10000;
  }
  bool ok = len != 0 && at + len <= n;
  for (std::size_t k = 1; ok && k < len; ++k) {
    ok = IsContinuation(s[at + k]);
    cp = (cp << 6) | (s[at + k] & 0x3F);
  }
  // Overlong forms and values past U+10FFFF are never UTF-8; surrogates only
  // where the mode keeps them.
  const bool surrogate = cp >= 0xD800 && cp <= 0xDFFF;
  ok = ok && cp >= min && cp <= 0x10FFFF && (mode == NonUtf8::kReplace || !surrogate);
  if (!ok) {
    ++at;
    return mode == NonUtf8::kEscape ? kEscapeBase + b : 0xFFFD;
  }
  at += len;
  return cp;
}

std::u32string Decode(std::string_view text, NonUtf8 mode) {
  std::u32string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) out.push_back(DecodeNext(text, i, mode));
  return out;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

std::string Encode(const std::u32string& chars) {
  std::string out;
  out.reserve(chars.size());
  for (const char32_t c : chars) {
    if (c >= kEscapeBase + 0x80 && c <= kEscapeBase + 0xFF) {
      out.push_back(static_cast<char>(c - kEscapeBase));
    } else {
      AppendUtf8(out, c);
    }
  }
  return out;
}

std::size_t CharCount(const std::string& text) { return Decode(text).size(); }

std::string Mid(const std::string& text, std::size_t start, std::size_t count) {
  const std::u32string chars = Decode(text);
  if (start == 0 || start > chars.size()) return {};
  return Encode(chars.substr(start - 1, count));
}

std::string Left(const std::string& text, std::size_t count) {
  return Encode(Decode(text).substr(0, count));
}

char32_t UpperChar(char32_t c) { return Lookup(kUpperPairs, c); }
char32_t LowerChar(char32_t c) { return Lookup(kLowerPairs, c); }
char32_t FoldChar(char32_t c) { return Lookup(kFoldPairs, c); }

std::string ToUpper(const std::string& text) {
  std::u32string chars = Decode(text);
  for (char32_t& c : chars) c = UpperChar(c);
  return Encode(chars);
}

std::string ToLower(const std::string& text) {
  std::u32string chars = Decode(text);
  for (char32_t& c : chars) c = LowerChar(c);
  return Encode(chars);
}

std::string TrimSpaces(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

bool EqualsIgnoreCase(const std::string& a, const std::string& b) {
  const std::u32string x = Decode(a);
  const std::u32string y = Decode(b);
  if (x.size() != y.size()) return false;
  for (std::size_t i = 0; i < x.size(); ++i) {
    if (FoldChar(x[i]) != FoldChar(y[i])) return false;
  }
  return true;
}

bool IsAscii(std::string_view text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string UnescapeHex(const std::string& text, const std::string& lead) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (!lead.empty() && text.compare(i, lead.size(), lead) == 0 &&
        i + lead.size() + 2 <= text.size()) {
      const int hi = HexValue(text[i + lead.size()]);
      const int lo = HexValue(text[i + lead.size() + 1]);
      if (hi >= 0 && lo >= 0) {
        out.push_back(static_cast<char>(hi * 16 + lo));
        i += lead.size() + 1;
        continue;
      }
    }
    out.push_back(text[i]);
  }
  return out;
}

}  // namespace tarnivo
