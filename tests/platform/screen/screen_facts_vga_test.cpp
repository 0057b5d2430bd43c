#include <gtest/gtest.h>

#include "platform/resources/build_variant.h"
#include "platform/screen/screen_facts.h"
#include "tests/platform/screen/env_guard.h"

namespace cw {
namespace {

TEST(VgaBuild, RunsOnlyOnHighDpiScreens) {
  EXPECT_TRUE(IsVgaBuild());
  EXPECT_TRUE(BuildFitsScreen({192, 192}));
  EXPECT_FALSE(BuildFitsScreen({96, 96}));
  EXPECT_FALSE(BuildFitsScreen({131, 131}));
}

TEST(VgaBuild, AsksQtForScaleFactorTwoUnlessTheUserChoseOne) {
  {
    EnvGuard env;
    env.Unset("QT_SCALE_FACTOR");
    env.Unset(kDpiVariable);
    PrepareScreenScaling();
    EXPECT_EQ(qgetenv("QT_SCALE_FACTOR"), "2");
  }
  {
    EnvGuard env;
    env.Set("QT_SCALE_FACTOR", "1.5");
    env.Unset(kDpiVariable);
    PrepareScreenScaling();
    EXPECT_EQ(qgetenv("QT_SCALE_FACTOR"), "1.5");
  }
  {
    EnvGuard env;
    env.Unset("QT_SCALE_FACTOR");
    env.Set(kDpiVariable, "192");
    PrepareScreenScaling();
    EXPECT_FALSE(qEnvironmentVariableIsSet("QT_SCALE_FACTOR"));
  }
}

}  // namespace
}  // namespace cw
