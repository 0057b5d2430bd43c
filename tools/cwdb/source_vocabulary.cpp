#include "tools/cwdb/source_vocabulary.h"

#include <limits>

namespace cw {
namespace {

constexpr std::int64_t kU8Max = std::numeric_limits<std::uint8_t>::max();
constexpr std::int64_t kU16Max = std::numeric_limits<std::uint16_t>::max();
constexpr std::int64_t kI16Min = std::numeric_limits<std::int16_t>::min();
constexpr std::int64_t kI16Max = std::numeric_limits<std::int16_t>::max();

// Field accessors for a member of a given width: the value is range-checked
// by the caller against the field's min and max before it is set.
#define CW_U8_FIELD(Type, member, reference, names)                                         \
  FieldInfo<Type> {                                                                          \
    #member, 0, kU8Max, reference, names,                                                    \
        [](const Type& e) -> std::int64_t { return e.member; },                              \
        [](Type& e, std::int64_t v) { e.member = static_cast<std::uint8_t>(v); }             \
  }
#define CW_U16_FIELD(Type, member, reference, names)                                        \
  FieldInfo<Type> {                                                                          \
    #member, 0, kU16Max, reference, names,                                                   \
        [](const Type& e) -> std::int64_t { return e.member; },                              \
        [](Type& e, std::int64_t v) { e.member = static_cast<std::uint16_t>(v); }            \
  }
#define CW_I16_FIELD(Type, member)                                                          \
  FieldInfo<Type> {                                                                          \
    #member, kI16Min, kI16Max, SymbolKind::kNone, {},                                        \
        [](const Type& e) -> std::int64_t { return e.member; },                              \
        [](Type& e, std::int64_t v) { e.member = static_cast<std::int16_t>(v); }             \
  }

const std::array<PileField, 23> kPileFields = {
    CW_U16_FIELD(PileDef, dealGroup, SymbolKind::kNone, {}),
    CW_I16_FIELD(PileDef, x),
    CW_I16_FIELD(PileDef, y),
    CW_U8_FIELD(PileDef, xAnchor, SymbolKind::kNone, kAnchorNames),
    CW_U8_FIELD(PileDef, yAnchor, SymbolKind::kNone, kAnchorNames),
    CW_U8_FIELD(PileDef, fan, SymbolKind::kNone, kFanNames),
    CW_U8_FIELD(PileDef, kind, SymbolKind::kNone, kPileKindNames),
    CW_U8_FIELD(PileDef, dealFaceUp, SymbolKind::kNone, {}),
    CW_U8_FIELD(PileDef, shown, SymbolKind::kNone, {}),
    CW_U16_FIELD(PileDef, dealCount, SymbolKind::kNone, {}),
    CW_U16_FIELD(PileDef, pickProgram, SymbolKind::kProgram, {}),
    CW_U16_FIELD(PileDef, acceptProgram, SymbolKind::kProgram, {}),
    CW_U16_FIELD(PileDef, tapEvent, SymbolKind::kEvent, {}),
    CW_U16_FIELD(PileDef, reserved, SymbolKind::kNone, {}),
    CW_U16_FIELD(PileDef, emptyTapEvent, SymbolKind::kEvent, {}),
    CW_U16_FIELD(PileDef, dropEvent, SymbolKind::kEvent, {}),
    CW_U8_FIELD(PileDef, manualOpen, SymbolKind::kNone, {}),
    CW_U8_FIELD(PileDef, enabled, SymbolKind::kNone, {}),
    CW_U8_FIELD(PileDef, drawLevel, SymbolKind::kNone, {}),
    CW_U8_FIELD(PileDef, fanLimitAnchor, SymbolKind::kNone, kFanLimitAnchorNames),
    CW_U16_FIELD(PileDef, fanLimit, SymbolKind::kNone, {}),
    CW_U8_FIELD(PileDef, baseRank, SymbolKind::kNone, {}),
    CW_U8_FIELD(PileDef, baseSuit, SymbolKind::kNone, {}),
};

const PileField kPileValueField = {
    "pileValue", 0, kU16Max, SymbolKind::kNone, {},
    [](const PileDef& e) -> std::int64_t { return e.PileValue(); },
    [](PileDef& e, std::int64_t v) {
      e.baseRank = static_cast<std::uint8_t>(v & 0xFF);
      e.baseSuit = static_cast<std::uint8_t>((v >> 8) & 0xFF);
    }};

// `attribute` and `value` take their symbolic names from the action's type,
// so their tables here carry none; the assembler and disassembler ask
// ActionAttributeNames and ActionValueReference.
const std::array<ActionField, 10> kActionFields = {
    CW_U8_FIELD(ActionDef, type, SymbolKind::kNone, kActionTypeNames),
    CW_U8_FIELD(ActionDef, mode, SymbolKind::kNone, {}),
    CW_U16_FIELD(ActionDef, pile, SymbolKind::kPile, {}),
    CW_U16_FIELD(ActionDef, from, SymbolKind::kNone, {}),
    CW_U16_FIELD(ActionDef, to, SymbolKind::kNone, {}),
    CW_U16_FIELD(ActionDef, destPile, SymbolKind::kPile, {}),
    CW_U8_FIELD(ActionDef, destMode, SymbolKind::kNone, {}),
    CW_U8_FIELD(ActionDef, attribute, SymbolKind::kNone, {}),
    CW_U16_FIELD(ActionDef, destIndex, SymbolKind::kNone, {}),
    CW_U16_FIELD(ActionDef, value, SymbolKind::kNone, {}),
};

#undef CW_U8_FIELD
#undef CW_U16_FIELD
#undef CW_I16_FIELD

}  // namespace

std::string_view SymbolKindName(SymbolKind kind) {
  switch (kind) {
    case SymbolKind::kNone: return "value";
    case SymbolKind::kPile: return "pile";
    case SymbolKind::kProgram: return "program";
    case SymbolKind::kEvent: return "event";
    case SymbolKind::kCondition: return "condition";
    case SymbolKind::kAction: return "action";
    case SymbolKind::kCounter: return "counter";
  }
  return "value";
}

std::optional<std::int64_t> FindValue(std::span<const ValueName> names, std::string_view name) {
  for (const auto& entry : names) {
    if (entry.name == name) return entry.value;
  }
  return std::nullopt;
}

std::optional<std::string_view> FindValueName(std::span<const ValueName> names, std::int64_t value) {
  for (const auto& entry : names) {
    if (entry.value == value) return entry.name;
  }
  return std::nullopt;
}

std::span<const PileField> PileFields() { return kPileFields; }

const PileField& PileValueField() { return kPileValueField; }

const PileField* FindPileField(std::string_view name) {
  for (const auto& field : kPileFields) {
    if (field.name == name) return &field;
  }
  return name == kPileValueField.name ? &kPileValueField : nullptr;
}

std::span<const ActionField> ActionFields() { return kActionFields; }

const ActionField* FindActionField(std::string_view name) {
  for (const auto& field : kActionFields) {
    if (field.name == name) return &field;
  }
  return nullptr;
}

SymbolKind ActionPileReference(const ActionDef& action) {
  return action.type == static_cast<std::uint8_t>(ActionType::kResetCounter) ? SymbolKind::kCounter
                                                                              : SymbolKind::kPile;
}

std::span<const ValueName> ActionAttributeNames(const ActionDef& action) {
  switch (static_cast<ActionType>(action.type)) {
    case ActionType::kPileAttribute: return kPileAttributeNames;
    case ActionType::kCardAttribute: return kCardAttributeNames;
    default: return {};
  }
}

SymbolKind ActionValueReference(const ActionDef& action) {
  const bool programAttribute =
      action.attribute == kPileAcceptProgram || action.attribute == kPilePickProgram;
  return action.type == static_cast<std::uint8_t>(ActionType::kPileAttribute) && programAttribute
             ? SymbolKind::kProgram
             : SymbolKind::kNone;
}

PileDef SourcePileDefaults() {
  PileDef pile;
  pile.xAnchor = static_cast<std::uint8_t>(AnchorMode::kProportional);
  pile.yAnchor = static_cast<std::uint8_t>(AnchorMode::kNear);
  pile.dealFaceUp = 1;
  pile.shown = 1;
  pile.enabled = 1;
  pile.fanLimitAnchor = 1;
  return pile;
}

}  // namespace cw
