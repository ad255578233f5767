#include "platform/posix/DriveMap.h"

#include <dirent.h>
#include <mntent.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "text/Text.h"

namespace tarnivo::posix {
namespace {

std::vector<std::string> SplitNative(const std::string& path) {
  std::vector<std::string> parts;
  std::size_t i = 0;
  while (i <= path.size()) {
    const std::size_t slash = path.find('/', i);
    const std::size_t end = slash == std::string::npos ? path.size() : slash;
    if (end > i) parts.push_back(path.substr(i, end - i));
    if (slash == std::string::npos) break;
    i = slash + 1;
  }
  return parts;
}

std::string LastName(const std::string& dir) {
  const std::size_t slash = dir.rfind('/');
  return slash == std::string::npos ? dir : dir.substr(slash + 1);
}

std::string RealPath(const std::string& path) {
  std::unique_ptr<char, decltype(&free)> real(realpath(path.c_str(), nullptr), &free);
  return real ? std::string(real.get()) : std::string();
}

bool IsNetworkType(const std::string& type) {
  return type == "cifs" || type == "smb3" || type == "smbfs";
}

}  // namespace

std::vector<MountEntry> ReadMounts(const std::string& table) {
  std::vector<MountEntry> mounts;
  FILE* file = setmntent(table.c_str(), "re");
  if (file == nullptr) return mounts;
  mntent entry{};
  char buffer[4096];
  while (getmntent_r(file, &entry, buffer, sizeof buffer) != nullptr) {
    mounts.push_back({entry.mnt_fsname, NormalNative(entry.mnt_dir), entry.mnt_type});
  }
  endmntent(file);
  return mounts;
}

bool ParseDriveMap(const std::string& map_text, std::vector<Drive>& drives, std::string& error) {
  std::vector<Drive> parsed;
  std::size_t i = 0;
  while (i < map_text.size()) {
    const std::size_t semi = map_text.find(';', i);
    const std::size_t end = semi == std::string::npos ? map_text.size() : semi;
    const std::string item = map_text.substr(i, end - i);
    i = end + 1;
    if (item.empty() && semi == std::string::npos) break;
    if (item.size() < 3 || item[1] != '=') {
      error = "\"" + item + "\" is not letter=folder";
      return false;
    }
    const char c = item[0];
    if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) {
      error = "\"" + item.substr(0, 1) + "\" is not a drive letter";
      return false;
    }
    const char letter = static_cast<char>(c >= 'a' ? c - 'a' + 'A' : c);
    const std::string folder = item.substr(2);
    if (folder.front() != '/') {
      error = "the folder of " + std::string(1, letter) + ": is not absolute";
      return false;
    }
    if (std::any_of(parsed.begin(), parsed.end(),
                    [&](const Drive& d) { return d.letter == letter; })) {
      error = std::string(1, letter) + ": is given twice";
      return false;
    }
    // The real path, when the folder exists, so that the paths the kernel
    // gives back (getcwd) fall under the same root.
    std::string root = RealPath(folder);
    if (root.empty()) root = NormalNative(folder);
    // The root file system has no last folder name: it is shown as "/".
    const std::string name = root == "/" ? "/" : LastName(root);
    parsed.push_back({letter, root, name, false});
  }
  if (parsed.empty()) {
    error = "no drive is given";
    return false;
  }
  std::sort(parsed.begin(), parsed.end(),
            [](const Drive& a, const Drive& b) { return a.letter < b.letter; });
  drives = std::move(parsed);
  return true;
}

std::optional<std::vector<Drive>> PinnedDrives(const char* map_text) {
  if (map_text == nullptr || *map_text == '\0') return std::nullopt;
  std::vector<Drive> drives;
  std::string error;
  if (ParseDriveMap(map_text, drives, error)) return drives;
  std::fprintf(stderr, "tarnivo: TARNIVO_DRIVES=\"%s\": %s; using the default drives\n", map_text,
               error.c_str());
  return std::nullopt;
}

bool IsDesktopMount(const std::string& dir) {
  for (const char* base : {"/media/", "/run/media/", "/mnt/"}) {
    const std::string prefix(base);
    if (dir.size() > prefix.size() && dir.compare(0, prefix.size(), prefix) == 0) return true;
  }
  return false;
}

std::vector<Drive> DefaultDrives(const std::vector<MountEntry>& mounts) {
  std::vector<Drive> drives;
  std::string root_label;
  for (const MountEntry& m : mounts) {
    if (m.dir == "/") root_label = VolumeLabel(m.source);
  }
  if (root_label.empty()) root_label = "/";
  drives.push_back({'C', "/", root_label, false});
  AddNewMounts(drives, mounts);
  return drives;
}

