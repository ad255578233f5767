// Where a drive-form path leads on the Linux file system: the drive table,
// each drive's working directory, and the one walk from a drive's (or a
// mounted share's) folder down to an entry, each name matched exactly, else
// without regard to letter case or by its 8.3 alias.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/posix/DriveMap.h"

namespace tarnivo::posix {

// Thrown for a network path whose share is not mounted: such a share does
// not exist, which SameFile tells apart from a drive that is not ready.
class ShareNotMounted : public PlatformError {
 public:
  using PlatformError::PlatformError;
};

// A drive-form path taken apart: its drive letter or its share, and the
// folders below the root with "." and ".." resolved as text.
struct DrivePath {
  bool network = false;
  char letter = 0;
  std::vector<std::string> unc;    // server, share
  std::vector<std::string> parts;  // below the root
};

// Why a path does not lead to an entry.
enum class Miss { None, Missing, NotFolder, Ambiguous };

// How far the folders of a path lead.
struct Walk {
  std::string native;  // as far as the walk came, in stored names
  Miss miss = Miss::None;
  std::size_t resolved = 0;        // parts of `below` walked
  std::vector<std::string> below;  // the parts below the native root
};

// Throws the failure that `walk` ends in, naming `path`.
[[noreturn]] void FailWalk(const Walk& walk, const std::string& path);

// The entry that a path names for an operation that acts on it: its folder
// must exist and its name must name exactly one entry there.
struct Target {
  std::string folder;                 // native
  std::string given;                  // the last name as written, in drive form
  std::optional<std::string> stored;  // the entry's name on disk, when there is one
};

// The drives, the current one and each drive's working directory, and the
// way from drive-form text to native folders and back. Only the resolver
// changes its drives and working directories.
class Resolver {
 public:
  // `pinned`: the drives to use, in letter order; without it the drives come
  // from the mount table. The current drive and its working directory are
  // where the process runs; a process outside every drive goes to the first
  // drive's root (a drive that is not ready says so at its first use).
  explicit Resolver(std::optional<std::vector<Drive>> pinned);

  // The drives in letter order. Unless they were pinned, volumes mounted
  // since the last call get free letters; a letter never changes.
  const std::vector<Drive>& Drives();
  const Drive* FindDrive(char letter) const;

  // A drive is ready when its folder can be listed and, for a volume found
  // in the mount table, it is still mounted there.
  static bool Ready(const Drive& d, const std::vector<MountEntry>& mounts);
  bool Ready(const Drive& d) const;

  // Where GVfs mounts the shares the desktop has opened.
  static std::string GvfsFolder();

  char Current() const { return current_; }
  // The parts of a drive's working directory, as they were entered.
  std::vector<std::string> CwdOf(char letter) const;

  // Makes a ready drive current, in its working directory (its root where
  // that folder has gone). Throws when `letter` is no drive or not ready.
  void EnterDrive(char letter);
  // Makes `path` (a folder on a drive) its drive's working directory, and
  // the process's where that drive is current. `text` names it in failures.
  void EnterFolder(const DrivePath& path, const std::string& text);

  // Takes drive-form text apart. Wildcards, control characters and a share
  // without a name are malformed.
  DrivePath Parse(const std::string& text) const;

  // "a\b/c" => {"a", "b", "c"}; "" => {""}.
  static std::vector<std::string> Split(const std::string& text);

  // `parts` appended to `base`, "." and empty parts dropped, ".." taking one
  // back (never above the root).
  static std::vector<std::string> Normal(std::vector<std::string> base,
                                         const std::vector<std::string>& parts);

  // Walks the folders of `path` down from its root: the drive's folder, or
  // that of the most specific mount of its share. Throws when the drive is
  // not mapped or not ready, ShareNotMounted when no mount holds the share,
  // and when a folder cannot be read; a part that is missing, ambiguous or
  // not a folder ends the walk.
  Walk Resolve(const DrivePath& path) const;

  // A folder that must exist: the native path in stored names.
  std::string Folder(const DrivePath& path, const std::string& text) const;

  Target Locate(const std::string& text) const;

  // The drive-form text of a native path: the most specific drive or
  // mounted share that holds it; a drive wins over a share at one folder.
  // With `on_drive`, a drive that holds it wins over any share: a file or
  // folder reached through a drive (a command line, a lettered path) keeps
  // its letter, also inside a share's FUSE folder. Each name is given in
  // drive form; none when a name has none.
  std::optional<std::string> DriveForm(const std::string& native, bool on_drive = false) const;

 private:
  // The native folder of a drive-form root, and how many parts of `path`
  // it already covers (a share mounted at one of its folders).
  std::pair<std::string, std::size_t> Root(const DrivePath& path) const;

  std::vector<Drive> drives_;                     // letter order
  bool pinned_ = false;                           // the map was given: mounts add no drive
  std::map<char, std::vector<std::string>> cwd_;  // per letter, as entered
  char current_ = 'C';
};

}  // namespace tarnivo::posix
