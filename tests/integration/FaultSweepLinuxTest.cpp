// The OK handler on real folders with every step of the file operations
// failing in turn: for each way of transferring (copy or move; into the same
// file system, onto another drive of the same file system, onto another file
// system under another letter or under the same one; with or without a file
// already there, and either answer), a clean run counts the steps that the
// transfer reaches, then each of them fails in its own run. Whatever fails,
// the source stays whole unless a move completed, the destination is as it
// was, the complete new file, or gone only where the user agreed to replace
// it, exactly the one prescribed message is shown, and no temporary file is
// left in any folder.
#include <errno.h>
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "Handlers.h"
#include "platform/posix/PosixFaults.h"

namespace tarnivo::test {
namespace {

using posix::FileStep;

const FileStep kAllSteps[] = {
    FileStep::Open,
    FileStep::Create,
    FileStep::Clone,
    FileStep::CopyRange,
    FileStep::Read,
    FileStep::Write,
    FileStep::Sync,
    FileStep::Close,
    FileStep::Link,
    FileStep::Rename,
    FileStep::Unlink,
    FileStep::SyncFolder,
    FileStep::RenameNoReplace,
    FileStep::Metadata,
    FileStep::Claim,
};

// How the layer is made to copy: the fastest way it finds, or each slower
// way that some file systems leave it.
enum class Mode {
  Fast,         // whatever the file system offers
  NamedTemp,    // no O_TMPFILE: the copy is written under a hidden temporary name
  ReadWrite,    // no clone and no copy_file_range: read and write in chunks
  NoRenameat2,  // no renameat2: a hard link and an unlink publish the copy
  FuseShare,    // a GVfs share: none of the above, no hard links, no chmod
};

const char* ModeName(Mode mode) {
  switch (mode) {
    case Mode::Fast:
      return "fast";
    case Mode::NamedTemp:
      return "named temporary file";
    case Mode::ReadWrite:
      return "read/write";
    case Mode::NoRenameat2:
      return "no renameat2";
    case Mode::FuseShare:
      return "FUSE share";
  }
  return "?";
}

// The error that the file system gives for a step, as it would really fail.
int ErrorFor(FileStep step) {
  switch (step) {
    case FileStep::Create:
    case FileStep::CopyRange:
    case FileStep::Write:
    case FileStep::Link:
      return ENOSPC;
    default:
      return EIO;
  }
}

// Installs the mode's refusals and counts every step that runs; with a fault
// given, the `nth` run of `step` fails instead. Removed when it goes.
class StepHook {
 public:
  StepHook(Mode mode, FileStep step = FileStep::Open, int nth = 0) {
    posix::SetFaultHook([=, this](FileStep s) -> int {
      if (const int refused = Refusal(mode, s)) return refused;
      const int n = ++counts[s];
      if (nth != 0 && s == step && n == nth) {
        fired = true;
        return ErrorFor(step);
      }
      return 0;
    });
  }
  ~StepHook() { posix::SetFaultHook(nullptr); }
  StepHook(const StepHook&) = delete;
  StepHook& operator=(const StepHook&) = delete;

  std::map<FileStep, int> counts;
  bool fired = false;

