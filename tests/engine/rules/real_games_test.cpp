// Moves, undo, the move search and hints on the games of the real database.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/database/catalogue.h"
#include "engine/database/embedded_resources.h"
#include "engine/rules/legality.h"
#include "engine/rules/moves.h"
#include "engine/rules/player_move.h"
#include "tests/games/game_test_support.h"

namespace cw {
namespace {

using testing::ArrangePile;
using testing::CardNumber;
using testing::DealGame;
using testing::LoadGame;
using testing::PileCards;

constexpr std::uint16_t kSevenByFiveFirstFoundation = 12;

bool TableauAndCellsEmpty(const SolGame& game) {
  for (std::uint16_t pile = 0; pile < kSevenByFiveFirstFoundation; ++pile) {
    if (game.piles[pile].count != 0) return false;
  }
  return true;
}

// A depth-first search for a win that backs out of every dead end with
// UndoMove: each undo must give back the state the move started from, and
// the won flag must be set exactly when the columns and cells are empty.
class SevenByFiveSearch {
 public:
  explicit SevenByFiveSearch(SolGame& game) : game_(game) {}

  bool Solve(int nodeBudget) {
    budget_ = nodeBudget;
    return Search();
  }

 private:
  bool Search() {
    if (game_.won != 0) return true;
    if (--budget_ < 0 || !seen_.insert(TableKey()).second) return false;
    std::vector<std::pair<int, MoveReference>> ranked;
    for (const MoveReference& move : ListMoves(game_)) {
      const int rank = Rank(move);
      if (rank >= 0) ranked.emplace_back(rank, move);
    }
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [rank, move] : ranked) {
      const auto before = testing::Snapshot(game_);
      if (!PerformPlayerMove(game_, move, nullptr)) {
        ADD_FAILURE() << "listed move refused";
        return false;
      }
      EXPECT_EQ(game_.won != 0, TableauAndCellsEmpty(game_));
      if (Search()) return true;
      EXPECT_TRUE(UndoMove(game_));
      EXPECT_EQ(testing::Snapshot(game_), before);
      if (budget_ < 0) return false;
    }
    return false;
  }

  // Home first, then building on a column, then into a cell, then into an
  // empty column; -1 for moves that cannot help (back from a foundation,
  // from cell to cell, a lone card to another empty column).
  int Rank(const MoveReference& move) const {
    const CardState& card = game_.cards[move.source];
    const bool fromColumn = card.pile < kFirstCell;
    const bool fromCell = card.pile >= kFirstCell && card.pile < kSevenByFiveFirstFoundation;
    if (!fromColumn && !fromCell) return -1;
    if (move.destination >= kSevenByFiveFirstFoundation) return 0;
    const bool toCell = move.destination >= kFirstCell;
    if (toCell) return fromCell ? -1 : 2;
    if (game_.piles[move.destination].count > 0) return 1;
    return fromColumn && card.position == 0 ? -1 : 3;
  }

  static constexpr std::uint16_t kFirstCell = 7;

  std::string TableKey() const {
    std::string key;
    for (const CardState& card : game_.cards) {
      key.push_back(static_cast<char>(card.pile));
      key.push_back(static_cast<char>(card.position));
    }
    return key;
  }

