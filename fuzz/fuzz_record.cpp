// Arbitrary bytes as a game record: decode, parse, deal, play a few legal
// moves with their automatic events and undo them all. Nothing may crash,
// hang or leak, whatever the record says.
#include <cstddef>
#include <cstdint>
#include <span>

#include "engine/model/sol_game.h"
#include "engine/rules/automatic_events.h"
#include "engine/rules/moves.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return 0;
  const std::uint32_t number = data[0] | (data[1] << 8) | (data[2] << 16) | (std::uint32_t{data[3]} << 24);
  cw::SolGame game;
  if (!cw::ParseDefinition(game, std::span(data + 4, size - 4), cw::DisplayMetrics{})) return 0;
  // The engine's work grows with the size of a record (every move search
  // runs the programs over each card and pile); keep each input fast.
  const cw::GameDefinition& d = game.definition;
  if (d.cards.size() > 128 || d.piles.size() > 32 || d.eventKinds.size() > 256 ||
      d.eventActions.size() > 1024 || d.eventConditions.size() > 1024) {
    return 0;
  }
  std::uint32_t dealt = number == 0 ? 1 : number;
  if (!cw::StartNewGame(game, dealt)) return 0;
  for (std::uint32_t step = 0; step < 8; ++step) {
    const auto move = cw::FindMove(game, step % 3);
    if (!move) break;
    const bool made = move->IsTap() ? cw::TapPile(game, move->source, nullptr)
                                    : cw::DropCards(game, move->source, move->destination, nullptr);
    if (made) cw::RunAutomaticEvents(game, nullptr);
  }
  std::uint16_t hint = 0;
  cw::NextHint(game, hint);
  while (game.journal && !game.journal->Empty()) cw::UndoMove(game);
  return 0;
}
