#include "engine/solver/turn_thread.h"

#include <utility>

namespace cw {

TurnThread::TurnThread() : thread_([this] { Serve(); }) {}

TurnThread::~TurnThread() {
  {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !running_; });
    closing_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

void TurnThread::Start(std::function<void()> job) {
  {
    const std::lock_guard lock(mutex_);
    job_ = std::move(job);
    running_ = true;
    thrown_ = nullptr;
  }
  changed_.notify_all();
}

void TurnThread::Wait() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return !running_; });
  if (thrown_) std::rethrow_exception(std::exchange(thrown_, nullptr));
}

void TurnThread::Serve() {
  std::unique_lock lock(mutex_);
  while (true) {
    changed_.wait(lock, [this] { return running_ || closing_; });
    if (closing_) return;
    std::function<void()> job = std::move(job_);
    lock.unlock();
    std::exception_ptr thrown;
    try {
      job();
    } catch (...) {
      thrown = std::current_exception();
    }
    lock.lock();
    thrown_ = thrown;
    running_ = false;
    changed_.notify_all();
  }
}

}  // namespace cw
