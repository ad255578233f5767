// The file system over POSIX (Linux): drive-form paths mapped onto the Linux
// file system, with Windows' file semantics wherever Linux differs.
//
// Drives. C: is "/"; further letters, from D: in mount-point order, are the
// volumes a desktop user sees (mounts under /media, /run/media and /mnt). A
// pinned map (main reads it from TARNIVO_DRIVES, "C=/;D=/media/usb;E=/srv/share")
// takes their place. A path is presented with the letter of the
// most specific drive that holds it. Letters never change while the program
// runs; a volume mounted later gets a free letter, a removed one is not ready.
//
// Network folders. "\\server\share\dir" reaches a share that is mounted: a
// cifs/smb3 entry of the mount table whose source is //server/share, or a
// GVfs mount $XDG_RUNTIME_DIR/gvfs/smb-share:server=...,share=... . A share
// that is not mounted does not exist. The FUSE folder of a GVfs share is
// also a drive path like any other (what the file manager passes on a command
// line), and a folder reached through a drive keeps its letter.
//
// Names. Each of \ : * ? " < > | in a Linux name stands in drive form as
// U+F000 plus its code (NameMap.h); a name that holds one of those eight
// private-use characters itself is not shown. Matching ignores letter case
// (simple case folding) and accepts the 8.3 alias of each entry whose name is
// not a legal 8.3 name; the aliases of a folder are generated in name order,
// so they are the same on every run.
// Hidden: a name that starts with '.'. System: neither a regular file nor a
// folder. Read-only: no write permission for the owner. The folder's own
// order is name order. Of entries that differ only in letter case, a name
// spelled exactly as one names that one; a name that matches them only
// without regard to case is ambiguous: a lookup returns the first, but an
// operation that acts on the entry (copy, delete, rename, entering a folder)
// fails.
//
// Operations that act on a file never lose data: CopyFile writes a temporary
// file beside the destination and publishes it in one atomic rename after the
// data and the folder entry are on the device; RenameFile replaces an
// existing file only when asked to, and then the old file stays whole until
// the new one takes its place. Both leave no temporary file behind when they
// fail.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/posix/DriveMap.h"
#include "platform/posix/FileOps.h"

namespace tarnivo::posix {
class Resolver;
}

namespace tarnivo {

class PosixFileSystem final : public FileSystem {
 public:
  // `pinned`: the drives to use, in letter order (see posix::PinnedDrives);
  // without it the drives come from the mount table, and volumes mounted
  // later get free letters. The current drive and its working directory come
  // from the process's working directory.
  explicit PosixFileSystem(std::optional<std::vector<posix::Drive>> pinned = std::nullopt);
  ~PosixFileSystem() override;

  PosixFileSystem(const PosixFileSystem&) = delete;
  PosixFileSystem& operator=(const PosixFileSystem&) = delete;

  // Told the progress of each copy, which it may stop (see posix::Progress);
  // none by default.
  void SetCopyProgress(posix::Progress progress) { progress_ = std::move(progress); }

  // The program's arguments (argv[1] onward) as the command line the logic
  // reads: absolute paths, existing relative paths and local file:// URIs in
  // drive form, in double quotes when they hold a space; anything else as
  // given. Arguments are joined by one space.
  //   {"/home/ann/x.doc"} => "C:\home\ann\x.doc"
  std::string CommandLineOf(const std::vector<std::string>& args);

  // Drive form => native path. Each component that exists is given in its
  // stored form (letter case and aliases resolved); the rest are appended as
  // written. Relative paths count from the working directory.
  //   "C:\HOME\ANN\MYDOCU~1" => "/home/ann/My Documents"
  //   "\\nas\backup\x"       => "/mnt/nas-backup/x"   (share mounted there)
  // Throws when the drive is not mapped or not ready, the share is not
  // mounted, a component is ambiguous, or the path is malformed.
  std::string ToNativePath(const std::string& drive_form);

  // Native path => drive form, with the letter of the most specific drive
  // (or the share of the most specific network mount) that holds it. A
  // relative path counts from the process's working directory; "." and ".."
  // are resolved as text. Throws when no drive holds it or a name cannot be
  // written in drive form (it holds a backslash).
  //   "/home/ann/x.doc" => "C:\home\ann\x.doc"   "/media/usb" => "D:\"
  std::string ToDriveForm(const std::string& native);

  // FileSystem.
  void ChangeDrive(const std::string& drive) override;
  void ChangeDirectory(const std::string& path) override;
  std::string CurrentDirectory() override;
  std::string DirectoryLookup(const std::string& name, int attributes) override;
  CopyOutcome CopyFile(const std::string& source, const std::string& destination) override;
  void DeleteFile(const std::string& path) override;
  CopyOutcome RenameFile(const std::string& source, const std::string& destination,
                         Existing existing) override;
  std::vector<DriveInfo> DriveList() override;
  // Also accepts an absolute Linux path ("/mnt/nas/backup") and an smb URL
  // ("smb://nas/backup/dir"); the result is always in drive form.
  std::string OpenFolder(const std::string& folder) override;
  std::vector<std::string> SubFolders(const std::string& folder) override;
  bool SameFile(const std::string& a, const std::string& b) override;

 private:
  std::unique_ptr<posix::Resolver> resolver_;
  posix::Progress progress_;
};

}  // namespace tarnivo