 private:
  int Refusal(Mode mode, FileStep s) {
    switch (mode) {
      case Mode::Fast:
        return 0;
      case Mode::NamedTemp:
        // Each new file is first tried unnamed: that attempt is refused, the
        // named one that follows runs.
        if (s != FileStep::Create) return 0;
        unnamed_next_ = !unnamed_next_;
        return unnamed_next_ ? 0 : EOPNOTSUPP;
      case Mode::ReadWrite:
        if (s == FileStep::Clone) return EOPNOTSUPP;
        if (s == FileStep::CopyRange) return EXDEV;
        return 0;
      case Mode::NoRenameat2:
        return s == FileStep::RenameNoReplace ? EINVAL : 0;
      case Mode::FuseShare:
        if (s == FileStep::Link) return EPERM;
        if (s == FileStep::Metadata) return EOPNOTSUPP;
        if (const int err = Refusal(Mode::NamedTemp, s)) return err;
        if (const int err = Refusal(Mode::ReadWrite, s)) return err;
        return Refusal(Mode::NoRenameat2, s);
    }
    return 0;
  }
  bool unnamed_next_ = true;
};

std::string Pattern(std::size_t size, int seed) {
  std::string data(size, '\0');
  for (std::size_t i = 0; i < size; ++i)
    data[i] = static_cast<char>((i * 131 + i / 4096 + seed) & 0xFF);
  return data;
}

// Where the file goes: the folder as the dialog shows it, and natively.
struct Place {
  const char* name;
  std::string folder;  // drive form
  std::string native;
  bool other_drive;  // a move copies and then deletes the source
};

enum class Existing { None, AnswerYes, AnswerNo };

struct Scenario {
  bool move;
  const Place* to;
  Existing existing;
  std::string Name() const {
    std::string name = std::string(move ? "move" : "copy") + " to " + to->name;
    if (existing == Existing::AnswerYes) name += ", replacing (Yes)";
    if (existing == Existing::AnswerNo) name += ", a file there (No)";
    return name;
  }
};

// The dialog's values that the OK handler must leave alone when it fails.
struct Values {
  std::string source, name, folder;
  bool move;
  bool operator==(const Values&) const = default;
};

class FaultSweepLinux : public ::testing::Test {
 protected:
  void SetUp() override {
    MakeDir(tree / "c");
    MakeDir(tree / "d");
    MakeDir(tree / "e");
    for (const char* dir : {"c/Src", "c/Dst", "d/Dst"}) MakeDir(tree / dir);
  }

  // Puts back the files that a run may have changed: the source and a
  // bystander beside it, and in each destination folder a bystander and,
  // where the scenario has one, the old destination.
  void Reset(const Scenario& s) {
    for (const std::string& folder : AllFolders()) {
      for (const std::string& name : Names(folder)) ::unlink((folder + "/" + name).c_str());
    }
    WriteAll(tree / "c/Src/Report.doc", source_data);
    WriteAll(tree / "c/Src/Sibling.doc", "sibling");
    for (const Place& p : places) WriteAll(p.native + "/Keep.txt", "bystander");
    if (s.existing != Existing::None) WriteAll(s.to->native + "/Report.doc", kOld);
  }

  std::vector<std::string> AllFolders() const {
    std::vector<std::string> folders{tree / "c/Src"};
    for (const Place& p : places) folders.push_back(p.native);
    return folders;
  }

  // One run of the OK handler; returns the steps it reached.
  std::map<FileStep, int> RunOnce(const Scenario& s, Mode mode, FileStep step, int nth) {
    SCOPED_TRACE(s.Name() + ", " + ModeName(mode) +
                 (nth == 0 ? std::string(", no fault")
                           : std::string(", ") + posix::StepName(step) + " #" +
                                 std::to_string(nth) + " fails"));
    Reset(s);
    ProgramRun run(tree, drives, tree / "c/Src/Report.doc");
    if (!run.Load()) {
      ADD_FAILURE() << "the dialog did not open";
      return {};
    }
    run.Choose(s.move, s.to->folder, "Report.doc");
    run.ui.yes_no = s.existing == Existing::AnswerNo ? MessageBoxResult::No : MessageBoxResult::Yes;
    const Values before{run.state().SourceFile, run.state().FileName(), run.state().DirPath(),
                        run.state().MoveSelected()};

    bool ended = false;
    std::map<FileStep, int> counts;
    {
      StepHook hook(mode, step, nth);
      ended = run.Ok();
      counts = hook.counts;
      if (nth != 0) {
        EXPECT_TRUE(hook.fired) << "the fault was never reached";
      }
    }
    // A refused clone falls back, and mode or time the file system cannot
    // keep costs the copy nothing: neither fails the transfer.
    Check(s, run, before, ended, nth != 0 && step != FileStep::Clone && step != FileStep::Metadata);
    return counts;
  }

