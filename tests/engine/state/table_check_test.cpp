// The table check accepts every table real play reaches and refuses each way
// a table can be broken, naming what it found; the journal check undoes a
// copy and refuses records that do not fit the table.
#include "engine/state/table_check.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <random>
#include <string>

#include "engine/database/catalogue.h"
#include "engine/database/embedded_resources.h"
#include "engine/database/record_loader.h"
#include "tests/games/game_test_support.h"

namespace cw {
namespace {

// A FreeCell deal after some random moves.
SolGame PlayedFreeCell(std::uint32_t number, int moves) {
  std::optional<SolGame> game = testing::DealGame("FreeCell", number);
  if (!game) return SolGame{};
  std::mt19937 random(number);
  testing::PlayOut(*game, moves, random, {});
  return *game;
}

// The card at the top of the fullest pile.
std::uint16_t TopOfFullestPile(const SolGame& game) {
  std::uint16_t top = 0;
  for (std::uint16_t card = 0; card < game.cards.size(); ++card) {
    if (game.cards[card].position > game.cards[top].position) top = card;
  }
  return top;
}

TEST(TableCheck, EveryGameStaysConsistentThroughPlayAndUndo) {
  const Catalogue catalogue = LoadCatalogue(EmbeddedGameResources());
  ASSERT_EQ(catalogue.entries.size(), kCatalogueSize);
  std::mt19937 random(20261208);
  for (const CatalogueEntry& entry : catalogue.entries) {
    SCOPED_TRACE(entry.name);
    std::optional<SolGame> game = testing::DealGame(entry.name, 17);
    ASSERT_TRUE(game.has_value());
    const TableCheck dealt = CheckTable(*game);
    EXPECT_TRUE(dealt) << dealt.Problem();
    EXPECT_TRUE(dealt.Problem().empty());
    testing::PlayOut(*game, 150, random, {});
    const TableCheck played = CheckTable(*game);
    EXPECT_TRUE(played) << played.Problem();
    const TableCheck journal = CheckJournal(*game);
    EXPECT_TRUE(journal) << journal.Problem();
  }
}

TEST(TableCheck, EachBrokenTableIsRefusedWithWhatIsWrong) {
  const SolGame good = PlayedFreeCell(23, 40);
  ASSERT_TRUE(CheckTable(good));
  const std::uint16_t top = TopOfFullestPile(good);
  const std::uint16_t topPile = good.cards[top].pile;
  const auto pileCount = static_cast<std::uint16_t>(good.piles.size());

  // Each damage and a word the problem must name.
  using Damage = std::function<void(SolGame&)>;
  const std::map<std::string, std::pair<Damage, std::string>> damages = {
      {"a card outside the piles", {[&](SolGame& g) { g.cards[top].pile = pileCount; }, "card"}},
      {"a card in no pile", {[&](SolGame& g) { g.cards[top].pile = kNoReference; }, "no pile"}},
      {"a card past the top", {[&](SolGame& g) { ++g.cards[top].position; }, "past the top"}},
      {"two cards on one place", {[&](SolGame& g) { g.cards[top].position = 0; }, "two cards"}},
      {"a count too large", {[&](SolGame& g) { ++g.piles[topPile].count; }, "no card at"}},
      {"a count beyond the deck",
       {[&](SolGame& g) { g.piles[topPile].count = 30000; }, "no card at"}},
      {"a negative count", {[&](SolGame& g) { g.piles[topPile].count = -1; }, "negative"}},
      {"a face-up flag of 2", {[&](SolGame& g) { g.cards[top].faceUp = 2; }, "flag"}},
      {"a shown flag of 7", {[](SolGame& g) { g.piles[0].shown = 7; }, "flag"}},
      {"another fan", {[](SolGame& g) { g.piles[0].fan ^= 0x10; }, "fan"}},
      {"a program the game lacks",
       {[](SolGame& g) { g.piles[0].acceptProgram = 0x7000; }, "program"}},
      {"a route to no pile",
       {[&](SolGame& g) { g.allowedMoves.push_back({0, pileCount}); }, "route"}},
      {"a won flag of 2", {[](SolGame& g) { g.won = 2; }, "won"}},
      {"a card too few", {[](SolGame& g) { g.cards.pop_back(); }, "cards"}},
      {"a pile too many", {[](SolGame& g) { g.piles.push_back(PileState{}); }, "piles"}},
  };
  for (const auto& [name, damage] : damages) {
    SCOPED_TRACE(name);
    SolGame broken = good;
    damage.first(broken);
    const TableCheck check = CheckTable(broken);
    EXPECT_FALSE(check);
    EXPECT_NE(check.Problem().find(damage.second), std::string::npos) << check.Problem();
  }
}

TEST(TableCheck, CountersStayWithinTheirRange) {
  std::optional<SolGame> game = testing::DealGame("Seven by Seven", 4);
  ASSERT_TRUE(game.has_value());
  ASSERT_FALSE(game->counters.empty());
  ASSERT_TRUE(CheckTable(*game));
  SolGame overfull = *game;
  ++overfull.counters[0].value;
  EXPECT_FALSE(CheckTable(overfull));
  SolGame rerouted = *game;
  ++rerouted.counters[0].exhaustedEvent;
  EXPECT_FALSE(CheckTable(rerouted));
  SolGame missing = *game;
  missing.counters.clear();
  EXPECT_FALSE(CheckTable(missing));
}

TEST(TableCheck, CardsSetAsideArePassedOnlyWhenAllowed) {
  SolGame game = PlayedFreeCell(9, 0);
  const std::uint16_t top = TopOfFullestPile(game);
  --game.piles[game.cards[top].pile].count;
  game.cards[top].pile = kNoReference;
  EXPECT_FALSE(CheckTable(game));
  EXPECT_TRUE(CheckTable(game, OffTableCards::kAllowed));
  // Set aside is not a licence for a gap.
  ++game.piles[0].count;
  EXPECT_FALSE(CheckTable(game, OffTableCards::kAllowed));
}

TEST(TableCheck, AJournalThatDoesNotUndoCleanlyIsRefused) {
  const SolGame good = PlayedFreeCell(23, 40);
  ASSERT_GE(good.journal->Count(), 10u);
  ASSERT_TRUE(CheckJournal(good));
  std::uint32_t lastMove = good.journal->Count() - 1;
  while ((*good.journal)[lastMove].type != static_cast<std::uint32_t>(JournalType::kPlayerMove)) {
    --lastMove;
  }

  // Rebuilds the journal of `good` with one record changed.
  const auto withRecord = [&](std::uint32_t at, const std::function<void(JournalRecord&)>& change) {
    SolGame changed = good;
    changed.journal.emplace();
    for (std::uint32_t i = 0; i < good.journal->Count(); ++i) {
      JournalRecord record = (*good.journal)[i];
      if (i == at) change(record);
      changed.journal->Append(record);
    }
    return changed;
  };
  const std::map<std::string, SolGame> broken = {
      {"a first record that starts no move", withRecord(0, [](auto& r) { r.groupStart = 0; })},
      {"a group flag of 3", withRecord(lastMove, [](auto& r) { r.groupStart = 3; })},
      {"an unknown type", withRecord(lastMove, [](auto& r) { r.type = 9; })},
      {"a move from another position", withRecord(lastMove, [](auto& r) { ++r.value; })},
      {"a move onto more cards", withRecord(lastMove, [](auto& r) { ++r.targetCount; })},
      {"a move to no pile", withRecord(lastMove, [](auto& r) { r.target = kNoReference; })},
      {"an action the game lacks", withRecord(lastMove, [](auto& r) {
         r.type = static_cast<std::uint32_t>(JournalType::kAction);
         r.index = kNoReference;
       })},
  };
  for (const auto& [name, game] : broken) {
    SCOPED_TRACE(name);
    const TableCheck check = CheckJournal(game);
    EXPECT_FALSE(check);
    EXPECT_NE(check.Problem().find("journal"), std::string::npos) << check.Problem();
  }
  SolGame noJournal = good;
  noJournal.journal.reset();
  EXPECT_FALSE(CheckJournal(noJournal));
}

}  // namespace
}  // namespace cw
