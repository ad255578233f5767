// The Linux layer's name rules on arbitrary bytes.
//
// Input: the names of one folder, separated by '/' or a zero byte (the two
// bytes that no Linux name can hold). For them:
//   - each name that has a drive form gives itself back from it, and no two
//     share one;
//   - the aliases are legal 8.3 names in capitals, made only for names that
//     need one, unique, and the same on every call;
//   - a lookup by alias, the way the layer resolves a name (the entries whose
//     names match without regard to case first, else the first entry whose
//     alias matches), finds the alias's own entry and no other, also when
//     only the names numbered against the alias are numbered.
// The same bytes, split at the first zero byte into a pattern and a name,
// go through the wildcard matcher: it never crashes or runs away, "*" and
// "*.*" match every name (names without a dot too), a pattern without
// wildcards matches the name it spells, and ASCII letter case never matters.
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/posix/NameMap.h"
#include "platform/posix/Names.h"

namespace {

using namespace tarnivo::posix;

void Check(bool ok) {
  if (!ok) std::abort();
}

// The names of one folder as the layer lists them, in drive form: no empty
// name, no "." or "..", none that has no drive form, each once, in name
// order. The mapping gives each Linux name back unchanged and never gives
// two of them one drive form.
std::vector<std::string> FolderNames(const std::string& bytes) {
  std::set<std::string> names;
  std::set<std::string> drive_names;
  std::string name;
  for (std::size_t i = 0; i <= bytes.size(); ++i) {
    if (i == bytes.size() || bytes[i] == '/' || bytes[i] == '\0') {
      const auto drive = DriveName(name);
      if (drive) Check(LinuxName(*drive) == name && TypedName(name) == *drive);
      if (!name.empty() && name != "." && name != ".." && drive && names.insert(name).second) {
        Check(drive_names.insert(*drive).second);
      }
      name.clear();
    } else {
      name.push_back(bytes[i]);
    }
  }
  return {drive_names.begin(), drive_names.end()};
}

std::string FlipAsciiCase(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') {
      c = static_cast<char>(c - 32);
    } else if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c + 32);
    }
  }
  return text;
}

void CheckAliases(const std::vector<std::string>& names) {
  const std::vector<std::string> aliases = MakeAliases(names);
  Check(aliases.size() == names.size());
  Check(MakeAliases(names) == aliases);

  std::vector<std::u32string> name_keys;
  for (const std::string& n : names) name_keys.push_back(FoldKey(n));
  std::set<std::u32string> alias_keys;
  for (std::size_t i = 0; i < names.size(); ++i) {
    const std::string& alias = aliases[i];
    if (alias.empty()) continue;
    // Only a name that is not a legal 8.3 name gets one, and it is one.
    Check(!IsLegal83(names[i]));
    Check(IsLegal83(alias));
    Check(alias.find('~') != std::string::npos);
    for (const char c : alias)
      Check(static_cast<unsigned char>(c) < 0x80 && !(c >= 'a' && c <= 'z'));
    const std::u32string key = FoldKey(alias);
    Check(alias_keys.insert(key).second);
    // Resolved by name first: no other entry may be spelled like it.
    for (std::size_t j = 0; j < names.size(); ++j) Check(j == i || name_keys[j] != key);
    // Looked up among only the names numbered against it, in any letter
    // case, it names the same entry.
    const AliasLookup lookup(FlipAsciiCase(alias));
    std::vector<std::string_view> kept;
    std::vector<std::size_t> index;
    for (std::size_t j = 0; j < names.size(); ++j) {
      if (!lookup.Concerns(names[j])) continue;
      kept.push_back(names[j]);
      index.push_back(j);
    }
    const std::size_t at = lookup.Find(kept);
    Check(at != AliasLookup::kNone && index[at] == i);
  }
}

void CheckPattern(const std::string& pattern, const std::string& name) {
  const bool match = MatchesPattern(pattern, name);
  Check(MatchesPattern("*", name));
  Check(MatchesPattern("*.*", name));
  Check(MatchesPattern(FlipAsciiCase(pattern), FlipAsciiCase(name)) == match);
  if (!HasWildcards(name)) Check(MatchesPattern(name, name));
  if (!HasWildcards(pattern) && (pattern.empty() || pattern.back() != '.')) {
    Check(match == (FoldKey(pattern) == FoldKey(name)));
  }
  if (name.find('.') == std::string::npos) Check(MatchesPattern("*.", name));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  CheckAliases(FolderNames(bytes));
  const std::size_t zero = bytes.find('\0');
  if (zero != std::string::npos) CheckPattern(bytes.substr(0, zero), bytes.substr(zero + 1));
  CheckPattern(bytes, bytes);
  return 0;
}
