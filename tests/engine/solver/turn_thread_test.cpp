#include "engine/solver/turn_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

namespace cw {
namespace {

TEST(TurnThreadTest, RunsEachJobOnTheSameThreadOfItsOwn) {
  TurnThread turns;
  std::vector<std::thread::id> ranOn;
  for (int job = 0; job < 3; ++job) {
    turns.Start([&] { ranOn.push_back(std::this_thread::get_id()); });
    turns.Wait();
  }
  ASSERT_EQ(ranOn.size(), 3u);
  EXPECT_NE(ranOn[0], std::this_thread::get_id());
  EXPECT_EQ(ranOn[1], ranOn[0]);
  EXPECT_EQ(ranOn[2], ranOn[0]);
}

TEST(TurnThreadTest, WaitThrowsWhatTheJobThrewAndTheThreadGoesOn) {
  TurnThread turns;
  turns.Start([] { throw std::runtime_error("lost"); });
  EXPECT_THROW(turns.Wait(), std::runtime_error);
  bool ran = false;
  turns.Start([&] { ran = true; });
  EXPECT_NO_THROW(turns.Wait());
  EXPECT_TRUE(ran);
}

TEST(TurnThreadTest, EndingWaitsForTheJobRunning) {
  std::atomic<bool> started{false};
  bool finished = false;
  {
    TurnThread turns;
    turns.Start([&] {
      started = true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      finished = true;
    });
    while (!started) std::this_thread::yield();
  }
  EXPECT_TRUE(finished);
}

}  // namespace
}  // namespace cw
