// The words of the game source format. Field names, their order and the
// names of coded values come from the record's own description
// (engine/database/record_schema.h); this adds what only the source format
// has: the kinds of things a source names, the words for "no reference", the
// action fields whose meaning follows the action's type, and the defaults a
// pile starts from. The assembler and the disassembler both read it, so the
// two can never disagree about a name.
#pragma once

#include <span>
#include <string_view>

#include "engine/database/record_schema.h"

namespace cw {

// The kinds of things a source names; a reference field accepts the names of
// one kind (or a plain number).
using SymbolKind = RecordReference;

std::string_view SymbolKindName(SymbolKind kind);

// A 16-bit reference field holding 65535 may be written with either word.
inline constexpr std::string_view kNoneWord = "none";
inline constexpr std::string_view kAnyWord = "any";

using PileField = RecordField<PileDef>;
using ActionField = RecordField<ActionDef>;

// A pile block may also give baseRank and baseSuit as one 16-bit number.
inline constexpr std::string_view kPileValueWord = "pileValue";

// The header field a statement keyword names, if any.
const RecordField<DefinitionRecord>* FindHeaderField(std::string_view name);

const PileField* FindPileField(std::string_view name);

// `pile` names a counter for resetCounter actions, `attribute` takes the
// names of the action's type and `value` a program name when the attribute is
// a program.
const ActionField* FindActionField(std::string_view name);
SymbolKind ActionPileReference(const ActionDef& action);
std::span<const CodeName> ActionAttributeNames(const ActionDef& action);
SymbolKind ActionValueReference(const ActionDef& action);

// What `field` of `action` indexes for the action's type, none for a field
// the type leaves unused; and whether the type reads 65535 in its piles as
// any pile (the route actions).
SymbolKind ActionFieldReference(const ActionDef& action, const ActionField& field);
bool ActionTakesAnyPile(const ActionDef& action);

// What an unstated pile field holds: the values most piles of the shipped
// games have, so that a pile block states only what differs.
PileDef SourcePileDefaults();

}  // namespace cw
