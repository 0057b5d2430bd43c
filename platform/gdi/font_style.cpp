#include "platform/gdi/font_style.h"

#include <QFontMetrics>
#include <algorithm>

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
    int pixels = style.height;
    font.setPixelSize(pixels);
    while (pixels > 1 && QFontMetrics(font).height() > style.height) {
      font.setPixelSize(--pixels);
    }
  }
  return font;
}

}  // namespace cw
