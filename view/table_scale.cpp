#include "view/table_scale.h"

#include <algorithm>

#include "view/display_metrics.h"

namespace cw {

namespace {

// The handheld's fields: its 240×320 screen in either orientation less the
// title and menu bars.
struct HandheldField {
  int width;
  int height;
};
constexpr HandheldField kHandheldFields[] = {{240, 268}, {320, 188}};

int Grown(int value, const FieldLayout& layout) {
  return (value * layout.scaleNum + layout.scaleDen / 2) / layout.scaleDen;
}

}  // namespace

int ChooseCardWidth(int baseCardWidth, int width, int height, const ScreenFacts& screen) {
  int best = baseCardWidth;
  for (const HandheldField& field : kHandheldFields) {
    const int byWidth = baseCardWidth * width / screen.ScaleX(field.width);
    const int byHeight = baseCardWidth * height / screen.ScaleY(field.height);
    best = std::max(best, std::min(byWidth, byHeight));
  }
  return best;
}

void FitLayoutToField(FieldLayout& layout, const SolGame& game, const ScreenFacts& screen, int width,
                      int height) {
  ResetLayoutMetrics(layout, game, ToDisplayMetrics(screen));
  const int base = layout.cardWidth;
  if (base <= 0 || width <= 0 || height <= 0) return;
  const int chosen = ChooseCardWidth(base, width, height, screen);
  if (chosen == base) return;
  layout.scaleNum = chosen;
  layout.cardWidth = chosen;
  layout.cardHeight = Grown(layout.cardHeight, layout);
  layout.stepX = Grown(layout.stepX, layout);
  layout.stepY = Grown(layout.stepY, layout);
}

}  // namespace cw
