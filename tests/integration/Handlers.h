// The real handlers on the real platform layer: frmMain over a PosixFileSystem
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

// A desktop that answers a Yes/No box with `yes_no`, a Retry/Cancel box with
// Cancel and an OK box with OK, records each box, and ends only the run
// (Terminate throws ProgramEnded).
class ScriptedUi final : public Desktop {
 public:
  std::string CommandLine() override { return command_line; }
  MessageBoxResult ShowMessage(const std::string& text, MessageBoxStyle style) override;
  void ShowHelp(WindowHandle, const std::string&, int, int) override {}
  int MeasureTextWidth(const std::string& text) override;
  [[noreturn]] void Terminate() override { throw ProgramEnded{}; }

  std::string command_line;
  MessageBoxResult yes_no = MessageBoxResult::Yes;
  std::vector<Shown> shown;
};

// One start of the program on `tree`: the drives pinned as
// TempTree::Platform takes them ("C=c;D=d"), the source's native path as its
// one argument, the dialog's state and its handlers.
class ProgramRun {
 public:
  ProgramRun(TempTree& tree, const std::string& drives, const std::string& source_native);
  ~ProgramRun();

  // The program starts; true when the dialog opened, false when it ended.
  bool Load();
  // What the user does before OK, the way the view passes it on: Copy or
  // Move, the drive list and then the folder opened in the directory list,
  // and the name typed.
  void Choose(bool move, const std::string& folder, const std::string& name);
  // Types `text` into the network box and leaves it.
  void TypeFolder(const std::string& text);
  // OK pressed; true when the program ended.
  bool Ok();

  DialogState& state() { return *state_; }
  ScriptedUi ui;

 private:
  std::unique_ptr<PosixFileSystem> files_;
  std::unique_ptr<DialogState> state_;
  std::unique_ptr<frmMain> form_;
};

// The two messages of the transfer, as the user sees them.
extern const Shown kAskOverwrite;
extern const Shown kTransferError;
extern const Shown kFileNotFound;

}  // namespace tarnivo::test
