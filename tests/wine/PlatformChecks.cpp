// The Win32 platform layer against real files under Wine: the platform
// contract's table, what only Windows has (device names, MAX_PATH, hard
// links, one folder through two letters), and the pure helpers of the Win32
// files.
#include <chrono>

#include "Files.h"
#include "Harness.h"
#include "PlatformContract.h"
#include "dialog/win32/Win32Desktop.h"
#include "platform/win32/Win32FileSystem.h"
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
    check.Equal(Utf8(win32::Win32Desktop::ArgumentsOf(c.line)), Utf8(c.arguments),
                "arguments of " + Utf8(c.line));
  }
}

void TextConversion(Check& check) {
  for (const std::string text :
       {"plain.txt", "\xC3\x84rger \xF0\x9F\x98\x80.txt", "", "C:\\\xE6\x97\xA5\\x"}) {
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
    check.Equal(win32::Utf16Offset("a\xF0\x9F\x98\x80"
                                   "b",
                                   o.chars),
                o.offset, "UTF-16 offset of character " + std::to_string(o.chars));
  }
}

void NameRules(Check& check) {
  const struct {
    const char* name;
    bool reserved;
    bool dot_or_space;
  } cases[] = {
      {"con", true, false},         {"CON.txt", true, false},   {"Nul", true, false},
      {"aux.tar.gz", true, false},  {"LPT1 .doc", true, false}, {"com9", true, false},
      {"COM\xC2\xB9", true, false}, {"conout$", true, false},   {"com0", false, false},
      {"lpt10", false, false},      {"console", false, false},  {"icon.ico", false, false},
      {"a.", false, true},          {"a ", false, true},        {"report.doc", false, false},
      {".", false, false},          {"..", false, false},       {"nul.", true, true},
  };
  for (const auto& c : cases) {
    check.Equal(win32::IsReservedDeviceName(c.name), c.reserved,
                std::string("reserved: ") + c.name);
    check.Equal(win32::EndsInDotOrSpace(c.name), c.dot_or_space,
                std::string("dot or space: ") + c.name);
  }
}

