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

// Up to `limit` characters of one part of an alias, written to `out`:
// spaces and dots dropped, letters upper-cased, anything else an 8.3 name
// cannot hold becomes '_'. Returns how many were written.
std::size_t AliasPart(std::string_view bytes, char* out, std::size_t limit) {
  std::size_t written = 0;
  for (std::size_t i = 0; i < bytes.size() && written < limit;) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    char32_t c = byte;
    if (byte < 0x80) {
      ++i;
    } else {
      c = DecodeNext(bytes, i);
    }
    if (c == ' ' || c == '.') continue;
    if (!IsLegal83Char(c)) {
      out[written++] = '_';
    } else {
      out[written++] = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    }
  }
  return written;
}

// What an alias is built from: the start (up to six characters of the name
// before its last dot) and the suffix ("." and up to three characters of the
// extension, or ""). Leading dots are skipped: ".profile" => {"PROFIL", ""};
// "archive.tar.gz" => {"ARCHIV", ".GZ"}. An empty start gives no alias.
// Made for every name of a folder that is searched by alias, so it stays off
// the heap.
class Basis {
 public:
  explicit Basis(std::string_view name) {
    const std::size_t first = name.find_first_not_of('.');
    if (first == std::string_view::npos) return;
    name.remove_prefix(first);
    const std::size_t dot = name.rfind('.');
    start_size_ = AliasPart(name.substr(0, dot), start_, sizeof start_);
    if (dot != std::string_view::npos) {
      suffix_size_ = AliasPart(name.substr(dot + 1), suffix_ + 1, sizeof suffix_ - 1);
      if (suffix_size_ > 0) ++suffix_size_;
    }
  }

  std::string_view start() const { return {start_, start_size_}; }
  std::string_view suffix() const { return {suffix_, suffix_size_}; }

 private:
  char start_[6] = {};
  std::size_t start_size_ = 0;
  char suffix_[4] = {'.'};
  std::size_t suffix_size_ = 0;
};

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

// The spelling that a name which needs no alias keeps from every alias: its
// own in capitals, or that of the 8.3 name its letters fold to ("\u212A~1"
// with the Kelvin sign is found by "K~1"); "" for none.
std::string ReservedSpelling(std::string_view name) {
  if (IsLegal83(name)) return AsciiUpper(std::string(name));
  if (IsAscii(name)) return {};
  const std::string folded = Encode(FoldKey(std::string(name)));
  return IsLegal83(folded) ? AsciiUpper(folded) : std::string();
}

// Gives the aliases of a folder's names, fed in name order: each name that
// needs one gets the first number of its start that no name before it took
// and no reserved spelling holds.
class Numbering {
 public:
  explicit Numbering(std::size_t count) : used_(count) {}

  // Before the first Next: keeps every alias off the spelling of `name`.
  void Reserve(std::string_view name) {
    const std::string spelling = ReservedSpelling(name);
    if (!spelling.empty()) used_.Insert(spelling);
  }

  // The alias of the next name in name order, "" where it needs none.
  std::string Next(std::string_view name);

 private:
  AliasSet used_;
  std::unordered_map<std::string, unsigned long> next_number_;
  std::unordered_map<std::string, unsigned long> highest_;
};

std::string Numbering::Next(std::string_view name) {
  if (IsLegal83(name)) return {};
  const Basis basis(name);
  if (basis.start().empty()) return {};
  const std::string suffix(basis.suffix());
  unsigned long& n = next_number_[std::string(basis.start()) + suffix];
  for (;;) {
    ++n;
    std::string number(1, '~');
    number += std::to_string(n);
    if (number.size() > 8) return {};  // no alias left for this start
    const std::string start(basis.start().substr(0, 8 - number.size()));
    // Starts cut short are shared by several names: each goes on from the
    // highest number taken with it, so a big folder costs one pass.
    std::string key = start;
    key += '|';
    key += std::to_string(number.size());
    key += suffix;
    unsigned long& taken = highest_[key];
    if (n <= taken) {
      n = taken;
      continue;
    }
    std::string alias = start + number + suffix;
    if (used_.Insert(alias)) {
      taken = n;
      return alias;
    }
  }
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
  const std::string_view ext =
      dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
  if (base.empty() || base.size() > 8) return false;
  if (dot != std::string_view::npos && (ext.empty() || ext.size() > 3)) return false;
  auto legal = [](std::string_view part) {
    return std::all_of(part.begin(), part.end(),
                       [](char c) { return IsLegal83Char(static_cast<unsigned char>(c)); });
  };
  return legal(base) && legal(ext);
}

