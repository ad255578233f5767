#include "platform/posix/Listing.h"

#include <dirent.h>
#include <errno.h>
#include <sys/stat.h>

#include <algorithm>
#include <string_view>

#include "platform/posix/NameMap.h"
#include "platform/posix/Names.h"
#include "platform/posix/PosixUtil.h"
#include "text/Text.h"

namespace tarnivo::posix {
namespace {

// Two names match when they are equal after case folding.
bool SameName(std::string_view entry, const std::string& wanted, const std::u32string& key,
              bool wanted_ascii) {
  const bool entry_ascii = IsAscii(entry);
  if (wanted_ascii && entry_ascii) {
    return entry.size() == wanted.size() &&
           std::equal(entry.begin(), entry.end(), wanted.begin(), [](char a, char b) {
             auto low = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
             return low(a) == low(b);
           });
  }
  if (wanted_ascii != entry_ascii && entry.size() == wanted.size()) {
    // Folding maps no non-ASCII character to ASCII except the Kelvin sign and
    // the long s, which are longer in UTF-8; equal lengths cannot match.
    return false;
  }
  return FoldKey(std::string(entry)) == key;
}

}  // namespace

template <typename Visit>
void Listing::ForEach(Visit visit, bool folders_only) const {
  DIR* dir = opendir(folder_.c_str());
  if (dir == nullptr) Fail("list " + folder_, errno);
  for (;;) {
    errno = 0;
    const dirent* e = readdir(dir);
    if (e == nullptr) break;
    const char* n = e->d_name;
    if (n[0] == '.' && (n[1] == '\0' || (n[1] == '.' && n[2] == '\0'))) continue;
    // Files, and hidden entries, are passed over before their names are mapped.
    if (folders_only && (e->d_type == DT_REG || n[0] == '.')) continue;
    const auto name = DriveName(n);
    if (!name) continue;
    visit(*name, e->d_type, n);
  }
  const int err = errno;
  closedir(dir);
  if (err != 0) Fail("list " + folder_, err);
}

const std::vector<Listing::Entry>& Listing::All() {
  if (!loaded_) {
    ForEach([&](const std::string& name, unsigned char type, const char* n) {
      entries_.push_back({name, type, n});
    });
    std::sort(entries_.begin(), entries_.end(), ByName);
    loaded_ = true;
  }
  return entries_;
}

std::vector<std::string> Listing::Folders() const {
  std::vector<std::string> names;
  ForEach(
      [&](const std::string& name, unsigned char type, const char* n) {
        if (HasControl(name)) return;
        if (type == DT_DIR || KindOf({name, type, n}).folder) names.push_back(name);
      },
      true);
  std::sort(names.begin(), names.end());
  return names;
}

const std::vector<std::string>& Listing::Aliases() {
  if (!aliases_made_) {
    std::vector<std::string_view> names;
    names.reserve(All().size());
    for (const Entry& e : entries_) names.push_back(e.name);
    aliases_ = MakeAliases(names);
    aliases_made_ = true;
  }
  return aliases_;
}

std::vector<Listing::Entry> Listing::Named(const std::string& name) {
  std::vector<Entry> found;
  const std::u32string key = FoldKey(name);
  const bool ascii = IsAscii(name);
  if (name.find('~') == std::string::npos || !IsLegal83(name)) {
    ForEach([&](const std::string& entry, unsigned char type, const char* n) {
      if (SameName(entry, name, key, ascii)) found.push_back({entry, type, n});
    });
  } else {
    // It may be an alias. One pass keeps the entries that match by name and
    // the few that are numbered against the alias; those are numbered only
    // when no name matches.
    const AliasLookup lookup(name);
    std::string kept_names;  // one after the other
    struct Kept {
      std::size_t at;
      std::size_t size;
      unsigned char type;
      std::string native;
    };
    std::vector<Kept> kept;
    ForEach([&](const std::string& entry, unsigned char type, const char* n) {
      if (SameName(entry, name, key, ascii)) {
        found.push_back({entry, type, n});
      } else if (found.empty() && lookup.Concerns(entry)) {
        kept.push_back({kept_names.size(), entry.size(), type, n});
        kept_names += entry;
      }
    });
    if (found.empty() && !kept.empty()) {
      std::vector<std::string_view> names;
      names.reserve(kept.size());
      for (const Kept& k : kept) names.emplace_back(kept_names.data() + k.at, k.size);
      const std::size_t at = lookup.Find(names);
      if (at != AliasLookup::kNone) {
        found.push_back({std::string(names[at]), kept[at].type, kept[at].native});
      }
    }
  }
  // Of entries that differ only in letter case, the one spelled exactly so.
  if (found.size() > 1) {
    const auto exact =
        std::find_if(found.begin(), found.end(), [&](const Entry& e) { return e.name == name; });
    if (exact != found.end()) return {*exact};
  }
  std::sort(found.begin(), found.end(), ByName);
  return found;
}

Listing::Kind Listing::KindOf(const Entry& e) const {
  if (e.type == DT_DIR) return {true, true, false};
  if (e.type == DT_REG) return {true, false, true};
  struct stat st {};
  if (::stat(NativeChild(folder_, e.native).c_str(), &st) != 0) {
    struct stat link {};
    return {::lstat(NativeChild(folder_, e.native).c_str(), &link) == 0, false, false};
  }
  return {true, S_ISDIR(st.st_mode), S_ISREG(st.st_mode)};
}

bool Listing::PassesMask(const Entry& e, int attributes) const {
  const Kind kind = KindOf(e);
  if (!kind.exists) return false;
  const bool hidden = e.name.front() == '.';
  const bool system = !kind.folder && !kind.regular;
  if (hidden && (attributes & 2) == 0) return false;
  if (system && (attributes & 4) == 0) return false;
  if (kind.folder && (attributes & 16) == 0) return false;
  return true;
}

}  // namespace tarnivo::posix
