// A thread kept for one owner, which hands it one job at a time and waits for
// each to end: a search that works in turns beside its owner's keeps its
// thread, and the thread's caches, from one turn to the next.
#pragma once

#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

namespace cw {

class TurnThread {
 public:
  TurnThread();
  // Waits for a job still running to end.
  ~TurnThread();
  TurnThread(const TurnThread&) = delete;
  TurnThread& operator=(const TurnThread&) = delete;

  // Starts `job` on the thread; the job before must have been waited for.
  void Start(std::function<void()> job);
  // Waits for the job started last to end, and throws what it threw.
  void Wait();

 private:
  void Serve();

  std::mutex mutex_;
  std::condition_variable changed_;
  std::function<void()> job_;
  bool running_ = false;
  bool closing_ = false;
  std::exception_ptr thrown_;
  std::thread thread_;  // last: it starts once the rest is ready
};

}  // namespace cw
