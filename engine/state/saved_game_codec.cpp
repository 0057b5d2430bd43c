#include "engine/state/saved_game_codec.h"

#include <utility>

#include "engine/database/byte_io.h"
#include "engine/state/table_check.h"

namespace cw {
namespace {

constexpr std::size_t kCardStateBytes = 8;
constexpr std::size_t kPileStateBytes = 32;
constexpr std::size_t kMovePairBytes = 4;
constexpr std::size_t kCounterBytes = 4;
constexpr std::size_t kJournalRecordBytes = 16;
// id, clock, route count, reserved, won flag, journal count.
constexpr std::size_t kFixedBytes = 2 + 4 + 2 + 4 + 1 + 4;

void WriteCard(ByteWriter& out, const CardState& card) {
  out.U8(card.faceUp);
  out.U8(card.movable);
  out.U8(card.open);
  out.U8(card.reserved);
  out.U16(card.pile);
  out.U16(card.position);
}

bool ReadCard(ByteReader& in, CardState& card) {
  return in.U8(card.faceUp) && in.U8(card.movable) && in.U8(card.open) && in.U8(card.reserved) &&
         in.U16(card.pile) && in.U16(card.position);
}

void WritePile(ByteWriter& out, const PileState& pile) {
  out.I16(pile.x);
  out.I16(pile.y);
  out.U32(pile.fan);
  out.U8(pile.shown);
  out.U8(pile.reserved0);
  out.I16(pile.count);
  out.U16(pile.acceptProgram);
  out.U16(pile.pickProgram);
  out.U32(pile.manualOpen);
  out.U8(pile.enabled);
  for (std::uint8_t byte : pile.reserved1) out.U8(byte);
  out.U32(pile.baseRank);
  out.U32(pile.baseSuit);
}

bool ReadPile(ByteReader& in, PileState& pile) {
  if (!in.I16(pile.x) || !in.I16(pile.y) || !in.U32(pile.fan) || !in.U8(pile.shown) ||
      !in.U8(pile.reserved0) || !in.I16(pile.count) || !in.U16(pile.acceptProgram) ||
      !in.U16(pile.pickProgram) || !in.U32(pile.manualOpen) || !in.U8(pile.enabled)) {
    return false;
  }
  for (std::uint8_t& byte : pile.reserved1) {
    if (!in.U8(byte)) return false;
  }
  return in.U32(pile.baseRank) && in.U32(pile.baseSuit);
}

void WriteRoute(ByteWriter& out, const MovePair& route) {
  out.U16(route.source);
  out.U16(route.destination);
}

bool ReadRoute(ByteReader& in, MovePair& route) {
  return in.U16(route.source) && in.U16(route.destination);
}

void WriteCounter(ByteWriter& out, const CounterState& counter) {
  out.U16(counter.value);
  out.U16(counter.exhaustedEvent);
}

bool ReadCounter(ByteReader& in, CounterState& counter) {
  return in.U16(counter.value) && in.U16(counter.exhaustedEvent);
}

void WriteRecord(ByteWriter& out, const JournalRecord& record) {
  out.U32(record.type);
  out.U8(record.groupStart);
  out.U8(record.reserved0);
  out.U16(record.index);
  out.U16(record.value);
  out.U16(record.target);
  out.I16(record.targetCount);
  out.U16(record.reserved1);
}

bool ReadRecord(ByteReader& in, JournalRecord& record) {
  return in.U32(record.type) && in.U8(record.groupStart) && in.U8(record.reserved0) &&
         in.U16(record.index) && in.U16(record.value) && in.U16(record.target) &&
         in.I16(record.targetCount) && in.U16(record.reserved1);
}

// Reads `count` items of `itemBytes` each into `items`, refusing a count the
// remaining bytes cannot hold before reserving room for it.
template <typename Item, typename Read>
bool ReadItems(ByteReader& in, std::size_t count, std::size_t itemBytes, std::vector<Item>& items,
               Read read) {
  if (in.Remaining() / itemBytes < count) return false;
  items.resize(count);
  for (Item& item : items) {
    if (!read(in, item)) return false;
  }
  return true;
}

// The play state held by `bytes` as stored, before any check of what it means.
bool ReadPlayState(std::span<const std::uint8_t> bytes, const GameDefinition& definition,
                   SolGame& restored, std::uint32_t& elapsedSeconds) {
  ByteReader in(bytes);
  std::uint16_t owner = 0;
  if (!in.U16(owner) || owner != definition.id || !in.U32(elapsedSeconds)) return false;
  if (!ReadItems(in, definition.cards.size(), kCardStateBytes, restored.cards, ReadCard) ||
      !ReadItems(in, definition.piles.size(), kPileStateBytes, restored.piles, ReadPile)) {
    return false;
  }
  std::uint16_t routeCount = 0;
  if (!in.U16(routeCount) ||
      !ReadItems(in, routeCount, kMovePairBytes, restored.allowedMoves, ReadRoute) ||
      !ReadItems(in, definition.counters.size(), kCounterBytes, restored.counters, ReadCounter)) {
    return false;
  }
  std::uint32_t reserved = 0;
  std::uint32_t journalCount = 0;
  if (!in.U32(reserved) || !in.U8(restored.won) || !in.U32(journalCount)) return false;
  // The journal runs exactly to the end of the bytes.
  if (in.Remaining() % kJournalRecordBytes != 0 ||
      in.Remaining() / kJournalRecordBytes != journalCount) {
    return false;
  }
  restored.journal.emplace();
  JournalRecord record;
  while (in.Remaining() > 0) {
    if (!ReadRecord(in, record)) return false;
    restored.journal->Append(record);
  }
  return true;
}

}  // namespace

std::optional<std::uint16_t> SavedGameOwner(std::span<const std::uint8_t> bytes) {
  ByteReader in(bytes);
  std::uint16_t owner = 0;
  if (!in.U16(owner)) return std::nullopt;
  return owner;
}

std::vector<std::uint8_t> EncodeSavedGame(const SolGame& game, std::uint32_t elapsedSeconds) {
  const MoveJournal& journal = *game.journal;
  ByteWriter out;
  out.Reserve(kFixedBytes + kCardStateBytes * game.cards.size() +
              kPileStateBytes * game.piles.size() + kMovePairBytes * game.allowedMoves.size() +
              kCounterBytes * game.counters.size() + kJournalRecordBytes * journal.Count());
  out.U16(game.definition.id);
  out.U32(elapsedSeconds);
  for (const CardState& card : game.cards) WriteCard(out, card);
  for (const PileState& pile : game.piles) WritePile(out, pile);
  out.U16(static_cast<std::uint16_t>(game.allowedMoves.size()));
  for (const MovePair& route : game.allowedMoves) WriteRoute(out, route);
  for (const CounterState& counter : game.counters) WriteCounter(out, counter);
  out.U32(0);  // reserved
  out.U8(game.won);
  out.U32(journal.Count());
  for (const JournalRecord& record : journal.Records()) WriteRecord(out, record);
  return out.Take();
}

bool DecodeSavedGame(SolGame& game, std::span<const std::uint8_t> bytes,
                     std::uint32_t& elapsedSeconds) {
  game.FreePlayState();
  if (!game.HasDefinition() || bytes.size() > kMaxSavedGameBytes) return false;
  const GameDefinition& definition = game.definition;

  SolGame restored;
  restored.definition = definition;
  std::uint32_t clock = 0;
  if (!ReadPlayState(bytes, definition, restored, clock)) return false;
  for (std::size_t p = 0; p < restored.piles.size(); ++p) {
    restored.piles[p].x = definition.piles[p].x;
    restored.piles[p].y = definition.piles[p].y;
  }
  if (!CheckTable(restored) || !CheckJournal(restored)) return false;

  game.journal = std::move(restored.journal);
  game.cards = std::move(restored.cards);
  game.piles = std::move(restored.piles);
  game.allowedMoves = std::move(restored.allowedMoves);
  game.counters = std::move(restored.counters);
  game.won = restored.won;
  elapsedSeconds = clock;
  return true;
}

}  // namespace cw
