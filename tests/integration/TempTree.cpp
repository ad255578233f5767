#include "TempTree.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <ftw.h>
#include <stdlib.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>

namespace tarnivo::test {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void WriteAll(const std::string& path, const std::string& data, unsigned mode) {
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << data;
    ASSERT_TRUE(out.good()) << path;
  }
  ASSERT_EQ(::chmod(path.c_str(), mode), 0) << path;
}

void MakeDir(const std::string& path) {
  ASSERT_TRUE(::mkdir(path.c_str(), 0755) == 0 || errno == EEXIST)
      << path << ": " << std::strerror(errno);
}

bool Exists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* dir = ::opendir(folder.c_str())) {
    while (const dirent* e = ::readdir(dir)) {
      const std::string n = e->d_name;
      if (n != "." && n != "..") names.push_back(n);
    }
    ::closedir(dir);
  }
  std::sort(names.begin(), names.end());
  return names;
}

unsigned ModeOf(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

std::vector<std::string> Leftovers(const std::string& folder) {
  std::vector<std::string> found;
  for (const std::string& n : Names(folder)) {
    if (n.rfind(".tarnivo-", 0) == 0) found.push_back(n);
  }
  return found;
}

TempTree::TempTree() {
  char tmpl[] = "/tmp/tarnivo-it-XXXXXX";
  const char* made = ::mkdtemp(tmpl);
  if (made == nullptr) throw std::runtime_error("mkdtemp failed");
  char* real = ::realpath(made, nullptr);
  root_ = real;
  std::free(real);
  char cwd[4096];
  if (::getcwd(cwd, sizeof cwd) != nullptr) old_cwd_ = cwd;
}

namespace {
int RemoveOne(const char* path, const struct stat*, int, struct FTW*) {
  ::chmod(path, 0700);
  ::remove(path);
  return 0;
}
}  // namespace

TempTree::~TempTree() {
  if (!old_cwd_.empty() && ::chdir(old_cwd_.c_str()) != 0) {
    // The tests go on from wherever they are.
  }
  ::nftw(root_.c_str(), RemoveOne, 16, FTW_DEPTH | FTW_PHYS | FTW_MOUNT);
}

std::unique_ptr<PosixFileSystem> TempTree::Platform(const std::string& drives, RecordingUi* ui) {
  std::string map_text;
  std::string first;
  std::stringstream items(drives);
  std::string item;
  while (std::getline(items, item, ';')) {
    // A folder of the tree, or an absolute one ("N=/dev") taken as it is.
    const std::string given = item.substr(2);
    const bool absolute = !given.empty() && given.front() == '/';
    const std::string folder = absolute ? given : root_ + "/" + given;
    if (!absolute && given.find("missing") == std::string::npos) MakeDir(folder);
    if (first.empty()) first = folder;
    map_text += (map_text.empty() ? "" : ";") + item.substr(0, 2) + folder;
  }
  if (::chdir(first.c_str()) != 0) ADD_FAILURE() << "chdir " << first;
  auto pinned = posix::PinnedDrives(map_text.c_str());
  if (!pinned) ADD_FAILURE() << "drive map " << map_text;
  auto files = std::make_unique<PosixFileSystem>(std::move(pinned));
  if (ui != nullptr) files->SetCopyProgress(ui->Progress());
  return files;
}

TmpfsMount::TmpfsMount(const std::string& dir, std::uint64_t bytes) : dir_(dir) {
  ::mkdir(dir.c_str(), 0755);
  const std::string options = "size=" + std::to_string(bytes);
  if (::mount("tarnivo-test", dir.c_str(), "tmpfs", 0, options.c_str()) == 0) {
    mounted_ = true;
  } else {
    why_ = std::string("mounting a tmpfs is not allowed here (") + std::strerror(errno) +
           "); run as root to include this test";
  }
}

TmpfsMount::~TmpfsMount() {
  if (mounted_) ::umount2(dir_.c_str(), MNT_DETACH);
}

}  // namespace tarnivo::test

namespace tarnivo::test {

OtherFileSystem::OtherFileSystem(const std::string& dir) : mount_(dir, 64u << 20) {
  if (mount_.mounted()) return;
  struct stat here {};
  struct stat shm {};
  if (::stat(dir.c_str(), &here) != 0 || ::stat("/dev/shm", &shm) != 0 ||
      here.st_dev == shm.st_dev) {
    return;
  }
  char tmpl[] = "/dev/shm/tarnivo-it-XXXXXX";
  if (::mkdtemp(tmpl) == nullptr) return;
  if (::rmdir(dir.c_str()) != 0 || ::symlink(tmpl, dir.c_str()) != 0) {
    ::rmdir(tmpl);
    return;
  }
  shm_ = tmpl;
}

OtherFileSystem::~OtherFileSystem() {
  if (!shm_.empty()) ::nftw(shm_.c_str(), RemoveOne, 16, FTW_DEPTH | FTW_PHYS | FTW_MOUNT);
}

}  // namespace tarnivo::test
