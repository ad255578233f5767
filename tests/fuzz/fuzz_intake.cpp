// Intake on random simulated trees: the input's first bytes build the drives,
// folders and files (names from a small alphabet of awkward characters, 8.3
// aliases, attributes) and the folder the program starts in; the rest is the
// command line. Form_Load runs through the fake dialog. It must not crash, and
// either say "File not found !!" once and end, or open the dialog on exactly
// the entry that the command line names, with its folder as the working
// directory and the directory list.
//
// Layout of the input:
//   [drives] [steps] { [parent] [kind] [name piece]... [alias]? }... [start] command line...
//   drives: bit 0 A: exists, 1 A: ready, 2 D: exists, 3 D: ready, 4 a share
//   kind:   bit 0 folder, 1 has an alias, 2 hidden, 3 system, 4 read-only,
//           bits 5-6 the number of name pieces less one
// So that random lines reach the tree, a byte 1..7 in the command line and the
// byte after it stand for the path of an entry of the tree, spelled as
// stored (1), in upper case (2), in lower case (3), through the aliases (4),
// as its name alone (5), with slashes (6), or drive-relative, "C:name" (7).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "FakeDialog.h"
#include "SimulatedPlatform.h"
#include "paths/Intake.h"
#include "paths/PathText.h"
#include "text/Text.h"

