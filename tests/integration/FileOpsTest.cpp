// CopyFile, RenameFile and DeleteFile on real folders: what they refuse,
// what they keep, and that a failure at any step loses nothing.
#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <functional>
#include <map>
#include <memory>
#include <utility>

#include "TempTree.h"
#include "platform/posix/PosixFaults.h"

namespace tarnivo::test {
namespace {

using posix::FileStep;

// Fails the `nth` call (from 1) of `step` with `err` while it lives.
class FaultAt {
 public:
  FaultAt(FileStep step, int nth, int err) {
    posix::SetFaultHook([=, this](FileStep s) {
      if (s != step) return 0;
      return ++count_ == nth ? err : 0;
    });
  }
  // Fails every call of the given steps.
  explicit FaultAt(std::map<FileStep, int> always) {
    posix::SetFaultHook([always](FileStep s) {
      const auto it = always.find(s);
      return it == always.end() ? 0 : it->second;
    });
  }
  ~FaultAt() { posix::SetFaultHook(nullptr); }

 private:
  int count_ = 0;
};

std::string Pattern(std::size_t size) {
  std::string data(size, '\0');
  for (std::size_t i = 0; i < size; ++i) data[i] = static_cast<char>((i * 131 + i / 4096) & 0xFF);
  return data;
}

class FileOps : public ::testing::Test {
 protected:
  void SetUp() override {
    MakeDir(tree / "c");
    MakeDir(tree / "c/Src");
    MakeDir(tree / "c/Dst");
    WriteAll(tree / "c/Src/Report.doc", source_data);
    WriteAll(tree / "c/Dst/Old.doc", "old contents");
    platform = tree.Platform("C=c;D=missing", &ui);
  }

  // The destination folder is as it was, with no temporary file.
  void ExpectDstUntouched(const std::string& why) {
    EXPECT_EQ(ReadAll(tree / "c/Dst/Old.doc"), "old contents") << why;
    EXPECT_TRUE(Leftovers(tree / "c/Dst").empty()) << why;
    EXPECT_TRUE(ReadAll(tree / "c/Src/Report.doc") == source_data) << why;
  }

