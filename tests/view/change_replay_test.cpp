// The conversion of the engine's actions into changes and their replay on
// the view's copy: after any move the copy equals the engine's table.
#include <gtest/gtest.h>

#include <random>

#include "engine/rules/actions.h"
#include "engine/rules/automatic_events.h"
#include "engine/rules/player_move.h"
#include "tests/view/view_test_support.h"
#include "view/change_list.h"

namespace cw {
namespace {

using testing::BuildScreen;
using testing::DatabaseGames;
using testing::DealForScreen;
using testing::TestName;

std::vector<PileView> Numbered(std::initializer_list<int> counts) {
  std::vector<PileView> piles;
  std::uint16_t card = 0;
  for (int count : counts) {
    PileView pile;
    for (int i = 0; i < count; ++i) pile.cards.push_back(CardSlot{card++, 0, 0, 1});
    piles.push_back(pile);
  }
  return piles;
}

std::vector<std::uint16_t> Cards(const PileView& pile) {
  std::vector<std::uint16_t> cards;
  for (const CardSlot& slot : pile.cards) cards.push_back(slot.card);
  return cards;
}

// Replays without a window: the same steps the view takes, on a bare copy.
void Replay(std::vector<PileView>& piles, const ChangeList& changes) {
  for (const ViewChange& change : changes) {
    if (change.pile >= piles.size()) continue;
    switch (change.kind) {
      case ChangeKind::kMoveCards: {
        const SlotRange range = ChangeRange(change.mode, change.a, change.b, piles[change.pile].Count());
        if (change.target >= piles.size() || range.count == 0) break;
        const int targetCount =
            piles[change.target].Count() - (change.target == change.pile ? range.count : 0);
        MoveSlots(piles, change.pile, range.first, range.count, change.target,
                  ChangeTargetIndex(change, range.first, targetCount));
        break;
      }
      case ChangeKind::kFaceRange: SetFaceRange(piles, change); break;
      case ChangeKind::kPileShown: piles[change.pile].shown = change.parameter != 0; break;
      case ChangeKind::kReversePile: ReverseSlots(piles, change.pile); break;
      case ChangeKind::kPileMarks:
        piles[change.pile].mark[0] = change.FirstMark();
        piles[change.pile].mark[1] = change.SecondMark();
        break;
      case ChangeKind::kShufflePile: ShuffleSlots(piles, change.pile, change.parameter); break;
    }
  }
}

TEST(ChangeRange, EveryModeTakesWhatTheEngineTakes) {
  // Mode 0: a at the bottom and b at the top stay.
  EXPECT_EQ(ChangeRange(0, 1, 2, 6).first, 1);
  EXPECT_EQ(ChangeRange(0, 1, 2, 6).count, 3);
  // Mode 1: b cards under the top a; asking for more than lies below the top
  // a takes only what is there.
  EXPECT_EQ(ChangeRange(1, 1, 2, 6).first, 3);
  EXPECT_EQ(ChangeRange(1, 1, 2, 6).count, 2);
  EXPECT_EQ(ChangeRange(1, 1, 5, 3).first, 0);
  EXPECT_EQ(ChangeRange(1, 1, 5, 3).count, 2);
  // Mode 2: b cards from a, cut to the pile.
  EXPECT_EQ(ChangeRange(2, 4, 5, 6).count, 2);
  EXPECT_EQ(ChangeRange(2, 6, 1, 6).count, 0);
  EXPECT_EQ(ChangeRange(3, 0, 1, 6).count, 0);
}

TEST(ChangeReplay, MoveWithinOnePileCountsTheTargetWithoutTheMovedCards) {
  std::vector<PileView> piles = Numbered({5});
  ViewChange change;
  change.mode = 1;
  change.a = 0;
  change.b = 2;  // the top two cards ...
  change.target = 0;
  change.targetMode = 1;
  change.c = 1;  // ... go under the (new) top card
  Replay(piles, {change});
  EXPECT_EQ(Cards(piles[0]), (std::vector<std::uint16_t>{0, 1, 3, 4, 2}));
}

TEST(ChangeReplay, ShuffleIsTheEnginesPermutation) {
  for (std::uint16_t seed : std::initializer_list<std::uint16_t>{0, 1, 7, 40000}) {
    std::vector<std::uint16_t> order = {0, 1, 2, 3, 4, 5, 6};
    std::vector<PileView> piles = Numbered({7});
    ShuffleSlots(piles, 0, seed);
    const std::size_t n = order.size();
    for (std::size_t i = 0; i < n; ++i) std::swap(order[i], order[((i + 1) * seed) % n]);
    EXPECT_EQ(Cards(piles[0]), order) << seed;
  }
  std::vector<PileView> piles = Numbered({4});
  ShuffleSlots(piles, 0, 0);
  EXPECT_EQ(Cards(piles[0]), (std::vector<std::uint16_t>{3, 0, 1, 2}));
}

TEST(ChangeRecorder, ConvertsWhatTheTableShowsAndSkipsTheRest) {
  std::vector<PileView> piles(3);
  piles[1].kind = PileKind::kBase;
  piles[2].kind = PileKind::kArrow;
  ChangeRecorder recorder(piles);
  ActionDef action;
  action.type = static_cast<std::uint8_t>(ActionType::kAllowRoute);
  recorder.ActionPerformed(action);
  action.type = static_cast<std::uint8_t>(ActionType::kCardAttribute);
  action.attribute = static_cast<std::uint8_t>(CardAttribute::kMovable);
  recorder.ActionPerformed(action);
  EXPECT_TRUE(recorder.Empty());

  action.type = static_cast<std::uint8_t>(ActionType::kPileAttribute);
  action.attribute = static_cast<std::uint8_t>(PileAttribute::kValue);
  action.pile = 1;
  action.value = 0x0401;  // ace of hearts
  recorder.ActionPerformed(action);
  action.pile = 2;
  action.value = 1;
  recorder.ActionPerformed(action);
  ASSERT_EQ(recorder.Changes().size(), 2u);
  EXPECT_EQ(recorder.Changes()[0].FirstMark(), 0);
  EXPECT_EQ(recorder.Changes()[0].SecondMark(), 3);
  EXPECT_EQ(recorder.Changes()[1].FirstMark(), 1);
}

TEST(MoveSlots, RefusesWhatDoesNotFit) {
  std::vector<PileView> piles = Numbered({3, 1});
  EXPECT_FALSE(MoveSlots(piles, 0, 2, 2, 1, 1));   // only one card from 2
  EXPECT_FALSE(MoveSlots(piles, 0, 0, 1, 1, 3));   // target holds 1
  EXPECT_FALSE(MoveSlots(piles, 0, 0, 1, 5, 0));   // no pile 5
  EXPECT_EQ(Cards(piles[0]), (std::vector<std::uint16_t>{0, 1, 2}));
  EXPECT_TRUE(MoveSlots(piles, 0, 1, 2, 1, 0));
  EXPECT_EQ(Cards(piles[1]), (std::vector<std::uint16_t>{1, 2, 3}));
}

// Random play of every game: each move's recorded changes, replayed on the
// copy taken before it, give the copy taken after it.
class EveryGameReplay : public ::testing::TestWithParam<std::string> {};

TEST_P(EveryGameReplay, ReplayedCopyEqualsTheTableAfterEveryMove) {
  const ScreenFacts screen = BuildScreen();
  std::mt19937 rng(17);
  for (std::uint32_t number : {3u, 11u}) {
    auto game = DealForScreen(GetParam(), number, screen);
    ASSERT_TRUE(game);
    std::vector<PileView> copy = MirrorTable(*game);
    for (int step = 0; step < 60; ++step) {
      const std::vector<MoveReference> moves = ListMoves(*game);
      if (moves.empty()) break;
      const MoveReference move = moves[rng() % moves.size()];
      ChangeRecorder recorder(copy);
      if (!move.IsTap()) {
        // The player's own run moves in the copy as the view moves it.
        const CardState& card = game->cards[move.source];
        const int n = copy[card.pile].Count() - card.position;
        ASSERT_TRUE(MoveSlots(copy, card.pile, card.position, n, move.destination,
                              copy[move.destination].Count()));
      }
      ASSERT_TRUE(PerformPlayerMove(*game, move, &recorder));
      Replay(copy, recorder.Changes());
      ASSERT_TRUE(SameTable(copy, MirrorTable(*game))) << "deal " << number << " step " << step;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Database, EveryGameReplay, ::testing::ValuesIn(DatabaseGames()),
                         [](const ::testing::TestParamInfo<std::string>& game) { return TestName(game.param); });

}  // namespace
}  // namespace cw
