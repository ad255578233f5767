#include "platform/posix/PosixFileSystem.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <utility>

#include "platform/posix/DriveMap.h"
#include "platform/posix/FileOps.h"
#include "platform/posix/Listing.h"
#include "platform/posix/NameMap.h"
#include "platform/posix/Names.h"
#include "platform/posix/PosixUtil.h"
#include "platform/posix/Resolver.h"
#include "text/Text.h"

namespace tarnivo {
namespace {

using posix::Drive;
using posix::DrivePath;
using posix::Fail;
using posix::FailWalk;
using posix::FoldKey;
using posix::HasControl;
using posix::Join;
using posix::Listing;
using posix::Miss;
using posix::NativeChild;
using posix::Place;
using posix::SplitLast;
using posix::Target;
using posix::Walk;

// The copy's progress as told to `progress`; a copy nobody watches runs to
// its end.
posix::Progress Progress(const posix::Progress& progress) {
  if (progress) return progress;
  return [](std::uint64_t, std::uint64_t) { return true; };
}

// A name that an operation may give a new entry.
void CheckNewName(const std::string& name, const std::string& path) {
  if (name.empty() || name == "." || name == ".." || HasControl(name) ||
      posix::HasWildcards(name)) {
    Fail("malformed name: " + path);
  }
  if (posix::LinuxName(name).size() > 255) Fail(path, ENAMETOOLONG);
}

}  // namespace

PosixFileSystem::PosixFileSystem(std::optional<std::vector<posix::Drive>> pinned)
    : resolver_(std::make_unique<posix::Resolver>(std::move(pinned))) {}

PosixFileSystem::~PosixFileSystem() = default;

std::string PosixFileSystem::ToNativePath(const std::string& drive_form) {
  const Walk walk = resolver_->Resolve(resolver_->Parse(drive_form));
  if (walk.miss == Miss::Ambiguous) FailWalk(walk, drive_form);
  const std::vector<std::string>& below = walk.below;
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

std::string PosixFileSystem::ToDriveForm(const std::string& native) {
  std::string absolute = native;
  if (absolute.empty() || absolute.front() != '/') {
    char buffer[PATH_MAX];
    if (::getcwd(buffer, sizeof buffer) == nullptr) Fail("getcwd", errno);
    absolute = std::string(buffer) + "/" + absolute;
  }
  const auto text = resolver_->DriveForm(absolute);
  if (!text) Fail("no drive holds " + native);
  return *text;
}

std::string PosixFileSystem::CommandLineOf(const std::vector<std::string>& args) {
  std::string line;
  for (const std::string& arg : args) {
    std::string text = arg;
    std::string native;
    if (text.rfind("file://", 0) == 0) {
      // A desktop launcher may hand over a URI; only local ones are paths.
      const std::size_t slash = text.find('/', 7);
      if (slash != std::string::npos &&
          (slash == 7 || text.compare(7, slash - 7, "localhost") == 0)) {
        native = UnescapeHex(text.substr(slash), "%");
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
      const auto form =
          resolver_->DriveForm(name.empty() ? folder : NativeChild(folder, name), true);
      if (form) text = *form;
    }
    if (text.find(' ') != std::string::npos) text = "\"" + text + "\"";
    if (!line.empty()) line += ' ';
    line += text;
  }
  return line;
}

void PosixFileSystem::ChangeDrive(const std::string& drive) {
  if (drive.empty() || !IsAsciiLetter(drive[0])) Fail("not a drive: " + drive);
  resolver_->EnterDrive(UpperLetter(drive[0]));
}

void PosixFileSystem::ChangeDirectory(const std::string& path) {
  if (path.empty()) Fail("malformed path: empty");
  resolver_->EnterFolder(resolver_->Parse(path), path);
}

std::string PosixFileSystem::CurrentDirectory() {
  return std::string(1, resolver_->Current()) + ":\\" +
         Join(resolver_->CwdOf(resolver_->Current()), "\\");
}

std::string PosixFileSystem::DirectoryLookup(const std::string& name, int attributes) {
  const auto [folder_text, last] = SplitLast(name);
  if (HasControl(last)) Fail("malformed name: " + name);
  const Walk walk = resolver_->Resolve(resolver_->Parse(folder_text));
  // "." and ".." name the folder itself or its parent, never an entry of it.
  if (walk.miss != Miss::None || last.empty() || last == "." || last == "..") return {};
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

CopyOutcome PosixFileSystem::CopyFile(const std::string& source, const std::string& destination) {
  const Target from = resolver_->Locate(source);
  if (!from.stored) Fail(source, ENOENT);
  const Target to = resolver_->Locate(destination);
  if (!to.stored) CheckNewName(to.given, destination);
  const Place dest{to.folder, to.stored ? *to.stored : posix::LinuxName(to.given)};
  return posix::CopyRegularFile({from.folder, *from.stored}, dest, true, Progress(progress_));
}

void PosixFileSystem::DeleteFile(const std::string& path) {
  const Target target = resolver_->Locate(path);
  if (!target.stored) Fail(path, ENOENT);
  posix::DeleteRegularFile({target.folder, *target.stored});
}

CopyOutcome PosixFileSystem::RenameFile(const std::string& source, const std::string& destination,
                                        Existing existing) {
  const Target from = resolver_->Locate(source);
  if (!from.stored) Fail(source, ENOENT);
  const Target to = resolver_->Locate(destination);
  bool case_only = false;
  if (to.stored) {
    struct stat a {};
    struct stat b {};
    const bool same_folder = ::stat(from.folder.c_str(), &a) == 0 &&
                             ::stat(to.folder.c_str(), &b) == 0 && a.st_dev == b.st_dev &&
                             a.st_ino == b.st_ino;
    const bool itself = same_folder && *to.stored == *from.stored;
    if (!itself && existing == Existing::Replace) {
      // The old file gives way to the source under its stored name.
      return posix::RenameEntry({from.folder, *from.stored}, {to.folder, *to.stored}, false,
                                Progress(progress_), true);
    }
    if (!itself) Fail(destination, EEXIST);
    // The destination names the source itself: by its own name or alias
    // nothing changes; in another letter case the name is re-cased.
    const std::string given = posix::LinuxName(to.given);
    if (given == *from.stored || FoldKey(given) != FoldKey(*from.stored)) {
      return CopyOutcome::Done;
    }
    case_only = true;
  }
  CheckNewName(to.given, destination);
  return posix::RenameEntry({from.folder, *from.stored}, {to.folder, posix::LinuxName(to.given)},
                            case_only, Progress(progress_), false);
}

std::vector<DriveInfo> PosixFileSystem::DriveList() {
  std::vector<DriveInfo> list;
  for (const Drive& d : resolver_->Drives()) list.push_back({d.letter, d.label});
  return list;
}

std::string PosixFileSystem::OpenFolder(const std::string& folder) {
  if (folder.empty()) Fail("malformed path: empty");
  std::string text = folder;
  if (text.rfind("smb://", 0) == 0) {
    text = UnescapeHex(text.substr(6), "%");
    std::replace(text.begin(), text.end(), '/', '\\');
    text = "\\\\" + text;
  } else if (text.rfind("file://", 0) == 0) {
    text = UnescapeHex(text.substr(7), "%");
    if (text.empty() || text.front() != '/') Fail("not a local folder: " + folder);
  }
  if (text.front() == '/' && (text.size() == 1 || text[1] != '/')) {
    // An absolute Linux path typed into the network box.
    if (HasControl(text)) Fail("malformed path: " + folder);
    const auto form = resolver_->DriveForm(text);
    if (!form) Fail("no drive holds " + folder);
    text = *form;
  }
  const DrivePath path = resolver_->Parse(text);
  const std::string native = resolver_->Folder(path, folder);
  DIR* dir = opendir(native.c_str());
  if (dir == nullptr) Fail("list " + native, errno);
  closedir(dir);
  // A folder reached through a share reads back as the share; one reached
  // through a drive keeps its letter.
  const auto form = resolver_->DriveForm(native, !path.network);
  if (!form) Fail("no drive holds " + native);
  return *form;
}

std::vector<std::string> PosixFileSystem::SubFolders(const std::string& folder) {
  return Listing(ToNativePath(OpenFolder(folder))).Folders();
}

bool PosixFileSystem::SameFile(const std::string& a, const std::string& b) {
  // The device and inode of the file a path names; none when the path cannot
  // lead to a file. A drive that is not ready or an ambiguous name leaves
  // the answer open and throws.
  auto identity = [&](const std::string& text) -> std::optional<std::pair<dev_t, ino_t>> {
    const auto [folder_text, last] = SplitLast(text);
    if (HasControl(last)) return std::nullopt;
    DrivePath path;
    try {
      path = resolver_->Parse(folder_text);
    } catch (const PlatformError&) {
      return std::nullopt;
    }
    if (!path.network && resolver_->FindDrive(path.letter) == nullptr) return std::nullopt;
    Walk walk;
    try {
      walk = resolver_->Resolve(path);
    } catch (const posix::ShareNotMounted&) {
      return std::nullopt;  // a share that is not mounted does not exist
    }
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
    struct stat st {};
    if (::stat(native.c_str(), &st) != 0) return std::nullopt;
    return std::make_pair(st.st_dev, st.st_ino);
  };
  const auto x = identity(a);
  if (!x) return false;
  const auto y = identity(b);
  return y && *x == *y;
}

}  // namespace tarnivo
