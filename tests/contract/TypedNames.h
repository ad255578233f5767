// What a name typed into the name box may reach: one table run through the
// real handlers on the simulated platform (unit tests) and on POSIX
// (integration tests). Each case starts the program on kSource in NamesTree,
// chooses Copy or Move, a folder and the name, presses OK and answers the
// overwrite question; it checks the boxes shown, whether the program ended,
// the name box, and that nothing changed but the one file named (and the
// source, moved). Where the systems truly differ, a case holds each outcome.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "PlatformContract.h"
#include "platform/Desktop.h"

namespace tarnivo::contract {

// On Linux no file is in use, a hidden name starts with a dot and a system
// entry is a FIFO. Only POSIX holds links (`contents`: the table path they
// point to), twins (names that differ only in letter case from another's)
// and raw names (stored byte for byte, private-use characters too).
enum class Kind { File, ReadOnly, Hidden, System, InUse, Folder, Link, Twin, Raw };
struct NamesEntry {
  std::string path;  // in drive form; parents first
  Kind kind = Kind::File;
  std::string contents = "", alias = "";  // alias: the simulated platform's 8.3 alias
};
const std::vector<NamesEntry>& NamesTree();
inline const std::string kSource = "C:\\Src\\Annual report.doc";

// One start of the program on NamesTree, made afresh for each run.
class NamesWorld {
 public:
  struct Pressed {
    std::vector<std::pair<std::string, MessageBoxStyle>> shown;
    bool ended = false;
    std::string name_box;                  // afterwards
    std::optional<bool> asked_files = {};  // none where the world cannot tell
  };
  virtual ~NamesWorld() = default;
  // Starts the program, chooses, presses OK; `yes` answers the question.
  // Throws when the dialog does not open.
  virtual Pressed Transfer(bool move, const std::string& folder, const std::string& name,
                           bool yes) = 0;
  // Every entry by its key, with what it is and holds.
  virtual std::map<std::string, std::string> Snapshot() = 0;
  virtual std::string Key(const std::string& table_path) { return table_path; }
};

// Runs every case copied and moved, a question with each answer, each in a
// world of its own; reports each run's failure ("" when it held).
void RunNames(Impl impl, const std::function<std::unique_ptr<NamesWorld>()>& make,
              const std::function<void(const std::string&, const std::string&)>& report);

}  // namespace tarnivo::contract
