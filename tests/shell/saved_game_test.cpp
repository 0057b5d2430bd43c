// Saved games: every game survives a save and a restore with its whole undo
// history, slots are chosen and reused as the player expects, damaged slots
// are refused, and a save cut off by a killed process never leaves a torn slot.
#include "shell/saved_game.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <string_view>

#include <QFile>

#include "engine/database/catalogue.h"
#include "engine/database/embedded_resources.h"
#include "engine/database/record_loader.h"
#include "engine/rules/automatic_events.h"
#include "engine/rules/moves.h"
#include "engine/rules/player_move.h"
#include "engine/state/saved_game_codec.h"
#include "tests/platform/registry/temporary_registry.h"

namespace cw {
namespace {

constexpr QStringView kTitle = u"TW Tarrow";
constexpr const char* kChildFlag = "--saved-game-child";

SolGame LoadGame(std::size_t index) {
  SolGame game;
  const auto bytes = LoadDefinitionRecord(EmbeddedGameResources(), static_cast<std::uint16_t>(index));
  if (!bytes || !ParseDefinition(game, *bytes, DisplayMetrics{})) std::abort();
  return game;
}

// Deals `number` and makes up to `moves` random legal moves.
void DealAndPlay(SolGame& game, std::uint32_t number, int moves, std::mt19937& random) {
  ASSERT_TRUE(StartNewGame(game, number));
  for (int i = 0; i < moves && !game.won; ++i) {
    const std::vector<MoveReference> legal = ListMoves(game);
    if (legal.empty()) break;
    const MoveReference move = legal[random() % legal.size()];
    ASSERT_TRUE(PerformPlayerMove(game, move, nullptr));
  }
}

void ExpectSamePlayState(const SolGame& expected, const SolGame& actual) {
  EXPECT_EQ(actual.cards, expected.cards);
  EXPECT_EQ(actual.piles, expected.piles);
  EXPECT_EQ(actual.allowedMoves, expected.allowedMoves);
  EXPECT_EQ(actual.counters, expected.counters);
  EXPECT_EQ(actual.won, expected.won);
  ASSERT_TRUE(actual.journal.has_value());
  EXPECT_EQ(actual.journal->Records(), expected.journal->Records());
}

void UndoEverything(SolGame& game) {
  while (UndoMove(game)) {
  }
}

class SavedGameTest : public ::testing::Test {
 protected:
  TemporaryRegistryFile file_;
  Registry registry_;
  Preferences preferences_;
};

TEST_F(SavedGameTest, EveryGameComesBackWithItsWholeJournal) {
  std::mt19937 random(20261207);
  const Catalogue catalogue = LoadCatalogue(EmbeddedGameResources());
  ASSERT_EQ(catalogue.entries.size(), kCatalogueSize);
  std::uint32_t records = 0;
  for (std::size_t index = 0; index < kCatalogueSize; ++index) {
    SCOPED_TRACE(catalogue.entries[index].name);
    SolGame played = LoadGame(index);
    DealAndPlay(played, static_cast<std::uint32_t>(index + 1), 300, random);
    records += played.journal->Count();
    ASSERT_TRUE(SaveGame(registry_, kTitle, played, 1234 + static_cast<std::uint32_t>(index),
                         preferences_));

    SolGame resumed = LoadGame(index);
    std::uint32_t elapsed = 0;
    ASSERT_TRUE(RestoreGame(registry_, kTitle, resumed, elapsed));
    EXPECT_EQ(elapsed, 1234 + index);
    ExpectSamePlayState(played, resumed);
    EXPECT_GE(resumed.journal->Capacity(), resumed.journal->Count());
    EXPECT_EQ(resumed.journal->Capacity() % MoveJournal::kGrowth, 0u);

    UndoEverything(played);
    UndoEverything(resumed);
    ExpectSamePlayState(played, resumed);
    EXPECT_TRUE(resumed.journal->Empty());
  }
  // Long journals, not only a few moves before a game got stuck.
  EXPECT_GE(records, 20u * 200u) << records;
}

TEST_F(SavedGameTest, TheBlobHasItsDocumentedLayout) {
  std::mt19937 random(7);
  SolGame game = LoadGame(9);  // FreeCell
  DealAndPlay(game, 1, 5, random);
  const std::vector<std::uint8_t> blob = EncodeSavedGame(game, 0x01020304);
  const std::size_t c = game.cards.size(), p = game.piles.size(), k = game.counters.size();
  const std::size_t pairs = game.allowedMoves.size(), j = game.journal->Count();
  ASSERT_EQ(blob.size(), 17 + 8 * c + 32 * p + 4 * pairs + 4 * k + 16 * j);
  EXPECT_EQ(blob[0] | (blob[1] << 8), game.definition.id);
  EXPECT_EQ(std::vector<std::uint8_t>(blob.begin() + 2, blob.begin() + 6),
            (std::vector<std::uint8_t>{4, 3, 2, 1}));
  const CardState& card = game.cards[5];
  const std::uint8_t* at = &blob[6 + 8 * 5];
  EXPECT_EQ(at[0], card.faceUp);
  EXPECT_EQ(at[4] | (at[5] << 8), card.pile);
  EXPECT_EQ(at[6] | (at[7] << 8), card.position);
  const std::uint8_t* pile = &blob[6 + 8 * c + 32 * 3];
  EXPECT_EQ(static_cast<std::int16_t>(pile[10] | (pile[11] << 8)), game.piles[3].count);
  const std::size_t d = 6 + 8 * c + 32 * p + 2 + 4 * pairs + 4 * k;
  EXPECT_EQ(blob[d - 4 * k - 4 * pairs - 2], static_cast<int>(pairs & 0xFF));
  EXPECT_EQ(blob[d + 4], game.won);
  EXPECT_EQ(blob[d + 5] | (blob[d + 6] << 8), static_cast<int>(j));
  const std::uint8_t* first = &blob[d + 9];
  EXPECT_EQ(first[4], 1);  // groupStart of the first player move
  EXPECT_EQ(first[6] | (first[7] << 8), game.journal->Records()[0].index);
}

TEST_F(SavedGameTest, SlotsAreTakenDownwardsKeptPerGameAndReusedOldestFirst) {
  std::mt19937 random(3);
  for (std::size_t index = 0; index < 10; ++index) {
    SolGame game = LoadGame(index);
    DealAndPlay(game, 5, 2, random);
    EXPECT_EQ(FindSlot(registry_, kTitle, game.definition.id), kNoSavedGameSlot);
    ASSERT_TRUE(SaveGame(registry_, kTitle, game, 0, preferences_));
    EXPECT_EQ(FindSlot(registry_, kTitle, game.definition.id), static_cast<int>(9 - index));
    EXPECT_NE(preferences_.lastPlayed[9 - index], 0u);
  }

  // The same game keeps its slot whatever the stamps say.
  SolGame first = LoadGame(0);
  DealAndPlay(first, 8, 4, random);
  preferences_.lastPlayed = {5, 5, 5, 5, 5, 5, 5, 5, 5, 500};
  ASSERT_TRUE(SaveGame(registry_, kTitle, first, 0, preferences_));
  EXPECT_EQ(FindSlot(registry_, kTitle, first.definition.id), 9);

  // A new game takes the oldest stamp, the highest slot among equals.
  preferences_.lastPlayed = {300, 100, 200, 100, 400, 900, 900, 900, 900, 900};
  SolGame eleventh = LoadGame(10);
  DealAndPlay(eleventh, 1, 3, random);
  ASSERT_TRUE(SaveGame(registry_, kTitle, eleventh, 0, preferences_));
  EXPECT_EQ(FindSlot(registry_, kTitle, eleventh.definition.id), 3);
  EXPECT_EQ(FindSlot(registry_, kTitle, LoadGame(6).definition.id), kNoSavedGameSlot);
  EXPECT_GT(preferences_.lastPlayed[3], 900u);

  SolGame back = LoadGame(6);
  std::uint32_t elapsed = 77;
  EXPECT_FALSE(RestoreGame(registry_, kTitle, back, elapsed));
  EXPECT_FALSE(back.HasPlayState());
  EXPECT_EQ(elapsed, 77u);
}

TEST_F(SavedGameTest, ARestoreNeverFollowedByASaveIsDiscardedAtTheNextAttempt) {
  std::mt19937 random(11);
  SolGame game = LoadGame(9);
  DealAndPlay(game, 17, 20, random);
  ASSERT_TRUE(SaveGame(registry_, kTitle, game, 60, preferences_));

  SolGame resumed = LoadGame(9);
  std::uint32_t elapsed = 0;
  ASSERT_TRUE(RestoreGame(registry_, kTitle, resumed, elapsed));
  // Saving again clears the mark: the game resumes once more.
  ASSERT_TRUE(SaveGame(registry_, kTitle, resumed, elapsed + 1, preferences_));
  ASSERT_TRUE(RestoreGame(registry_, kTitle, resumed, elapsed));
  EXPECT_EQ(elapsed, 61u);

  // The program ended without saving: the slot goes, and a new deal follows.
  const int slot = FindSlot(registry_, kTitle, game.definition.id);
  ASSERT_NE(slot, kNoSavedGameSlot);
  EXPECT_FALSE(RestoreGame(registry_, kTitle, resumed, elapsed));
  EXPECT_FALSE(resumed.HasPlayState());
  RegistryKey key;
  EXPECT_EQ(registry_.OpenKey(SavedGameSlotPath(kTitle, slot), &key), RegStatus::FileNotFound);
}

TEST_F(SavedGameTest, AGameWithAnEmptyJournalHasNothingToUndo) {
  SolGame game = LoadGame(9);
  std::uint32_t number = 4;
  ASSERT_TRUE(StartNewGame(game, number));
  ASSERT_TRUE(SaveGame(registry_, kTitle, game, 0, preferences_));
  SolGame resumed = LoadGame(9);
  std::uint32_t elapsed = 0;
  ASSERT_TRUE(RestoreGame(registry_, kTitle, resumed, elapsed));
  ExpectSamePlayState(game, resumed);
  EXPECT_FALSE(UndoMove(resumed));
}

// Offsets of a blob of `game`.
struct Layout {
  std::size_t cards = 6;
  std::size_t piles = 0;
  std::size_t pairs = 0;
  std::size_t counters = 0;
  std::size_t won = 0;
  std::size_t journalCount = 0;
  std::size_t journal = 0;
  explicit Layout(const SolGame& game) {
    piles = cards + 8 * game.cards.size();
    pairs = piles + 32 * game.piles.size();
    counters = pairs + 2 + 4 * game.allowedMoves.size();
    won = counters + 4 * game.counters.size() + 4;
    journalCount = won + 1;
    journal = journalCount + 4;
  }
};

void Put16(std::vector<std::uint8_t>& blob, std::size_t at, std::uint16_t value) {
  blob[at] = static_cast<std::uint8_t>(value);
  blob[at + 1] = static_cast<std::uint8_t>(value >> 8);
}
std::uint16_t Get16(const std::vector<std::uint8_t>& blob, std::size_t at) {
  return static_cast<std::uint16_t>(blob[at] | (blob[at + 1] << 8));
}

TEST_F(SavedGameTest, DamagedSlotsAreRefusedAndANewDealFollows) {
  std::mt19937 random(5);
  SolGame game = LoadGame(9);  // FreeCell
  DealAndPlay(game, 23, 40, random);
  ASSERT_GE(game.journal->Count(), 10u);
  const std::vector<std::uint8_t> good = EncodeSavedGame(game, 9);
  const Layout at(game);
  const std::uint16_t pileCount = static_cast<std::uint16_t>(game.piles.size());
  // The top card of the fullest pile.
  std::size_t top = 0;
  for (std::size_t card = 0; card < game.cards.size(); ++card) {
    if (game.cards[card].position > game.cards[top].position) top = card;
  }
  const std::size_t topAt = at.cards + 8 * top;
  const std::size_t countAt = at.piles + 32 * game.cards[top].pile + 10;
  // The newest player move of the journal.
  std::uint32_t lastMove = game.journal->Count() - 1;
  while (game.journal->Records()[lastMove].type != 0) --lastMove;
  const std::size_t moveAt = at.journal + 16 * lastMove;

  using Damage = std::function<void(std::vector<std::uint8_t>&)>;
  const std::map<std::string, Damage> damages = {
      {"one byte short", [](auto& b) { b.pop_back(); }},
      {"one byte too many", [](auto& b) { b.push_back(0); }},
      {"only the id", [](auto& b) { b.resize(2); }},
      {"another game's id", [](auto& b) { b[0] ^= 1; }},
      {"a card outside the piles", [&](auto& b) { Put16(b, topAt + 4, pileCount); }},
      {"a card in no pile", [&](auto& b) { Put16(b, topAt + 4, 0xFFFF); }},
      {"a gap in a pile", [&](auto& b) { Put16(b, topAt + 6, Get16(b, topAt + 6) + 1); }},
      {"two cards on one place", [&](auto& b) { Put16(b, topAt + 6, 0); }},
      {"a count too large", [&](auto& b) { Put16(b, countAt, Get16(b, countAt) + 1); }},
      {"a negative count", [&](auto& b) { Put16(b, countAt, 0xFFFF); }},
      {"a face-up flag of 2", [&](auto& b) { b[topAt] = 2; }},
      {"a shown flag of 7", [&](auto& b) { b[at.piles + 8] = 7; }},
      {"another fan", [&](auto& b) { b[at.piles + 4] ^= 0x10; }},
      {"a route to no pile", [&](auto& b) {
         if (Get16(b, at.pairs) > 0) Put16(b, at.pairs + 4, 0x7000);
         else b[at.won] = 9;
       }},
      {"a pair count too large", [&](auto& b) { Put16(b, at.pairs, Get16(b, at.pairs) + 1); }},
      {"a pair count of 65535", [&](auto& b) { Put16(b, at.pairs, 0xFFFF); }},
      {"a won flag of 2", [&](auto& b) { b[at.won] = 2; }},
      {"a journal count too large", [&](auto& b) { b[at.journalCount] += 1; }},
      {"a journal count of 2^32-1", [&](auto& b) { std::memset(&b[at.journalCount], 0xFF, 4); }},
      {"a journal count too small", [&](auto& b) { b[at.journalCount] -= 1; }},
      {"a record of an unknown type", [&](auto& b) { b[moveAt] = 9; }},
      {"a move from another position", [&](auto& b) { Put16(b, moveAt + 8, Get16(b, moveAt + 8) + 1); }},
      {"a move to another pile", [&](auto& b) {
         Put16(b, moveAt + 10, static_cast<std::uint16_t>((Get16(b, moveAt + 10) + 1) % pileCount));
       }},
      {"a move onto more cards", [&](auto& b) { Put16(b, moveAt + 12, Get16(b, moveAt + 12) + 1); }},
      {"a move to no pile", [&](auto& b) { Put16(b, moveAt + 10, 0xFFFF); }},
      {"an action that does not exist", [&](auto& b) {
         b[moveAt] = 1;
         Put16(b, moveAt + 6, 0xFFFF);
       }},
      {"a first record that starts no move", [&](auto& b) { b[at.journal + 4] = 0; }},
      {"a group flag of 3", [&](auto& b) { b[moveAt + 4] = 3; }},
  };
  std::uint32_t elapsed = 0;
  SolGame intact = LoadGame(9);
  ASSERT_TRUE(DecodeSavedGame(intact, good, elapsed));
  EXPECT_EQ(elapsed, 9u);

  for (const auto& [name, damage] : damages) {
    SCOPED_TRACE(name);
    std::vector<std::uint8_t> blob = good;
    damage(blob);
    ASSERT_NE(blob, good);
    SolGame target = LoadGame(9);
    elapsed = 0;
    EXPECT_FALSE(DecodeSavedGame(target, blob, elapsed));
    EXPECT_FALSE(target.HasPlayState());
    EXPECT_EQ(elapsed, 0u);

    // Through the registry the same slot is refused, and a new deal follows.
    RegistryKey key;
    ASSERT_EQ(registry_.CreateKey(SavedGameSlotPath(kTitle, 4), kAppDataClass, &key, nullptr),
              RegStatus::Success);
    std::array<std::uint8_t, 4> size{};
    for (std::size_t i = 0; i < 4; ++i) size[i] = static_cast<std::uint8_t>(blob.size() >> (8 * i));
    const std::array<std::uint8_t, 1> notFailed = {0};
    const RegValueWrite values[] = {{u"size", RegType::Dword, size},
                                    {u"data", RegType::Binary, blob},
                                    {u"failed", RegType::Binary, notFailed}};
    ASSERT_EQ(registry_.SetValues(key, values), RegStatus::Success);
    EXPECT_FALSE(RestoreGame(registry_, kTitle, target, elapsed));
    EXPECT_FALSE(target.HasPlayState());
    std::uint32_t number = 0;
    EXPECT_TRUE(StartNewGame(target, number));
    registry_.DeleteKey(SavedGameSlotPath(kTitle, 4));
  }
}

TEST_F(SavedGameTest, SizeAndDataThatDisagreeAreRefused) {
  SolGame game = LoadGame(9);
  std::uint32_t number = 3;
  ASSERT_TRUE(StartNewGame(game, number));
  ASSERT_TRUE(SaveGame(registry_, kTitle, game, 0, preferences_));
  const QString path = SavedGameSlotPath(kTitle, 9);
  RegistryKey key;
  ASSERT_EQ(registry_.OpenKey(path, &key), RegStatus::Success);
  std::uint32_t elapsed = 0;

  const std::array<std::uint8_t, 4> wrongSize = {1, 0, 0, 0};
  ASSERT_EQ(registry_.SetValue(key, u"size", RegType::Dword, wrongSize), RegStatus::Success);
  EXPECT_FALSE(RestoreGame(registry_, kTitle, game, elapsed));

  ASSERT_TRUE(StartNewGame(game, number));
  ASSERT_TRUE(SaveGame(registry_, kTitle, game, 0, preferences_));
  const std::array<std::uint8_t, 4> hugeSize = {0xFF, 0xFF, 0xFF, 0xFF};
  ASSERT_EQ(registry_.SetValue(key, u"size", RegType::Dword, hugeSize), RegStatus::Success);
  EXPECT_FALSE(RestoreGame(registry_, kTitle, game, elapsed));

  ASSERT_TRUE(StartNewGame(game, number));
  ASSERT_TRUE(SaveGame(registry_, kTitle, game, 0, preferences_));
  ASSERT_EQ(registry_.DeleteValue(key, u"size"), RegStatus::Success);
  EXPECT_FALSE(RestoreGame(registry_, kTitle, game, elapsed));
  EXPECT_FALSE(game.HasPlayState());
}

// The child: saves three games over and over, one random move between saves,
// and writes a byte on its standard output once the first save is done.
constexpr std::array<std::size_t, 3> kCrashGames = {9, 13, 2};

int RunSavingChild() {
  Registry registry;
  Preferences preferences;
  std::mt19937 random(static_cast<std::uint32_t>(getpid()));
  std::vector<SolGame> games;
  for (std::size_t index : kCrashGames) {
    games.push_back(LoadGame(index));
    std::uint32_t number = 0;
    if (!StartNewGame(games.back(), number)) return 1;
  }
  for (std::uint64_t round = 0;; ++round) {
    SolGame& game = games[round % games.size()];
    const std::vector<MoveReference> legal = ListMoves(game);
    if (legal.empty() || game.won) {
      std::uint32_t number = 0;
      StartNewGame(game, number);
    } else {
      PerformPlayerMove(game, legal[random() % legal.size()], nullptr);
    }
    if (!SaveGame(registry, kTitle, game, static_cast<std::uint32_t>(round), preferences)) return 2;
    if (round == 0 && write(STDOUT_FILENO, "s", 1) != 1) return 3;
  }
}

TEST_F(SavedGameTest, ASaveKilledAtAnyMomentLeavesNoTornSlot) {
  std::map<std::uint16_t, std::size_t> gameOfId;
  for (std::size_t index : kCrashGames) gameOfId[LoadGame(index).definition.id] = index;
  std::mt19937 random(99);
  int slotsSeen = 0;
  for (int round = 0; round < 100; ++round) {
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      dup2(ready[1], STDOUT_FILENO);
      close(ready[0]);
      execl("/proc/self/exe", "/proc/self/exe", kChildFlag, static_cast<char*>(nullptr));
      _exit(127);
    }
    close(ready[1]);
    char byte = 0;
    const bool started = read(ready[0], &byte, 1) == 1;
    close(ready[0]);
    if (started) usleep(static_cast<useconds_t>(random() % 40000));
    kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(started) << "the saving child did not start";
    ASSERT_TRUE(WIFSIGNALED(status));

    Registry registry;
    for (int slot = 0; slot < kNoSavedGameSlot; ++slot) {
      RegistryKey key;
      if (registry.OpenKey(SavedGameSlotPath(kTitle, slot), &key) != RegStatus::Success) continue;
      ++slotsSeen;
      std::array<std::uint8_t, 2> owner{};
      std::uint32_t length = owner.size();
      const RegStatus read = registry.QueryValue(key, u"data", nullptr, owner.data(), &length);
      ASSERT_TRUE(read == RegStatus::Success || read == RegStatus::MoreData) << "slot " << slot;
      const std::uint16_t id = static_cast<std::uint16_t>(owner[0] | (owner[1] << 8));
      ASSERT_EQ(gameOfId.count(id), 1u) << "slot " << slot;
      SolGame game = LoadGame(gameOfId[id]);
      std::uint32_t elapsed = 0;
      ASSERT_TRUE(RestoreGame(registry, kTitle, game, elapsed)) << "slot " << slot;
      // Let the next child's restore-free saves find the slot unmarked.
      ASSERT_TRUE(SaveGame(registry, kTitle, game, elapsed, preferences_));
    }
  }
  EXPECT_GE(slotsSeen, 100);
}

}  // namespace
}  // namespace cw

int main(int argc, char** argv) {
  if (argc >= 2 && std::string_view(argv[1]) == cw::kChildFlag) return cw::RunSavingChild();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
