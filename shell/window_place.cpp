#include "shell/window_place.h"

#include <QtEndian>
#include <algorithm>
#include <array>
#include <cstdlib>

#include "shell/preferences.h"

namespace cw {

namespace {

// In a key of its own below the application key, as four little-endian
// 32-bit numbers: left, top, width, height.
constexpr QStringView kWindowPlace = u"place";
constexpr std::uint32_t kPlaceSize = 16;

QString PlaceKey(QStringView programTitle) { return ApplicationKey(programTitle) + QStringLiteral("\\window"); }

}  // namespace

bool IsDesktopScreen(const QRect& available, QSize workArea) {
  return available.width() >= 2 * workArea.width() && available.height() >= 2 * workArea.height();
}

QRect FirstDesktopWindow(const QRect& available) {
  const int height = available.height() * 2 / 3;
  const int width = std::min(height * 4 / 3, available.width());
  QRect window(0, 0, width, height);
  window.moveCenter(available.center());
  return window;
}

std::optional<QRect> KeptPlaceOnScreen(const QRect& kept, const QRect& available, QSize workArea) {
  if (kept.width() > available.width() || kept.height() > available.height()) return std::nullopt;
  if (kept.width() < workArea.width() || kept.height() < workArea.height()) return std::nullopt;
  QRect place = kept;
  place.moveLeft(std::clamp(place.left(), available.left(), available.right() + 1 - place.width()));
  place.moveTop(std::clamp(place.top(), available.top(), available.bottom() + 1 - place.height()));
  return place;
}

std::optional<QRect> LoadWindowPlace(Registry& registry, QStringView programTitle) {
  RegistryKey key;
  if (registry.OpenKey(PlaceKey(programTitle), &key) != RegStatus::Success) return std::nullopt;
  std::array<std::uint8_t, kPlaceSize> bytes{};
  RegType type{};
  std::uint32_t size = kPlaceSize;
  if (registry.QueryValue(key, kWindowPlace, &type, bytes.data(), &size) != RegStatus::Success ||
      type != RegType::Binary || size != kPlaceSize) {
    return std::nullopt;
  }
  const auto at = [&](int i) { return qFromLittleEndian<std::int32_t>(bytes.data() + 4 * i); };
  // Stored numbers are not trusted: a size beyond any screen is no place.
  constexpr std::int32_t kLargest = 1 << 16;
  const std::int32_t width = at(2);
  const std::int32_t height = at(3);
  if (width <= 0 || height <= 0 || width > kLargest || height > kLargest || std::abs(at(0)) > kLargest ||
      std::abs(at(1)) > kLargest) {
    return std::nullopt;
  }
  return QRect(at(0), at(1), width, height);
}

void SaveWindowPlace(Registry& registry, QStringView programTitle, const QRect& place) {
  RegistryKey key;
  if (registry.CreateKey(PlaceKey(programTitle), kAppDataClass, &key, nullptr) != RegStatus::Success) return;
  std::array<std::uint8_t, kPlaceSize> bytes{};
  const std::array<std::int32_t, 4> numbers = {place.left(), place.top(), place.width(), place.height()};
  for (std::size_t i = 0; i < numbers.size(); ++i) qToLittleEndian(numbers[i], bytes.data() + 4 * i);
  registry.SetValue(key, kWindowPlace, RegType::Binary, bytes);
}

}  // namespace cw
