// Drive-form paths over real folders: lookups, working directories, the
// directory list's folders, the command line and intake through the core.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "Handlers.h"
#include "TempTree.h"
#include "paths/Intake.h"

namespace tarnivo::test {
namespace {

class Paths : public ::testing::Test {
 protected:
  void SetUp() override {
    MakeDir(tree / "c");
    MakeDir(tree / "c/My Documents");
    WriteAll(tree / "c/My Documents/Letter to Ann.doc", "ann");
    WriteAll(tree / "c/My Documents/README.TXT", "readme in docs");
    WriteAll(tree / "c/Readme.txt", "readme");
    WriteAll(tree / "c/.hidden", "h");
    MakeDir(tree / "c/.git");
    ASSERT_EQ(::mkfifo((tree / "c/fifo").c_str(), 0644), 0);
    WriteAll(tree / "c/RO.txt", "ro", 0444);
    MakeDir(tree / "c/dup");
    WriteAll(tree / "c/dup/Photo.jpg", "1");
    WriteAll(tree / "c/dup/photo.JPG", "2");
    WriteAll(tree / "c/dup/plain.txt", "3");
    WriteAll(tree / "c/dup/Plain.txt", "4");
    MakeDir(tree / "c/Music");
    MakeDir(tree / "c/music");
    WriteAll(tree / "c/caf\xC3\xA9.txt", "utf8");  // café in UTF-8
    WriteAll(tree / "c/caf\xE9.txt", "latin1");    // café in Latin-1: not UTF-8
    WriteAll(tree / "c/what?.txt", "literal");
    WriteAll(tree / "c/whatx.txt", "x");
    MakeDir(tree / "c/nested");
    MakeDir(tree / "c/nested/Inner");
    MakeDir(tree / "d");
    MakeDir(tree / "d/Backup");
    ASSERT_EQ(::symlink((tree / "d/Backup").c_str(), (tree / "c/to-backup").c_str()), 0);
    ASSERT_EQ(::symlink((tree / "c/Readme.txt").c_str(), (tree / "c/readme-link").c_str()), 0);
    ASSERT_EQ(::link((tree / "c/Readme.txt").c_str(), (tree / "c/hard.txt").c_str()), 0);
    platform = tree.Platform("C=c;D=d;E=missing;F=c/nested");
  }

  std::string Cwd() {
    char buffer[4096];
    return ::getcwd(buffer, sizeof buffer) ? buffer : "";
  }

