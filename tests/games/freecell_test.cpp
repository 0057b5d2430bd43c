#include <gtest/gtest.h>

#include "engine/rules/automatic_events.h"
#include "engine/rules/legality.h"
#include "engine/rules/moves.h"
#include "tests/games/game_test_support.h"
#include "tests/games/home_moves_checks.h"

namespace cw::testing {
namespace {

using namespace home_moves;

constexpr char kGame[] = "FreeCell";
constexpr RuleFacts kRules{true, true};

// Deals a game, lays out the position and lets the automatic events bring
// the columns' pick-up limits in line with the cells.
SolGame Settled(const Layout& layout) {
  SolGame game = Arranged(kGame, layout);
  RunAutomaticEvents(game, nullptr);
  return game;
}

TEST(FreeCell, DealsSevenAndSixFaceUpWithEveryCardOnce) {
  const SolGame first = Dealt(kGame, 1);
  // The deal every 52-card game shares for number 1, split 7, 7, 7, 7, 6...
  EXPECT_EQ(PileCards(first, 0), (std::vector<std::uint16_t>{CardNumber(2, 12), CardNumber(4, 11), CardNumber(1, 13),
                                                             CardNumber(4, 5), CardNumber(4, 4), CardNumber(2, 4),
                                                             CardNumber(4, 6)}));
  EXPECT_EQ(PileCards(first, 1).front(), CardNumber(1, 1));
  for (std::uint32_t step = 0; step <= 200; ++step) {
    const std::uint32_t number = 4294967295u - step * 21474836u;  // from the top of the range down
    const SolGame game = Dealt(kGame, number);
    ASSERT_TRUE(TableIsConsistent(game));
    for (std::uint16_t pile = 0; pile < game.piles.size(); ++pile) {
      const int expected = pile < 4 ? 7 : pile < kColumns ? 6 : 0;
      EXPECT_EQ(game.piles[pile].count, expected) << "pile " << pile << " of deal " << number;
    }
    for (const CardState& card : game.cards) EXPECT_EQ(card.faceUp, 1);
  }
}

TEST(FreeCell, NothingMovesRightAfterTheDealEvenAFreeAce) {
  int freeAces = 0;
  for (std::uint32_t number = 1; number <= 300; ++number) {
    const SolGame game = Dealt(kGame, number);
    for (std::uint16_t f = kFirstFoundation; f < kFirstFoundation + 4; ++f) EXPECT_EQ(game.piles[f].count, 0);
    for (std::uint16_t column = 0; column < kColumns; ++column) {
      freeAces += RankOf(*game.TopCard(column)) == 1;
    }
  }
  EXPECT_GT(freeAces, 0) << "no deal with a free Ace to watch";
}

TEST(FreeCell, RunLimitFollowsTheEmptyCellsAndIgnoresEmptyColumns) {
  // Column 0: 10D then the run 9S 8H 7C 6D 5S 4H; columns 1-6 empty.
  const std::vector<std::uint16_t> run{CardNumber(3, 10), CardNumber(1, 9), CardNumber(4, 8), CardNumber(2, 7),
                                       CardNumber(3, 6),  CardNumber(1, 5), CardNumber(4, 4)};
  Layout layout;
  layout.piles = {{0, run}};
  SolGame game = Settled(layout);
  ASSERT_EQ(EmptyCells(game), 4);
  EXPECT_TRUE(CanPickUp(game, CardNumber(4, 8)));   // five cards
  EXPECT_FALSE(CanPickUp(game, CardNumber(1, 9)));  // six cards, six empty columns notwithstanding
  EXPECT_TRUE(CanDrop(game, CardNumber(4, 8), 3));  // a run onto an empty column

  // Two cells taken: three cards at most, also towards an empty column.
  layout.piles.push_back({kFirstCell, {CardNumber(2, 13)}});
  layout.piles.push_back({kFirstCell + 2, {CardNumber(1, 13)}});
  game = Settled(layout);
  ASSERT_EQ(EmptyCells(game), 2);
  EXPECT_TRUE(CanPickUp(game, CardNumber(3, 6)));
  EXPECT_FALSE(CanPickUp(game, CardNumber(2, 7)));
  EXPECT_FALSE(CanPickUp(game, CardNumber(4, 8)));
  ASSERT_TRUE(Play(game, {CardNumber(3, 6), 5}));
  EXPECT_EQ(PileCards(game, 5).size(), 3u);

  // All four taken: single cards only.
  layout.piles.push_back({kFirstCell + 1, {CardNumber(3, 13)}});
  layout.piles.push_back({kFirstCell + 3, {CardNumber(4, 13)}});
  game = Settled(layout);
  EXPECT_TRUE(CanPickUp(game, CardNumber(4, 4)));
  EXPECT_FALSE(CanPickUp(game, CardNumber(1, 5)));

  // A cell emptied by the player's move raises the limit at once.
  ASSERT_TRUE(Play(game, {CardNumber(2, 13), 1}));
  EXPECT_TRUE(CanPickUp(game, CardNumber(1, 5)));
  EXPECT_FALSE(CanPickUp(game, CardNumber(3, 6)));
}

TEST(FreeCell, BrokenRunsAreRefusedAndRunsLandOnTheirBaseCard) {
  Layout layout;
  layout.piles = {{0, {CardNumber(1, 6), CardNumber(2, 5)}},                      // same colour
                  {1, {CardNumber(4, 8), CardNumber(2, 6)}},                      // rank gap
                  {2, {CardNumber(4, 12), CardNumber(2, 11), CardNumber(3, 10)}},  // valid
                  {3, {CardNumber(3, 12)}},
                  {4, {CardNumber(1, 12)}}};
  SolGame game = Settled(layout);
  EXPECT_FALSE(CanPickUp(game, CardNumber(1, 6)));
  EXPECT_FALSE(CanPickUp(game, CardNumber(4, 8)));
  EXPECT_TRUE(CanPickUp(game, CardNumber(2, 11)));
  EXPECT_TRUE(CanDrop(game, CardNumber(2, 11), 3));   // JC 10D onto QD
  EXPECT_FALSE(CanDrop(game, CardNumber(2, 11), 4));  // not onto QS
  EXPECT_FALSE(CanDrop(game, CardNumber(3, 10), 3));  // 10D alone not onto QD
}

TEST(FreeCell, CellsAndFoundationsTakeOneCardAndFoundationsKeepIt) {
  Layout layout;
  layout.foundationRank = {4, 0, 0, 0};  // spades to the 4 on pile 12
  const std::uint16_t fiveOfSpades = CardNumber(1, 5);
  const std::uint16_t fourOfHearts = CardNumber(4, 4);
  layout.piles = {{1, {CardNumber(2, 9), fiveOfSpades, fourOfHearts}}, {kFirstCell, {CardNumber(2, 13)}}};
  SolGame game = Settled(layout);
  ASSERT_TRUE(CanPickUp(game, fiveOfSpades));
  EXPECT_FALSE(CanDrop(game, fiveOfSpades, kFirstFoundation));  // its base fits, but two cards
  EXPECT_FALSE(CanDrop(game, fiveOfSpades, kFirstCell + 1));
  EXPECT_FALSE(CanDrop(game, fourOfHearts, kFirstCell));  // occupied
  EXPECT_TRUE(CanDrop(game, fourOfHearts, kFirstCell + 1));
  EXPECT_FALSE(CanPickUp(game, CardNumber(1, 4)));  // foundation cards stay home

  ASSERT_TRUE(Play(game, {fourOfHearts, kFirstCell + 1}));
  EXPECT_EQ(game.TopCard(1), fiveOfSpades);  // not safe while the red suits are not home
  EXPECT_TRUE(CanDrop(game, fiveOfSpades, kFirstFoundation));
  EXPECT_FALSE(CanDrop(game, fiveOfSpades, kFirstFoundation + 1));  // an empty foundation takes only an Ace
}

TEST(FreeCell, AFreedAceGoesToTheLeftmostEmptyFoundationWithTheMoveUndoneAsOne) {
  Layout layout;
  layout.foundationRank = {0, 3, 0, 0};  // clubs to the 3 on pile 13
  const std::uint16_t aceOfHearts = CardNumber(4, 1);
  const std::uint16_t aceOfDiamonds = CardNumber(3, 1);
  layout.piles = {{0, {CardNumber(1, 9), aceOfHearts, CardNumber(2, 10)}},
                  {kFirstCell + 2, {aceOfDiamonds}}};
  SolGame game = Arranged(kGame, layout);
  const PlaySnapshot before = Snapshot(game);
  ASSERT_TRUE(Play(game, {CardNumber(2, 10), kFirstCell}));
  // The Ace in the cell has waited for a move; both now go home from the
  // left, in pile order.
  EXPECT_EQ(PileCards(game, kFirstFoundation), std::vector<std::uint16_t>{aceOfHearts});
  EXPECT_EQ(PileCards(game, kFirstFoundation + 2), std::vector<std::uint16_t>{aceOfDiamonds});
  EXPECT_EQ(game.piles[kHoldingPile].count, 0);
  ASSERT_TRUE(UndoMove(game));
  EXPECT_EQ(Snapshot(game), before);
}

TEST(FreeCell, OtherCardsGoHomeOnlyWhenBothSuitsOfTheOtherColourHaveCaughtUp) {
  const std::uint16_t fiveOfSpades = CardNumber(1, 5);
  const std::uint16_t blocker = CardNumber(2, 12);
  for (int hearts : {3, 4}) {
    Layout layout;
    layout.foundationSuit = {3, 1, 4, 2};
    layout.foundationRank = {4, 4, hearts, 2};  // diamonds 4, spades 4, hearts 3 or 4, clubs 2
    layout.piles = {{0, {CardNumber(4, 13), fiveOfSpades, blocker}}};
    SolGame game = Arranged(kGame, layout);
    const PlaySnapshot before = Snapshot(game);
    ASSERT_TRUE(Play(game, {blocker, kFirstCell}));
    if (hearts == 3) {
      EXPECT_EQ(game.TopCard(0), fiveOfSpades) << "5S went home while a red 4 was still in play";
    } else {
      EXPECT_EQ(game.TopCard(kFirstFoundation + 1), fiveOfSpades);
      ASSERT_TRUE(UndoMove(game));
      EXPECT_EQ(Snapshot(game), before);
    }
  }
}

TEST(FreeCell, ACardGoingHomeCanMakeTheNextSafeInTheSameMove) {
  // Spades and clubs to 5, hearts to 4, diamonds to 4: 5H and 5D are safe;
  // once home, 6S and 6C (under them) become safe too, and so on.
  Layout layout;
  layout.foundationRank = {5, 5, 4, 4};
  layout.piles = {{0, {CardNumber(1, 6), CardNumber(4, 5)}},
                  {1, {CardNumber(2, 6), CardNumber(3, 5), CardNumber(1, 13)}}};
  SolGame game = Arranged(kGame, layout);
  ASSERT_TRUE(Play(game, {CardNumber(1, 13), kFirstCell}));
  EXPECT_EQ(game.piles[0].count, 0);
  EXPECT_EQ(game.piles[1].count, 0);
  EXPECT_EQ(HomeRank(game, 1), 6);
  EXPECT_EQ(HomeRank(game, 3), 5);
  EXPECT_TRUE(SettledAsTheRulesSay(game, kRules));
}

TEST(FreeCell, WonWhenTheLastCardGoesHomeByItself) {
  Layout layout;
  layout.foundationRank = {13, 13, 13, 12};
  layout.piles = {{0, {CardNumber(4, 13)}}};
  layout.parking = 7;
  SolGame game = Arranged(kGame, layout);
  ASSERT_EQ(game.piles[7].count, 0);
  EXPECT_FALSE(game.won);
  ASSERT_TRUE(Play(game, {CardNumber(4, 13), kFirstCell}));
  EXPECT_EQ(game.piles[kFirstFoundation + 3].count, 13);
  EXPECT_TRUE(game.won);
}

TEST(FreeCell, APositionWithoutALegalMoveIsLost) {
  // Every column and cell shows a black card, no Ace is free and no cell is
  // empty: nothing can be built, stored or sent home.
  Layout layout;
  layout.piles = {{kFirstCell, {CardNumber(1, 13)}},     {kFirstCell + 1, {CardNumber(2, 13)}},
                  {kFirstCell + 2, {CardNumber(1, 11)}}, {kFirstCell + 3, {CardNumber(2, 11)}}};
  const int tops[kColumns][2] = {{1, 9}, {2, 9}, {1, 7}, {2, 7}, {1, 5}, {2, 5}, {1, 3}, {2, 3}};
  for (std::uint16_t column = 0; column < kColumns; ++column) {
    layout.piles.push_back({column, {CardNumber(tops[column][0], tops[column][1])}});
  }
  SolGame game = Settled(layout);
  EXPECT_TRUE(LegalMoves(game).empty());
  EXPECT_FALSE(game.won);
}

TEST(FreeCell, RandomPlayFollowsTheRulesAndUndoesExactly) {
  std::mt19937 rng(2026);
  int moves = 0;
  for (std::uint32_t number = 1; number <= 8; ++number) {
    SolGame game = Dealt(kGame, number * 7919u);
    moves += PlayRandomlyAndCheck(game, 100, rng, kRules);
    EXPECT_TRUE(TableIsConsistent(game));
  }
  EXPECT_GT(moves, 200);
}

}  // namespace
}  // namespace cw::testing
