// The simulated platform's own rules, where the other tests rely on them.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "SimulatedPlatform.h"

namespace tarnivo::test {
namespace {

void BuildDocs(SimulatedPlatform& p) {
  p.AddDrive('A', "", false);
  p.AddDrive('C');
  p.AddDrive('D');
  p.AddFolder("C:\\Docs");
  p.AddFile("C:\\Docs\\Letter to Ann.doc", "ann", "LETTER~1.DOC");
  p.AddFile("C:\\Docs\\secret.doc", "", "", kHidden);
  p.AddFolder("C:\\Docs\\Sub");
  p.AddFile("C:\\Docs\\readme.txt", "", "", kReadOnly);
  p.AddFile("C:\\Docs\\io.sys", "", "", kSystem);
  p.AddFile("C:\\Docs\\README");
  p.AddFolder("D:\\Backup");
}

class SimulatedDesk : public ::testing::Test {
 protected:
  void SetUp() override { BuildDocs(p); }
  SimulatedPlatform p;
};

TEST_F(SimulatedDesk, LookupMatchesNamesAliasesAndPatternsUnderTheMask) {
  p.StartIn("C:\\Docs");
  const struct {
    std::string name;
    int mask;
    std::string found;
  } cases[] = {
      {"C:\\Docs\\LETTER~1.DOC", 0, "Letter to Ann.doc"},
      {"c:\\docs\\letter TO ann.DOC", 0, "Letter to Ann.doc"},
      {"letter~1.doc", 0, "Letter to Ann.doc"},  // in the working directory
      {"C:\\Docs\\*.doc", 0, "Letter to Ann.doc"},
      {"C:\\Docs\\LETTER?1.DOC", 0, "Letter to Ann.doc"},
      {"C:\\Docs\\s*", 0, ""},  // hidden file, folder: not for mask 0
      {"C:\\Docs\\s*", 63, "secret.doc"},
      {"C:\\Docs\\su?", 63, "Sub"},
      {"C:\\Docs\\io.sys", 0, ""},
      {"C:\\Docs\\io.sys", 63, "io.sys"},
      {"C:\\Docs\\Sub", 0, ""},
      {"C:\\Docs\\READ?E.TXT", 0, "readme.txt"},  // read-only files count as files
      {"C:\\Docs\\README.*", 0, "readme.txt"},
      {"C:\\Docs\\README.", 0, "README"},
      {"C:\\Docs\\*", 63, "Letter to Ann.doc"},  // the folder's own order
      {"C:\\Docs\\", 63, ""},
      {"C:\\Nope\\x", 63, ""},
      {"D:\\Backup\\x.doc", 0, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(p.DirectoryLookup(c.name, c.mask), c.found) << c.name << " mask " << c.mask;
  }
  for (const std::string bad : {"A:\\x", "C:\\Do|cs\\x", "C:\\D*\\x", "C:\\Docs\\a<b", "Q:\\x"}) {
    EXPECT_THROW(p.DirectoryLookup(bad, 63), PlatformError) << bad;
  }
}

TEST_F(SimulatedDesk, WorkingDirectoryIsKeptPerDriveAsEntered) {
  p.ChangeDrive("c:");
  p.ChangeDirectory("C:\\");
  p.ChangeDirectory("DOCS");
  p.ChangeDirectory("sub\\..\\Sub");
  EXPECT_EQ(p.CurrentDirectory(), "C:\\DOCS\\Sub");
  p.ChangeDirectory("d:\\backup");  // another drive's: the current drive stays
  EXPECT_EQ(p.CurrentDirectory(), "C:\\DOCS\\Sub");
  p.ChangeDrive("D");
  EXPECT_EQ(p.CurrentDirectory(), "d:\\backup");
  EXPECT_EQ(p.OpenFolder("c:"), "C:\\Docs\\Sub");
  EXPECT_EQ(p.OpenFolder("C:\\docs\\"), "C:\\Docs");
  EXPECT_EQ(p.OpenFolder("C:"), "C:\\Docs\\Sub");
  EXPECT_THROW(p.ChangeDrive("a:"), PlatformError);
  EXPECT_THROW(p.ChangeDirectory("C:\\Docs\\readme.txt"), PlatformError);
  EXPECT_THROW(p.OpenFolder("\\\\"), PlatformError);
  EXPECT_EQ(p.SubFolders("C:\\"), std::vector<std::string>{"Docs"});
}

TEST_F(SimulatedDesk, SameFileSeesThroughAliasesCaseAndTrailingDots) {
  EXPECT_TRUE(p.SameFile("C:\\DOCS\\LETTER~1.DOC", "c:\\docs\\letter to ann.doc. "));
  EXPECT_FALSE(p.SameFile("C:\\Docs\\README", "C:\\Docs\\readme.txt"));
  EXPECT_FALSE(p.SameFile("C:\\Docs\\nope", "C:\\Docs\\nope"));
  EXPECT_THROW(p.SameFile("C:\\Docs\\README", "A:\\README"), PlatformError);
}

TEST_F(SimulatedDesk, InjectedFailuresHitTheNthCallOrANamedOperation) {
  p.FailCall(3);
  p.FailOperation("CopyFile", 2);
  EXPECT_NO_THROW(p.CurrentDirectory());
  EXPECT_NO_THROW(p.CopyFile("C:\\Docs\\README", "D:\\a"));
  EXPECT_THROW(p.DriveList(), PlatformError);                            // call 3
  EXPECT_THROW(p.CopyFile("C:\\Docs\\README", "D:\\b"), PlatformError);  // second copy
  EXPECT_NO_THROW(p.CopyFile("C:\\Docs\\README", "D:\\c"));
  EXPECT_FALSE(p.Exists("D:\\b"));
  EXPECT_EQ(p.CallCount(), 5u);
  EXPECT_EQ(p.InjectedFailures(), 2u);
  EXPECT_THROW(p.FailOperation("Format", 1), std::invalid_argument);

  p.FailOperation("Terminate");  // cannot fail
  EXPECT_THROW(p.Terminate(), ProgramEnded);
  EXPECT_TRUE(p.Ended());
  EXPECT_NONFATAL_FAILURE(p.CurrentDirectory(), "called after the program ended");
}

TEST_F(SimulatedDesk, MessageBoxesNeedAScriptedAnswerThatFits) {
  p.Answer(MessageBoxResult::Retry);
  EXPECT_EQ(p.ShowMessage("Drive a: is not ready.", MessageBoxStyle::RetryCancelStop),
            MessageBoxResult::Retry);
  EXPECT_NONFATAL_FAILURE(
      EXPECT_THROW(p.ShowMessage("File not found !!", MessageBoxStyle::OkExclamation),
                   UnscriptedMessage),
      "unscripted message box");
  p.Answer(MessageBoxResult::Yes);
  EXPECT_NONFATAL_FAILURE(
      EXPECT_THROW(p.ShowMessage("Drive a: is not ready.", MessageBoxStyle::RetryCancelStop),
                   UnscriptedMessage),
      "no button");
  EXPECT_EQ(p.Messages().size(), 3u);
}

}  // namespace
}  // namespace tarnivo::test
