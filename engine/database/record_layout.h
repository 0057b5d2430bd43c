// The byte layout of one game definition record: a 42-byte header, the name,
// the extra category bytes, the rules text and fifteen tables. Everything is
// little-endian and packed; these structs are the in-memory form, and
// DecodeRecord / EncodeRecord convert them by the field lists of
// record_schema.h.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "engine/database/record_codes.h"

namespace cw {

// A 16-bit pile or card reference holding this value means "none" or "any".
inline constexpr std::uint16_t kNoReference = 0xFFFF;

inline constexpr std::size_t kRecordHeaderSize = 42;
inline constexpr std::size_t kRecordHeaderFieldCount = 21;
inline constexpr std::size_t kTableCount = 15;

// Header field numbers after the record's own fields (kHeaderFields in
// record_schema.h); fields 6 to 20 are the counts of the fifteen tables.
enum HeaderField : std::size_t {
  kHeaderExtraCategoryCount = 5,
  kHeaderFirstTableCount = 6,
};

// The fifteen tables in record order; the index plus kHeaderFirstTableCount
// is the header field holding the table's count.
enum class Table : std::size_t {
  kCards,
  kPiles,
  kActions,
  kMovePairs,
  kDealPlacements,
  kDealFlips,
  kDealFixed,
  kDealOpen,
  kEventKinds,
  kEventActions,
  kPrograms,
  kConditions,
  kEventConditions,
  kCounters,
  kEventCounters,
};

struct CardDef {
  std::uint16_t dealGroup = 0;
  std::uint8_t suit = 0;  // 1 spades, 2 clubs, 3 diamonds, 4 hearts
  std::uint8_t rank = 0;  // 1 ace ... 13 king
  bool operator==(const CardDef&) const = default;
};

struct PileDef {
  std::uint16_t dealGroup = 0;
  std::int16_t x = 0;  // design units in the record; pixels after ParseDefinition
  std::int16_t y = 0;
  std::uint8_t xAnchor = 0;  // AnchorMode
  std::uint8_t yAnchor = 0;
  std::uint8_t fan = 0;   // FanDirection
  std::uint8_t kind = 0;  // PileKind
  std::uint8_t dealFaceUp = 0;
  std::uint8_t shown = 0;
  std::uint16_t dealCount = 0;
  std::uint16_t pickProgram = 0;
  std::uint16_t acceptProgram = 0;
  std::uint16_t tapEvent = 0;
  std::uint16_t reserved = 0;
  std::uint16_t emptyTapEvent = 0;
  std::uint16_t dropEvent = 0;
  std::uint8_t manualOpen = 0;
  std::uint8_t enabled = 0;
  std::uint8_t drawLevel = 0;
  std::uint8_t fanLimitAnchor = 0;  // FanLimitAnchorMode
  std::uint16_t fanLimit = 0;
  std::uint8_t baseRank = 0;  // PileKind::kBase; otherwise the low byte of pileValue
  std::uint8_t baseSuit = 0;  // PileKind::kBase; otherwise the high byte of pileValue

  std::uint16_t PileValue() const { return static_cast<std::uint16_t>(baseRank | (baseSuit << 8)); }
  void SetPileValue(std::uint16_t value) {
    baseRank = static_cast<std::uint8_t>(value & 0xFF);
    baseSuit = static_cast<std::uint8_t>(value >> 8);
  }
  bool operator==(const PileDef&) const = default;
};

struct ActionDef {
  std::uint8_t type = 0;  // ActionType
  std::uint8_t mode = 0;  // MoveRange
  std::uint16_t pile = 0;
  std::uint16_t from = 0;
  std::uint16_t to = 0;
  std::uint16_t destPile = 0;
  std::uint8_t destMode = 0;   // MoveInsertion
  std::uint8_t attribute = 0;  // PileAttribute or CardAttribute
  std::uint16_t destIndex = 0;
  std::uint16_t value = 0;
  bool operator==(const ActionDef&) const = default;
};

struct MovePair {
  std::uint16_t source = kNoReference;
  std::uint16_t destination = kNoReference;
  bool operator==(const MovePair&) const = default;
};

struct DealPlacement {
  std::uint16_t pile = 0;
  std::uint16_t card = 0;
  std::uint16_t position = 0;
  bool operator==(const DealPlacement&) const = default;
};

// DealFlip, DealFixed and DealOpen entries all name one place on the table.
struct PilePosition {
  std::uint16_t pile = 0;
  std::uint16_t position = 0;
  bool operator==(const PilePosition&) const = default;
};

struct EventAction {
  std::uint16_t event = 0;
  std::uint16_t action = 0;
  bool operator==(const EventAction&) const = default;
};

struct ConditionDef {
  std::uint16_t program = 0;
  std::uint16_t pileA = 0;
  std::uint16_t pileB = kNoReference;
  bool operator==(const ConditionDef&) const = default;
};

struct EventCondition {
  std::uint16_t event = 0;
  std::uint16_t condition = 0;
  bool operator==(const EventCondition&) const = default;
};

struct CounterDef {
  std::uint16_t initialValue = 0;
  std::uint16_t exhaustedEvent = 0;
  bool operator==(const CounterDef&) const = default;
};

struct EventCounter {
  std::uint16_t event = 0;
  std::uint16_t counter = 0;
  bool operator==(const EventCounter&) const = default;
};

// One record exactly as stored. Strings keep every byte the record holds, so
// that decoding and encoding a record gives back the same bytes.
struct DefinitionRecord {
  std::uint16_t id = 0;
  std::uint16_t category = 0;
  std::uint16_t skill = 0;
  std::uint16_t duration = 0;
  std::uint16_t layoutVariant = 0;  // LayoutVariant
  std::string name;
  std::vector<std::uint8_t> extraCategories;
  std::string rulesText;
  std::vector<CardDef> cards;
  std::vector<PileDef> piles;
  std::vector<ActionDef> actions;
  std::vector<MovePair> movePairs;
  std::vector<DealPlacement> dealPlacements;
  std::vector<PilePosition> dealFlips;
  std::vector<PilePosition> dealFixed;
  std::vector<PilePosition> dealOpen;
  std::vector<std::uint8_t> eventKinds;  // EventKind
  std::vector<EventAction> eventActions;
  std::vector<std::vector<std::uint8_t>> programs;  // stored bytes, no terminator
  std::vector<ConditionDef> conditions;
  std::vector<EventCondition> eventConditions;
  std::vector<CounterDef> counters;
  std::vector<EventCounter> eventCounters;

  bool operator==(const DefinitionRecord&) const = default;
};

struct DecodeResult {
  std::optional<DefinitionRecord> record;
  std::string error;  // why decoding failed, empty on success
};

// Decodes one record. Every count and length is checked against the bytes
// given; the record must use them exactly (nothing may follow its last table).
DecodeResult DecodeRecord(std::span<const std::uint8_t> bytes);

// Encodes a record into its stored bytes. Counts and program lengths that do
// not fit their 16-bit fields are reported through `error` and give no bytes.
std::optional<std::vector<std::uint8_t>> EncodeRecord(const DefinitionRecord& record,
                                                      std::string* error = nullptr);

}  // namespace cw
