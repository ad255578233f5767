#include <gtest/gtest.h>

#include "Desk.h"
#include "FakeDialog.h"
#include "paths/Intake.h"

namespace tarnivo {
namespace {

using test::FakeDialog;
using test::SimulatedPlatform;

TEST(Intake, ToCaseCapitalisesNamesInOneCaseAndKeepsMixedOnes) {
  const struct {
    std::string name, result;
  } cases[] = {
      {"PROGRA~1", "Progra~1"},
      {"readme.txt", "Readme.txt"},
      {"Program Files", "Program Files"},
      {"1998", "1998"},
      {"MY FILES", "My files"},
      {"  REPORT.DOC ", "Report.doc"},
      {"ÄRGER", "Ärger"},
      {"été", "Été"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(ToCase(c.name), c.result) << c.name;
}

TEST(Intake, CommandLineGivesTheFirstPathOrTheQuotedOne) {
  const struct {
    std::string line, path;
  } cases[] = {
      {"C:\\MYDOCU~1\\REPORT.DOC", "C:\\MYDOCU~1\\REPORT.DOC"},
      {"C:\\A.DOC C:\\B.DOC", "C:\\A.DOC"},
      {"C:\\My Documents\\Letter to Ann.doc", "C:\\My"},
      {"\"C:\\My Documents\\Letter to Ann.doc\"", "C:\\My Documents\\Letter to Ann.doc"},
      {"\"C:\\My Documents\\A b.doc\" \"C:\\B.doc\"", "C:\\My Documents\\A b.doc"},
      {"C:\\A.DOC\tC:\\B.DOC", "C:\\A.DOC\tC:\\B.DOC"},  // cut only at a space
      {"\"C:\\Open ended.doc", "C:\\Open ended.doc"},
      {"\"\"", ""},
      {" C:\\A.DOC", ""},  // nothing is trimmed
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(SourceFromCommandLine(c.line), c.path) << c.line;
}

class IntakeOnDesk : public ::testing::Test {
 protected:
  void SetUp() override {
    test::BuildDesk(platform);
    platform.AddFolder("C:\\Notes");
    platform.AddFile("C:\\Notes\\ReadMe.txt");
    platform.AddFolder("C:\\MY FILES", "MYFILE~1");
    platform.AddFile("C:\\MY FILES\\A.TXT");
    platform.AddFolder("C:\\ÄRGER");
    platform.AddFile("C:\\ÄRGER\\ÖL.TXT");
    platform.AddFolder("D:\\Backup\\2024");
    platform.AddFile("D:\\Backup\\2024\\Q1.XLS");
    platform.AddFile("\\\\server\\public\\Inbox\\memo.txt");
  }
  SimulatedPlatform platform;
};

TEST_F(IntakeOnDesk, InitDirResolvesStoredNamesAndEntersTheFolder) {
  const struct {
    std::string path, result, folder;
  } cases[] = {
      {"C:\\README.TXT", "C:\\Readme.txt", "C:\\"},
      {"c:\\readme.txt", "C:\\Readme.txt", "C:\\"},
      {"C:\\NOTES\\README.TXT", "C:\\Notes\\ReadMe.txt", "C:\\Notes"},
      {"C:\\MYDOCU~1\\LETTER~1.DOC", "C:\\My Documents\\Letter to Ann.doc", "C:\\My Documents"},
      {"C:\\MYFILE~1\\A.TXT", "C:\\My files\\A.txt", "C:\\My files"},
      {"C:\\ärger\\öl.txt", "C:\\Ärger\\Öl.txt", "C:\\Ärger"},
      {"d:\\backup\\2024\\q1.xls", "D:\\Backup\\2024\\Q1.xls", "D:\\Backup\\2024"},
      {"C:\\ARCHIVE", "C:\\Archive", "C:\\"},  // a folder passes like a file
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(InitDir(platform.Services(), c.path), c.result);
    EXPECT_EQ(platform.CurrentDrive(), c.result[0]);
    EXPECT_EQ(platform.WorkingDirectory(c.result[0]), c.folder);
  }
  EXPECT_TRUE(platform.Messages().empty());
}

TEST_F(IntakeOnDesk, EveryBadStartSaysFileNotFoundOnceAndEndsUnfilled) {
  const std::string kVanishing = "C:\\README.TXT";
  const std::string lines[] = {
      kVanishing,
      "",
      " C:\\README.TXT",
      "C:\\",
      "\\\\server\\public\\Inbox\\memo.txt",
      "C:\\My Documents\\Nope.doc",
      "\"C:\\My Documents\\Nope.doc\"",
      "C:\\My Documents\\Letter to Ann.doc",  // unquoted: cut at the space
      "README.TXT",                           // relative
      "A:\\x.txt",                            // drive not ready
      "Q:\\x.txt",                            // no such drive
      "C:\\MYDOCU~1\\\\REPORT.DOC",           // empty component
      "C:\\MYDOCU~1\\",
      "C:\\My Documents\\*.DOC",  // a pattern names no file
      "C:\\MY*\\REPORT.DOC",
      "C:\\MYDOCU~1\\REP?RT.DOC",
  };
  for (const std::string& line : lines) {
    SCOPED_TRACE(line);
    SimulatedPlatform world;
    test::BuildDesk(world);
    if (line == kVanishing) {
      // Another program deletes the file while the dialog loads: its stored
      // name is looked up empty.
      world.SetMeasure([&world](const std::string& text) {
        if (world.Exists("C:\\README.TXT")) world.DeleteFile("C:\\README.TXT");
        return 100 * static_cast<int>(text.size());
      });
    }
    world.SetCommandLine(line);
    world.Answer(MessageBoxResult::Ok);
    FakeDialog dialog(world);
    EXPECT_FALSE(dialog.Load());
    ASSERT_EQ(world.Messages().size(), 1u);
    EXPECT_EQ(world.Messages()[0].text, "File not found !!");
    EXPECT_EQ(world.Messages()[0].style, MessageBoxStyle::OkExclamation);
    EXPECT_EQ(world.Calls().back(), "Terminate");
    if (line != kVanishing) {
      EXPECT_EQ(dialog.State().FileNameLabel(), "");
      EXPECT_EQ(dialog.State().FileName(), "Text1");
    }
    EXPECT_FALSE(dialog.State().CopySelected());
  }
}

}  // namespace
}  // namespace tarnivo
