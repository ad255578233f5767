// A working in-memory platform for the unit tests: one recorded world behind
// both halves, the file system and the desktop, so that a fault sweep counts
// and fails the calls of either.
//
// The world: lettered drives (any of them can be made not ready) and network
// shares ("\\server\share"), holding folders and files with stored long names,
// optional 8.3 aliases, attributes and contents, each folder's entries in the
// order they were added (the folder's own order); files that the operations
// create get no alias. Names follow the platform's rules: matching ignores
// letter case, an alias stands for its long name, a component's trailing dots
// and spaces are ignored, '/' separates like '\'.
// There is a working directory per drive, kept in the form it was entered, and
// a current drive.
//
// The record: every operation called (in order), every message box shown and
// every help request. Message-box answers are scripted; a box the test did not
// answer fails the test. Terminate throws ProgramEnded, which no handler
// catches, so the test sees that nothing ran after it.
//
// Failure injection: FailCall(n) makes the n-th operation call (counted over
// all operations from construction, Terminate included) throw PlatformError;
// FailOperation makes one operation fail on every call or on its n-th call.
// An injected failure happens before the operation has any effect. Terminate
// never fails. Setting up and inspecting the world does not count as calls.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/PlatformServices.h"

namespace tarnivo::test {

// Thrown by Terminate. Deliberately not a PlatformError.
struct ProgramEnded {};

// Thrown (after a test failure is recorded) for a message box the test did not
// script, or scripted with a button the box does not have.
class UnscriptedMessage : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};

// Entry attributes, with the platform's bit values.
inline constexpr unsigned kReadOnly = 1;
inline constexpr unsigned kHidden = 2;
inline constexpr unsigned kSystem = 4;
inline constexpr unsigned kDirectory = 16;

struct ShownMessage {
  std::string text;
  MessageBoxStyle style;
};

struct HelpRequest {
  WindowHandle owner;
  std::string file;
  int command;
  int data;
};

class SimulatedPlatform final : public FileSystem, public Desktop {
 public:
  SimulatedPlatform();
  ~SimulatedPlatform() override;

  // Both halves, as the handlers take them.
  PlatformServices Services() { return {*this, *this}; }

  // --- The world. Paths name entries by their stored names or aliases.
  // The first drive added becomes current; a drive's working directory starts
  // at its root. A not-ready drive is listed but every access to it fails.
  void AddDrive(char letter, const std::string& label = "", bool ready = true);
  void SetDriveReady(char letter, bool ready);
  void AddShare(const std::string& unc);               // "\\server\public"
  void MapDrive(char letter, const std::string& unc);  // another name for a share
  // Adds an entry at the end of an existing folder. An empty alias means the
  // long name needs none. Throws std::invalid_argument on a setup mistake.
  void AddFolder(const std::string& path, const std::string& alias = "", unsigned attributes = 0);
  void AddFile(const std::string& path, const std::string& contents = "",
               const std::string& alias = "", unsigned attributes = 0);
  void SetInUse(const std::string& path, bool in_use = true);  // no delete, rename, overwrite
  bool Exists(const std::string& path) const;
  std::string Contents(const std::string& path) const;
  // Every entry of every drive and share: stored path => contents ("<dir>"
  // for a folder), plus attributes when not 0. For "nothing changed" checks.
  std::map<std::string, std::string> Snapshot() const;

  // --- The process.
  void SetCommandLine(const std::string& text) { command_line_ = text; }
  // Makes the folder's drive current with `folder` as its working directory,
  // kept as written.
  void StartIn(const std::string& folder);
  char CurrentDrive() const { return current_; }
  std::string WorkingDirectory(char letter) const;

  // --- Message boxes and help. Answers are used in order; `then` runs when
  // the box closes, before the answer returns (the user inserts a disk, then
  // presses Retry).
  void Answer(MessageBoxResult result, std::function<void()> then = {});
  // Answers every box that has no scripted answer (for sweeps).
  void AnswerUnscripted(std::function<MessageBoxResult(const ShownMessage&)> answer);
  std::size_t UnusedAnswers() const { return answers_.size(); }
  const std::vector<ShownMessage>& Messages() const { return messages_; }
  std::vector<std::string> MessageTexts() const;
  const std::vector<HelpRequest>& HelpRequests() const { return help_; }

