// The platform operations over POSIX (Linux): drive-form paths mapped onto
// the Linux file system, with Windows' file semantics wherever Linux differs.
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
// fails. A copy replaces only a file named exactly.
//
// Operations that act on a file never lose data: CopyFile writes a temporary
// file beside the destination and publishes it in one atomic rename after the
// data and the folder entry are on the device; RenameFile never replaces an
// existing file. Both leave no temporary file behind when they fail.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/PlatformServices.h"
#include "platform/posix/DesktopUi.h"
#include "platform/posix/DriveMap.h"
#include "platform/posix/FileOps.h"

namespace tarnivo::posix {
struct Resolver;
}

namespace tarnivo {

class PosixPlatform final : public PlatformServices {
 public:
  // `args`: the program's arguments without its own name (argv[1] onward).
  // `ui`: message boxes, help, text measurement and copy progress; may be
  // null (ShowMessage, ShowHelp and MeasureTextWidth then throw). `pinned`:
  // the drives to use, in letter order (see posix::PinnedDrives); without it
  // the drives come from the mount table, and volumes mounted later get free
  // letters. The current drive and its working directory come from the
  // process's working directory.
  PosixPlatform(std::vector<std::string> args, DesktopUi* ui,
                std::optional<std::vector<posix::Drive>> pinned = std::nullopt);
  // The same from main's arguments: argv[0] is the program's own name.
  PosixPlatform(int argc, char** argv, DesktopUi* ui,
                std::optional<std::vector<posix::Drive>> pinned = std::nullopt);
  ~PosixPlatform() override;

  PosixPlatform(const PosixPlatform&) = delete;
  PosixPlatform& operator=(const PosixPlatform&) = delete;

  void SetUi(DesktopUi* ui);

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

  // PlatformServices.
  std::string CommandLine() override;
  void ChangeDrive(const std::string& drive) override;
  void ChangeDirectory(const std::string& path) override;
  std::string CurrentDirectory() override;
  std::string DirectoryLookup(const std::string& name, int attributes) override;
  CopyOutcome CopyFile(const std::string& source, const std::string& destination) override;
  void DeleteFile(const std::string& path) override;
  CopyOutcome RenameFile(const std::string& source, const std::string& destination) override;
  MessageBoxResult ShowMessage(const std::string& text, MessageBoxStyle style) override;
  void ShowHelp(WindowHandle owner, const std::string& file, int command, int data) override;
  int MeasureTextWidth(const std::string& text) override;
  // Ends the process with status 0 at once: no destructor or exit handler
  // runs (a copy is already on the device when CopyFile returns).
  [[noreturn]] void Terminate() override;
  std::vector<DriveInfo> DriveList() override;
  // Also accepts an absolute Linux path ("/mnt/nas/backup") and an smb URL
  // ("smb://nas/backup/dir"); the result is always in drive form.
  std::string OpenFolder(const std::string& folder) override;
  std::vector<std::string> SubFolders(const std::string& folder) override;
  bool SameFile(const std::string& a, const std::string& b) override;

 private:
  // Tells the desktop the progress of a copy; the desktop may stop it.
  posix::Progress Progress() const;

  std::vector<std::string> args_;
  std::unique_ptr<posix::Resolver> resolver_;
  DesktopUi* ui_ = nullptr;
};

}  // namespace tarnivo
