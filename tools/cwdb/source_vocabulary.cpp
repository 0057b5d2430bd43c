#include "tools/cwdb/source_vocabulary.h"

namespace cw {
namespace {

template <typename Element>
const RecordField<Element>* FindField(std::string_view name) {
  for (const auto& field : FieldsOf<Element>()) {
    if (field.name == name) return &field;
  }
  return nullptr;
}

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
    case SymbolKind::kCard: return "card";
  }
  return "value";
}

const RecordField<DefinitionRecord>* FindHeaderField(std::string_view name) {
  return FindField<DefinitionRecord>(name);
}

const PileField* FindPileField(std::string_view name) { return FindField<PileDef>(name); }

const ActionField* FindActionField(std::string_view name) { return FindField<ActionDef>(name); }

SymbolKind ActionPileReference(const ActionDef& action) {
  return action.type == static_cast<std::uint8_t>(ActionType::kResetCounter) ? SymbolKind::kCounter
                                                                              : SymbolKind::kPile;
}

std::span<const CodeName> ActionAttributeNames(const ActionDef& action) {
  switch (static_cast<ActionType>(action.type)) {
    case ActionType::kPileAttribute: return kPileAttributeNames;
    case ActionType::kCardAttribute: return kCardAttributeNames;
    default: return {};
  }
}

SymbolKind ActionValueReference(const ActionDef& action) {
  const auto attribute = static_cast<PileAttribute>(action.attribute);
  const bool programAttribute =
      attribute == PileAttribute::kAcceptProgram || attribute == PileAttribute::kPickProgram;
  return action.type == static_cast<std::uint8_t>(ActionType::kPileAttribute) && programAttribute
             ? SymbolKind::kProgram
             : SymbolKind::kNone;
}

SymbolKind ActionFieldReference(const ActionDef& action, const ActionField& field) {
  const auto type = static_cast<ActionType>(action.type);
  const bool movesOrRoutes = type == ActionType::kMoveCards || type == ActionType::kDenyRoute ||
                             type == ActionType::kAllowRoute;
  if (field.name == "pile") return type == ActionType::kGameWon ? SymbolKind::kNone : ActionPileReference(action);
  if (field.name == "destPile") return movesOrRoutes ? SymbolKind::kPile : SymbolKind::kNone;
  if (field.name == "value") return ActionValueReference(action);
  return field.reference;
}

bool ActionTakesAnyPile(const ActionDef& action) {
  const auto type = static_cast<ActionType>(action.type);
  return type == ActionType::kDenyRoute || type == ActionType::kAllowRoute;
}

PileDef SourcePileDefaults() {
  PileDef pile;
  pile.xAnchor = static_cast<std::uint8_t>(AnchorMode::kProportional);
  pile.yAnchor = static_cast<std::uint8_t>(AnchorMode::kNear);
  pile.dealFaceUp = 1;
  pile.shown = 1;
  pile.enabled = 1;
  pile.fanLimitAnchor = static_cast<std::uint8_t>(FanLimitAnchorMode::kProportional);
  return pile;
}

}  // namespace cw
