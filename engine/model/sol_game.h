// The engine object: the parsed definition of the game being played and the
// play state of the table (where every card lies, the piles, the allowed
// routes, the counters, the won flag and the undo journal).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "engine/database/record_layout.h"
#include "engine/model/definition_index.h"
#include "engine/model/move_journal.h"
#include "engine/model/runtime_random.h"

namespace cw {

// One per card, index = card number. The byte layout is that of saved games.
struct CardState {
  std::uint8_t faceUp = 0;
  std::uint8_t movable = 0;
  std::uint8_t open = 0;  // may receive dropped cards
  std::uint8_t reserved = 0;
  std::uint16_t pile = 0;
  std::uint16_t position = 0;  // 0 = bottom card
  bool operator==(const CardState&) const = default;
};
static_assert(sizeof(CardState) == 8);

// One per pile, index = pile number. The byte layout is that of saved games.
struct PileState {
  std::int16_t x = 0;
  std::int16_t y = 0;
  std::uint32_t fan = 0;
  std::uint8_t shown = 0;
  std::uint8_t reserved0 = 0;
  std::int16_t count = 0;
  std::uint16_t acceptProgram = 0;
  std::uint16_t pickProgram = 0;
  std::uint32_t manualOpen = 0;
  std::uint8_t enabled = 0;
  std::array<std::uint8_t, 3> reserved1{};
  // PileKind::kBase: the base rank. Other kinds: pileValue in the low 16 bits.
  std::uint32_t baseRank = 0;
  std::uint32_t baseSuit = 0;  // PileKind::kBase only; 0 otherwise

  std::uint16_t PileValue() const { return static_cast<std::uint16_t>(baseRank); }
  bool operator==(const PileState&) const = default;
};
static_assert(sizeof(PileState) == 32);

struct CounterState {
  std::uint16_t value = 0;
  std::uint16_t exhaustedEvent = 0;
  bool operator==(const CounterState&) const = default;
};

// The display facts that decide how design units become pixels.
struct DisplayMetrics {
  bool vgaBuild = false;
  int logPixelsX = 96;
  int logPixelsY = 96;
};

// Card size and greatest fan steps in pixels for one card size and display.
struct CardMetrics {
  int cardWidth = 0;
  int cardHeight = 0;
  int fanStepX = 0;
  int fanStepY = 0;
};

// layoutVariant 1 = large cards, 0 = small cards.
CardMetrics ComputeCardMetrics(std::uint16_t layoutVariant, const DisplayMetrics& display);

// The parsed record. Tables are the record's own, except that pile
// coordinates and fan limits are converted to pixels at load and every
// program carries a terminating zero byte.
struct GameDefinition {
  std::array<char, 32> name{};  // always zero-terminated
  std::string rulesText;
  std::uint16_t id = 0;
  std::uint32_t category = 0;
  std::uint32_t skill = 0;
  std::uint32_t duration = 0;
  std::uint16_t layoutVariant = 0;
  std::vector<CardDef> cards;
  std::vector<PileDef> piles;
  std::vector<ActionDef> actions;
  std::vector<MovePair> movePairs;
  std::vector<DealPlacement> dealPlacements;
  std::vector<PilePosition> dealFlips;
  std::vector<PilePosition> dealFixed;
  std::vector<PilePosition> dealOpen;
  std::vector<std::uint8_t> eventKinds;
  std::vector<EventAction> eventActions;
  std::vector<std::vector<std::uint8_t>> programs;  // each ends with one zero byte
  std::vector<ConditionDef> conditions;
  std::vector<EventCondition> eventConditions;
  std::vector<CounterDef> counters;
  std::vector<EventCounter> eventCounters;
  std::vector<std::uint32_t> extraCategories;

  // Built from the tables above when the record is parsed (see IndexOf).
  DefinitionIndex index;
};

class SolGame {
 public:
  // Play state.
  std::optional<MoveJournal> journal;  // created by each deal
  std::vector<CardState> cards;
  std::vector<PileState> piles;
  std::vector<MovePair> allowedMoves;
  std::vector<CounterState> counters;
  std::uint8_t won = 0;

  GameDefinition definition;

  // The runtime's pseudo-random generator: chooses random game numbers and
  // the seeds of pile shuffles.
  RuntimeRandom random;

  // Called whenever a journal record is appended; the shell resets its hint
  // index here.
  std::function<void()> onJournalAppend;

  bool HasDefinition() const { return !definition.piles.empty() || !definition.cards.empty(); }
  bool HasPlayState() const { return journal.has_value(); }

  // The card lying at (pile, position) (see CardAtPlace).
  std::optional<std::uint16_t> CardAt(std::uint16_t pile, std::uint16_t position) const;
  // The top card of a pile, none when it is empty.
  std::optional<std::uint16_t> TopCard(std::uint16_t pile) const;

  // Appends a journal record (growing the journal by ten records when full)
  // and calls onJournalAppend. Answers the record's index.
  std::uint32_t AppendJournal(const JournalRecord& record);

  void FreePlayState();
  void FreeGame();
};

// Replaces the definition of `game` with the record `bytes`. Every count and
// length is checked against the bytes; a record that does not parse exactly
// leaves the game without a definition and answers false with the reason.
bool ParseDefinition(SolGame& game, std::span<const std::uint8_t> bytes,
                     const DisplayMetrics& display, std::string* error = nullptr);

// Builds a definition from an already decoded record (same conversion).
void ParseDefinition(SolGame& game, const DefinitionRecord& record, const DisplayMetrics& display);

}  // namespace cw
