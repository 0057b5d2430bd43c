#include "platform/gdi/font_spec.h"

#include <QFontMetrics>
#include <algorithm>

namespace cw {

QFont MakeFont(const FontSpec& spec) {
  QFont font;
  if (!spec.family.isEmpty()) font.setFamily(spec.family);
  font.setWeight(static_cast<QFont::Weight>(std::clamp(spec.weight, 1, 1000)));
  font.setStyleStrategy(QFont::NoAntialias);
  if (spec.height < 0) {
    font.setPixelSize(-spec.height);
  } else if (spec.height > 0) {
    // A cell height: the largest pixel size whose ascent plus descent fits.
    int pixels = spec.height;
    font.setPixelSize(pixels);
    while (pixels > 1 && QFontMetrics(font).height() > spec.height) {
      font.setPixelSize(--pixels);
    }
  }
  return font;
}

}  // namespace cw
