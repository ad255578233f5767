#include <gtest/gtest.h>

#include <functional>

#include "Desk.h"
#include "FakeDialog.h"

namespace tarnivo {
namespace {

using test::FakeDialog;
using test::SimulatedPlatform;

const std::string kSource = "C:\\My Documents\\Report.doc";
using test::kError;
using test::OpenArchive;
using test::OpenBackup;

using Steps = std::function<void(FakeDialog&)>;

// A desk with the dialog opened on the report, Copy or Move chosen.
struct Session {
  explicit Session(bool move) {
    test::BuildDesk(platform);
    platform.SetCommandLine("C:\\MYDOCU~1\\REPORT.DOC");
    EXPECT_TRUE(dialog.Load());
    if (move) dialog.Choose(ControlId::optMove);
  }
  SimulatedPlatform platform;
  FakeDialog dialog{platform};
};

TEST(Transfer, BuildsTheDestinationAndCopiesRenamesOrCopiesAndDeletes) {
  const struct {
    const char* name;
    bool move;
    Steps steps;
    std::vector<std::string> operations;
    bool replaces = false;  // a file is there, and the user answers Yes: never deleted first
  } cases[] = {
      {"copy into a root",
       false,
       [](FakeDialog& d) { d.PickDrive('D'); },
       {"CopyFile " + kSource + " > D:\\REPORT.DOC"}},
      {"copy into a folder",
       false,
       OpenBackup,
       {"CopyFile " + kSource + " > D:\\Backup\\REPORT.DOC"}},
      {"copy under a new name",
       false,
       [](FakeDialog& d) { d.TypeInto(ControlId::txtFileName, "Copy of report.doc"); },
       {"CopyFile " + kSource + " > C:\\My Documents\\Copy of report.doc"}},
      {"move within the drive",
       true,
       OpenArchive,
       {"RenameFile " + kSource + " > C:\\Archive\\REPORT.DOC"}},
      {"move to another drive",
       true,
       OpenBackup,
       {"CopyFile " + kSource + " > D:\\Backup\\REPORT.DOC", "DeleteFile " + kSource}},
      {"move to a network folder",
       true,
       [](FakeDialog& d) { d.TypeInto(ControlId::txtNetwork, "\\\\server\\public\\Inbox"); },
       {"CopyFile " + kSource + " > \\\\server\\public\\Inbox\\REPORT.DOC",
        "DeleteFile " + kSource}},
      {"copy over a file there",
       false,
       OpenBackup,
       {"CopyFile " + kSource + " > D:\\Backup\\REPORT.DOC"},
       true},
      {"move within the drive over a file there",
       true,
       OpenArchive,
       {"RenameFile " + kSource + " > C:\\Archive\\REPORT.DOC (replace)"},
       true},
      {"move to another drive over a file there",
       true,
       OpenBackup,
       {"CopyFile " + kSource + " > D:\\Backup\\REPORT.DOC", "DeleteFile " + kSource},
       true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Session run(c.move);
    c.steps(run.dialog);
    const std::string& last = c.operations.front();
    const std::string destination =
        last.substr(last.find("> ") + 2, last.find(".DOC") + 2 - last.find("> "));
    if (c.replaces) {
      run.platform.AddFile(destination, "old contents");
      run.platform.Answer(MessageBoxResult::Yes);
    }
    run.dialog.ClickOK();
    EXPECT_EQ(run.platform.FileOperations(), c.operations);
    EXPECT_TRUE(run.dialog.Ended());
    EXPECT_EQ(run.platform.Messages().size(), c.replaces ? 1u : 0u);
    EXPECT_EQ(run.platform.Contents(destination), test::kReport);
    EXPECT_EQ(run.platform.Exists(kSource), !c.move);
  }
}

TEST(Transfer, AfterAFailureTheDialogStaysOpenWithItsValuesForAnotherTry) {
  const struct {
    const char* operation;
    Steps steps;
    bool copy_left;          // the copy made before a failed deletion of the source stays
    bool replacing = false;  // over an old file, after Yes: it stays unless replaced whole
  } cases[] = {
      {"SameFile", OpenBackup, false},          {"DirectoryLookup", OpenBackup, false},
      {"CopyFile", OpenBackup, false},          {"DeleteFile", OpenBackup, true},
      {"RenameFile", OpenArchive, false},       {"CopyFile", OpenBackup, false, true},
      {"RenameFile", OpenArchive, false, true}, {"DeleteFile", OpenBackup, true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.operation);
    Session run(/*move=*/true);
    c.steps(run.dialog);
    const std::string folder = run.dialog.State().DirPath();
    const std::string destination = folder + "\\REPORT.DOC";
    if (c.replacing) {
      run.platform.AddFile(destination, "old contents");
      run.platform.Answer(MessageBoxResult::Yes);
    }
    run.platform.FailOperation(c.operation);
    run.platform.Answer(MessageBoxResult::Ok);
    run.dialog.ClickOK();

    ASSERT_FALSE(run.platform.MessageTexts().empty());
    EXPECT_EQ(run.platform.MessageTexts().back(), kError);
    EXPECT_FALSE(run.dialog.Ended());
    EXPECT_EQ(run.platform.Contents(kSource), test::kReport);
    EXPECT_EQ(run.platform.Exists(destination), c.copy_left || c.replacing);
    if (c.replacing) {
      EXPECT_EQ(run.platform.Contents(destination), c.copy_left ? test::kReport : "old contents");
    }
    const DialogState& state = run.dialog.State();
    EXPECT_EQ(state.SourceFile, kSource);
    EXPECT_EQ(state.DirPath(), folder);
    EXPECT_EQ(state.FileName(), "REPORT.DOC");
    EXPECT_TRUE(state.MoveSelected());

    run.platform.ClearFailures();
    if (c.copy_left || c.replacing) run.platform.Answer(MessageBoxResult::Yes);
    run.dialog.ClickOK();
    EXPECT_TRUE(run.dialog.Ended());
    EXPECT_EQ(run.platform.Contents(destination), test::kReport);
    EXPECT_FALSE(run.platform.Exists(kSource));
  }
}

// The user stops the copy while its progress shows: no message, nothing
// changed, the dialog as before OK; OK again then does the whole job.
TEST(Transfer, AStoppedCopyLeavesFilesAndDialogAsTheyWere) {
  const struct {
    const char* name;
    bool move;
    Steps steps;
  } cases[] = {
      {"copy", false, OpenBackup},
      {"move to another drive", true, OpenBackup},
      {"move to a network folder", true,
       [](FakeDialog& d) { d.TypeInto(ControlId::txtNetwork, "\\\\server\\public\\Inbox"); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Session run(c.move);
    c.steps(run.dialog);
    run.dialog.TypeInto(ControlId::txtFileName, "Report copy.doc");
    const std::string folder = run.dialog.State().DirPath();
    const auto before = run.platform.Snapshot();
    run.platform.StopNextCopy();
    run.dialog.ClickOK();

    EXPECT_TRUE(run.platform.Messages().empty());
    EXPECT_FALSE(run.dialog.Ended());
    EXPECT_EQ(run.platform.Snapshot(), before);
    EXPECT_EQ(run.platform.CallsOf("DeleteFile"), 0u);
    const DialogState& state = run.dialog.State();
    EXPECT_EQ(state.DirPath(), folder);
    EXPECT_EQ(state.FileName(), "Report copy.doc");
    EXPECT_EQ(state.MoveSelected(), c.move);

    run.dialog.ClickOK();
    EXPECT_TRUE(run.dialog.Ended());
    EXPECT_EQ(run.platform.Contents(folder + "\\Report copy.doc"), test::kReport);
    EXPECT_EQ(run.platform.Exists(kSource), !c.move);
  }
}

TEST(Transfer, TheNetworkFolderCountsOnlyOnceTheBoxHasLostTheFocus) {
  for (const bool click : {true, false}) {
    SCOPED_TRACE(click ? "click OK" : "press Enter");
    Session run(/*move=*/false);
    OpenBackup(run.dialog);
    run.dialog.TypeInto(ControlId::txtNetwork, "\\\\server\\public\\Inbox");
    if (click) {
      run.dialog.ClickOK();
    } else {
      run.dialog.PressEnter();
    }
    EXPECT_TRUE(run.dialog.Ended());
    EXPECT_EQ(run.platform.Exists("\\\\server\\public\\Inbox\\REPORT.DOC"), click);
    EXPECT_EQ(run.platform.Exists("D:\\Backup\\REPORT.DOC"), !click);
  }
}

// The folder typed names the source's through the share its drive is mapped
// to: the existence check would find the source, and a Yes delete it. (Names
// typed for the source itself are in the typed names' table.)
TEST(Transfer, NeverDeletesOrOverwritesTheSourceItself) {
  SimulatedPlatform platform;
  test::BuildDesk(platform);
  platform.MapDrive('N', "\\\\server\\public");
  platform.AddFile("N:\\Inbox\\MEMO.TXT", "memo");
  platform.SetCommandLine("N:\\INBOX\\MEMO.TXT");
  FakeDialog dialog(platform);
  ASSERT_TRUE(dialog.Load());
  dialog.Choose(ControlId::optMove);
  dialog.TypeInto(ControlId::txtNetwork, "\\\\server\\public\\Inbox");
  const auto before = platform.Snapshot();
  platform.Answer(MessageBoxResult::Ok);
  dialog.ClickOK();
  EXPECT_EQ(platform.MessageTexts(), std::vector<std::string>{kError});
  EXPECT_TRUE(platform.FileOperations().empty());
  EXPECT_EQ(platform.Snapshot(), before);
  EXPECT_FALSE(dialog.Ended());
}

}  // namespace
}  // namespace tarnivo
