#include "view/display_metrics.h"

#include "platform/resources/build_variant.h"

namespace cw {

DisplayMetrics ToDisplayMetrics(const ScreenFacts& facts) {
  return DisplayMetrics{IsVgaBuild(), facts.logPixelsX, facts.logPixelsY};
}

}  // namespace cw
