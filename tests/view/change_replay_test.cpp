// The changes the engine reports, kept and applied as the view applies them:
// after any move, undo or redo, a copy of the start table that took every
// reported change equals the engine's table.
#include <gtest/gtest.h>

#include <random>

#include "engine/rules/automatic_events.h"
#include "engine/rules/redo.h"
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

void ApplyAll(std::vector<PileView>& piles, const ChangeList& changes) {
  for (const ViewChange& change : changes) EXPECT_TRUE(ApplyChange(piles, change));
}

TEST(ApplyChange, MoveWithinOnePileCountsThePlaceWithoutTheRun) {
  std::vector<PileView> piles = Numbered({5});
  // The top two cards go under the (new) top card.
  ASSERT_TRUE(ApplyChange(piles, CardsMoved{0, 3, 2, 0, 2}));
  EXPECT_EQ(Cards(piles[0]), (std::vector<std::uint16_t>{0, 1, 3, 4, 2}));
}

TEST(ApplyChange, RefusesWhatDoesNotFitTheCopy) {
  std::vector<PileView> piles = Numbered({3, 1});
  const std::vector<PileView> before = piles;
  EXPECT_FALSE(ApplyChange(piles, CardsMoved{0, 2, 2, 1, 1}));  // one card from 2
  EXPECT_FALSE(ApplyChange(piles, CardsMoved{0, 0, 1, 1, 2}));  // pile 1 holds 1
  EXPECT_FALSE(ApplyChange(piles, CardsMoved{0, 0, 1, 5, 0}));  // no pile 5
  EXPECT_FALSE(ApplyChange(piles, CardsMoved{0, 0, 0, 1, 0}));  // no card
  EXPECT_FALSE(ApplyChange(piles, CardsFlagged{0, 2, 2, CardAttribute::kFaceUp, 0}));
  EXPECT_FALSE(ApplyChange(piles, PileOrder{0, {2, 1}}));     // a card short
  EXPECT_FALSE(ApplyChange(piles, PileOrder{0, {2, 1, 3}}));  // card 3 lies elsewhere
  EXPECT_FALSE(ApplyChange(piles, PileOrder{0, {2, 2, 1}}));
  EXPECT_FALSE(ApplyChange(piles, PileAttributeSet{7, PileAttribute::kShown, 1}));
  EXPECT_TRUE(SameTable(piles, before));
  ASSERT_TRUE(ApplyChange(piles, PileOrder{0, {2, 0, 1}}));
  EXPECT_EQ(Cards(piles[0]), (std::vector<std::uint16_t>{2, 0, 1}));
}

TEST(ApplyChange, PileValueShowsAsThePileKindShowsIt) {
  std::vector<PileView> piles(2);
  piles[0].kind = PileKind::kBase;
  piles[0].dealtSuit = 2;
  piles[1].kind = PileKind::kArrow;
  ASSERT_TRUE(ApplyChange(piles, PileAttributeSet{0, PileAttribute::kValue, 0x0401}));  // ace of hearts
  EXPECT_EQ(piles[0].mark[0], 0);
  EXPECT_EQ(piles[0].mark[1], 3);
  // A value without a suit keeps the dealt one.
  ASSERT_TRUE(ApplyChange(piles, PileAttributeSet{0, PileAttribute::kValue, 5}));
  EXPECT_EQ(piles[0].mark[0], 4);
  EXPECT_EQ(piles[0].mark[1], 1);
  ASSERT_TRUE(ApplyChange(piles, PileAttributeSet{1, PileAttribute::kValue, 1}));
  EXPECT_EQ(piles[1].mark[0], 1);
}

TEST(ChangeRecorder, KeepsWhatTheTableShowsAndHearsTheRest) {
  std::vector<PileView> piles(3);
  piles[1].kind = PileKind::kBase;
  ChangeRecorder recorder(piles);
  recorder.TableChanged(RoutesChanged{});
  recorder.TableChanged(CardsFlagged{0, 0, 1, CardAttribute::kMovable, 0});
  recorder.TableChanged(PileAttributeSet{2, PileAttribute::kValue, 3});  // a plain pile shows no value
  recorder.TableChanged(PileAttributeSet{2, PileAttribute::kEnabled, 0});
  EXPECT_TRUE(recorder.Heard());
  EXPECT_TRUE(recorder.Changes().empty());

  const std::vector<std::uint16_t> order = {4, 3};
  recorder.TableChanged(PileReordered{1, order});
  recorder.TableChanged(PileAttributeSet{1, PileAttribute::kValue, 0x0401});
  ASSERT_EQ(recorder.Changes().size(), 2u);
  EXPECT_EQ(recorder.Changes()[0], ViewChange(PileOrder{1, {4, 3}}));
  EXPECT_EQ(recorder.Changes()[1], ViewChange(PileAttributeSet{1, PileAttribute::kValue, 0x0401}));
}

// Random play of every game with undo and redo: each step's reported
// changes, applied to the copy, give the engine's table.
class EveryGameFacts : public ::testing::TestWithParam<std::string> {};

TEST_P(EveryGameFacts, ReportedChangesRebuildTheTableAfterEveryMoveUndoAndRedo) {
  const ScreenFacts screen = BuildScreen();
  std::mt19937 rng(17);
  for (std::uint32_t number : {3u, 11u}) {
    auto game = DealForScreen(GetParam(), number, screen);
    ASSERT_TRUE(game);
    MoveHistory history;
    std::vector<PileView> copy = MirrorTable(*game);
    for (int step = 0; step < 80; ++step) {
      ChangeRecorder recorder(copy);
      const unsigned roll = rng() % 8;
      const char* what = "move";
      if (roll == 0 && history.CanRedo(*game)) {
        what = "redo";
        ASSERT_TRUE(history.Redo(*game, &recorder));
      } else if (roll <= 1 && game->journal->Count() > 0) {
        what = "undo";
        ASSERT_TRUE(history.Undo(*game, &recorder));
      } else {
        const std::vector<MoveReference> moves = ListMoves(*game);
        if (moves.empty()) break;
        ASSERT_TRUE(history.Make(*game, moves[rng() % moves.size()], &recorder));
      }
      ApplyAll(copy, recorder.Changes());
      ASSERT_TRUE(SameTable(copy, MirrorTable(*game)))
          << "deal " << number << " step " << step << " " << what;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Database, EveryGameFacts, ::testing::ValuesIn(DatabaseGames()),
                         [](const ::testing::TestParamInfo<std::string>& game) { return TestName(game.param); });

}  // namespace
}  // namespace cw
