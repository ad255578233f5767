// The contract of FileSystem as one table of cases, run against every
// implementation: the simulated platform (unit tests), POSIX (integration
// tests on real folders) and Win32 (under Wine).
//
// The table speaks of one starting tree (StartingTree) on drives C: and D:,
// ready; E: is listed but not ready and Q: does not exist. Each case starts
// with C: current, C:'s working directory C:\Docs and D:'s its root. Where
// the systems truly differ, a case holds each one's outcome as data.
//
// Each implementation supplies a World: the platform over that tree and the
// few answers only it can give (where the tree lies, an entry's alias).
// Plain C++20 with no test framework, so that the Wine driver runs it too.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace tarnivo::contract {

enum class Impl { Simulated, Posix, Win32 };

// Attributes of an entry of the starting tree, with Windows' bit values. On
// POSIX a hidden entry is one whose name starts with '.', and a system entry
// is made as a FIFO.
inline constexpr unsigned kReadOnly = 1;
inline constexpr unsigned kHidden = 2;
inline constexpr unsigned kSystem = 4;
inline constexpr unsigned kFolder = 16;

struct TreeEntry {
  std::string path;  // "C:\Docs\notes.txt"; parents come first
  unsigned attributes = 0;
  std::string contents;
  // A twin: its name differs only in letter case from another entry's in
  // its folder. Only Linux folders hold twins; the other worlds leave it out.
  bool twin = false;
};

// The starting tree, each folder's entries in name order (so that the
// folder's own order is the same on every platform that keeps one).
const std::vector<TreeEntry>& StartingTree();

// Whether the worlds of `impl` hold the tree's twins.
bool HoldsTwins(Impl impl);

class World {
 public:
  virtual ~World() = default;
  virtual FileSystem& Files() = 0;
  // The platform's spelling of a table path: the same path where the tree
  // lies at the drives' roots; a path below a scratch folder where it cannot.
  //   "C:\Docs" => "C:\Docs"   (or "C:\tarnivo-contract\Docs")
  virtual std::string Here(const std::string& path) = 0;
  // The 8.3 alias the platform gives the tree's entry at `path`.
  virtual std::string Alias(const std::string& path) = 0;
  // What the entry at `path`, spelled exactly so, holds: its contents, or
  // "<folder>", "<missing>", "<system>".
  virtual std::string Read(const std::string& path) = 0;
};

// The operation a case checks, and what its outcome text is.
enum class Op {
  Lookup,           // DirectoryLookup(a, mask): the name found
  ChangeDrive,      // ChangeDrive(a), then CurrentDirectory()
  ChangeDirectory,  // ChangeDirectory(a), then CurrentDirectory()
  OpenFolder,       // OpenFolder(a)
  SubFolders,       // SubFolders(a), joined with '|'
  SameFile,         // SameFile(a, b): "same" or "different"
  Copy,             // CopyFile(a, b): "ok"
  Rename,           // RenameFile(a, b, existing): "ok"
  Delete,           // DeleteFile(a): "ok"
};

// Outcome of an operation that throws PlatformError.
inline constexpr const char* kThrows = "throws";
// Outcome of a lookup that may give any real entry (not "", ".", "..").
inline constexpr const char* kAnyEntry = "<any entry>";

// In a case's texts "{Name}" stands for the alias of the tree's entry whose
// name is Name. Outcomes of ChangeDrive, ChangeDirectory and OpenFolder are
// table paths.
struct Case {
  const char* what;
  Op op;
  std::string a, b;
  int mask = kLookupAll;
  Existing existing = Existing::Refuse;  // of a Rename
  std::string want;
  // Where a platform gives another outcome.
  std::optional<std::string> simulated, posix, win32;
  // Set-up before the operation: "cd PATH" or "drive D:"; each must succeed.
  std::vector<std::string> steps;
  // The entries (table paths) and what they hold afterwards (as Read gives).
  std::vector<std::pair<std::string, std::string>> after;
};

const std::vector<Case>& Cases();

// The families of the table, one per operation: "Lookup", "ChangeDrive", ...
std::vector<std::string> Families();
const char* FamilyOf(Op op);

// Runs the cases of `family` (every case for "") against worlds made by
// `make`; a world is made for each case that changes files and once for the
// rest. Calls `report` once per case with its name and what went wrong ("" when it held).
void Run(Impl impl, const std::function<std::unique_ptr<World>()>& make, const std::string& family,
         const std::function<void(const std::string& name, const std::string& failure)>& report);

}  // namespace tarnivo::contract
