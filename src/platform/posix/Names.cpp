#include "platform/posix/Names.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <unordered_map>

#include "text/Text.h"

namespace tarnivo::posix {
namespace {

// Characters that an 8.3 name may hold besides letters and digits.
constexpr std::string_view kSpecial83 = "!#$%&'()-@^_`{}~";

bool IsLegal83Char(char32_t c) {
  if (c >= 'a' && c <= 'z') return true;
  if (c >= 'A' && c <= 'Z') return true;
  if (c >= '0' && c <= '9') return true;
  return c < 0x80 && kSpecial83.find(static_cast<char>(c)) != std::string_view::npos;
}

// The characters of one part of an alias: spaces and dots dropped, letters
// upper-cased, anything else an 8.3 name cannot hold becomes '_'.
std::string AliasPart(std::u32string_view chars, std::size_t limit) {
  std::string out;
  for (const char32_t c : chars) {
    if (out.size() == limit) break;
    if (c == ' ' || c == '.') continue;
    if (IsLegal83Char(c)) {
      out.push_back(static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c));
    } else {
      out.push_back('_');
    }
  }
  return out;
}

// The aliases given so far, as 64-bit hashes in one open table: a folder of
// 100 000 entries costs 2 MB. Two aliases with one hash count as one, so a
// number is skipped; the aliases stay unique and the same on every run.
class AliasSet {
 public:
  explicit AliasSet(std::size_t count) {
    std::size_t size = 16;
    while (size < count * 2 + 16) size <<= 1;
    slots_.assign(size, 0);
  }

  // False when `alias` was there already.
  bool Insert(std::string_view alias) {
    std::uint64_t h = 14695981039346656037ull;  // FNV-1a
    for (const char c : alias) h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    h |= 1;  // 0 marks a free slot
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = h & mask;; i = (i + 1) & mask) {
      if (slots_[i] == 0) {
        slots_[i] = h;
        return true;
      }
      if (slots_[i] == h) return false;
    }
  }

 private:
  std::vector<std::uint64_t> slots_;
};

std::string AsciiUpper(std::string s) {
  for (char& c : s) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  }
  return s;
}

}  // namespace

std::u32string FoldKey(const std::string& name) {
  std::u32string key;
  key.reserve(name.size());
  bool ascii = true;
  for (const char c : name) {
    if (static_cast<unsigned char>(c) >= 0x80) {
      ascii = false;
      break;
    }
    key.push_back(static_cast<char32_t>(c >= 'A' && c <= 'Z' ? c + 32 : c));
  }
  if (ascii) return key;
  key = Decode(name);
  for (char32_t& c : key) c = FoldChar(c);
  return key;
}

bool IsLegal83(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  const std::size_t dot = name.find('.');
  const std::string_view base = name.substr(0, dot);
  const std::string_view ext = dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
  if (base.empty() || base.size() > 8) return false;
  if (dot != std::string_view::npos && (ext.empty() || ext.size() > 3)) return false;
  auto legal = [](std::string_view part) {
    return std::all_of(part.begin(), part.end(),
                        [](char c) { return IsLegal83Char(static_cast<unsigned char>(c)); });
  };
  return legal(base) && legal(ext);
}

