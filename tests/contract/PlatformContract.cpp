#include "PlatformContract.h"

#include <exception>

// The table names only the fields a case needs.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace tarnivo::contract {

const std::vector<TreeEntry>& StartingTree() {
  static const std::vector<TreeEntry> tree = {
      {"C:\\CASE", kFolder, "", true},
      {"C:\\Case", kFolder, ""},
      {"C:\\Case\\Plain.txt", 0, "Plain", true},
      {"C:\\Case\\plain.txt", 0, "plain"},
      {"C:\\Case\\\xE2\x84\xAAilo.txt", 0, "kilo"},  // U+212A, the Kelvin sign
      {"C:\\Docs", kFolder, ""},
      {"C:\\Docs\\.git", kFolder | kHidden, ""},
      {"C:\\Docs\\.hidden.txt", kHidden, "hidden"},
      {"C:\\Docs\\Letter to Ann.doc", 0, "ann"},
      {"C:\\Docs\\Sub", kFolder, ""},
      {"C:\\Docs\\archive", kFolder, ""},
      {"C:\\Docs\\caf\xC3\xA9.txt", 0, "cafe"},
      {"C:\\Docs\\notes.txt", 0, "notes"},
      {"C:\\Docs\\readme.txt", kReadOnly, "readme"},
      {"C:\\Docs\\system.dat", kSystem, ""},
      {"C:\\My Documents", kFolder, ""},
      {"C:\\My Documents\\Report.doc", 0, "report"},
      {"D:\\Backup", kFolder, ""},
      {"D:\\Backup\\.hidden.doc", kHidden, "hidden"},
      {"D:\\Backup\\Folder", kFolder, ""},
      {"D:\\Backup\\Old.doc", 0, "old"},
      {"D:\\Backup\\ro.doc", kReadOnly, "ro"},
  };
  return tree;
}

bool HoldsTwins(Impl impl) { return impl == Impl::Posix; }

