#include "chooser/chooser_filter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/database/embedded_resources.h"

namespace cw {
namespace {

const std::vector<std::uint16_t> kNoFavourites{kNoFavourite};

const Catalogue& RealCatalogue() {
  static const Catalogue catalogue = LoadCatalogue(EmbeddedGameResources());
  return catalogue;
}

std::vector<std::string> Names(const std::vector<int>& rows) {
  std::vector<std::string> names;
  for (int row : rows) {
    names.push_back(row == kEmptyListRow ? std::string("<none>")
                                         : RealCatalogue().entries.at(static_cast<std::size_t>(row)).name);
  }
  return names;
}

std::vector<std::string> Listed(const ChooserFilters& filters,
                                const std::vector<std::uint16_t>& favourites = {kNoFavourite}) {
  return Names(ListedGames(RealCatalogue(), filters, favourites));
}

ChooserFilters Letter(char letter) {
  ChooserFilters filters;
  filters.letter = static_cast<std::uint32_t>(letter - 'A' + 1);
  return filters;
}

const std::vector<std::string> kNothing{"<none>"};

TEST(ChooserFilter, NoFilterListsTheWholeCatalogueInOrder) {
  const std::vector<int> rows = ListedGames(RealCatalogue(), {}, kNoFavourites);
  ASSERT_EQ(rows.size(), 20u);
  for (int i = 0; i < 20; ++i) EXPECT_EQ(rows[static_cast<std::size_t>(i)], i);
}

TEST(ChooserFilter, InitialLetter) {
  EXPECT_EQ(Listed(Letter('F')),
            (std::vector<std::string>{"ForeCell", "Four by Ten", "Four Colours", "FreeCell"}));
  EXPECT_EQ(Listed(Letter('A')), std::vector<std::string>{"Antares"});
  EXPECT_EQ(Listed(Letter('T')), std::vector<std::string>{"Towers"});
  EXPECT_EQ(Listed(Letter('X')), kNothing);
  EXPECT_EQ(Listed(Letter('Z')), kNothing);
}

TEST(ChooserFilter, LetterMatchesLowerCaseNamesToo) {
  Catalogue catalogue;
  catalogue.entries.resize(3);
  catalogue.entries[0].name = "penguin";
  catalogue.entries[1].name = "Penguin";
  catalogue.entries[2].name = "";  // an unreadable name never matches a letter
  ChooserFilters filters = Letter('P');
  EXPECT_EQ(ListedGames(catalogue, filters, kNoFavourites), (std::vector<int>{0, 1}));
  filters.letter = 0;
  EXPECT_EQ(ListedGames(catalogue, filters, kNoFavourites), (std::vector<int>{0, 1, 2}));
}

TEST(ChooserFilter, CategoryIncludesExtraCategories) {
  ChooserFilters filters;
  filters.category = 8;  // Spider: Antares through its extra category
  EXPECT_EQ(Listed(filters), std::vector<std::string>{"Antares"});
  filters.category = 6;  // FreeCell: every game
  EXPECT_EQ(ListedGames(RealCatalogue(), filters, kNoFavourites).size(), 20u);
  for (std::uint32_t category : {1u, 2u, 3u, 4u, 5u, 7u, 9u, 10u, 11u}) {
    filters.category = category;
    EXPECT_EQ(Listed(filters), kNothing) << category;
  }
}

TEST(ChooserFilter, EachDuration) {
  ChooserFilters filters;
  filters.duration = 1;  // "<3m": no game of this edition
  EXPECT_EQ(Listed(filters), kNothing);
  filters.duration = 2;
  EXPECT_EQ(Listed(filters),
            (std::vector<std::string>{"ForeCell", "Four by Ten", "KingCell", "Penguin", "Scorpion Towers",
                                      "Sea Towers", "Seven by Five", "Towers"}));
  filters.duration = 3;
  EXPECT_EQ(Listed(filters),
            (std::vector<std::string>{"Antares", "Challenge FreeCell", "Eight Off", "Four Colours",
                                      "FreeCell", "Inverted FreeCell", "Seven by Seven"}));
  filters.duration = 4;
  EXPECT_EQ(Listed(filters), (std::vector<std::string>{"Baker's Game", "Double FreeCell", "Eight On",
                                                       "Milligan Cell", "Repair"}));
}

TEST(ChooserFilter, EachSkill) {
  ChooserFilters filters;
  filters.skill = 1;
  EXPECT_EQ(Listed(filters), kNothing);
  filters.skill = 2;
  EXPECT_EQ(Listed(filters), (std::vector<std::string>{"Double FreeCell", "Eight Off", "Four Colours",
                                                       "KingCell", "Milligan Cell"}));
  filters.skill = 3;
  EXPECT_EQ(ListedGames(RealCatalogue(), filters, kNoFavourites).size(), 15u);
  EXPECT_EQ(Listed(filters).front(), "Antares");
}

TEST(ChooserFilter, FiltersCombine) {
  ChooserFilters filters = Letter('S');
  filters.skill = 3;
  filters.duration = 2;
  EXPECT_EQ(Listed(filters), (std::vector<std::string>{"Scorpion Towers", "Sea Towers", "Seven by Five"}));
  filters.category = 8;
  EXPECT_EQ(Listed(filters), kNothing);
}

TEST(ChooserFilter, FavouritesOnly) {
  ChooserFilters filters;
  filters.favouritesOnly = true;
  EXPECT_EQ(Listed(filters, {176, 562}), (std::vector<std::string>{"Antares", "FreeCell"}));
  EXPECT_EQ(Listed(filters, kNoFavourites), kNothing);
  EXPECT_EQ(Listed(filters, {}), kNothing);
  // A search of the list stops at the first empty entry.
  EXPECT_EQ(Listed(filters, {746, kNoFavourite, 176}), std::vector<std::string>{"Penguin"});
  filters.letter = 6;
  EXPECT_EQ(Listed(filters, {176, 562}), std::vector<std::string>{"FreeCell"});
}

TEST(ChooserFavourites, AddingReplacesTheEmptyEntryAndKeepsTheOrder) {
  std::vector<std::uint16_t> favourites{kNoFavourite};
  EXPECT_FALSE(IsFavourite(favourites, 176));
  AddFavourite(favourites, 176);
  EXPECT_EQ(favourites, (std::vector<std::uint16_t>{176}));
  AddFavourite(favourites, 562);
  AddFavourite(favourites, 176);  // already there
  EXPECT_EQ(favourites, (std::vector<std::uint16_t>{176, 562}));
  EXPECT_TRUE(IsFavourite(favourites, 562));
  AddFavourite(favourites, kNoFavourite);  // never an id
  EXPECT_EQ(favourites, (std::vector<std::uint16_t>{176, 562}));
  EXPECT_FALSE(IsFavourite(favourites, kNoFavourite));
}

TEST(ChooserFavourites, RemovingTheLastLeavesTheEmptyEntry) {
  std::vector<std::uint16_t> favourites{31, 176, 562};
  RemoveFavourite(favourites, 176);
  EXPECT_EQ(favourites, (std::vector<std::uint16_t>{31, 562}));
  RemoveFavourite(favourites, 999);  // not there
  EXPECT_EQ(favourites, (std::vector<std::uint16_t>{31, 562}));
  RemoveFavourite(favourites, 31);
  RemoveFavourite(favourites, 562);
  EXPECT_EQ(favourites, (std::vector<std::uint16_t>{kNoFavourite}));
  AddFavourite(favourites, 746);
  EXPECT_EQ(favourites, (std::vector<std::uint16_t>{746}));
}

TEST(ChooserFavourites, StoredListsWithDuplicatesOrUnreachableEntries) {
  // A removed favourite must not survive as a second copy.
  std::vector<std::uint16_t> duplicates{176, 562, 176};
  RemoveFavourite(duplicates, 176);
  EXPECT_EQ(duplicates, (std::vector<std::uint16_t>{562}));
  EXPECT_FALSE(IsFavourite(duplicates, 176));
  // An id appended after an empty entry would never be found again.
  std::vector<std::uint16_t> unreachable{31, kNoFavourite, 176};
  EXPECT_FALSE(IsFavourite(unreachable, 176));
  AddFavourite(unreachable, 562);
  EXPECT_EQ(unreachable, (std::vector<std::uint16_t>{31, 562}));
  std::vector<std::uint16_t> emptyFirst{kNoFavourite, 176};
  RemoveFavourite(emptyFirst, 31);
  EXPECT_EQ(emptyFirst, (std::vector<std::uint16_t>{kNoFavourite}));
}

TEST(ChooserFilter, KeptValuesOutsideTheirRangesReadAsAll) {
  EXPECT_EQ(FiltersInRange(ChooserFilters{11, 3, 4, 26, true}), (ChooserFilters{11, 3, 4, 26, true}));
  EXPECT_EQ(FiltersInRange(ChooserFilters{12, 4, 0xFFFFFFFF, 27, true}), (ChooserFilters{0, 0, 0, 0, true}));
  EXPECT_EQ(FiltersInRange(ChooserFilters{8, 2, 3, 6, false}), (ChooserFilters{8, 2, 3, 6, false}));
  EXPECT_TRUE((ChooserFilters{0, 0, 0, 0, true}).AnySet());
  EXPECT_FALSE(ChooserFilters{}.AnySet());
}

}  // namespace
}  // namespace cw
