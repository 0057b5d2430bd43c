// The games played and won and the time spent on each solitaire, kept as the
// value "data" of the solitaire's key below "statistics".
#pragma once

#include <cstdint>

#include <QString>
#include <QStringView>

#include "platform/registry/registry.h"

namespace cw {

// Stored as 8 little-endian bytes: played (u16), won (u16), totalSeconds (u32).
struct GameStatistics {
  std::uint16_t played = 0;
  std::uint16_t won = 0;
  std::uint32_t totalSeconds = 0;  // sum of the seconds of every counted game

  bool operator==(const GameStatistics&) const = default;
};

inline constexpr std::uint32_t kGameStatisticsSize = 8;

// One solitaire's records: the registry, the program's title (which names
// the application key) and the game's name as the player sees it.
struct GameRecordsPlace {
  Registry& registry;
  QString programTitle;
  QString gameName;
};

QString StatisticsKey(QStringView programTitle, QStringView gameName);

// The record with one more game counted. The counters stop at their largest
// value rather than wrap back to zero.
GameStatistics CountGame(GameStatistics statistics, bool won, std::uint32_t seconds);

// The stored record, creating the key when it is missing. A value that is
// missing, not an 8-byte REG_DWORD, or unreadable reads as zeros; a record
// claiming more games won than played is read with won = played.
GameStatistics ReadStatistics(const GameRecordsPlace& place);
// Counts one finished or abandoned game.
void RecordGame(const GameRecordsPlace& place, bool won, std::uint32_t seconds);
void ClearStatistics(const GameRecordsPlace& place);

// A time as minutes, ":" and two digits of seconds; minutes without limit
// and without a leading zero ("62:05", "0:00").
QString FormatGameTime(std::uint32_t seconds);
// Games won in percent, truncated ("33%"); "0%" before the first game.
QString WinRateText(const GameStatistics& statistics);
// The average of the counted games; "0:00" before the first game.
QString AverageTimeText(const GameStatistics& statistics);

}  // namespace cw
