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

[[noreturn]] void Fail(const std::string& what);
[[noreturn]] void Fail(const std::string& what, int err);  // what: strerror(err)

// Thrown for a network path whose share is not mounted: such a share does
// not exist, which SameFile tells apart from a drive that is not ready.
class ShareNotMounted : public PlatformError {
 public:
  using PlatformError::PlatformError;
};

// A control character (below 0x20, or 0x7F) anywhere in `text`.
bool HasControl(const std::string& text);

// "/" + name below the root, folder + "/" + name elsewhere.
std::string NativeChild(const std::string& folder, const std::string& name);

// The parts joined with `separator`, from part `from` on.
std::string Join(const std::vector<std::string>& parts, const std::string& separator,
                 std::size_t from = 0);

// Splits drive-form text into the folder part and the last name:
// "C:\a\b.txt" => {"C:\a", "b.txt"}, "C:x" => {"C:", "x"}, "x" => {"", "x"},
// "C:\x" => {"C:\", "x"}, "\\server\share" => {"\\server\share", ""}.
std::pair<std::string, std::string> SplitLast(const std::string& text);

// A drive-form path taken apart: its drive letter or its share, and the
// folders below the root with "." and ".." resolved as text.
struct DrivePath {
  bool network = false;
  char letter = 0;
  std::vector<std::string> unc;    // server, share
  std::vector<std::string> parts;  // below the root
};

// The entries of one folder. A name is looked for while the folder is read,
// keeping only what matches (and, for an alias, the few names numbered
// against it), so a folder of any size costs one pass and little memory;
// patterns read it whole, in name order.
class Listing {
 public:
  struct Entry {
    std::string name;    // in drive form (NameMap.h)
    unsigned char type;  // d_type
    std::string native;  // as on disk
  };

  explicit Listing(std::string folder) : folder_(std::move(folder)) {}

  const std::string& folder() const { return folder_; }

  // Every entry that can be written in drive form, in name order (the
  // folder's own order). Throws when the folder cannot be read.
  const std::vector<Entry>& All();

  // The alias of each entry of All(), "" where it needs none.
  const std::vector<std::string>& Aliases();

  // The entries that `name` names, by long name or alias, in name order;
  // only the entry named exactly so, letter case included, where there is
  // one. More than one: entries that differ only in letter case, none of
  // them spelled as `name`.
  //   {"Plain.txt", "plain.txt"}: "plain.txt" => {"plain.txt"},
  //                               "PLAIN.TXT" => {"Plain.txt", "plain.txt"}
  std::vector<Entry> Named(const std::string& name);

  struct Kind {
    bool exists = true;
    bool folder = false;
    bool regular = false;
  };

  // Links followed; a broken link is neither a file nor a folder.
  Kind KindOf(const Entry& e) const;

  // Attribute mask of a lookup: 2 hidden, 4 system, 16 folders; plain files
  // always match.
  bool PassesMask(const Entry& e, int attributes) const;

 private:
  // Calls `visit` with the drive-form name, the type and the name on disk of
  // every entry that can be written in drive form.
  template <typename Visit>
  void ForEach(Visit visit) const;
  // Name order is that of the drive-form names, the names aliases are made from.
  static bool ByName(const Entry& a, const Entry& b) { return a.name < b.name; }

  std::string folder_;
  bool loaded_ = false;
  std::vector<Entry> entries_;
  bool aliases_made_ = false;
  std::vector<std::string> aliases_;
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
// way from drive-form text to native folders and back.
struct Resolver {
  std::vector<Drive> drives;                     // letter order
  bool pinned = false;                           // the map was given: mounts add no drive
  std::map<char, std::vector<std::string>> cwd;  // per letter, as entered
  char current = 'C';

  const Drive* FindDrive(char letter) const;

  // A drive is ready when its folder can be listed and, for a volume found
  // in the mount table, it is still mounted there.
  static bool Ready(const Drive& d, const std::vector<MountEntry>& mounts);
  bool Ready(const Drive& d) const;

  // Where GVfs mounts the shares the desktop has opened.
  static std::string GvfsFolder();

  // Takes drive-form text apart. Wildcards, control characters and a share
  // without a name are malformed.
  DrivePath Parse(const std::string& text) const;

  std::vector<std::string> CwdOf(char letter) const;

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
};

}  // namespace tarnivo::posix
