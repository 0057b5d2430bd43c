#include "platform/screen/screen_facts.h"

#include <QGuiApplication>
#include <QScreen>
#include <QtGlobal>
#include <charconv>
#include <cmath>

#include "platform/resources/build_variant.h"

namespace cw {

std::optional<int> ParseDpiOverride(QByteArrayView value) {
  const QByteArrayView trimmed = value.trimmed();
  if (trimmed.isEmpty()) return std::nullopt;
  const char* first = trimmed.data();
  const char* last = first + trimmed.size();
  int dpi = 0;
  const auto [end, error] = std::from_chars(first, last, dpi);
  if (error != std::errc() || end != last) return std::nullopt;
  if (dpi < kMinDpiOverride || dpi > kMaxDpiOverride) return std::nullopt;
  return dpi;
}

ScreenFacts ScreenFactsFor(double devicePixelRatio, QByteArrayView dpiOverride) {
  int dpi = 96;
  if (const std::optional<int> forced = ParseDpiOverride(dpiOverride)) {
    dpi = *forced;
  } else if (std::isfinite(devicePixelRatio) && devicePixelRatio > 0.0 &&
             devicePixelRatio <= kMaxDpiOverride / 96.0) {
    dpi = static_cast<int>(std::lround(96.0 * devicePixelRatio));
  }
  return ScreenFacts{dpi, dpi};
}

ScreenFacts ReadScreenFacts() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  const double ratio = screen != nullptr ? screen->devicePixelRatio() : 1.0;
  return ScreenFactsFor(ratio, qgetenv(kDpiVariable));
}

bool BuildFitsScreen(const ScreenFacts& facts) { return IsVgaBuild() == facts.HighDpi(); }

void PrepareScreenScaling() {
  if (!IsVgaBuild()) return;
  if (qEnvironmentVariableIsSet("QT_SCALE_FACTOR") || qEnvironmentVariableIsSet(kDpiVariable)) {
    return;
  }
  qputenv("QT_SCALE_FACTOR", "2");
}

}  // namespace cw
