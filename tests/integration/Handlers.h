// The real handlers on the real platform layer: frmMain over a PosixPlatform
// in a TempTree, with a desktop that records every box and answers it from a
// script, and an end of the program that ends only the run, not the tests.
#pragma once

#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "TempTree.h"
#include "dialog/DialogState.h"
#include "dialog/frmMain.h"

namespace tarnivo::test {

// Thrown where the program would end. Deliberately not a PlatformError, so
// that no handler can catch it and go on.
struct ProgramEnded {};

struct Shown {
  std::string text;
  MessageBoxStyle style;
  bool operator==(const Shown&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Shown& shown);

// Answers a Yes/No box with `yes_no`, a Retry/Cancel box with Cancel and an
// OK box with OK, and records each box.
class ScriptedUi : public DesktopUi {
 public:
  MessageBoxResult ShowMessage(const std::string& text, MessageBoxStyle style) override;
  void ShowHelp(WindowHandle, const std::string&, int, int) override {}
  int MeasureTextWidth(const std::string& text) override;
  bool CopyProgress(std::uint64_t, std::uint64_t) override { return true; }

  MessageBoxResult yes_no = MessageBoxResult::Yes;
  std::vector<Shown> shown;
};

// Hands every operation to the POSIX platform, except that Terminate throws
// ProgramEnded instead of ending the process.
class EndingPlatform final : public PlatformServices {
 public:
  explicit EndingPlatform(PlatformServices& inner) : inner_(inner) {}

  std::string CommandLine() override { return inner_.CommandLine(); }
  void ChangeDrive(const std::string& drive) override { inner_.ChangeDrive(drive); }
  void ChangeDirectory(const std::string& path) override { inner_.ChangeDirectory(path); }
  std::string CurrentDirectory() override { return inner_.CurrentDirectory(); }
  std::string DirectoryLookup(const std::string& name, int attributes) override {
    return inner_.DirectoryLookup(name, attributes);
  }
  CopyOutcome CopyFile(const std::string& source, const std::string& destination) override {
    return inner_.CopyFile(source, destination);
  }
  void DeleteFile(const std::string& path) override { inner_.DeleteFile(path); }
  CopyOutcome RenameFile(const std::string& source, const std::string& destination) override {
    return inner_.RenameFile(source, destination);
  }
  MessageBoxResult ShowMessage(const std::string& text, MessageBoxStyle style) override {
    return inner_.ShowMessage(text, style);
  }
  void ShowHelp(WindowHandle owner, const std::string& file, int command, int data) override {
    inner_.ShowHelp(owner, file, command, data);
  }
  int MeasureTextWidth(const std::string& text) override { return inner_.MeasureTextWidth(text); }
  [[noreturn]] void Terminate() override { throw ProgramEnded{}; }
  std::vector<DriveInfo> DriveList() override { return inner_.DriveList(); }
  std::string OpenFolder(const std::string& folder) override { return inner_.OpenFolder(folder); }
  std::vector<std::string> SubFolders(const std::string& folder) override {
    return inner_.SubFolders(folder);
  }
  bool SameFile(const std::string& a, const std::string& b) override {
    return inner_.SameFile(a, b);
  }

 private:
  PlatformServices& inner_;
};

// One start of the program on `tree`: the drives pinned as
// TempTree::Platform takes them ("C=c;D=d"), the source's native path as its
// one argument, the dialog's state and its handlers.
class ProgramRun {
 public:
  ProgramRun(TempTree& tree, const std::string& drives, const std::string& source_native);
  ~ProgramRun();

  // Form_Load; true when the dialog opened, false when the program ended.
  bool Load();
  // What the user does before OK, the way the view passes it on: Copy or
  // Move, the drive list and then the folder opened in the directory list,
  // and the name typed.
  void Choose(bool move, const std::string& folder, const std::string& name);
  // Types `text` into the network box and leaves it.
  void TypeFolder(const std::string& text);
  // cmdOK_Click; true when the program ended.
  bool Ok();

  DialogState& state() { return *state_; }
  ScriptedUi ui;

 private:
  std::unique_ptr<PosixPlatform> posix_;
  std::unique_ptr<EndingPlatform> platform_;
  std::unique_ptr<DialogState> state_;
  std::unique_ptr<frmMain> form_;
};

// The two messages of the transfer, as the user sees them.
extern const Shown kAskOverwrite;
extern const Shown kTransferError;
extern const Shown kFileNotFound;

}  // namespace tarnivo::test