// One case, one or two lines:
// clang-format off
const std::vector<Case>& Cases() {
  using enum Op;
  const std::string docs = "C:\\Docs";
  static const std::vector<Case> cases = {
      // --- DirectoryLookup: names, aliases, letter case, masks, patterns.
      {.what = "a name in the working directory", .op = Lookup, .a = "notes.txt", .mask = 0,
       .want = "notes.txt"},
      {.what = "another letter case", .op = Lookup, .a = "NOTES.TXT", .mask = 0, .want = "notes.txt"},
      {.what = "a full path in another case", .op = Lookup, .a = "c:\\DOCS\\Notes.Txt", .mask = 0,
       .want = "notes.txt"},
      {.what = "letter case beyond ASCII", .op = Lookup, .a = "CAF\xC3\x89.TXT", .mask = 0,
       .want = "caf\xC3\xA9.txt"},
      // Simple case folding takes the Kelvin sign to k (and the long s to s);
      // Windows compares names upper-cased by its own table, which (as Wine
      // has it) takes neither to an ASCII letter.
      {.what = "the Kelvin sign by its ASCII spelling", .op = Lookup, .a = "C:\\Case\\KILO.TXT",
       .mask = 0, .want = "\xE2\x84\xAAilo.txt", .win32 = ""},
      // Of twins, the name spelled exactly names its own entry.
      {.what = "an exact match beside its twin", .op = Lookup, .a = "C:\\Case\\plain.txt",
       .want = "plain.txt"},
      {.what = "a re-cased spelling that reaches the twin", .op = Lookup, .a = "C:\\Case\\Plain.txt",
       .want = "plain.txt", .posix = "Plain.txt"},
      {.what = "a file's alias", .op = Lookup, .a = "{Letter to Ann.doc}", .mask = 0,
       .want = "Letter to Ann.doc"},
      {.what = "an alias in the folder part", .op = Lookup, .a = "C:\\{My Documents}\\report.DOC",
       .mask = 0, .want = "Report.doc"},
      {.what = "a folder's alias under mask 63", .op = Lookup, .a = "C:\\{My Documents}",
       .want = "My Documents"},
      {.what = "a folder is no file for mask 0", .op = Lookup, .a = "Sub", .mask = 0, .want = ""},
      {.what = "a folder under mask 16", .op = Lookup, .a = "sub", .mask = 16, .want = "Sub"},
      {.what = "a read-only file counts as a file", .op = Lookup, .a = "README.TXT", .mask = 0,
       .want = "readme.txt"},
      {.what = "a hidden file is not found by mask 0", .op = Lookup, .a = ".hidden.txt", .mask = 0,
       .want = ""},
      {.what = "a hidden file under mask 2", .op = Lookup, .a = ".hidden.txt", .mask = 2,
       .want = ".hidden.txt"},
      {.what = "a hidden file under mask 63", .op = Lookup, .a = ".HIDDEN.TXT", .want = ".hidden.txt"},
      {.what = "a system entry is not found by mask 0", .op = Lookup, .a = "system.dat", .mask = 0,
       .want = ""},
      {.what = "a system entry under mask 63", .op = Lookup, .a = "SYSTEM.DAT", .want = "system.dat"},
      {.what = "another drive", .op = Lookup, .a = "D:\\Backup\\old.doc", .mask = 0, .want = "Old.doc"},
      {.what = "another drive's working directory", .op = Lookup, .a = "D:backup", .want = "Backup"},
      {.what = "a missing name", .op = Lookup, .a = "none.txt", .want = ""},
      {.what = "a missing folder", .op = Lookup, .a = "C:\\Nowhere\\notes.txt", .want = ""},
      {.what = "a pattern", .op = Lookup, .a = "n?tes.*", .mask = 0, .want = "notes.txt"},
      {.what = "a pattern finds a folder under mask 63", .op = Lookup, .a = "su?", .want = "Sub"},
      {.what = "a pattern finds a read-only file", .op = Lookup, .a = "READ?E.*", .mask = 0,
       .want = "readme.txt"},
      {.what = "a pattern sees aliases", .op = Lookup, .a = "*~*.doc", .mask = 0,
       .want = "Letter to Ann.doc"},
      {.what = "a pattern obeys the mask", .op = Lookup, .a = "s*", .mask = 0, .want = ""},
      {.what = "a pattern that matches nothing", .op = Lookup, .a = "*.none", .want = ""},
      // Windows lists a folder in its file system's order, which under Wine
      // is the Linux folder's.
      {.what = "'*' gives the first entry in the folder's own order", .op = Lookup, .a = "*",
       .want = ".git", .win32 = kAnyEntry},
      // Intake takes plain names only: "." and ".." never lead anywhere.
      {.what = "'.' names no entry", .op = Lookup, .a = ".", .want = ""},
      {.what = "'..' names no entry", .op = Lookup, .a = "..", .want = ""},
      {.what = "'..' after a folder names no entry", .op = Lookup, .a = "C:\\Docs\\Sub\\..",
       .want = ""},
      {.what = "'.' after a folder names no entry", .op = Lookup, .a = "C:\\Docs\\.", .want = ""},
      {.what = "an empty name", .op = Lookup, .a = "", .want = ""},
      {.what = "a trailing backslash", .op = Lookup, .a = "C:\\Docs\\", .want = ""},
      // Windows ignores a trailing dot, so the Win32 layer refuses the name
      // rather than act on the file it would stand for; Linux keeps it.
      {.what = "a trailing dot", .op = Lookup, .a = "notes.txt.", .mask = 0, .want = "",
       .simulated = "notes.txt", .win32 = kThrows},
      {.what = "a trailing space", .op = Lookup, .a = "notes.txt ", .mask = 0, .want = "",
       .simulated = "notes.txt", .win32 = kThrows},
      {.what = "a device name", .op = Lookup, .a = "con", .want = "", .win32 = kThrows},
      {.what = "a character Windows forbids", .op = Lookup, .a = "a|b", .want = kThrows,
       .posix = ""},
      {.what = "a control character", .op = Lookup, .a = "a\x01" "b", .want = kThrows},
      {.what = "a pattern in a folder", .op = Lookup, .a = "C:\\D*\\notes.txt", .want = kThrows},
      {.what = "a drive that is not ready", .op = Lookup, .a = "E:\\x", .want = kThrows},
      {.what = "a drive that does not exist", .op = Lookup, .a = "Q:\\x", .want = kThrows},
      {.what = "a share that does not exist", .op = Lookup, .a = "\\\\nosuchserver\\share\\x",
       .want = kThrows},

      // --- The working directory of each drive, as entered.
      {.what = "entered as typed", .op = ChangeDirectory, .a = "SUB", .want = docs + "\\SUB"},
      {.what = "an alias stays an alias", .op = ChangeDirectory, .a = "C:\\{My Documents}",
       .want = "C:\\{My Documents}"},
      {.what = "'..' inside a path", .op = ChangeDirectory, .a = "sub\\..\\Sub",
       .want = docs + "\\Sub"},
      {.what = "'..' to the root", .op = ChangeDirectory, .a = "..", .want = "C:\\"},
      {.what = "another drive's folder changes only what that drive keeps", .op = ChangeDirectory,
       .a = "D:\\backup", .want = docs},
      {.what = "a file is no folder", .op = ChangeDirectory, .a = "C:\\Docs\\notes.txt",
       .want = kThrows},
      {.what = "a missing folder", .op = ChangeDirectory, .a = "C:\\Nowhere", .want = kThrows},
      {.what = "a drive that is not ready", .op = ChangeDirectory, .a = "E:\\", .want = kThrows},
      {.what = "an empty path", .op = ChangeDirectory, .a = "", .want = kThrows},
      {.what = "a drive keeps its folder", .op = ChangeDrive, .a = "d:", .want = "D:\\backup",
       .steps = {"cd D:\\backup"}},
      {.what = "the first character counts", .op = ChangeDrive, .a = "c", .want = docs,
       .steps = {"drive D:"}},
      {.what = "a drive that is not ready", .op = ChangeDrive, .a = "E:", .want = kThrows},
      {.what = "a drive that does not exist", .op = ChangeDrive, .a = "Q:", .want = kThrows},
      {.what = "no letter", .op = ChangeDrive, .a = "1:", .want = kThrows},
      {.what = "nothing", .op = ChangeDrive, .a = "", .want = kThrows},

      // --- Folders for the directory list.
      {.what = "read back as stored", .op = OpenFolder, .a = "c:\\DOCS\\sub\\", .want = docs + "\\Sub"},
      {.what = "through an alias", .op = OpenFolder, .a = "C:\\{My Documents}",
       .want = "C:\\My Documents"},
      {.what = "relative to the working directory", .op = OpenFolder, .a = "sub",
       .want = docs + "\\Sub"},
      {.what = "'..' inside a path", .op = OpenFolder, .a = "C:\\Docs\\Sub\\..", .want = docs},
      {.what = "a drive is its working directory", .op = OpenFolder, .a = "D:", .want = "D:\\"},
      {.what = "a drive whose working directory is not its root", .op = OpenFolder, .a = "d:",
       .want = "D:\\Backup", .steps = {"cd D:\\BACKUP"}},
      {.what = "a file", .op = OpenFolder, .a = "C:\\Docs\\notes.txt", .want = kThrows},
      {.what = "a missing folder", .op = OpenFolder, .a = "C:\\Nowhere", .want = kThrows},
      {.what = "a pattern", .op = OpenFolder, .a = "C:\\D*", .want = kThrows},
      {.what = "a drive that is not ready", .op = OpenFolder, .a = "E:\\", .want = kThrows},
      {.what = "two backslashes", .op = OpenFolder, .a = "\\\\", .want = kThrows},
      {.what = "nothing", .op = OpenFolder, .a = "", .want = kThrows},
      // Linux sorts names by their bytes, as its own tools do.
      {.what = "visible folders in name order", .op = SubFolders, .a = "C:\\Docs",
       .want = "archive|Sub", .posix = "Sub|archive"},
      {.what = "a drive that is not ready", .op = SubFolders, .a = "E:\\", .want = kThrows},

      // --- The same file through another spelling.
      {.what = "letter case", .op = SameFile, .a = "C:\\Docs\\notes.txt", .b = "c:\\docs\\NOTES.TXT",
       .want = "same"},
      {.what = "an alias", .op = SameFile, .a = "C:\\Docs\\Letter to Ann.doc",
       .b = "C:\\DOCS\\{Letter to Ann.doc}", .want = "same"},
      {.what = "a relative path", .op = SameFile, .a = "notes.txt", .b = "C:\\Docs\\notes.txt",
       .want = "same"},
      {.what = "two files", .op = SameFile, .a = "C:\\Docs\\notes.txt", .b = "C:\\Docs\\readme.txt",
       .want = "different"},
      {.what = "a missing file", .op = SameFile, .a = "C:\\Docs\\none.txt", .b = "C:\\Docs\\none.txt",
       .want = "different"},
      {.what = "twins", .op = SameFile, .a = "C:\\Case\\plain.txt", .b = "C:\\Case\\Plain.txt",
       .want = "same", .posix = "different"},
      {.what = "a trailing dot", .op = SameFile, .a = "C:\\Docs\\notes.txt", .b = "C:\\Docs\\notes.txt.",
       .want = "same", .posix = "different"},
      {.what = "a drive that is not ready", .op = SameFile, .a = "C:\\Docs\\notes.txt",
       .b = "E:\\notes.txt", .want = kThrows},

      // --- CopyFile.
      {.what = "a new file", .op = Copy, .a = "C:\\Docs\\notes.txt", .b = "D:\\Backup\\New.txt",
       .want = "ok", .after = {{"D:\\Backup\\New.txt", "notes"}, {"C:\\Docs\\notes.txt", "notes"}}},
      {.what = "through aliases", .op = Copy, .a = "C:\\{My Documents}\\REPORT.DOC",
       .b = "D:\\BACKUP\\Report.doc", .want = "ok", .after = {{"D:\\Backup\\Report.doc", "report"}}},
      {.what = "an ordinary file is replaced and keeps its spelling", .op = Copy,
       .a = "C:\\Docs\\notes.txt", .b = "D:\\Backup\\OLD.DOC", .want = "ok",
       .after = {{"D:\\Backup\\Old.doc", "notes"}}},
      {.what = "a read-only file there", .op = Copy, .a = "C:\\Docs\\notes.txt",
       .b = "D:\\Backup\\RO.doc", .want = kThrows, .after = {{"D:\\Backup\\ro.doc", "ro"}}},
      {.what = "a hidden file there", .op = Copy, .a = "C:\\Docs\\notes.txt",
       .b = "D:\\Backup\\.hidden.doc", .want = kThrows, .after = {{"D:\\Backup\\.hidden.doc", "hidden"}}},
      {.what = "a system entry there", .op = Copy, .a = "C:\\Docs\\notes.txt",
       .b = "C:\\Docs\\system.dat", .want = kThrows},
      {.what = "a folder there", .op = Copy, .a = "C:\\Docs\\notes.txt", .b = "D:\\Backup\\Folder",
       .want = kThrows, .after = {{"D:\\Backup\\Folder", "<folder>"}}},
      {.what = "onto itself through an alias", .op = Copy, .a = "C:\\Docs\\Letter to Ann.doc",
       .b = "c:\\docs\\{Letter to Ann.doc}", .want = kThrows,
       .after = {{"C:\\Docs\\Letter to Ann.doc", "ann"}}},
      {.what = "onto itself in another case", .op = Copy, .a = "C:\\Docs\\notes.txt",
       .b = "C:\\Docs\\NOTES.txt", .want = kThrows, .after = {{"C:\\Docs\\notes.txt", "notes"}}},
      {.what = "a missing source", .op = Copy, .a = "C:\\Docs\\none.txt", .b = "D:\\Backup\\x.txt",
       .want = kThrows, .after = {{"D:\\Backup\\x.txt", "<missing>"}}},
      {.what = "a folder as source", .op = Copy, .a = "C:\\Docs\\Sub", .b = "D:\\Backup\\x",
       .want = kThrows, .after = {{"D:\\Backup\\x", "<missing>"}}},
      {.what = "a missing folder", .op = Copy, .a = "C:\\Docs\\notes.txt", .b = "C:\\Nowhere\\x.txt",
       .want = kThrows},
      {.what = "a pattern", .op = Copy, .a = "C:\\Docs\\notes.txt", .b = "D:\\Backup\\*.doc",
       .want = kThrows, .after = {{"D:\\Backup\\Old.doc", "old"}}},
      {.what = "a folder path", .op = Copy, .a = "C:\\Docs\\notes.txt", .b = "D:\\Backup\\",
       .want = kThrows},
      {.what = "a drive that is not ready", .op = Copy, .a = "C:\\Docs\\notes.txt", .b = "E:\\x.txt",
       .want = kThrows},
      {.what = "an exact match beside its twin", .op = Copy, .a = "C:\\Case\\plain.txt",
       .b = "D:\\Backup\\plain.txt", .want = "ok", .after = {{"D:\\Backup\\plain.txt", "plain"}}},
      {.what = "a read-only source", .op = Copy, .a = "C:\\Docs\\readme.txt", .b = "D:\\Backup\\r.txt",
       .want = "ok", .after = {{"D:\\Backup\\r.txt", "readme"}}},
      // Windows would open the device instead of a file.
      {.what = "a device name", .op = Copy, .a = "C:\\Docs\\notes.txt", .b = "D:\\Backup\\CON.txt",
       .want = "ok", .win32 = kThrows},

      // --- RenameFile.
      {.what = "into another folder", .op = Rename, .a = "C:\\Docs\\NOTES.TXT",
       .b = "C:\\Docs\\Sub\\Moved.txt", .want = "ok",
       .after = {{"C:\\Docs\\notes.txt", "<missing>"}, {"C:\\Docs\\Sub\\Moved.txt", "notes"}}},
      // Wine keeps the old spelling where Windows takes the new one.
      {.what = "only the letter case", .op = Rename, .a = "C:\\Docs\\notes.txt",
       .b = "C:\\Docs\\NOTES.TXT", .want = "ok"},
      {.what = "through an alias", .op = Rename, .a = "C:\\Docs\\{Letter to Ann.doc}",
       .b = "C:\\Docs\\Ann.doc", .want = "ok", .after = {{"C:\\Docs\\Ann.doc", "ann"}}},
      {.what = "a folder", .op = Rename, .a = "C:\\Docs\\Sub", .b = "C:\\Docs\\Sub2", .want = "ok",
       .after = {{"C:\\Docs\\Sub2", "<folder>"}}},
      {.what = "never onto a file", .op = Rename, .a = "C:\\Docs\\notes.txt",
       .b = "C:\\Docs\\README.TXT", .want = kThrows,
       .after = {{"C:\\Docs\\notes.txt", "notes"}, {"C:\\Docs\\readme.txt", "readme"}}},
      {.what = "never onto a hidden file", .op = Rename, .a = "C:\\Docs\\notes.txt",
       .b = "C:\\Docs\\.hidden.txt", .want = kThrows, .after = {{"C:\\Docs\\.hidden.txt", "hidden"}}},
      {.what = "never onto a folder", .op = Rename, .a = "C:\\Docs\\notes.txt", .b = "C:\\Docs\\sub",
       .want = kThrows, .after = {{"C:\\Docs\\notes.txt", "notes"}}},
      {.what = "a missing source", .op = Rename, .a = "C:\\Docs\\none.txt", .b = "C:\\Docs\\x.txt",
       .want = kThrows, .after = {{"C:\\Docs\\x.txt", "<missing>"}}},
      {.what = "a pattern", .op = Rename, .a = "C:\\Docs\\notes.txt", .b = "C:\\Docs\\?.txt",
       .want = kThrows, .after = {{"C:\\Docs\\notes.txt", "notes"}}},
      // Where twins can be, a change of letter case may reach another file.
      {.what = "never onto a twin", .op = Rename, .a = "C:\\Case\\plain.txt",
       .b = "C:\\Case\\Plain.txt", .want = "ok", .posix = kThrows,
       .after = {{"C:\\Case\\Plain.txt", "Plain"}}},
      {.what = "a device name", .op = Rename, .a = "C:\\Docs\\notes.txt", .b = "C:\\Docs\\nul",
       .want = "ok", .win32 = kThrows},
      // Replace gives way to an ordinary file only, which keeps its spelling.
      {.what = "Replace: over a file", .op = Rename, .a = "C:\\Docs\\notes.txt",
       .b = "C:\\My Documents\\REPORT.DOC", .existing = Existing::Replace, .want = "ok",
       .after = {{"C:\\Docs\\notes.txt", "<missing>"}, {"C:\\My Documents\\Report.doc", "notes"}}},
      {.what = "Replace: to a free name", .op = Rename, .a = "C:\\Docs\\notes.txt", .b = "C:\\Docs\\Sub\\n.txt",
       .existing = Existing::Replace, .want = "ok", .after = {{"C:\\Docs\\Sub\\n.txt", "notes"}}},
      {.what = "Replace: never a read-only file", .op = Rename, .a = "C:\\Docs\\notes.txt",
       .b = "C:\\Docs\\readme.txt", .existing = Existing::Replace, .want = kThrows,
       .after = {{"C:\\Docs\\notes.txt", "notes"}, {"C:\\Docs\\readme.txt", "readme"}}},
      {.what = "Replace: never a hidden file", .op = Rename, .a = "C:\\Docs\\notes.txt",
       .b = "C:\\Docs\\.hidden.txt", .existing = Existing::Replace, .want = kThrows,
       .after = {{"C:\\Docs\\notes.txt", "notes"}, {"C:\\Docs\\.hidden.txt", "hidden"}}},
      {.what = "Replace: never a system entry", .op = Rename, .a = "C:\\Docs\\notes.txt",
       .b = "C:\\Docs\\system.dat", .existing = Existing::Replace, .want = kThrows,
       .after = {{"C:\\Docs\\notes.txt", "notes"}}},
      {.what = "Replace: never a folder", .op = Rename, .a = "C:\\Docs\\notes.txt", .b = "C:\\Docs\\sub",
       .existing = Existing::Replace, .want = kThrows,
       .after = {{"C:\\Docs\\notes.txt", "notes"}, {"C:\\Docs\\Sub", "<folder>"}}},

      // --- DeleteFile.
      {.what = "a file", .op = Delete, .a = "C:\\DOCS\\NOTES.TXT", .want = "ok",
       .after = {{"C:\\Docs\\notes.txt", "<missing>"}, {"C:\\Docs\\readme.txt", "readme"}}},
      {.what = "through an alias", .op = Delete, .a = "C:\\Docs\\{Letter to Ann.doc}", .want = "ok",
       .after = {{"C:\\Docs\\Letter to Ann.doc", "<missing>"}}},
      {.what = "a hidden file", .op = Delete, .a = "C:\\Docs\\.hidden.txt", .want = "ok",
       .after = {{"C:\\Docs\\.hidden.txt", "<missing>"}}},
      {.what = "an exact match beside its twin", .op = Delete, .a = "C:\\Case\\plain.txt", .want = "ok",
       .after = {{"C:\\Case\\plain.txt", "<missing>"}, {"C:\\Case\\Plain.txt", "Plain"}}},
      {.what = "a read-only file", .op = Delete, .a = "C:\\Docs\\readme.txt", .want = kThrows,
       .after = {{"C:\\Docs\\readme.txt", "readme"}}},
      // On Linux a system entry is a device, FIFO or socket: never a file to delete.
      {.what = "a system entry", .op = Delete, .a = "C:\\Docs\\system.dat", .want = "ok",
       .posix = kThrows},
      {.what = "a folder", .op = Delete, .a = "C:\\Docs\\Sub", .want = kThrows,
       .after = {{"C:\\Docs\\Sub", "<folder>"}}},
      {.what = "a missing file", .op = Delete, .a = "C:\\Docs\\none.txt", .want = kThrows},
      {.what = "a pattern", .op = Delete, .a = "C:\\Docs\\*.txt", .want = kThrows,
       .after = {{"C:\\Docs\\notes.txt", "notes"}}},
      {.what = "a folder path", .op = Delete, .a = "C:\\Docs\\", .want = kThrows},
      // Windows would delete notes.txt itself.
      {.what = "a trailing dot", .op = Delete, .a = "C:\\Docs\\notes.txt.", .want = kThrows,
       .simulated = "ok"},
  };
  return cases;
}
// clang-format on

