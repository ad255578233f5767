// Every platform call can fail. For each handler, in each situation, a clean
// run counts the calls that the handler reaches; then each of those calls in
// turn is made to fail, and the run must still keep the user's files safe,
// answer with the handler's own failure handling (one message, or none), and
// leave the dialog open or end the program as that handling says.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Desk.h"
#include "FakeDialog.h"
#include "text/Text.h"

namespace tarnivo {
namespace {

using test::FakeDialog;
using test::ShownMessage;
using test::SimulatedPlatform;

const std::string kSourceKey = "C:\\My Documents\\REPORT.DOC";  // as stored
using test::kError;
using test::kExists;
using test::kNotFound;
using test::OpenArchive;
using test::OpenBackup;
const std::string kOld = "last year's figures";

enum class Handler { FormLoad, DriveChange, NetworkFocus, OK };

struct Scenario {
  std::string name{};
  Handler handler = Handler::FormLoad;
  std::function<void(SimulatedPlatform&)> world{};  // additions to the desk
  std::function<void(FakeDialog&)> before{};        // the user's steps up to the handler
  std::function<void(FakeDialog&)> act{};           // raises the handler
  int retries = 0;  // not-ready boxes answered Retry before the user gives up with Cancel
  MessageBoxResult overwrite = MessageBoxResult::Yes;
  std::string destination{};  // OK: the destination as it will be stored
};

// The dialog's values that a handler may change.
struct Values {
  std::string source, label, name, folder;
  int drive = -1, saved = -1;
  bool copy = false, move = false;
  bool operator==(const Values&) const = default;
};

Values Read(FakeDialog& dialog) {
  const DialogState& s = dialog.State();
  return {s.SourceFile,   s.FileNameLabel(), s.FileName(),     s.DirPath(),
          s.DriveIndex(), s.SavedDriveIndex, s.CopySelected(), s.MoveSelected()};
}

std::ostream& operator<<(std::ostream& out, const Values& v) {
  return out << "{" << v.source << " | " << v.name << " | " << v.folder << " | drive " << v.drive
             << " saved " << v.saved << (v.copy ? " copy" : "") << (v.move ? " move" : "") << "}";
}

// One run of a scenario, with the `fail`-th call of the handler failing
// (0: none).
struct Trial {
  Trial(const Scenario& s, std::size_t fail) {
    test::BuildDesk(platform);
    platform.SetCommandLine("C:\\MYDOCU~1\\REPORT.DOC");
    if (s.world) s.world(platform);
    platform.AnswerUnscripted([this, &s](const ShownMessage& m) {
      switch (m.style) {
        case MessageBoxStyle::RetryCancelStop:
          return not_ready_boxes++ < s.retries ? MessageBoxResult::Retry : MessageBoxResult::Cancel;
        case MessageBoxStyle::YesNoInformation:
          return s.overwrite;
        case MessageBoxStyle::OkExclamation:
          break;
      }
      return MessageBoxResult::Ok;
    });
    if (s.before) s.before(dialog);
    if (s.handler != Handler::FormLoad) {
      EXPECT_FALSE(dialog.Ended()) << "the steps before the handler ended the program";
      values = Read(dialog);
    }
    files = platform.Snapshot();
    base = platform.CallCount();
    if (fail != 0) platform.FailCall(base + fail);
    try {
      s.act(dialog);
    } catch (const std::exception& e) {
      ADD_FAILURE() << "escaped the handler: " << e.what();
    } catch (...) {
      ADD_FAILURE() << "something other than the program's end escaped the handler";
    }
  }
  std::size_t Calls() const { return platform.CallCount() - base; }
  // The n-th call of the handler (from 1).
  const std::string& Call(std::size_t n) const { return platform.Calls()[base + n - 1]; }
  std::vector<std::string> Texts() const { return platform.MessageTexts(); }

