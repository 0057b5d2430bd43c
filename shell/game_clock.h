// The game clock: whole seconds played in the current game, counted from a
// seconds clock at the main window's ticks. Time while the clock is paused
// is never counted, and the first tick after a pause only takes the time.
#pragma once
#include <cstdint>
#include <functional>

namespace cw {

// Seconds since 1970-01-01 UTC.
std::int64_t SystemSeconds();

class GameClock {
 public:
  using SecondsSource = std::function<std::int64_t()>;

  explicit GameClock(SecondsSource now = SystemSeconds) : now_(std::move(now)) {}

  void SetSource(SecondsSource now) { now_ = std::move(now); }
  std::int64_t Now() const { return now_(); }

  // One tick: true when it counted at least one more second.
  bool Tick();
  // Counts the time since the last counted tick at once (a win between two
  // ticks); nothing while a resync is pending, as that time was paused.
  void CatchUp();

  // A new game: nothing counted yet, running, the next tick only takes the time.
  void Restart();
  void SetElapsed(std::uint32_t seconds) { elapsed_ = seconds; }
  std::uint32_t Elapsed() const { return elapsed_; }

  bool paused = true;
  bool resync = true;

 private:
  void Count(std::int64_t now);

  SecondsSource now_;
  std::int64_t lastTick_ = 0;
  std::uint32_t elapsed_ = 0;
};

}  // namespace cw
