// Name rules of the POSIX layer: letter case, 8.3 aliases and DOS wildcards.
// Names are raw bytes; bytes that are not UTF-8 count as characters of their
// own (see text/Text.h), so such a name only ever matches itself.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tarnivo::posix {

// The name with every character case-folded, as code points: two names match
// when their keys are equal. FoldKey("Ärger") == FoldKey("äRGER").
std::u32string FoldKey(const std::string& name);

// True when `name` is a legal 8.3 name in either letter case, so Windows
// gives it no alias: "README.TXT", "readme.txt", "A~1" => true;
// "Readme.text", "My Documents", ".profile", "a.b.c" => false.
bool IsLegal83(std::string_view name);

// The aliases of a folder's entries. `sorted_names` is the folder in name
// order; the result holds one alias per entry, "" for an entry whose name is
// a legal 8.3 name already (or has no character to build one from). An alias
// is the first six legal characters of the name upper-cased, '~', a number
// counted in name order among names with the same start, and the first three
// characters of the extension; it never matches another entry's name, in any
// letter case (so a lookup of the alias finds its own entry only).
//   {"My Documents", "My Downloads", "Program Files"}
//     => {"MYDOCU~1", "MYDOWN~1", "PROGRA~1"}
//   {"Letter to Ann.doc", "Letter to Bob.doc"} => {"LETTER~1.DOC", "LETTER~2.DOC"}
std::vector<std::string> MakeAliases(const std::vector<std::string_view>& sorted_names);
std::vector<std::string> MakeAliases(const std::vector<std::string>& sorted_names);

// The entry that one alias names, found without numbering the whole folder:
// only names whose aliases share a start with it are numbered against it.
// Give Concerns every name of the folder, then Find among the ones it kept.
// The answer is the one MakeAliases gives for the whole folder.
//   AliasLookup lookup("mydocu~2");   // letter case does not matter
//   lookup.Concerns("My Documents") => true    (start "MYDOCU")
//   lookup.Concerns("MYDOCU~1")     => true    (a legal name it must skip)
//   lookup.Concerns("My Music")     => false   (start "MYMUSI")
//   lookup.Find({"MYDOCU~1", "My Documents"}) => 1
class AliasLookup {
 public:
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

  explicit AliasLookup(std::string_view alias);

  // False for every name when `alias` cannot be an alias at all.
  bool Concerns(std::string_view name) const;

  // The index in `names` (the names Concerns kept, in any order) of the one
  // whose alias is `alias`, or kNone.
  std::size_t Find(const std::vector<std::string_view>& names) const;

 private:
  bool possible_ = false;
  std::string alias_;   // in capitals
  std::string start_;   // before the '~' of the number: "MYDOCU"
  std::string suffix_;  // "" or "." and the extension: ".TXT"
};

bool HasWildcards(const std::string& text);

// DOS pattern matching, ignoring letter case: '*' any run of characters,
// '?' one character (none at a '.' or at the end), "*.*" every name, "x.*"
// also "x", "*." names without a dot, "*.txt" the names ending in ".txt".
bool MatchesPattern(const std::string& pattern, const std::string& name);

}  // namespace tarnivo::posix
