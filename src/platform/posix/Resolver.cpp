#include "platform/posix/Resolver.h"

#include <dirent.h>
#include <errno.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "platform/posix/NameMap.h"
#include "platform/posix/Names.h"

namespace tarnivo::posix {
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

char UpperLetter(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool IsAscii(const std::string& text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Two names match when they are equal after case folding.
bool SameName(std::string_view entry, const std::string& wanted, const std::u32string& key,
              bool wanted_ascii) {
  const bool entry_ascii = std::all_of(entry.begin(), entry.end(),
                                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
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

// Walks `parts` down from `native`, each part matched exactly, else without
// regard to case or by its alias; stops at the first part that is missing,
// ambiguous or not a folder.
Walk WalkFolders(std::string native, std::vector<std::string> parts) {
  Walk walk;
  walk.native = std::move(native);
  walk.below = std::move(parts);
  for (const std::string& part : walk.below) {
    Listing listing(walk.native);
    const auto found = listing.Named(part);
    if (found.empty()) {
      walk.miss = Miss::Missing;
      return walk;
    }
    if (found.size() > 1) {
      walk.miss = Miss::Ambiguous;
      return walk;
    }
    const std::string next = NativeChild(walk.native, found.front().native);
    if (!listing.KindOf(found.front()).folder) {
      walk.miss = Miss::NotFolder;
      return walk;
    }
    walk.native = next;
    ++walk.resolved;
  }
  return walk;
}

}  // namespace

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

// Splits drive-form text into the folder part and the last name:
// "C:\a\b.txt" => {"C:\a", "b.txt"}, "C:x" => {"C:", "x"}, "x" => {"", "x"}.
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

template <typename Visit>
void Listing::ForEach(Visit visit) const {
  DIR* dir = opendir(folder_.c_str());
  if (dir == nullptr) Fail("list " + folder_, errno);
  for (;;) {
    errno = 0;
    const dirent* e = readdir(dir);
    if (e == nullptr) break;
    const char* n = e->d_name;
    if (n[0] == '.' && (n[1] == '\0' || (n[1] == '.' && n[2] == '\0'))) continue;
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

void FailWalk(const Walk& walk, const std::string& path) {
  switch (walk.miss) {
    case Miss::Ambiguous:
      Fail(path + ": a name matches entries that differ only in letter case");
    case Miss::NotFolder:
      Fail(path, ENOTDIR);
    default:
      Fail(path, ENOENT);
  }
}

const Drive* Resolver::FindDrive(char letter) const {
  for (const Drive& d : drives) {
    if (d.letter == letter) return &d;
  }
  return nullptr;
}

bool Resolver::Ready(const Drive& d, const std::vector<MountEntry>& mounts) {
  if (d.from_mount && std::none_of(mounts.begin(), mounts.end(),
                                   [&](const MountEntry& m) { return m.dir == d.root; })) {
    return false;
  }
  DIR* dir = opendir(d.root.c_str());
  if (dir == nullptr) return false;
  closedir(dir);
  return true;
}

bool Resolver::Ready(const Drive& d) const {
  if (!d.from_mount) return Ready(d, {});
  return Ready(d, ReadMounts());
}

std::string Resolver::GvfsFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] == '/') return std::string(runtime) + "/gvfs";
  return "/run/user/" + std::to_string(::getuid()) + "/gvfs";
}

std::pair<std::string, std::size_t> Resolver::Root(const DrivePath& path) const {
  if (!path.network) {
    const Drive* d = FindDrive(path.letter);
    if (d == nullptr) Fail(std::string(1, path.letter) + ": is not a drive");
    if (!Ready(*d)) Fail(std::string(1, path.letter) + ": is not ready");
    return {d->root, 0};
  }
  const auto shares = NetworkShares(ReadMounts(), GvfsFolder());
  std::vector<std::string> unc = path.unc;
  unc.insert(unc.end(), path.parts.begin(), path.parts.end());
  const ShareMount* best = nullptr;
  for (const ShareMount& s : shares) {
    if (s.unc.size() > unc.size()) continue;
    bool match = true;
    for (std::size_t i = 0; i < s.unc.size() && match; ++i) {
      match = FoldKey(s.unc[i]) == FoldKey(unc[i]);
    }
    if (match && (best == nullptr || s.unc.size() > best->unc.size())) best = &s;
  }
  if (best == nullptr) throw ShareNotMounted("\\\\" + Join(path.unc, "\\") + " is not mounted");
  return {best->dir, best->unc.size() - 2};
}

DrivePath Resolver::Parse(const std::string& text) const {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) Fail("malformed path: " + text);
  }
  DrivePath path;
  std::string rest;
  std::vector<std::string> base;
  if (text.size() >= 2 && IsSeparator(text[0]) && IsSeparator(text[1])) {
    path.network = true;
    std::vector<std::string> items = Split(text.substr(2));
    if (items.size() < 2 || items[0].empty() || items[1].empty()) {
      Fail("malformed network path: " + text);
    }
    path.unc = {items[0], items[1]};
    base.assign(items.begin() + 2, items.end());
    path.parts = Normal({}, base);
  } else if (text.size() >= 2 && text[1] == ':') {
    if (!IsAsciiLetter(text[0])) Fail("malformed drive: " + text);
    path.letter = UpperLetter(text[0]);
    rest = text.substr(2);
    const bool absolute = !rest.empty() && IsSeparator(rest[0]);
    path.parts = Normal(absolute ? std::vector<std::string>() : CwdOf(path.letter), Split(rest));
  } else {
    path.letter = current;
    const bool absolute = !text.empty() && IsSeparator(text[0]);
    path.parts = Normal(absolute ? std::vector<std::string>() : CwdOf(current), Split(text));
  }
  for (const std::string& part : path.parts) {
    if (HasWildcards(part)) Fail("malformed path: " + text);
  }
  return path;
}

std::vector<std::string> Resolver::CwdOf(char letter) const {
  const auto it = cwd.find(letter);
  return it == cwd.end() ? std::vector<std::string>() : it->second;
}

std::vector<std::string> Resolver::Split(const std::string& text) {
  std::vector<std::string> parts;
  std::size_t i = 0;
  for (;;) {
    std::size_t j = i;
    while (j < text.size() && !IsSeparator(text[j])) ++j;
    parts.push_back(text.substr(i, j - i));
    if (j >= text.size()) break;
    i = j + 1;
  }
  return parts;
}

std::vector<std::string> Resolver::Normal(std::vector<std::string> base,
                                          const std::vector<std::string>& parts) {
  for (const std::string& p : parts) {
    if (p.empty() || p == ".") continue;
    if (p == "..") {
      if (!base.empty()) base.pop_back();
      continue;
    }
    base.push_back(p);
  }
  return base;
}

Walk Resolver::Resolve(const DrivePath& path) const {
  auto [root, covered] = Root(path);
  return WalkFolders(std::move(root), std::vector<std::string>(
                                          path.parts.begin() + static_cast<std::ptrdiff_t>(covered),
                                          path.parts.end()));
}

std::string Resolver::Folder(const DrivePath& path, const std::string& text) const {
  const Walk walk = Resolve(path);
  if (walk.miss != Miss::None) FailWalk(walk, text);
  return walk.native;
}

Target Resolver::Locate(const std::string& text) const {
  const auto [folder_text, last] = SplitLast(text);
  if (HasControl(last)) Fail("malformed name: " + text);
  const DrivePath path = Parse(folder_text);
  Target target;
  target.folder = Folder(path, text);
  target.given = last;
  if (last.empty() || last == "." || last == "..") return target;
  Listing listing(target.folder);
  const auto found = listing.Named(last);
  if (found.size() > 1) Fail(text + ": a name matches entries that differ only in letter case");
  if (found.size() == 1) target.stored = found.front().native;
  return target;
}

std::optional<std::string> Resolver::DriveForm(const std::string& native, bool on_drive) const {
  const std::string path = NormalNative(native);
  const auto mounts = ReadMounts();
  const Drive* best = nullptr;
  for (const Drive& d : drives) {
    if (!IsUnder(path, d.root) || !Ready(d, mounts)) continue;
    if (best == nullptr || d.root.size() > best->root.size()) best = &d;
  }
  const ShareMount* share = nullptr;
  const auto shares = NetworkShares(mounts, GvfsFolder());
  for (const ShareMount& s : shares) {
    if (!IsUnder(path, s.dir)) continue;
    if (best != nullptr && (on_drive || s.dir.size() <= best->root.size())) continue;
    if (share == nullptr || s.dir.size() > share->dir.size()) share = &s;
  }
  std::string root_text;
  std::string root_native;
  if (share != nullptr) {
    root_text = "\\\\" + Join(share->unc, "\\");
    root_native = share->dir;
  } else if (best != nullptr) {
    root_text = std::string(1, best->letter) + ":";
    root_native = best->root;
  } else {
    return std::nullopt;
  }
  std::string rest = path.substr(root_native == "/" ? 1 : root_native.size());
  if (!rest.empty() && rest.front() == '/') rest.erase(0, 1);
  std::string below;
  for (std::size_t i = 0; i < rest.size();) {
    const std::size_t end = std::min(rest.find('/', i), rest.size());
    const auto name = DriveName(std::string_view(rest).substr(i, end - i));
    if (!name) return std::nullopt;
    if (!below.empty()) below += '\\';
    below += *name;
    i = end + 1;
  }
  if (share != nullptr) return below.empty() ? root_text : root_text + "\\" + below;
  return root_text + "\\" + below;
}

}  // namespace tarnivo::posix
