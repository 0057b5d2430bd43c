#include "platform/screen/screen_facts.h"

#include <gtest/gtest.h>

#include "platform/resources/build_variant.h"
#include "tests/platform/screen/env_guard.h"

namespace cw {
namespace {

TEST(DpiOverride, AcceptsWholeNumbersInRange) {
  EXPECT_EQ(ParseDpiOverride("96"), 96);
  EXPECT_EQ(ParseDpiOverride("131"), 131);
  EXPECT_EQ(ParseDpiOverride(" 192\n"), 192);
  EXPECT_EQ(ParseDpiOverride("48"), 48);
  EXPECT_EQ(ParseDpiOverride("960"), 960);
}

TEST(DpiOverride, RejectsMalformedValues) {
  for (const char* bad : {"", "  ", "garbage", "96dpi", "1.5", "+96", "-96", "0", "47", "961",
                          "99999999999999999999", "0x60", "9 6"}) {
    EXPECT_EQ(ParseDpiOverride(bad), std::nullopt) << '"' << bad << '"';
  }
}

TEST(ScreenFacts, FollowTheDevicePixelRatioUnlessOverridden) {
  EXPECT_EQ(ScreenFactsFor(1.0, "").logPixelsX, 96);
  EXPECT_EQ(ScreenFactsFor(2.0, "").logPixelsY, 192);
  EXPECT_EQ(ScreenFactsFor(1.5, "").logPixelsX, 144);
  EXPECT_EQ(ScreenFactsFor(1.25, "").logPixelsX, 120);
  EXPECT_EQ(ScreenFactsFor(1.0, "131").logPixelsX, 131);
  EXPECT_EQ(ScreenFactsFor(1.0, "131").logPixelsY, 131);
  EXPECT_EQ(ScreenFactsFor(1.0, "192").logPixelsY, 192);
  EXPECT_EQ(ScreenFactsFor(2.0, "garbage").logPixelsX, 192);
  // A ratio that cannot be real leaves the 96-dpi default.
  EXPECT_EQ(ScreenFactsFor(0.0, "").logPixelsX, 96);
  EXPECT_EQ(ScreenFactsFor(1e300, "").logPixelsX, 96);
}

TEST(ScreenFacts, ScaleRoundsToTheNearestPixel) {
  const ScreenFacts at96{96, 96};
  const ScreenFacts at131{131, 131};
  const ScreenFacts at192{192, 192};
  for (const int n : {0, 1, 5, 10, 20, 70, 161}) {
    EXPECT_EQ(at96.ScaleX(n), n);
    EXPECT_EQ(at192.ScaleY(n), 2 * n);
  }
  EXPECT_EQ(at131.ScaleX(1), 1);   // 1.36
  EXPECT_EQ(at131.ScaleX(2), 3);   // 2.73
  EXPECT_EQ(at131.ScaleX(10), 14);  // 13.6
  EXPECT_EQ(at131.ScaleY(20), 27);  // 27.3
  EXPECT_EQ(at131.ScaleX(70), 96);  // 95.52
  const ScreenFacts mixed{120, 144};
  EXPECT_EQ(mixed.ScaleX(10), 13);  // 12.5 rounds up
  EXPECT_EQ(mixed.ScaleY(10), 15);
}

TEST(ScreenFacts, ReadFromTheScreenAndTheEnvironment) {
  EnvGuard env;
  env.Unset(kDpiVariable);
  EXPECT_EQ(ReadScreenFacts().logPixelsX, 96);  // offscreen screens have ratio 1
  for (const auto& [value, expected] :
       {std::pair{"96", 96}, {"131", 131}, {"192", 192}, {"garbage", 96}}) {
    env.Set(kDpiVariable, value);
    const ScreenFacts facts = ReadScreenFacts();
    EXPECT_EQ(facts.logPixelsX, expected) << value;
    EXPECT_EQ(facts.logPixelsY, expected) << value;
  }
}

TEST(QvgaBuild, RunsOnEveryScreenButVga) {
  EXPECT_FALSE(IsVgaBuild());
  EXPECT_TRUE(BuildFitsScreen({96, 96}));
  EXPECT_TRUE(BuildFitsScreen({131, 131}));
  EXPECT_FALSE(BuildFitsScreen({192, 192}));
}

TEST(QvgaBuild, LeavesQtScalingAlone) {
  EnvGuard env;
  env.Unset("QT_SCALE_FACTOR");
  env.Unset(kDpiVariable);
  PrepareScreenScaling();
  EXPECT_FALSE(qEnvironmentVariableIsSet("QT_SCALE_FACTOR"));
}

}  // namespace
}  // namespace cw