std::vector<std::string> MakeAliases(const std::vector<std::string_view>& sorted_names) {
  std::vector<std::string> aliases(sorted_names.size());
  // An alias must not be taken for any name that needs none, nor for a name
  // that a lookup of the alias would find first: one whose letters fold to
  // those of an 8.3 name ("\u212A~1" with the Kelvin sign is found by "K~1").
  AliasSet used(sorted_names.size());
  for (const std::string_view name : sorted_names) {
    if (IsLegal83(name)) {
      used.Insert(AsciiUpper(std::string(name)));
    } else if (std::any_of(name.begin(), name.end(),
                           [](char c) { return static_cast<unsigned char>(c) >= 0x80; })) {
      const std::string folded = Encode(FoldKey(std::string(name)));
      if (IsLegal83(folded)) used.Insert(AsciiUpper(folded));
    }
  }
  std::unordered_map<std::string, unsigned long> next_number;
  std::unordered_map<std::string, unsigned long> highest;
  for (std::size_t i = 0; i < sorted_names.size(); ++i) {
    const std::string_view name = sorted_names[i];
    if (IsLegal83(name)) continue;
    std::u32string chars = Decode(std::string(name));
    const std::size_t first = chars.find_first_not_of(U'.');
    if (first == std::u32string::npos) continue;
    chars.erase(0, first);  // ".profile" is built from "profile"
    const std::size_t dot = chars.rfind(U'.');
    const std::u32string_view all(chars);
    const std::string base = AliasPart(all.substr(0, dot), 6);
    std::string suffix;
    if (dot != std::u32string::npos) {
      const std::string ext = AliasPart(all.substr(dot + 1), 3);
      if (!ext.empty()) suffix = "." + ext;
    }
    if (base.empty()) continue;
    unsigned long& n = next_number[base + suffix];
    for (;;) {
      ++n;
      std::string number(1, '~');
      number += std::to_string(n);
      if (number.size() > 8) break;  // no alias left for this start
      const std::string start = base.substr(0, 8 - number.size());
      // Starts cut short are shared by several names: each goes on from the
      // highest number taken with it, so a big folder costs one pass.
      std::string key = start;
      key += '|';
      key += std::to_string(number.size());
      key += suffix;
      unsigned long& taken = highest[key];
      if (n <= taken) {
        n = taken;
        continue;
      }
      std::string alias = start + number + suffix;
      if (used.Insert(alias)) {
        taken = n;
        aliases[i] = std::move(alias);
        break;
      }
    }
  }
  return aliases;
}

std::vector<std::string> MakeAliases(const std::vector<std::string>& sorted_names) {
  return MakeAliases(std::vector<std::string_view>(sorted_names.begin(), sorted_names.end()));
}

bool HasWildcards(const std::string& text) {
  return text.find_first_of("*?") != std::string::npos;
}

bool MatchesPattern(const std::string& pattern_text, const std::string& name_text) {
  if (pattern_text == "*" || pattern_text == "*.*") return true;
  const std::u32string p = FoldKey(pattern_text);
  const std::u32string n = FoldKey(name_text);
  const std::size_t last_dot = n.rfind(U'.');
  const std::size_t np = p.size();
  const std::size_t nn = n.size();
  // memo[i * (nn + 1) + j]: 0 unknown, 1 no, 2 yes, for p[i..] against n[j..].
  std::vector<unsigned char> memo((np + 1) * (nn + 1), 0);
  auto match = [&](auto& self, std::size_t i, std::size_t j) -> bool {
    unsigned char& m = memo[i * (nn + 1) + j];
    if (m != 0) return m == 2;
    bool ok = false;
    if (i == np) {
      ok = j == nn;
    } else if (p[i] == U'*') {
      // Before a dot, '*' stops at the name's last dot ("*.txt", "*.").
      const bool before_dot = i + 1 < np && p[i + 1] == U'.';
      const std::size_t limit =
          before_dot && last_dot != std::u32string::npos ? std::max(last_dot, j) : nn;
      for (std::size_t k = j; k <= limit && !ok; ++k) ok = self(self, i + 1, k);
    } else if (p[i] == U'?') {
      if (j == nn || n[j] == U'.') {
        ok = self(self, i + 1, j);
      } else {
        ok = self(self, i + 1, j + 1);
      }
    } else if (p[i] == U'.' && (i + 1 == np || p[i + 1] == U'*' || p[i + 1] == U'?')) {
      // A dot before a wildcard or at the end also matches the end of a name.
      ok = (j < nn && n[j] == U'.' && self(self, i + 1, j + 1)) || (j == nn && self(self, i + 1, j));
    } else {
      ok = j < nn && p[i] == n[j] && self(self, i + 1, j + 1);
    }
    m = ok ? 2 : 1;
    return ok;
  };
  return match(match, 0, 0);
}

}  // namespace tarnivo::posix