  TempTree tree;
  RecordingUi ui;
  std::unique_ptr<PosixFileSystem> platform;
  const std::string source_data = Pattern(3 << 20);
};

TEST_F(FileOps, CopyReplacesAnOrdinaryFileAndKeepsModeAndTime) {
  ASSERT_EQ(::chmod((tree / "c/Src/Report.doc").c_str(), 0440), 0);
  const timeval times[2] = {{1000000000, 0}, {1200000000, 0}};
  ASSERT_EQ(::utimes((tree / "c/Src/Report.doc").c_str(), times), 0);

  platform->CopyFile("C:\\SRC\\REPORT.DOC", "C:\\Dst\\OLD.DOC");
  EXPECT_TRUE(ReadAll(tree / "c/Dst/Old.doc") == source_data);
  EXPECT_EQ(ModeOf(tree / "c/Dst/Old.doc"), 0440u);
  struct stat st {};
  ASSERT_EQ(::stat((tree / "c/Dst/Old.doc").c_str(), &st), 0);
  EXPECT_EQ(st.st_mtime, 1200000000);
  ASSERT_FALSE(ui.progress.empty());
  EXPECT_EQ(ui.progress.back().first, std::uint64_t{3} << 20);
  EXPECT_EQ(ui.progress.back().second, std::uint64_t{3} << 20);
  EXPECT_TRUE(Leftovers(tree / "c/Dst").empty());
}

// What only Linux has; the refusals Windows shares are the contract's table.
TEST_F(FileOps, CopyRefusesWhatIsNotOneFile) {
  ASSERT_EQ(::mkfifo((tree / "c/Src/pipe").c_str(), 0644), 0);
  WriteAll(tree / "c/Dst/Same.doc", "1");
  WriteAll(tree / "c/Dst/same.DOC", "2");
  ASSERT_EQ(::link((tree / "c/Src/Report.doc").c_str(), (tree / "c/Dst/hard.doc").c_str()), 0);
  ASSERT_EQ(::symlink((tree / "c/Src/Report.doc").c_str(), (tree / "c/Dst/link.doc").c_str()), 0);
  ASSERT_EQ(::symlink((tree / "c/nowhere").c_str(), (tree / "c/Dst/broken.doc").c_str()), 0);
  const auto before = Names(tree / "c/Dst");

  const struct {
    const char* source;
    const char* dest;
  } cases[] = {
      {"C:\\Src\\pipe", "C:\\Dst\\x.doc"},             // not a regular file: never blocks
      {"C:\\Src\\Report.doc", "C:\\Dst\\broken.doc"},  // a link to nothing
      {"C:\\Src\\Report.doc", "C:\\Dst\\SAME.doc"},    // two entries: which?
      {"C:\\Src\\Report.doc", "C:\\Dst\\hard.doc"},
      {"C:\\Src\\Report.doc", "C:\\Dst\\link.doc"},
  };
  for (const auto& c : cases) {
    EXPECT_THROW(platform->CopyFile(c.source, c.dest), PlatformError)
        << c.source << " -> " << c.dest;
    EXPECT_EQ(Names(tree / "c/Dst"), before) << c.dest;
    ExpectDstUntouched(c.dest);
  }
  EXPECT_EQ(ReadAll(tree / "c/Dst/Same.doc"), "1");
}

TEST_F(FileOps, AFailureAtAnyStepOfACopyLeavesTheDestinationAsItWas) {
  const struct {
    FileStep step;
    int nth;
    int err;
  } cases[] = {
      {FileStep::Open, 1, EIO},         {FileStep::Create, 1, EACCES},
      {FileStep::CopyRange, 1, ENOSPC}, {FileStep::CopyRange, 1, EIO},
      {FileStep::Sync, 1, EIO},         {FileStep::Close, 1, EIO},
      {FileStep::Link, 1, ENOSPC},      {FileStep::Rename, 1, EIO},
  };
  for (const auto& c : cases) {
    FaultAt fault(c.step, c.nth, c.err);
    EXPECT_THROW(platform->CopyFile("C:\\Src\\Report.doc", "C:\\Dst\\Old.doc"), PlatformError)
        << posix::StepName(c.step);
    ExpectDstUntouched(posix::StepName(c.step));
  }
  // The same on the read/write path, with no clone and no copy_file_range.
  for (const FileStep step : {FileStep::Read, FileStep::Write}) {
    FaultAt fault({{FileStep::Clone, EOPNOTSUPP}, {FileStep::CopyRange, EXDEV}, {step, ENOSPC}});
    EXPECT_THROW(platform->CopyFile("C:\\Src\\Report.doc", "C:\\Dst\\Old.doc"), PlatformError);
    ExpectDstUntouched(posix::StepName(step));
  }
  {
    // A new file whose folder entry cannot be made durable is taken back.
    FaultAt fault(FileStep::SyncFolder, 1, EIO);
    EXPECT_THROW(platform->CopyFile("C:\\Src\\Report.doc", "C:\\Dst\\New.doc"), PlatformError);
    EXPECT_FALSE(Exists(tree / "c/Dst/New.doc"));
    ExpectDstUntouched("fsync folder");
  }
  {
    // Each slower way is taken while nothing has been copied yet.
    FaultAt fault({{FileStep::Clone, EOPNOTSUPP}, {FileStep::CopyRange, EXDEV}});
    platform->CopyFile("C:\\Src\\Report.doc", "C:\\Dst\\Old.doc");
    EXPECT_TRUE(ReadAll(tree / "c/Dst/Old.doc") == source_data);
  }
}

// The user stops the copy at each report of its progress in turn, on each
// way of copying, until a stop comes too late: every stop before then leaves
// the destination and its folder as they were.
TEST_F(FileOps, AStopAtAnyStepOfACopyLeavesTheDestinationAsItWas) {
  const struct {
    const char* way;
    std::function<std::unique_ptr<FaultAt>()> faults;
  } ways[] = {
      {"copy_file_range", [] { return nullptr; }},
      {"read and write",
       [] {
         return std::make_unique<FaultAt>(
             std::map<FileStep, int>{{FileStep::Clone, EOPNOTSUPP}, {FileStep::CopyRange, EXDEV}});
       }},
      {"named temporary file",
       [] { return std::make_unique<FaultAt>(FileStep::Create, 1, EOPNOTSUPP); }},
  };
  for (const auto& w : ways) {
    std::size_t stop_at = 1;
    for (;; ++stop_at) {
      const auto faults = w.faults();
      ui.progress.clear();
      ui.stop_at = stop_at;
      if (platform->CopyFile("C:\\Src\\Report.doc", "C:\\Dst\\Old.doc") == CopyOutcome::Done) break;
      ExpectDstUntouched(std::string(w.way) + ", stop " + std::to_string(stop_at));
    }
    EXPECT_GE(stop_at, 3u) << w.way;  // at least one step and the flush
    EXPECT_TRUE(ReadAll(tree / "c/Dst/Old.doc") == source_data) << w.way;
    WriteAll(tree / "c/Dst/Old.doc", "old contents");
  }
  ui.stop_at = SIZE_MAX;
}

TEST_F(FileOps, DiskFullOnARealSmallFileSystem) {
  TmpfsMount small(tree / "c/Small", 1 << 20);
  if (!small.mounted()) GTEST_SKIP() << small.why();
  WriteAll(tree / "c/Small/Old.doc", "old contents");
  EXPECT_THROW(platform->CopyFile("C:\\Src\\Report.doc", "C:\\Small\\Old.doc"), PlatformError);
  EXPECT_EQ(ReadAll(tree / "c/Small/Old.doc"), "old contents");
  EXPECT_EQ(Names(tree / "c/Small"), (std::vector<std::string>{"Old.doc"}));
  // A move that does not fit keeps its source.
  EXPECT_THROW(
      platform->RenameFile("C:\\Src\\Report.doc", "C:\\Small\\Moved.doc", Existing::Refuse),
      PlatformError);
  EXPECT_TRUE(ReadAll(tree / "c/Src/Report.doc") == source_data);
  EXPECT_EQ(Names(tree / "c/Small"), (std::vector<std::string>{"Old.doc"}));
}

TEST_F(FileOps, RenameMovesInOneStepAndNeverReplaces) {
  WriteAll(tree / "c/Src/two.txt", "1");
  WriteAll(tree / "c/Src/TWO.TXT", "2");
  const struct {
    const char* from;
    const char* to;
    const char* now_at;  // nullptr when it fails
  } cases[] = {
      {"C:\\SRC\\report.doc", "C:\\Dst\\Moved report.doc", "c/Dst/Moved report.doc"},
      {"C:\\Dst\\moved report.doc", "C:\\Dst\\MOVED REPORT.DOC",
       "c/Dst/MOVED REPORT.DOC"},  // only the case
      {"C:\\Dst\\MOVEDR~1.DOC", "C:\\Dst\\movedr~1.doc",
       "c/Dst/MOVED REPORT.DOC"},                         // its own alias
      {"C:\\Src\\Two.txt", "C:\\Dst\\Two.txt", nullptr},  // which of two?
  };
  for (const auto& c : cases) {
    const auto src_before = Names(tree / "c/Src");
    const auto dst_before = Names(tree / "c/Dst");
    if (c.now_at == nullptr) {
      EXPECT_THROW(platform->RenameFile(c.from, c.to, Existing::Refuse), PlatformError)
          << c.from << " -> " << c.to;
      EXPECT_EQ(Names(tree / "c/Src"), src_before) << c.to;
      EXPECT_EQ(Names(tree / "c/Dst"), dst_before) << c.to;
    } else {
      platform->RenameFile(c.from, c.to, Existing::Refuse);
      EXPECT_TRUE(Exists(tree / c.now_at)) << c.to;
    }
  }
  EXPECT_TRUE(ReadAll(tree / "c/Dst/MOVED REPORT.DOC") == source_data);
  EXPECT_EQ(ReadAll(tree / "c/Dst/Old.doc"), "old contents");

  // Where renameat2 cannot refuse to replace, a link and an unlink do.
  {
    FaultAt fault(FileStep::RenameNoReplace, 1, EINVAL);
    platform->RenameFile("C:\\Dst\\Moved Report.doc", "C:\\Dst\\linked.doc", Existing::Refuse);
  }
  EXPECT_EQ(Names(tree / "c/Dst"), (std::vector<std::string>{"Old.doc", "linked.doc"}));
  {
    FaultAt fault(FileStep::RenameNoReplace, 1, EINVAL);
    EXPECT_THROW(platform->RenameFile("C:\\Dst\\linked.doc", "C:\\Dst\\Old.doc", Existing::Refuse),
                 PlatformError);
  }
  {
    // The unlink fails: the new name is taken back, the file keeps its own.
    FaultAt fault({{FileStep::RenameNoReplace, EINVAL}, {FileStep::Unlink, EIO}});
    EXPECT_THROW(
        platform->RenameFile("C:\\Dst\\linked.doc", "C:\\Dst\\other.doc", Existing::Refuse),
        PlatformError);
  }
  EXPECT_EQ(Names(tree / "c/Dst"), (std::vector<std::string>{"Old.doc", "linked.doc"}));
}

// Where a mount refuses both renameat2's no-replace and hard links (a GVfs
// share), a copy and a move still never replace a file that another writer
// creates at the same moment: it either keeps its name, or never got it.
TEST_F(FileOps, WithoutRenameat2AndLinkNothingIsReplaced) {
  const std::string dest = tree / "c/Dst/Race.doc";
  for (const bool move : {false, true}) {
    for (const FileStep racing_at : {FileStep::Claim, FileStep::Rename}) {
      ::unlink(dest.c_str());
      WriteAll(tree / "c/Src/Report.doc", source_data);
      bool created = false;
      bool unnamed_tried = false;
      posix::SetFaultHook([&](FileStep s) {
        if (s == FileStep::Create && !std::exchange(unnamed_tried, true)) return EOPNOTSUPP;
        if (s == FileStep::RenameNoReplace) return EINVAL;
        if (s == FileStep::Link) return EPERM;
        if (s == racing_at && !created) {
          // The other writer creates its file, as careful writers do.
          const int fd = ::open(dest.c_str(), O_CREAT | O_EXCL | O_WRONLY, 0644);
          if (fd >= 0) {
            created = ::write(fd, "theirs", 6) == 6;
            ::close(fd);
          }
        }
        return 0;
      });
      const std::string why =
          std::string(move ? "move" : "copy") + ", racing at " + posix::StepName(racing_at);
      bool done = true;
      try {
        if (move) {
          platform->RenameFile("C:\\Src\\Report.doc", "C:\\Dst\\Race.doc", Existing::Refuse);
        } else {
          platform->CopyFile("C:\\Src\\Report.doc", "C:\\Dst\\Race.doc");
        }
      } catch (const PlatformError&) {
        done = false;
      }
      posix::SetFaultHook(nullptr);
      EXPECT_NE(done, created) << why;
      EXPECT_EQ(ReadAll(dest) == "theirs", created) << why;
      EXPECT_EQ(Exists(tree / "c/Src/Report.doc"), !(move && done)) << why;
      EXPECT_TRUE(done || ReadAll(tree / "c/Src/Report.doc") == source_data) << why;
      EXPECT_EQ(Leftovers(tree / "c/Dst"), (std::vector<std::string>{})) << why;
    }
  }
}

TEST_F(FileOps, MoveAcrossFileSystemsCopiesThenDeletesTheSource) {
  OtherFileSystem other(tree / "c/Other");
  if (!other.ready()) GTEST_SKIP() << other.why();
  MakeDir(tree / "c/Other/Folder");
  WriteAll(tree / "c/Other/Taken.doc", "taken");

  // A stopped move keeps its source and leaves nothing on the other side.
  ui.stop_at = 1;
  EXPECT_EQ(platform->RenameFile("C:\\Src\\Report.doc", "C:\\Other\\Report.doc", Existing::Refuse),
            CopyOutcome::Stopped);
  EXPECT_TRUE(ReadAll(tree / "c/Src/Report.doc") == source_data);
  EXPECT_EQ(Names(tree / "c/Other"), (std::vector<std::string>{"Folder", "Taken.doc"}));
  ui.stop_at = SIZE_MAX;

  platform->RenameFile("C:\\Src\\Report.doc", "C:\\Other\\Report.doc", Existing::Refuse);
  EXPECT_FALSE(Exists(tree / "c/Src/Report.doc"));
  EXPECT_TRUE(ReadAll(tree / "c/Other/Report.doc") == source_data);

  // Never over an existing file, never a folder, and nothing half done.
  EXPECT_THROW(platform->RenameFile("C:\\Other\\Report.doc", "C:\\Dst\\Old.doc", Existing::Refuse),
               PlatformError);
  EXPECT_THROW(platform->RenameFile("C:\\Other\\Folder", "C:\\Dst\\Folder", Existing::Refuse),
               PlatformError);
  for (const FileStep step : {FileStep::CopyRange, FileStep::Sync, FileStep::Unlink}) {
    FaultAt fault(step, 1, EIO);
    EXPECT_THROW(
        platform->RenameFile("C:\\Other\\Report.doc", "C:\\Dst\\Back.doc", Existing::Refuse),
        PlatformError)
        << posix::StepName(step);
    EXPECT_TRUE(ReadAll(tree / "c/Other/Report.doc") == source_data) << posix::StepName(step);
    EXPECT_FALSE(Exists(tree / "c/Dst/Back.doc")) << posix::StepName(step);
    EXPECT_TRUE(Leftovers(tree / "c/Dst").empty()) << posix::StepName(step);
  }
  EXPECT_TRUE(Exists(tree / "c/Other/Folder"));
  EXPECT_EQ(ReadAll(tree / "c/Dst/Old.doc"), "old contents");
}

TEST_F(FileOps, DeleteRemovesALinkNeverTheOneOfTwoTwins) {
  WriteAll(tree / "c/Dst/Two.doc", "1");
  WriteAll(tree / "c/Dst/two.DOC", "2");
  ASSERT_EQ(::symlink((tree / "c/Src/Report.doc").c_str(), (tree / "c/Dst/link.doc").c_str()), 0);
  const auto before = Names(tree / "c/Dst");
  EXPECT_THROW(platform->DeleteFile("C:\\Dst\\TWO.DOC"), PlatformError);
  EXPECT_EQ(Names(tree / "c/Dst"), before);
  platform->DeleteFile("C:\\Dst\\link.doc");  // the link, not what it points to
  EXPECT_FALSE(Exists(tree / "c/Dst/link.doc"));
  EXPECT_TRUE(ReadAll(tree / "c/Src/Report.doc") == source_data);
}

}  // namespace
}  // namespace tarnivo::test
