// Saved games written by earlier versions of the program still load, and
// write back to the very same bytes; the bytes keep their documented layout.
#include "engine/state/saved_game_codec.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "engine/database/catalogue.h"
#include "engine/database/embedded_resources.h"
#include "engine/database/record_loader.h"
#include "engine/rules/moves.h"
#include "tests/games/game_test_support.h"

namespace cw {
namespace {

// The bytes of a hex file: two digits a byte, line breaks anywhere between.
std::vector<std::uint8_t> ReadHex(const std::filesystem::path& path) {
  std::ifstream file(path);
  std::vector<std::uint8_t> bytes;
  std::string digits;
  for (std::string line; std::getline(file, line);) digits += line;
  for (std::size_t i = 0; i + 1 < digits.size(); i += 2) {
    bytes.push_back(static_cast<std::uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
  }
  return bytes;
}

// The parsed definition whose id is `id`; a game without one when none is.
SolGame GameWithId(std::uint16_t id) {
  for (std::size_t index = 0; index < kCatalogueSize; ++index) {
    const auto record =
        LoadDefinitionRecord(EmbeddedGameResources(), static_cast<std::uint16_t>(index));
    SolGame game;
    if (record && ParseDefinition(game, *record, DisplayMetrics{}) && game.definition.id == id) {
      return game;
    }
  }
  return SolGame{};
}

TEST(SavedGameCodec, StoredGamesLoadAndWriteBackTheSameBytes) {
  int fixtures = 0;
  for (const auto& entry : std::filesystem::directory_iterator(CARDWRIGHT_SAVED_GAMES_DIR)) {
    SCOPED_TRACE(entry.path().filename().string());
    const std::vector<std::uint8_t> stored = ReadHex(entry.path());
    const auto owner = SavedGameOwner(stored);
    ASSERT_TRUE(owner.has_value());
    SolGame game = GameWithId(*owner);
    ASSERT_TRUE(game.HasDefinition());

    std::uint32_t elapsed = 0;
    ASSERT_TRUE(DecodeSavedGame(game, stored, elapsed));
    EXPECT_EQ(EncodeSavedGame(game, elapsed), stored);
    // The whole history is there to take back.
    while (UndoMove(game)) {
    }
    EXPECT_TRUE(game.journal->Empty());
    ++fixtures;
  }
  EXPECT_GE(fixtures, 6);
}

TEST(SavedGameCodec, TheOwnerIsReadFromTheFirstTwoBytes) {
  const std::vector<std::uint8_t> bytes = {0xB0, 0x00, 0x7F};
  EXPECT_EQ(SavedGameOwner(bytes), 176);
  EXPECT_EQ(SavedGameOwner(std::span(bytes).first(1)), std::nullopt);
  EXPECT_EQ(SavedGameOwner({}), std::nullopt);
}

TEST(SavedGameCodec, AGameWithoutADefinitionOrTooManyBytesIsRefused) {
  std::optional<SolGame> dealt = testing::DealGame("FreeCell", 5);
  ASSERT_TRUE(dealt.has_value());
  const std::vector<std::uint8_t> bytes = EncodeSavedGame(*dealt, 3);

  SolGame bare;
  std::uint32_t elapsed = 7;
  EXPECT_FALSE(DecodeSavedGame(bare, bytes, elapsed));
  EXPECT_EQ(elapsed, 7u);

  // A journal of a million records is refused by length alone, unread.
  std::vector<std::uint8_t> huge = bytes;
  huge.resize(kMaxSavedGameBytes + 1);
  SolGame game = *dealt;
  EXPECT_FALSE(DecodeSavedGame(game, huge, elapsed));
  EXPECT_FALSE(game.HasPlayState());
  EXPECT_EQ(elapsed, 7u);
}

TEST(SavedGameCodec, PilePlacesComeFromThisDisplay) {
  std::optional<SolGame> game = testing::DealGame("FreeCell", 8);
  ASSERT_TRUE(game.has_value());
  std::mt19937 random(8);
  testing::PlayOut(*game, 20, random, {});
  std::vector<std::uint8_t> bytes = EncodeSavedGame(*game, 0);
  // x and y of the first pile state, as another display placed it.
  const std::size_t pileAt = 6 + 8 * game->cards.size();
  bytes[pileAt] ^= 0x11;
  bytes[pileAt + 2] ^= 0x22;

  SolGame resumed = *game;
  std::uint32_t elapsed = 0;
  ASSERT_TRUE(DecodeSavedGame(resumed, bytes, elapsed));
  EXPECT_EQ(resumed.piles, game->piles);
  EXPECT_EQ(resumed.journal->Records(), game->journal->Records());
}

}  // namespace
}  // namespace cw
