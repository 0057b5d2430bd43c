#include "engine/model/sol_game.h"

#include "engine/model/card_index.h"

namespace cw {

namespace {

int ScaleByDpi(int logPixels, int value) { return (logPixels * value + 48) / 96; }

}  // namespace

CardMetrics ComputeCardMetrics(std::uint16_t layoutVariant, const DisplayMetrics& display) {
  const bool largeCards = layoutVariant == 1;
  CardMetrics metrics = largeCards ? CardMetrics{26, 35, 12, 12} : CardMetrics{20, 27, 9, 9};
  if (display.vgaBuild) {
    metrics.cardWidth = ScaleByDpi(display.logPixelsX, metrics.cardWidth);
    metrics.cardHeight = ScaleByDpi(display.logPixelsY, metrics.cardHeight);
    metrics.fanStepX = ScaleByDpi(display.logPixelsX, metrics.fanStepX);
    metrics.fanStepY = ScaleByDpi(display.logPixelsY, metrics.fanStepY);
  }
  return metrics;
}

std::optional<std::uint16_t> SolGame::CardAt(std::uint16_t pile, std::uint16_t position) const {
  return CardAtPlace(*this, pile, position);
}

std::optional<std::uint16_t> SolGame::TopCard(std::uint16_t pile) const {
  if (pile >= piles.size() || piles[pile].count <= 0) return std::nullopt;
  return CardAt(pile, static_cast<std::uint16_t>(piles[pile].count - 1));
}

std::uint32_t SolGame::AppendJournal(const JournalRecord& record) {
  // A record is never dropped: without a journal (no deal yet) one is started.
  if (!journal) journal.emplace();
  const std::uint32_t index = journal->Append(record);
  if (onJournalAppend) onJournalAppend();
  return index;
}

void SolGame::FreePlayState() {
  journal.reset();
  cards = {};
  piles = {};
  allowedMoves = {};
  counters = {};
}

void SolGame::FreeGame() {
  FreePlayState();
  definition = GameDefinition{};
}

}  // namespace cw
