// The file operations on real file systems: loop-mounted ext4, XFS (reflink)
// and btrfs images and a tmpfs, each result compared with what cp and mv make
// of a twin of the same file in the same run. Needs root and loop devices:
// a machine without them fails here. The mounts live in a mount namespace of
// the test's own, so none outlives the process, whatever happens.
#include <errno.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>

#include "TempTree.h"
#include "platform/posix/FileOps.h"
#include "platform/posix/PosixFaults.h"

namespace tarnivo::test {
namespace {

using posix::FileStep;
using posix::Place;

int Sh(const std::string& command) { return std::system(command.c_str()); }

// Mode, owner, times (ns) and extended attributes of `path`: what a copy
// keeps, or with `all` what a move keeps.
std::string Metadata(const std::string& path, bool all) {
  const std::string out = path + ".meta";
  Sh("stat -c '%a %u:%g %.9Y" + std::string(all ? " %.9X" : "") + "' " + path + " >" + out +
     " && getfattr --absolute-names -d -e hex -m '" +
     (all ? "-" : "^(user[.]|system[.]posix_acl)") + "' " + path + " | tail -n +2 >>" + out);
  const std::string text = ReadAll(out);
  ::unlink(out.c_str());
  return text;
}

class FileSystems : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(::unshare(CLONE_NEWNS), 0) << "these tests need root: " << std::strerror(errno);
    ASSERT_EQ(::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr), 0);
    ASSERT_EQ(Sh("cd " + tree.root() +
                 " && for fs in 'ext4 64M -F' 'xfs 300M -f -m reflink=1' 'btrfs 120M -f'; do"
                 " set -- $fs; n=$1 s=$2; shift 2; mkdir $n && truncate -s $s $n.img && mkfs.$n"
                 " -q \"$@\" $n.img >/dev/null && mount -o loop $n.img $n || exit 1; done"
                 " && mkdir tmpfs && mount -t tmpfs -o size=16m tarnivo-test tmpfs"),
              0)
        << "mkfs or a loop mount failed";
  }
  void TearDown() override {
    for (const char* fs : {"ext4", "xfs", "btrfs", "tmpfs"})
      ::umount2((tree / fs).c_str(), MNT_DETACH);
  }
  TempTree tree;
};

// File system x operation x attribute: whatever the twin keeps, ours keeps.
TEST_F(FileSystems, CopyAndMoveKeepWhatCpAndMvKeep) {
  const std::pair<const char*, const char*> routes[] = {{"ext4", "xfs"},   {"ext4", "btrfs"},
                                                        {"ext4", "tmpfs"}, {"xfs", "ext4"},
                                                        {"xfs", "btrfs"},  {"xfs", "xfs"}};
  for (const auto& [from, to] : routes) {
    for (const bool move : {false, true}) {
      const std::string why = std::string(move ? "move " : "copy ") + from + " -> " + to;
      for (const std::string& f : {tree / from + "/ours", tree / from + "/twin"}) {
        // Another owner, set-ID bits where the owner stays, times with
        // nanoseconds, user and trusted attributes (one of 6000 and one of
        // 60000 bytes where the file system takes them) and an access ACL.
        ASSERT_EQ(
            Sh("head -c 1M /dev/zero | tr '\\0' d >" + f + " && chown 65534:65534 " + f +
               " && chmod " + (move ? "2750 " : "750 ") + f +
               " && setfattr -n user.origin -v camera " + f + " && setfattr -n user.tags -v a,b " +
               f + " && setfattr -n trusted.note -v x " + f + " && setfacl -m u:nobody:r-- " + f +
               " && touch -a -d @1000000000.123456789 " + f +
               " && touch -m -d @1200000000.987654321 " + f +
               " && for n in 6000 60000; do setfattr " +
               "-n user.$n -v $(head -c $n /dev/zero | tr '\\0' v) " + f +
               " 2>/dev/null; done; true"),
            0);
      }
      if (move) {
        posix::RenameEntry({tree / from, "ours"}, {tree / to, "ours.new"}, false, nullptr, false);
      } else {
        posix::CopyRegularFile({tree / from, "ours"}, {tree / to, "ours.new"}, false, nullptr);
      }
      // cp and mv fail when the destination refuses an attribute.
      Sh((move ? "mv " : "cp --preserve=mode,timestamps,xattr ") + tree / from + "/twin " +
         tree / to + "/twin.new 2>/dev/null");
      const std::string ours = Metadata(tree / to + "/ours.new", move);
      EXPECT_EQ(ours, Metadata(tree / to + "/twin.new", move)) << why;
      EXPECT_NE(ours.find("user.origin="), std::string::npos) << why;
      EXPECT_TRUE(ReadAll(tree / to + "/ours.new") == std::string(1 << 20, 'd')) << why;
      EXPECT_EQ(Exists(tree / from + "/ours"), !move) << why;
      Sh("rm -f " + tree / from + "/ours " + tree / from + "/twin " + tree / to + "/*.new");
    }
  }
}

