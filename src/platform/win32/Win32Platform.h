// The platform operations on 32-bit Windows, on the wide-character Win32
// functions. Drive-form paths are Windows' own, so the only translation is
// UTF-8 to UTF-16 at each call (and the \\?\ form for paths too long for the
// plain functions).
//
// Beyond what Windows gives by itself:
// - CopyFile flushes the destination to the device before it reports success,
//   so a move to another drive deletes its source only once the copy is safe.
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
#include <vector>

#include "platform/PlatformServices.h"
#include "platform/win32/WinApi.h"

namespace tarnivo {

class Win32Platform final : public PlatformServices {
 public:
  // What a long copy tells the dialog. The copy runs on a thread of its own;
  // meanwhile the dialog's thread calls Begin once, Step over and over (at
  // least ten times a second, and whenever a message arrives: the dialog
  // pumps its messages there, without input), End when the copy has finished
  // or failed. `total` is 0 while the size is not known.
  enum class CopyPhase { Begin, Step, End };
  using CopyProgress = std::function<void(CopyPhase, std::uint64_t done, std::uint64_t total)>;

  Win32Platform();
  ~Win32Platform() override;

  Win32Platform(const Win32Platform&) = delete;
  Win32Platform& operator=(const Win32Platform&) = delete;

  // The dialog's window: owner of message boxes while it is visible.
  void SetOwner(HWND owner) { owner_ = owner; }
  // The dialog's font (8-point MS Shell Dlg 2 at the screen's DPI). Created on
  // first use, owned by the platform.
  HFONT DialogFont();
  // The screen's DPI, which converts twips to pixels and back.
  int Dpi();
  void SetCopyProgress(CopyProgress progress) { progress_ = std::move(progress); }
  // Asks the copy or move that runs to stop; called from the progress
  // callback (the dialog's thread). CopyFile then returns Stopped: Windows
  // removes the partial copy itself, and a copy that finished just as the
  // stop came (or where the system ignores the request, as Wine does) is
  // removed again when it had no file to replace.
  void StopCopy();
  // Shows the program's own help window; used where no WinHelp viewer can
  // show a WinHelp file.
  void SetOwnHelp(std::function<void()> show) { own_help_ = std::move(show); }

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
  [[noreturn]] void Terminate() override;
  std::vector<DriveInfo> DriveList() override;
  std::string OpenFolder(const std::string& folder) override;
  std::vector<std::string> SubFolders(const std::string& folder) override;
  bool SameFile(const std::string& a, const std::string& b) override;

  // A copy or a move in progress (used by the copy thread's helpers).
  struct Transfer;

  // The argument part of a Win32 command line: the program's name (quoted or
  // not) and the blanks after it removed.
  //   L"\"C:\\Prog\\tarnivo.exe\"  C:\\A.TXT" => L"C:\\A.TXT"
  static std::wstring ArgumentsOf(const std::wstring& command_line);

  // The form of an absolute path that the W functions accept at any length:
  // unchanged below MAX_PATH, else with the \\?\ (or \\?\UNC\) prefix.
  static std::wstring LongForm(const std::wstring& path);

 private:
  // Runs `transfer` (a copy or a move) on a worker thread while the
  // dialog's thread reports progress; returns its Win32 error, 0 on success.
  DWORD Run(Transfer& transfer);

  HWND owner_ = nullptr;
  HFONT font_ = nullptr;
  int dpi_ = 0;
  CopyProgress progress_;
  Transfer* running_ = nullptr;  // the copy or move under way, if any
  std::function<void()> own_help_;
};

}  // namespace tarnivo
