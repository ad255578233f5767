// What the end-to-end tests and the start-up benchmark need of the X server
// beyond xdotool:
//
//   xhelper close WINDOW         asks a window to close, as a window manager's
//                                close button does (WM_DELETE_WINDOW)
//   xhelper clipboard            prints the clipboard's text
//   xhelper clear-clipboard      empties the clipboard
//   xhelper time-to-map CMD...   starts CMD and prints the milliseconds until
//                                its first top-level window is mapped, and
//                                the processor time it had used by then
//                                (all its threads), then ends it and prints
//                                its peak resident memory (MiB)
//   xhelper time-keys KEY...     presses the keys (X keysym names) through
//                                XTest and prints the milliseconds from the
//                                first press until a window (a menu too) is
//                                mapped
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <dirent.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

int Fail(const char* message) {
  std::fprintf(stderr, "xhelper: %s\n", message);
  return 2;
}

Display* Open() {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) std::fprintf(stderr, "xhelper: cannot open display\n");
  return display;
}

int Close(const char* window_text) {
  Display* display = Open();
  if (display == nullptr) return 2;
  const Window window = std::strtoul(window_text, nullptr, 0);
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, window, False, NoEventMask, &event);
  XSync(display, False);
  XCloseDisplay(display);
  return 0;
}

// Waits up to `seconds` for an event of `type` on `window`.
bool WaitFor(Display* display, Window window, int type, XEvent& event, double seconds) {
  const auto deadline = Clock::now() + std::chrono::duration<double>(seconds);
  while (Clock::now() < deadline) {
    while (XPending(display) > 0) {
      XNextEvent(display, &event);
      if (event.type == type && event.xany.window == window) return true;
    }
    usleep(2000);
  }
  return false;
}

int Clipboard() {
  Display* display = Open();
  if (display == nullptr) return 2;
  const Window window =
      XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
  const Atom clipboard = XInternAtom(display, "CLIPBOARD", False);
  const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
  const Atom property = XInternAtom(display, "XHELPER_CLIP", False);
  XConvertSelection(display, clipboard, utf8, property, window, CurrentTime);
  XFlush(display);
  XEvent event{};
  if (!WaitFor(display, window, SelectionNotify, event, 5.0)) return Fail("no clipboard owner");
  if (event.xselection.property == None) return Fail("clipboard holds no text");
  Atom type = None;
  int format = 0;
  unsigned long items = 0, left = 0;
  unsigned char* data = nullptr;
  XGetWindowProperty(display, window, property, 0, 1 << 20, True, AnyPropertyType, &type, &format,
                     &items, &left, &data);
  if (data != nullptr) {
    std::fwrite(data, 1, items, stdout);
    XFree(data);
  }
  XCloseDisplay(display);
  return 0;
}

// The processor time that process `pid` has used so far, in milliseconds,
// from the scheduler's per-thread figures (nanoseconds, unlike the clock
// ticks of /proc/PID/stat).
double CpuMilliseconds(pid_t pid) {
  const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
  double total_ns = 0;
  if (DIR* dir = opendir(tasks.c_str())) {
    while (dirent* entry = readdir(dir)) {
      if (entry->d_name[0] == '.') continue;
      std::ifstream stat(tasks + "/" + entry->d_name + "/schedstat");
      double ns = 0;
      if (stat >> ns) total_ns += ns;
    }
    closedir(dir);
  }
  return total_ns / 1e6;
}

int ClearClipboard() {
  Display* display = Open();
  if (display == nullptr) return 2;
  const Window window =
      XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
  // Owning the selection and leaving leaves it without an owner.
  XSetSelectionOwner(display, XInternAtom(display, "CLIPBOARD", False), window, CurrentTime);
  XSync(display, False);
  XCloseDisplay(display);
  return 0;
}

int TimeToMap(char** command) {
  Display* display = Open();
  if (display == nullptr) return 2;
  const Window root = DefaultRootWindow(display);
  XSelectInput(display, root, SubstructureNotifyMask);
  XSync(display, False);

  const auto start = Clock::now();
  const pid_t child = fork();
  if (child == 0) {
    execvp(command[0], command);
    _exit(127);
  }
  if (child < 0) return Fail("cannot start the program");

  double milliseconds = -1;
  double cpu = 0;
  while (milliseconds < 0 && Clock::now() - start < std::chrono::seconds(30)) {
    while (XPending(display) > 0) {
      XEvent event{};
      XNextEvent(display, &event);
      if (event.type == MapNotify && !event.xmap.override_redirect) {
        milliseconds = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        cpu = CpuMilliseconds(child);
        break;
      }
    }
    int status = 0;
    if (milliseconds < 0 && waitpid(child, &status, WNOHANG) == child) {
      XCloseDisplay(display);
      return Fail("the program ended before its window appeared");
    }
    usleep(200);
  }
  kill(child, SIGTERM);
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  XCloseDisplay(display);
  if (milliseconds < 0) return Fail("no window appeared within 30 s");
  std::printf("%.1f %.1f %.1f\n", milliseconds, cpu, static_cast<double>(usage.ru_maxrss) / 1024);
  return 0;
}

int TimeKeys(char** keys) {
  Display* display = Open();
  if (display == nullptr) return 2;
  XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
  XSync(display, False);
  const auto start = Clock::now();
  for (; *keys != nullptr; ++keys) {
    const KeyCode code = XKeysymToKeycode(display, XStringToKeysym(*keys));
    if (code == 0) return Fail("no such key");
    XTestFakeKeyEvent(display, code, True, CurrentTime);
    XTestFakeKeyEvent(display, code, False, CurrentTime);
  }
  XFlush(display);
  XEvent event{};
  while (Clock::now() - start < std::chrono::seconds(30)) {
    if (WaitFor(display, DefaultRootWindow(display), MapNotify, event, 1.0)) {
      std::printf("%.1f\n",
                  std::chrono::duration<double, std::milli>(Clock::now() - start).count());
      XCloseDisplay(display);
      return 0;
    }
  }
  XCloseDisplay(display);
  return Fail("no window appeared within 30 s");
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "close" && argc == 3) return Close(argv[2]);
  if (command == "clipboard" && argc == 2) return Clipboard();
  if (command == "clear-clipboard" && argc == 2) return ClearClipboard();
  if (command == "time-to-map" && argc > 2) return TimeToMap(argv + 2);
  if (command == "time-keys" && argc > 2) return TimeKeys(argv + 2);
  std::fprintf(stderr,
               "usage: xhelper close WINDOW | clipboard | clear-clipboard | time-to-map COMMAND "
               "[ARG...] | time-keys KEY...\n");
  return 2;
}
