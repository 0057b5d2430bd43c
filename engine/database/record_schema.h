// The one description of a record's tables and of each table element's
// fields in stored order. The record codec reads and writes by it, and the
// game source assembler and disassembler name fields and values by it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <string_view>
#include <type_traits>

#include "engine/database/record_codes.h"
#include "engine/database/record_layout.h"

namespace cw {

enum class FieldWidth : std::uint8_t { kU8, kU16, kI16 };

// What a field's value indexes, if anything. Cards are only ever numbered;
// the other kinds may have names in the game source.
enum class RecordReference : std::uint8_t { kNone, kPile, kProgram, kEvent, kCondition, kAction, kCounter, kCard };

// The table a reference indexes; none for kNone.
constexpr std::optional<Table> ReferencedTable(RecordReference reference) {
  switch (reference) {
    case RecordReference::kNone: return std::nullopt;
    case RecordReference::kPile: return Table::kPiles;
    case RecordReference::kProgram: return Table::kPrograms;
    case RecordReference::kEvent: return Table::kEventKinds;
    case RecordReference::kCondition: return Table::kConditions;
    case RecordReference::kAction: return Table::kActions;
    case RecordReference::kCounter: return Table::kCounters;
    case RecordReference::kCard: return Table::kCards;
  }
  return std::nullopt;
}

// One field of a fixed-size table element: its source name, stored width,
// member, the table its value indexes (and whether 65535 stands for any or
// no entry of it) and the names its values have.
template <typename Element>
struct RecordField {
  std::string_view name;
  FieldWidth width;
  std::uint8_t Element::*u8 = nullptr;
  std::uint16_t Element::*u16 = nullptr;
  std::int16_t Element::*i16 = nullptr;
  RecordReference reference = RecordReference::kNone;
  bool noneAllowed = false;
  std::span<const CodeName> names = {};

