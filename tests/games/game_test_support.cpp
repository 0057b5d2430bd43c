#include "tests/games/game_test_support.h"

#include <algorithm>

#include "engine/database/catalogue.h"
#include "engine/database/embedded_resources.h"
#include "engine/database/record_loader.h"
#include "engine/rules/moves.h"
#include "engine/rules/player_move.h"
#include "engine/state/table_check.h"

namespace cw::testing {

std::optional<SolGame> LoadGame(const std::string& name) {
  const Catalogue catalogue = LoadCatalogue(EmbeddedGameResources());
  for (std::size_t i = 0; i < catalogue.entries.size(); ++i) {
    if (catalogue.entries[i].name != name) continue;
    const auto record = LoadDefinitionRecord(EmbeddedGameResources(), static_cast<std::uint16_t>(i));
    if (!record) return std::nullopt;
    SolGame game;
    if (!ParseDefinition(game, *record, DisplayMetrics{})) return std::nullopt;
    return game;
  }
  return std::nullopt;
}

std::optional<SolGame> DealGame(const std::string& name, std::uint32_t number) {
  auto game = LoadGame(name);
  if (!game || !StartNewGame(*game, number)) return std::nullopt;
  return game;
}

std::vector<std::uint16_t> PileCards(const SolGame& game, std::uint16_t pile) {
  std::vector<std::uint16_t> cards(static_cast<std::size_t>(std::max<int>(game.piles[pile].count, 0)),
                                   kNoReference);
  for (std::size_t card = 0; card < game.cards.size(); ++card) {
    const CardState& state = game.cards[card];
    if (state.pile == pile && state.position < cards.size()) cards[state.position] = static_cast<std::uint16_t>(card);
  }
  return cards;
}

void ArrangePile(SolGame& game, std::uint16_t pile, const std::vector<std::uint16_t>& cards) {
  for (std::uint16_t card : cards) {
    CardState& state = game.cards[card];
    const std::uint16_t from = state.pile;
    const std::uint16_t position = state.position;
    for (CardState& other : game.cards) {
      if (other.pile == from && other.position > position) --other.position;
    }
    --game.piles[from].count;
    state.pile = pile;
    state.position = static_cast<std::uint16_t>(game.piles[pile].count++);
    state.faceUp = 1;
    state.movable = 1;
  }
  UpdateOpenFlags(game, false);
}

std::vector<MoveReference> LegalMoves(const SolGame& game) { return ListMoves(game); }

bool Play(SolGame& game, const MoveReference& move) { return PerformPlayerMove(game, move, nullptr); }

PlaySnapshot Snapshot(const SolGame& game) {
  return {game.cards, game.piles, game.allowedMoves, game.counters, game.won,
          game.journal ? game.journal->Count() : 0};
}

::testing::AssertionResult TableIsConsistent(const SolGame& game) {
  const TableCheck check = CheckTable(game);
  if (!check) return ::testing::AssertionFailure() << check.Problem();
  return ::testing::AssertionSuccess();
}

PlayOutResult PlayOut(SolGame& game, int maxMoves, std::mt19937& rng,
                      const std::vector<std::uint16_t>& preferredPiles, bool checkUndo) {
  PlayOutResult result;
  while (result.moves < maxMoves && !game.won) {
    const auto moves = LegalMoves(game);
    if (moves.empty()) {
      result.stuck = true;
      break;
    }
    MoveReference pick = moves[rng() % moves.size()];
    for (const auto& move : moves) {
      if (!move.IsTap() && std::find(preferredPiles.begin(), preferredPiles.end(), move.destination) !=
                               preferredPiles.end()) {
        pick = move;
        break;
      }
    }
    const PlaySnapshot before = Snapshot(game);
    if (!Play(game, pick)) {
      ADD_FAILURE() << "a listed move was refused: " << pick.source << ":" << pick.destination;
      break;
    }
    if (checkUndo) {
      UndoMove(game);
      EXPECT_EQ(Snapshot(game), before) << "undo of " << pick.source << ":" << pick.destination;
      if (!Play(game, pick)) {
        ADD_FAILURE() << "a move refused after its undo";
        break;
      }
    }
    ++result.moves;
  }
  result.won = game.won != 0;
  return result;
}

}  // namespace cw::testing
