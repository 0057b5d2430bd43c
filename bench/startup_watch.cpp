// Starts one program on the X display and watches its start from outside,
// for bench/startup_beside_others.sh; works alike for any X program.
//
// usage: startup_watch [--picture FILE] PROGRAM [ARGUMENTS...]
// Prints one line:
//   MAPPED_MS PAINTED_MS RSS_KB PSS_KB CPU_MS PICTURE_CPU_MS PICTURE_FAULTS
// - MAPPED_MS: from launch until the program's first top-level window is mapped.
// - PAINTED_MS: from launch until the last drawing into its largest window
//   before 200 ms without any drawing, with that window not one plain colour
//   (so a dealing animation counts until its last card lands). The drawing is
//   seen through the X server's DAMAGE extension as it happens: no polling, and
//   the window's size costs the watch nothing.
// - PICTURE_CPU_MS and PICTURE_FAULTS: the processor time of all the program's
//   threads and its page faults, read the moment that last drawing is reported.
//   Unlike times on the clock, a busy machine barely changes them.
// - RSS_KB, PSS_KB, CPU_MS: resident and proportional set size and processor
//   time, 3 s after the picture settled.
// Then the picture is saved if asked, and the program is asked to close its
// window as a user would (WM_DELETE_WINDOW), so it ends in its own way and
// cleans up after itself; it is terminated only if it has not ended in 5 s.
// Exit status 1, with a message on the error output, if the program ends
// before its picture settles, shows no window in 30 s or settles in no 60 s.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xdamage.h>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr double kQuietMs = 200;
constexpr double kWindowDeadlineMs = 30000;
constexpr double kSettleDeadlineMs = 60000;
constexpr unsigned kMemoryDelaySeconds = 3;
constexpr double kCloseDeadlineMs = 5000;

// A window can vanish between its notice and the watch's request about it.
int IgnoreError(Display*, XErrorEvent*) { return 0; }

double NowMs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// Processor time of all threads of a child process, those already ended included.
double CpuMsOf(pid_t pid) {
  clockid_t clock{};
  timespec used{};
  if (clock_getcpuclockid(pid, &clock) != 0 || clock_gettime(clock, &used) != 0) return -1;
  return used.tv_sec * 1e3 + used.tv_nsec / 1e6;
}

