#include "engine/model/dealer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/state/table_check.h"
#include "tests/engine/model/test_records.h"

namespace cw {
namespace {

using test::CardNumber;
using test::DealShape;
using test::PileListing;

SolGame GameFrom(const DefinitionRecord& record) {
  SolGame game;
  ParseDefinition(game, record, DisplayMetrics{});
  return game;
}

std::string DealtSequence(const SolGame& game) {
  std::string sequence;
  for (std::uint16_t p = 0; p < game.piles.size(); ++p) {
    const std::string listing = PileListing(game, p);
    if (!listing.empty()) sequence += (sequence.empty() ? "" : " ") + listing;
  }
  return sequence;
}

void ExpectConsistentPiles(const SolGame& game) {
  const TableCheck check = CheckTable(game);
  EXPECT_TRUE(check) << check.Problem();
}

TEST(DealerTest, SevenByFiveNumberOneMatchesTheReferenceDeal) {
  SolGame game = GameFrom(test::SevenByFiveRecord());
  std::uint32_t number = 1;
  ASSERT_TRUE(Deal(game, number));
  EXPECT_EQ(number, 1u);
  const std::vector<std::string> expected = {
      "QC JH KS 5H 4H 4C 6H AS", "3H 9H 7C 5C JS 2H 8H 4S", "QD 2D 5S 10C 7H AH 8C 10H",
      "JD 9D JC 8D 7D 6S KC",    "AC 8S 7S 9S KH 5D 10S",   "3C QH 10D 3S AD KD 6D",
      "6C 4D 2S QS 3D 9C 2C"};
  for (std::uint16_t p = 0; p < 7; ++p) EXPECT_EQ(PileListing(game, p), expected[p]) << "pile " << p;
  for (std::uint16_t p = 7; p < 16; ++p) EXPECT_EQ(game.piles[p].count, 0);
  ExpectConsistentPiles(game);
}

TEST(DealerTest, FreeCellShapeSplitsTheSameSequenceDifferently) {
  std::vector<std::uint16_t> counts = {7, 7, 7, 7, 6, 6, 6, 6};
  counts.resize(23, 0);
  SolGame game = GameFrom(DealShape(counts));
  std::uint32_t number = 1;
  ASSERT_TRUE(Deal(game, number));
  EXPECT_EQ(game.CardAt(0, 0), 24);  // start indices 336, 361, 376 reduced mod 52
  EXPECT_EQ(game.CardAt(0, 1), 49);
  EXPECT_EQ(game.CardAt(0, 2), 12);
  EXPECT_EQ(PileListing(game, 0), "QC JH KS 5H 4H 4C 6H");
  EXPECT_EQ(game.CardAt(1, 0), CardNumber("AS"));
}

TEST(DealerTest, LeadingPilesWithoutCardsAreSkipped) {
  SolGame sevenByFive = GameFrom(test::SevenByFiveRecord());
  SolGame eightOffLike = GameFrom(DealShape({0, 0, 0, 0, 6, 6, 6, 6, 6, 6, 6, 6, 1, 1, 1, 1}));
  std::uint32_t number = 1;
  ASSERT_TRUE(Deal(sevenByFive, number));
  ASSERT_TRUE(Deal(eightOffLike, number));
  for (std::uint16_t p = 0; p < 4; ++p) EXPECT_EQ(eightOffLike.piles[p].count, 0);
  EXPECT_EQ(PileListing(eightOffLike, 4), "QC JH KS 5H 4H 4C");
  EXPECT_EQ(DealtSequence(eightOffLike), DealtSequence(sevenByFive));
  ExpectConsistentPiles(eightOffLike);
}

TEST(DealerTest, SeedWrapsAroundAtTheTopOfTheNumberRange) {
  SolGame game = GameFrom(DealShape({52}));
  // Seeds computed independently: 0xFFFFFFFF + 1000 wraps to 999, and
  // 0xFFFFFC17 gives seed 0xFFFFFFFF, whose s0 + k wraps from k = 1 on.
  const struct {
    std::uint32_t number;
    const char* firstCards;
  } cases[] = {{0xFFFFFFFFu, "JD JH 6H 4C 4D AH 8H 10S"},
               {0xFFFFFC18u, "AS KC 7H 3D 2C QC 9H JS"},
               {0xFFFFFC17u, "9D 8S 8D 9S 4H 4C AD 7H"}};
  for (const auto& c : cases) {
    std::uint32_t number = c.number;
    ASSERT_TRUE(Deal(game, number));
    EXPECT_EQ(PileListing(game, 0).substr(0, std::string(c.firstCards).size()), c.firstCards)
        << "number " << c.number;
  }
}

TEST(DealerTest, SameNumberGivesTheSameDealAndOthersDiffer) {
  SolGame game = GameFrom(test::SevenByFiveRecord());
  std::uint32_t number = 31337;
  ASSERT_TRUE(Deal(game, number));
  const std::vector<CardState> first = game.cards;
  ASSERT_TRUE(Deal(game, number));
  EXPECT_EQ(game.cards, first);
  std::uint32_t other = 31338;
  ASSERT_TRUE(Deal(game, other));
  EXPECT_NE(game.cards, first);
}

// Over 5,200 numbers each of the 52 cards should lie at the bottom of the
// first pile about 100 times; the chi-square statistic of the counts, with
// 51 degrees of freedom, exceeds 86.7 once in a thousand times.
double BottomCardChiSquare(DealOrder order) {
  SolGame game = GameFrom(DealShape({26, 26}));
  std::vector<int> counts(52, 0);
  for (std::uint32_t number = 1; number <= 5200; ++number) {
    std::uint32_t dealt = number;
    EXPECT_TRUE(Deal(game, dealt, nullptr, order));
    ++counts[*game.CardAt(0, 0)];
  }
  double chiSquare = 0;
  for (const int count : counts) chiSquare += (count - 100.0) * (count - 100.0) / 100.0;
  return chiSquare;
}

TEST(DealerTest, ShuffledDealsPlaceEveryCardEvenlyWithinItsGroup) {
  EXPECT_LT(BottomCardChiSquare(DealOrder::kShuffled), 86.7);

  DefinitionRecord twoGroups = DealShape({26, 26});
  twoGroups.piles[1].dealGroup = 1;
  for (std::size_t c = 0; c < 26; ++c) twoGroups.cards[c].dealGroup = 1;
  SolGame game = GameFrom(twoGroups);
  std::uint32_t number = 7;
  ASSERT_TRUE(Deal(game, number, nullptr, DealOrder::kShuffled));
  ExpectConsistentPiles(game);
  for (std::uint16_t c = 0; c < 52; ++c) EXPECT_EQ(game.cards[c].pile, c < 26 ? 1 : 0) << c;
  const std::vector<CardState> shuffled = game.cards;
  ASSERT_TRUE(Deal(game, number, nullptr, DealOrder::kShuffled));
  EXPECT_EQ(game.cards, shuffled);
  ASSERT_TRUE(Deal(game, number));
  EXPECT_NE(game.cards, shuffled);

  twoGroups.cards[0].dealGroup = 0;  // group 1 is a card short
  ParseDefinition(game, twoGroups, DisplayMetrics{});
  std::string error;
  EXPECT_FALSE(Deal(game, number, &error, DealOrder::kShuffled));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(game.HasPlayState());
}

TEST(DealerTest, NumberZeroIsReplacedByAChosenNumber) {
  RuntimeRandom a;
  RuntimeRandom b;
  EXPECT_EQ(ChooseGameNumber(a, 12345), ChooseGameNumber(b, 12345));
  // Four draws of the generator seeded with 1 are 41, 18467, 6334, 26500.
  EXPECT_EQ(ChooseGameNumber(a, 1), 0x84BE2329u);

  SolGame game = GameFrom(test::SevenByFiveRecord());
  std::uint32_t number = 0;
  ASSERT_TRUE(Deal(game, number));
  const std::vector<CardState> chosen = game.cards;
  std::uint32_t again = number;
  ASSERT_TRUE(Deal(game, again));
  EXPECT_EQ(game.cards, chosen);
}

TEST(DealerTest, PlacementsBringTheAcesToTheFoundations) {
  // Double FreeCell: ten tableau piles, six cells, four foundations that
  // are dealt one face-down card each, which the four Aces replace.
  std::vector<std::uint16_t> counts(10, 10);
  counts.resize(16, 0);
  counts.resize(20, 1);
  DefinitionRecord record = DealShape(counts, 2);
  for (std::size_t p = 16; p < 20; ++p) record.piles[p].dealFaceUp = 0;
  record.dealPlacements = {{16, 13, 0}, {17, 26, 0}, {18, 39, 0}, {19, 0, 0},
                           // entries naming nothing that exists are skipped
                           {20, 1, 0}, {16, 104, 0}, {10, 2, 0}, {0, 3, 10}};
  SolGame game = GameFrom(record);
  for (std::uint32_t number : {1u, 2u, 617u, 0xFFFFFFFFu}) {
    ASSERT_TRUE(Deal(game, number));
    const std::uint16_t aces[] = {13, 26, 39, 0};
    for (std::uint16_t f = 0; f < 4; ++f) {
      EXPECT_EQ(game.CardAt(static_cast<std::uint16_t>(16 + f), 0), aces[f]) << "number " << number;
      EXPECT_EQ(game.cards[aces[f]].faceUp, 0);
    }
    for (std::uint16_t p = 0; p < 10; ++p) {
      for (std::uint16_t pos = 0; pos < 10; ++pos) EXPECT_EQ(game.cards[*game.CardAt(p, pos)].faceUp, 1);
    }
    ExpectConsistentPiles(game);
  }
}

TEST(DealerTest, FlipFixedAndOpenTablesChangeTheNamedCards) {
  // Towers-like: pile 10 dealt face down with one card turned up.
  std::vector<std::uint16_t> counts(10, 4);
  counts.push_back(12);
  DefinitionRecord record = DealShape(counts);
  record.piles[10].dealFaceUp = 0;
  record.piles[3].manualOpen = 1;
  record.dealFlips = {{10, 6}, {10, 12}, {11, 0}};
  record.dealFixed = {{2, 1}};
  record.dealOpen = {{3, 0}, {4, 0}};
  SolGame game = GameFrom(record);
  std::uint32_t number = 5;
  ASSERT_TRUE(Deal(game, number));
  for (std::uint16_t pos = 0; pos < 12; ++pos) {
    EXPECT_EQ(game.cards[*game.CardAt(10, pos)].faceUp, pos == 6 ? 1 : 0) << "position " << pos;
  }
  EXPECT_EQ(game.cards[*game.CardAt(2, 1)].movable, 0);
  EXPECT_EQ(game.cards[*game.CardAt(2, 0)].movable, 1);
  // A pile that keeps its own open flags keeps the deal's; the others have
  // only their top card open.
  EXPECT_EQ(game.cards[*game.CardAt(3, 0)].open, 1);
  EXPECT_EQ(game.cards[*game.CardAt(3, 3)].open, 0);
  EXPECT_EQ(game.cards[*game.CardAt(4, 0)].open, 0);
  EXPECT_EQ(game.cards[*game.CardAt(4, 3)].open, 1);
}

TEST(DealerTest, PlayStateIsFilledFromTheDefinition) {
  DefinitionRecord record = test::SevenByFiveRecord();
  record.piles[7].baseRank = 0x34;  // pileValue 0x1234 on a plain pile
  record.piles[7].baseSuit = 0x12;
  record.piles[12].baseSuit = 3;
  record.counters = {{2, 5}};
  SolGame game = GameFrom(record);
  game.won = 1;
  std::uint32_t number = 1;
  ASSERT_TRUE(Deal(game, number));
  EXPECT_EQ(game.won, 0);
  ASSERT_TRUE(game.journal.has_value());
  EXPECT_EQ(game.journal->Count(), 0u);
  EXPECT_EQ(game.journal->Capacity(), 10u);
  EXPECT_EQ(game.allowedMoves, record.movePairs);
  ASSERT_EQ(game.counters.size(), 1u);
  EXPECT_EQ(game.counters[0], (CounterState{2, 5}));
  EXPECT_EQ(game.piles[7].PileValue(), 0x1234);
  EXPECT_EQ(game.piles[7].baseSuit, 0u);
  EXPECT_EQ(game.piles[12].baseRank, 1u);
  EXPECT_EQ(game.piles[12].baseSuit, 3u);
  EXPECT_EQ(game.piles[0].fan, 4u);
  EXPECT_EQ(game.piles[0].pickProgram, 1);
  EXPECT_EQ(game.piles[0].acceptProgram, 3);
  EXPECT_EQ(game.piles[0].x, game.definition.piles[0].x);
  EXPECT_EQ(game.piles[0].y, game.definition.piles[0].y);
  EXPECT_EQ(game.TopCard(0), CardNumber("AS"));
  EXPECT_EQ(game.TopCard(7), std::nullopt);
}

TEST(DealerTest, UndealableDefinitionsAreRefusedWithoutAPlayState) {
  DefinitionRecord tooFewInGroup = DealShape({26, 26});
  tooFewInGroup.piles[1].dealGroup = 1;
  for (std::size_t c = 0; c < 20; ++c) tooFewInGroup.cards[c].dealGroup = 1;
  DefinitionRecord shortCounts = DealShape({26, 25});
  DefinitionRecord tinyDeck = DealShape({3});
  tinyDeck.cards.resize(3);

  SolGame game = GameFrom(test::SevenByFiveRecord());
  std::uint32_t number = 1;
  ASSERT_TRUE(Deal(game, number));
  for (const DefinitionRecord& record : {tooFewInGroup, shortCounts}) {
    ParseDefinition(game, record, DisplayMetrics{});
    std::string error;
    EXPECT_FALSE(Deal(game, number, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(game.HasPlayState());
    EXPECT_TRUE(game.cards.empty());
    EXPECT_TRUE(game.piles.empty());
  }
  // A deck smaller than the probe step still deals every card once.
  ParseDefinition(game, tinyDeck, DisplayMetrics{});
  ASSERT_TRUE(Deal(game, number));
  ExpectConsistentPiles(game);
}

}  // namespace
}  // namespace cw