  TempTree tree;
  std::unique_ptr<PosixFileSystem> platform;
  ScriptedUi ui;
};

// What only Linux has; the rest of the lookup rules are the platform
// contract's table.
TEST_F(Paths, LookupOfWhatOnlyLinuxHas) {
  const struct {
    const char* name;
    int mask;
    const char* stored;
  } cases[] = {
      {"C:\\mydocu~1\\letter~1.doc", 0, "Letter to Ann.doc"},  // this layer's alias form
      {"*.txt", 0, "RO.txt"},                                  // the first in byte order
      {"what\xEF\x80\xBF.txt", 0, "what\xEF\x80\xBF.txt"},     // "what?.txt" on disk
      {"wh*x.txt", 0, "whatx.txt"},
      {"caf\xE9.txt", 0, "caf\xE9.txt"},   // not UTF-8: byte for byte
      {"CAF\xC9.TXT", 0, ""},              // stray bytes are not letters
      {"dup\\PHOTO.JPG", 0, "Photo.jpg"},  // either of two: the first
      {"F:\\INNER", 63, "Inner"},          // a drive inside another's folder
      {"/My Documents/Letter to Ann.doc", 0, "Letter to Ann.doc"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(platform->DirectoryLookup(c.name, c.mask), c.stored) << c.name << " mask " << c.mask;
  }
  for (const char* name : {"\\\\", "\\\\server", "1:\\x"}) {
    EXPECT_THROW(platform->DirectoryLookup(name, 63), PlatformError) << name;
  }
}

// The process's own working directory follows the current drive's; the
// drives' working directories themselves are the contract's table.
TEST_F(Paths, TheProcessFollowsTheCurrentDrivesWorkingDirectory) {
  platform->ChangeDirectory("MYDOCU~1");
  EXPECT_EQ(Cwd(), tree / "c/My Documents");
  platform->ChangeDirectory("..");
  platform->ChangeDirectory("d:\\BACKUP");  // another drive: its own folder moves
  EXPECT_EQ(Cwd(), tree / "c");
  platform->ChangeDrive("d:");
  EXPECT_EQ(platform->CurrentDirectory(), "D:\\BACKUP");
  EXPECT_EQ(Cwd(), tree / "d/Backup");
  platform->ChangeDrive("C");
  EXPECT_EQ(Cwd(), tree / "c");

  // Two folders that differ only in case, and a share: refused, nothing moves.
  for (const char* directory : {"MUSIC", "\\\\server\\share"}) {
    EXPECT_THROW(platform->ChangeDirectory(directory), PlatformError) << directory;
    EXPECT_EQ(platform->CurrentDirectory(), "C:\\");
    EXPECT_EQ(Cwd(), tree / "c");
  }

  // A drive whose folder went away is entered at its root.
  MakeDir(tree / "d/Gone");
  platform->ChangeDirectory("D:\\Gone");
  ASSERT_EQ(::rmdir((tree / "d/Gone").c_str()), 0);
  platform->ChangeDrive("D:");
  EXPECT_EQ(platform->CurrentDirectory(), "D:\\");
}

TEST_F(Paths, OpenFolderReadsBackInStoredFormOnTheMostSpecificDrive) {
  const struct {
    std::string in;
    std::string out;  // "" when it throws
  } cases[] = {
      {tree / "d/backup", "D:\\Backup"},  // a Linux path typed into the network box
      {tree / "d/Backup/", "D:\\Backup"},
      {"C:\\NESTED\\inner", "F:\\Inner"},
      {"C:\\to-backup", "C:\\to-backup"},
      {"C:\\MUSIC", ""},
      {"/proc", ""},
  };
  for (const auto& c : cases) {
    if (c.out.empty()) {
      EXPECT_THROW(platform->OpenFolder(c.in), PlatformError) << c.in;
    } else {
      EXPECT_EQ(platform->OpenFolder(c.in), c.out) << c.in;
    }
  }
  EXPECT_EQ(platform->CurrentDirectory(), "C:\\");  // the list never moves it
  EXPECT_EQ(platform->ToNativePath("C:\\MYDOCU~1\\letter~1.doc"),
            tree / "c/My Documents/Letter to Ann.doc");
  EXPECT_EQ(platform->ToNativePath("C:\\MYDOCU~1\\new name.doc"),
            tree / "c/My Documents/new name.doc");
  EXPECT_EQ(platform->ToDriveForm(tree / "c/nested/Inner"), "F:\\Inner");
  EXPECT_THROW(platform->ToDriveForm("/proc"), PlatformError);
}

TEST_F(Paths, SubFoldersAreTheVisibleFoldersInNameOrder) {
  EXPECT_EQ(
      platform->SubFolders("C:\\"),  // links to folders are folders too
      (std::vector<std::string>{"Music", "My Documents", "dup", "music", "nested", "to-backup"}));
  EXPECT_EQ(platform->SubFolders("F:\\"), (std::vector<std::string>{"Inner"}));
  const auto drives = platform->DriveList();
  ASSERT_EQ(drives.size(), 4u);
  EXPECT_EQ(drives[0].letter, 'C');
  EXPECT_EQ(drives[3].letter, 'F');
  EXPECT_EQ(drives[3].label, "nested");
}

TEST_F(Paths, SameFileFollowsEverySpelling) {
  const struct {
    const char* a;
    const char* b;
    bool same;
  } cases[] = {
      {"C:\\Readme.txt", "C:\\readme-link", true},
      {"C:\\Readme.txt", "C:\\hard.txt", true},
      {"C:\\Readme.txt", "Q:\\Readme.txt", false},
      {"C:\\Readme.txt", "\\\\nosuchserver\\share\\Readme.txt", false},
  };
  for (const auto& c : cases) EXPECT_EQ(platform->SameFile(c.a, c.b), c.same) << c.a << " " << c.b;
  EXPECT_THROW(platform->SameFile("C:\\Readme.txt", "C:\\dup\\photo.jpg"), PlatformError);
}

TEST(NetworkFolders, AMountedShareIsReachedByItsUncPathAndNoOtherIs) {
  TempTree tree;
  MakeDir(tree / "c");
  WriteAll(tree / "c/a.txt", "a");
  MakeDir(tree / "run");
  MakeDir(tree / "run/gvfs");
  const std::string share = tree / "run/gvfs/smb-share:server=nas,share=team%20docs,user=ann";
  MakeDir(share);
  MakeDir(share + "/Reports");
  WriteAll(share + "/Reports/Q1.txt", "q1");
  const char* old_runtime = std::getenv("XDG_RUNTIME_DIR");
  const std::string saved = old_runtime ? old_runtime : "";
  ::setenv("XDG_RUNTIME_DIR", (tree / "run").c_str(), 1);
  auto platform = tree.Platform("C=c");

  const std::string reports = "\\\\nas\\team docs\\Reports";
  EXPECT_EQ(platform->OpenFolder("\\\\NAS\\Team Docs\\reports\\"), reports);
  EXPECT_EQ(platform->OpenFolder("smb://nas/team%20docs/reports"), reports);
  EXPECT_EQ(platform->OpenFolder(share + "/Reports"), reports);
  EXPECT_EQ(platform->SubFolders("\\\\nas\\team docs"), (std::vector<std::string>{"Reports"}));
  EXPECT_EQ(platform->DirectoryLookup(reports + "\\q1.TXT", 0), "Q1.txt");
  platform->CopyFile("C:\\a.txt", reports + "\\a.txt");
  EXPECT_EQ(ReadAll(share + "/Reports/a.txt"), "a");
  EXPECT_TRUE(platform->SameFile(reports + "\\A.TXT", "\\\\nas\\TEAM DOCS\\reports\\a.txt"));

  for (const char* elsewhere : {"\\\\nas\\other", "\\\\server\\team docs", "\\\\", "\\\\nas"}) {
    EXPECT_THROW(platform->OpenFolder(elsewhere), PlatformError) << elsewhere;
  }
  EXPECT_FALSE(platform->SameFile("C:\\a.txt", "\\\\nas\\other\\a.txt"));
  EXPECT_THROW(platform->ChangeDirectory(reports), PlatformError);  // working folders are on drives

  // A drive that holds the FUSE folder: the file manager's path of a file on
  // the share is a drive path like any other, and keeps its letter.
  platform = tree.Platform("C=c;D=run");
  const std::string on_drive =
      "D:\\gvfs\\smb-share\xEF\x80\xBAserver=nas,share=team%20docs,user=ann\\Reports";
  EXPECT_EQ(platform->CommandLineOf({share + "/Reports/Q1.txt"}), on_drive + "\\Q1.txt");
  EXPECT_EQ(platform->OpenFolder(on_drive), on_drive);
  EXPECT_EQ(platform->OpenFolder(reports), reports);
  EXPECT_TRUE(platform->SameFile(on_drive + "\\Q1.txt", reports + "\\q1.txt"));

  if (old_runtime != nullptr) {
    ::setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
  } else {
    ::unsetenv("XDG_RUNTIME_DIR");
  }
}

TEST(PlatformStart, CommandLineGivesDriveFormPaths) {
  TempTree tree;
  MakeDir(tree / "c");
  MakeDir(tree / "c/My Documents");
  WriteAll(tree / "c/My Documents/x.doc", "x");
  WriteAll(tree / "c/a.txt", "a");
  const struct {
    std::vector<std::string> args;
    std::string line;
  } cases[] = {
      {{}, ""},
      {{tree / "c/My Documents/x.doc"}, "\"C:\\My Documents\\x.doc\""},
      {{tree / "c/a.txt", "second"}, "C:\\a.txt second"},
      {{"a.txt"}, "C:\\a.txt"},  // relative to where it was started
      {{"file://" + tree / "c/My%20Documents/x.doc"}, "\"C:\\My Documents\\x.doc\""},
      {{"/proc/version"}, "/proc/version"},  // on no drive: left as it is
      {{"--flag"}, "--flag"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(tree.Platform("C=c")->CommandLineOf(c.args), c.line)
        << (c.args.empty() ? "" : c.args[0]);
  }
}

TEST(PlatformStart, MalformedDriveMapIsReportedAndTheDefaultMapUsed) {
  TempTree tree;
  ::testing::internal::CaptureStderr();
  PosixFileSystem platform(posix::PinnedDrives("C=relative;D"));
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("TARNIVO_DRIVES"), std::string::npos) << err;
  const auto drives = platform.DriveList();
  ASSERT_FALSE(drives.empty());
  EXPECT_EQ(drives[0].letter, 'C');
  EXPECT_EQ(platform.ToNativePath("C:\\"), "/");
}

TEST_F(Paths, IntakeResolvesAliasesToStoredNamesThroughTheCore) {
  const struct {
    const char* path;
    const char* resolved;
    const char* cwd;
  } cases[] = {
      {"C:\\MYDOCU~1\\LETTER~1.DOC", "C:\\My Documents\\Letter to Ann.doc", "c/My Documents"},
      {"c:\\my documents\\readme.txt", "C:\\My Documents\\Readme.txt", "c/My Documents"},
      {"C:\\README.TXT", "C:\\Readme.txt", "c"},
      {"D:\\BACKUP", "D:\\Backup", "d"},
      {"C:\\dup\\plain.txt", "C:\\Dup\\plain.txt", "c/dup"},  // "Plain.txt" is another file
  };
  for (const auto& c : cases) {
    EXPECT_EQ(InitDir({*platform, ui}, c.path), c.resolved) << c.path;
    EXPECT_EQ(Cwd(), tree / c.cwd) << c.path;
  }
  // Two folders that differ only in letter case: intake does not guess; and
  // ".." is no entry of a folder.
  for (const char* path : {"C:\\MUSIC\\x.mp3", "C:\\MYDOCU~1\\..\\README.TXT"}) {
    EXPECT_THROW(InitDir({*platform, ui}, path), ProgramEnded) << path;
  }
  EXPECT_EQ(ui.shown, (std::vector<Shown>{kFileNotFound, kFileNotFound}));
}

}  // namespace
}  // namespace tarnivo::test
