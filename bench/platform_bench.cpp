// Times the POSIX layer's file operations against the system's own tools in
// one run and prints the ratios. Not a test: tools/bench-platform.sh prepares
// the data, runs this and cleans up.
//
//   tarnivo_bench --disk DIR [--tmpfs DIR] [--big DIR] [--share DIR] [--repeat N]
//                 [--only WHAT] [--each]
//
// DIR/src.bin (on disk) and TMPFS/src.bin are the files to copy and move;
// BIG is a folder of many entries holding file050000.txt; SHARE is a folder
// of a mounted network share that DIR/src.bin is copied onto; DIR/sparse.img,
// where it exists, is a sparse file copied on disk and onto TMPFS. --only
// runs one of copy, sparse, replace, rename, move, intake, share; --each
// prints every run.
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "paths/Intake.h"
#include "platform/PlatformServices.h"
#include "platform/posix/PosixFileSystem.h"
#include "text/Text.h"

namespace {

// No one watches the intakes: a failure ends the benchmark.
class Unwatched final : public tarnivo::Desktop {
 public:
  std::string CommandLine() override { return {}; }
  tarnivo::MessageBoxResult ShowMessage(const std::string& text,
                                        tarnivo::MessageBoxStyle) override {
    std::fprintf(stderr, "%s\n", text.c_str());
    return tarnivo::MessageBoxResult::Ok;
  }
  void ShowHelp(tarnivo::WindowHandle, const std::string&, int, int) override {}
  int MeasureTextWidth(const std::string& text) override { return static_cast<int>(text.size()); }
  [[noreturn]] void Terminate() override { std::exit(1); }
};

using Clock = std::chrono::steady_clock;

bool g_each = false;  // print every run

double Seconds(const std::function<void()>& work) {
  const auto start = Clock::now();
  work();
  return std::chrono::duration<double>(Clock::now() - start).count();
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

void Run(const std::string& command) {
  if (std::system(command.c_str()) != 0) {
    std::fprintf(stderr, "failed: %s\n", command.c_str());
    std::exit(1);
  }
}

std::string Quote(const std::string& path) { return "'" + path + "'"; }

bool IsFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

void Remove(const std::string& path) {
  ::unlink(path.c_str());
  ::sync();  // each timed run starts with nothing left to write
}

// Runs one measurement in a child process, so that the peak memory printed
// is that measurement's own.
void Measured(const char* name, const std::function<void()>& work) {
  std::fflush(stdout);
  const pid_t child = ::fork();
  if (child == 0) {
    work();
    std::fflush(stdout);
    std::_Exit(0);
  }
  int status = 0;
  rusage usage{};
  ::wait4(child, &status, 0, &usage);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::printf("%s: failed\n", name);
    std::exit(1);
  }
  std::printf("  peak memory of %s: %.1f MB\n", name, usage.ru_maxrss / 1024.0);
}

// Medians of both, and the median of the ratios of runs made side by side,
// which a busy machine disturbs least.
void Line(const char* what, const std::vector<double>& ours, const std::vector<double>& reference,
          const char* against) {
  std::vector<double> ratios;
  for (std::size_t i = 0; i < ours.size() && i < reference.size(); ++i) {
    ratios.push_back(ours[i] / reference[i]);
    if (g_each) {
      std::printf("  run %zu: %.3f ms against %.3f ms\n", i + 1, ours[i] * 1e3, reference[i] * 1e3);
    }
  }
  std::printf("%-36s %9.3f ms  %-20s %9.3f ms  ratio %.3f\n", what, Median(ours) * 1e3, against,
              Median(reference) * 1e3, Median(ratios));
}

// CopyFile of `src` into `folder` against cp followed by sync of the copy:
// both end with the data on the device.
void CompareCopy(tarnivo::PosixFileSystem& platform, const std::string& src,
                 const std::string& folder, int repeat, const char* what) {
  std::vector<double> ours;
  std::vector<double> theirs;
  const std::string a = folder + "/copy-ours.bin";
  const std::string b = folder + "/copy-cp.bin";
  auto run_ours = [&] {
    Remove(a);
    const std::string from = platform.ToDriveForm(src);
    const std::string to = platform.ToDriveForm(folder) + "\\copy-ours.bin";
    ours.push_back(Seconds([&] { platform.CopyFile(from, to); }));
  };
  auto run_theirs = [&] {
    Remove(b);
    theirs.push_back(
        Seconds([&] { Run("cp " + Quote(src) + " " + Quote(b) + " && sync " + Quote(b)); }));
  };
  for (int r = 0; r < repeat; ++r) {
    // Turn about, so that neither always runs on a disk the other just used.
    if (r % 2 == 0) {
      run_ours();
      run_theirs();
    } else {
      run_theirs();
      run_ours();
    }
  }
  Line(what, ours, theirs, "cp + sync FILE");
  struct stat st_a {};
  struct stat st_b {};
  ::stat(a.c_str(), &st_a);
  ::stat(b.c_str(), &st_b);
  std::printf("  allocated: %.1f MiB, cp's %.1f MiB\n", st_a.st_blocks / 2048.0,
              st_b.st_blocks / 2048.0);
  Remove(a);
  Remove(b);
}

}  // namespace

