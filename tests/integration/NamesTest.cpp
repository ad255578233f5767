// The name rules on their own: 8.3 legality, alias generation, DOS patterns,
// the mapping of Linux names to drive form, and the drive map's text parsing.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/posix/DriveMap.h"
#include "platform/posix/NameMap.h"
#include "platform/posix/Names.h"

namespace tarnivo::posix {
namespace {

TEST(Names, Legal83) {
  const struct {
    const char* name;
    bool legal;
  } cases[] = {
      {"README.TXT", true},
      {"readme.txt", true},
      {"A~1", true},
      {"12345678.123", true},
      {"Readme.text", false},
      {"My Documents", false},
      {".profile", false},
      {"a.b.c", false},
      {"123456789", false},
      {"a.", false},
      {"a+b.txt", false},
      {"\xC3\xA4.txt", false},
      {"", false},
      {"..", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsLegal83(c.name), c.legal) << c.name;
}

TEST(Names, AliasesAreCountedInNameOrderAndNeverClash) {
  const struct {
    std::vector<std::string> names;  // in name order
    std::vector<std::string> aliases;
  } cases[] = {
      {{"My Documents", "My Downloads", "Program Files"}, {"MYDOCU~1", "MYDOWN~1", "PROGRA~1"}},
      {{"Letter to Ann.doc", "Letter to Bob.doc"}, {"LETTER~1.DOC", "LETTER~2.DOC"}},
      // A legal 8.3 name needs none, and no alias takes its name.
      {{"LETTER~1.DOC", "Letter to Ann.doc", "README.TXT"}, {"", "LETTER~2.DOC", ""}},
      {{".profile", "a+b;c.text", "archive.tar.gz"}, {"PROFIL~1", "A_B_C~1.TEX", "ARCHIV~1.GZ"}},
      // A character outside ASCII, and a byte that is not UTF-8, stand as '_'.
      {{"x\xFFy long.txt", "\xC3\xA4rger.txt"}, {"X_YLON~1.TXT", "_RGER~1.TXT"}},
      {{"...", "."}, {"", ""}},
      // A name whose letters fold to an alias's (the Kelvin sign to 'k') would
      // be found by a lookup of that alias first: the alias goes to the next.
      {{"k long name", "\xE2\x84\xAALONGN~1"}, {"KLONGN~2", "_LONGN~1"}},
  };
  for (const auto& c : cases) EXPECT_EQ(MakeAliases(c.names), c.aliases) << c.names.front();

  // From the tenth on, the start gives up a character for the number.
  std::vector<std::string> many;
  for (int i = 0; i < 12; ++i)
    many.push_back("Holiday photo " + std::string(1, char('a' + i)) + ".jpeg");
  const auto aliases = MakeAliases(many);
  EXPECT_EQ(aliases[0], "HOLIDA~1.JPE");
  EXPECT_EQ(aliases[8], "HOLIDA~9.JPE");
  EXPECT_EQ(aliases[9], "HOLID~10.JPE");
  EXPECT_EQ(aliases[11], "HOLID~12.JPE");
  std::vector<std::string> sorted = aliases;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(std::adjacent_find(sorted.begin(), sorted.end()), sorted.end());
}

// Looking one alias up among the few names numbered against it gives the
// entry that numbering the whole folder gives, for every alias of a folder,
// in either letter case, and for the numbers next to it that may be free.
TEST(Names, AliasLookupAgreesWithNumberingTheWholeFolder) {
  std::vector<std::vector<std::string>> folders = {
      // Legal names that look like aliases push numbers on; neighbours with
      // another suffix or a longer start than "LETTER" are numbered apart.
      {"LETTER~1.DOC", "Letter to Ann.doc", "Letter to Bob.doc", "LETTE~10.DOC", "Letter.docx",
       "Letter to Cy.txt", "Letterhead.doc", "letter~3.doc"},
      // Names whose letters fold to a legal name (the Kelvin sign, the long s)
      // keep their spelling from every alias; a '~' inside a start.
      {"k long name", "\xE2\x84\xAALONGN~1", "\xE2\x84\xAA~1", "k .a", "K_~1.A", "s .txt",
       "\xC5\xBF~1.txt", "a~b long.txt", "A~BLON~1.TXT", "..x", ".profile", "ab cd", "abc"},
  };
  // Starts cut short past ~9 and ~99 share numbers with their neighbours.
  std::vector<std::string> many = {"HOLI~101.JPE", "Holiness.jpeg", "Holy days.jpeg"};
  for (int i = 0; i < 120; ++i) many.push_back("Holiday photo " + std::to_string(i) + ".jpeg");
  for (int i = 0; i < 12; ++i) many.push_back("Holidays " + std::to_string(i) + ".jpeg");
  folders.push_back(many);

  for (auto& folder : folders) {
    std::sort(folder.begin(), folder.end());
    const std::vector<std::string> aliases = MakeAliases(folder);
    std::vector<std::string> probes;
    for (const std::string& alias : aliases) {
      if (alias.empty()) continue;
      const std::size_t tilde = alias.rfind('~');
      const std::size_t dot = alias.find('.', tilde);
      const std::string suffix = dot == std::string::npos ? "" : alias.substr(dot);
      const unsigned long n = std::stoul(alias.substr(tilde + 1));
      std::string lower = alias;
      std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
      probes.insert(probes.end(),
                    {alias, lower, alias.substr(0, tilde + 1) + std::to_string(n + 1) + suffix});
    }
    for (const std::string& probe : probes) {
      std::string upper = probe;
      std::transform(upper.begin(), upper.end(), upper.begin(), ::toupper);
      const auto whole = std::find(aliases.begin(), aliases.end(), upper);
      const std::size_t expected =
          whole == aliases.end() ? AliasLookup::kNone : whole - aliases.begin();

      const AliasLookup lookup(probe);
      std::vector<std::string_view> kept;
      std::vector<std::size_t> index;
      for (std::size_t i = 0; i < folder.size(); ++i) {
        if (!lookup.Concerns(folder[i])) continue;
        kept.push_back(folder[i]);
        index.push_back(i);
      }
      const std::size_t at = lookup.Find(kept);
      EXPECT_EQ(at == AliasLookup::kNone ? at : index[at], expected) << probe;
      EXPECT_LT(kept.size(), folder.size()) << probe;
    }
  }
}

TEST(Names, DosPatterns) {
  const struct {
    const char* pattern;
    const char* name;
    bool match;
  } cases[] = {
      {"*.*", "README", true},      {"*.*", ".profile", true},
      {"*", "a.b", true},           {"*.txt", "Notes.TXT", true},
      {"*.txt", "a.b.txt", true},   {"*.txt", "a.txt.bak", false},
      {"*.", "README", true},       {"*.", "a.txt", false},
      {"x.*", "x", true},           {"x.*", "x.doc", true},
      {"x.*", "xy.doc", false},     {"?.doc", "a.doc", true},
      {"??.doc", "a.doc", true},    {"?.doc", "ab.doc", false},
      {"a?c", "abc", true},         {"a?c", "a.c", false},
      {"REP*", "report.doc", true}, {"\xC3\x84*", "\xC3\xA4rger", true},
      {"*~1*", "MYDOCU~1", true},   {"a*b*c", "aXbYbZc", true},
      {"a*b*c", "aXbYbZ", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MatchesPattern(c.pattern, c.name), c.match) << c.pattern << " vs " << c.name;
  }
}

// U+F000 + c in UTF-8.
std::string Private(char c) {
  std::string out;
  const char32_t code = 0xF000 + static_cast<unsigned char>(c);
  out += static_cast<char>(0xE0 | (code >> 12));
  out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
  out += static_cast<char>(0x80 | (code & 0x3F));
  return out;
}

TEST(NameMap, EveryCharacterRoundTripsAndOnlyThoseEight) {
  for (const char c : std::string("\\:*?\"<>|")) {
    const std::string linux_name = std::string("a") + c + "b";
    const std::string drive = "a" + Private(c) + "b";
    EXPECT_EQ(DriveName(linux_name), drive) << c;
    EXPECT_EQ(LinuxName(drive), linux_name) << c;
    EXPECT_EQ(TypedName(linux_name), drive) << c;
  }
  // Everything else stays, bytes that are not UTF-8 and other private-use
  // characters included.
  for (const std::string name : {"plain.txt", "a/b", "\xFF\xFE", "\xEF\x80\xA1!", "\xC3\xA4:"}) {
    const auto drive = DriveName(name);
    ASSERT_TRUE(drive.has_value()) << name;
    EXPECT_EQ(LinuxName(*drive), name);
  }
  EXPECT_EQ(DriveName("\xEF\x80\xA1!"), "\xEF\x80\xA1!");
  EXPECT_EQ(TypedName("a/b"), "a/b");
}

TEST(NameMap, NamesHoldingThePrivateCharactersHaveNoDriveForm) {
  // Otherwise "a:b" and "a\uF03Ab" would both read as "a\uF03Ab".
  for (const char c : std::string("\\:*?\"<>|")) {
    EXPECT_EQ(DriveName("a" + Private(c)), std::nullopt) << c;
    EXPECT_EQ(DriveName(Private(c) + ":"), std::nullopt) << c;
  }
  // Typed, a private-use character names the ASCII one.
  EXPECT_EQ(LinuxName(TypedName("a" + Private(':'))), "a:");
  // A cut-off sequence is a name of bytes like any other.
  EXPECT_EQ(DriveName("a\xEF\x80"), "a\xEF\x80");
}

TEST(NameMap, TypedPathsMapBelowTheirRoot) {
  const struct {
    std::string typed, drive;
  } cases[] = {
      {"C:\\2024: Q1\\x", "C:\\2024\xEF\x80\xBA Q1\\x"},  // U+F03A
      {"C:\\a\\b|", "C:\\a\\b\xEF\x81\xBC"},              // U+F07C
      {"c:/a|b/", "c:/a" + Private('|') + "b/"},
      {"\\\\127.0.0.1\\share\\what?", "\\\\127.0.0.1\\share\\what" + Private('?')},
      {"\\Backup\\<x>", "\\Backup\\" + Private('<') + "x" + Private('>')},
      {"Sub:1", "Sub" + Private(':') + "1"},
      {"/home/ann/2024: Q1", "/home/ann/2024: Q1"},
      {"smb://nas/docs/a:b", "smb://nas/docs/a:b"},
      {"", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TypedPath(c.typed), c.drive) << c.typed;
    EXPECT_EQ(LinuxName(TypedPath(c.typed)), c.typed) << c.typed;
  }
}

TEST(DriveMap, PinnedMap) {
  const struct {
    const char* map_text;
    const char* letters;  // "" when malformed
  } cases[] = {
      {"C=/;D=/media/usb;E=/srv/share", "CDE"},
      {"e=/srv;c=/", "CE"},
      {"C=/;", "C"},
      {"C=/;;D=/x", ""},
      {"C:/", ""},
      {"1=/x", ""},
      {"C=relative", ""},
      {"C=/;c=/x", ""},
      {";", ""},
  };
  for (const auto& c : cases) {
    std::vector<Drive> drives;
    std::string error;
    const bool ok = ParseDriveMap(c.map_text, drives, error);
    std::string letters;
    for (const Drive& d : drives) letters += d.letter;
    EXPECT_EQ(ok ? letters : "", c.letters) << c.map_text;
    EXPECT_EQ(ok, error.empty()) << c.map_text << ": " << error;
  }
}

TEST(DriveMap, DesktopMountsGetStableLettersInMountPointOrder) {
  const std::vector<MountEntry> first = {
      {"/dev/vda", "/", "ext4"},
      {"/dev/sdc1", "/run/media/ann/ZZ", "vfat"},
      {"/dev/sdb1", "/media/ann/STICK", "vfat"},
      {"proc", "/proc", "proc"},
      {"/dev/sdd1", "/mnt", "ext4"},  // /mnt itself is no volume
      {"//nas/backup", "/mnt/nas", "cifs"},
  };
  std::vector<Drive> drives = DefaultDrives(first);
  std::vector<std::string> roots;
  std::string letters;
  for (const Drive& d : drives) {
    letters += d.letter;
    roots.push_back(d.root);
  }
  EXPECT_EQ(letters, "CDEF");
  EXPECT_EQ(roots,
            (std::vector<std::string>{"/", "/media/ann/STICK", "/mnt/nas", "/run/media/ann/ZZ"}));
  EXPECT_EQ(drives[1].label, "STICK");

  // A stick that comes later takes a free letter; the others keep theirs.
  std::vector<MountEntry> later = first;
  later.push_back({"/dev/sde1", "/media/ann/AAA", "exfat"});
  AddNewMounts(drives, later);
  ASSERT_EQ(drives.size(), 5u);
  EXPECT_EQ(drives[1].root, "/media/ann/STICK");
  EXPECT_EQ(drives[4].letter, 'G');
  EXPECT_EQ(drives[4].root, "/media/ann/AAA");
}

TEST(DriveMap, NetworkSharesFromMountTable) {
  const std::vector<MountEntry> mounts = {
      {"//nas/backup", "/mnt/nas", "cifs"},
      {"//files.example/docs/team", "/srv/team", "smb3"},
      {"/dev/sdb1", "/media/x", "vfat"},
      {"//broken", "/srv/broken", "cifs"},
  };
  const auto shares = NetworkShares(mounts, "/nonexistent");
  ASSERT_EQ(shares.size(), 2u);
  EXPECT_EQ(shares[0].unc, (std::vector<std::string>{"nas", "backup"}));
  EXPECT_EQ(shares[1].unc, (std::vector<std::string>{"files.example", "docs", "team"}));
  EXPECT_EQ(shares[1].dir, "/srv/team");
}

TEST(DriveMap, NormalNative) {
  const struct {
    const char* in;
    const char* out;
  } cases[] = {
      {"/a//b/../c/", "/a/c"}, {"/..", "/"}, {"/", "/"}, {"/a/./b", "/a/b"}, {"//x", "/x"}};
  for (const auto& c : cases) EXPECT_EQ(NormalNative(c.in), c.out) << c.in;
  EXPECT_TRUE(IsUnder("/media/usb/x", "/media/usb"));
  EXPECT_FALSE(IsUnder("/media/usb2", "/media/usb"));
  EXPECT_TRUE(IsUnder("/x", "/"));
}

}  // namespace
}  // namespace tarnivo::posix
