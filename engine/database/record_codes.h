// The coded fields of a game record: each code's enum beside the names the
// game source format gives its values. Records are untrusted, so the structs
// keep the stored byte and a field may hold a value no enum names; every user
// compares against these enums or treats an unnamed value as it always has.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace cw {

// One value of a coded field and its word in the game source format.
struct CodeName {
  std::string_view name;
  std::uint16_t value;
};

// How a pile coordinate relates to the table's edges.
enum class AnchorMode : std::uint8_t { kNear = 0, kProportional = 1, kCentre = 2, kFar = 3 };
inline constexpr std::array<CodeName, 4> kAnchorModeNames = {
    {{"near", 0}, {"proportional", 1}, {"centre", 2}, {"far", 3}}};

enum class FanDirection : std::uint8_t { kSquared = 0, kLeft = 1, kRight = 2, kUp = 3, kDown = 4 };
inline constexpr std::array<CodeName, 5> kFanDirectionNames = {
    {{"squared", 0}, {"left", 1}, {"right", 2}, {"up", 3}, {"down", 4}}};

// kInert piles take no cards while empty; kBase and kArrow draw a mark.
enum class PileKind : std::uint8_t { kPlain = 0, kInert = 1, kBase = 2, kArrow = 3 };
inline constexpr std::array<CodeName, 4> kPileKindNames = {
    {{"plain", 0}, {"inert", 1}, {"base", 2}, {"arrow", 3}}};

// Where a pile's fan limit is measured from; kNone leaves the fan unlimited.
enum class FanLimitAnchorMode : std::uint8_t { kNone = 0, kProportional = 1, kFar = 2 };
inline constexpr std::array<CodeName, 3> kFanLimitAnchorNames = {
    {{"none", 0}, {"proportional", 1}, {"far", 2}}};

enum class LayoutVariant : std::uint16_t { kSmallCards = 0, kLargeCards = 1 };
inline constexpr std::array<CodeName, 2> kLayoutVariantNames = {{{"small", 0}, {"large", 1}}};

enum class Category : std::uint16_t {
  kAll = 0,
  kAddition = 1,
  kCanfield = 2,
  kCastle = 3,
  kFan = 4,
  kFortyThieves = 5,
  kFreeCell = 6,
  kKlondike = 7,
  kSpider = 8,
  kTerrace = 9,
  kYukon = 10,
  kOther = 11,
};
inline constexpr std::array<CodeName, 12> kCategoryNames = {{{"All", 0},
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

enum class EventKind : std::uint8_t { kAutomatic = 0, kRepeating = 1, kOnRequest = 2, kGameStart = 3 };
inline constexpr std::array<CodeName, 4> kEventKindNames = {
    {{"automatic", 0}, {"repeating", 1}, {"onRequest", 2}, {"gameStart", 3}}};

enum class ActionType : std::uint8_t {
  kMoveCards = 0,
  kPileAttribute = 1,
  kCardAttribute = 2,
  kDenyRoute = 3,
  kAllowRoute = 4,
  kGameWon = 5,
  kResetCounter = 6,
};
inline constexpr std::array<CodeName, 7> kActionTypeNames = {{{"moveCards", 0},
                                                              {"pileAttribute", 1},
                                                              {"cardAttribute", 2},
                                                              {"denyRoute", 3},
                                                              {"allowRoute", 4},
                                                              {"won", 5},
                                                              {"resetCounter", 6}}};

// Which cards a move action takes from its pile of n cards (`mode`).
enum class MoveRange : std::uint8_t {
  kBetweenEnds = 0,  // all but the `from` bottom and the `to` top cards
  kUnderTop = 1,     // the `to` cards under the top `from` cards
  kAboveBottom = 2,  // `to` cards starting `from` above the bottom
};

// Where a move action inserts its cards (`destMode`); other values keep the
// cards at the position they left.
enum class MoveInsertion : std::uint8_t {
  kSamePosition = 0,
  kUnderTop = 1,     // `destIndex` cards below the top
  kAboveBottom = 2,  // `destIndex` cards above the bottom
};

// The attribute of a pileAttribute action.
enum class PileAttribute : std::uint8_t {
  kShown = 6,
  kEnabled = 8,
  kReverse = 9,
  kAcceptProgram = 10,
  kValue = 11,
  kShuffle = 12,
  kPickProgram = 13,
};
inline constexpr std::array<CodeName, 7> kPileAttributeNames = {{{"shown", 6},
                                                                 {"enabled", 8},
                                                                 {"reverse", 9},
                                                                 {"acceptProgram", 10},
                                                                 {"pileValue", 11},
                                                                 {"shuffle", 12},
                                                                 {"pickProgram", 13}}};

// The attribute of a cardAttribute action.
enum class CardAttribute : std::uint8_t { kFaceUp = 0, kMovable = 1, kOpen = 7 };
inline constexpr std::array<CodeName, 3> kCardAttributeNames = {
    {{"faceUp", 0}, {"movable", 1}, {"open", 7}}};

constexpr std::optional<std::uint16_t> FindCode(std::span<const CodeName> names, std::string_view name) {
  for (const auto& entry : names) {
    if (entry.name == name) return entry.value;
  }
  return std::nullopt;
}

// The source word of a stored value; none for a value no name covers.
constexpr std::optional<std::string_view> FindCodeName(std::span<const CodeName> names,
                                                       std::int64_t value) {
  for (const auto& entry : names) {
    if (entry.value == value) return entry.name;
  }
  return std::nullopt;
}

}  // namespace cw
