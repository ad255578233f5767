// The file system on Windows, on the wide-character Win32 functions.
// Drive-form paths are Windows' own, so the only translation is UTF-8 to
// UTF-16 at each call (and the \\?\ form for paths too long for the plain
// functions).
//
// Beyond what Windows gives by itself:
// - CopyFile never writes into the destination: it fills a hidden temporary
//   file in the destination's folder (".tarnivo-*.tmp"), flushes it to the
//   device and only then renames it over the old file (or to the new name)
//   in one MoveFileExW, so the old file stays whole until the new one is
//   complete, a move to another drive deletes its source only once the copy
//   is safe, and a failed or stopped copy leaves nothing but the old file.
//   The new file carries what CopyFileExW gives it (attributes, times).
// - RenameFile renames, over the old file with Replace, in one MoveFileExW.
//   Where one letter spans two volumes (a volume mounted in a folder) it
//   copies as CopyFile does and removes the source afterwards.
// - CopyFile, RenameFile and DeleteFile refuse a destination named after a
//   device (CON, NUL.txt, COM1, ...) or ending in a dot or a space, which
//   Windows would take for another name; DirectoryLookup refuses such names
//   as malformed.
// - SameFile compares volume and file IDs, so a short alias, another letter
//   case or a second link to the file is recognised.
// - The drive list never waits long for a drive: volume labels are read in
//   parallel and a drive that does not answer in time is listed without one.
//
// windows.h defines CopyFile, DeleteFile and friends as macros; this header
// undefines them so the interface's names stay usable.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/win32/WinApi.h"

namespace tarnivo {

class Win32FileSystem final : public FileSystem {
 public:
  // What a long copy tells the dialog. The copy runs on a thread of its own;
  // meanwhile the dialog's thread calls Begin once, Step over and over (at
  // least ten times a second, and whenever a message arrives: the dialog
  // pumps its messages there, without input), End when the copy has finished
  // or failed. `total` is 0 while the size is not known.
  enum class CopyPhase { Begin, Step, End };
  using CopyProgress = std::function<void(CopyPhase, std::uint64_t done, std::uint64_t total)>;

  Win32FileSystem() = default;

  Win32FileSystem(const Win32FileSystem&) = delete;
  Win32FileSystem& operator=(const Win32FileSystem&) = delete;

  void SetCopyProgress(CopyProgress progress) { progress_ = std::move(progress); }
  // Asks the copy or move that runs to stop; called from the progress
  // callback (the dialog's thread). Until the new file is put in place the
  // stop counts: the temporary copy is removed (also where the system
  // ignores the request and copies to the end, as Wine does) and CopyFile
  // returns Stopped. A stop that comes later changes nothing.
  void StopCopy();

  void ChangeDrive(const std::string& drive) override;
  void ChangeDirectory(const std::string& path) override;
  std::string CurrentDirectory() override;
  std::string DirectoryLookup(const std::string& name, int attributes) override;
  CopyOutcome CopyFile(const std::string& source, const std::string& destination) override;
  void DeleteFile(const std::string& path) override;
  CopyOutcome RenameFile(const std::string& source, const std::string& destination,
                         Existing existing) override;
  std::vector<DriveInfo> DriveList() override;
  std::string OpenFolder(const std::string& folder) override;
  std::vector<std::string> SubFolders(const std::string& folder) override;
  bool SameFile(const std::string& a, const std::string& b) override;

  // A copy or a move in progress (used by the copy thread's helpers).
  struct Transfer;

  // The form of an absolute path that the W functions accept at any length:
  // unchanged below MAX_PATH, else with the \\?\ (or \\?\UNC\) prefix.
  static std::wstring LongForm(const std::wstring& path);

 private:
  // Runs `transfer` (a copy or a move) on a worker thread while the
  // dialog's thread reports progress; returns its Win32 error, 0 on success.
  DWORD Run(Transfer& transfer);

  CopyProgress progress_;
  Transfer* running_ = nullptr;  // the copy or move under way, if any
};

}  // namespace tarnivo