  constexpr std::int64_t Get(const Element& e) const {
    switch (width) {
      case FieldWidth::kU8: return e.*u8;
      case FieldWidth::kU16: return e.*u16;
      case FieldWidth::kI16: return e.*i16;
    }
    return 0;
  }
  // `value` must lie within Min()..Max().
  constexpr void Set(Element& e, std::int64_t value) const {
    switch (width) {
      case FieldWidth::kU8: e.*u8 = static_cast<std::uint8_t>(value); break;
      case FieldWidth::kU16: e.*u16 = static_cast<std::uint16_t>(value); break;
      case FieldWidth::kI16: e.*i16 = static_cast<std::int16_t>(value); break;
    }
  }
  constexpr std::int64_t Min() const {
    return width == FieldWidth::kI16 ? std::numeric_limits<std::int16_t>::min() : 0;
  }
  constexpr std::int64_t Max() const {
    switch (width) {
      case FieldWidth::kU8: return std::numeric_limits<std::uint8_t>::max();
      case FieldWidth::kU16: return std::numeric_limits<std::uint16_t>::max();
      case FieldWidth::kI16: return std::numeric_limits<std::int16_t>::max();
    }
    return 0;
  }
  constexpr std::size_t Bytes() const { return width == FieldWidth::kU8 ? 1 : 2; }
};

template <typename Element>
constexpr RecordField<Element> U8Field(std::string_view name, std::uint8_t Element::*member,
                                       std::span<const CodeName> names = {}) {
  return {.name = name, .width = FieldWidth::kU8, .u8 = member, .names = names};
}

template <typename Element>
constexpr RecordField<Element> U16Field(std::string_view name, std::uint16_t Element::*member,
                                        RecordReference reference = RecordReference::kNone) {
  return {.name = name, .width = FieldWidth::kU16, .u16 = member, .reference = reference};
}

// A reference where 65535 means any entry or none.
template <typename Element>
constexpr RecordField<Element> U16OptionalField(std::string_view name, std::uint16_t Element::*member,
                                                RecordReference reference) {
  return {.name = name, .width = FieldWidth::kU16, .u16 = member, .reference = reference, .noneAllowed = true};
}

template <typename Element>
constexpr RecordField<Element> U16Field(std::string_view name, std::uint16_t Element::*member,
                                        std::span<const CodeName> names) {
  return {.name = name, .width = FieldWidth::kU16, .u16 = member, .names = names};
}

template <typename Element>
constexpr RecordField<Element> I16Field(std::string_view name, std::int16_t Element::*member) {
  return {.name = name, .width = FieldWidth::kI16, .i16 = member};
}

// The header's own fields in stored order; the count of extra categories
// and the fifteen table counts follow them.
inline constexpr std::array<RecordField<DefinitionRecord>, 5> kHeaderFields = {{
    U16Field("id", &DefinitionRecord::id),
    U16Field("category", &DefinitionRecord::category, kCategoryNames),
    U16Field("skill", &DefinitionRecord::skill),
    U16Field("duration", &DefinitionRecord::duration),
    U16Field("layoutVariant", &DefinitionRecord::layoutVariant, kLayoutVariantNames),
}};
static_assert(kHeaderFields.size() == kHeaderExtraCategoryCount);

inline constexpr std::array<RecordField<CardDef>, 3> kCardFields = {{
    U16Field("dealGroup", &CardDef::dealGroup),
    U8Field("suit", &CardDef::suit),
    U8Field("rank", &CardDef::rank),
}};

inline constexpr std::array<RecordField<PileDef>, 23> kPileFields = {{
    U16Field("dealGroup", &PileDef::dealGroup),
    I16Field("x", &PileDef::x),
    I16Field("y", &PileDef::y),
    U8Field("xAnchor", &PileDef::xAnchor, kAnchorModeNames),
    U8Field("yAnchor", &PileDef::yAnchor, kAnchorModeNames),
    U8Field("fan", &PileDef::fan, kFanDirectionNames),
    U8Field("kind", &PileDef::kind, kPileKindNames),
    U8Field("dealFaceUp", &PileDef::dealFaceUp),
    U8Field("shown", &PileDef::shown),
    U16Field("dealCount", &PileDef::dealCount),
    U16Field("pickProgram", &PileDef::pickProgram, RecordReference::kProgram),
    U16Field("acceptProgram", &PileDef::acceptProgram, RecordReference::kProgram),
    U16Field("tapEvent", &PileDef::tapEvent, RecordReference::kEvent),
    U16Field("reserved", &PileDef::reserved),
    U16Field("emptyTapEvent", &PileDef::emptyTapEvent, RecordReference::kEvent),
    U16Field("dropEvent", &PileDef::dropEvent, RecordReference::kEvent),
    U8Field("manualOpen", &PileDef::manualOpen),
    U8Field("enabled", &PileDef::enabled),
    U8Field("drawLevel", &PileDef::drawLevel),
    U8Field("fanLimitAnchor", &PileDef::fanLimitAnchor, kFanLimitAnchorNames),
    U16Field("fanLimit", &PileDef::fanLimit),
    U8Field("baseRank", &PileDef::baseRank),
    U8Field("baseSuit", &PileDef::baseSuit),
}};

// `pile` names a counter for resetCounter actions, `attribute` takes the
// names of the action's type and `value` a program when the attribute is
// one: the references and names here are those of the other types.
inline constexpr std::array<RecordField<ActionDef>, 10> kActionFields = {{
    U8Field("type", &ActionDef::type, kActionTypeNames),
    U8Field("mode", &ActionDef::mode),
    U16Field("pile", &ActionDef::pile, RecordReference::kPile),
    U16Field("from", &ActionDef::from),
    U16Field("to", &ActionDef::to),
    U16Field("destPile", &ActionDef::destPile, RecordReference::kPile),
    U8Field("destMode", &ActionDef::destMode),
    U8Field("attribute", &ActionDef::attribute),
    U16Field("destIndex", &ActionDef::destIndex),
    U16Field("value", &ActionDef::value),
}};

inline constexpr std::array<RecordField<MovePair>, 2> kMovePairFields = {{
    U16OptionalField("source", &MovePair::source, RecordReference::kPile),
    U16OptionalField("destination", &MovePair::destination, RecordReference::kPile),
}};

inline constexpr std::array<RecordField<DealPlacement>, 3> kDealPlacementFields = {{
    U16Field("pile", &DealPlacement::pile, RecordReference::kPile),
    U16Field("card", &DealPlacement::card, RecordReference::kCard),
    U16Field("position", &DealPlacement::position),
}};

inline constexpr std::array<RecordField<PilePosition>, 2> kPilePositionFields = {{
    U16Field("pile", &PilePosition::pile, RecordReference::kPile),
    U16Field("position", &PilePosition::position),
}};

inline constexpr std::array<RecordField<EventAction>, 2> kEventActionFields = {{
    U16Field("event", &EventAction::event, RecordReference::kEvent),
    U16Field("action", &EventAction::action, RecordReference::kAction),
}};

inline constexpr std::array<RecordField<ConditionDef>, 3> kConditionFields = {{
    U16Field("program", &ConditionDef::program, RecordReference::kProgram),
    U16Field("pileA", &ConditionDef::pileA, RecordReference::kPile),
    U16OptionalField("pileB", &ConditionDef::pileB, RecordReference::kPile),
}};

inline constexpr std::array<RecordField<EventCondition>, 2> kEventConditionFields = {{
    U16Field("event", &EventCondition::event, RecordReference::kEvent),
    U16Field("condition", &EventCondition::condition, RecordReference::kCondition),
}};

inline constexpr std::array<RecordField<CounterDef>, 2> kCounterFields = {{
    U16Field("initialValue", &CounterDef::initialValue),
    U16Field("exhaustedEvent", &CounterDef::exhaustedEvent, RecordReference::kEvent),
}};

inline constexpr std::array<RecordField<EventCounter>, 2> kEventCounterFields = {{
    U16Field("event", &EventCounter::event, RecordReference::kEvent),
    U16Field("counter", &EventCounter::counter, RecordReference::kCounter),
}};

// The fields of the header and of each table element in stored order. The event kinds table
// holds single EventKind bytes and the programs table length-prefixed byte
// strings; neither has fields.
template <typename Element>
constexpr std::span<const RecordField<Element>> FieldsOf();
template <>
constexpr std::span<const RecordField<DefinitionRecord>> FieldsOf<DefinitionRecord>() { return kHeaderFields; }
template <>
constexpr std::span<const RecordField<CardDef>> FieldsOf<CardDef>() { return kCardFields; }
template <>
constexpr std::span<const RecordField<PileDef>> FieldsOf<PileDef>() { return kPileFields; }
template <>
constexpr std::span<const RecordField<ActionDef>> FieldsOf<ActionDef>() { return kActionFields; }
template <>
constexpr std::span<const RecordField<MovePair>> FieldsOf<MovePair>() { return kMovePairFields; }
template <>
constexpr std::span<const RecordField<DealPlacement>> FieldsOf<DealPlacement>() {
  return kDealPlacementFields;
}
template <>
constexpr std::span<const RecordField<PilePosition>> FieldsOf<PilePosition>() { return kPilePositionFields; }
template <>
constexpr std::span<const RecordField<EventAction>> FieldsOf<EventAction>() { return kEventActionFields; }
template <>
constexpr std::span<const RecordField<ConditionDef>> FieldsOf<ConditionDef>() { return kConditionFields; }
template <>
constexpr std::span<const RecordField<EventCondition>> FieldsOf<EventCondition>() {
  return kEventConditionFields;
}
template <>
constexpr std::span<const RecordField<CounterDef>> FieldsOf<CounterDef>() { return kCounterFields; }
template <>
constexpr std::span<const RecordField<EventCounter>> FieldsOf<EventCounter>() { return kEventCounterFields; }

// Stored bytes of one element.
template <typename Element>
constexpr std::size_t ElementBytes() {
  std::size_t bytes = 0;
  for (const auto& field : FieldsOf<Element>()) bytes += field.Bytes();
  return bytes;
}
static_assert(ElementBytes<PileDef>() == 34 && ElementBytes<ActionDef>() == 16 && ElementBytes<CardDef>() == 4);

// The fifteen tables in record order: each table's names (the codec's in its
// messages, cwdb's in its listings, one element's in cwdb's checks) and its
// member of the record. Visits
// `visit(const TableInfo&, table)` for each, in order; a table visit that
// answers false stops the walk when `visit` returns bool.
struct TableInfo {
  Table table;
  std::string_view name;         // "deal placements"
  std::string_view listingName;  // "placements"
  std::string_view elementName;  // "placement"
};

template <typename Record, typename Visit>
constexpr bool ForEachTable(Record& r, Visit&& visit) {
  const auto each = [&](const TableInfo& info, auto& table) {
    if constexpr (std::is_same_v<decltype(visit(info, table)), bool>) {
      return visit(info, table);
    } else {
      visit(info, table);
      return true;
    }
  };
  return each({Table::kCards, "cards", "cards", "card"}, r.cards) &&
         each({Table::kPiles, "piles", "piles", "pile"}, r.piles) &&
         each({Table::kActions, "actions", "actions", "action"}, r.actions) &&
         each({Table::kMovePairs, "move pairs", "movePairs", "route"}, r.movePairs) &&
         each({Table::kDealPlacements, "deal placements", "placements", "placement"}, r.dealPlacements) &&
         each({Table::kDealFlips, "deal flips", "flips", "flip"}, r.dealFlips) &&
         each({Table::kDealFixed, "deal fixed", "fixed", "fix"}, r.dealFixed) &&
         each({Table::kDealOpen, "deal open", "open", "open"}, r.dealOpen) &&
         each({Table::kEventKinds, "event kinds", "events", "event"}, r.eventKinds) &&
         each({Table::kEventActions, "event actions", "eventActions", "eventAction"}, r.eventActions) &&
         each({Table::kPrograms, "programs", "programs", "program"}, r.programs) &&
         each({Table::kConditions, "conditions", "conditions", "condition"}, r.conditions) &&
         each({Table::kEventConditions, "event conditions", "eventConditions", "eventCondition"},
              r.eventConditions) &&
         each({Table::kCounters, "counters", "counters", "counter"}, r.counters) &&
         each({Table::kEventCounters, "event counters", "eventCounters", "eventCounter"}, r.eventCounters);
}

// The names of every table, indexed by Table.
inline const std::array<TableInfo, kTableCount>& TableInfos() {
  static const std::array<TableInfo, kTableCount> infos = [] {
    std::array<TableInfo, kTableCount> all{};
    DefinitionRecord record;
    ForEachTable(record, [&](const TableInfo& info, const auto&) { all[static_cast<std::size_t>(info.table)] = info; });
    return all;
  }();
  return infos;
}

}  // namespace cw