  void Check(const Scenario& s, ProgramRun& run, const Values& before, bool ended, bool must_fail) {
    const bool existed = s.existing != Existing::None;
    const std::string dest = s.to->native + "/Report.doc";
    const bool source_there = Exists(tree / "c/Src/Report.doc");
    const bool dest_there = Exists(dest);
    const std::string dest_data = dest_there ? ReadAll(dest) : "";

    // Bystanders are never touched.
    EXPECT_EQ(ReadAll(tree / "c/Src/Sibling.doc"), "sibling");
    for (const Place& p : places) EXPECT_EQ(ReadAll(p.native + "/Keep.txt"), "bystander") << p.name;

    // Nothing but the source, the destination and the bystanders: no
    // temporary file anywhere.
    using List = std::vector<std::string>;
    EXPECT_EQ(Names(tree / "c/Src"),
              (source_there ? List{"Report.doc", "Sibling.doc"} : List{"Sibling.doc"}));
    for (const Place& p : places) {
      const bool here = p.native == s.to->native && dest_there;
      EXPECT_EQ(Names(p.native), (here ? List{"Keep.txt", "Report.doc"} : List{"Keep.txt"}))
          << p.name;
    }

    std::vector<Shown> expected_boxes;
    if (existed) expected_boxes.push_back(kAskOverwrite);

    if (ended) {
      // Done: the complete new file, and the source only where it was copied.
      EXPECT_FALSE(must_fail) << "a failed step was reported as success";
      EXPECT_NE(s.existing, Existing::AnswerNo);
      EXPECT_TRUE(dest_there && dest_data == source_data)
          << "the destination is not the whole copy";
      EXPECT_EQ(source_there, !s.move);
      if (source_there) {
        EXPECT_TRUE(ReadAll(tree / "c/Src/Report.doc") == source_data);
      }
      EXPECT_EQ(run.ui.shown, expected_boxes);
      return;
    }

    // Not done: the source is whole, the dialog open with its values.
    ASSERT_TRUE(source_there) << "the source is gone though the transfer failed";
    EXPECT_TRUE(ReadAll(tree / "c/Src/Report.doc") == source_data) << "the source changed";
    EXPECT_EQ((Values{run.state().SourceFile, run.state().FileName(), run.state().DirPath(),
                      run.state().MoveSelected()}),
              before);
    if (s.existing == Existing::AnswerNo) {
      EXPECT_EQ(dest_data, kOld);
      EXPECT_EQ(run.ui.shown, expected_boxes);
      return;
    }
    expected_boxes.push_back(kTransferError);
    EXPECT_EQ(run.ui.shown, expected_boxes);
    if (dest_there && dest_data == source_data) {
      // A copy made before the source's deletion failed stays, and so does
      // a replacement already in place when its folder could not be flushed.
      EXPECT_TRUE((s.move && s.to->other_drive) || existed)
          << "a complete copy was left by a failed transfer";
    } else {
      // A Yes replaces the old file only with a complete new one.
      EXPECT_EQ(dest_there, existed) << "the old destination was lost";
      if (dest_there) {
        EXPECT_EQ(dest_data, kOld) << "the old destination changed";
      }
    }
  }

  // Runs each scenario in each mode: once cleanly, then once for every step
  // that the clean run reached, failing there. Returns the steps reached.
  std::set<FileStep> Sweep(const std::vector<Scenario>& scenarios, const std::vector<Mode>& modes) {
    std::set<FileStep> reached;
    for (const Scenario& s : scenarios) {
      for (const Mode mode : modes) {
        const auto counts = RunOnce(s, mode, FileStep::Open, 0);
        for (const FileStep step : kAllSteps) {
          const auto it = counts.find(step);
          if (it == counts.end()) continue;
          reached.insert(step);
          for (int nth = 1; nth <= it->second; ++nth) RunOnce(s, mode, step, nth);
          if (HasFatalFailure()) return reached;
        }
      }
    }
    return reached;
  }

