#include "platform/gdi/font_style.h"

#include <QFontMetrics>
#include <algorithm>
#include <cstdint>

namespace cw {

QFont MakeFont(const FontStyle& style) {
  QFont font;
  if (!style.family.isEmpty()) font.setFamily(style.family);
  font.setWeight(static_cast<QFont::Weight>(std::clamp(style.weight, 1, 1000)));
  font.setStyleStrategy(QFont::NoAntialias);
  if (style.height < 0) {
    font.setPixelSize(-style.height);
  } else if (style.height > 0) {
    // A cell height: the largest pixel size whose ascent plus descent fits.
    // Each size measured loads a font, and a font's height grows about in
    // proportion to its pixel size: the search starts at the size in
    // proportion instead of stepping down from the cell height.
    const auto heightAt = [&font](int pixels) {
      font.setPixelSize(pixels);
      return QFontMetrics(font).height();
    };
    int pixels = style.height;
    const int full = heightAt(pixels);
    if (full > style.height && style.height > 1) {
      pixels = std::clamp(static_cast<int>(std::int64_t{style.height} * style.height / full), 1, style.height - 1);
      while (pixels > 1 && heightAt(pixels) > style.height) --pixels;
      while (pixels + 1 < style.height && heightAt(pixels + 1) <= style.height) ++pixels;
    }
    font.setPixelSize(pixels);
  }
  return font;
}

}  // namespace cw
