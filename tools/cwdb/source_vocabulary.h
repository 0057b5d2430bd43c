// The words of the game source format: the field names of piles and actions,
// the symbolic values some fields accept, and the defaults a pile starts
// from. The assembler and the disassembler both read these tables, so the
// two can never disagree about a name.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "engine/database/record_layout.h"

namespace cw {

// The kinds of things a source names; a reference field accepts the names of
// one kind (or a plain number).
enum class SymbolKind { kNone, kPile, kProgram, kEvent, kCondition, kAction, kCounter };

std::string_view SymbolKindName(SymbolKind kind);

struct ValueName {
  std::string_view name;
  std::int64_t value;
};

inline constexpr std::array<ValueName, 4> kAnchorNames = {
    {{"near", 0}, {"proportional", 1}, {"centre", 2}, {"far", 3}}};
inline constexpr std::array<ValueName, 5> kFanNames = {
    {{"squared", 0}, {"left", 1}, {"right", 2}, {"up", 3}, {"down", 4}}};
inline constexpr std::array<ValueName, 4> kPileKindNames = {
    {{"plain", 0}, {"inert", 1}, {"base", 2}, {"arrow", 3}}};
inline constexpr std::array<ValueName, 3> kFanLimitAnchorNames = {
    {{"none", 0}, {"proportional", 1}, {"far", 2}}};
inline constexpr std::array<ValueName, 2> kLayoutNames = {{{"small", 0}, {"large", 1}}};
inline constexpr std::array<ValueName, 4> kEventKindNames = {
    {{"automatic", 0}, {"repeating", 1}, {"onRequest", 2}, {"gameStart", 3}}};
inline constexpr std::array<ValueName, 7> kActionTypeNames = {{{"moveCards", 0},
                                                               {"pileAttribute", 1},
                                                               {"cardAttribute", 2},
                                                               {"denyRoute", 3},
                                                               {"allowRoute", 4},
                                                               {"won", 5},
                                                               {"resetCounter", 6}}};
inline constexpr std::array<ValueName, 7> kPileAttributeNames = {{{"shown", 6},
                                                                  {"enabled", 8},
                                                                  {"reverse", 9},
                                                                  {"acceptProgram", 10},
                                                                  {"pileValue", 11},
                                                                  {"shuffle", 12},
                                                                  {"pickProgram", 13}}};
inline constexpr std::array<ValueName, 3> kCardAttributeNames = {
    {{"faceUp", 0}, {"movable", 1}, {"open", 7}}};
inline constexpr std::array<ValueName, 12> kCategoryNames = {{{"All", 0},
                                                              {"Addition", 1},
                                                              {"Canfield", 2},
                                                              {"Castle", 3},
                                                              {"Fan", 4},
                                                              {"40Thieves", 5},
                                                              {"FreeCell", 6},
                                                              {"Klondike", 7},
                                                              {"Spider", 8},
                                                              {"Terrace", 9},
                                                              {"Yukon", 10},
                                                              {"Other", 11}}};

// A 16-bit reference field holding 65535 may be written with either word.
inline constexpr std::string_view kNoneWord = "none";
inline constexpr std::string_view kAnyWord = "any";

std::optional<std::int64_t> FindValue(std::span<const ValueName> names, std::string_view name);
std::optional<std::string_view> FindValueName(std::span<const ValueName> names, std::int64_t value);

// One named field of a fixed-size table element.
template <typename Element>
struct FieldInfo {
  std::string_view name;
  std::int64_t min;
  std::int64_t max;
  SymbolKind reference;  // names of this kind are accepted as values
  std::span<const ValueName> names;
  std::int64_t (*get)(const Element&);
  void (*set)(Element&, std::int64_t);
};

using PileField = FieldInfo<PileDef>;
using ActionField = FieldInfo<ActionDef>;

// Pile fields in record order; `pileValue` (offset 32 as one number) is not
// among them because it overlaps baseRank and baseSuit.
std::span<const PileField> PileFields();
const PileField& PileValueField();
const PileField* FindPileField(std::string_view name);

// Action fields in record order. `pile` names a counter for resetCounter
// actions, `attribute` takes the names of the action's type and `value` a
// program name when the attribute is a program.
std::span<const ActionField> ActionFields();
const ActionField* FindActionField(std::string_view name);
SymbolKind ActionPileReference(const ActionDef& action);
std::span<const ValueName> ActionAttributeNames(const ActionDef& action);
SymbolKind ActionValueReference(const ActionDef& action);

// What an unstated pile field holds: the values most piles of the shipped
// games have, so that a pile block states only what differs.
PileDef SourcePileDefaults();

}  // namespace cw
