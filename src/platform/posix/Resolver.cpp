#include "platform/posix/Resolver.h"

#include <dirent.h>
#include <errno.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "platform/posix/Listing.h"
#include "platform/posix/NameMap.h"
#include "platform/posix/Names.h"
#include "platform/posix/PosixUtil.h"
#include "text/Text.h"

namespace tarnivo::posix {
namespace {

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

Resolver::Resolver(std::optional<std::vector<Drive>> pinned)
    : drives_(pinned ? std::move(*pinned) : DefaultDrives(ReadMounts())),
      pinned_(pinned.has_value()) {
  char buffer[PATH_MAX];
  std::optional<std::string> here;
  if (::getcwd(buffer, sizeof buffer) != nullptr) here = DriveForm(buffer, true);
  if (here && here->size() >= 2 && here->at(1) == ':') {
    current_ = here->at(0);
    cwd_[current_] = Normal({}, Split(here->substr(2)));
  } else if (!drives_.empty()) {
    current_ = drives_.front().letter;
    if (::chdir(drives_.front().root.c_str()) != 0) cwd_[current_].clear();
  }
}

const std::vector<Drive>& Resolver::Drives() {
  if (!pinned_) AddNewMounts(drives_, ReadMounts());
  return drives_;
}

void Resolver::EnterDrive(char letter) {
  const Drive* d = FindDrive(letter);
  if (d == nullptr) Fail(std::string(1, letter) + ": is not a drive");
  if (!Ready(*d)) Fail(std::string(1, letter) + ": is not ready");
  DrivePath path;
  path.letter = letter;
  path.parts = CwdOf(letter);
  std::string native;
  try {
    native = Folder(path, std::string(1, letter) + ":");
  } catch (const PlatformError&) {
    // Its folder has gone since: the drive is entered at its root.
    cwd_[letter].clear();
    native = d->root;
  }
  if (::chdir(native.c_str()) != 0) Fail("chdir " + native, errno);
  current_ = letter;
}

void Resolver::EnterFolder(const DrivePath& path, const std::string& text) {
  if (path.network) Fail("a working directory is on a drive: " + text);
  const std::string native = Folder(path, text);
  if (path.letter == current_ && ::chdir(native.c_str()) != 0) Fail("chdir " + native, errno);
  cwd_[path.letter] = path.parts;
}

const Drive* Resolver::FindDrive(char letter) const {
  for (const Drive& d : drives_) {
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
    path.letter = current_;
    const bool absolute = !text.empty() && IsSeparator(text[0]);
    path.parts = Normal(absolute ? std::vector<std::string>() : CwdOf(current_), Split(text));
  }
  for (const std::string& part : path.parts) {
    if (HasWildcards(part)) Fail("malformed path: " + text);
  }
  return path;
}

std::vector<std::string> Resolver::CwdOf(char letter) const {
  const auto it = cwd_.find(letter);
  return it == cwd_.end() ? std::vector<std::string>() : it->second;
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
  for (const Drive& d : drives_) {
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
