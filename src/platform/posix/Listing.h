// The entries of one folder of the Linux file system, as drive form sees
// them: each name in its drive-form spelling (NameMap.h), matched without
// regard to letter case or by its 8.3 alias, an exact spelling first.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace tarnivo::posix {

// The entries of one folder. A name is looked for while the folder is read,
// keeping only what matches (and, for an alias, the few names numbered
// against it), so a folder of any size costs one pass and little memory;
// patterns read it whole, in name order.
class Listing {
 public:
  struct Entry {
    std::string name;    // in drive form (NameMap.h)
    unsigned char type;  // d_type
    std::string native;  // as on disk
  };

  explicit Listing(std::string folder) : folder_(std::move(folder)) {}

  const std::string& folder() const { return folder_; }

  // Every entry that can be written in drive form, in name order (the
  // folder's own order). Throws when the folder cannot be read.
  const std::vector<Entry>& All();

  // The drive-form names of the folders (links to folders included) that
  // are not hidden, in name order. Reads the folder without keeping its
  // files, so a folder of many files costs little more than `ls -f`.
  std::vector<std::string> Folders() const;

  // The alias of each entry of All(), "" where it needs none.
  const std::vector<std::string>& Aliases();

  // The entries that `name` names, by long name or alias, in name order;
  // only the entry named exactly so, letter case included, where there is
  // one. More than one: entries that differ only in letter case, none of
  // them spelled as `name`.
  //   {"Plain.txt", "plain.txt"}: "plain.txt" => {"plain.txt"},
  //                               "PLAIN.TXT" => {"Plain.txt", "plain.txt"}
  std::vector<Entry> Named(const std::string& name);

  struct Kind {
    bool exists = true;
    bool folder = false;
    bool regular = false;
  };

  // Links followed; a broken link is neither a file nor a folder.
  Kind KindOf(const Entry& e) const;

  // Attribute mask of a lookup: 2 hidden, 4 system, 16 folders; plain files
  // always match.
  bool PassesMask(const Entry& e, int attributes) const;

 private:
  // Calls `visit` with the drive-form name, the type and the name on disk of
  // every entry that can be written in drive form; with `folders_only`, not
  // of regular files nor of hidden entries.
  template <typename Visit>
  void ForEach(Visit visit, bool folders_only = false) const;
  // Name order is that of the drive-form names, the names aliases are made from.
  static bool ByName(const Entry& a, const Entry& b) { return a.name < b.name; }

  std::string folder_;
  bool loaded_ = false;
  std::vector<Entry> entries_;
  bool aliases_made_ = false;
  std::vector<std::string> aliases_;
};

}  // namespace tarnivo::posix
