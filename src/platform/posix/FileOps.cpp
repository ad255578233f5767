#include "platform/posix/FileOps.h"

#include <errno.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/posix/PosixFaults.h"
#include "platform/posix/PosixUtil.h"

namespace tarnivo::posix {
namespace {

FaultHook& Hook() {
  static FaultHook hook;
  return hook;
}

// Writeback runs one chunk behind the copy: at most two chunks of the copy
// sit in memory, and the progress shown is what the device holds.
constexpr std::uint64_t kChunk = 16u << 20;
constexpr std::size_t kBufferSize = 1u << 20;  // read/write fallback

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

// Runs a system call unless the fault hook fails its step first; returns
// the call's result, or -1 with errno set to the injected error.
template <typename Call>
auto Step(FileStep step, Call call) -> decltype(call()) {
  if (const int err = InjectedFault(step)) {
    errno = err;
    return -1;
  }
  decltype(call()) r;
  do {
    r = call();
  } while (r == -1 && errno == EINTR);
  return r;
}

class Fd {
 public:
  Fd() = default;
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() { Reset(); }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  Fd(Fd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  Fd& operator=(Fd&& other) noexcept {
    if (this != &other) {
      Reset();
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }
  int get() const { return fd_; }
  void Reset() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }
  // Closes and reports the error that close gives (a delayed write error).
  int Close() {
    const int fd = std::exchange(fd_, -1);
    if (const int err = InjectedFault(FileStep::Close)) {
      ::close(fd);
      errno = err;
      return -1;
    }
    // Not repeated on EINTR: the descriptor is gone whatever close says.
    return ::close(fd);
  }

 private:
  int fd_ = -1;
};

Fd OpenFolder(const std::string& folder) {
  const int fd = Step(FileStep::Open,
                      [&] { return ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); });
  if (fd < 0) Fail("open folder " + folder, errno);
  return Fd(fd);
}

bool IsHiddenName(const std::string& name) { return !name.empty() && name.front() == '.'; }

int RenameNoReplace(int from_dir, const std::string& from, int to_dir, const std::string& to) {
  return Step(FileStep::RenameNoReplace, [&] {
    return static_cast<int>(
        ::syscall(SYS_renameat2, from_dir, from.c_str(), to_dir, to.c_str(), RENAME_NOREPLACE));
  });
}

bool NoReplaceUnsupported(int err) {
  return err == EINVAL || err == ENOSYS || err == ENOTSUP || err == EOPNOTSUPP;
}

// Gives `to` the entry `from` without replacing anything, where renameat2
// cannot: a hard link and an unlink. Where the file system has no hard links
// either (a FUSE share), a file first claims `to` as a new empty file
// (O_EXCL, so an entry that is there already, or that another writer creates
// at the same time, makes it fail) and is then renamed over that claim; a
// folder is renamed after checking that `to` is free. What remains is a
// narrow race: another writer that replaces or truncates the claim between
// the two steps is replaced in turn, and a process killed between them
// leaves the empty claim. Returns 0 or the error.
int MoveWithoutRenameat2(int from_dir, const std::string& from, int to_dir, const std::string& to,
                         bool is_folder) {
  if (!is_folder) {
    if (Step(FileStep::Link,
             [&] { return ::linkat(from_dir, from.c_str(), to_dir, to.c_str(), 0); }) == 0) {
      if (Step(FileStep::Unlink, [&] { return ::unlinkat(from_dir, from.c_str(), 0); }) != 0) {
        const int err = errno;
        ::unlinkat(to_dir, to.c_str(), 0);  // back to the one name it had
        return err;
      }
      return 0;
    }
    if (errno != EPERM && errno != ENOTSUP && errno != EOPNOTSUPP && errno != EMLINK) return errno;
    const int claim = Step(FileStep::Claim, [&] {
      return ::openat(to_dir, to.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_NOFOLLOW | O_CLOEXEC,
                      0600);
    });
    if (claim < 0) return errno;
    ::close(claim);
    if (Step(FileStep::Rename,
             [&] { return ::renameat(from_dir, from.c_str(), to_dir, to.c_str()); }) != 0) {
      const int err = errno;
      ::unlinkat(to_dir, to.c_str(), 0);  // the claim, still empty
      return err;
    }
    return 0;
  }
  struct stat st {};
  if (::fstatat(to_dir, to.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) return EEXIST;
  if (Step(FileStep::Rename,
           [&] { return ::renameat(from_dir, from.c_str(), to_dir, to.c_str()); }) != 0) {
    return errno;
  }
  return 0;
}

std::string TempName() {
  unsigned char bytes[6] = {};
  if (::getrandom(bytes, sizeof bytes, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof bytes)) {
    const auto seed =
        static_cast<std::uint64_t>(::getpid()) ^ reinterpret_cast<std::uintptr_t>(&bytes);
    for (std::size_t i = 0; i < sizeof bytes; ++i)
      bytes[i] = static_cast<unsigned char>(seed >> (i * 8));
  }
  static const char kHex[] = "0123456789abcdef";
  std::string name = ".tarnivo-";
  for (const unsigned char b : bytes) {
    name.push_back(kHex[b >> 4]);
    name.push_back(kHex[b & 15]);
  }
  return name + ".tmp";
}

// Keeps the copy's dirty pages to about two chunks and reports the bytes
// the device holds.
class Writeback {
 public:
  Writeback(int fd, std::uint64_t total, const Progress& progress)
      : fd_(fd), total_(total), progress_(progress) {}

  // Bytes [0, end) of the copy have been written. False when the user has
  // stopped the copy.
  bool Written(std::uint64_t end) {
    if (end - started_ >= kChunk) Flush(end);
    return !progress_ || progress_(on_device_, std::max(total_, end));
  }

 private:
  void Flush(std::uint64_t end) {
    ::sync_file_range(fd_, static_cast<off_t>(started_), static_cast<off_t>(end - started_),
                      SYNC_FILE_RANGE_WRITE);
    if (started_ > on_device_) {
      ::sync_file_range(
          fd_, static_cast<off_t>(on_device_), static_cast<off_t>(started_ - on_device_),
          SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER);
      ::posix_fadvise(fd_, static_cast<off_t>(on_device_),
                      static_cast<off_t>(started_ - on_device_), POSIX_FADV_DONTNEED);
      on_device_ = started_;
    }
    started_ = end;
  }

  int fd_;
  std::uint64_t total_;
  const Progress& progress_;
  std::uint64_t started_ = 0;
  std::uint64_t on_device_ = 0;
};

bool RangeUnsupported(int err) {
  return err == EXDEV || err == EINVAL || err == ENOSYS || err == EOPNOTSUPP || err == ENOTSUP ||
         err == EBADF || err == EPERM;
}

// Copies spans of a file to the same offsets of another, fastest way first:
// copy_file_range copies inside the kernel, read/write is the last resort,
// taken only while nothing has been copied.
class SpanCopy {
 public:
  static constexpr std::uint64_t kToEnd = UINT64_MAX;

  SpanCopy(int in, int out, std::uint64_t total, const Progress& progress)
      : in_(in), out_(out), writeback_(out, total, progress) {}

  // Copies bytes [pos, to) (kToEnd: up to the end of the file; a file that
  // ends sooner ends the span, and ended() tells). False when the user
  // stopped the copy.
  bool Span(std::uint64_t pos, std::uint64_t to) {
    while (pos < to) {
      const std::uint64_t left = to - pos;
      ssize_t n = 0;
      if (use_range_) {
        auto in_off = static_cast<loff_t>(pos);
        auto out_off = static_cast<loff_t>(pos);
        n = Step(FileStep::CopyRange, [&] {
          return ::copy_file_range(in_, &in_off, out_, &out_off, std::min(left, kChunk), 0);
        });
        // Some file systems report an empty file instead of refusing: read
        // it to be sure while nothing has been copied.
        if (n <= 0 && copied_ == 0 && (n == 0 || RangeUnsupported(errno))) {
          use_range_ = false;
          continue;
        }
        if (n < 0) Fail("copy", errno);
      } else {
        if (!buffer_) buffer_.reset(new char[kBufferSize]);
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(left, kBufferSize));
        n = Step(FileStep::Read,
                 [&] { return ::pread(in_, buffer_.get(), want, static_cast<off_t>(pos)); });
        if (n < 0) Fail("read", errno);
        for (ssize_t put = 0; put < n;) {
          const ssize_t w = Step(FileStep::Write, [&] {
            return ::pwrite(out_, buffer_.get() + put, static_cast<std::size_t>(n - put),
                            static_cast<off_t>(pos) + put);
          });
          if (w < 0) Fail("write", errno);
          put += w;
        }
      }
      if (n == 0) {
        ended_ = true;
        return true;
      }
      pos += static_cast<std::uint64_t>(n);
      copied_ += static_cast<std::uint64_t>(n);
      end_ = pos;
      if (!writeback_.Written(pos)) return false;
    }
    return true;
  }

  // Where the last byte written ends.
  std::uint64_t end() const { return end_; }
  bool ended() const { return ended_; }

 private:
  int in_;
  int out_;
  Writeback writeback_;
  bool use_range_ = true;
  std::uint64_t copied_ = 0;
  std::uint64_t end_ = 0;
  bool ended_ = false;
  std::unique_ptr<char[]> buffer_;
};

// The data copy: a clone shares the blocks; otherwise only the data that
// SEEK_DATA finds is copied, so holes stay holes (where the source cannot
// tell its holes, every byte is copied). False when the user stopped the
// copy between two steps.
bool CopyData(int in, int out, std::uint64_t total, const Progress& progress) {
  if (Step(FileStep::Clone, [&] { return ::ioctl(out, FICLONE, in); }) == 0) {
    return !progress || progress(total, total);
  }
  SpanCopy copy(in, out, total, progress);
  // A file that says it is empty may still have data (/proc): read it.
  if (total == 0) return copy.Span(0, SpanCopy::kToEnd);
  std::uint64_t pos = 0;
  for (;;) {
    const off_t data = ::lseek(in, static_cast<off_t>(pos), SEEK_DATA);
    if (data < 0 && errno == ENXIO) break;  // nothing but holes up to the end
    const off_t hole = data < 0 ? -1 : ::lseek(in, data, SEEK_HOLE);
    if (hole < 0) return copy.Span(pos, SpanCopy::kToEnd);
    if (!copy.Span(static_cast<std::uint64_t>(data), static_cast<std::uint64_t>(hole))) {
      return false;
    }
    if (copy.ended()) return true;  // shorter than it said
    pos = static_cast<std::uint64_t>(hole);
  }
  // A hole at the end has nothing to write: the size makes it.
  struct stat st {};
  if (::fstat(in, &st) != 0) Fail("stat", errno);
  if (static_cast<std::uint64_t>(st.st_size) > copy.end() &&
      Step(FileStep::Write, [&] { return ::ftruncate(out, st.st_size); }) != 0) {
    Fail("truncate", errno);
  }
  return true;
}

// What a copy keeps besides its data. A copy: permission bits, modification
// time, user.* attributes and the ACL. A move, on top: the set-id bits, the
// access time, every extended attribute, owner and group.
enum class Keep { kCopy, kMove };

constexpr const char* kAccessAcl = "system.posix_acl_access";

// Never copied: a file system's own view of its ACLs and internals (XFS
// shows its ACL as trusted.SGI_ACL_FILE too), and what only the kernel writes.
bool Internal(std::string_view name) {
  return name.starts_with("trusted.SGI_") || name.starts_with("xfsroot.") ||
         name.starts_with("afs.") || name == "security.evm";
}

bool Kept(Keep keep, std::string_view name) {
  if (keep == Keep::kMove) return !Internal(name);
  return name.starts_with("user.") || name == kAccessAcl || name == "system.posix_acl_default";
}

// The names of `fd`'s extended attributes; none where it has none or the
// file system keeps none.
std::vector<std::string> AttributeNames(int fd) {
  for (int attempt = 0; attempt < 4; ++attempt) {
    const ssize_t size = ::flistxattr(fd, nullptr, 0);
    if (size <= 0) return {};
    std::string list(static_cast<std::size_t>(size), '\0');
    const ssize_t got = ::flistxattr(fd, list.data(), list.size());
    if (got < 0 && errno == ERANGE) continue;  // one was added meanwhile
    if (got < 0) return {};
    std::vector<std::string> names;
    for (std::size_t at = 0; at < static_cast<std::size_t>(got);) {
      const std::size_t end = list.find('\0', at);
      names.push_back(list.substr(at, end - at));
      at = end + 1;
    }
    return names;
  }
  return {};
}

std::optional<std::string> AttributeValue(int fd, const std::string& name) {
  for (int attempt = 0; attempt < 4; ++attempt) {
    const ssize_t size = ::fgetxattr(fd, name.c_str(), nullptr, 0);
    if (size < 0) return std::nullopt;
    std::string value(static_cast<std::size_t>(size), '\0');
    const ssize_t got = ::fgetxattr(fd, name.c_str(), value.data(), value.size());
    if (got < 0 && errno == ERANGE) continue;
    if (got < 0) return std::nullopt;
    value.resize(static_cast<std::size_t>(got));
    return value;
  }
  return std::nullopt;
}

// Gives the copy `out` the metadata of `in` (`st`) that `keep` names, each
// item on its own: what the file system or the process's rights refuse
// (vfat keeps no owner, a share no attributes, ext4 no attribute over a
// block's size) is left out and costs neither the copy nor the other items.
// Runs after the data (a write clears set-id bits and capabilities).
void CopyMetadata(int in, int out, const struct stat& st, Keep keep) {
  if (keep == Keep::kMove) {
    struct stat now {};
    if (::fstat(out, &now) == 0 && (now.st_uid != st.st_uid || now.st_gid != st.st_gid) &&
        Step(FileStep::Metadata, [&] { return ::fchown(out, st.st_uid, st.st_gid); }) != 0) {
      Step(FileStep::Metadata, [&] { return ::fchown(out, static_cast<uid_t>(-1), st.st_gid); });
    }
  }
  // After the owner: chown clears security.capability.
  bool has_acl = false;
  for (const std::string& name : AttributeNames(in)) {
    if (!Kept(keep, name)) continue;
    has_acl = has_acl || name == kAccessAcl;
    if (const auto value = AttributeValue(in, name)) {
      Step(FileStep::Metadata,
           [&] { return ::fsetxattr(out, name.c_str(), value->data(), value->size(), 0); });
    }
  }
  // An ACL inherited from the destination folder's default is not the
  // source's: the permissions are the source's alone.
  if (!has_acl) ::fremovexattr(out, kAccessAcl);
  // After the owner (chown clears set-id bits) and the ACL (the mode's group
  // bits are the ACL's mask).
  const mode_t mode = st.st_mode & (keep == Keep::kMove ? 07777 : 0777);
  Step(FileStep::Metadata, [&] { return ::fchmod(out, mode); });
  const timespec times[2] = {keep == Keep::kMove ? st.st_atim : timespec{0, UTIME_OMIT},
                             st.st_mtim};
  Step(FileStep::Metadata, [&] { return ::futimens(out, times); });
}

// The new file in the destination folder: unnamed (O_TMPFILE) while the data
// is copied where the file system allows it, so that even a killed process
// leaves nothing behind; a hidden temporary name otherwise.
class TempFile {
 public:
  TempFile(int dir, const std::string& folder) : dir_(dir), folder_(folder) {
    static const bool proc_fd = ::access("/proc/self/fd", X_OK) == 0;
    if (proc_fd) {
      fd_ = Fd(Step(FileStep::Create,
                    [&] { return ::openat(dir_, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600); }));
      if (fd_.get() >= 0) return;
      if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL && errno != ENOTSUP) {
        Fail("create in " + folder_, errno);
      }
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
      std::string name = TempName();
      const int fd = Step(FileStep::Create, [&] {
        return ::openat(dir_, name.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC | O_NOFOLLOW,
                        0600);
      });
      if (fd >= 0) {
        fd_ = Fd(fd);
        name_ = std::move(name);
        return;
      }
      if (errno != EEXIST) Fail("create in " + folder_, errno);
    }
    Fail("create in " + folder_, EEXIST);
  }