std::vector<std::string> MakeAliases(const std::vector<std::string_view>& sorted_names) {
  Numbering numbering(sorted_names.size());
  for (const std::string_view name : sorted_names) numbering.Reserve(name);
  std::vector<std::string> aliases;
  aliases.reserve(sorted_names.size());
  for (const std::string_view name : sorted_names) aliases.push_back(numbering.Next(name));
  return aliases;
}

std::vector<std::string> MakeAliases(const std::vector<std::string>& sorted_names) {
  return MakeAliases(std::vector<std::string_view>(sorted_names.begin(), sorted_names.end()));
}

AliasLookup::AliasLookup(std::string_view alias) {
  // "START~N.SUF": the suffix from the first dot, the number after the last
  // '~' before it, without a leading zero.
  if (!IsLegal83(alias)) return;
  alias_ = AsciiUpper(std::string(alias));
  const std::size_t dot = alias_.find('.');
  const std::string_view head = std::string_view(alias_).substr(0, dot);
  const std::size_t tilde = head.rfind('~');
  if (tilde == 0 || tilde == std::string_view::npos || tilde > 6) return;
  const std::string_view number = head.substr(tilde + 1);
  if (number.empty() || number.front() == '0' ||
      !std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return;
  }
  start_ = head.substr(0, tilde);
  if (dot != std::string::npos) suffix_ = alias_.substr(dot);
  possible_ = true;
}

bool AliasLookup::Concerns(std::string_view name) const {
  if (!possible_) return false;
  if (IsLegal83(name) || !IsAscii(name)) {
    // A reserved spelling that starts like the alias may push its number on.
    const std::string spelling = ReservedSpelling(name);
    if (spelling.compare(0, start_.size(), start_) == 0) return true;
    if (IsLegal83(name)) return false;
  }
  // Every alias of a name with this suffix whose start begins like the
  // alias's is numbered against it; no other name's is.
  const Basis basis(name);
  return basis.suffix() == suffix_ && basis.start().substr(0, start_.size()) == start_;
}

std::size_t AliasLookup::Find(const std::vector<std::string_view>& names) const {
  if (!possible_) return kNone;
  Numbering numbering(names.size());
  for (const std::string_view name : names) numbering.Reserve(name);
  // Numbered in name order, taken from a heap: the alias is usually given
  // to one of the first few, so most names are never put in order.
  std::vector<std::size_t> heap(names.size());
  for (std::size_t i = 0; i < heap.size(); ++i) heap[i] = i;
  const auto later = [&](std::size_t a, std::size_t b) { return names[a] > names[b]; };
  std::make_heap(heap.begin(), heap.end(), later);
  while (!heap.empty()) {
    std::pop_heap(heap.begin(), heap.end(), later);
    const std::size_t first = heap.back();
    heap.pop_back();
    if (numbering.Next(names[first]) == alias_) return first;
  }
  return kNone;
}

bool HasWildcards(const std::string& text) { return text.find_first_of("*?") != std::string::npos; }

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
      ok =
          (j < nn && n[j] == U'.' && self(self, i + 1, j + 1)) || (j == nn && self(self, i + 1, j));
    } else {
      ok = j < nn && p[i] == n[j] && self(self, i + 1, j + 1);
    }
    m = ok ? 2 : 1;
    return ok;
  };
  return match(match, 0, 0);
}

}  // namespace tarnivo::posix
