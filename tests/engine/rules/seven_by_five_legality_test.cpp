// The legality queries on dealt "Seven by Five" tables, held against the
// game's rules as its rules text states them; both for the record of the
// game database and for a record carrying the programs written out here in
// instruction names.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <random>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/database/embedded_resources.h"
#include "engine/database/record_loader.h"
#include "engine/model/dealer.h"
#include "engine/rules/legality.h"
#include "tests/engine/model/test_records.h"
#include "tests/engine/rules/program_text.h"
#include "tests/engine/rules/seven_by_five_programs.h"

namespace cw {
namespace {

using test::CardNumber;

constexpr std::uint16_t kPileCount = 16;
constexpr std::uint16_t kFirstCell = 7;
constexpr std::uint16_t kFirstFoundation = 12;

bool IsRed(const CardDef& card) { return card.suit >= 3; }

constexpr std::uint16_t kSevenByFiveRecord = 17;

constexpr std::array<std::string_view, 7> kPrograms = {
    test::kNeverPasses, test::kSingleCardPickUp, test::kAlwaysPasses, test::kTableauAccept,
    test::kCellAccept,  test::kFoundationAccept, test::kListEmpty};

// Where the record comes from: the embedded game database, or the hand-built
// record with the programs written out in instruction names.
enum class Source { kDatabase, kWrittenOut };

std::unique_ptr<SolGame> LoadSevenByFive(Source source) {
  auto game = std::make_unique<SolGame>();
  if (source == Source::kDatabase) {
    const auto bytes = LoadDefinitionRecord(EmbeddedGameResources(), kSevenByFiveRecord);
    if (!bytes || !ParseDefinition(*game, *bytes, DisplayMetrics{})) return nullptr;
    return game;
  }
  DefinitionRecord record = test::SevenByFiveRecord();
  record.programs.clear();
  for (const std::string_view text : kPrograms) {
    std::vector<std::uint8_t> bytes = test::ProgramFromText(text);
    bytes.pop_back();  // stored programs carry no zero byte
    record.programs.push_back(bytes);
  }
  ParseDefinition(*game, record, DisplayMetrics{});
  return game;
}

std::unique_ptr<SolGame> DealSevenByFive(std::uint32_t number, Source source) {
  auto game = LoadSevenByFive(source);
  if (!game || !Deal(*game, number)) return nullptr;
  return game;
}

// What the rules text allows for a single card onto a pile.
bool RulesAllowDrop(const SolGame& game, std::uint16_t card, std::uint16_t pile) {
  if (game.cards[card].pile == pile) return false;
  const CardDef& moving = game.definition.cards[card];
  const auto top = game.TopCard(pile);
  if (pile >= kFirstFoundation) {
    if (!top) return moving.rank == 1;
    const CardDef& under = game.definition.cards[*top];
    return under.suit == moving.suit && under.rank + 1 == moving.rank;
  }
  if (pile >= kFirstCell) return !top;
  if (!top) return true;
  const CardDef& under = game.definition.cards[*top];
  return under.rank == moving.rank + 1 && IsRed(under) != IsRed(moving);
}

class SevenByFiveLegalityTest : public ::testing::TestWithParam<Source> {};

TEST(SevenByFiveRecordTest, DatabaseHoldsTheProgramsWrittenOut) {
  const auto game = LoadSevenByFive(Source::kDatabase);
  ASSERT_NE(game, nullptr);
  ASSERT_STREQ(game->definition.name.data(), "Seven by Five");
  ASSERT_EQ(game->definition.programs.size(), kPrograms.size());
  for (std::size_t i = 0; i < kPrograms.size(); ++i) {
    EXPECT_EQ(game->definition.programs[i], test::ProgramFromText(kPrograms[i]))
        << "program " << i;
  }
}

TEST_P(SevenByFiveLegalityTest, DealOne) {
  const auto game = DealSevenByFive(1, GetParam());
  ASSERT_NE(game, nullptr);
  ASSERT_EQ(test::PileListing(*game, 0), "QC JH KS 5H 4H 4C 6H AS");
  EXPECT_TRUE(CanPickUp(*game, CardNumber("AS")));
  EXPECT_FALSE(CanPickUp(*game, CardNumber("6H")));
  EXPECT_TRUE(CanDrop(*game, CardNumber("AS"), 12));
  EXPECT_FALSE(CanDrop(*game, CardNumber("4S"), 0));
  EXPECT_FALSE(CanDrop(*game, CardNumber("2C"), 12));
  EXPECT_FALSE(CanDrop(*game, CardNumber("10H"), 4));
  EXPECT_TRUE(CanDrop(*game, CardNumber("2C"), 7));
  EXPECT_FALSE(ConditionsHold(*game, 0)) << "event 0 never runs";
  EXPECT_FALSE(ConditionsHold(*game, 1)) << "not won at the deal";
}

// Moves the top card of `from` onto `to` by hand, keeping the open flags.
void MoveTopCard(SolGame& game, std::uint16_t from, std::uint16_t to) {
  const std::uint16_t card = *game.TopCard(from);
  if (const auto under = game.TopCard(to)) game.cards[*under].open = 0;
  --game.piles[from].count;
  if (const auto uncovered = game.TopCard(from)) game.cards[*uncovered].open = 1;
  game.cards[card].pile = to;
  game.cards[card].position = static_cast<std::uint16_t>(game.piles[to].count++);
  game.cards[card].open = 1;
}

// Compares every pick-up and every drop of the table with the rules.
void ExpectQueriesFollowTheRules(const SolGame& game, std::uint32_t number, int step) {
  for (std::uint16_t card = 0; card < 52; ++card) {
    const CardState& state = game.cards[card];
    const bool top = state.position + 1 == game.piles[state.pile].count;
    // A cell or foundation gives any of its cards (program PUSH 0) with the
    // cards above it; a tableau pile only its top card.
    EXPECT_EQ(CanPickUp(game, card), top || state.pile >= kFirstCell)
        << "deal " << number << " step " << step << " " << test::CardName(card);
    if (!top) continue;
    for (std::uint16_t pile = 0; pile < kPileCount; ++pile) {
      EXPECT_EQ(CanDrop(game, card, pile), RulesAllowDrop(game, card, pile))
          << "deal " << number << " step " << step << " " << test::CardName(card) << " onto "
          << pile;
    }
  }
}

// Walks through random legal moves of several deals, so that the programs
// meet empty and filled cells and foundations.
TEST_P(SevenByFiveLegalityTest, EveryDropAndPickUpFollowsTheRules) {
  std::mt19937 random(7);
  for (const std::uint32_t number : {1u, 2u, 3u, 617u, 31999u}) {
    const auto game = DealSevenByFive(number, GetParam());
    ASSERT_NE(game, nullptr);
    for (int step = 0; step < 40; ++step) {
      ExpectQueriesFollowTheRules(*game, number, step);
      std::vector<std::pair<std::uint16_t, std::uint16_t>> moves;
      for (std::uint16_t from = 0; from < kPileCount; ++from) {
        const auto card = game->TopCard(from);
        if (!card) continue;
        for (std::uint16_t to = 0; to < kPileCount; ++to) {
          if (RulesAllowDrop(*game, *card, to)) moves.emplace_back(from, to);
        }
      }
      if (moves.empty()) break;
      const auto [from, to] = moves[random() % moves.size()];
      MoveTopCard(*game, from, to);
    }
  }
}

TEST_P(SevenByFiveLegalityTest, WonWhenTableauAndCellsAreEmpty) {
  const auto game = DealSevenByFive(1, GetParam());
  ASSERT_NE(game, nullptr);
  // Every card on its foundation, suit by suit.
  for (auto& pile : game->piles) pile.count = 0;
  for (std::uint16_t card = 0; card < 52; ++card) {
    const CardDef& def = game->definition.cards[card];
    const auto foundation = static_cast<std::uint16_t>(kFirstFoundation + def.suit - 1);
    game->cards[card].pile = foundation;
    game->cards[card].position = static_cast<std::uint16_t>(def.rank - 1);
    ++game->piles[foundation].count;
  }
  EXPECT_TRUE(ConditionsHold(*game, 1));
  EXPECT_TRUE(CanPickUp(*game, CardNumber("KH"))) << "foundation cards may be taken back";
  EXPECT_TRUE(CanDrop(*game, CardNumber("KH"), 3));
  EXPECT_TRUE(CanDrop(*game, CardNumber("KH"), kFirstCell));
}

INSTANTIATE_TEST_SUITE_P(BothSources, SevenByFiveLegalityTest,
                         ::testing::Values(Source::kDatabase, Source::kWrittenOut),
                         [](const ::testing::TestParamInfo<Source>& paramInfo) {
                           return paramInfo.param == Source::kDatabase ? "Database" : "WrittenOut";
                         });

}  // namespace
}  // namespace cw