TEST_F(FileSystems, HolesStayHolesAndClonesShareTheirBlocks) {
  const std::string image = tree / "ext4/disk.img";
  // 2 GiB holding 1 MiB at the start and 1 MiB at 1 GiB.
  ASSERT_EQ(Sh("head -c 1M /dev/urandom >" + image +
               " && head -c 1M /dev/urandom | dd status=none of=" + image +
               " bs=1M seek=1024 conv=notrunc && truncate -s 2G " + image),
            0);
  for (const char* to : {"xfs", "ext4", "tmpfs"}) {
    posix::CopyRegularFile({tree / "ext4", "disk.img"}, {tree / to, "ours.img"}, false, nullptr);
    ASSERT_EQ(Sh("cp " + image + " " + tree / to + "/twin.img"), 0);
    struct stat ours {};
    struct stat twin {};
    ::stat((tree / to + "/ours.img").c_str(), &ours);
    ::stat((tree / to + "/twin.img").c_str(), &twin);
    EXPECT_EQ(ours.st_size, 2LL << 30) << to;
    EXPECT_LE(ours.st_blocks, std::max<blkcnt_t>(twin.st_blocks, 6144)) << to;  // 3 MiB
    EXPECT_EQ(Sh("cmp -s -n 1100M " + image + " " + tree / to + "/ours.img"), 0) << to;
    Sh("cd " + tree / to + " && rm ours.img twin.img");
  }
  // A failure after the first piece was copied fails the copy and leaves nothing.
  int calls = 0;
  posix::SetFaultHook(
      [&](FileStep s) { return s == FileStep::CopyRange && ++calls == 2 ? ENOSPC : 0; });
  EXPECT_THROW(posix::CopyRegularFile({tree / "ext4", "disk.img"}, {tree / "ext4", "ours.img"},
                                      false, nullptr),
               PlatformError);
  posix::SetFaultHook(nullptr);
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(Names(tree / "ext4"), (std::vector<std::string>{"disk.img", "lost+found"}));
  for (const char* fs : {"xfs", "btrfs"}) {
    WriteAll(tree / fs + "/a", std::string(4 << 20, 'c'));
    posix::CopyRegularFile({tree / fs, "a"}, {tree / fs, "b"}, false, nullptr);
    EXPECT_EQ(Sh("filefrag -v " + tree / fs + "/b | grep -q shared"), 0) << fs << ": not a clone";
  }
}

// Yes to "Overwrite?": the old file stays whole until the new one is
// complete, whatever fails or stops the copy or the move.
TEST_F(FileSystems, AReplacementThatFailsOrStopsKeepsTheOldFile) {
  const std::string old = std::string(3 << 20, 'o');
  const std::string big = tree / "ext4/big";
  WriteAll(big, std::string(40 << 20, 'n'));
  const struct {
    const char* to;
    bool move, stop;
    int unlink_error;  // injected where the source is removed
    bool immutable;    // the source cannot be removed at all
  } cases[] = {
      {"tmpfs", false, false, 0, false},  // 16 MiB: the disk is full
      {"tmpfs", true, false, 0, false},  {"xfs", false, true, 0, false},
      {"xfs", true, true, 0, false},     {"xfs", true, false, EIO, false},
      {"xfs", true, false, 0, true},
  };
  for (const auto& c : cases) {
    const std::string why = std::string(c.move ? "move to " : "copy to ") + c.to;
    WriteAll(tree / c.to + "/old", old);
    ASSERT_TRUE(!c.immutable || Sh("chattr +i " + big) == 0);
    posix::SetFaultHook([&](FileStep s) { return s == FileStep::Unlink ? c.unlink_error : 0; });
    std::size_t reports = 0;
    const posix::Progress progress = [&](std::uint64_t, std::uint64_t) {
      return !c.stop || ++reports < 2;
    };
    const Place from{tree / "ext4", "big"};
    const Place to{tree / c.to, "old"};
    try {
      const CopyOutcome outcome = c.move ? posix::RenameEntry(from, to, false, progress, true)
                                         : posix::CopyRegularFile(from, to, true, progress);
      EXPECT_TRUE(c.stop && outcome == CopyOutcome::Stopped) << why;
    } catch (const PlatformError&) {
      EXPECT_FALSE(c.stop) << why;
    }
    posix::SetFaultHook(nullptr);
    Sh("chattr -i " + big);
    EXPECT_TRUE(ReadAll(tree / c.to + "/old") == old) << why;
    EXPECT_EQ(Names(tree / c.to), (std::vector<std::string>{"old"})) << why;
    EXPECT_EQ(ReadAll(big).size(), 40u << 20) << why;
  }
  // Where the file system cannot swap, a source that cannot be removed stays
  // beside its complete copy.
  posix::SetFaultHook([](FileStep s) {
    return s == FileStep::RenameNoReplace ? EINVAL : s == FileStep::Unlink ? EIO : 0;
  });
  EXPECT_THROW(
      posix::RenameEntry({tree / "ext4", "big"}, {tree / "xfs", "old"}, false, nullptr, true),
      PlatformError);
  posix::SetFaultHook(nullptr);
  EXPECT_TRUE(ReadAll(tree / "xfs/old") == ReadAll(big));
  // Refused before anything moves; an ordinary file is replaced, the source gone.
  ASSERT_EQ(Sh("cd " + tree / "xfs" +
               " && mkdir Folder && touch ro .hidden && chmod 444 ro && mkfifo fifo" +
               " && ln -s nowhere broken && ln -s " + big + " self"),
            0);
  const auto before = Names(tree / "xfs");
  for (const char* name : {"Folder", "ro", ".hidden", "fifo", "broken", "self"}) {
    EXPECT_THROW(
        posix::RenameEntry({tree / "ext4", "big"}, {tree / "xfs", name}, false, nullptr, true),
        PlatformError)
        << name;
    EXPECT_EQ(Names(tree / "xfs"), before) << name;
  }
  posix::RenameEntry({tree / "ext4", "big"}, {tree / "xfs", "old"}, false, nullptr, true);
  EXPECT_EQ(ReadAll(tree / "xfs/old").size(), 40u << 20);
  EXPECT_FALSE(Exists(big));
  EXPECT_EQ(Names(tree / "xfs"), before);
}

}  // namespace
}  // namespace tarnivo::test