  std::vector<Scenario> ScenariosFor(const std::vector<const Place*>& to) const {
    std::vector<Scenario> out;
    for (const bool move : {false, true}) {
      for (const Place* p : to) {
        for (const Existing e : {Existing::None, Existing::AnswerYes, Existing::AnswerNo}) {
          out.push_back({move, p, e});
        }
      }
    }
    return out;
  }

  static constexpr const char* kOld = "last year's figures";

  TempTree tree;
  std::string drives = "C=c;D=d;E=e";
  std::vector<Place> places;
  // Two chunks of the read/write copy and a few bytes more.
  const std::string source_data = Pattern((1u << 20) + 4097, 7);
};

TEST_F(FaultSweepLinux, EveryFailingStepOnOneFileSystemKeepsTheFilesSafe) {
  places = {{"the same drive", "C:\\Dst", tree / "c/Dst", false},
            {"another drive", "D:\\Dst", tree / "d/Dst", true}};
  const std::vector<const Place*> to{&places[0], &places[1]};
  const auto reached = Sweep(ScenariosFor(to), {Mode::Fast, Mode::NamedTemp, Mode::ReadWrite,
                                                Mode::NoRenameat2, Mode::FuseShare});
  // The sweep is only as good as the steps it reached.
  for (const FileStep step : kAllSteps) {
    EXPECT_TRUE(reached.count(step)) << posix::StepName(step) << " was never reached";
  }
}

TEST_F(FaultSweepLinux, EveryFailingStepAcrossFileSystemsKeepsTheFilesSafe) {
  OtherFileSystem e(tree / "e");
  OtherFileSystem mnt(tree / "c/Mnt");
  if (!e.ready() || !mnt.ready()) GTEST_SKIP() << e.why();
  MakeDir(tree / "e/Dst");
  MakeDir(tree / "c/Mnt/Dst");
  places = {{"another file system on another drive", "E:\\Dst", tree / "e/Dst", true},
            {"another file system on the same drive", "C:\\Mnt\\Dst", tree / "c/Mnt/Dst", false}};
  const std::vector<const Place*> to{&places[0], &places[1]};
  Sweep(ScenariosFor(to),
        {Mode::Fast, Mode::NamedTemp, Mode::ReadWrite, Mode::NoRenameat2, Mode::FuseShare});
}

TEST_F(FaultSweepLinux, ADestinationWithoutSpaceKeepsTheSourceAndTheOldFile) {
  TmpfsMount e(tree / "e", 256u << 10);
  TmpfsMount small(tree / "c/Small", 256u << 10);
  if (!e.mounted() || !small.mounted()) GTEST_SKIP() << e.why();
  MakeDir(tree / "e/Dst");
  MakeDir(tree / "c/Small/Dst");
  places = {
      {"a full drive", "E:\\Dst", tree / "e/Dst", true},
      {"a full file system on the same drive", "C:\\Small\\Dst", tree / "c/Small/Dst", false}};
  std::vector<Scenario> scenarios;
  for (const bool move : {false, true}) {
    for (const Place& p : places) {
      for (const Existing e : {Existing::None, Existing::AnswerYes})
        scenarios.push_back({move, &p, e});
    }
  }
  for (const Scenario& s : scenarios) {
    for (const Mode mode : {Mode::Fast, Mode::NamedTemp, Mode::ReadWrite}) {
      // No injected fault: the file system itself runs out of space, and the
      // handler must report it like any other failure.
      const auto counts = RunOnce(s, mode, FileStep::Open, 0);
      EXPECT_TRUE(Exists(tree / "c/Src/Report.doc"));
      const std::string dest = s.to->native + "/Report.doc";
      EXPECT_EQ(Exists(dest) ? ReadAll(dest) : "<none>",
                s.existing == Existing::AnswerYes ? kOld : "<none>")
          << s.Name() << ", " << ModeName(mode);
      EXPECT_FALSE(counts.empty());
    }
  }
}

}  // namespace
}  // namespace tarnivo::test
