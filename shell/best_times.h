// The ten fastest winning times of each solitaire with the names of their
// players, kept as the value "data" of the solitaire's key below "bestScores".
#pragma once

#include <array>
#include <cstdint>

#include <QString>
#include <QStringView>

#include "shell/preferences.h"
#include "shell/statistics.h"

namespace cw {

inline constexpr std::size_t kBestTimeCount = 10;
// The name a player last entered is what the next entry offers.
inline constexpr std::size_t kBestTimeNameLength = kLastEnteredNameLength;
inline constexpr std::uint32_t kBestTimeEntrySize = 36;
inline constexpr std::uint32_t kBestTimesTableSize = kBestTimeEntrySize * kBestTimeCount;

struct BestTimeEntry {
  // Always NUL-terminated: the last element is never anything else.
  std::array<char16_t, kBestTimeNameLength> name{};
  std::uint32_t seconds = 0;  // 0 marks an empty entry

  bool Empty() const { return seconds == 0; }
  bool operator==(const BestTimeEntry&) const = default;
};

// Fastest first; the filled entries come before the empty ones, and among
// equal times the older entry comes first.
using BestTimesTable = std::array<BestTimeEntry, kBestTimeCount>;

QString BestTimesKey(QStringView programTitle, QStringView gameName);

// The time a win is ranked with: a win within its first second counts as
// one second, since zero seconds marks an empty entry.
std::uint32_t RankedSeconds(std::uint32_t elapsedSeconds);

// Whether `seconds` earns a place: some entry is empty or slower. A time
// equal to the slowest of a full table does not.
bool Qualifies(const BestTimesTable& table, std::uint32_t seconds);
// Puts the entry after every entry at least as fast, pushing the slower ones
// down; the tenth drops off. Does nothing when the time does not qualify.
void InsertBestTime(BestTimesTable& table, const BestTimeEntry& entry);

// The table as stored (360 little-endian bytes) and back. Decoding mends
// what the table's order needs: every name is terminated, the filled
// entries are sorted (keeping the order of equal times) ahead of the empty
// ones, and the names of empty entries are cleared.
std::array<std::uint8_t, kBestTimesTableSize> EncodeBestTimes(const BestTimesTable& table);
BestTimesTable DecodeBestTimes(const std::array<std::uint8_t, kBestTimesTableSize>& bytes);

// The stored table. When the key is new, or "data" is missing, longer than a
// table or not a REG_DWORD, an empty table is written and answered; a shorter
// value fills the start of an empty table.
BestTimesTable LoadBestTimes(const GameRecordsPlace& place);
void SaveBestTimes(const GameRecordsPlace& place, const BestTimesTable& table);
void ClearBestTimes(const GameRecordsPlace& place);

// A name as the table and the preferences hold it: at most 15 UTF-16 units
// (never half a surrogate pair) and the terminator; and back.
std::array<char16_t, kBestTimeNameLength> NameField(QStringView name);
QString NameText(const std::array<char16_t, kBestTimeNameLength>& field);

}  // namespace cw