int main(int argc, char** argv) {
  std::string disk;
  std::string tmpfs;
  std::string big;
  std::string share;
  int repeat = 3;
  std::string only;
  for (int i = 1; i < argc; ++i) {
    const std::string key = argv[i];
    if (key == "--each") {
      g_each = true;
      continue;
    }
    if (i + 1 >= argc) break;
    if (key == "--only") only = argv[i + 1];
    if (key == "--disk") disk = argv[i + 1];
    if (key == "--tmpfs") tmpfs = argv[i + 1];
    if (key == "--big") big = argv[i + 1];
    if (key == "--share") share = argv[i + 1];
    if (key == "--repeat") repeat = std::max(1, std::atoi(argv[i + 1]));
    ++i;
  }
  auto wanted = [&](const char* what) { return only.empty() || only == what; };
  if (disk.empty() || !IsFile(disk + "/src.bin")) {
    std::fprintf(stderr,
                 "usage: %s --disk DIR [--tmpfs DIR] [--big DIR] [--repeat N]\n"
                 "       DIR/src.bin must exist (tools/bench-platform.sh makes it)\n",
                 argv[0]);
    return 2;
  }

  tarnivo::PosixFileSystem platform;  // the default map: C: is "/"
  Unwatched desktop;
  auto form = [&](const std::string& native) { return platform.ToDriveForm(native); };
  const std::string src = disk + "/src.bin";
  struct stat st {};
  ::stat(src.c_str(), &st);
  std::printf("file size %.1f MiB, %d runs each, medians\n", st.st_size / 1048576.0, repeat);

  if (wanted("copy")) {
    Measured("the copy", [&] { CompareCopy(platform, src, disk, repeat, "CopyFile"); });
  }
  if (wanted("share") && !share.empty()) {
    Measured("the copy onto the share",
             [&] { CompareCopy(platform, src, share, repeat, "CopyFile onto the share"); });
  }

  // A sparse file (2 GiB holding 2 MiB): the holes are not written.
  const std::string sparse = disk + "/sparse.img";
  if (wanted("sparse") && IsFile(sparse)) {
    Measured("the sparse copy", [&] {
      CompareCopy(platform, sparse, disk, repeat, "CopyFile, sparse 2 GiB");
      if (!tmpfs.empty()) {
        CompareCopy(platform, sparse, tmpfs, repeat, "CopyFile, sparse 2 GiB, to tmpfs");
      }
    });
  }

  // CopyFile over an old file, against deleting the old file and then
  // copying (the same work, without keeping the old file until the end), and
  // against a copy to a new name (nothing to free).
  if (wanted("replace"))
    Measured("the replacement", [&] {
      std::vector<double> over;
      std::vector<double> deleted;
      std::vector<double> fresh;
      const std::string old = disk + "/replaced.bin";
      const std::string other = disk + "/deleted.bin";
      const std::string name = disk + "/fresh.bin";
      Run("cp " + Quote(src) + " " + Quote(old) + " && cp " + Quote(src) + " " + Quote(other));
      const std::function<void()> runs[] = {
          [&] {
            ::sync();
            over.push_back(Seconds([&] { platform.CopyFile(form(src), form(old)); }));
          },
          [&] {
            ::sync();
            deleted.push_back(Seconds([&] {
              platform.DeleteFile(form(other));
              platform.CopyFile(form(src), form(other));
            }));
          },
          [&] {
            Remove(name);
            fresh.push_back(Seconds([&] { platform.CopyFile(form(src), form(name)); }));
          },
      };
      for (int r = 0; r < repeat; ++r) {
        for (int i = 0; i < 3; ++i) runs[(r + i) % 3]();  // each goes first in turn
      }
      for (const std::string& path : {old, other, name}) Remove(path);
      Line("CopyFile over an old file", over, deleted, "DeleteFile + CopyFile");
      Line("CopyFile over an old file", over, fresh, "CopyFile, new name");
    });

  // RenameFile on one file system against mv.
  if (wanted("rename"))
    Measured("the rename", [&] {
      std::vector<double> ours;
      std::vector<double> theirs;
      const std::string moved = disk + "/moved.bin";
      for (int r = 0; r < repeat; ++r) {
        ours.push_back(Seconds(
            [&] { platform.RenameFile(form(src), form(moved), tarnivo::Existing::Refuse); }));
        theirs.push_back(Seconds([&] { Run("mv " + Quote(moved) + " " + Quote(src)); }));
      }
      Line("RenameFile, same file system", ours, theirs, "mv");
    });

  // A move from tmpfs to the disk: a copy, then the source removed.
  if (wanted("move") && !tmpfs.empty() && IsFile(tmpfs + "/src.bin"))
    Measured("the move", [&] {
      std::vector<double> ours;
      std::vector<double> theirs;
      std::vector<double> theirs_synced;
      const std::string from = tmpfs + "/src.bin";
      const std::string to = disk + "/from-tmpfs.bin";
      for (int r = 0; r < repeat; ++r) {
        Remove(to);
        ours.push_back(
            Seconds([&] { platform.RenameFile(form(from), form(to), tarnivo::Existing::Refuse); }));
        Run("cp " + Quote(to) + " " + Quote(from));
        Remove(to);
        theirs.push_back(Seconds([&] { Run("mv " + Quote(from) + " " + Quote(to)); }));
        Run("cp " + Quote(to) + " " + Quote(from));
        Remove(to);
        theirs_synced.push_back(
            Seconds([&] { Run("mv " + Quote(from) + " " + Quote(to) + " && sync " + Quote(to)); }));
        Run("cp " + Quote(to) + " " + Quote(from));
      }
      Remove(to);
      Line("RenameFile, tmpfs to disk", ours, theirs, "mv");
      Line("RenameFile, tmpfs to disk", ours, theirs_synced, "mv + sync FILE");
    });

  // Intake of one file in a folder of many entries, by its name in another
  // letter case and by its alias, against listing the folder once.
  if (wanted("intake") && !big.empty() && IsFile(big + "/file050000.txt")) {
    const std::string folder = tarnivo::ToUpper(form(big));
    std::vector<double> listing;
    for (int r = 0; r < repeat; ++r) {
      listing.push_back(Seconds([&] { Run("ls -f " + Quote(big) + " > /dev/null"); }));
    }
    const struct {
      const char* what;
      const char* memory;
      const char* name;
    } intakes[] = {
        {"intake by name, 100 000 entries", "the intake by name", "FILE050000.TXT"},
        {"intake by alias, 100 000 entries", "the intake by alias", "FILE05~1.TXT"},
    };
    auto intake_of = [&](const char* name) {
      return Seconds([&] { tarnivo::InitDir({platform, desktop}, folder + "\\" + name); });
    };
    for (const auto& intake : intakes) {
      Measured(intake.memory, [&] {
        std::vector<double> times;
        for (int r = 0; r < repeat; ++r) times.push_back(intake_of(intake.name));
        Line(intake.what, times, listing, "ls -f of the folder");
      });
    }
    // The two side by side, taking turns.
    std::vector<double> by_alias;
    std::vector<double> by_name;
    for (int r = 0; r < repeat; ++r) {
      by_name.push_back(intake_of(intakes[0].name));
      by_alias.push_back(intake_of(intakes[1].name));
    }
    Line("intake by alias against by name", by_alias, by_name, "by name");
  }
  return 0;
}
