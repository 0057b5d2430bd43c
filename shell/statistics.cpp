#include "shell/statistics.h"

#include <algorithm>
#include <array>
#include <limits>

#include "engine/database/byte_io.h"
#include "shell/preferences.h"

namespace cw {
namespace {

constexpr QStringView kDataValue = u"data";

template <typename T>
T SaturatingAdd(T a, T b) {
  return a > std::numeric_limits<T>::max() - b ? std::numeric_limits<T>::max()
                                                : static_cast<T>(a + b);
}

void Write(const GameRecordsPlace& place, RegistryKey key, const GameStatistics& statistics) {
  ByteWriter out;
  out.U16(statistics.played);
  out.U16(statistics.won);
  out.U32(statistics.totalSeconds);
  place.registry.SetValue(key, kDataValue, RegType::Dword, out.View());
}

GameStatistics Read(const GameRecordsPlace& place, RegistryKey key) {
  std::array<std::uint8_t, kGameStatisticsSize> bytes{};
  RegType type{};
  std::uint32_t size = kGameStatisticsSize;
  if (place.registry.QueryValue(key, kDataValue, &type, bytes.data(), &size) !=
          RegStatus::Success ||
      type != RegType::Dword || size != kGameStatisticsSize) {
    return {};
  }
  GameStatistics statistics;
  ByteReader in(bytes);
  in.U16(statistics.played);
  in.U16(statistics.won);
  in.U32(statistics.totalSeconds);
  statistics.won = std::min(statistics.won, statistics.played);
  return statistics;
}

}  // namespace

QString StatisticsKey(QStringView programTitle, QStringView gameName) {
  return ApplicationKey(programTitle) + QStringLiteral("\\statistics\\") + gameName.toString();
}

GameStatistics CountGame(GameStatistics statistics, bool won, std::uint32_t seconds) {
  // A full counter stays full: wrapping would turn a long record into nonsense
  // such as more games won than played.
  if (statistics.played == std::numeric_limits<std::uint16_t>::max()) return statistics;
  ++statistics.played;
  if (won) ++statistics.won;
  statistics.totalSeconds = SaturatingAdd(statistics.totalSeconds, seconds);
  return statistics;
}

GameStatistics ReadStatistics(const GameRecordsPlace& place) {
  RegistryKey key;
  if (place.registry.CreateKey(StatisticsKey(place.programTitle, place.gameName), kAppDataClass,
                               &key, nullptr) != RegStatus::Success) {
    return {};
  }
  return Read(place, key);
}

void RecordGame(const GameRecordsPlace& place, bool won, std::uint32_t seconds) {
  RegistryKey key;
  if (place.registry.CreateKey(StatisticsKey(place.programTitle, place.gameName), kAppDataClass,
                               &key, nullptr) != RegStatus::Success) {
    return;
  }
  Write(place, key, CountGame(Read(place, key), won, seconds));
}

void ClearStatistics(const GameRecordsPlace& place) {
  RegistryKey key;
  if (place.registry.CreateKey(StatisticsKey(place.programTitle, place.gameName), kAppDataClass,
                               &key, nullptr) == RegStatus::Success) {
    Write(place, key, GameStatistics{});
  }
}

QString FormatGameTime(std::uint32_t seconds) {
  const std::uint32_t rest = seconds % 60;
  return QString::number(seconds / 60) + u':' + (rest < 10 ? QStringLiteral("0") : QString()) +
         QString::number(rest);
}

QString WinRateText(const GameStatistics& statistics) {
  if (statistics.played == 0) return QStringLiteral("0%");
  const std::uint32_t rate = std::uint32_t{statistics.won} * 100 / statistics.played;
  return QString::number(rate) + u'%';
}

QString AverageTimeText(const GameStatistics& statistics) {
  if (statistics.played == 0) return QStringLiteral("0:00");
  return FormatGameTime(statistics.totalSeconds / statistics.played);
}

}  // namespace cw
