// The Win32 platform layer against real files under Wine: the contracts of
// PlatformServices where Windows' own behaviour had to be shaped, and the
// pure helpers of the Win32 files.
#include <chrono>

#include "Files.h"
#include "Harness.h"
#include "dialog/win32/DirListModel.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/WinText.h"

namespace tarnivo::wine {
namespace {

using win32::Narrow;
using win32::Widen;

const std::wstring kRoot = L"C:\\tarnivo-checks";

template <typename F>
bool Throws(F&& f) {
  try {
    f();
  } catch (const PlatformError&) {
    return true;
  }
  return false;
}

void CommandLineText(Check& check) {
  const struct {
    const wchar_t* line;
    const wchar_t* arguments;
  } cases[] = {
      {L"tarnivo.exe C:\\A.TXT", L"C:\\A.TXT"},
      {L"\"C:\\Program Files\\T\\tarnivo.exe\"  C:\\MYDOCU~1\\A.DOC", L"C:\\MYDOCU~1\\A.DOC"},
      {L"tarnivo.exe", L""},
      {L"tarnivo.exe \t \"C:\\My Documents\\a b.txt\"", L"\"C:\\My Documents\\a b.txt\""},
      {L"\"C:\\x y\\tarnivo.exe\"C:\\A.TXT", L"C:\\A.TXT"},
      {L"t.exe a.txt b.txt  ", L"a.txt b.txt  "},
  };
  for (const auto& c : cases) {
    check.Equal(Utf8(Win32Platform::ArgumentsOf(c.line)), Utf8(c.arguments), "arguments of " + Utf8(c.line));
  }
}

void TextConversion(Check& check) {
  for (const std::string text : {"plain.txt", "\xC3\x84rger \xF0\x9F\x98\x80.txt", "", "C:\\\xE6\x97\xA5\\x"}) {
    check.Equal(Narrow(Widen(text)), text, "round trip of " + text);
  }
  const std::wstring lone = {L'a', static_cast<wchar_t>(0xD800), L'b'};
  check.That(Widen(Narrow(lone)) == lone, "a lone surrogate survives the round trip");
  check.That(Widen("\xFF") == L"\xFFFD", "a stray byte becomes U+FFFD");
  const struct {
    int chars;
    int offset;
  } offsets[] = {{0, 0}, {1, 1}, {2, 3}, {3, 4}, {9, 4}};
  for (const auto& o : offsets) {
    check.Equal(win32::Utf16Offset("a\xF0\x9F\x98\x80" "b", o.chars), o.offset,
                "UTF-16 offset of character " + std::to_string(o.chars));
  }
}

void NameRules(Check& check) {
  const struct {
    const char* name;
    bool reserved;
    bool dot_or_space;
  } cases[] = {
      {"con", true, false},       {"CON.txt", true, false},   {"Nul", true, false},
      {"aux.tar.gz", true, false}, {"LPT1 .doc", true, false}, {"com9", true, false},
      {"COM\xC2\xB9", true, false}, {"conout$", true, false},  {"com0", false, false},
      {"lpt10", false, false},    {"console", false, false},  {"icon.ico", false, false},
      {"a.", false, true},        {"a ", false, true},        {"report.doc", false, false},
      {".", false, false},        {"..", false, false},       {"nul.", true, true},
  };
  for (const auto& c : cases) {
    check.Equal(win32::IsReservedDeviceName(c.name), c.reserved, std::string("reserved: ") + c.name);
    check.Equal(win32::EndsInDotOrSpace(c.name), c.dot_or_space, std::string("dot or space: ") + c.name);
  }
}

void LookupMasks(Check& check) {
  const std::wstring dir = kRoot + L"\\lookup";
  FreshFolder(dir);
  WriteFileText(dir + L"\\plain.txt", "p");
  WriteFileText(dir + L"\\readonly.txt", "r", FILE_ATTRIBUTE_READONLY);
  WriteFileText(dir + L"\\hidden.txt", "h", FILE_ATTRIBUTE_HIDDEN);
  WriteFileText(dir + L"\\system.txt", "s", FILE_ATTRIBUTE_SYSTEM);
  WriteFileText(dir + L"\\Long file name.txt", "l");
  CreateDirectoryW((dir + L"\\Folder").c_str(), nullptr);
  Win32Platform platform;
  platform.ChangeDrive("C:");
  platform.ChangeDirectory(Narrow(dir));
  const std::string alias = Utf8(ShortPath(dir + L"\\Long file name.txt"));
  const struct {
    std::string name;
    int mask;
    std::string found;
  } cases[] = {
      {"plain.txt", 0, "plain.txt"},
      {"PLAIN.TXT", 0, "plain.txt"},
      {"readonly.txt", 0, "readonly.txt"},
      {"hidden.txt", 0, ""},
      {"hidden.txt", 63, "hidden.txt"},
      {"system.txt", 0, ""},
      {"system.txt", 63, "system.txt"},
      {"folder", 0, ""},
      {"folder", 63, "Folder"},
      {"missing.txt", 0, ""},
      {"*.none", 63, ""},
      {".", 63, ""},
      {"..", 63, ""},
      {"", 63, ""},
      {"p*.t?t", 0, "plain.txt"},
      {Utf8(dir) + "\\plain.txt", 0, "plain.txt"},
      {Utf8(kRoot) + "\\nowhere\\plain.txt", 0, ""},
      {alias.substr(alias.rfind('\\') + 1), 0, "Long file name.txt"},
  };
  for (const auto& c : cases) {
    check.Equal(platform.DirectoryLookup(c.name, c.mask), c.found,
                "lookup '" + c.name + "' mask " + std::to_string(c.mask));
  }
  const std::string first = platform.DirectoryLookup("*", 63);
  check.That(!first.empty() && first != "." && first != "..", "'*' gives a real entry, got " + first);
  for (const char* malformed : {"con", "NUL.txt", "plain.txt.", "plain.txt ", "a<b", "a|b"}) {
    check.That(Throws([&] { platform.DirectoryLookup(malformed, 0); }),
               std::string("lookup refuses ") + malformed);
  }
}

void WorkingDirectory(Check& check) {
  FreshFolder(kRoot + L"\\Sub Dir");
  Win32Platform platform;
  platform.ChangeDrive("c:");
  platform.ChangeDirectory("C:\\");
  check.Equal(platform.CurrentDirectory(), "C:\\", "a root keeps its backslash");
  platform.ChangeDirectory("tarnivo-checks");
  platform.ChangeDirectory("SUB DIR");
  check.Equal(platform.CurrentDirectory(), "C:\\tarnivo-checks\\SUB DIR", "names as entered");
  platform.ChangeDirectory("C:\\");
  const std::string alias = Utf8(ShortPath(kRoot)).substr(3);
  platform.ChangeDirectory(alias);
  check.Equal(platform.CurrentDirectory(), "C:\\" + alias, "an alias stays an alias");

  platform.ChangeDirectory("C:\\tarnivo-checks\\Sub Dir");
  platform.ChangeDrive("D:");
  check.Equal(platform.CurrentDirectory().substr(0, 2), "D:", "D: is current");
  platform.ChangeDirectory("C:\\tarnivo-checks");  // another drive: only remembered
  check.Equal(platform.CurrentDirectory().substr(0, 2), "D:", "D: stays current");
  platform.ChangeDrive("c");
  check.Equal(platform.CurrentDirectory(), "C:\\tarnivo-checks", "C: keeps its own folder");

  for (const char* drive : {"E:", "Q:", "1:", ""}) {
    check.That(Throws([&] { platform.ChangeDrive(drive); }), std::string("ChangeDrive refuses ") + drive);
  }
  check.That(Throws([&] { platform.ChangeDirectory("C:\\tarnivo-checks\\no such"); }),
             "ChangeDirectory refuses a missing folder");
}

void FileOperations(Check& check) {
  const std::wstring dir = kRoot + L"\\files";
  FreshFolder(dir);
  FreshFolder(L"D:\\tarnivo-checks");
  const std::string d = Utf8(dir);
  WriteFileText(dir + L"\\a.txt", "first");
  WriteFileText(dir + L"\\ro.txt", "read-only", FILE_ATTRIBUTE_READONLY);
  Win32Platform platform;

  platform.CopyFile(d + "\\a.txt", d + "\\b.txt");
  check.Equal(ReadFileText(dir + L"\\b.txt"), "first", "copy");
  WriteFileText(dir + L"\\a.txt", "second");
  platform.CopyFile(d + "\\a.txt", d + "\\b.txt");
  check.Equal(ReadFileText(dir + L"\\b.txt"), "second", "copy replaces an ordinary file");
  check.That(Throws([&] { platform.CopyFile(d + "\\a.txt", d + "\\ro.txt"); }), "copy onto a read-only file fails");
  check.Equal(ReadFileText(dir + L"\\ro.txt"), "read-only", "the read-only file is untouched");
  check.That(Throws([&] { platform.CopyFile(d + "\\none.txt", d + "\\c.txt"); }), "copy of a missing file fails");

  check.That(Throws([&] { platform.DeleteFile(d + "\\ro.txt"); }), "delete of a read-only file fails");
  check.That(Throws([&] { platform.DeleteFile(d + "\\none.txt"); }), "delete of a missing file fails");
  platform.DeleteFile(d + "\\b.txt");
  check.That(!Exists(dir + L"\\b.txt"), "delete removes the file");

  WriteFileText(dir + L"\\taken.txt", "taken");
  check.That(Throws([&] { platform.RenameFile(d + "\\a.txt", d + "\\taken.txt"); }), "rename onto a file fails");
  check.Equal(ReadFileText(dir + L"\\taken.txt"), "taken", "the file in the way is untouched");
  const auto identity = FileIdentity(dir + L"\\a.txt");
  platform.RenameFile(d + "\\a.txt", d + "\\c.txt");
  check.That(!Exists(dir + L"\\a.txt") && ReadFileText(dir + L"\\c.txt") == "second", "rename moves");
  check.That(identity != 0 && FileIdentity(dir + L"\\c.txt") == identity, "rename keeps the file itself");

  // Names that Windows would take for a device or for another file.
  for (const char* name : {"CON.txt", "nul", "com1", "x.", "x ", "Lpt3.doc"}) {
    check.That(Throws([&] { platform.CopyFile(d + "\\c.txt", d + "\\" + name); }),
               std::string("copy refuses ") + name);
    check.That(Throws([&] { platform.RenameFile(d + "\\c.txt", d + "\\" + name); }),
               std::string("rename refuses ") + name);
  }
  check.That(!Exists(dir + L"\\x"), "no file x was made");
  check.That(Throws([&] { platform.DeleteFile(d + "\\c.txt."); }), "delete refuses c.txt.");
  check.That(Throws([&] { platform.DeleteFile(d + "\\c.txt "); }), "delete refuses 'c.txt '");
  check.Equal(ReadFileText(dir + L"\\c.txt"), "second", "c.txt survives both");

  platform.CopyFile(d + "\\ro.txt", "D:\\tarnivo-checks\\ro.txt");
  check.Equal(ReadFileText(L"D:\\tarnivo-checks\\ro.txt"), "read-only", "a read-only file is copied to another drive");

  // A destination past MAX_PATH.
  std::wstring deep = L"\\\\?\\" + dir;
  for (int i = 0; i < 6; ++i) {
    deep += L"\\" + std::wstring(50, static_cast<wchar_t>(L'a' + i));
    CreateDirectoryW(deep.c_str(), nullptr);
  }
  const std::string deep_file = Narrow(deep.substr(4)) + "\\deep.txt";
  platform.CopyFile(d + "\\c.txt", deep_file);
  check.Equal(ReadFileText(deep + L"\\deep.txt"), "second", "copy to a path longer than MAX_PATH");
  check.Equal(platform.DirectoryLookup(deep_file, 0), "deep.txt", "lookup of a path longer than MAX_PATH");
}

void SameFileSpellings(Check& check) {
  const std::wstring dir = kRoot + L"\\same";
  FreshFolder(dir);
  const std::wstring file = dir + L"\\Letter to Ann.doc";
  WriteFileText(file, "letter");
  WriteFileText(dir + L"\\twin.doc", "letter");
  CreateHardLinkW((dir + L"\\link.doc").c_str(), file.c_str(), nullptr);
  Win32Platform platform;
  const std::string f = Utf8(file);
  const struct {
    std::string other;
    bool same;
  } cases[] = {
      {f, true},
      {"c:\\TARNIVO-CHECKS\\SAME\\LETTER TO ANN.DOC", true},
      {Utf8(ShortPath(file)), true},
      {Utf8(dir) + "\\link.doc", true},
      {Utf8(dir) + "\\twin.doc", false},
      {Utf8(dir) + "\\missing.doc", false},
  };
  for (const auto& c : cases) check.Equal(platform.SameFile(f, c.other), c.same, "same file: " + c.other);

  // One folder through two drive letters (D: is a link to a Linux folder).
  wchar_t unix_d[MAX_PATH] = {};
  if (GetEnvironmentVariableW(L"TARNIVO_D_UNIX", unix_d, MAX_PATH) > 0) {
    WriteFileText(L"D:\\tarnivo-checks-same.txt", "x");
    std::wstring z = std::wstring(L"Z:") + unix_d + L"/tarnivo-checks-same.txt";
    for (wchar_t& c : z) {
      if (c == L'/') c = L'\\';
    }
    check.That(platform.SameFile("D:\\tarnivo-checks-same.txt", Utf8(z)), "D: and Z: name one file");
  }
}

void Folders(Check& check) {
  const std::wstring tree = kRoot + L"\\tree";
  FreshFolder(tree + L"\\b");
  CreateDirectoryW((tree + L"\\A").c_str(), nullptr);
  CreateDirectoryW((tree + L"\\c").c_str(), nullptr);
  SetFileAttributesW((tree + L"\\c").c_str(), FILE_ATTRIBUTE_HIDDEN);
  CreateDirectoryW((tree + L"\\Program Files").c_str(), nullptr);
  WriteFileText(tree + L"\\file.txt", "f");
  Win32Platform platform;
  const struct {
    std::string given;
    std::string opened;
  } cases[] = {
      {"c:\\TARNIVO-CHECKS\\tree\\b\\", "C:\\tarnivo-checks\\tree\\b"},
      {"C:\\", "C:\\"},
      {"d:", "D:\\"},
      {Utf8(ShortPath(tree + L"\\Program Files")), "C:\\tarnivo-checks\\tree\\Program Files"},
      {"C:\\tarnivo-checks\\tree\\b\\..\\A", "C:\\tarnivo-checks\\tree\\A"},
  };
  for (const auto& c : cases) check.Equal(platform.OpenFolder(c.given), c.opened, "open " + c.given);
  for (const char* bad : {"C:\\tarnivo-checks\\tree\\missing", "\\\\", "C:\\tarnivo-checks\\tree\\file.txt",
                          "E:\\", "C:\\tarnivo-checks\\*"}) {
    check.That(Throws([&] { platform.OpenFolder(bad); }), std::string("cannot open ") + bad);
  }
  const std::vector<std::string> sub = platform.SubFolders(Utf8(tree));
  const std::vector<std::string> want = {"A", "b", "Program Files"};
  check.That(sub == want, "subfolders in name order without hidden ones");
}

void Drives(Check& check) {
  Win32Platform platform;
  const auto start = std::chrono::steady_clock::now();
  const std::vector<DriveInfo> drives = platform.DriveList();
  const auto took = std::chrono::steady_clock::now() - start;
  std::string letters;
  for (const DriveInfo& drive : drives) letters += drive.letter;
  check.That(letters.find('C') != std::string::npos && letters.find('D') != std::string::npos,
             "C: and D: are listed: " + letters);
  bool sorted = true;
  for (std::size_t i = 1; i < letters.size(); ++i) sorted = sorted && letters[i - 1] < letters[i];
  check.That(sorted, "drives in letter order: " + letters);
  check.That(took < std::chrono::seconds(10), "the drive list does not wait for a drive");
}

void DirListEntries(Check& check) {
  using win32::DirEntries;
  const auto show = [](const std::vector<win32::DirEntry>& entries) {
    std::string s;
    for (const auto& e : entries) {
      s += e.text + "|" + e.path + "|" + std::to_string(e.level) + (e.open ? "o" : "c") + " ";
    }
    return s;
  };
  const struct {
    std::string path;
    std::vector<std::string> sub;
    std::string want;
  } cases[] = {
      {"C:\\", {"A", "B"}, "C:\\|C:\\|0o A|C:\\A|1c B|C:\\B|1c "},
      {"C:\\A\\B", {"x"}, "C:\\|C:\\|0o A|C:\\A|1o B|C:\\A\\B|2o x|C:\\A\\B\\x|3c "},
      {"\\\\srv\\share\\d", {}, "\\\\srv\\share|\\\\srv\\share|0o d|\\\\srv\\share\\d|1o "},
      {"", {"x"}, ""},
  };
  for (const auto& c : cases) check.Equal(show(DirEntries(c.path, c.sub)), c.want, "entries of " + c.path);
  check.Equal(win32::CurrentEntry(DirEntries("C:\\A", {"x", "y"})), 1, "current entry");
}

}  // namespace

std::vector<TestCase> PlatformChecks() {
  return {
      {"platform: command line without the program's name", CommandLineText},
      {"platform: UTF-8 and UTF-16 conversion", TextConversion},
      {"platform: reserved device names and trailing dots", NameRules},
      {"platform: lookup by attribute mask", LookupMasks},
      {"platform: working directory per drive, as entered", WorkingDirectory},
      {"platform: copy, delete and rename", FileOperations},
      {"platform: same file through another spelling", SameFileSpellings},
      {"platform: folders open in their stored form", Folders},
      {"platform: drive list", Drives},
      {"dialog: directory list entries", DirListEntries},
  };
}

}  // namespace tarnivo::wine
