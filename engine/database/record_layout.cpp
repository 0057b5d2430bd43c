#include "engine/database/record_layout.h"

#include <algorithm>
#include <limits>
#include <string>

#include "engine/database/byte_io.h"

namespace cw {
namespace {

std::optional<std::string> ReadString(ByteReader& in) {
  std::string text;
  for (;;) {
    std::uint8_t c = 0;
    if (!in.U8(c)) return std::nullopt;
    if (c == 0) return text;
    text.push_back(static_cast<char>(c));
  }
}

bool Read(ByteReader& in, CardDef& e) { return in.U16(e.dealGroup) && in.U8(e.suit) && in.U8(e.rank); }

bool Read(ByteReader& in, PileDef& e) {
  return in.U16(e.dealGroup) && in.I16(e.x) && in.I16(e.y) && in.U8(e.xAnchor) && in.U8(e.yAnchor) &&
         in.U8(e.fan) && in.U8(e.kind) && in.U8(e.dealFaceUp) && in.U8(e.shown) && in.U16(e.dealCount) &&
         in.U16(e.pickProgram) && in.U16(e.acceptProgram) && in.U16(e.tapEvent) && in.U16(e.reserved) &&
         in.U16(e.emptyTapEvent) && in.U16(e.dropEvent) && in.U8(e.manualOpen) && in.U8(e.enabled) &&
         in.U8(e.drawLevel) && in.U8(e.fanLimitAnchor) && in.U16(e.fanLimit) && in.U8(e.baseRank) &&
         in.U8(e.baseSuit);
}

bool Read(ByteReader& in, ActionDef& e) {
  return in.U8(e.type) && in.U8(e.mode) && in.U16(e.pile) && in.U16(e.from) && in.U16(e.to) &&
         in.U16(e.destPile) && in.U8(e.destMode) && in.U8(e.attribute) && in.U16(e.destIndex) &&
         in.U16(e.value);
}

bool Read(ByteReader& in, MovePair& e) { return in.U16(e.source) && in.U16(e.destination); }
bool Read(ByteReader& in, DealPlacement& e) { return in.U16(e.pile) && in.U16(e.card) && in.U16(e.position); }
bool Read(ByteReader& in, PilePosition& e) { return in.U16(e.pile) && in.U16(e.position); }
bool Read(ByteReader& in, std::uint8_t& e) { return in.U8(e); }
bool Read(ByteReader& in, EventAction& e) { return in.U16(e.event) && in.U16(e.action); }
bool Read(ByteReader& in, ConditionDef& e) { return in.U16(e.program) && in.U16(e.pileA) && in.U16(e.pileB); }
bool Read(ByteReader& in, EventCondition& e) { return in.U16(e.event) && in.U16(e.condition); }
bool Read(ByteReader& in, CounterDef& e) { return in.U16(e.initialValue) && in.U16(e.exhaustedEvent); }
bool Read(ByteReader& in, EventCounter& e) { return in.U16(e.event) && in.U16(e.counter); }

bool Read(ByteReader& in, std::vector<std::uint8_t>& program) {
  std::int16_t length = 0;
  if (!in.I16(length) || length < 0) return false;
  return in.Bytes(program, static_cast<std::size_t>(length));
}

template <typename T>
bool ReadTable(ByteReader& in, std::uint16_t count, std::vector<T>& table) {
  // Counts are untrusted: never reserve more than the bytes left could hold.
  table.clear();
  table.reserve(std::min<std::size_t>(count, in.Remaining()));
  for (std::uint16_t i = 0; i < count; ++i) {
    T element{};
    if (!Read(in, element)) return false;
    table.push_back(std::move(element));
  }
  return true;
}

void Write(ByteWriter& out, const CardDef& e) {
  out.U16(e.dealGroup);
  out.U8(e.suit);
  out.U8(e.rank);
}

void Write(ByteWriter& out, const PileDef& e) {
  out.U16(e.dealGroup);
  out.I16(e.x);
  out.I16(e.y);
  out.U8(e.xAnchor);
  out.U8(e.yAnchor);
  out.U8(e.fan);
  out.U8(e.kind);
  out.U8(e.dealFaceUp);
  out.U8(e.shown);
  out.U16(e.dealCount);
  out.U16(e.pickProgram);
  out.U16(e.acceptProgram);
  out.U16(e.tapEvent);
  out.U16(e.reserved);
  out.U16(e.emptyTapEvent);
  out.U16(e.dropEvent);
  out.U8(e.manualOpen);
  out.U8(e.enabled);
  out.U8(e.drawLevel);
  out.U8(e.fanLimitAnchor);
  out.U16(e.fanLimit);
  out.U8(e.baseRank);
  out.U8(e.baseSuit);
}

void Write(ByteWriter& out, const ActionDef& e) {
  out.U8(e.type);
  out.U8(e.mode);
  out.U16(e.pile);
  out.U16(e.from);
  out.U16(e.to);
  out.U16(e.destPile);
  out.U8(e.destMode);
  out.U8(e.attribute);
  out.U16(e.destIndex);
  out.U16(e.value);
}

void Write(ByteWriter& out, const MovePair& e) {
  out.U16(e.source);
  out.U16(e.destination);
}
void Write(ByteWriter& out, const DealPlacement& e) {
  out.U16(e.pile);
  out.U16(e.card);
  out.U16(e.position);
}
void Write(ByteWriter& out, const PilePosition& e) {
  out.U16(e.pile);
  out.U16(e.position);
}
void Write(ByteWriter& out, std::uint8_t e) { out.U8(e); }
void Write(ByteWriter& out, const EventAction& e) {
  out.U16(e.event);
  out.U16(e.action);
}
void Write(ByteWriter& out, const ConditionDef& e) {
  out.U16(e.program);
  out.U16(e.pileA);
  out.U16(e.pileB);
}
void Write(ByteWriter& out, const EventCondition& e) {
  out.U16(e.event);
  out.U16(e.condition);
}
void Write(ByteWriter& out, const CounterDef& e) {
  out.U16(e.initialValue);
  out.U16(e.exhaustedEvent);
}
void Write(ByteWriter& out, const EventCounter& e) {
  out.U16(e.event);
  out.U16(e.counter);
}
void Write(ByteWriter& out, const std::vector<std::uint8_t>& program) {
  out.I16(static_cast<std::int16_t>(program.size()));
  out.Bytes(program);
}

template <typename T>
void WriteTable(ByteWriter& out, const std::vector<T>& table) {
  for (const auto& element : table) Write(out, element);
}

constexpr const char* kTableNames[kTableCount] = {
    "cards",       "piles",         "actions",         "move pairs", "deal placements",
    "deal flips",  "deal fixed",    "deal open",       "event kinds", "event actions",
    "programs",    "conditions",    "event conditions", "counters",  "event counters"};

std::array<std::size_t, kTableCount> TableSizes(const DefinitionRecord& r) {
  return {r.cards.size(),          r.piles.size(),          r.actions.size(),
          r.movePairs.size(),      r.dealPlacements.size(), r.dealFlips.size(),
          r.dealFixed.size(),      r.dealOpen.size(),       r.eventKinds.size(),
          r.eventActions.size(),   r.programs.size(),       r.conditions.size(),
          r.eventConditions.size(), r.counters.size(),      r.eventCounters.size()};
}

}  // namespace

DecodeResult DecodeRecord(std::span<const std::uint8_t> bytes) {
  DecodeResult result;
  ByteReader in(bytes);
  std::array<std::uint16_t, kRecordHeaderFieldCount> header{};
  for (auto& field : header) {
    if (!in.U16(field)) {
      result.error = "record shorter than its 42-byte header";
      return result;
    }
  }

  DefinitionRecord record;
  record.id = header[kHeaderId];
  record.category = header[kHeaderCategory];
  record.skill = header[kHeaderSkill];
  record.duration = header[kHeaderDuration];
  record.layoutVariant = header[kHeaderLayoutVariant];

  auto name = ReadString(in);
  if (!name) {
    result.error = "name is not terminated";
    return result;
  }
  record.name = std::move(*name);
  if (!in.Bytes(record.extraCategories, header[kHeaderExtraCategoryCount])) {
    result.error = "extra categories run past the end of the record";
    return result;
  }
  auto rules = ReadString(in);
  if (!rules) {
    result.error = "rules text is not terminated";
    return result;
  }
  record.rulesText = std::move(*rules);

  auto count = [&](Table t) { return header[kHeaderFirstTableCount + static_cast<std::size_t>(t)]; };
  bool complete = ReadTable(in, count(Table::kCards), record.cards) &&
                  ReadTable(in, count(Table::kPiles), record.piles) &&
                  ReadTable(in, count(Table::kActions), record.actions) &&
                  ReadTable(in, count(Table::kMovePairs), record.movePairs) &&
                  ReadTable(in, count(Table::kDealPlacements), record.dealPlacements) &&
                  ReadTable(in, count(Table::kDealFlips), record.dealFlips) &&
                  ReadTable(in, count(Table::kDealFixed), record.dealFixed) &&
                  ReadTable(in, count(Table::kDealOpen), record.dealOpen) &&
                  ReadTable(in, count(Table::kEventKinds), record.eventKinds) &&
                  ReadTable(in, count(Table::kEventActions), record.eventActions) &&
                  ReadTable(in, count(Table::kPrograms), record.programs) &&
                  ReadTable(in, count(Table::kConditions), record.conditions) &&
                  ReadTable(in, count(Table::kEventConditions), record.eventConditions) &&
                  ReadTable(in, count(Table::kCounters), record.counters) &&
                  ReadTable(in, count(Table::kEventCounters), record.eventCounters);
  if (!complete) {
    // Name the first table that did not fit, so an author sees where it broke.
    const auto sizes = TableSizes(record);
    for (std::size_t t = 0; t < kTableCount; ++t) {
      if (sizes[t] < header[kHeaderFirstTableCount + t]) {
        result.error = std::string("table of ") + kTableNames[t] + " runs past the end of the record";
        break;
      }
    }
    return result;
  }
  if (in.Remaining() != 0) {
    result.error = std::to_string(in.Remaining()) + " bytes follow the last table";
    return result;
  }
  result.record = std::move(record);
  return result;
}

std::optional<std::vector<std::uint8_t>> EncodeRecord(const DefinitionRecord& record, std::string* error) {
  auto fail = [&](std::string why) -> std::optional<std::vector<std::uint8_t>> {
    if (error) *error = std::move(why);
    return std::nullopt;
  };
  const auto sizes = TableSizes(record);
  constexpr std::size_t kMaxCount = std::numeric_limits<std::uint16_t>::max();
  for (std::size_t t = 0; t < kTableCount; ++t) {
    if (sizes[t] > kMaxCount) return fail(std::string("too many ") + kTableNames[t]);
  }
  if (record.extraCategories.size() > kMaxCount) return fail("too many extra categories");
  for (const auto& program : record.programs) {
    if (program.size() > static_cast<std::size_t>(std::numeric_limits<std::int16_t>::max())) {
      return fail("a program is longer than 32767 bytes");
    }
  }
  if (record.name.find('\0') != std::string::npos) return fail("the name holds a zero byte");
  if (record.rulesText.find('\0') != std::string::npos) return fail("the rules text holds a zero byte");

  ByteWriter out;
  out.U16(record.id);
  out.U16(record.category);
  out.U16(record.skill);
  out.U16(record.duration);
  out.U16(record.layoutVariant);
  out.U16(static_cast<std::uint16_t>(record.extraCategories.size()));
  for (std::size_t size : sizes) out.U16(static_cast<std::uint16_t>(size));
  out.String(record.name);
  out.Bytes(record.extraCategories);
  out.String(record.rulesText);
  WriteTable(out, record.cards);
  WriteTable(out, record.piles);
  WriteTable(out, record.actions);
  WriteTable(out, record.movePairs);
  WriteTable(out, record.dealPlacements);
  WriteTable(out, record.dealFlips);
  WriteTable(out, record.dealFixed);
  WriteTable(out, record.dealOpen);
  WriteTable(out, record.eventKinds);
  WriteTable(out, record.eventActions);
  WriteTable(out, record.programs);
  WriteTable(out, record.conditions);
  WriteTable(out, record.eventConditions);
  WriteTable(out, record.counters);
  WriteTable(out, record.eventCounters);
  return out.Take();
}

}  // namespace cw
