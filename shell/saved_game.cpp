#include "shell/saved_game.h"

#include <array>
#include <ctime>
#include <optional>

#include "engine/rules/moves.h"

namespace cw {
namespace {

constexpr std::size_t kCardStateBytes = 8;
constexpr std::size_t kPileStateBytes = 32;
constexpr std::size_t kMovePairBytes = 4;
constexpr std::size_t kCounterBytes = 4;
constexpr std::size_t kJournalRecordBytes = 16;
// id, clock, pairCount, reserved, won flag, journalCount.
constexpr std::size_t kFixedBytes = 2 + 4 + 2 + 4 + 1 + 4;

class BlobWriter {
 public:
  explicit BlobWriter(std::size_t length) { bytes_.reserve(length); }
  void U8(std::uint8_t value) { bytes_.push_back(value); }
  void U16(std::uint16_t value) {
    U8(static_cast<std::uint8_t>(value));
    U8(static_cast<std::uint8_t>(value >> 8));
  }
  void I16(std::int16_t value) { U16(static_cast<std::uint16_t>(value)); }
  void U32(std::uint32_t value) {
    U16(static_cast<std::uint16_t>(value));
    U16(static_cast<std::uint16_t>(value >> 16));
  }
  std::vector<std::uint8_t> Take() { return std::move(bytes_); }

