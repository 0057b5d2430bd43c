#include "shell/preferences.h"

#include <algorithm>
#include <span>
#include <type_traits>

#include "engine/database/byte_io.h"
#include "engine/database/catalogue.h"

namespace cw {
namespace {

// One stored preference: its value name, type and exact length, and how it
// moves between its field and its little-endian bytes.
struct PreferenceValue {
  QStringView name;
  RegType type;
  std::uint32_t size;
  void (*store)(const Preferences&, ByteWriter& out);
  void (*load)(Preferences&, ByteReader& in);
};

template <auto Field>
constexpr PreferenceValue ByteValue(QStringView name) {
  return {name, RegType::Binary, 1,
          [](const Preferences& p, ByteWriter& out) { out.U8(p.*Field); },
          [](Preferences& p, ByteReader& in) { in.U8(p.*Field); }};
}

template <auto Field>
constexpr PreferenceValue DwordValue(QStringView name) {
  using FieldType = std::remove_cvref_t<decltype(std::declval<Preferences>().*Field)>;
  return {name, RegType::Dword, 4,
          [](const Preferences& p, ByteWriter& out) {
            out.U32(static_cast<std::uint32_t>(p.*Field));
          },
          [](Preferences& p, ByteReader& in) {
            std::uint32_t value = 0;
            in.U32(value);
            p.*Field = static_cast<FieldType>(value);
          }};
}

constexpr PreferenceValue kLastEnteredName = {
    u"lastEnteredName", RegType::None, 2 * kLastEnteredNameLength,
    [](const Preferences& p, ByteWriter& out) {
      for (char16_t unit : p.lastEnteredName) out.U16(static_cast<std::uint16_t>(unit));
    },
    [](Preferences& p, ByteReader& in) {
      for (char16_t& unit : p.lastEnteredName) {
        std::uint16_t value = 0;
        in.U16(value);
        unit = static_cast<char16_t>(value);
      }
      // A stored name without its terminator must not run into what follows it.
      p.lastEnteredName.back() = u'\0';
    }};

constexpr PreferenceValue kLastPlayed = {
    u"lastPlayed", RegType::None, 4 * kSavedGameSlotCount,
    [](const Preferences& p, ByteWriter& out) {
      for (std::uint32_t stamp : p.lastPlayed) out.U32(stamp);
    },
    [](Preferences& p, ByteReader& in) {
      for (std::uint32_t& stamp : p.lastPlayed) in.U32(stamp);
    }};

// In the order they are read and written; "favNum" and "favList" follow them.
constexpr PreferenceValue kPreferenceValues[] = {
    ByteValue<&Preferences::timedGame>(u"timedGame"),
    DwordValue<&Preferences::timeLimit>(u"timeLimit"),
    ByteValue<&Preferences::animation>(u"animation"),
    ByteValue<&Preferences::playMode>(u"playMode"),
    DwordValue<&Preferences::bgColor>(u"bgColor"),
    ByteValue<&Preferences::softkeyMenu>(u"softkeyMenu"),
    DwordValue<&Preferences::cardBack>(u"cardBack"),
    ByteValue<&Preferences::showTimer>(u"showTimer"),
    DwordValue<&Preferences::curSolId>(u"curSolId"),
    DwordValue<&Preferences::curGameNumber>(u"curGameNumber"),
    kLastEnteredName,
    kLastPlayed,
    DwordValue<&Preferences::filterCat>(u"filterCat"),
    DwordValue<&Preferences::filterSkill>(u"filterSkill"),
    DwordValue<&Preferences::filterTime>(u"filterTime"),
    DwordValue<&Preferences::filterLetter>(u"filterLetter"),
    ByteValue<&Preferences::filterFav>(u"filterFav"),
    ByteValue<&Preferences::dropMarks>(u"dropMarks"),
    ByteValue<&Preferences::winnableDealsOnly>(u"winnableDealsOnly"),
};
constexpr QStringView kFavNum = u"favNum";
constexpr QStringView kFavList = u"favList";

constexpr std::size_t kLargestValueSize =
    std::max_element(std::begin(kPreferenceValues), std::end(kPreferenceValues),
                     [](const PreferenceValue& a, const PreferenceValue& b) {
                       return a.size < b.size;
                     })->size;

QString PrefsKey(QStringView programTitle) {
  return ApplicationKey(programTitle) + QStringLiteral("\\prefs");
}

// Reads a value that must have exactly the given type and length.
bool ReadExact(Registry& registry, RegistryKey key, QStringView name, RegType type,
               std::span<std::uint8_t> bytes) {
  RegType storedType{};
  auto size = static_cast<std::uint32_t>(bytes.size());
  return registry.QueryValue(key, name, &storedType, bytes.data(), &size) == RegStatus::Success &&
         storedType == type && size == bytes.size();
}

// The stored count is not trusted: the list never has more entries than the
// stored list holds, nor more than there are games to be favourites.
std::vector<std::uint16_t> ReadFavourites(Registry& registry, RegistryKey key) {
  const std::vector<std::uint16_t> noFavourites{kNoFavourite};
  std::array<std::uint8_t, 4> countBytes{};
  std::uint32_t storedCount = 0;
  if (!ReadExact(registry, key, kFavNum, RegType::Dword, countBytes) ||
      !ByteReader(countBytes).U32(storedCount)) {
    return noFavourites;
  }
  const std::size_t count = std::min<std::size_t>(storedCount, kCatalogueSize);
  if (count == 0) return noFavourites;

  std::array<std::uint8_t, 2 * kCatalogueSize> listBytes{};
  RegType type{};
  auto size = static_cast<std::uint32_t>(2 * count);
  const RegStatus status = registry.QueryValue(key, kFavList, &type, listBytes.data(), &size);
  if ((status != RegStatus::Success && status != RegStatus::MoreData) || type != RegType::Binary) {
    return noFavourites;
  }
  const std::size_t entries = std::min<std::size_t>(count, size / 2);
  if (entries == 0) return noFavourites;
  std::vector<std::uint16_t> list(entries);
  ByteReader in(listBytes);
  for (std::uint16_t& id : list) in.U16(id);
  return list;
}

void WriteAll(Registry& registry, RegistryKey key, const Preferences& preferences) {
  for (const PreferenceValue& value : kPreferenceValues) {
    ByteWriter out;
    value.store(preferences, out);
    registry.SetValue(key, value.name, value.type, out.View());
  }
  ByteWriter count;
  count.U32(static_cast<std::uint32_t>(preferences.favList.size()));
  registry.SetValue(key, kFavNum, RegType::Dword, count.View());
  ByteWriter list;
  for (std::uint16_t id : preferences.favList) list.U16(id);
  registry.SetValue(key, kFavList, RegType::Binary, list.View());
}

}  // namespace

QString ApplicationKey(QStringView programTitle) {
  return QStringLiteral("SOFTWARE\\Quillo Software\\CardwrightSuite\\") + programTitle.toString();
}

Preferences LoadPreferences(Registry& registry, QStringView programTitle) {
  Preferences preferences;
  RegistryKey key;
  RegDisposition disposition{};
  if (registry.CreateKey(PrefsKey(programTitle), kAppDataClass, &key, &disposition) !=
      RegStatus::Success) {
    return preferences;
  }
  if (disposition != RegDisposition::OpenedExistingKey) {
    WriteAll(registry, key, preferences);
    return preferences;
  }
  std::array<std::uint8_t, kLargestValueSize> bytes{};
  for (const PreferenceValue& value : kPreferenceValues) {
    const std::span<std::uint8_t> stored = std::span(bytes).first(value.size);
    if (ReadExact(registry, key, value.name, value.type, stored)) {
      ByteReader in(stored);
      value.load(preferences, in);
    }
  }
  preferences.favList = ReadFavourites(registry, key);
  return preferences;
}

void SavePreferences(Registry& registry, QStringView programTitle,
                     const Preferences& preferences) {
  RegistryKey key;
  if (registry.CreateKey(PrefsKey(programTitle), kAppDataClass, &key, nullptr) ==
      RegStatus::Success) {
    WriteAll(registry, key, preferences);
  }
}

}  // namespace cw
