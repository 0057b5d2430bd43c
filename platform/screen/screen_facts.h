// What the program knows of the screen: its logical pixels per inch, from
// which every pixel constant written for a 96-dpi screen is scaled.
#pragma once

#include <QByteArrayView>
#include <optional>

namespace cw {

struct ScreenFacts {
  int logPixelsX = 96;
  int logPixelsY = 96;

  // SCALEX(n) and SCALEY(n): n pixels at 96 dpi, rounded to this screen.
  int ScaleX(int n) const { return (logPixelsX * n + 48) / 96; }
  int ScaleY(int n) const { return (logPixelsY * n + 48) / 96; }
  double ScaleFactor() const { return logPixelsY / 96.0; }
  // The screen the VGA build is made for.
  bool HighDpi() const { return logPixelsX == 192; }
};

// The environment variable that sets both LOGPIXELSX and LOGPIXELSY.
inline constexpr char kDpiVariable[] = "CARDWRIGHT_DPI";
// The range an override may take; anything else is ignored.
inline constexpr int kMinDpiOverride = 48;
inline constexpr int kMaxDpiOverride = 960;

// The override in `value` when it is a whole decimal number within the
// range, surrounding white space allowed; none otherwise.
std::optional<int> ParseDpiOverride(QByteArrayView value);

// 96 × the device pixel ratio, unless `dpiOverride` holds a valid override.
ScreenFacts ScreenFactsFor(double devicePixelRatio, QByteArrayView dpiOverride);

// The facts of the primary screen and the environment. Needs a
// QGuiApplication; without a screen the ratio is taken as 1.
ScreenFacts ReadScreenFacts();

// Whether this build may run on that screen: the VGA build only on a high-DPI
// screen, the QVGA build only on any other.
bool BuildFitsScreen(const ScreenFacts& facts);

// Call before the QGuiApplication is created. The VGA build asks Qt for a
// scale factor of 2 (unless QT_SCALE_FACTOR or the DPI override is already
// set), so that an ordinary desktop screen reads as 192 dpi and the window is
// legible; the QVGA build changes nothing.
void PrepareScreenScaling();

}  // namespace cw
