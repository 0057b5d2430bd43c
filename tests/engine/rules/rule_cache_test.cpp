// Remembered rule answers must always be the answers the program gives now.
#include "engine/rules/rule_cache.h"

#include <gtest/gtest.h>

#include <vector>

#include "engine/rules/rule_evaluator.h"
#include "tests/engine/rules/hand_built_game.h"

namespace cw {
namespace {

const CardList kOneCard = {{1, 5}, {0, 0}};
const CardList kNoCard = {{0, 0}};

TEST(RuleCacheTest, AnswersFollowTheListsAndTheProgram) {
  const std::vector<std::uint8_t> holds = testing::kListAHoldsProgram;
  const std::vector<std::uint8_t> empty = testing::kListAEmptyProgram;
  for (int round = 0; round < 2; ++round) {
    EXPECT_TRUE(EvaluateRuleRemembered(holds, kOneCard, nullptr));
    EXPECT_FALSE(EvaluateRuleRemembered(holds, kNoCard, nullptr));
    EXPECT_FALSE(EvaluateRuleRemembered(empty, kOneCard, nullptr));
    EXPECT_TRUE(EvaluateRuleRemembered(empty, kNoCard, nullptr));
  }
  // List B counts even for a program that never reads it.
  const std::vector<std::uint8_t> bEmpty = testing::kListBEmptyProgram;
  EXPECT_TRUE(EvaluateRuleRemembered(bEmpty, kOneCard, &kNoCard));
  EXPECT_FALSE(EvaluateRuleRemembered(bEmpty, kOneCard, &kOneCard));
}

TEST(RuleCacheTest, AProgramRewrittenInPlaceIsNotTakenForTheOldOne) {
  std::vector<std::uint8_t> program = testing::kPassProgram;
  EXPECT_TRUE(EvaluateRuleRemembered(program, kOneCard, nullptr));
  const std::uint8_t* address = program.data();
  program = testing::kFailProgram;  // same length: the buffer is reused
  ASSERT_EQ(program.data(), address);
  EXPECT_FALSE(EvaluateRuleRemembered(program, kOneCard, nullptr));
  EXPECT_EQ(EvaluateRuleRemembered(program, kOneCard, nullptr),
            EvaluateRule(program, kOneCard, nullptr));
}

}  // namespace
}  // namespace cw
