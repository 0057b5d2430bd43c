// SIGTERM, SIGINT and SIGHUP turned into an ordinary event: the handler only
// writes the signal's number to a pipe, and the event loop, woken by the
// pipe, runs the program's answer, where any work is allowed.
#pragma once
#include <QObject>
#include <functional>

class QSocketNotifier;

namespace cw {

class TerminationSignals : public QObject {
 public:
  // `onSignal` runs on the event loop once per signal received.
  explicit TerminationSignals(std::function<void(int signal)> onSignal);
  // Puts the signals' earlier handling back.
  ~TerminationSignals() override;
  TerminationSignals(const TerminationSignals&) = delete;
  TerminationSignals& operator=(const TerminationSignals&) = delete;

  // False when the pipe or the handlers could not be set up.
  bool Installed() const { return notifier_ != nullptr; }

 private:
  void Drain();

  std::function<void(int)> onSignal_;
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace cw