  // --- Text measurement: `twips` per character (100 at start), or a function.
  void SetCharWidth(int twips);
  void SetMeasure(std::function<int(const std::string&)> measure);

  // --- Failure injection and the record of calls.
  static constexpr std::size_t kEveryCall = 0;
  void FailCall(std::size_t n);
  void FailOperation(const std::string& operation, std::size_t nth = kEveryCall);
  void ClearFailures();
  std::size_t CallCount() const { return calls_.size(); }
  const std::vector<std::string>& Calls() const { return calls_; }
  std::size_t CallsOf(const std::string& operation) const;
  std::size_t InjectedFailures() const { return injected_; }
  // The file operations attempted, with their arguments, whether or not they
  // succeeded: "CopyFile C:\a.txt > D:\a.txt", "DeleteFile C:\a.txt".
  const std::vector<std::string>& FileOperations() const { return file_operations_; }
  bool Ended() const { return ended_; }

  // --- The user stops the next copy midway, once it has checked its source
  // and destination: CopyFile returns Stopped and nothing has changed.
  void StopNextCopy() { stop_next_copy_ = true; }

  // --- FileSystem.
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

  // --- Desktop.
  std::string CommandLine() override;
  MessageBoxResult ShowMessage(const std::string& text, MessageBoxStyle style) override;
  void ShowHelp(WindowHandle owner, const std::string& file, int command, int data) override;
  int MeasureTextWidth(const std::string& text) override;
  [[noreturn]] void Terminate() override;

 private:
  struct Entry {
    std::string name;   // stored long name; a root holds "C:" or "\\server\share"
    std::string alias;  // "" when the long name needs none
    unsigned attributes = 0;
    std::string contents;
    bool in_use = false;
    Entry* parent = nullptr;
    std::vector<std::unique_ptr<Entry>> children;  // the folder's own order
    bool IsFolder() const { return (attributes & kDirectory) != 0; }
  };
  struct Drive {
    char letter;
    std::string label;
    bool ready;
    Entry* root;
    std::string cwd;  // as entered
  };
  // A parsed path: its root, the drive it was reached through (0 for a
  // share), the root as written ("c:", "\\server\share") and the components.
  struct Place {
    Entry* root = nullptr;
    char letter = 0;
    std::string prefix;
    std::vector<std::string> parts;
  };

  void Begin(const char* operation);
  // Throws PlatformError for a malformed path, a missing drive or share, and
  // (unless `inspect`) a drive that is not ready.
  Place Parse(const std::string& path, bool wildcard_last = false, bool inspect = false) const;
  Entry* Walk(const Place& place, std::size_t count) const;  // nullptr when missing
  Entry* Find(const std::string& path, bool inspect = false) const;
  Entry& Require(const std::string& path) const;  // throws PlatformError when missing
  Entry& ParentOf(const Place& place) const;      // the folder that would hold it
  Entry& Inspect(const std::string& path) const;  // throws std::invalid_argument
  Entry& Add(const std::string& path, const std::string& alias, unsigned attributes);

  std::vector<std::unique_ptr<Entry>> roots_;
  std::map<char, Drive> drives_;
  std::map<std::string, Entry*> shares_;  // folded "\\server\share" => root
  char current_ = 0;
  std::string command_line_;

  struct Scripted {
    MessageBoxResult result;
    std::function<void()> then;
  };
  std::deque<Scripted> answers_;
  std::function<MessageBoxResult(const ShownMessage&)> unscripted_;
  std::vector<ShownMessage> messages_;
  std::vector<HelpRequest> help_;
  int char_width_ = 100;
  std::function<int(const std::string&)> measure_;

  std::vector<std::string> calls_;
  std::map<std::string, std::size_t> per_operation_;
  std::size_t fail_call_ = 0;
  std::map<std::string, std::size_t> fail_operation_;  // operation => nth (0: every call)
  std::size_t injected_ = 0;
  std::vector<std::string> file_operations_;
  bool ended_ = false;
  bool stop_next_copy_ = false;
};

}  // namespace tarnivo::test
