// The preferences handed to the game field and the chooser, and what the
// chooser leaves behind stored back and kept in the registry.
#include "shell/preference_options.h"

#include <gtest/gtest.h>

#include "tests/platform/registry/temporary_registry.h"

namespace cw {
namespace {

constexpr QStringView kTitle = u"TW Tarrow";

TEST(PreferenceOptions, FirstRunPreferencesGiveTheFieldAndChooserDefaults) {
  EXPECT_EQ(FieldOptionsFrom(Preferences{}), FieldOptions{});
  EXPECT_EQ(ChooserOptionsFrom(Preferences{}), ChooserOptions{});
}

TEST(PreferenceOptions, FieldTakesEveryFieldPreference) {
  Preferences preferences;
  preferences.playMode = 3;
  preferences.animation = 0;
  preferences.bgColor = 0x00123456;
  preferences.cardBack = 2;
  preferences.showTimer = 0;
  preferences.timedGame = 0;
  preferences.timeLimit = 15;
  const FieldOptions options = FieldOptionsFrom(preferences);
  EXPECT_EQ(options.playMode, PlayMode::kKeyboardPileWise);
  EXPECT_FALSE(options.animation);
  EXPECT_EQ(options.bgColor, 0x00123456u);
  EXPECT_EQ(options.cardBack, 2u);
  EXPECT_FALSE(options.showTimer);
  EXPECT_FALSE(options.timedGame);
  EXPECT_EQ(options.timeLimit, 15u);

  // Any byte but 0 turns a switch on, as the preference reads everywhere else.
  preferences.animation = 2;
  preferences.showTimer = 7;
  preferences.timedGame = 0xFF;
  preferences.playMode = 0;
  const FieldOptions switchedOn = FieldOptionsFrom(preferences);
  EXPECT_TRUE(switchedOn.animation);
  EXPECT_TRUE(switchedOn.showTimer);
  EXPECT_TRUE(switchedOn.timedGame);
  EXPECT_EQ(switchedOn.playMode, PlayMode::kTapping);
}

TEST(PreferenceOptions, ChooserTakesItsFiltersFavouritesAndTheCurrentGame) {
  Preferences preferences;
  preferences.filterCat = 8;
  preferences.filterSkill = 2;
  preferences.filterTime = 3;
  preferences.filterLetter = 6;
  preferences.filterFav = 1;
  preferences.favList = {176, 562};
  preferences.curSolId = 9;
  const ChooserOptions options = ChooserOptionsFrom(preferences);
  EXPECT_EQ(options.filters, (ChooserFilters{8, 2, 3, 6, true}));
  EXPECT_EQ(options.favourites, (std::vector<std::uint16_t>{176, 562}));
  EXPECT_EQ(options.currentGame, 9);

  // Handing them back unchanged changes nothing.
  Preferences after = preferences;
  StoreChooserOptions(options, after);
  EXPECT_EQ(after, preferences);
}

TEST(PreferenceOptions, WhatTheChooserLeavesIsStoredBackAndSurvivesARestart) {
  TemporaryRegistryFile file;
  Preferences preferences;
  {
    Registry registry;
    preferences = LoadPreferences(registry, kTitle);
  }
  ChooserOptions options = ChooserOptionsFrom(preferences);
  options.filters = ChooserFilters{0, 3, 0, 1, true};
  options.favourites = {562, 746};
  options.currentGame = 13;
  const Preferences untouched = preferences;
  StoreChooserOptions(options, preferences);
  EXPECT_EQ(preferences.filterSkill, 3u);
  EXPECT_EQ(preferences.filterLetter, 1u);
  EXPECT_EQ(preferences.filterFav, 1);
  EXPECT_EQ(preferences.curSolId, 13);
  EXPECT_EQ(preferences.timeLimit, untouched.timeLimit) << "nothing but the chooser's own";
  EXPECT_EQ(preferences.curGameNumber, untouched.curGameNumber);
  {
    Registry registry;
    SavePreferences(registry, kTitle, preferences);
  }
  Registry registry;
  EXPECT_EQ(ChooserOptionsFrom(LoadPreferences(registry, kTitle)), options);

  options.filters.favouritesOnly = false;
  StoreChooserOptions(options, preferences);
  EXPECT_EQ(preferences.filterFav, 0);
}

}  // namespace
}  // namespace cw
