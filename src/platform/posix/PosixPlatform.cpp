#include "platform/posix/PosixPlatform.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <string_view>
#include <utility>

#include "paths/Text.h"
#include "platform/posix/DriveMap.h"
#include "platform/posix/FileOps.h"
#include "platform/posix/NameMap.h"
#include "platform/posix/Names.h"

namespace tarnivo {
namespace {

using posix::Drive;
using posix::FoldKey;
using posix::Place;

[[noreturn]] void Fail(const std::string& what) { throw PlatformError(what); }
[[noreturn]] void Fail(const std::string& what, int err) {
  throw PlatformError(what + ": " + std::strerror(err));
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

char UpperLetter(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool HasControl(const std::string& text) {
  return std::any_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
}

bool IsAscii(const std::string& text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::string Join(const std::vector<std::string>& parts, const std::string& separator,
                 std::size_t from = 0) {
  std::string out;
  for (std::size_t i = from; i < parts.size(); ++i) {
    if (i > from) out += separator;
    out += parts[i];
  }
  return out;
}

std::string NativeChild(const std::string& folder, const std::string& name) {
  return folder == "/" ? "/" + name : folder + "/" + name;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string PercentDecode(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size()) {
      const int hi = HexValue(text[i + 1]);
      const int lo = HexValue(text[i + 2]);
      if (hi >= 0 && lo >= 0) {
        out.push_back(static_cast<char>(hi * 16 + lo));
        i += 2;
        continue;
      }
    }
    out.push_back(text[i]);
  }
  return out;
}

// A drive-form path taken apart: its drive letter or its share, and the
// folders below the root with "." and ".." resolved as text.
struct DrivePath {
  bool network = false;
  char letter = 0;
  std::vector<std::string> unc;    // server, share
  std::vector<std::string> parts;  // below the root
};

// Two names match when they are equal after case folding.
bool SameName(std::string_view entry, const std::string& wanted, const std::u32string& key,
              bool wanted_ascii) {
  const bool entry_ascii = std::all_of(entry.begin(), entry.end(), [](char c) {
    return static_cast<unsigned char>(c) < 0x80;
  });
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

// The entries of one folder. A plain name is looked for while the folder is
// read, keeping only what matches, so a folder of any size costs one pass
// and no memory; patterns and aliases read it whole, in name order.
class Listing {
 public:
  struct Entry {
    std::string name;  // in drive form
    unsigned char type;
    std::string native;  // as on disk
  };

  explicit Listing(std::string folder) : folder_(std::move(folder)) {}

  const std::string& folder() const { return folder_; }

  // Calls `visit` with the drive-form name, the type and the name on disk of
  // every entry that can be written in drive form (see NameMap.h). Throws
  // when the folder cannot be read.
  template <typename Visit>
  void ForEach(Visit visit) const {
    DIR* dir = opendir(folder_.c_str());
    if (dir == nullptr) Fail("list " + folder_, errno);
    for (;;) {
      errno = 0;
      const dirent* e = readdir(dir);
      if (e == nullptr) break;
      const char* n = e->d_name;
      if (n[0] == '.' && (n[1] == '\0' || (n[1] == '.' && n[2] == '\0'))) continue;
      const auto name = posix::DriveName(n);
      if (!name) continue;
      visit(*name, e->d_type, n);
    }
    const int err = errno;
    closedir(dir);
    if (err != 0) Fail("list " + folder_, err);
  }

  // Every entry, in name order (the folder's own order).
  const std::vector<Entry>& All() {
    if (!loaded_) {
      ForEach([&](const std::string& name, unsigned char type, const char* n) {
        entries_.push_back({name, type, n});
      });
      std::sort(entries_.begin(), entries_.end(), ByNativeName);
      loaded_ = true;
    }
    return entries_;
  }

  // The alias of each entry of All(), "" where it needs none.
  const std::vector<std::string>& Aliases() {
    if (!aliases_made_) {
      std::vector<std::string_view> names;
      names.reserve(All().size());
      for (const Entry& e : entries_) names.push_back(e.name);
      aliases_ = posix::MakeAliases(names);
      aliases_made_ = true;
    }
    return aliases_;
  }

  // The entries that `name` names, by long name or alias, in name order.
  std::vector<Entry> Named(const std::string& name) {
    std::vector<Entry> found;
    const std::u32string key = FoldKey(name);
    const bool ascii = IsAscii(name);
    if (name.find('~') == std::string::npos || !posix::IsLegal83(name)) {
      ForEach([&](const std::string& entry, unsigned char type, const char* n) {
        if (SameName(entry, name, key, ascii)) found.push_back({entry, type, n});
      });
    } else {
      // It may be an alias: the folder is read once, whole, for both.
      const std::vector<std::string>& aliases = Aliases();
      for (const Entry& e : entries_) {
        if (SameName(e.name, name, key, ascii)) found.push_back(e);
      }
      for (std::size_t i = 0; i < entries_.size() && found.empty(); ++i) {
        if (!aliases[i].empty() && SameName(aliases[i], name, key, ascii)) {
          found.push_back(entries_[i]);
        }
      }
    }
    std::sort(found.begin(), found.end(), ByNativeName);
    return found;
  }

  struct Kind {
    bool exists = true;
    bool folder = false;
    bool regular = false;
  };

  // Links followed; a broken link is neither a file nor a folder.
  Kind KindOf(const Entry& e) const {
    if (e.type == DT_DIR) return {true, true, false};
    if (e.type == DT_REG) return {true, false, true};
    struct stat st{};
    if (::stat(NativeChild(folder_, e.native).c_str(), &st) != 0) {
      struct stat link{};
      return {::lstat(NativeChild(folder_, e.native).c_str(), &link) == 0, false, false};
    }
    return {true, S_ISDIR(st.st_mode), S_ISREG(st.st_mode)};
  }

  // Attribute mask of a lookup: 2 hidden, 4 system, 16 folders; plain files
  // always match.
  bool PassesMask(const Entry& e, int attributes) const {
    const Kind kind = KindOf(e);
    if (!kind.exists) return false;
    const bool hidden = e.name.front() == '.';
    const bool system = !kind.folder && !kind.regular;
    if (hidden && (attributes & 2) == 0) return false;
    if (system && (attributes & 4) == 0) return false;
    if (kind.folder && (attributes & 16) == 0) return false;
    return true;
  }

 private:
  // Name order is the order of the names on disk.
  static bool ByNativeName(const Entry& a, const Entry& b) { return a.native < b.native; }

  std::string folder_;
  bool loaded_ = false;
  std::vector<Entry> entries_;
  bool aliases_made_ = false;
  std::vector<std::string> aliases_;
};

// Why a path does not lead to an entry.
enum class Miss { None, Missing, NotFolder, Ambiguous };

struct Walk {
  std::string native;  // as far as the walk came, in stored names
  Miss miss = Miss::None;
  std::size_t resolved = 0;  // parts walked
};

// Walks `parts` down from `native`, each part matched without regard to case
// or by its alias; stops at the first part that is missing, ambiguous or not
// a folder.
Walk WalkFolders(std::string native, const std::vector<std::string>& parts) {
  Walk walk{std::move(native), Miss::None, 0};
  for (const std::string& part : parts) {
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

[[noreturn]] void FailWalk(const Walk& walk, const std::string& path) {
  switch (walk.miss) {
    case Miss::Ambiguous: Fail(path + ": a name matches entries that differ only in letter case");
    case Miss::NotFolder: Fail(path, ENOTDIR);
    default: Fail(path, ENOENT);
  }
}

// A name that an operation may give a new entry.
void CheckNewName(const std::string& name, const std::string& path) {
  if (name.empty() || name == "." || name == ".." || HasControl(name) ||
      posix::HasWildcards(name)) {
    Fail("malformed name: " + path);
  }
  if (posix::LinuxName(name).size() > 255) Fail(path, ENAMETOOLONG);
}

// The entry that a path names for an operation that acts on it: its folder
// must exist and its name must name exactly one entry there.
struct Target {
  std::string folder;                 // native
  std::string given;                  // the last name as written, in drive form
  std::optional<std::string> stored;  // the entry's name on disk, when there is one
};

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

}  // namespace

struct PosixPlatform::State {
  std::vector<std::string> args;
  std::vector<Drive> drives;  // letter order
  bool pinned = false;
  std::map<char, std::vector<std::string>> cwd;  // per letter, as entered
  char current = 'C';

  const Drive* FindDrive(char letter) const {
    for (const Drive& d : drives) {
      if (d.letter == letter) return &d;
    }
    return nullptr;
  }

  // A drive is ready when its folder can be listed and, for a volume found
  // in the mount table, it is still mounted there.
  static bool Ready(const Drive& d, const std::vector<posix::MountEntry>& mounts) {
    if (d.from_mount && std::none_of(mounts.begin(), mounts.end(), [&](const posix::MountEntry& m) {
          return m.dir == d.root;
        })) {
      return false;
    }
    DIR* dir = opendir(d.root.c_str());
    if (dir == nullptr) return false;
    closedir(dir);
    return true;
  }

  bool Ready(const Drive& d) const {
    if (!d.from_mount) return Ready(d, {});
    return Ready(d, posix::ReadMounts());
  }

  // Where GVfs mounts the shares the desktop has opened.
  static std::string GvfsFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] == '/') return std::string(runtime) + "/gvfs";
    return "/run/user/" + std::to_string(::getuid()) + "/gvfs";
  }

  // The native folder of a drive-form root, and how many parts of `path`
  // it already covers (a share mounted at one of its folders).
  std::pair<std::string, std::size_t> Root(const DrivePath& path) const {
    if (!path.network) {
      const Drive* d = FindDrive(path.letter);
      if (d == nullptr) Fail(std::string(1, path.letter) + ": is not a drive");
      if (!Ready(*d)) Fail(std::string(1, path.letter) + ": is not ready");
      return {d->root, 0};
    }
    const auto shares = posix::NetworkShares(posix::ReadMounts(), GvfsFolder());
    std::vector<std::string> unc = path.unc;
    unc.insert(unc.end(), path.parts.begin(), path.parts.end());
    const posix::ShareMount* best = nullptr;
    for (const posix::ShareMount& s : shares) {
      if (s.unc.size() > unc.size()) continue;
      bool match = true;
      for (std::size_t i = 0; i < s.unc.size() && match; ++i) {
        match = FoldKey(s.unc[i]) == FoldKey(unc[i]);
      }
      if (match && (best == nullptr || s.unc.size() > best->unc.size())) best = &s;
    }
    if (best == nullptr) Fail("\\\\" + Join(path.unc, "\\") + " is not mounted");
    return {best->dir, best->unc.size() - 2};
  }

  // Takes drive-form text apart. Wildcards, control characters and a share
  // without a name are malformed.
  DrivePath Parse(const std::string& text) const {
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
      if (posix::HasWildcards(part)) Fail("malformed path: " + text);
    }
    return path;
  }

  std::vector<std::string> CwdOf(char letter) const {
    const auto it = cwd.find(letter);
    return it == cwd.end() ? std::vector<std::string>() : it->second;
  }

  static std::vector<std::string> Split(const std::string& text) {
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

  static std::vector<std::string> Normal(std::vector<std::string> base,
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

  // A folder that must exist: the native path in stored names.
  std::string Folder(const DrivePath& path, const std::string& text) const {
    const auto [root, covered] = Root(path);
    const std::vector<std::string> below(path.parts.begin() + static_cast<std::ptrdiff_t>(covered),
                                         path.parts.end());
    const Walk walk = WalkFolders(root, below);
    if (walk.miss != Miss::None) FailWalk(walk, text);
    return walk.native;
  }

  Target Locate(const std::string& text) const {
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

  // The drive-form text of a native path: the most specific drive or
  // mounted share that holds it; a drive wins over a share at one folder.
  // With `on_drive`, a drive that holds it wins over any share: a file or
  // folder reached through a drive (a command line, a lettered path) keeps
  // its letter, also inside a share's FUSE folder.
  std::optional<std::string> DriveForm(const std::string& native, bool on_drive = false) const {
    const std::string path = posix::NormalNative(native);
    const auto mounts = posix::ReadMounts();
    const Drive* best = nullptr;
    for (const Drive& d : drives) {
      if (!posix::IsUnder(path, d.root) || !Ready(d, mounts)) continue;
      if (best == nullptr || d.root.size() > best->root.size()) best = &d;
    }
    const posix::ShareMount* share = nullptr;
    const auto shares = posix::NetworkShares(mounts, GvfsFolder());
    for (const posix::ShareMount& s : shares) {
      if (!posix::IsUnder(path, s.dir)) continue;
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
      const auto name = posix::DriveName(std::string_view(rest).substr(i, end - i));
      if (!name) return std::nullopt;
      if (!below.empty()) below += '\\';
      below += *name;
      i = end + 1;
    }
    if (share != nullptr) return below.empty() ? root_text : root_text + "\\" + below;
    return root_text + "\\" + below;
  }
};

PosixPlatform::PosixPlatform(std::vector<std::string> args, DesktopUi* ui)
    : state_(std::make_unique<State>()), ui_(ui) {
  state_->args = std::move(args);
  const char* map_text = std::getenv("TARNIVO_DRIVES");
  if (map_text != nullptr && *map_text != '\0') {
    std::string error;
    if (posix::ParseDriveMap(map_text, state_->drives, error)) {
      state_->pinned = true;
    } else {
      std::fprintf(stderr, "tarnivo: TARNIVO_DRIVES=\"%s\": %s; using the default drives\n", map_text,
                   error.c_str());
    }
  }
  if (!state_->pinned) state_->drives = posix::DefaultDrives(posix::ReadMounts());

  // The current drive and its folder are where the process was started.
  char buffer[PATH_MAX];
  std::optional<std::string> here;
  if (::getcwd(buffer, sizeof buffer) != nullptr) here = state_->DriveForm(buffer, true);
  if (here && here->size() >= 2 && here->at(1) == ':') {
    state_->current = here->at(0);
    state_->cwd[state_->current] = State::Normal({}, State::Split(here->substr(2)));
  } else if (!state_->drives.empty()) {
    // Started outside every drive: the first drive's root is current, and
    // the process goes there when it can (a drive that is not ready says so
    // at its first use).
    state_->current = state_->drives.front().letter;
    if (::chdir(state_->drives.front().root.c_str()) != 0) state_->cwd[state_->current].clear();
  }
}

PosixPlatform::PosixPlatform(int argc, char** argv, DesktopUi* ui)
    : PosixPlatform(argc > 1 ? std::vector<std::string>(argv + 1, argv + argc)
                             : std::vector<std::string>(),
                    ui) {}

PosixPlatform::~PosixPlatform() = default;

void PosixPlatform::SetUi(DesktopUi* ui) { ui_ = ui; }

std::string PosixPlatform::ToNativePath(const std::string& drive_form) {
  const DrivePath path = state_->Parse(drive_form);
  const auto [root, covered] = state_->Root(path);
  const std::vector<std::string> below(path.parts.begin() + static_cast<std::ptrdiff_t>(covered),
                                       path.parts.end());
  Walk walk = WalkFolders(root, below);
  if (walk.miss == Miss::Ambiguous) FailWalk(walk, drive_form);
  std::string native = walk.native;
  std::size_t i = walk.resolved;
  if (walk.miss == Miss::NotFolder && i < below.size()) {
    // The last part may be a file: give it its stored name too.
    Listing listing(native);
    const auto found = listing.Named(below[i]);
    if (found.size() == 1) native = NativeChild(native, found.front().native);
    ++i;
    if (i < below.size()) Fail(drive_form, ENOTDIR);
  }
  for (; i < below.size(); ++i) native = NativeChild(native, posix::LinuxName(below[i]));
  return native;
}

std::string PosixPlatform::ToDriveForm(const std::string& native) {
  std::string absolute = native;
  if (absolute.empty() || absolute.front() != '/') {
    char buffer[PATH_MAX];
    if (::getcwd(buffer, sizeof buffer) == nullptr) Fail("getcwd", errno);
    absolute = std::string(buffer) + "/" + absolute;
  }
  const auto text = state_->DriveForm(absolute);
  if (!text) Fail("no drive holds " + native);
  return *text;
}

std::string PosixPlatform::CommandLine() {
  std::string line;
  for (const std::string& arg : state_->args) {
    std::string text = arg;
    std::string native;
    if (text.rfind("file://", 0) == 0) {
      // A desktop launcher may hand over a URI; only local ones are paths.
      const std::size_t slash = text.find('/', 7);
      if (slash != std::string::npos && (slash == 7 || text.compare(7, slash - 7, "localhost") == 0)) {
        native = PercentDecode(text.substr(slash));
      }
    } else if (!text.empty() && text.front() == '/') {
      native = text;
    } else if (!text.empty() && text.front() != '-' && ::access(text.c_str(), F_OK) == 0) {
      native = text;  // relative to where the program was started
    }
    if (!native.empty()) {
      // The folder's real path, so that the letter is that of the file
      // system holding it; the name itself stays as given.
      std::string absolute = native;
      char buffer[PATH_MAX];
      if (native.front() != '/' && ::getcwd(buffer, sizeof buffer) != nullptr) {
        absolute = std::string(buffer) + "/" + native;
      }
      absolute = posix::NormalNative(absolute);
      const std::size_t slash = absolute.rfind('/');
      std::string folder = slash == 0 ? "/" : absolute.substr(0, slash);
      if (char* real = ::realpath(folder.c_str(), nullptr)) {
        folder = real;
        std::free(real);
      }
      const std::string name = absolute.substr(slash + 1);
      const auto form = state_->DriveForm(name.empty() ? folder : NativeChild(folder, name), true);
      if (form) text = *form;
    }
    if (text.find(' ') != std::string::npos) text = "\"" + text + "\"";
    if (!line.empty()) line += ' ';
    line += text;
  }
  return line;
}

void PosixPlatform::ChangeDrive(const std::string& drive) {
  if (drive.empty() || !IsAsciiLetter(drive[0])) Fail("not a drive: " + drive);
  const char letter = UpperLetter(drive[0]);
  const Drive* d = state_->FindDrive(letter);
  if (d == nullptr) Fail(drive + " is not a drive");
  if (!state_->Ready(*d)) Fail(drive + " is not ready");
  DrivePath path;
  path.letter = letter;
  path.parts = state_->CwdOf(letter);
  std::string native;
  try {
    native = state_->Folder(path, drive);
  } catch (const PlatformError&) {
    // Its folder has gone since: the drive is entered at its root.
    state_->cwd[letter].clear();
    native = d->root;
  }
  if (::chdir(native.c_str()) != 0) Fail("chdir " + native, errno);
  state_->current = letter;
}

void PosixPlatform::ChangeDirectory(const std::string& path) {
  if (path.empty()) Fail("malformed path: empty");
  const DrivePath parsed = state_->Parse(path);
  if (parsed.network) Fail("a working directory is on a drive: " + path);
  const std::string native = state_->Folder(parsed, path);
  if (parsed.letter == state_->current && ::chdir(native.c_str()) != 0) {
    Fail("chdir " + native, errno);
  }
  state_->cwd[parsed.letter] = parsed.parts;
}

std::string PosixPlatform::CurrentDirectory() {
  return std::string(1, state_->current) + ":\\" + Join(state_->CwdOf(state_->current), "\\");
}

std::string PosixPlatform::DirectoryLookup(const std::string& name, int attributes) {
  const auto [folder_text, last] = SplitLast(name);
  if (HasControl(last)) Fail("malformed name: " + name);
  const DrivePath folder = state_->Parse(folder_text);
  const auto [root, covered] = state_->Root(folder);
  const std::vector<std::string> below(folder.parts.begin() + static_cast<std::ptrdiff_t>(covered),
                                       folder.parts.end());
  const Walk walk = WalkFolders(root, below);
  if (walk.miss != Miss::None || last.empty()) return {};
  if (last == "." || last == "..") {
    return (attributes & 16) != 0 && !below.empty() ? last : std::string();
  }
  Listing listing(walk.native);
  // A name that holds '*' or '?' may still be an entry's own name on Linux;
  // the entry it names comes before any pattern match.
  for (const auto& e : listing.Named(last)) {
    if (listing.PassesMask(e, attributes)) return e.name;
  }
  if (!posix::HasWildcards(last)) return {};
  const auto& entries = listing.All();
  const std::vector<std::string>& aliases = listing.Aliases();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const bool match = posix::MatchesPattern(last, entries[i].name) ||
                       (!aliases[i].empty() && posix::MatchesPattern(last, aliases[i]));
    if (match && listing.PassesMask(entries[i], attributes)) return entries[i].name;
  }
  return {};
}


void PosixPlatform::CopyFile(const std::string& source, const std::string& destination) {
  const Target from = state_->Locate(source);
  if (!from.stored) Fail(source, ENOENT);
  const Target to = state_->Locate(destination);
  if (!to.stored) CheckNewName(to.given, destination);
  const Place dest{to.folder, to.stored ? *to.stored : posix::LinuxName(to.given)};
  DesktopUi* ui = ui_;
  posix::CopyRegularFile({from.folder, *from.stored}, dest, true,
                         [ui](std::uint64_t done, std::uint64_t total) {
                           if (ui != nullptr) ui->CopyProgress(done, total);
                         });
}

void PosixPlatform::DeleteFile(const std::string& path) {
  const Target target = state_->Locate(path);
  if (!target.stored) Fail(path, ENOENT);
  posix::DeleteRegularFile({target.folder, *target.stored});
}

void PosixPlatform::RenameFile(const std::string& source, const std::string& destination) {
  const Target from = state_->Locate(source);
  if (!from.stored) Fail(source, ENOENT);
  const Target to = state_->Locate(destination);
  bool case_only = false;
  if (to.stored) {
    struct stat a{};
    struct stat b{};
    const bool same_folder = ::stat(from.folder.c_str(), &a) == 0 &&
                             ::stat(to.folder.c_str(), &b) == 0 && a.st_dev == b.st_dev &&
                             a.st_ino == b.st_ino;
    if (!same_folder || *to.stored != *from.stored) Fail(destination, EEXIST);
    // The destination names the source itself: by its own name or alias
    // nothing changes; in another letter case the name is re-cased.
    const std::string given = posix::LinuxName(to.given);
    if (given == *from.stored || FoldKey(given) != FoldKey(*from.stored)) return;
    case_only = true;
  }
  CheckNewName(to.given, destination);
  DesktopUi* ui = ui_;
  posix::RenameEntry({from.folder, *from.stored}, {to.folder, posix::LinuxName(to.given)}, case_only,
                     [ui](std::uint64_t done, std::uint64_t total) {
                       if (ui != nullptr) ui->CopyProgress(done, total);
                     });
}

MessageBoxResult PosixPlatform::ShowMessage(const std::string& text, MessageBoxStyle style) {
  if (ui_ == nullptr) Fail("no desktop to show a message on");
  return ui_->ShowMessage(text, style);
}

void PosixPlatform::ShowHelp(WindowHandle owner, const std::string& file, int command, int data) {
  if (ui_ == nullptr) Fail("no desktop to show help on");
  ui_->ShowHelp(owner, file, command, data);
}

int PosixPlatform::MeasureTextWidth(const std::string& text) {
  if (ui_ == nullptr) Fail("no desktop to measure text on");
  return ui_->MeasureTextWidth(text);
}

void PosixPlatform::Terminate() {
  // Nothing is left to write: a copy is on the device before CopyFile
  // returns. Exit handlers and static destructors of the toolkit are not
  // run, so nothing can hold the end up or run another step of the dialog.
  std::fflush(stdout);
  std::fflush(stderr);
  std::_Exit(0);
}

std::vector<DriveInfo> PosixPlatform::DriveList() {
  if (!state_->pinned) posix::AddNewMounts(state_->drives, posix::ReadMounts());
  std::vector<DriveInfo> list;
  for (const Drive& d : state_->drives) list.push_back({d.letter, d.label});
  return list;
}

std::string PosixPlatform::OpenFolder(const std::string& folder) {
  if (folder.empty()) Fail("malformed path: empty");
  std::string text = folder;
  if (text.rfind("smb://", 0) == 0) {
    text = PercentDecode(text.substr(6));
    std::replace(text.begin(), text.end(), '/', '\\');
    text = "\\\\" + text;
  } else if (text.rfind("file://", 0) == 0) {
    text = PercentDecode(text.substr(7));
    if (text.empty() || text.front() != '/') Fail("not a local folder: " + folder);
  }
  if (text.front() == '/' && (text.size() == 1 || text[1] != '/')) {
    // An absolute Linux path typed into the network box.
    if (HasControl(text)) Fail("malformed path: " + folder);
    const auto form = state_->DriveForm(text);
    if (!form) Fail("no drive holds " + folder);
    text = *form;
  }
  if (text.size() == 2 && text[1] == ':') text += '\\';
  const DrivePath path = state_->Parse(text);
  const std::string native = state_->Folder(path, folder);
  DIR* dir = opendir(native.c_str());
  if (dir == nullptr) Fail("list " + native, errno);
  closedir(dir);
  // A folder reached through a share reads back as the share; one reached
  // through a drive keeps its letter.
  const auto form = state_->DriveForm(native, !path.network);
  if (!form) Fail("no drive holds " + native);
  return *form;
}

std::vector<std::string> PosixPlatform::SubFolders(const std::string& folder) {
  const std::string native = ToNativePath(OpenFolder(folder));
  Listing listing(native);
  std::vector<std::string> names;
  for (const auto& e : listing.All()) {
    if (e.name.front() == '.' || HasControl(e.name)) continue;
    if (listing.KindOf(e).folder) names.push_back(e.name);
  }
  return names;
}

bool PosixPlatform::SameFile(const std::string& a, const std::string& b) {
  // The device and inode of the file a path names; none when the path cannot
  // lead to a file. A drive that is not ready or an ambiguous name leaves
  // the answer open and throws.
  auto identity = [&](const std::string& text) -> std::optional<std::pair<dev_t, ino_t>> {
    const auto [folder_text, last] = SplitLast(text);
    if (HasControl(last)) return std::nullopt;
    DrivePath path;
    try {
      path = state_->Parse(folder_text);
    } catch (const PlatformError&) {
      return std::nullopt;
    }
    if (!path.network && state_->FindDrive(path.letter) == nullptr) return std::nullopt;
    std::pair<std::string, std::size_t> root;
    try {
      root = state_->Root(path);
    } catch (const PlatformError&) {
      if (!path.network) throw;
      return std::nullopt;  // a share that is not mounted does not exist
    }
    const std::vector<std::string> below(
        path.parts.begin() + static_cast<std::ptrdiff_t>(root.second), path.parts.end());
    const Walk walk = WalkFolders(root.first, below);
    if (walk.miss == Miss::Ambiguous) FailWalk(walk, text);
    if (walk.miss != Miss::None) return std::nullopt;
    std::string native = walk.native;
    if (!last.empty() && last != "." && last != "..") {
      Listing listing(native);
      const auto found = listing.Named(last);
      if (found.empty()) return std::nullopt;
      if (found.size() > 1) Fail(text + ": a name matches entries that differ only in letter case");
      native = NativeChild(native, found.front().native);
    } else if (!last.empty()) {
      return std::nullopt;
    }
    struct stat st{};
    if (::stat(native.c_str(), &st) != 0) return std::nullopt;
    return std::make_pair(st.st_dev, st.st_ino);
  };
  const auto x = identity(a);
  if (!x) return false;
  const auto y = identity(b);
  return y && *x == *y;
}

}  // namespace tarnivo
