// Real folders for the integration tests: a temporary tree whose
// subfolders are pinned as drives, helpers to fill it,
// and a tmpfs mount where the test may mount one.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/posix/PosixFileSystem.h"

namespace tarnivo::test {

// Stands in for the desktop's progress display: records what the layer
// reports of each copy, and stops the copy at a chosen report.
class RecordingUi {
 public:
  posix::Progress Progress() {
    return [this](std::uint64_t done, std::uint64_t total) {
      progress.emplace_back(done, total);
      return progress.size() < stop_at;
    };
  }
  std::size_t stop_at = SIZE_MAX;  // the user stops the copy at this report
  std::vector<std::pair<std::uint64_t, std::uint64_t>> progress;
};

std::string ReadAll(const std::string& path);  // "" when missing
void WriteAll(const std::string& path, const std::string& data, unsigned mode = 0644);
void MakeDir(const std::string& path);
bool Exists(const std::string& path);                       // without following a link
std::vector<std::string> Names(const std::string& folder);  // sorted
unsigned ModeOf(const std::string& path);

// A temporary folder removed with everything in it; the working directory
// is restored afterwards.
class TempTree {
 public:
  TempTree();
  ~TempTree();
  TempTree(const TempTree&) = delete;
  TempTree& operator=(const TempTree&) = delete;

  const std::string& root() const { return root_; }
  std::string operator/(const std::string& rel) const { return root_ + "/" + rel; }

  // Pins the drives ("C=c;D=d": folders relative to the tree, created; an
  // absolute folder is taken as it is) and makes the file system, telling
  // `ui` the progress of its copies; the process starts in the first drive's
  // root.
  std::unique_ptr<PosixFileSystem> Platform(const std::string& drives = "C=c;D=d",
                                            RecordingUi* ui = nullptr);

 private:
  std::string root_;
  std::string old_cwd_;
};

// A tmpfs of `bytes` mounted on a new folder of the tree; skipped() when the
// process may not mount.
class TmpfsMount {
 public:
  TmpfsMount(const std::string& dir, std::uint64_t bytes);
  ~TmpfsMount();
  TmpfsMount(const TmpfsMount&) = delete;
  TmpfsMount& operator=(const TmpfsMount&) = delete;
  bool mounted() const { return mounted_; }
  const std::string& why() const { return why_; }

 private:
  std::string dir_;
  bool mounted_ = false;
  std::string why_;
};

// A folder at `dir` on another file system than the tree: a tmpfs mounted
// there, or else a link to a new folder in /dev/shm; ready() false when
// neither can be had.
class OtherFileSystem {
 public:
  explicit OtherFileSystem(const std::string& dir);
  ~OtherFileSystem();
  OtherFileSystem(const OtherFileSystem&) = delete;
  OtherFileSystem& operator=(const OtherFileSystem&) = delete;
  bool ready() const { return mount_.mounted() || !shm_.empty(); }
  std::string why() const { return mount_.why() + ", and /dev/shm is not another tmpfs"; }

 private:
  TmpfsMount mount_;
  std::string shm_;
};

// Temporary files that a failed copy might have left in `folder`.
std::vector<std::string> Leftovers(const std::string& folder);

}  // namespace tarnivo::test