// Minor and major page faults of all the process's threads.
long FaultsOf(pid_t pid) {
  std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
  std::string stat((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  const auto nameEnd = stat.rfind(')');
  if (nameEnd == std::string::npos) return -1;
  // After the name: state, ppid, pgrp, session, tty, tpgid, flags, minflt, cminflt, majflt.
  std::istringstream fields(stat.substr(nameEnd + 1));
  std::string skipped;
  long minor = 0, childMinor = 0, major = 0;
  for (int i = 0; i < 7; ++i) fields >> skipped;
  if (!(fields >> minor >> childMinor >> major)) return -1;
  return minor + major;
}

// The number after `key` in a /proc file of "Key:   value kB" lines.
long KbIn(const std::string& path, const std::string& key) {
  std::ifstream file(path);
  std::string line;
  while (std::getline(file, line)) {
    if (line.compare(0, key.size(), key) == 0) return std::stol(line.substr(key.size()));
  }
  return -1;
}

struct Watched {
  Window window;
  Damage damage;
  bool mapped = false;
};

class Watch {
 public:
  explicit Watch(Display* display) : display_(display), root_(DefaultRootWindow(display)) {
    pidAtom_ = XInternAtom(display, "_NET_WM_PID", False);
    protocolsAtom_ = XInternAtom(display, "WM_PROTOCOLS", False);
    deleteAtom_ = XInternAtom(display, "WM_DELETE_WINDOW", False);
  }

  bool Init() {
    int error = 0;
    if (!XDamageQueryExtension(display_, &damageEvent_, &error)) return false;
    XSelectInput(display_, root_, SubstructureNotifyMask);
    XSync(display_, False);
    return true;
  }

  // Launches the program with its output discarded; its error output is the watch's.
  bool Launch(char** argv) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addclose(&actions, ConnectionNumber(display_));
    start_ = NowMs();
    const int failed = posix_spawnp(&pid_, argv[0], &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) {
      std::fprintf(stderr, "startup_watch: cannot start %s: %s\n", argv[0], std::strerror(failed));
      return false;
    }
    return true;
  }

  // Waits until the picture settles; false, with a message, if it never does.
  bool AwaitPicture(const char* name) {
    const int fd = ConnectionNumber(display_);
    while (true) {
      while (XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
        Handle(event);
      }
      const double now = NowMs() - start_;
      if (Settled(now)) return true;
      if (Ended()) {
        std::fprintf(stderr, "startup_watch: %s exited before its picture settled\n", name);
        return false;
      }
      if (!mapped_ && now >= kWindowDeadlineMs) {
        std::fprintf(stderr, "startup_watch: %s showed no window within 30 s\n", name);
        return false;
      }
      if (now >= kSettleDeadlineMs) {
        std::fprintf(stderr, "startup_watch: %s never settled\n", name);
        return false;
      }
      pollfd wait{fd, POLLIN, 0};
      poll(&wait, 1, 5);
    }
  }

  void Report(const char* picture) {
    sleep(kMemoryDelaySeconds);
    const std::string proc = "/proc/" + std::to_string(pid_);
    const long rss = KbIn(proc + "/status", "VmRSS:");
    const long pss = KbIn(proc + "/smaps_rollup", "Pss:");
    const double cpu = CpuMsOf(pid_);
    if (picture != nullptr) SavePicture(picture);
    std::printf("%.0f %.0f %ld %ld %.1f %.1f %ld\n", mappedMs_, paintedMs_, rss, pss, cpu,
                pictureCpuMs_, pictureFaults_);
  }

  // Asks the program to close its windows, as a user would, and waits for it
  // to end; terminates it if it does not.
  void End() {
    if (Ended()) return;
    for (const Watched& watched : windows_) {
      if (watched.mapped && TakesDelete(watched.window)) AskToClose(watched.window);
    }
    XFlush(display_);
    if (AwaitEnd(kCloseDeadlineMs)) return;
    kill(pid_, SIGTERM);
    if (AwaitEnd(kCloseDeadlineMs)) return;
    kill(pid_, SIGKILL);
    AwaitEnd(kCloseDeadlineMs);
  }

 private:
  void Handle(const XEvent& event) {
    if (event.type == CreateNotify && event.xcreatewindow.parent == root_ &&
        !event.xcreatewindow.override_redirect) {
      // Watched from creation: a fast program may draw right after mapping.
      windows_.push_back({event.xcreatewindow.window,
                          XDamageCreate(display_, event.xcreatewindow.window,
                                        XDamageReportNonEmpty)});
    } else if (event.type == MapNotify) {
      Watched* watched = Find(event.xmap.window);
      if (watched == nullptr || !OwnedByProgram(event.xmap.window)) return;
      watched->mapped = true;
      if (!mapped_) mappedMs_ = NowMs() - start_;
      mapped_ = true;
    } else if (event.type == DestroyNotify) {
      for (auto it = windows_.begin(); it != windows_.end(); ++it) {
        if (it->window == event.xdestroywindow.window) {
          windows_.erase(it);
          break;
        }
      }
    } else if (event.type == damageEvent_ + XDamageNotify) {
      const auto& damage = reinterpret_cast<const XDamageNotifyEvent&>(event);
      XDamageSubtract(display_, damage.damage, None, None);
      const Watched* watched = Find(damage.drawable);
      if (watched == nullptr || !watched->mapped) return;
      // Read first: the program runs on meanwhile.
      pictureCpuMs_ = CpuMsOf(pid_);
      pictureFaults_ = FaultsOf(pid_);
      paintedMs_ = NowMs() - start_;
      ++drawings_;
    }
  }

  bool Settled(double now) {
    if (drawings_ == 0 || now - paintedMs_ < kQuietMs || checkedDrawings_ == drawings_) {
      return false;
    }
    checkedDrawings_ = drawings_;
    const std::optional<Window> main = Largest();
    return main && !Plain(*main);
  }

  std::optional<Window> Largest() {
    std::optional<Window> best;
    long bestArea = 0;
    for (const Watched& watched : windows_) {
      XWindowAttributes attributes;
      if (!watched.mapped || !XGetWindowAttributes(display_, watched.window, &attributes)) continue;
      const long area = static_cast<long>(attributes.width) * attributes.height;
      // Of two alike, the later made lies on top, as a dialog over its window.
      if (area >= bestArea) {
        best = watched.window;
        bestArea = area;
      }
    }
    if (best) main_ = *best;
    return best;
  }

  bool Plain(Window window) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display_, window, &attributes)) return true;
    XImage* image = XGetImage(display_, window, 0, 0, attributes.width, attributes.height,
                              AllPlanes, ZPixmap);
    if (image == nullptr) return true;
    const unsigned long first = XGetPixel(image, 0, 0);
    bool plain = true;
    for (int y = 0; plain && y < image->height; ++y) {
      for (int x = 0; plain && x < image->width; ++x) plain = XGetPixel(image, x, y) == first;
    }
    XDestroyImage(image);
    return plain;
  }

  Watched* Find(Window window) {
    for (Watched& watched : windows_) {
      if (watched.window == window) return &watched;
    }
    return nullptr;
  }

  bool OwnedByProgram(Window window) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const bool read = XGetWindowProperty(display_, window, pidAtom_, 0, 1, False, XA_CARDINAL,
                                         &type, &format, &count, &after, &data) == Success;
    bool owned = false;
    if (read && data != nullptr && format == 32 && count == 1) {
      owned = static_cast<pid_t>(*reinterpret_cast<unsigned long*>(data)) == pid_;
    }
    if (data != nullptr) XFree(data);
    return owned;
  }

  bool TakesDelete(Window window) {
    Atom* protocols = nullptr;
    int count = 0;
    if (!XGetWMProtocols(display_, window, &protocols, &count)) return false;
    bool takes = false;
    for (int i = 0; i < count; ++i) takes = takes || protocols[i] == deleteAtom_;
    XFree(protocols);
    return takes;
  }

  void AskToClose(Window window) {
    XEvent message{};
    message.xclient.type = ClientMessage;
    message.xclient.window = window;
    message.xclient.message_type = protocolsAtom_;
    message.xclient.format = 32;
    message.xclient.data.l[0] = static_cast<long>(deleteAtom_);
    message.xclient.data.l[1] = CurrentTime;
    XSendEvent(display_, window, False, NoEventMask, &message);
  }

  void SavePicture(const char* file) {
    const std::string id = std::to_string(main_);
    const char* argv[] = {"import", "-window", id.c_str(), file, nullptr};
    pid_t importer = 0;
    char** const arguments = const_cast<char**>(argv);
    if (posix_spawnp(&importer, "import", nullptr, nullptr, arguments, environ) == 0) {
      waitpid(importer, nullptr, 0);
    }
  }

  bool Ended() {
    if (ended_) return true;
    ended_ = waitpid(pid_, nullptr, WNOHANG) == pid_;
    return ended_;
  }

  bool AwaitEnd(double withinMs) {
    const double deadline = NowMs() + withinMs;
    while (!Ended()) {
      if (NowMs() >= deadline) return false;
      usleep(10000);
    }
    return true;
  }

  Display* display_;
  Window root_;
  Atom pidAtom_, protocolsAtom_, deleteAtom_;
  int damageEvent_ = 0;
  pid_t pid_ = 0;
  bool ended_ = false;
  double start_ = 0;
  std::vector<Watched> windows_;
  Window main_ = None;
  bool mapped_ = false;
  double mappedMs_ = 0, paintedMs_ = 0, pictureCpuMs_ = 0;
  long pictureFaults_ = 0;
  long drawings_ = 0, checkedDrawings_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  int first = 1;
  const char* picture = nullptr;
  if (argc > 2 && std::strcmp(argv[1], "--picture") == 0) {
    picture = argv[2];
    first = 3;
  }
  if (first >= argc) {
    std::fprintf(stderr, "usage: startup_watch [--picture FILE] PROGRAM [ARGUMENTS...]\n");
    return 2;
  }
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "startup_watch: cannot open the display\n");
    return 2;
  }
  XSetErrorHandler(IgnoreError);
  Watch watch(display);
  if (!watch.Init()) {
    std::fprintf(stderr, "startup_watch: the display has no DAMAGE extension\n");
    return 2;
  }
  if (!watch.Launch(argv + first)) return 1;
  const bool settled = watch.AwaitPicture(argv[first]);
  if (settled) watch.Report(picture);
  watch.End();
  std::fflush(stdout);
  return settled ? 0 : 1;
}
