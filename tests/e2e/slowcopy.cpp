// Preloaded into the program by the end-to-end tests: copies crawl along like
// a slow stick (at most 1 MiB per copy_file_range call, 20 ms each) and a
// file system never clones, so a long copy can be caught while it runs.
#include <dlfcn.h>
#include <errno.h>
#include <linux/fs.h>
#include <stdarg.h>
#include <sys/types.h>
#include <time.h>
#include <unistd.h>

extern "C" {

ssize_t copy_file_range(int in, loff_t* in_off, int out, loff_t* out_off, size_t len,
                        unsigned flags) {
  using Real = ssize_t (*)(int, loff_t*, int, loff_t*, size_t, unsigned);
  static const auto real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "copy_file_range"));
  const timespec pause{0, 20 * 1000 * 1000};
  nanosleep(&pause, nullptr);
  return real(in, in_off, out, out_off, len < (1u << 20) ? len : (1u << 20), flags);
}

int ioctl(int fd, unsigned long request, ...) {
  using Real = int (*)(int, unsigned long, void*);
  static const auto real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "ioctl"));
  va_list args;
  va_start(args, request);
  void* arg = va_arg(args, void*);
  va_end(args);
  if (request == FICLONE) {
    errno = EOPNOTSUPP;
    return -1;
  }
  return real(fd, request, arg);
}

}  // extern "C"
