// Hostile names and entries on real folders, through the real handlers: typed
// destination names, destination folders that cannot be reached safely,
// sources that are not files, a source on a read-only mount. Whatever they
// are, only the one file named is touched, and what is on disk is checked,
// not only what was said.
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "ContractGtest.h"
#include "Handlers.h"
#include "TypedNames.h"
#include "platform/posix/NameMap.h"
#include "platform/posix/Names.h"

namespace tarnivo::test {
namespace {

const std::string kReport = "this year's report";

// Every entry below `dir` (an open folder), by its path relative to the
// tree: what it is and, for a file, what it holds. Walks by descriptor, so
// paths of any length are seen.
void Walk(int dir, const std::string& rel, std::map<std::string, std::string>& out) {
  const int fd = ::dup(dir);
  DIR* d = ::fdopendir(fd);
  if (d == nullptr) {
    ::close(fd);
    return;
  }
  while (const dirent* e = ::readdir(d)) {
    const std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    const std::string path = rel.empty() ? name : rel + "/" + name;
    struct stat st {};
    if (::fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (S_ISDIR(st.st_mode)) {
      out[path] = "folder";
      const int sub = ::openat(dir, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
      if (sub >= 0) {
        Walk(sub, path, out);
        ::close(sub);
      }
    } else if (S_ISLNK(st.st_mode)) {
      char target[4096];
      const ssize_t n = ::readlinkat(dir, name.c_str(), target, sizeof target);
      out[path] = "link to " + std::string(target, n > 0 ? static_cast<std::size_t>(n) : 0);
    } else if (S_ISREG(st.st_mode)) {
      std::string data;
      const int f = ::openat(dir, name.c_str(), O_RDONLY | O_NOFOLLOW);
      char buffer[4096];
      for (ssize_t n; f >= 0 && (n = ::read(f, buffer, sizeof buffer)) > 0;) {
        data.append(buffer, static_cast<std::size_t>(n));
      }
      if (f >= 0) ::close(f);
      out[path] = "file " + data;
    } else {
      out[path] = S_ISFIFO(st.st_mode) ? "fifo" : "system";
    }
  }
  ::closedir(d);
}

std::map<std::string, std::string> Snapshot(const std::string& root) {
  std::map<std::string, std::string> out;
  const int dir = ::open(root.c_str(), O_RDONLY | O_DIRECTORY);
  if (dir >= 0) {
    Walk(dir, "", out);
    ::close(dir);
  }
  return out;
}

// Makes `depth` folders named `part` under `base` by descriptor (the whole
// path may be longer than the kernel takes at once); returns the deepest,
// open.
int MakeDeep(const std::string& base, const std::string& part, int depth) {
  int dir = ::open(base.c_str(), O_RDONLY | O_DIRECTORY);
  for (int i = 0; i < depth && dir >= 0; ++i) {
    ::mkdirat(dir, part.c_str(), 0755);
    const int next = ::openat(dir, part.c_str(), O_RDONLY | O_DIRECTORY);
    ::close(dir);
    dir = next;
  }
  return dir;
}

// Removes everything below the open folder `dir`, by descriptor, staying on
// its file system.
void RemoveBelow(int dir) {
  struct stat self {};
  if (::fstat(dir, &self) != 0) return;
  const int fd = ::dup(dir);
  DIR* d = ::fdopendir(fd);
  if (d == nullptr) {
    ::close(fd);
    return;
  }
  std::vector<std::string> names;
  while (const dirent* e = ::readdir(d)) {
    const std::string name = e->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  ::closedir(d);
  for (const std::string& name : names) {
    struct stat st {};
    if (::fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (S_ISDIR(st.st_mode)) {
      if (st.st_dev != self.st_dev) continue;  // a mount point: left to its owner
      const int sub = ::openat(dir, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
      if (sub >= 0) {
        RemoveBelow(sub);
        ::close(sub);
      }
      ::unlinkat(dir, name.c_str(), AT_REMOVEDIR);
    } else {
      ::unlinkat(dir, name.c_str(), 0);
    }
  }
}

class HostileNamesLinux : public ::testing::Test {
 protected:
  // The tree every test starts from: the source, and the destination folder.
  void SetUp() override {
    for (const char* dir : {"c", "c/Src", "d", "d/Dst"}) MakeDir(tree / dir);
    WriteAll(tree / "c/Src/Report.doc", kReport);
  }

  // Folders deeper than a path can name are beyond the tree's own cleanup.
  void TearDown() override {
    const int dir = ::open(tree.root().c_str(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
      RemoveBelow(dir);
      ::close(dir);
    }
  }

  TempTree tree;
  std::string drives = "C=c;D=d";
};

// The typed names' table on real folders, C: and D: in a temporary tree.
class PosixNames : public contract::NamesWorld {
 public:
  PosixNames() {
    using enum contract::Kind;
    MakeDir(tree_ / "c");
    MakeDir(tree_ / "d");
    for (const contract::NamesEntry& e : contract::NamesTree()) {
      const std::string native = tree_ / (e.kind == Raw ? Rel(e.path) : Key(e.path));
      if (e.kind == Folder) MakeDir(native);
      if (e.kind != Folder && e.kind != System && e.kind != Link)
        WriteAll(native, e.contents, e.kind == ReadOnly ? 0444 : 0644);
      if ((e.kind == System && ::mkfifo(native.c_str(), 0644) != 0) ||
          (e.kind == Link && ::symlink((tree_ / Key(e.contents)).c_str(), native.c_str()) != 0))
        throw std::runtime_error("cannot make " + native);
    }
  }
  Pressed Transfer(bool move, const std::string& folder, const std::string& name,
                   bool yes) override {
    ProgramRun run(tree_, "C=c;D=d", tree_ / Key(contract::kSource));
    run.ui.yes_no = yes ? MessageBoxResult::Yes : MessageBoxResult::No;
    if (!run.Load()) throw std::runtime_error("the dialog did not open");
    run.Choose(move, folder, name);
    Pressed pressed{{}, run.Ok(), run.state().FileName()};
    for (const Shown& s : run.ui.shown) pressed.shown.emplace_back(s.text, s.style);
    return pressed;
  }
  std::map<std::string, std::string> Snapshot() override { return test::Snapshot(tree_.root()); }
  // "D:\Dst\a\uF03Ab" => "d/Dst/a:b", as the layer stores it.
  std::string Key(const std::string& path) override { return posix::LinuxName(Rel(path)); }

 private:
  static std::string Rel(const std::string& path) {  // "D:\Dst\x" => "d/Dst/x"
    std::string rel(1, static_cast<char>(path[0] - 'A' + 'a'));
    for (std::size_t i = 2; i < path.size(); ++i) rel += path[i] == '\\' ? '/' : path[i];
    return rel;
  }
  TempTree tree_;
};

TEST_F(HostileNamesLinux, ATypedNameReachesOnlyTheFileItNames) {
  contract::RunNames(
      contract::Impl::Posix, [] { return std::make_unique<PosixNames>(); }, contract::ExpectHolds);
}

TEST_F(HostileNamesLinux, AFolderThatCannotBeReachedSafelyIsNeverWrittenTo) {
  MakeDir(tree / "c/Music");
  MakeDir(tree / "c/music");
  ASSERT_EQ(::symlink("loop", (tree / "c/loop").c_str()), 0);
  ASSERT_EQ(::symlink("ping", (tree / "c/pong").c_str()), 0);
  ASSERT_EQ(::symlink("pong", (tree / "c/ping").c_str()), 0);
  const std::string deep_part(250, 'f');
  const int deep = MakeDeep(tree / "d", deep_part, 17);  // about 4300 bytes
  ASSERT_GE(deep, 0);
  ::close(deep);
  std::string too_deep = "D:";
  for (int i = 0; i < 17; ++i) too_deep += "\\" + deep_part;

  // Typed into the network box: the directory list stays where it was.
  for (const std::string& folder :
       {std::string("C:\\MUSIC"), std::string("C:\\loop"), std::string("C:\\loop\\x"),
        std::string("C:\\ping\\"), too_deep}) {
    SCOPED_TRACE(folder.substr(0, 40));
    ProgramRun run(tree, drives, tree / "c/Src/Report.doc");
    ASSERT_TRUE(run.Load());
    run.TypeFolder(folder);
    EXPECT_EQ(run.state().DirPath(), "C:\\Src");
    EXPECT_TRUE(run.ui.shown.empty());
  }

  // A folder that turns into a link loop, or goes, after it was chosen.
  const auto before = Snapshot(tree.root());
  for (const bool loop : {true, false}) {
    SCOPED_TRACE(loop ? "became a loop" : "went");
    MakeDir(tree / "d/Gone");
    ProgramRun run(tree, drives, tree / "c/Src/Report.doc");
    ASSERT_TRUE(run.Load());
    run.Choose(true, "D:\\Gone", "Report.doc");
    ASSERT_EQ(::rmdir((tree / "d/Gone").c_str()), 0);
    if (loop) {
      ASSERT_EQ(::symlink("Gone", (tree / "d/Gone").c_str()), 0);
    }
    EXPECT_FALSE(run.Ok());
    EXPECT_EQ(run.ui.shown, std::vector<Shown>{kTransferError});
    ::unlink((tree / "d/Gone").c_str());
    EXPECT_EQ(Snapshot(tree.root()), before);
  }
}

TEST_F(HostileNamesLinux, PathsLongerThanTheKernelTakesAtOnce) {
  // A folder of about 3900 bytes and a name that takes the whole path past
  // 4096: each step goes by the folder's descriptor, so the file arrives.
  const std::string part(240, 'p');
  const int deep = MakeDeep(tree / "d", part, 16);
  ASSERT_GE(deep, 0);
  std::string folder = "D:";
  for (int i = 0; i < 16; ++i) folder += "\\" + part;
  const std::string name(250, 'n');
  ProgramRun move(tree, drives, tree / "c/Src/Report.doc");
  ASSERT_TRUE(move.Load());
  move.Choose(true, folder, name);
  EXPECT_TRUE(move.Ok());
  EXPECT_TRUE(move.ui.shown.empty());
  std::map<std::string, std::string> there;
  Walk(deep, "", there);
  EXPECT_EQ(there, (std::map<std::string, std::string>{{name, "file " + kReport}}));
  EXPECT_FALSE(Exists(tree / "c/Src/Report.doc"));

  // A source below such a folder is not found, and stays where it is.
  const int deeper = MakeDeep(tree / "c", part, 18);
  ASSERT_GE(deeper, 0);
  const int f = ::openat(deeper, "deep.doc", O_CREAT | O_WRONLY, 0644);
  ASSERT_GE(f, 0);
  ASSERT_EQ(::write(f, "deep", 4), 4);
  ::close(f);
  std::string source = tree / "c";
  for (int i = 0; i < 18; ++i) source += "/" + part;
  source += "/deep.doc";
  ProgramRun run(tree, drives, source);
  EXPECT_FALSE(run.Load());
  EXPECT_EQ(run.ui.shown, std::vector<Shown>{kFileNotFound});
  there.clear();
  Walk(deeper, "", there);
  EXPECT_EQ(there, (std::map<std::string, std::string>{{"deep.doc", "file deep"}}));
  ::close(deeper);
  ::close(deep);
}

// Runs `body` in a child process and gives its output, or fails when it has
// not ended within `seconds`: a step that blocks (opening a FIFO that no one
// writes to) must not hang the tests.
std::string RunsWithin(int seconds, const std::function<std::string()>& body) {
  int out[2];
  if (::pipe(out) != 0) return "no pipe";
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(out[0]);
    const std::string result = body();
    if (::write(out[1], result.data(), result.size()) < 0) _exit(2);
    _exit(0);
  }
  ::close(out[1]);
  std::string result;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    pollfd p{out[0], POLLIN, 0};
    if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) == 0) {
      ::kill(child, SIGKILL);
      ::waitpid(child, nullptr, 0);
      ::close(out[0]);
      return "hung";
    }
    char buffer[256];
    const ssize_t n = ::read(out[0], buffer, sizeof buffer);
    if (n <= 0) break;
    result.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(out[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? result : "crashed";
}

TEST_F(HostileNamesLinux, ASourceThatIsNoFileIsRefusedWithoutHanging) {
  ASSERT_EQ(::mkfifo((tree / "c/Src/pipe").c_str(), 0644), 0);
  const bool have_device =
      ::mknod((tree / "c/Src/null").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
  // The system's own /dev/null too, on a drive of its own, but only copied:
  // nothing here may ever try to remove it.
  drives = "C=c;D=d;N=/dev";
  const struct {
    const char* source;
    bool move;
    const char* folder;
  } cases[] = {
      {"c/Src/pipe", false, "D:\\Dst"}, {"c/Src/pipe", true, "D:\\Dst"},
      {"c/Src/pipe", true, "C:\\"},     {"c/Src/null", false, "D:\\Dst"},
      {"c/Src/null", true, "D:\\Dst"},  {"c/Src/null", true, "C:\\"},
      {"/dev/null", false, "D:\\Dst"},
  };
  for (const auto& c : cases) {
    const bool system_null = c.source[0] == '/';
    const std::string source = system_null ? c.source : tree / c.source;
    SCOPED_TRACE(std::string(c.source) + (c.move ? " moved to " : " copied to ") + c.folder);
    if (!system_null && !have_device && std::string(c.source).find("null") != std::string::npos) {
      continue;  // only root may make a device node
    }
    const auto before = Snapshot(tree.root());
    const std::string result = RunsWithin(20, [&] {
      ProgramRun run(tree, drives, source);
      if (!run.Load()) return std::string("not opened");
      run.Choose(c.move, c.folder, "copied");
      const bool ended = run.Ok();
      std::string said;
      for (const Shown& s : run.ui.shown) said += s.text + "|";
      return std::string(ended ? "ended " : "open ") + said;
    });
    EXPECT_EQ(result, "open " + kTransferError.text + "|");
    EXPECT_EQ(Snapshot(tree.root()), before);
  }
  struct stat st {};
  ASSERT_EQ(::stat("/dev/null", &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode));
  if (!have_device)
    GTEST_SKIP() << "a device node of our own needs root; only /dev/null was copied";
}

TEST_F(HostileNamesLinux, AMoveFromAReadOnlyMountCopiesAndKeepsTheSource) {
  TmpfsMount readonly(tree / "r", 1u << 20);
  if (!readonly.mounted()) GTEST_SKIP() << readonly.why();
  MakeDir(tree / "r/Sub");
  WriteAll(tree / "r/Report.doc", kReport);
  if (::mount("tarnivo-test", (tree / "r").c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) !=
      0) {
    GTEST_SKIP() << "cannot make the mount read-only: " << std::strerror(errno);
  }
  drives = "C=c;D=d;R=r";
  const struct {
    const char* family;
    bool move;
    const char *folder, *name;
    bool ended;
    const char* copy;  // where a whole copy is afterwards, or nullptr
  } cases[] = {
      // The copy is made, the source cannot go: both stay and the user is told.
      {"moved to another drive", true, "D:\\Dst", "Report.doc", false, "d/Dst/Report.doc"},
      {"moved within the mount", true, "R:\\Sub", "Report.doc", false, nullptr},
      {"copied to another drive", false, "D:\\Dst", "Copy.doc", true, "d/Dst/Copy.doc"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.family);
    ProgramRun run(tree, drives, tree / "r/Report.doc");
    ASSERT_TRUE(run.Load());
    run.Choose(c.move, c.folder, c.name);
    EXPECT_EQ(run.Ok(), c.ended);
    EXPECT_EQ(run.ui.shown, c.ended ? std::vector<Shown>{} : std::vector<Shown>{kTransferError});
    EXPECT_EQ(ReadAll(tree / "r/Report.doc"), kReport);
    EXPECT_TRUE(Names(tree / "r/Sub").empty());
    if (c.copy != nullptr) {
      EXPECT_EQ(ReadAll(tree / c.copy), kReport);
    }
  }
}

TEST_F(HostileNamesLinux, AnAliasOpensItsOwnFileAndNoOther) {
  // The Kelvin sign folds to 'k' and the long s to 's': these names are
  // spelled, in another case, like the aliases that the names beside them
  // would get first, and must not be taken for them.
  WriteAll(tree / "c/Src/k long name.doc", "the long name");
  WriteAll(tree / "c/Src/\xE2\x84\xAALONGN~1.DOC", "the Kelvin name");
  WriteAll(tree / "c/Src/short name", "the short name");
  WriteAll(tree / "c/Src/\xC5\xBFHORTN~1", "the long s name");
  const std::vector<std::string> names = Names(tree / "c/Src");
  const std::vector<std::string> aliases = posix::MakeAliases(names);
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (aliases[i].empty()) continue;
    SCOPED_TRACE(names[i] + " as " + aliases[i]);
    ProgramRun run(tree, drives, "C:\\SRC\\" + aliases[i]);
    ASSERT_TRUE(run.Load());
    EXPECT_EQ(run.state().FileName(), names[i]);
    run.Choose(false, "D:\\Dst", "opened " + std::to_string(i));
    EXPECT_TRUE(run.Ok());
    EXPECT_EQ(ReadAll(tree / ("d/Dst/opened " + std::to_string(i))),
              ReadAll(tree / ("c/Src/" + names[i])));
  }
}

}  // namespace
}  // namespace tarnivo::test
