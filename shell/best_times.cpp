#include "shell/best_times.h"

#include <algorithm>

#include "engine/database/byte_io.h"

namespace cw {
namespace {

constexpr QStringView kDataValue = u"data";
static_assert(kBestTimeEntrySize == 2 * kBestTimeNameLength + 4);

RegStatus OpenOrCreate(const GameRecordsPlace& place, RegistryKey* key,
                       RegDisposition* disposition) {
  return place.registry.CreateKey(BestTimesKey(place.programTitle, place.gameName),
                                  kAppDataClass, key, disposition);
}

void Write(const GameRecordsPlace& place, RegistryKey key, const BestTimesTable& table) {
  place.registry.SetValue(key, kDataValue, RegType::Dword, EncodeBestTimes(table));
}

// The first entry that is empty or slower than `seconds`; kBestTimeCount when none.
std::size_t PlaceFor(const BestTimesTable& table, std::uint32_t seconds) {
  const auto found = std::find_if(table.begin(), table.end(), [seconds](const BestTimeEntry& e) {
    return e.Empty() || e.seconds > seconds;
  });
  return static_cast<std::size_t>(found - table.begin());
}

}  // namespace

QString BestTimesKey(QStringView programTitle, QStringView gameName) {
  return ApplicationKey(programTitle) + QStringLiteral("\\bestScores\\") + gameName.toString();
}

std::uint32_t RankedSeconds(std::uint32_t elapsedSeconds) { return std::max(elapsedSeconds, 1u); }

bool Qualifies(const BestTimesTable& table, std::uint32_t seconds) {
  return PlaceFor(table, seconds) < kBestTimeCount;
}

void InsertBestTime(BestTimesTable& table, const BestTimeEntry& entry) {
  const std::size_t place = PlaceFor(table, entry.seconds);
  if (place >= kBestTimeCount || entry.Empty()) return;
  std::move_backward(table.begin() + static_cast<std::ptrdiff_t>(place), table.end() - 1,
                     table.end());
  table[place] = entry;
  table[place].name.back() = u'\0';
}

std::array<std::uint8_t, kBestTimesTableSize> EncodeBestTimes(const BestTimesTable& table) {
  ByteWriter out;
  out.Reserve(kBestTimesTableSize);
  for (const BestTimeEntry& entry : table) {
    for (char16_t unit : entry.name) out.U16(static_cast<std::uint16_t>(unit));
    out.U32(entry.seconds);
  }
  std::array<std::uint8_t, kBestTimesTableSize> bytes{};
  std::copy(out.View().begin(), out.View().end(), bytes.begin());
  return bytes;
}

BestTimesTable DecodeBestTimes(const std::array<std::uint8_t, kBestTimesTableSize>& bytes) {
  BestTimesTable table{};
  ByteReader in(bytes);
  for (BestTimeEntry& entry : table) {
    for (char16_t& unit : entry.name) {
      std::uint16_t value = 0;
      in.U16(value);
      unit = static_cast<char16_t>(value);
    }
    entry.name.back() = u'\0';
    in.U32(entry.seconds);
  }
  // Qualifying and inserting rely on the order; a damaged table is put back
  // in it rather than shown with gaps or ranked wrongly.
  std::stable_partition(table.begin(), table.end(),
                        [](const BestTimeEntry& e) { return !e.Empty(); });
  const auto firstEmpty = std::find_if(table.begin(), table.end(),
                                       [](const BestTimeEntry& e) { return e.Empty(); });
  std::stable_sort(table.begin(), firstEmpty, [](const BestTimeEntry& a, const BestTimeEntry& b) {
    return a.seconds < b.seconds;
  });
  std::fill(firstEmpty, table.end(), BestTimeEntry{});
  return table;
}

BestTimesTable LoadBestTimes(const GameRecordsPlace& place) {
  RegistryKey key;
  RegDisposition disposition{};
  if (OpenOrCreate(place, &key, &disposition) != RegStatus::Success) return {};
  std::array<std::uint8_t, kBestTimesTableSize> bytes{};
  RegType type{};
  std::uint32_t size = kBestTimesTableSize;
  const RegStatus status = place.registry.QueryValue(key, kDataValue, &type, bytes.data(), &size);
  if (disposition != RegDisposition::OpenedExistingKey || status != RegStatus::Success ||
      type != RegType::Dword) {
    const BestTimesTable empty{};
    Write(place, key, empty);
    return empty;
  }
  return DecodeBestTimes(bytes);
}

void SaveBestTimes(const GameRecordsPlace& place, const BestTimesTable& table) {
  RegistryKey key;
  if (OpenOrCreate(place, &key, nullptr) == RegStatus::Success) Write(place, key, table);
}

void ClearBestTimes(const GameRecordsPlace& place) { SaveBestTimes(place, BestTimesTable{}); }

std::array<char16_t, kBestTimeNameLength> NameField(QStringView name) {
  std::array<char16_t, kBestTimeNameLength> field{};
  qsizetype length = std::min<qsizetype>(name.size(), kBestTimeNameLength - 1);
  if (length > 0 && length < name.size() && name[length - 1].isHighSurrogate()) --length;
  std::copy_n(name.utf16(), length, field.begin());
  return field;
}

QString NameText(const std::array<char16_t, kBestTimeNameLength>& field) {
  const auto end = std::find(field.begin(), field.end(), u'\0');
  return QString(reinterpret_cast<const QChar*>(field.data()),
                 static_cast<qsizetype>(end - field.begin()));
}

}  // namespace cw
