#include "shell/preference_options.h"

namespace cw {

FieldOptions FieldOptionsFrom(const Preferences& preferences) {
  FieldOptions options;
  options.playMode = static_cast<PlayMode>(preferences.playMode);
  options.animation = preferences.animation != 0;
  options.dropMarks = preferences.dropMarks != 0;
  options.bgColor = preferences.bgColor;
  options.cardBack = preferences.cardBack;
  options.showTimer = preferences.showTimer != 0;
  options.timedGame = preferences.timedGame != 0;
  options.timeLimit = preferences.timeLimit;
  return options;
}

ChooserOptions ChooserOptionsFrom(const Preferences& preferences) {
  ChooserOptions options;
  options.filters.category = preferences.filterCat;
  options.filters.skill = preferences.filterSkill;
  options.filters.duration = preferences.filterTime;
  options.filters.letter = preferences.filterLetter;
  options.filters.favouritesOnly = preferences.filterFav != 0;
  options.favourites = preferences.favList;
  options.currentGame = preferences.curSolId;
  return options;
}

void StoreChooserOptions(const ChooserOptions& options, Preferences& preferences) {
  preferences.filterCat = options.filters.category;
  preferences.filterSkill = options.filters.skill;
  preferences.filterTime = options.filters.duration;
  preferences.filterLetter = options.filters.letter;
  preferences.filterFav = options.filters.favouritesOnly ? 1 : 0;
  preferences.favList = options.favourites;
  preferences.curSolId = options.currentGame;
}

}  // namespace cw
