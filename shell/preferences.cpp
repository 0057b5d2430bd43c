#include "shell/preferences.h"

#include <algorithm>
#include <span>
#include <type_traits>

#include <QtEndian>

#include "engine/database/catalogue.h"

namespace cw {
namespace {

// One stored preference: its value name, type and exact length, and how it
// moves between its field and its little-endian bytes.
struct PreferenceValue {
  QStringView name;
  RegType type;
  std::uint32_t size;
  void (*store)(const Preferences&, std::uint8_t* bytes);
  void (*load)(Preferences&, const std::uint8_t* bytes);
};

template <auto Field>
constexpr PreferenceValue ByteValue(QStringView name) {
  return {name, RegType::Binary, 1,
          [](const Preferences& p, std::uint8_t* bytes) { bytes[0] = p.*Field; },
          [](Preferences& p, const std::uint8_t* bytes) { p.*Field = bytes[0]; }};
}

template <auto Field>
constexpr PreferenceValue DwordValue(QStringView name) {
  using FieldType = std::remove_cvref_t<decltype(std::declval<Preferences>().*Field)>;
  return {name, RegType::Dword, 4,
          [](const Preferences& p, std::uint8_t* bytes) {
            qToLittleEndian(static_cast<std::uint32_t>(p.*Field), bytes);
          },
          [](Preferences& p, const std::uint8_t* bytes) {
            p.*Field = static_cast<FieldType>(qFromLittleEndian<std::uint32_t>(bytes));
          }};
}

constexpr PreferenceValue kLastEnteredName = {
    u"lastEnteredName", RegType::None, 2 * kLastEnteredNameLength,
    [](const Preferences& p, std::uint8_t* bytes) {
      for (std::size_t i = 0; i < kLastEnteredNameLength; ++i) {
        qToLittleEndian(static_cast<std::uint16_t>(p.lastEnteredName[i]), bytes + 2 * i);
      }
    },
    [](Preferences& p, const std::uint8_t* bytes) {
      for (std::size_t i = 0; i < kLastEnteredNameLength; ++i) {
        p.lastEnteredName[i] =
            static_cast<char16_t>(qFromLittleEndian<std::uint16_t>(bytes + 2 * i));
      }
      // A stored name without its terminator must not run into what follows it.
      p.lastEnteredName.back() = u'\0';
    }};

constexpr PreferenceValue kLastPlayed = {
    u"lastPlayed", RegType::None, 4 * kSavedGameSlotCount,
    [](const Preferences& p, std::uint8_t* bytes) {
      for (std::size_t i = 0; i < kSavedGameSlotCount; ++i) {
        qToLittleEndian(p.lastPlayed[i], bytes + 4 * i);
      }
    },
    [](Preferences& p, const std::uint8_t* bytes) {
      for (std::size_t i = 0; i < kSavedGameSlotCount; ++i) {
        p.lastPlayed[i] = qFromLittleEndian<std::uint32_t>(bytes + 4 * i);
      }
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
  if (!ReadExact(registry, key, kFavNum, RegType::Dword, countBytes)) return noFavourites;
  const std::size_t count =
      std::min<std::size_t>(qFromLittleEndian<std::uint32_t>(countBytes.data()), kCatalogueSize);
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
  for (std::size_t i = 0; i < entries; ++i) {
    list[i] = qFromLittleEndian<std::uint16_t>(listBytes.data() + 2 * i);
  }
  return list;
}

void WriteAll(Registry& registry, RegistryKey key, const Preferences& preferences) {
  std::array<std::uint8_t, kLargestValueSize> bytes{};
  for (const PreferenceValue& value : kPreferenceValues) {
    value.store(preferences, bytes.data());
    registry.SetValue(key, value.name, value.type, std::span(bytes).first(value.size));
  }
  const auto count = static_cast<std::uint32_t>(preferences.favList.size());
  std::array<std::uint8_t, 4> countBytes{};
  qToLittleEndian(count, countBytes.data());
  registry.SetValue(key, kFavNum, RegType::Dword, countBytes);
  std::vector<std::uint8_t> listBytes(2 * preferences.favList.size());
  for (std::size_t i = 0; i < preferences.favList.size(); ++i) {
    qToLittleEndian(preferences.favList[i], listBytes.data() + 2 * i);
  }
  registry.SetValue(key, kFavList, RegType::Binary, listBytes);
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
    if (ReadExact(registry, key, value.name, value.type, std::span(bytes).first(value.size))) {
      value.load(preferences, bytes.data());
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