// The table's drives C: and D: are scratch folders of the Wine prefix's C:
// and of the scratch drive D:; E: is the run's drive without a disk.
class WineWorld : public contract::World {
 public:
  WineWorld() {
    FreshFolder(Widen(Here("C:\\")));
    FreshFolder(Widen(Here("D:\\")));
    for (const contract::TreeEntry& e : contract::StartingTree()) {
      if (e.twin && !contract::HoldsTwins(contract::Impl::Win32)) continue;
      const std::wstring path = Widen(Here(e.path));
      const DWORD attributes = e.attributes & ~contract::kFolder;
      if (e.attributes & contract::kFolder) {
        CreateDirectoryW(path.c_str(), nullptr);
        if (attributes != 0) SetFileAttributesW(path.c_str(), attributes);
      } else {
        WriteFileText(path, e.contents, attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL);
      }
    }
  }
  FileSystem& Files() override { return platform_; }
  std::string Here(const std::string& path) override {
    const bool ours = path.size() >= 3 && path[1] == ':' && path[2] == '\\' &&
                      (path[0] == 'C' || path[0] == 'c' || path[0] == 'D' || path[0] == 'd');
    if (!ours) return path;
    return path.substr(0, 2) + "\\tarnivo-contract" + (path.size() > 3 ? path.substr(2) : "");
  }
  std::string Alias(const std::string& path) override {
    const std::string alias = Utf8(ShortPath(Widen(Here(path))));
    return alias.substr(alias.rfind('\\') + 1);
  }
  std::string Read(const std::string& path) override {
    const std::wstring here = Widen(Here(path));
    WIN32_FIND_DATAW data;
    const HANDLE find = FindFirstFileW(here.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return "<missing>";
    FindClose(find);
    const std::string stored = Narrow(data.cFileName);
    if (stored != path.substr(path.rfind('\\') + 1)) return "<stored as " + stored + ">";
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return "<folder>";
    return ReadFileText(here);
  }

 private:
  Win32FileSystem platform_;
};

void Contract(Check& check, const std::string& family) {
  contract::Run(
      contract::Impl::Win32, [] { return std::make_unique<WineWorld>(); }, family,
      [&](const std::string& name, const std::string& failure) {
        check.That(failure.empty(), name + ": " + failure);
      });
}

// A root keeps its backslash; the table's C: is a folder below the root.
void RootWorkingDirectory(Check& check) {
  Win32FileSystem platform;
  platform.ChangeDrive("c:");
  platform.ChangeDirectory("C:\\");
  check.Equal(platform.CurrentDirectory(), "C:\\", "a root keeps its backslash");
  check.Equal(platform.OpenFolder("C:\\"), "C:\\", "a root opens with its backslash");
}

void FileOperations(Check& check) {
  const std::wstring dir = kRoot + L"\\files";
  FreshFolder(dir);
  const std::string d = Utf8(dir);
  WriteFileText(dir + L"\\c.txt", "second");
  Win32FileSystem platform;
  const auto identity = FileIdentity(dir + L"\\c.txt");
  platform.RenameFile(d + "\\c.txt", d + "\\a.txt", Existing::Refuse);
  platform.RenameFile(d + "\\a.txt", d + "\\c.txt", Existing::Refuse);
  check.That(identity != 0 && FileIdentity(dir + L"\\c.txt") == identity,
             "rename keeps the file itself");

  // Names that Windows would take for a device or for another file.
  for (const char* name : {"CON.txt", "nul", "com1", "x.", "x ", "Lpt3.doc"}) {
    check.That(Throws([&] { platform.CopyFile(d + "\\c.txt", d + "\\" + name); }),
               std::string("copy refuses ") + name);
    check.That(
        Throws([&] { platform.RenameFile(d + "\\c.txt", d + "\\" + name, Existing::Refuse); }),
        std::string("rename refuses ") + name);
  }
  check.That(!Exists(dir + L"\\x"), "no file x was made");
  check.That(Throws([&] { platform.DeleteFile(d + "\\c.txt."); }), "delete refuses c.txt.");
  check.That(Throws([&] { platform.DeleteFile(d + "\\c.txt "); }), "delete refuses 'c.txt '");
  check.Equal(ReadFileText(dir + L"\\c.txt"), "second", "c.txt survives both");

  // A destination past MAX_PATH.
  std::wstring deep = L"\\\\?\\" + dir;
  for (int i = 0; i < 6; ++i) {
    deep += L"\\" + std::wstring(50, static_cast<wchar_t>(L'a' + i));
    CreateDirectoryW(deep.c_str(), nullptr);
  }
  const std::string deep_file = Narrow(deep.substr(4)) + "\\deep.txt";
  platform.CopyFile(d + "\\c.txt", deep_file);
  check.Equal(ReadFileText(deep + L"\\deep.txt"), "second", "copy to a path longer than MAX_PATH");
  check.Equal(platform.DirectoryLookup(deep_file, 0), "deep.txt",
              "lookup of a path longer than MAX_PATH");
}

// A copy, or a move across volumes, that is stopped or fails keeps the old
// file and the source and leaves no temporary file; a finished one has what
// CopyFileExW gives (attributes, times) under the old file's spelling.
void Replacement(Check& check) {
  wchar_t other[MAX_PATH] = {};  // a folder of D: on another volume, if run.sh made one
  GetEnvironmentVariableW(L"TARNIVO_OTHER_VOLUME", other, MAX_PATH);
  const struct {
    const char* what;
    bool move, stop;
    const wchar_t* in_use;  // a file held open without sharing
    const char* want;
  } cases[] = {
      {"copy", false, false, nullptr, "ok"},
      {"stopped copy", false, true, nullptr, "stopped"},
      {"copy of a source in use", false, false, L"new.txt", "throws"},
      {"copy over a file in use", false, false, L"Old.txt", "throws"},
      {"move across volumes", true, false, nullptr, "ok"},
      {"stopped move across volumes", true, true, nullptr, "stopped"},
  };
  for (const auto& c : cases) {
    if (c.move && !*other) continue;  // run.sh says why
    const std::wstring from = kRoot + L"\\replace", to = c.move ? other : from;
    const std::wstring source = from + L"\\new.txt", model = kRoot + L"\\model\\new.txt";
    for (const std::wstring& folder : {from, to, kRoot + L"\\model"}) FreshFolder(folder);
    WriteFileText(source, "new");
    const FILETIME when{0, 0x01c08d00};  // early 2001
    HANDLE h =
        CreateFileW(source.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    SetFileTime(h, nullptr, nullptr, &when);
    CloseHandle(h);
    if (!c.move) SetFileAttributesW(source.c_str(), FILE_ATTRIBUTE_READONLY);
    CopyFileExW(source.c_str(), model.c_str(), nullptr, nullptr, nullptr, 0);
    WriteFileText(to + L"\\Old.txt", "old");
    const std::wstring held = c.in_use ? from + L"\\" + c.in_use : L"";  // copies: from == to
    h = CreateFileW(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    Win32FileSystem platform;
    platform.SetCopyProgress([&](Win32FileSystem::CopyPhase phase, std::uint64_t, std::uint64_t) {
      if (c.stop && phase == Win32FileSystem::CopyPhase::Begin) platform.StopCopy();
    });
    std::string got = "throws";
    try {
      const std::string s = Utf8(source), d = Utf8(to) + "\\OLD.TXT";
      const CopyOutcome outcome =
          c.move ? platform.RenameFile(s, d, Existing::Replace) : platform.CopyFile(s, d);
      got = outcome == CopyOutcome::Done ? "ok" : "stopped";
    } catch (const PlatformError&) {
    }
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);

    const std::string what = c.what;
    const bool done = got == "ok";
    check.Equal(got, c.want, what);
    check.Equal(ReadFileText(to + L"\\Old.txt"), done ? "new" : "old", what + ": the old file");
    check.Equal(ReadFileText(source), done && c.move ? "<missing>" : "new", what + ": the source");
    check.Equal(FolderEntries(to), c.move ? 1 : 2, what + ": no temporary file");
    WIN32_FIND_DATAW found{}, want{};
    FindClose(FindFirstFileW((to + L"\\old.txt").c_str(), &found));
    FindClose(FindFirstFileW(model.c_str(), &want));
    check.Equal(Utf8(found.cFileName), "Old.txt", what + ": the old file's spelling");
    if (done) check.Equal(found.dwFileAttributes, want.dwFileAttributes, what + ": attributes");
    check.That(!done || CompareFileTime(&found.ftLastWriteTime, &want.ftLastWriteTime) == 0,
               what + ": the source's time");
  }
}

void SameFileSpellings(Check& check) {
  const std::wstring dir = kRoot + L"\\same";
  FreshFolder(dir);
  const std::wstring file = dir + L"\\Letter to Ann.doc";
  WriteFileText(file, "letter");
  WriteFileText(dir + L"\\twin.doc", "letter");
  CreateHardLinkW((dir + L"\\link.doc").c_str(), file.c_str(), nullptr);
  Win32FileSystem platform;
  const std::string f = Utf8(file);
  check.That(platform.SameFile(f, Utf8(dir) + "\\link.doc"), "a hard link is the same file");
  check.That(!platform.SameFile(f, Utf8(dir) + "\\twin.doc"), "a copy is another file");

  // One folder through two drive letters (D: is a link to a Linux folder).
  wchar_t unix_d[MAX_PATH] = {};
  if (GetEnvironmentVariableW(L"TARNIVO_D_UNIX", unix_d, MAX_PATH) > 0) {
    WriteFileText(L"D:\\tarnivo-checks-same.txt", "x");
    std::wstring z = std::wstring(L"Z:") + unix_d + L"/tarnivo-checks-same.txt";
    for (wchar_t& c : z) {
      if (c == L'/') c = L'\\';
    }
    check.That(platform.SameFile("D:\\tarnivo-checks-same.txt", Utf8(z)),
               "D: and Z: name one file");
  }
}

void Drives(Check& check) {
  Win32FileSystem platform;
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

}  // namespace

std::vector<TestCase> PlatformChecks() {
  std::vector<TestCase> checks;
  for (const std::string& family : contract::Families()) {
    checks.push_back({"contract: " + family, [family](Check& check) { Contract(check, family); }});
  }
  std::vector<TestCase> own = {
      {"platform: command line without the program's name", CommandLineText},
      {"platform: UTF-8 and UTF-16 conversion", TextConversion},
      {"platform: reserved device names and trailing dots", NameRules},
      {"platform: a root keeps its backslash", RootWorkingDirectory},
      {"platform: device names, trailing dots, MAX_PATH", FileOperations},
      {"platform: a stopped or failed replacement keeps the old file", Replacement},
      {"platform: same file through a hard link and another letter", SameFileSpellings},
      {"platform: drive list", Drives},
  };
  checks.insert(checks.end(), own.begin(), own.end());
  return checks;
}

}  // namespace tarnivo::wine