  ~TempFile() {
    if (!name_.empty()) ::unlinkat(dir_, name_.c_str(), 0);
  }

  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  int fd() const { return fd_.get(); }

  // Gives an unnamed file its temporary name and closes it.
  void NameAndClose() {
    if (name_.empty()) {
      const std::string proc = "/proc/self/fd/" + std::to_string(fd_.get());
      for (int attempt = 0; attempt < 100 && name_.empty(); ++attempt) {
        std::string name = TempName();
        if (Step(FileStep::Link, [&] {
              return ::linkat(AT_FDCWD, proc.c_str(), dir_, name.c_str(), AT_SYMLINK_FOLLOW);
            }) == 0) {
          name_ = std::move(name);
        } else if (errno != EEXIST) {
          Fail("link in " + folder_, errno);
        }
      }
      if (name_.empty()) Fail("link in " + folder_, EEXIST);
    }
    if (fd_.Close() != 0) Fail("close", errno);
  }

  // Publishes the file as `name`; from then on it is no longer temporary.
  void Publish(const std::string& name, bool replace) {
    if (replace) {
      if (Step(FileStep::Rename,
               [&] { return ::renameat(dir_, name_.c_str(), dir_, name.c_str()); }) != 0) {
        Fail("rename to " + name, errno);
      }
    } else if (RenameNoReplace(dir_, name_, dir_, name) != 0) {
      if (!NoReplaceUnsupported(errno)) Fail("rename to " + name, errno);
      if (const int err = MoveWithoutRenameat2(dir_, name_, dir_, name, false)) {
        Fail("rename to " + name, err);
      }
    }
    name_.clear();
  }

