#include "shell/game_clock.h"

#include <algorithm>
#include <chrono>
#include <limits>

namespace cw {

std::int64_t SystemSeconds() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

void GameClock::Count(std::int64_t now) {
  // A clock set back counts nothing rather than a wrapped-around span.
  if (now > lastTick_) {
    const std::int64_t room = std::numeric_limits<std::uint32_t>::max() - elapsed_;
    elapsed_ += static_cast<std::uint32_t>(std::min(now - lastTick_, room));
  }
  lastTick_ = now;
}

bool GameClock::Tick() {
  if (paused) return false;
  const std::int64_t now = now_();
  if (resync) {
    resync = false;
    lastTick_ = now;
    return false;
  }
  const std::uint32_t before = elapsed_;
  if (now != lastTick_) Count(now);
  return elapsed_ != before;
}

void GameClock::CatchUp() {
  if (paused || resync) return;
  Count(now_());
}

void GameClock::Restart() {
  elapsed_ = 0;
  paused = false;
  resync = true;
}

}  // namespace cw
