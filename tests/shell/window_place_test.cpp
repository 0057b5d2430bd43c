#include "shell/window_place.h"

#include <gtest/gtest.h>

#include <QtEndian>
#include <array>

#include "shell/preferences.h"
#include "tests/platform/registry/temporary_registry.h"

namespace cw {
namespace {

constexpr QStringView kTitle = u"TW Tarrow";
const QSize kWorkArea(240, 294);

TEST(WindowPlace, OnlyAScreenWithTwiceTheWorkAreaIsADesktop) {
  EXPECT_FALSE(IsDesktopScreen(QRect(0, 0, 240, 320), kWorkArea));
  EXPECT_FALSE(IsDesktopScreen(QRect(0, 0, 1280, 500), kWorkArea));
  EXPECT_TRUE(IsDesktopScreen(QRect(0, 0, 1280, 720), kWorkArea));
}

TEST(WindowPlace, FirstWindowTakesTwoThirdsOfTheHeightCentredAndNeverWiderThanTheScreen) {
  const QRect available(0, 30, 1920, 1050);
  const QRect first = FirstDesktopWindow(available);
  EXPECT_EQ(first.height(), 700);
  EXPECT_EQ(first.width(), 933);
  EXPECT_EQ(first.center(), available.center());
  const QRect narrow = FirstDesktopWindow(QRect(0, 0, 600, 1200));
  EXPECT_EQ(narrow.width(), 600);
  EXPECT_TRUE(QRect(0, 0, 600, 1200).contains(narrow));
}

TEST(WindowPlace, AKeptPlaceIsMovedOntoTheScreenOrRefused) {
  const QRect available(0, 0, 1280, 720);
  EXPECT_EQ(KeptPlaceOnScreen(QRect(100, 50, 800, 600), available, kWorkArea), QRect(100, 50, 800, 600));
  // Left on a screen that is no longer there: moved back whole.
  EXPECT_EQ(KeptPlaceOnScreen(QRect(2000, -300, 800, 600), available, kWorkArea), QRect(480, 0, 800, 600));
  EXPECT_FALSE(KeptPlaceOnScreen(QRect(0, 0, 1920, 1080), available, kWorkArea));
  EXPECT_FALSE(KeptPlaceOnScreen(QRect(0, 0, 100, 100), available, kWorkArea));
}

TEST(WindowPlace, SavedPlaceComesBackAndADamagedOneIsNone) {
  TemporaryRegistryFile file;
  Registry registry;
  EXPECT_FALSE(LoadWindowPlace(registry, kTitle));
  SaveWindowPlace(registry, kTitle, QRect(-20, 40, 960, 700));
  EXPECT_EQ(LoadWindowPlace(registry, kTitle), QRect(-20, 40, 960, 700));

  RegistryKey key;
  ASSERT_EQ(registry.OpenKey(ApplicationKey(kTitle) + QStringLiteral("\\window"), &key), RegStatus::Success);
  std::array<std::uint8_t, 16> bytes{};
  qToLittleEndian<std::int32_t>(-5, bytes.data() + 8);  // a negative width
  qToLittleEndian<std::int32_t>(700, bytes.data() + 12);
  ASSERT_EQ(registry.SetValue(key, u"place", RegType::Binary, bytes), RegStatus::Success);
  EXPECT_FALSE(LoadWindowPlace(registry, kTitle));
  ASSERT_EQ(registry.SetValue(key, u"place", RegType::Binary, std::span(bytes).first(12)), RegStatus::Success);
  EXPECT_FALSE(LoadWindowPlace(registry, kTitle));
}

}  // namespace
}  // namespace cw
