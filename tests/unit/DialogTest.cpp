#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "Desk.h"
#include "FakeDialog.h"
#include "dialog/ControlTable.h"

namespace tarnivo {
namespace {

using test::FakeDialog;
using test::kDriveA;
using test::kDriveC;
using test::kDriveD;
using test::SimulatedPlatform;

class DialogOnDesk : public ::testing::Test {
 protected:
  void SetUp() override { test::BuildDesk(platform); }
  // Starts the program on the report and expects the dialog to open.
  void Start() {
    platform.SetCommandLine("C:\\MYDOCU~1\\REPORT.DOC");
    ASSERT_TRUE(dialog.Load());
  }
  SimulatedPlatform platform;
  FakeDialog dialog{platform};
};

TEST_F(DialogOnDesk, TypicalRunMovesTheReportToTheBackupFolder) {
  Start();
  const DialogState& state = dialog.State();
  EXPECT_EQ(state.SourceFile, "C:\\My Documents\\Report.doc");
  EXPECT_EQ(state.FileNameLabel(), "C:\\My Documents\\Report.doc");
  EXPECT_EQ(state.FileName(), "REPORT.DOC");
  EXPECT_EQ(state.DriveText(), "c: [System]");
  EXPECT_EQ(state.DirPath(), "C:\\My Documents");
  EXPECT_TRUE(state.CopySelected());
  EXPECT_FALSE(state.NetworkSelected());
  EXPECT_EQ(platform.WorkingDirectory('C'), "C:\\My Documents");

  dialog.Choose(ControlId::optMove);
  dialog.PickDrive('D');
  EXPECT_EQ(state.DirPath(), "D:\\");
  EXPECT_TRUE(dialog.OpenFolder("Backup"));
  dialog.ClickOK();

  EXPECT_TRUE(dialog.Ended());
  EXPECT_EQ(platform.Contents("D:\\Backup\\REPORT.DOC"), test::kReport);
  EXPECT_FALSE(platform.Exists("C:\\My Documents\\Report.doc"));
  EXPECT_TRUE(platform.Messages().empty());
  EXPECT_EQ(platform.Calls().back(), "Terminate");
}

TEST_F(DialogOnDesk, FormLoadFillsTheDialogForTheSource) {
  const struct {
    std::string line, label, name, folder;
    int drive;
  } cases[] = {
      {"\"C:\\My Documents\\Letter to Ann.doc\"", "C:\\...\\Letter to Ann.doc", "Letter to Ann.doc",
       "C:\\My Documents", kDriveC},
      {"C:\\README.TXT", "C:\\Readme.txt", "README.TXT", "C:\\", kDriveC},
      {"d:\\backup\\old.txt", "D:\\Backup\\Old.txt", "OLD.TXT", "D:\\Backup", kDriveD},
      // The name box looks the name up among every entry, hidden and system ones too.
      {"C:\\WINDOWS\\SYSTEM.INI", "C:\\Windows\\System.ini", "SYSTEM.INI", "C:\\WINDOWS", kDriveC},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    SimulatedPlatform world;
    test::BuildDesk(world);
    world.AddFile("D:\\Backup\\OLD.TXT");
    world.AddFile("C:\\WINDOWS\\SYSTEM.INI", "", "", test::kHidden | test::kSystem);
    world.SetCommandLine(c.line);
    FakeDialog view(world);
    ASSERT_TRUE(view.Load());
    EXPECT_EQ(view.State().FileNameLabel(), c.label);
    EXPECT_EQ(view.State().FileName(), c.name);
    EXPECT_EQ(view.State().DirPath(), c.folder);
    EXPECT_EQ(view.State().DriveIndex(), c.drive);
    EXPECT_EQ(view.State().SavedDriveIndex, c.drive);
    EXPECT_TRUE(view.State().CopySelected());
    EXPECT_EQ(view.Focused(), ControlId::lstDrive);
    EXPECT_TRUE(world.Messages().empty());
  }
}

TEST_F(DialogOnDesk, DriveChangeMovesToTheRootOrAsksToRetry) {
  // Answers: R Retry, r insert a medium into A: and Retry, C Cancel.
  const struct {
    const char* name;
    bool network = false;
    char unready = 0;  // a drive that goes away after the dialog opened
    char pick;
    std::string answers = {};
    std::vector<std::string> messages = {};
    std::string folder;
    int index, saved;
  } cases[] = {
      {.name = "ready drive", .pick = 'D', .folder = "D:\\", .index = kDriveD, .saved = kDriveD},
      {.name = "network selected",
       .network = true,
       .pick = 'D',
       .folder = "C:\\My Documents",
       .index = kDriveD,
       .saved = kDriveC},
      {.name = "retry until ready",
       .pick = 'A',
       .answers = "Rr",
       .messages = {"Drive a: is not ready.", "Drive a: is not ready."},
       .folder = "A:\\",
       .index = kDriveA,
       .saved = kDriveA},
      {.name = "cancel restores",
       .pick = 'A',
       .answers = "C",
       .messages = {"Drive a: is not ready."},
       .folder = "C:\\",
       .index = kDriveC,
       .saved = kDriveC},
      {.name = "cancel to a drive gone too",
       .unready = 'C',
       .pick = 'A',
       .answers = "CC",
       .messages = {"Drive a: is not ready.", "Drive c: is not ready."},
       .folder = "C:\\My Documents",
       .index = kDriveC,
       .saved = kDriveC},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SimulatedPlatform world;
    test::BuildDesk(world);
    world.SetCommandLine("C:\\MYDOCU~1\\REPORT.DOC");
    FakeDialog view(world);
    ASSERT_TRUE(view.Load());
    if (c.network) view.Choose(ControlId::optNetwork);
    if (c.unready) world.SetDriveReady(c.unready, false);
    for (const char a : c.answers) {
      if (a == 'C') world.Answer(MessageBoxResult::Cancel);
      if (a == 'R') world.Answer(MessageBoxResult::Retry);
      if (a == 'r') world.Answer(MessageBoxResult::Retry, [&] { world.SetDriveReady('A', true); });
    }
    view.PickDrive(c.pick);
    EXPECT_EQ(world.MessageTexts(), c.messages);
    for (const auto& m : world.Messages()) EXPECT_EQ(m.style, MessageBoxStyle::RetryCancelStop);
    EXPECT_EQ(view.State().DirPath(), c.folder);
    EXPECT_EQ(view.State().DriveIndex(), c.index);
    EXPECT_EQ(view.State().SavedDriveIndex, c.saved);
    EXPECT_FALSE(view.Ended());
    EXPECT_EQ(world.UnusedAnswers(), 0u);
  }
}

TEST_F(DialogOnDesk, DrivesChangedKeepsTheSelectedAndTheSavedDriveByLetter) {
  // B: arrives before C: and D:, moving them down the list. With Network
  // selected the pick leaves the saved drive on c:.
  for (const bool network : {false, true}) {
    SCOPED_TRACE(network);
    SimulatedPlatform world;
    test::BuildDesk(world);
    world.SetCommandLine("C:\\MYDOCU~1\\REPORT.DOC");
    FakeDialog view(world);
    ASSERT_TRUE(view.Load());
    if (network) view.Choose(ControlId::optNetwork);
    view.PickDrive('D');
    world.AddDrive('B', "Stick");
    view.DrivesChanged();
    const DialogState& state = view.State();
    ASSERT_EQ(state.DriveEntries().size(), 4u);
    EXPECT_EQ(state.DriveText(), "d: [Data]");
    EXPECT_EQ(state.DriveIndex(), 3);
    EXPECT_EQ(state.DriveEntries()[static_cast<std::size_t>(state.SavedDriveIndex)],
              network ? "c: [System]" : "d: [Data]");
    // Cancel on a drive that is not ready goes back to the saved one.
    if (network) view.Choose(ControlId::optDrive);
    world.Answer(MessageBoxResult::Cancel);
    view.PickDrive('A');
    EXPECT_EQ(state.DirPath(), network ? "C:\\" : "D:\\");
    EXPECT_FALSE(view.Ended());
  }
}

TEST_F(DialogOnDesk, NetworkBoxTakesATypedFolderOverWhenItLosesTheFocus) {
  const struct {
    std::string typed, folder;
    int chars;  // what entering the box again selects: the whole text
  } cases[] = {
      {"", "C:\\My Documents", 2},  // tabbing out over the initial "\\"
      {"\\\\server\\public\\Inbox", "\\\\server\\public\\Inbox", 21},
      {"\\\\SERVER\\PUBLIC\\inbox\\", "\\\\server\\public\\Inbox", 22},
      {"  d:\\backup  ", "D:\\Backup", 13},
      {"\\\\server\\nothere", "C:\\My Documents", 16},
      {"\\\\server\\Übergabe", "C:\\My Documents", 17},  // 18 bytes
      {"\\\\nohost", "C:\\My Documents", 8},
      {"C:\\Nope", "C:\\My Documents", 7},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    SimulatedPlatform world;
    test::BuildDesk(world);
    world.SetCommandLine("C:\\MYDOCU~1\\REPORT.DOC");
    FakeDialog view(world);
    ASSERT_TRUE(view.Load());
    view.Focus(ControlId::txtNetwork);
    EXPECT_EQ(view.State().TextBox(ControlId::txtNetwork), (TextBoxValue{"\\\\", 0, 2}));
    if (!c.typed.empty()) view.Type(c.typed);
    EXPECT_EQ(view.State().DirPath(), "C:\\My Documents");  // not before the focus leaves
    view.Tab();
    EXPECT_EQ(view.State().DirPath(), c.folder);
    EXPECT_TRUE(world.Messages().empty());
    EXPECT_EQ(view.State().DriveIndex(), kDriveC);
    view.Focus(ControlId::txtNetwork);
    EXPECT_EQ(view.State().TextBox(ControlId::txtNetwork).sel_length, c.chars);
  }
}

TEST_F(DialogOnDesk, EnteringTheNameBoxSelectsTheNameSoTypingReplacesIt) {
  Start();
  dialog.PressAccessKey('A');  // "&as" leads to the name box
  EXPECT_EQ(dialog.Focused(), ControlId::txtFileName);
  EXPECT_EQ(dialog.State().TextBox(ControlId::txtFileName), (TextBoxValue{"REPORT.DOC", 0, 255}));
  dialog.Type("Summary.doc");
  EXPECT_EQ(dialog.State().FileName(), "Summary.doc");

  // Of a longer name only the first 255 characters are selected.
  dialog.Tab();
  dialog.TypeInto(ControlId::txtFileName, std::string(300, 'x'));
  dialog.Tab();
  dialog.TypeInto(ControlId::txtFileName, "y");
  EXPECT_EQ(dialog.State().FileName(), "y" + std::string(45, 'x'));
}

TEST_F(DialogOnDesk, CancelEscapeAndCloseEndWithoutTouchingAFile) {
  for (int way = 0; way < 3; ++way) {
    SCOPED_TRACE(way);
    SimulatedPlatform world;
    test::BuildDesk(world);
    world.SetCommandLine("C:\\MYDOCU~1\\REPORT.DOC");
    const auto before = world.Snapshot();
    FakeDialog view(world);
    ASSERT_TRUE(view.Load());
    view.Choose(ControlId::optMove);
    if (way == 0) view.ClickCancel();
    if (way == 1) view.PressEscape();
    if (way == 2) view.Close();
    EXPECT_TRUE(view.Ended());
    EXPECT_EQ(world.Calls().back(), "Terminate");
    EXPECT_EQ(world.Snapshot(), before);
    EXPECT_TRUE(world.Messages().empty());
  }
}

TEST_F(DialogOnDesk, HelpOpensTheContentsAndKeepsTheDialogOpen) {
  Start();
  dialog.ClickHelp();
  dialog.PressAccessKey('h');
  dialog.PressF1();
  platform.FailOperation("ShowHelp");
  dialog.ClickHelp();  // a failing viewer is not reported
  ASSERT_EQ(platform.HelpRequests().size(), 3u);
  for (const auto& request : platform.HelpRequests()) {
    EXPECT_EQ(request.owner, FakeDialog::kWindow);
    EXPECT_EQ(request.file, "tarnivo.hlp");
    EXPECT_EQ(request.command, 3);
    EXPECT_EQ(request.data, 0);
  }
  EXPECT_TRUE(platform.Messages().empty());
  EXPECT_FALSE(dialog.Ended());
}

TEST_F(DialogOnDesk, TabVisitsTheStopOfEachOptionGroup) {
  using Id = ControlId;
  const struct {
    std::vector<Id> chosen;
    std::vector<Id> stops;
  } cases[] = {
      // As Form_Load leaves the dialog: Copy and Local.
      {{Id::optCopy, Id::optDrive},
       {Id::lstDrive, Id::lstDir, Id::txtFileName, Id::cmdOK, Id::cmdCancel, Id::cmdHelp,
        Id::optCopy, Id::txtNetwork, Id::optDrive}},
      {{Id::optMove, Id::optNetwork},
       {Id::lstDrive, Id::lstDir, Id::txtFileName, Id::cmdOK, Id::cmdCancel, Id::cmdHelp,
        Id::optMove, Id::optNetwork, Id::txtNetwork}},
      // Neither Copy nor Move yet: the group is still reachable, at its first button.
      {{},
       {Id::lstDrive, Id::lstDir, Id::txtFileName, Id::cmdOK, Id::cmdCancel, Id::cmdHelp,
        Id::optCopy, Id::txtNetwork, Id::optDrive}},
  };
  for (const auto& c : cases) {
    DialogState state(platform);
    for (Id id : c.chosen) {
      if (id == Id::optCopy) state.SelectCopy();
      if (id == Id::optMove) state.SelectMove();
      if (id == Id::optNetwork) state.SelectNetwork();
    }
    std::vector<Id> stops{state.NextTabStop(Id::lblFileName, true)};  // no stop: the first
    while (stops.size() < 20 && state.NextTabStop(stops.back(), true) != stops.front()) {
      stops.push_back(state.NextTabStop(stops.back(), true));
    }
    EXPECT_EQ(stops, c.stops);
    for (const ControlRow& row : kControls) {
      EXPECT_EQ(state.IsTabStop(row.id), std::count(stops.begin(), stops.end(), row.id) == 1);
    }
    EXPECT_EQ(state.NextTabStop(Id::lstDrive, false), c.stops.back());  // and back round
  }
  EXPECT_EQ(AccessTarget(Id::Label3), Id::txtFileName);  // "&as" leads to the name box
}

TEST(ControlTable, LayoutIsConsistent) {
  std::set<int> tab_indexes;
  std::set<char> keys;
  std::map<int, int> group_sizes;
  int defaults = 0, cancels = 0;
  const ControlRow& frame = Control(ControlId::fraDrive);
  for (const ControlRow& c : kControls) {
    SCOPED_TRACE(std::string(c.name));
    EXPECT_EQ(&Control(c.id), &c);
    EXPECT_TRUE(tab_indexes.insert(c.tab_index).second) << "tab index used twice";
    const int width = c.in_frame ? frame.width : kClientWidth;
    const int height = c.in_frame ? frame.height : kClientHeight;
    EXPECT_TRUE(c.left >= 0 && c.top >= 0 && c.width > 0 && c.height > 0);
    EXPECT_LE(c.left + c.width, width);
    EXPECT_LE(c.top + c.height, height);
    if (const char key = AccessKey(c.caption)) {
      EXPECT_TRUE(keys.insert(key).second) << "access key used twice";
    }
    if (c.group != 0) ++group_sizes[c.group];
    EXPECT_EQ(c.group != 0, c.kind == ControlKind::OptionButton);
    EXPECT_EQ(c.in_frame, c.group == kGroupDriveNetwork);
    defaults += c.is_default;
    cancels += c.is_cancel;
  }
  EXPECT_EQ(*tab_indexes.begin(), 0);
  EXPECT_EQ(*tab_indexes.rbegin(), static_cast<int>(kControls.size()) - 1);
  EXPECT_EQ(keys, (std::set<char>{'a', 'c', 'h', 'm'}));
  EXPECT_EQ(group_sizes, (std::map<int, int>{{kGroupCopyMove, 2}, {kGroupDriveNetwork, 2}}));
  EXPECT_EQ(defaults, 1);
  EXPECT_EQ(cancels, 1);
  EXPECT_TRUE(Control(ControlId::cmdOK).is_default);
  EXPECT_TRUE(Control(ControlId::cmdCancel).is_cancel);
}

}  // namespace
}  // namespace tarnivo