void AddNewMounts(std::vector<Drive>& drives, const std::vector<MountEntry>& mounts) {
  std::vector<const MountEntry*> fresh;
  for (const MountEntry& m : mounts) {
    if (!IsDesktopMount(m.dir)) continue;
    const bool known = std::any_of(drives.begin(), drives.end(),
                                   [&](const Drive& d) { return d.root == m.dir; }) ||
                       std::any_of(fresh.begin(), fresh.end(),
                                   [&](const MountEntry* f) { return f->dir == m.dir; });
    if (!known) fresh.push_back(&m);
  }
  std::sort(fresh.begin(), fresh.end(),
            [](const MountEntry* a, const MountEntry* b) { return a->dir < b->dir; });
  char letter = 'D';
  for (const MountEntry* m : fresh) {
    while (letter <= 'Z' && std::any_of(drives.begin(), drives.end(),
                                        [&](const Drive& d) { return d.letter == letter; })) {
      ++letter;
    }
    if (letter > 'Z') break;
    std::string label = VolumeLabel(m->source);
    if (label.empty()) label = LastName(m->dir);
    drives.push_back({letter, m->dir, label, true});
  }
  std::sort(drives.begin(), drives.end(),
            [](const Drive& a, const Drive& b) { return a.letter < b.letter; });
}

std::vector<ShareMount> NetworkShares(const std::vector<MountEntry>& mounts,
                                      const std::string& gvfs_dir) {
  std::vector<ShareMount> shares;
  for (const MountEntry& m : mounts) {
    if (!IsNetworkType(m.type)) continue;
    std::string source = m.source;
    std::replace(source.begin(), source.end(), '\\', '/');
    if (source.rfind("//", 0) != 0) continue;
    std::vector<std::string> unc = SplitNative(source.substr(2));
    if (unc.size() < 2) continue;
    shares.push_back({std::move(unc), m.dir});
  }
  if (DIR* dir = opendir(gvfs_dir.c_str())) {
    while (const dirent* e = readdir(dir)) {
      const std::string name = e->d_name;
      const std::string kind = "smb-share:";
      if (name.compare(0, kind.size(), kind) != 0) continue;
      std::string server;
      std::string share;
      std::size_t i = kind.size();
      while (i < name.size()) {
        const std::size_t comma = name.find(',', i);
        const std::size_t end = comma == std::string::npos ? name.size() : comma;
        const std::string item = name.substr(i, end - i);
        const std::size_t eq = item.find('=');
        if (eq != std::string::npos) {
          const std::string key = item.substr(0, eq);
          const std::string value = UnescapeHex(item.substr(eq + 1), "%");
          if (key == "server") server = value;
          if (key == "share") share = value;
        }
        i = end + 1;
      }
      if (!server.empty() && !share.empty()) {
        shares.push_back({{server, share}, NormalNative(gvfs_dir + "/" + name)});
      }
    }
    closedir(dir);
  }
  return shares;
}

std::string VolumeLabel(const std::string& device) {
  if (device.empty() || device.front() != '/') return {};
  const std::string real_device = RealPath(device);
  if (real_device.empty()) return {};
  const std::string by_label = "/dev/disk/by-label";
  std::string label;
  if (DIR* dir = opendir(by_label.c_str())) {
    while (const dirent* e = readdir(dir)) {
      const std::string name = e->d_name;
      if (name == "." || name == "..") continue;
      if (RealPath(by_label + "/" + name) == real_device) {
        label = UnescapeHex(name, "\\x");
        break;
      }
    }
    closedir(dir);
  }
  return label;
}

std::string NormalNative(const std::string& path) {
  std::vector<std::string> out;
  for (std::string& part : SplitNative(path)) {
    if (part == ".") continue;
    if (part == "..") {
      if (!out.empty()) out.pop_back();
      continue;
    }
    out.push_back(std::move(part));
  }
  std::string result;
  for (const std::string& part : out) result += "/" + part;
  return result.empty() ? "/" : result;
}

bool IsUnder(const std::string& path, const std::string& root) {
  if (root == "/") return !path.empty() && path.front() == '/';
  return path.size() >= root.size() && path.compare(0, root.size(), root) == 0 &&
         (path.size() == root.size() || path[root.size()] == '/');
}

}  // namespace tarnivo::posix