namespace {

using namespace tarnivo;
using tarnivo::test::FakeDialog;
using tarnivo::test::ShownMessage;
using tarnivo::test::SimulatedPlatform;

// Letters in both cases, one whose capital folds elsewhere, non-ASCII ones,
// a byte that is not UTF-8, and the characters of aliases and extensions.
const char* const kPieces[16] = {"a", "B", "c", "~", "1", ".",    " ", "\xC4\xB1",
                                 "I", "i", "Ä", "ä", "ß", "\xFF", "x", "X"};
const char* const kAliases[8] = {"A~1", "B~1", "AB~1", "X~1.T", "A~2", "I~1", "Ä~1", "AB~1.X"};

class Bytes {
 public:
  Bytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::uint8_t Next() { return at_ < size_ ? data_[at_++] : 0; }
  std::string Rest() const {
    return at_ < size_ ? std::string(reinterpret_cast<const char*>(data_ + at_), size_ - at_)
                       : std::string();
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

[[noreturn]] void Fail(const char* what, const std::string& detail) {
  std::fprintf(stderr, "fuzz_intake: %s: %s\n", what, detail.c_str());
  std::abort();
}

void Check(bool ok, const char* what, const std::string& detail) {
  if (!ok) Fail(what, detail);
}

struct Folder {
  std::string path;
  bool on_ready_drive;
};

struct Entry {
  std::string stored;   // the path through the stored names
  std::string aliased;  // the path through the aliases, where there are any
  std::string name;
};

// The command line, with each escape replaced by a spelling of an entry's path.
std::string Expand(const std::string& text, const std::vector<Entry>& entries) {
  std::string line;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 1 || c > 7 || entries.empty()) {
      line += text[i];
      continue;
    }
    const std::size_t pick = i + 1 < text.size() ? static_cast<unsigned char>(text[++i]) : 0;
    const Entry& e = entries[pick % entries.size()];
    std::string spelled;
    switch (c) {
      case 1:
        spelled = e.stored;
        break;
      case 2:
        spelled = ToUpper(e.stored);
        break;
      case 3:
        spelled = ToLower(e.stored);
        break;
      case 4:
        spelled = e.aliased;
        break;
      case 5:
        spelled = e.name;
        break;
      case 6:
        spelled = e.stored;
        for (char& ch : spelled) ch = ch == '\\' ? '/' : ch;
        break;
      default:
        spelled = Left(e.stored, 2) + e.name;
        break;
    }
    line += spelled;
  }
  return line;
}

// Builds the world; returns the folders that the program may start in.
std::vector<Folder> BuildTree(SimulatedPlatform& p, Bytes& in, std::vector<Entry>& entries) {
  const std::uint8_t drives = in.Next();
  std::vector<Folder> folders;
  std::map<std::string, std::string> aliased;  // a folder's stored path => its path through aliases
  if (drives & 1) {
    p.AddDrive('A', "", (drives & 2) != 0);
    folders.push_back({"A:", (drives & 2) != 0});
  }
  p.AddDrive('C', "System");
  folders.push_back({"C:", true});
  if (drives & 4) {
    p.AddDrive('D', "Data", (drives & 8) != 0);
    folders.push_back({"D:", (drives & 8) != 0});
  }
  if (drives & 16) {
    p.AddShare("\\\\server\\public");
    folders.push_back({"\\\\server\\public", false});
  }
  const int steps = in.Next() % 17;
  for (int i = 0; i < steps; ++i) {
    const Folder parent = folders[in.Next() % folders.size()];
    const std::uint8_t kind = in.Next();
    std::string name;
    for (int k = 0; k <= ((kind >> 5) & 3); ++k) name += kPieces[in.Next() % 16];
    std::string alias;
    if (kind & 2) alias = kAliases[in.Next() % 8];
    // Names the platform can store: no trailing dot or space, not only dots.
    if (name.back() == '.' || name.back() == ' ') continue;
    const std::string path = parent.path + "\\" + name;
    // An alias is unique in its folder, against names and aliases alike.
    if (!alias.empty() && (EqualsIgnoreCase(alias, name) || p.Exists(parent.path + "\\" + alias))) {
      alias.clear();
    }
    const unsigned attributes = ((kind & 4) ? test::kHidden : 0u) |
                                ((kind & 8) ? test::kSystem : 0u) |
                                ((kind & 16) ? test::kReadOnly : 0u);
    try {
      if (kind & 1) {
        p.AddFolder(path, alias, attributes);
        folders.push_back({path, parent.on_ready_drive});
      } else {
        p.AddFile(path, "contents of " + path, alias, attributes);
      }
      const auto up = aliased.find(parent.path);
      const std::string through =
          (up == aliased.end() ? parent.path : up->second) + "\\" + (alias.empty() ? name : alias);
      aliased[path] = through;
      entries.push_back({path, through, name});
    } catch (const std::invalid_argument&) {
      // The name is taken already (perhaps as an alias): no entry.
    }
  }
  std::vector<Folder> starts;
  for (const Folder& f : folders) {
    if (f.on_ready_drive) starts.push_back(f);
  }
  return starts;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Bytes in(data, size);
  SimulatedPlatform platform;
  std::vector<Entry> entries;
  const std::vector<Folder> starts = BuildTree(platform, in, entries);
  const Folder start = starts[in.Next() % starts.size()];
  platform.StartIn(start.path.size() == 2 ? start.path + "\\" : start.path);
  const std::string line = Expand(in.Rest(), entries);
  platform.SetCommandLine(line);
  platform.AnswerUnscripted([](const ShownMessage& m) {
    switch (m.style) {
      case MessageBoxStyle::RetryCancelStop:
        return MessageBoxResult::Cancel;
      case MessageBoxStyle::YesNoInformation:
        return MessageBoxResult::No;
      case MessageBoxStyle::OkExclamation:
        break;
    }
    return MessageBoxResult::Ok;
  });

  // The process as it was started, to read the command line in afterwards.
  const char started = platform.CurrentDrive();
  std::map<char, std::string> cwd;
  for (const char letter : {'A', 'C', 'D'}) {
    try {
      cwd[letter] = platform.WorkingDirectory(letter);
    } catch (const std::out_of_range&) {
    }
  }
  const auto files = platform.Snapshot();

  FakeDialog dialog(platform);
  const bool shown = dialog.Load();  // a crash or a stray exception ends the run here

  Check(platform.Snapshot() == files, "intake changed a file", line);
  if (!shown) {
    Check(platform.MessageTexts() == std::vector<std::string>{"File not found !!"},
          "ended without exactly one \"File not found !!\"", line);
    Check(platform.Calls().back() == "Terminate", "a call after the end", line);
    return 0;
  }
  if (!platform.Messages().empty()) Fail("a message on a good start", platform.Messages()[0].text);

  const DialogState& state = dialog.State();
  const std::string& source = state.SourceFile;
  Check(Mid(source, 2, 2) == ":\\", "SourceFile is not drive-rooted", source);
  Check(platform.CurrentDrive() == source[0], "the current drive is not the file's", source);
  const std::string folder = FilePath(source);
  const std::string here = platform.WorkingDirectory(source[0]);
  Check(here == (CharCount(folder) == 3 ? folder : Left(folder, CharCount(folder) - 1)),
        "the working directory is not the file's folder", here + " | " + source);
  Check(!state.FileName().empty() && EqualsIgnoreCase(state.FileName(), FileTitle(source)),
        "the name box does not hold the file's stored name", state.FileName() + " | " + source);

  // Back in the process as started, the line and SourceFile name one entry,
  // and the directory list shows its folder.
  for (const auto& [letter, dir] : cwd) {
    if (letter != started) platform.StartIn(dir);
  }
  platform.StartIn(cwd.at(started));
  const std::string named = SourceFromCommandLine(line);
  bool same = false;
  try {
    same = platform.SameFile(named, source) && platform.SameFile(state.DirPath(), here);
  } catch (const PlatformError&) {
    Fail("the line names no entry, yet the dialog opened", named + " | " + source);
  }
  Check(same, "the dialog opened on another entry than the line names", named + " | " + source);
  return 0;
}
