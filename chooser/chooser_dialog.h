// The solitaire chooser: the catalogue as a list narrowed by five filters,
// with favourites, through which the player picks the game to play. The
// filters and the favourites live in the options it is given; on "Play" it
// makes the chosen game the current one.
#pragma once

#include <QPointer>
#include <array>
#include <functional>
#include <memory>
#include <optional>

#include "chooser/chooser_drawing.h"
#include "chooser/chooser_filter.h"
#include "chooser/chooser_options.h"
#include "engine/database/catalogue.h"
#include "uilib/ce_dialog.h"

namespace cw {

class IconButton;
class ListView;

// The chooser's controls.
namespace chooser_control {
inline constexpr unsigned kGames = 5020;
inline constexpr unsigned kCategoryButton = 5021;
inline constexpr unsigned kCategoryList = 5022;
inline constexpr unsigned kSkillButton = 5023;
inline constexpr unsigned kSkillList = 5024;
inline constexpr unsigned kDurationButton = 5025;
inline constexpr unsigned kDurationList = 5026;
inline constexpr unsigned kLetterButton = 5027;
// Three columns of nine letter values each: 0-8, 9-17 and 18-26.
inline constexpr std::array<unsigned, 3> kLetterColumns = {5028, 5029, 5030};
inline constexpr unsigned kClearFilters = 5031;
inline constexpr unsigned kFavourite = 5032;
inline constexpr unsigned kFavouritesOnly = 5033;
}  // namespace chooser_control

// Posted to the chooser after every filter change: rebuilds the games list.
inline constexpr unsigned WM_CHOOSER_REFRESH = 5127;

inline constexpr int kLettersPerColumn = 9;

class ChooserDialog : public CeDialog {
 public:
  // `resources`: where the catalogue is read from each time the chooser
  // opens. `options`: the owner's; they must outlive the dialog.
  ChooserDialog(const ResourceSource& resources, ChooserOptions& options);
  ~ChooserDialog() override;

  // Runs the chooser modally. Answers the record index of the game chosen
  // with "Play", which is then also the options' current game; none when the
  // player left without a choice (current game unchanged). Either way the
  // filters are written back to the options.
  std::optional<int> Run(CeMsgWnd* owner);

  // The filters as the player has set them so far.
  const ChooserFilters& Filters() const { return filters_; }

  void OnInitDialog(bool& handled) override;
  void OnCommand(unsigned id, unsigned code, bool& handled) override;
  LRESULT OnNotify(const Notification& notification, bool& handled) override;
  LRESULT OnMessage(unsigned msg, WPARAM wParam, LPARAM lParam, bool& handled) override;

 private:
  enum class Filter { kCategory, kSkill, kDuration, kLetter };

  void CreateControls();
  void PlaceControls();
  ListView* MakeFilterList(unsigned id, int rows, bool centred);
  IconButton* MakeButton(unsigned id, std::function<std::vector<FacePart>()> parts, bool centred,
                         std::function<bool()> highlighted);

  void FillGames();
  void SelectGame(int recordIndex);
  // The catalogue position of the selected game row; none for no row or the
  // empty-list row.
  std::optional<int> SelectedGame() const;
  void UpdateFavouriteButton();
  void ToggleFavourite();
  void Play();

  void OpenFilter(Filter filter);
  void CloseFilter(bool focusButton);
  void ChooseFilterValue(Filter filter, std::uint32_t value);
  std::uint32_t& FilterValue(Filter filter);
  void FilterChanged();
  LRESULT OnFilterListNotify(Filter filter, const Notification& notification);
  LRESULT OnLetterKey(const Notification& notification);
  IconButton* FilterButton(Filter filter) const;
  std::vector<ListView*> FilterLists(Filter filter) const;

  std::vector<FacePart> CategoryRow(std::uint32_t category) const;
  std::vector<FacePart> SkillRow(std::uint32_t skill) const;
  std::vector<FacePart> DurationRow(std::uint32_t duration) const;
  QString LetterName(std::uint32_t letter) const;

  const ResourceSource& resources_;
  ChooserOptions& options_;
  Catalogue catalogue_;
  ChooserFilters filters_;
  std::optional<Filter> openFilter_;
  std::optional<int> chosen_;
  ScreenFacts facts_;
  ChooserMetrics metrics_;
  std::unique_ptr<ChooserPictures> pictures_;

  QPointer<ListView> games_;
  QPointer<ListView> categoryList_, skillList_, durationList_;
  std::array<QPointer<ListView>, 3> letterColumns_;
  QPointer<IconButton> categoryButton_, skillButton_, durationButton_, letterButton_, clearButton_,
      favouriteButton_, favouritesOnlyButton_;
};

}  // namespace cw