 private:
  std::vector<std::uint8_t> bytes_;
};

// Reads fields in order; the caller has checked the blob's length first, and
// a read past the end answers zeros rather than reading beyond the bytes.
class BlobReader {
 public:
  explicit BlobReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  std::uint8_t U8() { return offset_ < bytes_.size() ? bytes_[offset_++] : 0; }
  std::uint16_t U16() {
    const std::uint16_t low = U8();
    return static_cast<std::uint16_t>(low | (U8() << 8));
  }
  std::int16_t I16() { return static_cast<std::int16_t>(U16()); }
  std::uint32_t U32() {
    const std::uint32_t low = U16();
    return low | (static_cast<std::uint32_t>(U16()) << 16);
  }
  void Skip(std::size_t count) { offset_ += count; }
  void Seek(std::size_t offset) { offset_ = offset; }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t offset_ = 0;
};

void WriteCard(BlobWriter& out, const CardState& card) {
  out.U8(card.faceUp);
  out.U8(card.movable);
  out.U8(card.open);
  out.U8(card.reserved);
  out.U16(card.pile);
  out.U16(card.position);
}

CardState ReadCard(BlobReader& in) {
  CardState card;
  card.faceUp = in.U8();
  card.movable = in.U8();
  card.open = in.U8();
  card.reserved = in.U8();
  card.pile = in.U16();
  card.position = in.U16();
  return card;
}

void WritePile(BlobWriter& out, const PileState& pile) {
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

PileState ReadPile(BlobReader& in) {
  PileState pile;
  pile.x = in.I16();
  pile.y = in.I16();
  pile.fan = in.U32();
  pile.shown = in.U8();
  pile.reserved0 = in.U8();
  pile.count = in.I16();
  pile.acceptProgram = in.U16();
  pile.pickProgram = in.U16();
  pile.manualOpen = in.U32();
  pile.enabled = in.U8();
  for (std::uint8_t& byte : pile.reserved1) byte = in.U8();
  pile.baseRank = in.U32();
  pile.baseSuit = in.U32();
  return pile;
}

void WriteRecord(BlobWriter& out, const JournalRecord& record) {
  out.U32(record.type);
  out.U8(record.groupStart);
  out.U8(record.reserved0);
  out.U16(record.index);
  out.U16(record.value);
  out.U16(record.target);
  out.I16(record.targetCount);
  out.U16(record.reserved1);
}

JournalRecord ReadRecord(BlobReader& in) {
  JournalRecord record;
  record.type = in.U32();
  record.groupStart = in.U8();
  record.reserved0 = in.U8();
  record.index = in.U16();
  record.value = in.U16();
  record.target = in.U16();
  record.targetCount = in.I16();
  record.reserved1 = in.U16();
  return record;
}

bool IsFlag(std::uint32_t value) { return value <= 1; }
std::uint8_t AsFlag(std::uint16_t value) { return value != 0 ? 1 : 0; }

// A program number a pile can hold: one of the definition's programs, or the
// one the definition gave the pile (which may name none).
bool IsPileProgram(const GameDefinition& definition, std::uint16_t program,
                   std::uint16_t dealt) {
  return program < definition.programs.size() || program == dealt;
}

// The play state holds what a game of this definition can reach: every card in
// a pile of the table at a position without gaps or doubles, counts equal to
// the cards, flags 0 or 1, the fields no action changes as the deal made them,
// routes between real piles and counters within their range.
bool IsConsistentTable(const SolGame& game) {
  const GameDefinition& definition = game.definition;
  const std::size_t cardCount = game.cards.size();
  const std::size_t pileCount = game.piles.size();
  if (cardCount != definition.cards.size() || pileCount != definition.piles.size() ||
      game.counters.size() != definition.counters.size() || !IsFlag(game.won)) {
    return false;
  }

  std::vector<std::vector<bool>> taken(pileCount);
  for (std::size_t p = 0; p < pileCount; ++p) {
    const PileState& pile = game.piles[p];
    const PileDef& def = definition.piles[p];
    if (pile.count < 0 || static_cast<std::size_t>(pile.count) > cardCount) return false;
    taken[p].assign(static_cast<std::size_t>(pile.count), false);
    const bool baseMark = def.kind == 2;
    if (!IsFlag(pile.shown) || !IsFlag(pile.enabled) || pile.fan != def.fan ||
        pile.manualOpen != def.manualOpen || pile.baseRank > 0xFFFF ||
        pile.baseSuit != (baseMark ? def.baseSuit : 0u) ||
        !IsPileProgram(definition, pile.acceptProgram, def.acceptProgram) ||
        !IsPileProgram(definition, pile.pickProgram, def.pickProgram)) {
      return false;
    }
  }
  std::size_t placed = 0;
  for (const CardState& card : game.cards) {
    if (!IsFlag(card.faceUp) || !IsFlag(card.movable) || !IsFlag(card.open)) return false;
    if (card.pile >= pileCount) return false;
    std::vector<bool>& places = taken[card.pile];
    if (card.position >= places.size() || places[card.position]) return false;
    places[card.position] = true;
    ++placed;
  }
  // Every card sits on a place of its own, so the counts add up exactly when
  // every place is taken.
  std::size_t places = 0;
  for (const std::vector<bool>& pile : taken) places += pile.size();
  if (places != placed) return false;

  for (const MovePair& route : game.allowedMoves) {
    if ((route.source != kNoReference && route.source >= pileCount) ||
        (route.destination != kNoReference && route.destination >= pileCount)) {
      return false;
    }
  }
  for (std::size_t k = 0; k < game.counters.size(); ++k) {
    const CounterState& counter = game.counters[k];
    const CounterDef& def = definition.counters[k];
    if (counter.exhaustedEvent != def.exhaustedEvent || counter.value > def.initialValue) {
      return false;
    }
  }
  return true;
}

std::int16_t CountOf(const SolGame& game, std::uint16_t pile) { return game.piles[pile].count; }

// What a journal record needs of the table to be the newest change made to
// it, and what undoing it must leave; checked around each undo step.
class RecordCheck {
 public:
  RecordCheck(const SolGame& game, const JournalRecord& record) : record_(record) {
    const GameDefinition& definition = game.definition;
    const std::size_t pileCount = game.piles.size();
    switch (static_cast<JournalType>(record.type)) {
      case JournalType::kPlayerMove:
        // A card is never dropped on its own pile. The source held `value`
        // cards after the pick-up; the destination held `targetCount` and
        // gained at least one.
        valid_ = record.index < pileCount && record.target < pileCount &&
                 record.index != record.target && record.targetCount >= 0 &&
                 CountOf(game, record.index) == record.value &&
                 CountOf(game, record.target) > record.targetCount;
        expectTarget_ = record.targetCount;
        break;
      case JournalType::kAction:
        valid_ = record.index < definition.actions.size() &&
                 CheckAction(game, definition.actions[record.index]);
        break;
      case JournalType::kOpenChanged:
        valid_ = record.index < game.cards.size();
        break;
      case JournalType::kCounterUsed:
        valid_ = record.index < game.counters.size() &&
                 game.counters[record.index].value < definition.counters[record.index].initialValue;
        break;
      default:
        valid_ = false;
        break;
    }
  }

  bool ValidBefore() const { return valid_; }

  bool ValidAfter(const SolGame& game) const {
    if (expectTarget_ && CountOf(game, record_.target) != *expectTarget_) return false;
    if (movedFrom_ && CountOf(game, *movedFrom_) != *expectSource_) return false;
    if (movedTo_ && CountOf(game, *movedTo_) != *expectDestination_) return false;
    return true;
  }

 private:
  bool CheckAction(const SolGame& game, const ActionDef& action) {
    const std::size_t pileCount = game.piles.size();
    const std::uint16_t recorded = record_.value;
    switch (static_cast<ActionType>(action.type)) {
      case ActionType::kMoveCards: {
        if (action.pile >= pileCount || action.destPile >= pileCount) return false;
        int moved = 0;
        if (action.mode == 0) {
          moved = recorded - action.to - action.from;
        } else if (action.mode == 1 || action.mode == 2) {
          moved = recorded;
        } else {
          return false;  // moves no card, so it is never recorded
        }
        if (moved <= 0) return false;
        if (action.pile == action.destPile) return true;
        if (CountOf(game, action.destPile) < moved) return false;
        movedFrom_ = action.pile;
        movedTo_ = action.destPile;
        expectSource_ = static_cast<std::int16_t>(CountOf(game, action.pile) + moved);
        expectDestination_ = static_cast<std::int16_t>(CountOf(game, action.destPile) - moved);
        // A mode 0 move took everything but its margins from a pile of `recorded` cards.
        return action.mode != 0 || *expectSource_ == recorded;
      }
      case ActionType::kPileAttribute: {
        if (action.pile >= pileCount) return false;
        const PileState& pile = game.piles[action.pile];
        switch (action.attribute) {
          case kPileShown:
            return pile.shown == AsFlag(action.value);
          case kPileEnabled:
            return pile.enabled == AsFlag(action.value);
          case kPileReverse:
            return true;
          case kPileAcceptProgram:
            return pile.acceptProgram == action.value;
          case kPilePickProgram:
            return pile.pickProgram == action.value;
          case kPileValue:
            return pile.baseRank == action.value;
          case kPileShuffle:
            return pile.count > 0;
          default:
            return false;  // changes nothing, so it is never recorded
        }
      }
      case ActionType::kCardAttribute:
        return action.pile < pileCount &&
               (action.attribute == kCardFaceUp || action.attribute == kCardMovable ||
                action.attribute == kCardOpen);
      case ActionType::kDenyRoute:
      case ActionType::kAllowRoute:
        return true;
      case ActionType::kGameWon:
        return game.won == 1 && IsFlag(recorded);
      case ActionType::kResetCounter:
        return action.pile < game.counters.size() &&
               game.counters[action.pile].value ==
                   game.definition.counters[action.pile].initialValue &&
               recorded <= game.definition.counters[action.pile].initialValue;
    }
    return false;
  }

  JournalRecord record_;
  bool valid_ = false;
  std::optional<std::int16_t> expectTarget_;
  std::optional<std::uint16_t> movedFrom_;
  std::optional<std::uint16_t> movedTo_;
  std::optional<std::int16_t> expectSource_;
  std::optional<std::int16_t> expectDestination_;
};

// Undoes a copy of the restored game record by record back to its first
// move: every record must fit the table it undoes, and the table reached must
// still be consistent.
bool UndoesCleanly(const SolGame& restored) {
  const MoveJournal& journal = *restored.journal;
  if (!journal.Empty() && journal[0].groupStart != 1) return false;
  for (const JournalRecord& record : journal.Records()) {
    if (!IsFlag(record.groupStart)) return false;
  }
  SolGame copy = restored;
  copy.onJournalAppend = nullptr;
  while (!copy.journal->Empty()) {
    const RecordCheck check(copy, copy.journal->Back());
    if (!check.ValidBefore()) return false;
    UndoStep(copy);
    if (!check.ValidAfter(copy)) return false;
  }
  return IsConsistentTable(copy);
}

void StoreU32(std::array<std::uint8_t, 4>& bytes, std::uint32_t value) {
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    bytes[i] = static_cast<std::uint8_t>(value >> (8 * i));
  }
}

}  // namespace

QString SavedGameSlotPath(QStringView programTitle, int slot) {
  return ApplicationKey(programTitle) + QStringLiteral("\\gameState") + QString::number(slot);
}

std::vector<std::uint8_t> EncodeSavedGame(const SolGame& game, std::uint32_t elapsedSeconds) {
  const MoveJournal& journal = *game.journal;
  const std::size_t length = kFixedBytes + kCardStateBytes * game.cards.size() +
                             kPileStateBytes * game.piles.size() +
                             kMovePairBytes * game.allowedMoves.size() +
                             kCounterBytes * game.counters.size() +
                             kJournalRecordBytes * journal.Count();
  BlobWriter out(length);
  out.U16(game.definition.id);
  out.U32(elapsedSeconds);
  for (const CardState& card : game.cards) WriteCard(out, card);
  for (const PileState& pile : game.piles) WritePile(out, pile);
  out.U16(static_cast<std::uint16_t>(game.allowedMoves.size()));
  for (const MovePair& route : game.allowedMoves) {
    out.U16(route.source);
    out.U16(route.destination);
  }
  for (const CounterState& counter : game.counters) {
    out.U16(counter.value);
    out.U16(counter.exhaustedEvent);
  }
  out.U32(0);  // reserved
  out.U8(game.won);
  out.U32(journal.Count());
  for (const JournalRecord& record : journal.Records()) WriteRecord(out, record);
  return out.Take();
}

bool DecodeSavedGame(SolGame& game, std::span<const std::uint8_t> blob,
                     std::uint32_t& elapsedSeconds) {
  game.FreePlayState();
  const GameDefinition& definition = game.definition;
  const std::size_t cardCount = definition.cards.size();
  const std::size_t pileCount = definition.piles.size();
  const std::size_t counterCount = definition.counters.size();
  const std::size_t pairsAt = 6 + kCardStateBytes * cardCount + kPileStateBytes * pileCount;
  const std::size_t least = kFixedBytes + kCardStateBytes * cardCount +
                            kPileStateBytes * pileCount + kCounterBytes * counterCount;
  if (!game.HasDefinition() || blob.size() < least || blob.size() > kMaxSavedGameBytes) {
    return false;
  }

  BlobReader in(blob);
  if (in.U16() != definition.id) return false;
  const std::uint32_t clock = in.U32();
  in.Seek(pairsAt);
  const std::uint16_t pairCount = in.U16();
  const std::size_t journalCountAt =
      pairsAt + 2 + kMovePairBytes * pairCount + kCounterBytes * counterCount + 4 + 1;
  if (journalCountAt + 4 > blob.size()) return false;
  in.Seek(journalCountAt);
  const std::uint64_t journalCount = in.U32();
  if (journalCountAt + 4 + kJournalRecordBytes * journalCount != blob.size()) return false;

  SolGame restored;
  restored.definition = definition;
  in.Seek(6);
  restored.cards.reserve(cardCount);
  for (std::size_t i = 0; i < cardCount; ++i) restored.cards.push_back(ReadCard(in));
  restored.piles.reserve(pileCount);
  for (std::size_t i = 0; i < pileCount; ++i) {
    PileState pile = ReadPile(in);
    // Pixel places belong to this display, not to the one the game was saved on.
    pile.x = definition.piles[i].x;
    pile.y = definition.piles[i].y;
    restored.piles.push_back(pile);
  }
  in.Skip(2);
  restored.allowedMoves.reserve(pairCount);
  for (std::size_t i = 0; i < pairCount; ++i) {
    MovePair route;
    route.source = in.U16();
    route.destination = in.U16();
    restored.allowedMoves.push_back(route);
  }
  restored.counters.reserve(counterCount);
  for (std::size_t i = 0; i < counterCount; ++i) {
    CounterState counter;
    counter.value = in.U16();
    counter.exhaustedEvent = in.U16();
    restored.counters.push_back(counter);
  }
  in.Skip(4);  // reserved
  restored.won = in.U8();
  in.Skip(4);
  restored.journal.emplace();
  for (std::uint64_t i = 0; i < journalCount; ++i) restored.journal->Append(ReadRecord(in));

  if (!IsConsistentTable(restored) || !UndoesCleanly(restored)) return false;

  game.journal = std::move(restored.journal);
  game.cards = std::move(restored.cards);
  game.piles = std::move(restored.piles);
  game.allowedMoves = std::move(restored.allowedMoves);
  game.counters = std::move(restored.counters);
  game.won = restored.won;
  elapsedSeconds = clock;
  return true;
}

int FindSlot(Registry& registry, QStringView programTitle, std::uint16_t id) {
  for (int slot = 0; slot < kNoSavedGameSlot; ++slot) {
    RegistryKey key;
    if (registry.OpenKey(SavedGameSlotPath(programTitle, slot), &key) != RegStatus::Success) {
      continue;
    }
    std::array<std::uint8_t, 2> owner{};
    std::uint32_t size = owner.size();
    const RegStatus status = registry.QueryValue(key, u"data", nullptr, owner.data(), &size);
    const bool read = (status == RegStatus::Success || status == RegStatus::MoreData) &&
                      size >= owner.size();
    if (read && static_cast<std::uint16_t>(owner[0] | (owner[1] << 8)) == id) return slot;
  }
  return kNoSavedGameSlot;
}

bool SaveGame(Registry& registry, QStringView programTitle, const SolGame& game,
              std::uint32_t elapsedSeconds, Preferences& preferences) {
  if (!game.HasDefinition() || !game.HasPlayState()) return false;
  int slot = FindSlot(registry, programTitle, game.definition.id);
  if (slot == kNoSavedGameSlot) {
    // The oldest stamp; among equal stamps the highest slot, so that slots are
    // first taken from 9 downwards.
    slot = 0;
    for (int s = 0; s < kNoSavedGameSlot; ++s) {
      if (preferences.lastPlayed[static_cast<std::size_t>(s)] <=
          preferences.lastPlayed[static_cast<std::size_t>(slot)]) {
        slot = s;
      }
    }
  }
  RegistryKey key;
  if (registry.CreateKey(SavedGameSlotPath(programTitle, slot), kAppDataClass, &key, nullptr) !=
      RegStatus::Success) {
    return false;
  }
  const std::vector<std::uint8_t> blob = EncodeSavedGame(game, elapsedSeconds);
  std::array<std::uint8_t, 4> size{};
  StoreU32(size, static_cast<std::uint32_t>(blob.size()));
  const std::array<std::uint8_t, 1> notFailed = {0};
  const RegValueWrite values[] = {{u"size", RegType::Dword, size},
                                  {u"data", RegType::Binary, blob},
                                  {u"failed", RegType::Binary, notFailed}};
  if (registry.SetValues(key, values) != RegStatus::Success) return false;
  preferences.lastPlayed[static_cast<std::size_t>(slot)] =
      static_cast<std::uint32_t>(std::time(nullptr));
  return true;
}

bool SaveGameAndPreferences(Registry& registry, QStringView programTitle, const SolGame* game,
                            std::uint32_t elapsedSeconds, Preferences& preferences) {
  if (registry.BeginBatch() != RegStatus::Success) return false;
  if (game != nullptr) SaveGame(registry, programTitle, *game, elapsedSeconds, preferences);
  SavePreferences(registry, programTitle, preferences);
  return registry.CommitBatch() == RegStatus::Success;
}

bool RestoreGame(Registry& registry, QStringView programTitle, SolGame& game,
                 std::uint32_t& elapsedSeconds) {
  game.FreePlayState();
  if (!game.HasDefinition()) return false;
  const int slot = FindSlot(registry, programTitle, game.definition.id);
  if (slot == kNoSavedGameSlot) return false;
  const QString path = SavedGameSlotPath(programTitle, slot);
  RegistryKey key;
  if (registry.OpenKey(path, &key) != RegStatus::Success) return false;

  std::array<std::uint8_t, 1> failed{};
  std::uint32_t failedSize = failed.size();
  if (registry.QueryValue(key, u"failed", nullptr, failed.data(), &failedSize) ==
          RegStatus::Success &&
      failedSize == 1 && failed[0] != 0) {
    // The last restore of this slot was never followed by a save.
    registry.DeleteKey(path);
    return false;
  }
  const std::array<std::uint8_t, 1> marker = {1};
  registry.SetValue(key, u"failed", RegType::Binary, marker);

  std::array<std::uint8_t, 4> sizeBytes{};
  std::uint32_t sizeLength = sizeBytes.size();
  if (registry.QueryValue(key, u"size", nullptr, sizeBytes.data(), &sizeLength) !=
          RegStatus::Success ||
      sizeLength != sizeBytes.size()) {
    return false;
  }
  const std::uint32_t size = static_cast<std::uint32_t>(sizeBytes[0]) |
                             (static_cast<std::uint32_t>(sizeBytes[1]) << 8) |
                             (static_cast<std::uint32_t>(sizeBytes[2]) << 16) |
                             (static_cast<std::uint32_t>(sizeBytes[3]) << 24);
  if (size > kMaxSavedGameBytes) return false;
  std::vector<std::uint8_t> blob(size);
  std::uint32_t read = size;
  if (registry.QueryValue(key, u"data", nullptr, blob.data(), &read) != RegStatus::Success ||
      read != size) {
    return false;
  }
  return DecodeSavedGame(game, blob, elapsedSeconds);
}

}  // namespace cw
