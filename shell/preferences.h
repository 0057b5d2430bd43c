// The player's settings and the small state that survives between runs, kept
// as the values of the "prefs" key below the application key.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include <QString>
#include <QStringView>

#include "chooser/chooser_options.h"
#include "platform/registry/registry.h"

namespace cw {

inline constexpr std::size_t kSavedGameSlotCount = 10;
inline constexpr std::size_t kLastEnteredNameLength = 16;  // WCHARs with the terminator

// Every persistent key of the program lies below this one; the class string
// every key is created with.
QString ApplicationKey(QStringView programTitle);
inline constexpr QStringView kAppDataClass = u"appData";

struct Preferences {
  std::uint8_t timedGame = 1;
  std::uint32_t timeLimit = 3;  // minutes
  std::uint8_t animation = 1;
  std::uint8_t playMode = 1;  // a PlayMode of the game field; 1 drag and drop
  std::uint32_t bgColor = 0x008000;  // COLORREF 0x00BBGGRR
  std::uint8_t softkeyMenu = 0;
  std::uint32_t cardBack = 0;
  std::uint8_t showTimer = 1;
  std::int32_t curSolId = -1;  // catalogue position of the current game, -1 for none
  std::uint32_t curGameNumber = 0;
  // Always NUL-terminated: the last element is never anything else.
  std::array<char16_t, kLastEnteredNameLength> lastEnteredName{};
  std::array<std::uint32_t, kSavedGameSlotCount> lastPlayed{};  // seconds since 1970 UTC
  std::uint32_t filterCat = 0;
  std::uint32_t filterSkill = 0;
  std::uint32_t filterTime = 0;
  std::uint32_t filterLetter = 0;
  std::uint8_t filterFav = 0;
  // Favourite game ids in the order they were added; stored as "favNum" (the
  // entry count) and "favList". The empty list is the single entry kNoFavourite.
  std::vector<std::uint16_t> favList{kNoFavourite};
  // While cards are dragged, the piles that would take them are framed.
  std::uint8_t dropMarks = 1;
  // New games are dealt only from numbers the solver proved winnable.
  std::uint8_t winnableDealsOnly = 0;

  bool operator==(const Preferences&) const = default;
};

// Reads the preferences. On the first run (the key did not exist) every value
// is written with its default. A value that is missing, or stored with another
// type or length than its own, takes its default in memory only.
Preferences LoadPreferences(Registry& registry, QStringView programTitle);

// Writes every value, in the order LoadPreferences reads them. Failures are silent.
void SavePreferences(Registry& registry, QStringView programTitle, const Preferences& preferences);

}  // namespace cw
