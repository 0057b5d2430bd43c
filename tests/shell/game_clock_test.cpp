#include "shell/game_clock.h"

#include <gtest/gtest.h>

namespace cw {
namespace {

TEST(GameClockTest, CountsWholeSecondsAndNeverThePausedTime) {
  std::int64_t now = 5000;
  GameClock clock([&] { return now; });
  EXPECT_FALSE(clock.Tick()) << "paused until a game starts";
  clock.Restart();
  EXPECT_FALSE(clock.Tick()) << "the first tick only takes the time";
  now += 3;
  EXPECT_TRUE(clock.Tick());
  EXPECT_FALSE(clock.Tick()) << "within the same second";
  EXPECT_EQ(clock.Elapsed(), 3u);

  clock.paused = true;
  clock.resync = true;
  now += 100;
  EXPECT_FALSE(clock.Tick());
  clock.paused = false;
  EXPECT_FALSE(clock.Tick());
  now += 2;
  clock.Tick();
  EXPECT_EQ(clock.Elapsed(), 5u);
}

TEST(GameClockTest, AClockSetBackCountsNothing) {
  std::int64_t now = 5000;
  GameClock clock([&] { return now; });
  clock.Restart();
  clock.Tick();
  now -= 3600;
  EXPECT_FALSE(clock.Tick());
  EXPECT_EQ(clock.Elapsed(), 0u);
  now += 1;
  clock.Tick();
  EXPECT_EQ(clock.Elapsed(), 1u);
}

TEST(GameClockTest, CatchUpCountsUpToNowUnlessAPauseIsPending) {
  std::int64_t now = 100;
  GameClock clock([&] { return now; });
  clock.Restart();
  clock.Tick();
  now += 7;
  clock.CatchUp();
  EXPECT_EQ(clock.Elapsed(), 7u);
  clock.resync = true;
  now += 50;
  clock.CatchUp();
  EXPECT_EQ(clock.Elapsed(), 7u);
}

}  // namespace
}  // namespace cw