  SimulatedPlatform platform;
  FakeDialog dialog{platform};
  int not_ready_boxes = 0;
  Values values;                             // before the handler
  std::map<std::string, std::string> files;  // before the handler
  std::size_t base = 0;                      // calls made before the handler
};

bool IsNotReadyBox(const ShownMessage& m, const DialogState& state) {
  if (m.style != MessageBoxStyle::RetryCancelStop) return false;
  for (const std::string& entry : state.DriveEntries()) {
    if (m.text == "Drive " + Left(entry, 2) + " is not ready.") return true;
  }
  return false;
}

std::string RootOf(const DialogState& state, int index) {
  return ToUpper(Left(state.DriveEntries().at(static_cast<std::size_t>(index)), 2)) + "\\";
}

// Form_Load: "File not found !!" and the end, the dialog never shown; or,
// where the failure was one that the rest of the start-up makes good (the
// controls' creation, or the drive change nested in it, which asks to retry),
// the dialog exactly as a clean start fills it.
void CheckFormLoad(Trial& clean, Trial& run, std::size_t n, int& retried) {
  EXPECT_EQ(run.platform.Snapshot(), run.files);
  std::size_t creation = 0;  // calls before Form_Load reads the command line
  while (clean.Call(creation + 1) != "CommandLine") ++creation;
  if (run.dialog.Ended()) {
    ASSERT_EQ(run.platform.Messages().size(), 1u);
    EXPECT_EQ(run.platform.Messages()[0].text, kNotFound);
    EXPECT_EQ(run.platform.Messages()[0].style, MessageBoxStyle::OkExclamation);
    EXPECT_EQ(run.platform.Calls().back(), "Terminate");
    return;
  }
  EXPECT_EQ(Read(run.dialog), Read(clean.dialog));
  if (n <= creation) {
    EXPECT_EQ(run.Texts(), clean.Texts());
    return;
  }
  // Past the creation only the nested drive change may fail without the end.
  ASSERT_EQ(run.platform.Messages().size(), clean.platform.Messages().size() + 1);
  const ShownMessage& box = run.platform.Messages().front();
  EXPECT_TRUE(IsNotReadyBox(box, run.dialog.State())) << box.text;
  EXPECT_EQ(box.text,
            "Drive " + ToLower(Left(run.dialog.State().SourceFile, 1)) + ": is not ready.");
  ++retried;
}

// lstDrive_Change: files untouched, the dialog open, only not-ready boxes (at
// most one more than a clean run shows), and the lists consistent: the new
// drive's root, the old folder, or the old drive's root after Cancel.
void CheckDriveChange(Trial& clean, Trial& run) {
  EXPECT_EQ(run.platform.Snapshot(), run.files);
  EXPECT_FALSE(run.dialog.Ended());
  const DialogState& state = run.dialog.State();
  for (const ShownMessage& m : run.platform.Messages())
    EXPECT_TRUE(IsNotReadyBox(m, state)) << m.text;
  EXPECT_LE(run.platform.Messages().size(), clean.platform.Messages().size() + 1);
  const Values now = Read(run.dialog);
  EXPECT_EQ(now.drive, now.saved) << "the drive list and the drive last accepted differ";
  Values old_root = run.values;
  old_root.folder = RootOf(state, run.values.drive);
  EXPECT_TRUE(now == Read(clean.dialog) || now == run.values || now == old_root) << now;
}

void CheckNetworkFocus(Trial& clean, Trial& run) {
  EXPECT_EQ(run.platform.Snapshot(), run.files);
  EXPECT_FALSE(run.dialog.Ended());
  EXPECT_TRUE(run.platform.Messages().empty());
  const Values now = Read(run.dialog);
  EXPECT_TRUE(now == Read(clean.dialog) || now == run.values) << now;
}

// cmdOK_Click: unless the injected failure missed (Terminate cannot fail), the
// transfer error report once, after whatever the clean run had asked before
// the failing call; the dialog open with its values; the source whole; the
// destination old or complete, never gone; nothing else touched.
void CheckOK(const Scenario& s, Trial& clean, Trial& run, std::size_t n) {
  auto files = run.platform.Snapshot();
  auto before = run.files;
  const std::optional<std::string> old_destination =
      before.count(s.destination) ? std::optional(before[s.destination]) : std::nullopt;
  const std::optional<std::string> source =
      files.count(kSourceKey) ? std::optional(files[kSourceKey]) : std::nullopt;
  const std::optional<std::string> destination =
      files.count(s.destination) ? std::optional(files[s.destination]) : std::nullopt;
  for (auto* snapshot : {&files, &before}) {
    snapshot->erase(kSourceKey);
    snapshot->erase(s.destination);
  }
  EXPECT_EQ(files, before) << "a file other than the source and the destination changed";

  if (run.platform.InjectedFailures() == 0) {  // the failing call was Terminate
    EXPECT_EQ(run.Call(n), "Terminate");
    EXPECT_TRUE(run.dialog.Ended());
    EXPECT_EQ(run.Texts(), clean.Texts());
    EXPECT_EQ(run.platform.Snapshot(), clean.platform.Snapshot());
    return;
  }
  EXPECT_FALSE(run.dialog.Ended());
  EXPECT_EQ(Read(run.dialog), run.values);
  EXPECT_EQ(source, test::kReport) << "the source was lost or changed";

  std::vector<std::string> expected;
  for (std::size_t i = 1; i < n; ++i) {
    if (clean.Call(i) == "ShowMessage") expected.push_back(kExists);
  }
  expected.push_back(kError);
  EXPECT_EQ(run.Texts(), expected);
  EXPECT_EQ(run.platform.Messages().back().style, MessageBoxStyle::OkExclamation);
  EXPECT_TRUE(destination == old_destination || destination == test::kReport)
      << "destination " << destination.value_or("(gone)");
}

std::vector<Scenario> Scenarios() {
  const auto load = [](FakeDialog& d) { d.Load(); };
  std::vector<Scenario> list = {
      {.name = "Form_Load", .handler = Handler::FormLoad, .act = load},
      {.name = "Form_Load from another drive",
       .handler = Handler::FormLoad,
       .world = [](SimulatedPlatform& p) { p.StartIn("D:\\Backup"); },
       .act = load,
       .retries = 1},
      {.name = "lstDrive_Change to a ready drive, Retry",
       .handler = Handler::DriveChange,
       .before = load,
       .act = [](FakeDialog& d) { d.PickDrive('D'); },
       .retries = 1},
      {.name = "lstDrive_Change to a ready drive, Cancel",
       .handler = Handler::DriveChange,
       .before = load,
       .act = [](FakeDialog& d) { d.PickDrive('D'); }},
      {.name = "lstDrive_Change to a drive without a medium, Retry then Cancel",
       .handler = Handler::DriveChange,
       .before = load,
       .act = [](FakeDialog& d) { d.PickDrive('A'); },
       .retries = 1},
      {.name = "txtNetwork_LostFocus",
       .handler = Handler::NetworkFocus,
       .before =
           [](FakeDialog& d) {
             d.Load();
             d.TypeInto(ControlId::txtNetwork, "\\\\server\\public\\Inbox");
           },
       .act = [](FakeDialog& d) { d.Tab(); }},
  };
  const struct {
    const char* name;
    std::function<void(FakeDialog&)> go;
    std::string folder;
  } places[] = {
      {"same drive", OpenArchive, "C:\\Archive"},
      {"other drive", OpenBackup, "D:\\Backup"},
  };
  for (const bool move : {false, true}) {
    for (const auto& place : places) {
      for (const char* existing : {"", "Yes", "No"}) {
        Scenario s;
        s.name = std::string("cmdOK_Click, ") + (move ? "move, " : "copy, ") + place.name;
        s.handler = Handler::OK;
        s.destination = place.folder + "\\REPORT.DOC";
        if (*existing) {
          s.name += std::string(", existing destination, ") + existing;
          s.world = [d = s.destination](SimulatedPlatform& p) { p.AddFile(d, kOld); };
          s.overwrite =
              std::string(existing) == "Yes" ? MessageBoxResult::Yes : MessageBoxResult::No;
        }
        s.before = [move, go = place.go](FakeDialog& d) {
          d.Load();
          if (move) d.Choose(ControlId::optMove);
          go(d);
        };
        s.act = [](FakeDialog& d) { d.ClickOK(); };
        list.push_back(s);
      }
    }
  }
  Scenario network;
  network.name = "cmdOK_Click, move to a network folder, existing destination, Yes";
  network.handler = Handler::OK;
  network.destination = "\\\\server\\public\\Inbox\\REPORT.DOC";
  network.world = [d = network.destination](SimulatedPlatform& p) { p.AddFile(d, kOld); };
  network.before = [](FakeDialog& d) {
    d.Load();
    d.Choose(ControlId::optMove);
    d.TypeInto(ControlId::txtNetwork, "\\\\server\\public\\Inbox");
    d.Tab();  // the box takes the folder over as it loses the focus
  };
  network.act = [](FakeDialog& d) { d.ClickOK(); };
  list.push_back(network);
  return list;
}

TEST(FaultSweep, NoSingleFailingCallLosesAFileOrBreaksTheHandlersFailureRule) {
  for (const Scenario& s : Scenarios()) {
    SCOPED_TRACE(s.name);
    Trial clean(s, 0);
    const std::size_t count = clean.Calls();
    ASSERT_GT(count, 0u);
    ASSERT_EQ(clean.platform.InjectedFailures(), 0u);
    int retried = 0;  // Form_Load runs that went on after a nested Retry
    for (std::size_t n = 1; n <= count; ++n) {
      SCOPED_TRACE("call " + std::to_string(n) + " of " + std::to_string(count) +
                   " fails: " + clean.Call(n));
      Trial run(s, n);
      ASSERT_EQ(run.base, clean.base) << "the steps before the handler are not repeatable";
      ASSERT_EQ(run.Call(n), clean.Call(n));
      EXPECT_EQ(run.platform.InjectedFailures(), clean.Call(n) == "Terminate" ? 0u : 1u);
      if (run.dialog.Ended()) {
        EXPECT_EQ(run.platform.Calls().back(), "Terminate");
      }
      switch (s.handler) {
        case Handler::FormLoad:
          CheckFormLoad(clean, run, n, retried);
          break;
        case Handler::DriveChange:
          CheckDriveChange(clean, run);
          break;
        case Handler::NetworkFocus:
          CheckNetworkFocus(clean, run);
          break;
        case Handler::OK:
          CheckOK(s, clean, run, n);
          break;
      }
    }
    // Only the drive change nested in the start-up has a failure rule of its own.
    if (s.handler == Handler::FormLoad) {
      EXPECT_EQ(retried, s.retries);
    }
  }
}

}  // namespace
}  // namespace tarnivo