  // Swaps the file with the entry `name` in one step (renameat2's
  // RENAME_EXCHANGE): the file is published, and the old entry stands under
  // the temporary name, removed with this unless swapped back by a second
  // call. Returns 0 or the error (EINVAL where the file system cannot swap).
  int Swap(const std::string& name) {
    return Step(FileStep::RenameNoReplace,
                [&] {
                  return static_cast<int>(::syscall(SYS_renameat2, dir_, name_.c_str(), dir_,
                                                    name.c_str(), RENAME_EXCHANGE));
                }) == 0
               ? 0
               : errno;
  }

 private:
  int dir_;
  std::string folder_;
  Fd fd_;
  std::string name_;
};

// What stands at `name` in `dir`: nothing (false), or an entry that a copy
// may replace; throws for anything else.
bool CheckDestination(int dir, const Place& dest, const struct stat& source, bool replace) {
  struct stat st {};
  if (::fstatat(dir, dest.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
    if (errno == ENOENT) return false;
    Fail("stat " + dest.Path(), errno);
  }
  if (!replace) Fail(dest.Path(), EEXIST);
  if (::fstatat(dir, dest.name.c_str(), &st, 0) != 0) {
    Fail(dest.Path() + " is a broken link", errno == ENOENT ? EPERM : errno);
  }
  if (S_ISDIR(st.st_mode)) Fail(dest.Path(), EISDIR);
  if (!S_ISREG(st.st_mode)) Fail(dest.Path() + " is a system entry", EPERM);
  if (IsHiddenName(dest.name)) Fail(dest.Path() + " is hidden", EPERM);
  if ((st.st_mode & S_IWUSR) == 0) Fail(dest.Path() + " is read-only", EACCES);
  if (st.st_dev == source.st_dev && st.st_ino == source.st_ino) {
    Fail(dest.Path() + " is the source itself", EINVAL);
  }
  return true;
}

}  // namespace

const char* StepName(FileStep step) {
  switch (step) {
    case FileStep::Open:
      return "open";
    case FileStep::Create:
      return "create";
    case FileStep::Clone:
      return "clone";
    case FileStep::CopyRange:
      return "copy_file_range";
    case FileStep::Read:
      return "read";
    case FileStep::Write:
      return "write";
    case FileStep::Sync:
      return "fsync";
    case FileStep::Close:
      return "close";
    case FileStep::Link:
      return "link";
    case FileStep::Rename:
      return "rename";
    case FileStep::Unlink:
      return "unlink";
    case FileStep::SyncFolder:
      return "fsync folder";
    case FileStep::RenameNoReplace:
      return "renameat2";
    case FileStep::Metadata:
      return "metadata";
    case FileStep::Claim:
      return "claim";
  }
  return "?";
}

void SetFaultHook(FaultHook hook) { Hook() = std::move(hook); }

int InjectedFault(FileStep step) { return Hook() ? Hook()(step) : 0; }

namespace {

// The last step of a move, run once the copy stands at its destination and
// is on the device: removes the source. Throws PlatformError.
using Commit = std::function<void()>;

// CopyRegularFile, keeping `keep`; with a `commit`, that step is run before
// the copy is final, and a failing one takes the copy back (see RenameEntry).
CopyOutcome CopyInto(const Place& source, const Place& dest, bool replace, Keep keep,
                     const Progress& progress, const Commit& commit) {
  // Looked at before it is opened: opening a FIFO would block, and opening a
  // device may have effects of its own.
  struct stat before {};
  if (::stat(source.Path().c_str(), &before) != 0) Fail("stat " + source.Path(), errno);
  if (!S_ISREG(before.st_mode)) Fail(source.Path() + " is not a regular file", EINVAL);
  Fd in(Step(FileStep::Open, [&] {
    return ::open(source.Path().c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  }));
  if (in.get() < 0) Fail("open " + source.Path(), errno);
  struct stat st {};
  if (::fstat(in.get(), &st) != 0) Fail("stat " + source.Path(), errno);
  if (!S_ISREG(st.st_mode) || st.st_ino != before.st_ino || st.st_dev != before.st_dev) {
    Fail(source.Path() + " changed while it was opened", EAGAIN);
  }
  ::posix_fadvise(in.get(), 0, 0, POSIX_FADV_SEQUENTIAL);

  Fd dir = OpenFolder(dest.folder);
  const bool existed = CheckDestination(dir.get(), dest, st, replace);

  TempFile temp(dir.get(), dest.folder);
  const auto total = static_cast<std::uint64_t>(st.st_size);
  // A stop leaves the temporary file to its destructor: the destination
  // has not been touched.
  if (!CopyData(in.get(), temp.fd(), total, progress)) return CopyOutcome::Stopped;
  CopyMetadata(in.get(), temp.fd(), st, keep);
  // fsync, not fdatasync: the metadata is part of the copy.
  if (Step(FileStep::Sync, [&] { return ::fsync(temp.fd()); }) != 0) Fail("fsync", errno);
  // The last moment a stop can take effect: from the rename on, the copy is
  // the destination.
  if (progress && !progress(total, total)) return CopyOutcome::Stopped;
  temp.NameAndClose();
  auto sync_folder = [&] {
    if (Step(FileStep::SyncFolder, [&] { return ::fsync(dir.get()); }) != 0) {
      Fail("fsync " + dest.folder, errno);
    }
  };

  if (existed && commit) {
    // A move over an old file: swapped with it, so that the old file stays
    // (under the temporary name) until the source is gone, and comes back
    // if the source cannot be removed.
    const int err = temp.Swap(dest.name);
    if (err == 0) {
      try {
        sync_folder();
        commit();
      } catch (const PlatformError&) {
        if (temp.Swap(dest.name) == 0) ::fsync(dir.get());
        throw;  // the temporary name, holding the copy (or else the old file), goes
      }
      return CopyOutcome::Done;  // the old file goes with the temporary name
    }
    if (!NoReplaceUnsupported(err)) Fail("rename to " + dest.Path(), err);
    // No swapping here: the copy replaces the old file, and a source that
    // cannot be removed then stays beside its complete copy (as mv leaves
    // it), which is reported.
    temp.Publish(dest.name, true);
    sync_folder();
    commit();
    return CopyOutcome::Done;
  }

  temp.Publish(dest.name, existed);
  try {
    sync_folder();
    if (commit) commit();
  } catch (const PlatformError&) {
    // A new entry that may not survive, or whose source stays, is taken
    // back; a replaced file stays, since the old one is gone.
    if (!existed) {
      ::unlinkat(dir.get(), dest.name.c_str(), 0);
      ::fsync(dir.get());
    }
    throw;
  }
  return CopyOutcome::Done;
}

// Why the regular file `st` could not be removed from the folder `dir`, told
// before a move copies it: 0, or EACCES (no write access to the folder),
// EROFS, EPERM (sticky folder, immutable or append-only file or folder).
int UnlinkRefusal(int dir, const std::string& name, const struct stat& st) {
  if (::faccessat(dir, ".", W_OK | X_OK, AT_EACCESS) != 0 &&
      (errno == EACCES || errno == EPERM || errno == EROFS)) {
    return errno;
  }
  struct stat folder {};
  const uid_t me = ::geteuid();
  if (::fstat(dir, &folder) == 0 && (folder.st_mode & S_ISVTX) != 0 && me != 0 && me != st.st_uid &&
      me != folder.st_uid) {
    return EPERM;
  }
  const Fd file(::openat(dir, name.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC));
  for (const int fd : {dir, file.get()}) {
    int flags = 0;
    if (fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 &&
        (flags & (FS_IMMUTABLE_FL | FS_APPEND_FL)) != 0) {
      return EPERM;
    }
  }
  return 0;
}

}  // namespace

CopyOutcome CopyRegularFile(const Place& source, const Place& dest, bool replace,
                            const Progress& progress) {
  return CopyInto(source, dest, replace, Keep::kCopy, progress, nullptr);
}

void DeleteRegularFile(const Place& file) {
  Fd dir = OpenFolder(file.folder);
  struct stat st {};
  if (::fstatat(dir.get(), file.name.c_str(), &st, 0) != 0) {
    struct stat link {};
    if (errno == ENOENT &&
        ::fstatat(dir.get(), file.name.c_str(), &link, AT_SYMLINK_NOFOLLOW) == 0) {
      Fail(file.Path() + " is a broken link", EPERM);
    }
    Fail("stat " + file.Path(), errno);
  }
  if (S_ISDIR(st.st_mode)) Fail(file.Path(), EISDIR);
  if (!S_ISREG(st.st_mode)) Fail(file.Path() + " is a system entry", EPERM);
  if ((st.st_mode & S_IWUSR) == 0) Fail(file.Path() + " is read-only", EACCES);
  if (Step(FileStep::Unlink, [&] { return ::unlinkat(dir.get(), file.name.c_str(), 0); }) != 0) {
    Fail("unlink " + file.Path(), errno);
  }
}

CopyOutcome RenameEntry(const Place& source, const Place& dest, bool case_only,
                        const Progress& progress, bool replace) {
  Fd from = OpenFolder(source.folder);
  Fd to = OpenFolder(dest.folder);
  struct stat st {};
  if (::fstatat(from.get(), source.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
    Fail("stat " + source.Path(), errno);
  }
  // A FIFO, a socket or a device is not a file the user can have meant to
  // move (and a device moved out of /dev is gone for the whole system).
  if (!S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode) && !S_ISLNK(st.st_mode)) {
    Fail(source.Path() + " is a system entry", EPERM);
  }
  // An entry that may be replaced is looked at before anything moves; a
  // link that leads to it counts as the entry itself.
  bool existed = false;
  if (replace && !case_only) {
    struct stat target = st;
    if (S_ISLNK(st.st_mode)) ::fstatat(from.get(), source.name.c_str(), &target, 0);
    existed = CheckDestination(to.get(), dest, target, true);
    if (existed && S_ISDIR(st.st_mode)) Fail(dest.Path(), EEXIST);
  }
  int err = 0;
  if (existed) {
    if (Step(FileStep::Rename, [&] {
          return ::renameat(from.get(), source.name.c_str(), to.get(), dest.name.c_str());
        }) == 0) {
      return CopyOutcome::Done;
    }
    err = errno;
  } else {
    if (RenameNoReplace(from.get(), source.name, to.get(), dest.name) == 0) {
      return CopyOutcome::Done;
    }
    err = errno;
    if (case_only && (err == EEXIST || NoReplaceUnsupported(err))) {
      // A file system that ignores letter case finds the source at the new
      // spelling; the rename is only allowed when it is the source itself.
      struct stat there {};
      const bool free_or_self =
          ::fstatat(to.get(), dest.name.c_str(), &there, AT_SYMLINK_NOFOLLOW) != 0
              ? errno == ENOENT
              : there.st_dev == st.st_dev && there.st_ino == st.st_ino;
      if (!free_or_self) Fail("rename to " + dest.Path(), EEXIST);
      if (Step(FileStep::Rename, [&] {
            return ::renameat(from.get(), source.name.c_str(), to.get(), dest.name.c_str());
          }) != 0) {
        Fail("rename to " + dest.Path(), errno);
      }
      return CopyOutcome::Done;
    }
    if (NoReplaceUnsupported(err)) {
      err = MoveWithoutRenameat2(from.get(), source.name, to.get(), dest.name, S_ISDIR(st.st_mode));
      if (err == 0) return CopyOutcome::Done;
    }
  }
  if (err != EXDEV) Fail("rename to " + dest.Path(), err);

  // Another file system under the same letter: a regular file is copied and
  // the source removed only once the copy is on the device. A source that
  // plainly cannot be removed is refused before anything is copied.
  if (!S_ISREG(st.st_mode)) Fail("move " + source.Path() + " across file systems", EXDEV);
  if (const int refusal = UnlinkRefusal(from.get(), source.name, st)) {
    Fail("unlink " + source.Path(), refusal);
  }
  return CopyInto(source, dest, existed, Keep::kMove, progress, [&] {
    if (Step(FileStep::Unlink, [&] { return ::unlinkat(from.get(), source.name.c_str(), 0); }) !=
        0) {
      Fail("unlink " + source.Path(), errno);
    }
  });
}

}  // namespace tarnivo::posix
