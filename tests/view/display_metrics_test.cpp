// Built once per display variant: each program hands the engine its own.
#include "view/display_metrics.h"

#include <gtest/gtest.h>

#include "platform/resources/build_variant.h"

namespace cw {
namespace {

TEST(DisplayMetricsTest, CarryTheProgramsVariantAndTheScreensDpi) {
  const DisplayMetrics metrics = ToDisplayMetrics({131, 120});
  EXPECT_EQ(metrics.vgaBuild, IsVgaBuild());
  EXPECT_EQ(metrics.logPixelsX, 131);
  EXPECT_EQ(metrics.logPixelsY, 120);
}

}  // namespace
}  // namespace cw