  SolGame& game_;
  std::set<std::string> seen_;
  int budget_ = 0;
};

TEST(SevenByFivePlay, WonExactlyWhenTheColumnsAndCellsAreEmpty) {
  int wins = 0;
  for (std::uint32_t number = 1; number <= 4; ++number) {
    auto game = DealGame("Seven by Five", number);
    ASSERT_TRUE(game);
    // The low ranks are home already; the other cards keep their dealt order.
    for (int suit = 1; suit <= 4; ++suit) {
      std::vector<std::uint16_t> home;
      for (int rank = 1; rank <= 7; ++rank) home.push_back(CardNumber(suit, rank));
      ArrangePile(*game, static_cast<std::uint16_t>(kSevenByFiveFirstFoundation + suit - 1), home);
    }
    if (SevenByFiveSearch(*game).Solve(3000)) {
      ++wins;
      EXPECT_TRUE(TableauAndCellsEmpty(*game));
      // Undo of the winning move takes the win back.
      EXPECT_TRUE(UndoMove(*game));
      EXPECT_EQ(game->won, 0);
    }
  }
  EXPECT_EQ(wins, 4);
}

TEST(SevenByFivePlay, AlwaysTakingTheFirstMoveKeepsTheWonFlagHonest) {
  for (std::uint32_t number : {1u, 2u, 3u}) {
    auto game = DealGame("Seven by Five", number);
    ASSERT_TRUE(game);
    for (int move = 0; move < 300 && game->won == 0; ++move) {
      const auto first = FindMove(*game, 0);
      if (!first) break;
      ASSERT_TRUE(PerformPlayerMove(*game, *first, nullptr));
      ASSERT_EQ(game->won != 0, TableauAndCellsEmpty(*game));
      ASSERT_TRUE(testing::TableIsConsistent(*game));
    }
  }
}

// Every card of a pile whose pile is shown and that may be picked up, on
// every pile that takes it, when it is a top card or its pile fans.
std::vector<MoveReference> CardMovesByBruteForce(const SolGame& game, bool topCards) {
  std::vector<MoveReference> moves;
  for (std::uint16_t card = 0; card < game.cards.size(); ++card) {
    const CardState& state = game.cards[card];
    if (state.pile >= game.piles.size()) continue;
    const PileState& pile = game.piles[state.pile];
    const bool isTop = state.position + 1 == pile.count;
    if (isTop != topCards || (!isTop && pile.fan == 0)) continue;
    if (pile.shown == 0 || !CanPickUp(game, card)) continue;
    for (std::uint16_t destination = 0; destination < game.piles.size(); ++destination) {
      if (CanDrop(game, card, destination)) moves.push_back({card, destination});
    }
  }
  return moves;
}

TEST(RealGameMoves, SearchOrderIsTapsThenTopCardsThenDeeperCards) {
  const Catalogue catalogue = LoadCatalogue(EmbeddedGameResources());
  for (const auto& entry : catalogue.entries) {
    for (std::uint32_t number : {1u, 77u}) {
      auto game = DealGame(entry.name, number);
      ASSERT_TRUE(game) << entry.name << " deal " << number;
      SCOPED_TRACE(entry.name);
      std::vector<MoveReference> expected;
      for (std::uint16_t pile = 0; pile < game->piles.size(); ++pile) {
        const bool holds = game->piles[pile].count > 0;
        const PileDef& definition = game->definition.piles[pile];
        if (holds && game->cards[*game->TopCard(pile)].movable == 0) continue;
        const std::uint16_t event = holds ? definition.tapEvent : definition.emptyTapEvent;
        if (ConditionsHold(*game, event) && CounterAllows(*game, event)) {
          expected.push_back({pile, kNoReference});
        }
      }
      for (bool topCards : {true, false}) {
        const auto cardMoves = CardMovesByBruteForce(*game, topCards);
        expected.insert(expected.end(), cardMoves.begin(), cardMoves.end());
      }
      EXPECT_EQ(ListMoves(*game), expected);
      for (std::uint32_t n = 0; n < expected.size(); n += 5) {
        EXPECT_EQ(FindMove(*game, n), expected[n]);
      }
      EXPECT_EQ(FindMove(*game, static_cast<std::uint32_t>(expected.size())), std::nullopt);
    }
  }
}

// The move search answers from rule answers remembered from earlier
// positions, keyed partly by what the lists are cut from: along random play,
// where piles come back to contents met before with other cards on top of
// them, it must still list what the plain tests allow.
TEST(RealGameMoves, SearchAgreesWithThePlainTestsAlongRandomPlay) {
  const Catalogue catalogue = LoadCatalogue(EmbeddedGameResources());
  for (const auto& entry : catalogue.entries) {
    auto game = DealGame(entry.name, 9);
    ASSERT_TRUE(game) << entry.name;
    SCOPED_TRACE(entry.name);
    std::mt19937 rng(7);
    for (int step = 0; step < 40; ++step) {
      const auto moves = ListMoves(*game);
      std::vector<MoveReference> cardMoves = CardMovesByBruteForce(*game, true);
      const auto deeper = CardMovesByBruteForce(*game, false);
      cardMoves.insert(cardMoves.end(), deeper.begin(), deeper.end());
      std::vector<MoveReference> listedCardMoves;
      std::copy_if(moves.begin(), moves.end(), std::back_inserter(listedCardMoves),
                   [](const MoveReference& move) { return !move.IsTap(); });
      ASSERT_EQ(listedCardMoves, cardMoves) << "step " << step;
      if (moves.empty() || game->won != 0) break;
      if (step % 3 == 2) {
        UndoMove(*game);
        continue;
      }
      PerformPlayerMove(*game, moves[rng() % moves.size()], nullptr);
    }
  }
}

TEST(RealGameMoves, HintsCycleAndStartAgainAfterEveryRecord) {
  auto game = DealGame("Seven by Five", 4);
  ASSERT_TRUE(game);
  std::uint16_t hint = 0;
  game->onJournalAppend = [&] { hint = 0; };
  const auto moves = ListMoves(*game);
  ASSERT_GE(moves.size(), 2u);
  for (std::size_t i = 0; i < moves.size() + 2; ++i) {
    EXPECT_EQ(NextHint(*game, hint), moves[i % moves.size()]);
  }
  ASSERT_TRUE(PerformPlayerMove(*game, moves[1], nullptr));
  EXPECT_EQ(hint, 0);
  EXPECT_EQ(NextHint(*game, hint), FindMove(*game, 0));
}

TEST(RealGameMoves, DropOfARunWritesOneRecordAndUndoesExactly) {
  auto game = DealGame("Four Colours", 3);
  ASSERT_TRUE(game);
  const std::uint16_t source = 0;
  const std::uint16_t destination = 4;
  // Column 0 ends in the run 9S 8D 7C; column 4 holds two cards, the 10H on
  // top.
  ArrangePile(*game, destination, {CardNumber(2, 12), CardNumber(4, 10)});
  ArrangePile(*game, source,
              {CardNumber(1, 13), CardNumber(1, 12), CardNumber(1, 11), CardNumber(4, 5),
               CardNumber(1, 9), CardNumber(3, 8), CardNumber(2, 7)});
  ASSERT_TRUE(testing::TableIsConsistent(*game));
  const auto runStart = CardNumber(1, 9);
  ASSERT_TRUE(CanPickUp(*game, runStart));
  ASSERT_TRUE(CanDrop(*game, runStart, destination));
  const std::uint16_t position = game->cards[runStart].position;
  ASSERT_EQ(position + 3, game->piles[source].count);
  const auto before = testing::Snapshot(*game);
  const std::uint32_t journalBefore = game->journal->Count();

  ASSERT_TRUE(DropCards(*game, runStart, destination, nullptr));
  ASSERT_EQ(game->journal->Count(), journalBefore + 1);
  EXPECT_EQ(game->journal->Back(), (JournalRecord{0, 1, 0, source, position, destination, 2, 0}));
  EXPECT_EQ(PileCards(*game, destination),
            (std::vector<std::uint16_t>{CardNumber(2, 12), CardNumber(4, 10), CardNumber(1, 9),
                                        CardNumber(3, 8), CardNumber(2, 7)}));
  RunAutomaticEvents(*game, nullptr);
  EXPECT_TRUE(UndoMove(*game));
  EXPECT_EQ(testing::Snapshot(*game), before);
}

TEST(RealGameMoves, FreeAceWaitsForTheFirstPlayerMove) {
  for (std::uint32_t number = 1; number < 200; ++number) {
    auto game = DealGame("FreeCell", number);
    ASSERT_TRUE(game);
    std::optional<std::uint16_t> freeAce;
    for (std::uint16_t column = 0; column < 8 && !freeAce; ++column) {
      const auto top = game->TopCard(column);
      if (top && game->definition.cards[*top].rank == 1) freeAce = top;
    }
    if (!freeAce) continue;
    EXPECT_LT(game->cards[*freeAce].pile, 8);
    const auto moves = ListMoves(*game);
    const auto other = std::find_if(moves.begin(), moves.end(), [&](const MoveReference& move) {
      return move.IsTap() || move.source != *freeAce;
    });
    ASSERT_NE(other, moves.end());
    ASSERT_TRUE(PerformPlayerMove(*game, *other, nullptr));
    const std::uint16_t pile = game->cards[*freeAce].pile;
    EXPECT_GE(pile, 12);
    EXPECT_LT(pile, 16);
    return;
  }
  FAIL() << "no deal with a free ace";
}

TEST(RealGameMoves, SevenBySevenRedealsTwice) {
  constexpr std::uint16_t kRedealPile = 14;
  auto game = DealGame("Seven by Seven", 1);
  ASSERT_TRUE(game);
  ASSERT_EQ(FindMove(*game, 0), (MoveReference{kRedealPile, kNoReference}));
  for (int redeal = 1; redeal <= 2; ++redeal) {
    const auto before = testing::Snapshot(*game);
    ASSERT_TRUE(PerformPlayerMove(*game, {kRedealPile, kNoReference}, nullptr));
    EXPECT_EQ(game->piles[kRedealPile].count, 0);
    EXPECT_EQ(game->counters[0].value, 2 - redeal);
    EXPECT_TRUE(testing::TableIsConsistent(*game));
    if (redeal == 2) {
      EXPECT_TRUE(UndoMove(*game));
      EXPECT_EQ(testing::Snapshot(*game), before);
      ASSERT_TRUE(PerformPlayerMove(*game, {kRedealPile, kNoReference}, nullptr));
    }
  }
  const auto moves = ListMoves(*game);
  EXPECT_TRUE(std::none_of(moves.begin(), moves.end(),
                           [](const MoveReference& move) { return move.IsTap(); }));
  EXPECT_FALSE(TapPile(*game, kRedealPile, nullptr));
}

// Random play on every game of the database, undoing at random and always
// comparing with the state saved before the move undone.
class RealGameUndo : public ::testing::TestWithParam<std::size_t> {};

TEST_P(RealGameUndo, UndoRestoresEveryEarlierState) {
  const Catalogue catalogue = LoadCatalogue(EmbeddedGameResources());
  ASSERT_LT(GetParam(), catalogue.entries.size());
  const std::string name = catalogue.entries[GetParam()].name;
  ASSERT_TRUE(LoadGame(name)) << name;
  SCOPED_TRACE(name);
  std::mt19937 rng(static_cast<unsigned>(GetParam()) + 100);
  for (std::uint32_t number : {5u, 1234u}) {
    auto game = DealGame(name, number);
    ASSERT_TRUE(game);
    const auto initial = testing::Snapshot(*game);
    std::vector<testing::PlaySnapshot> history;
    auto undoOnce = [&] {
      ASSERT_TRUE(UndoMove(*game));
      EXPECT_EQ(testing::Snapshot(*game), history.back()) << "deal " << number;
      history.pop_back();
    };
    for (int step = 0; step < 150; ++step) {
      if (!history.empty() && rng() % 4 == 0) {
        undoOnce();
        continue;
      }
      const auto moves = ListMoves(*game);
      if (moves.empty()) break;
      const MoveReference move = moves[rng() % moves.size()];
      const auto before = testing::Snapshot(*game);
      const bool made = PerformPlayerMove(*game, move, nullptr);
      // A listed card move can always be made (a tap may change nothing).
      if (!move.IsTap()) {
        EXPECT_TRUE(made) << move.source << " -> " << move.destination;
      }
      ASSERT_TRUE(testing::TableIsConsistent(*game));
      if (game->journal->Count() != before.journalCount) history.push_back(before);
      if (game->won != 0) undoOnce();
    }
    while (!history.empty()) undoOnce();
    EXPECT_EQ(testing::Snapshot(*game), initial);
  }
}

INSTANTIATE_TEST_SUITE_P(AllGames, RealGameUndo, ::testing::Range<std::size_t>(0, 20));

}  // namespace
}  // namespace cw