const char* FamilyOf(Op op) {
  switch (op) {
    case Op::Lookup:
      return "Lookup";
    case Op::ChangeDrive:
    case Op::ChangeDirectory:
      return "WorkingDirectory";
    case Op::OpenFolder:
    case Op::SubFolders:
      return "Folders";
    case Op::SameFile:
      return "SameFile";
    case Op::Copy:
      return "CopyFile";
    case Op::Rename:
      return "RenameFile";
    case Op::Delete:
      return "DeleteFile";
  }
  return "";  // not reached: the switch names every Op
}

std::vector<std::string> Families() {
  std::vector<std::string> families;
  for (const Case& c : Cases()) {
    const std::string family = FamilyOf(c.op);
    if (families.empty() || families.back() != family) families.push_back(family);
  }
  return families;
}

namespace {

// The tree entry whose last component is `name`.
std::string EntryNamed(const std::string& name) {
  for (const TreeEntry& e : StartingTree()) {
    if (e.path.size() > name.size() &&
        e.path.compare(e.path.size() - name.size(), name.size(), name) == 0 &&
        e.path[e.path.size() - name.size() - 1] == '\\') {
      return e.path;
    }
  }
  return {};
}

// Replaces each "{Name}" with that entry's alias.
std::string WithAliases(World& world, std::string text) {
  for (std::size_t open; (open = text.find('{')) != std::string::npos;) {
    const std::size_t close = text.find('}', open);
    const std::string path = EntryNamed(text.substr(open + 1, close - open - 1));
    const std::string alias = path.empty() ? std::string() : world.Alias(path);
    if (alias.empty()) return "<no alias for " + text.substr(open, close - open + 1) + ">";
    text.replace(open, close - open + 1, alias);
  }
  return text;
}

const TreeEntry* TreeEntryAt(const std::string& path) {
  for (const TreeEntry& e : StartingTree()) {
    if (e.path == path) return &e;
  }
  return nullptr;
}

bool IsTwin(const std::string& path) {
  const TreeEntry* e = TreeEntryAt(path);
  return e != nullptr && e->twin;
}

// What the entry at `path` holds in the starting tree, as World::Read gives it.
std::string AtStart(const std::string& path) {
  const TreeEntry* e = TreeEntryAt(path);
  if (e == nullptr) return "<missing>";
  if (e->attributes & kFolder) return "<folder>";
  return (e->attributes & kSystem) ? "<system>" : e->contents;
}

bool IsTablePath(const std::string& text) { return text.size() >= 2 && text[1] == ':'; }

bool ChangesFiles(Op op) { return op == Op::Copy || op == Op::Rename || op == Op::Delete; }

std::string Outcome(World& world, const Case& c) {
  FileSystem& p = world.Files();
  const auto arg = [&](const std::string& text) {
    const std::string expanded = WithAliases(world, text);
    return IsTablePath(expanded) ? world.Here(expanded) : expanded;
  };
  switch (c.op) {
    case Op::Lookup:
      return p.DirectoryLookup(arg(c.a), c.mask);
    case Op::ChangeDrive:
      p.ChangeDrive(c.a);
      return p.CurrentDirectory();
    case Op::ChangeDirectory:
      p.ChangeDirectory(arg(c.a));
      return p.CurrentDirectory();
    case Op::OpenFolder:
      return p.OpenFolder(arg(c.a));
    case Op::SubFolders: {
      std::string joined;
      for (const std::string& name : p.SubFolders(arg(c.a)))
        joined += (joined.empty() ? "" : "|") + name;
      return joined;
    }
    case Op::SameFile:
      return p.SameFile(arg(c.a), arg(c.b)) ? "same" : "different";
    case Op::Copy:
      return p.CopyFile(arg(c.a), arg(c.b)) == CopyOutcome::Done ? "ok" : "stopped";
    case Op::Rename:
      return p.RenameFile(arg(c.a), arg(c.b), c.existing) == CopyOutcome::Done ? "ok" : "stopped";
    case Op::Delete:
      p.DeleteFile(arg(c.a));
      return "ok";
  }
  return {};
}

std::string Check(Impl impl, World& world, const Case& c) {
  FileSystem& p = world.Files();
  // The start: C: current in C:\Docs, D: at its root.
  p.ChangeDrive("C:");
  p.ChangeDirectory(world.Here("D:\\"));
  p.ChangeDirectory(world.Here("C:\\Docs"));
  for (const std::string& step : c.steps) {
    if (step.rfind("cd ", 0) == 0) p.ChangeDirectory(world.Here(step.substr(3)));
    if (step.rfind("drive ", 0) == 0) p.ChangeDrive(step.substr(6));
  }
  const std::string before = p.CurrentDirectory();

  std::string want = c.want;
  const std::optional<std::string>& own = impl == Impl::Simulated ? c.simulated
                                          : impl == Impl::Posix   ? c.posix
                                                                  : c.win32;
  if (own) want = *own;
  const bool path_outcome =
      c.op == Op::ChangeDrive || c.op == Op::ChangeDirectory || c.op == Op::OpenFolder;
  if (path_outcome && want != kThrows) want = world.Here(WithAliases(world, want));

  std::string got;
  try {
    got = Outcome(world, c);
  } catch (const PlatformError&) {
    got = kThrows;
  }
  std::string failure;
  const bool any_entry =
      want == kAnyEntry && !got.empty() && got != "." && got != ".." && got != kThrows;
  if (got != want && !any_entry) failure = "got [" + got + "], want [" + want + "]";
  if (got == kThrows && p.CurrentDirectory() != before) {
    failure += " the failure moved the working directory to " + p.CurrentDirectory();
  }
  // A system that refuses where the others act leaves every entry as it was.
  const bool refused = own && *own == kThrows && c.want != kThrows;
  for (const auto& [path, holds] : c.after) {
    if (!HoldsTwins(impl) && IsTwin(path)) continue;
    const std::string want_there = refused ? AtStart(path) : holds;
    const std::string now = world.Read(path);
    if (now != want_there)
      failure += " " + path + " holds [" + now + "], want [" + want_there + "]";
  }
  return failure;
}

}  // namespace

void Run(Impl impl, const std::function<std::unique_ptr<World>()>& make, const std::string& family,
         const std::function<void(const std::string& name, const std::string& failure)>& report) {
  std::unique_ptr<World> shared;
  for (const Case& c : Cases()) {
    if (!family.empty() && family != FamilyOf(c.op)) continue;
    const std::string name = std::string(FamilyOf(c.op)) + ": " + c.what;
    std::string failure;
    try {
      std::unique_ptr<World> own;
      if (ChangesFiles(c.op)) {
        own = make();
      } else if (!shared) {
        shared = make();
      }
      failure = Check(impl, own ? *own : *shared, c);
    } catch (const std::exception& e) {
      failure = std::string("set-up failed: ") + e.what();
    }
    report(name, failure);
  }
}

}  // namespace tarnivo::contract
