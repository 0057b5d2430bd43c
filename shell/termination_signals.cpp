#include "shell/termination_signals.h"

#include <QSocketNotifier>
#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace cw {
namespace {

constexpr std::array kSignals = {SIGTERM, SIGINT, SIGHUP};

// One pipe per process: signal handlers are process-wide.
int gPipe[2] = {-1, -1};
struct sigaction gPrevious[kSignals.size()];

void OnSignal(int signal) {
  const int saved = errno;
  const unsigned char number = static_cast<unsigned char>(signal);
  // Async-signal-safe; a full pipe drops the byte, and the signals already
  // waiting in it end the program all the same.
  [[maybe_unused]] const ssize_t written = write(gPipe[1], &number, 1);
  errno = saved;
}

bool MakePipe() {
  if (pipe2(gPipe, O_CLOEXEC | O_NONBLOCK) == 0) return true;
  gPipe[0] = gPipe[1] = -1;
  return false;
}

}  // namespace

TerminationSignals::TerminationSignals(std::function<void(int)> onSignal)
    : onSignal_(std::move(onSignal)) {
  if (gPipe[0] >= 0 || !MakePipe()) return;
  notifier_ = new QSocketNotifier(gPipe[0], QSocketNotifier::Read, this);
  QObject::connect(notifier_, &QSocketNotifier::activated, this, [this] { Drain(); });
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (std::size_t i = 0; i < kSignals.size(); ++i) sigaction(kSignals[i], &action, &gPrevious[i]);
}

TerminationSignals::~TerminationSignals() {
  if (notifier_ == nullptr) return;
  for (std::size_t i = 0; i < kSignals.size(); ++i) sigaction(kSignals[i], &gPrevious[i], nullptr);
  delete notifier_;
  notifier_ = nullptr;
  close(gPipe[0]);
  close(gPipe[1]);
  gPipe[0] = gPipe[1] = -1;
}

void TerminationSignals::Drain() {
  unsigned char number = 0;
  while (read(gPipe[0], &number, 1) == 1) {
    if (onSignal_) onSignal_(number);
  }
}

}  // namespace cw
