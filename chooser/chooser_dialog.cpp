#include "chooser/chooser_dialog.h"

#include <QApplication>
#include <QFontMetrics>
#include <QHeaderView>
#include <algorithm>
#include <cmath>

#include "platform/resources/resource_ids.h"
#include "platform/resources/string_table.h"
#include "uilib/child_layout.h"
#include "uilib/icon_button.h"
#include "uilib/list_view.h"
#include "uilib/menu_bar.h"

namespace cw {

using namespace chooser_control;

namespace {

// Texts the chooser shows as they are, beside the name tables of the catalogue.
const QString kAll = QStringLiteral("All");
const QString kTo = QStringLiteral("to");
const QString kFrom = QStringLiteral("from");
const QString kFavorites = QStringLiteral("Favorites");
const QString kCloseFavorites = QStringLiteral("Close Favorites");

constexpr int kCategoryRows = static_cast<int>(kMaxCategoryFilter) + 1;
constexpr int kSkillRows = static_cast<int>(kMaxSkillFilter) + 1;
constexpr int kDurationRows = static_cast<int>(kMaxDurationFilter) + 1;

std::optional<MenuBarLayout> ChooserMenuBar() { return LoadMenuBar(menu_bar_id::kChooser); }

QString NameOf(const std::vector<std::string>& names, std::uint32_t index) {
  return index < names.size() ? QString::fromStdString(names[index]) : QString();
}

// Where the controls go in a client area of `client` device pixels: the
// filter buttons along the top, the games below them, the favourite buttons
// along the bottom; the filter lists drop down from their buttons over the
// games.
struct ChooserLayout {
  QRect category, skill, duration, letter, clear, games, favourite, favouritesOnly;
  QRect categoryList, skillList, durationList;
  std::array<QRect, 3> letterColumns;
};

ChooserLayout LayOut(const QSize& client, const ScreenFacts& facts, const ChooserMetrics& metrics,
                     int listFrame, int durationButtonWidth) {
  ChooserLayout layout;
  const int width = client.width();
  const int height = client.height();
  const int margin = facts.ScaleX(2);
  const int gap = facts.ScaleX(2);
  const int buttonGap = facts.ScaleX(1);
  const int buttonHeight = facts.ScaleY(18);

  // The duration button is as wide as its longest name needs, the category
  // button takes what is left.
  const int skillWidth = facts.ScaleX(54);
  const int letterWidth = facts.ScaleX(22);
  const int clearWidth = facts.ScaleX(24);
  const int rest = std::max(0, width - 2 * margin - 4 * buttonGap - skillWidth - letterWidth - clearWidth);
  const int durationWidth = std::min(durationButtonWidth, rest / 2);
  int x = margin;
  for (auto [rect, w] : {std::pair{&layout.category, rest - durationWidth},
                         std::pair{&layout.skill, skillWidth}, std::pair{&layout.duration, durationWidth},
                         std::pair{&layout.letter, letterWidth}, std::pair{&layout.clear, clearWidth}}) {
    *rect = QRect(x, margin, w, buttonHeight);
    x += w + buttonGap;
  }

  const int bottomRow = std::max(0, height - margin - buttonHeight);
  const int gamesTop = margin + buttonHeight + gap;
  layout.games =
      QRect(margin, gamesTop, std::max(0, width - 2 * margin), std::max(0, bottomRow - gap - gamesTop));
  layout.favourite = QRect(margin, bottomRow, facts.ScaleX(70), buttonHeight);
  const int favouritesOnlyWidth = facts.ScaleX(100);
  layout.favouritesOnly = QRect(std::max(margin, width - margin - favouritesOnlyWidth), bottomRow,
                                favouritesOnlyWidth, buttonHeight);

  // A drop-down list under its button, kept inside the client area.
  const int listTop = gamesTop;
  auto dropDown = [&](const QRect& button, int listWidth, int rows) {
    const int left = std::max(margin, std::min(button.left(), width - margin - listWidth));
    const int wanted = rows * metrics.rowHeight + 2 * listFrame;
    const int room = std::max(metrics.rowHeight + 2 * listFrame, height - margin - listTop);
    return QRect(left, listTop, listWidth, std::min(wanted, room));
  };
  layout.categoryList = dropDown(layout.category, facts.ScaleX(100), kCategoryRows);
  layout.skillList = dropDown(layout.skill, facts.ScaleX(56), kSkillRows);
  layout.durationList = dropDown(layout.duration, facts.ScaleX(72), kDurationRows);
  const int columnWidth = facts.ScaleX(22);
  const QRect letters = dropDown(layout.letter, 3 * columnWidth, kLettersPerColumn);
  for (int column = 0; column < 3; ++column) {
    layout.letterColumns[static_cast<std::size_t>(column)] =
        QRect(letters.left() + column * columnWidth, letters.top(), columnWidth, letters.height());
  }
  return layout;
}

}  // namespace

ChooserDialog::ChooserDialog(const ResourceSource& resources, ChooserOptions& options)
    : CeDialog(LoadString(string_id::kChooserTitle), ChooserMenuBar()),
      resources_(resources),
      options_(options) {}

ChooserDialog::~ChooserDialog() = default;

std::optional<int> ChooserDialog::Run(CeMsgWnd* owner) {
  chosen_.reset();
  const int result = DoModal(owner);
  return result == static_cast<int>(IDOK) ? chosen_ : std::nullopt;
}

void ChooserDialog::OnInitDialog(bool& handled) {
  handled = true;
  catalogue_ = LoadCatalogue(resources_);
  filters_ = FiltersInRange(options_.filters);
  openFilter_.reset();
  facts_ = ReadScreenFacts();
  metrics_ = ChooserMetricsFor(facts_);
  pictures_ = std::make_unique<ChooserPictures>(facts_.HighDpi());
  CreateControls();
  PlaceControls();
  FillGames();
  SelectGame(options_.currentGame);
  UpdateFavouriteButton();
}

// ---------------------------------------------------------------- controls

ListView* ChooserDialog::MakeFilterList(unsigned id, int rows, bool centred) {
  auto* list = new ListView(*this, id);
  list->SetHeaderVisible(false);
  list->header()->setStretchLastSection(true);
  list->setFrameShape(QFrame::Box);
  list->setFrameShadow(QFrame::Plain);
  list->setLineWidth(1);
  list->SetRowHeight(metrics_.rowHeight);
  for (int row = 0; row < rows; ++row) list->InsertItem(row, QString(), row);
  list->hide();
  ListView* self = list;
  list->SetOwnerDraw(
      [this, self, id, centred](QPainter& painter, const QRect& rect, int row, ItemState state) {
        const bool letterColumn = id >= kLetterColumns.front() && id <= kLetterColumns.back();
        RowLook look = RowLook::kPlain;
        if (state.selected)
          look = !letterColumn || self->hasFocus() ? RowLook::kSelected : RowLook::kOutlined;
        const auto value = static_cast<std::uint32_t>(self->ItemData(row));
        std::vector<FacePart> parts;
        switch (id) {
          case kCategoryList: parts = CategoryRow(value); break;
          case kSkillList: parts = SkillRow(value); break;
          case kDurationList: parts = DurationRow(value); break;
          default: parts = {FacePart{{}, LetterName(value)}}; break;
        }
        DrawListRow(painter, rect, parts, centred, look, metrics_);
      });
  return list;
}

IconButton* ChooserDialog::MakeButton(unsigned id, std::function<std::vector<FacePart>()> parts, bool centred,
                                      std::function<bool()> highlighted) {
  auto* button = new IconButton(*this, id);
  button->SetOwnerDraw([this, faceParts = std::move(parts), centred, isOpen = std::move(highlighted)](
                           QPainter& painter, const QRect& rect, int, ItemState state) {
    ButtonLook look;
    look.highlighted = state.pressed || (isOpen && isOpen());
    look.focused = state.focused;
    DrawButton(painter, rect, faceParts(), centred, look, metrics_);
  });
  return button;
}

void ChooserDialog::CreateControls() {
  categoryButton_ = MakeButton(
      kCategoryButton,
      [this] {
        return std::vector<FacePart>{
            {pictures_->CategoryButton(), NameOf(catalogue_.categoryNames, filters_.category)}};
      },
      false, [this] { return openFilter_ == Filter::kCategory; });
  skillButton_ = MakeButton(
      kSkillButton,
      [this] {
        FacePart current =
            filters_.skill == 0 ? FacePart{{}, kAll} : FacePart{pictures_->Skill(filters_.skill), {}};
        return std::vector<FacePart>{{pictures_->SkillButton(), {}}, current};
      },
      false, [this] { return openFilter_ == Filter::kSkill; });
  durationButton_ = MakeButton(
      kDurationButton,
      [this] {
        return std::vector<FacePart>{
            {pictures_->DurationButton(), NameOf(catalogue_.durationNames, filters_.duration)}};
      },
      false, [this] { return openFilter_ == Filter::kDuration; });
  letterButton_ = MakeButton(
      kLetterButton,
      [this] {
        return std::vector<FacePart>{{{}, LetterName(filters_.letter)}};
      },
      true, [this] { return openFilter_ == Filter::kLetter; });
  clearButton_ = MakeButton(kClearFilters,
                            [this] {
                              return std::vector<FacePart>{{pictures_->ClearFilters(), {}}};
                            },
                            true, {});

  games_ = new ListView(*this, kGames);
  games_->SetHeaderVisible(false);
  games_->header()->setStretchLastSection(true);
  games_->setFrameShape(QFrame::Box);
  games_->setFrameShadow(QFrame::Plain);
  games_->setLineWidth(1);
  games_->SetRowHeight(metrics_.rowHeight);
  games_->SetOwnerDraw([this](QPainter& painter, const QRect& rect, int row, ItemState state) {
    const RowLook look = state.selected ? RowLook::kSelected : RowLook::kPlain;
    const int item = games_->ItemData(row);
    if (item < 0 || static_cast<std::size_t>(item) >= catalogue_.entries.size()) {
      DrawNoticeRow(painter, rect, games_->ItemText(row, 0), look, metrics_);
      return;
    }
    const CatalogueEntry& entry = catalogue_.entries[static_cast<std::size_t>(item)];
    DrawGameRow(painter, rect, entry, IsFavourite(options_.favourites, entry.id), look, metrics_,
                *pictures_);
  });

  favouriteButton_ = MakeButton(
      kFavourite,
      [this] {
        const std::optional<int> game = SelectedGame();
        const bool favourite =
            game && IsFavourite(options_.favourites, catalogue_.entries[static_cast<std::size_t>(*game)].id);
        return std::vector<FacePart>{{favourite ? pictures_->LeftArrow() : pictures_->RightArrow(), {}},
                                     {{}, favourite ? kFrom : kTo},
                                     {pictures_->Star(), {}}};
      },
      true, {});
  favouritesOnlyButton_ = MakeButton(kFavouritesOnly,
                                     [this] {
                                       if (filters_.favouritesOnly)
                                         return std::vector<FacePart>{{{}, kCloseFavorites}};
                                       return std::vector<FacePart>{{pictures_->Star(), kFavorites}};
                                     },
                                     true, {});

  categoryList_ = MakeFilterList(kCategoryList, kCategoryRows, false);
  skillList_ = MakeFilterList(kSkillList, kSkillRows, false);
  durationList_ = MakeFilterList(kDurationList, kDurationRows, false);
  for (std::size_t column = 0; column < kLetterColumns.size(); ++column) {
    ListView* list = MakeFilterList(kLetterColumns[column], 0, true);
    for (int row = 0; row < kLettersPerColumn; ++row) {
      list->InsertItem(row, QString(), static_cast<int>(column) * kLettersPerColumn + row);
    }
    letterColumns_[column] = list;
  }

  // The focus moves through the filter buttons, the games and the favourite
  // buttons; a hidden favourite button is passed over.
  QWidget* order[] = {categoryButton_, skillButton_, durationButton_,  letterButton_,
                      clearButton_,    games_,       favouriteButton_, favouritesOnlyButton_};
  for (std::size_t i = 1; i < std::size(order); ++i) QWidget::setTabOrder(order[i - 1], order[i]);
  // The dialog's focus goes to the games.
  Widget()->setFocusProxy(games_);
}

void ChooserDialog::PlaceControls() {
  const int listFrame = static_cast<int>(std::lround(games_->frameWidth() * DevicePixelRatio()));
  const QFontMetrics fontMetrics(metrics_.font);
  int longestDuration = 0;
  for (std::uint32_t duration = 1; duration <= kMaxDurationFilter; ++duration) {
    longestDuration =
        std::max(longestDuration, fontMetrics.horizontalAdvance(NameOf(catalogue_.durationNames, duration)));
  }
  const int durationWidth =
      2 * metrics_.margin + pictures_->DurationButton().width() + 2 + longestDuration + 2;
  auto layOut = [this, listFrame, durationWidth](const QSize& client) {
    return LayOut(client, facts_, metrics_, listFrame, durationWidth);
  };
  auto place = [this, layOut](QWidget* control, QRect ChooserLayout::*rect) {
    Layout().Place(control, [layOut, rect](const QSize& client) { return layOut(client).*rect; });
  };
  place(categoryButton_, &ChooserLayout::category);
  place(skillButton_, &ChooserLayout::skill);
  place(durationButton_, &ChooserLayout::duration);
  place(letterButton_, &ChooserLayout::letter);
  place(clearButton_, &ChooserLayout::clear);
  place(games_, &ChooserLayout::games);
  place(favouriteButton_, &ChooserLayout::favourite);
  place(favouritesOnlyButton_, &ChooserLayout::favouritesOnly);
  place(categoryList_, &ChooserLayout::categoryList);
  place(skillList_, &ChooserLayout::skillList);
  place(durationList_, &ChooserLayout::durationList);
  for (std::size_t column = 0; column < letterColumns_.size(); ++column) {
    Layout().Place(letterColumns_[column],
                   [layOut, column](const QSize& client) { return layOut(client).letterColumns[column]; });
  }
}

// ---------------------------------------------------------------- the games

void ChooserDialog::FillGames() {
  games_->DeleteAllItems();
  for (const int item : ListedGames(catalogue_, filters_, options_.favourites)) {
    const QString text =
        item == kEmptyListRow
            ? QStringLiteral("<%1>").arg(LoadString(string_id::kNoMatchingGame))
            : QString::fromStdString(catalogue_.entries[static_cast<std::size_t>(item)].name);
    const int row = games_->InsertItem(games_->ItemCount(), text, item);
    // The notice is no game: nothing to play or mark, so never the selection.
    if (item == kEmptyListRow) games_->SetRowSelectable(row, false);
  }
  games_->SetSelectedRow(-1);
  games_->scrollToTop();
  favouriteButton_->hide();
}

void ChooserDialog::SelectGame(int recordIndex) {
  for (int row = 0; row < games_->ItemCount(); ++row) {
    if (games_->ItemData(row) == recordIndex && recordIndex != kEmptyListRow) {
      games_->SetSelectedRow(row);
      return;
    }
  }
}

std::optional<int> ChooserDialog::SelectedGame() const {
  if (games_.isNull()) return std::nullopt;
  const int row = games_->SelectedRow();
  if (row < 0) return std::nullopt;
  const int item = games_->ItemData(row);
  if (item < 0 || item == kEmptyListRow || static_cast<std::size_t>(item) >= catalogue_.entries.size()) {
    return std::nullopt;
  }
  return item;
}

void ChooserDialog::UpdateFavouriteButton() {
  favouriteButton_->setVisible(SelectedGame().has_value());
  favouriteButton_->update();
}

void ChooserDialog::ToggleFavourite() {
  const std::optional<int> game = SelectedGame();
  if (!game) return;
  const std::uint16_t id = catalogue_.entries[static_cast<std::size_t>(*game)].id;
  if (IsFavourite(options_.favourites, id)) {
    RemoveFavourite(options_.favourites, id);
    if (filters_.favouritesOnly) {
      PostMessage(WM_CHOOSER_REFRESH);
      return;
    }
  } else {
    AddFavourite(options_.favourites, id);
  }
  games_->RedrawRow(games_->SelectedRow());
  favouriteButton_->update();
}

void ChooserDialog::Play() {
  // While a refresh is pending the rows on the list are not those the
  // filters now pick.
  if (games_->isHidden()) return;
  const std::optional<int> game = SelectedGame();
  if (!game) return;
  chosen_ = *game;
  options_.currentGame = *game;
  options_.filters = filters_;
  EndDialog(IDOK);
}

// ---------------------------------------------------------------- filters

std::uint32_t& ChooserDialog::FilterValue(Filter filter) {
  switch (filter) {
    case Filter::kCategory: return filters_.category;
    case Filter::kSkill: return filters_.skill;
    case Filter::kDuration: return filters_.duration;
    case Filter::kLetter: break;
  }
  return filters_.letter;
}

IconButton* ChooserDialog::FilterButton(Filter filter) const {
  switch (filter) {
    case Filter::kCategory: return categoryButton_;
    case Filter::kSkill: return skillButton_;
    case Filter::kDuration: return durationButton_;
    case Filter::kLetter: break;
  }
  return letterButton_;
}

std::vector<ListView*> ChooserDialog::FilterLists(Filter filter) const {
  switch (filter) {
    case Filter::kCategory: return {categoryList_};
    case Filter::kSkill: return {skillList_};
    case Filter::kDuration: return {durationList_};
    case Filter::kLetter: break;
  }
  return {letterColumns_[0], letterColumns_[1], letterColumns_[2]};
}

void ChooserDialog::OpenFilter(Filter filter) {
  if (openFilter_) CloseFilter(false);
  openFilter_ = filter;
  const std::uint32_t value = FilterValue(filter);
  const std::vector<ListView*> lists = FilterLists(filter);
  for (ListView* list : lists) {
    list->show();
    list->raise();
  }
  if (filter == Filter::kLetter) {
    for (ListView* list : lists) list->SetSelectedRow(static_cast<int>(value) % kLettersPerColumn);
    lists[static_cast<std::size_t>(value) / kLettersPerColumn]->setFocus(Qt::OtherFocusReason);
  } else {
    lists.front()->SetSelectedRow(static_cast<int>(value));
    lists.front()->setFocus(Qt::OtherFocusReason);
  }
  FilterButton(filter)->update();
}

void ChooserDialog::CloseFilter(bool focusButton) {
  if (!openFilter_) return;
  const Filter filter = *openFilter_;
  openFilter_.reset();
  IconButton* button = FilterButton(filter);
  // The focus goes back to the button before the list hides, so that it does
  // not wander to whatever follows the list.
  if (focusButton) button->setFocus(Qt::OtherFocusReason);
  for (ListView* list : FilterLists(filter)) list->hide();
  button->update();
}

void ChooserDialog::ChooseFilterValue(Filter filter, std::uint32_t value) {
  CloseFilter(true);
  std::uint32_t& current = FilterValue(filter);
  if (value == current) return;
  current = value;
  FilterChanged();
}

void ChooserDialog::FilterChanged() {
  games_->hide();
  favouriteButton_->hide();
  for (QWidget* button : {categoryButton_.data(), skillButton_.data(), durationButton_.data(),
                          letterButton_.data(), favouritesOnlyButton_.data()}) {
    button->update();
  }
  PostMessage(WM_CHOOSER_REFRESH);
}

LRESULT ChooserDialog::OnFilterListNotify(Filter filter, const Notification& notification) {
  auto* list = qobject_cast<ListView*>(notification.source);
  if (list == nullptr || openFilter_ != filter) return 0;
  switch (notification.code) {
    case NM_CLICK:
    case NM_RETURN:
      if (notification.item >= 0) {
        ChooseFilterValue(filter, static_cast<std::uint32_t>(list->ItemData(notification.item)));
      }
      return 0;
    case NM_KILLFOCUS: {
      // Moving between the letter columns keeps them open.
      const std::vector<ListView*> lists = FilterLists(filter);
      if (std::find(lists.begin(), lists.end(), QApplication::focusWidget()) == lists.end()) {
        CloseFilter(false);
      }
      return 0;
    }
    case LVN_KEYDOWN:
      if (notification.key == VK_ESCAPE) {
        CloseFilter(true);
        return 1;
      }
      return filter == Filter::kLetter ? OnLetterKey(notification) : 0;
    default: return 0;
  }
}

LRESULT ChooserDialog::OnLetterKey(const Notification& notification) {
  const auto column = static_cast<std::size_t>(
      std::find(kLetterColumns.begin(), kLetterColumns.end(), notification.controlId) -
      kLetterColumns.begin());
  if (column >= kLetterColumns.size()) return 0;
  const int row = std::max(0, letterColumns_[column]->SelectedRow());
  switch (notification.key) {
    case VK_UP:
    case VK_DOWN: {
      const int next = std::clamp(row + (notification.key == VK_UP ? -1 : 1), 0, kLettersPerColumn - 1);
      for (ListView* list : letterColumns_) list->SetSelectedRow(next);
      letterColumns_[column]->viewport()->update();
      return 1;
    }
    case VK_LEFT:
    case VK_RIGHT: {
      const std::size_t next = notification.key == VK_LEFT ? column + kLetterColumns.size() - 1 : column + 1;
      letterColumns_[next % kLetterColumns.size()]->setFocus(Qt::OtherFocusReason);
      return 1;
    }
    default: return 0;
  }
}

// ---------------------------------------------------------------- rows

std::vector<FacePart> ChooserDialog::CategoryRow(std::uint32_t category) const {
  const int pictureWidth = pictures_->Category(1).width();
  if (category == 0) return {{{}, kAll}};
  return {{pictures_->Category(category), {}, pictureWidth},
          {{}, NameOf(catalogue_.categoryNames, category)}};
}

std::vector<FacePart> ChooserDialog::SkillRow(std::uint32_t skill) const {
  if (skill == 0) return {{{}, kAll}};
  return {{pictures_->Skill(skill), {}}};
}

std::vector<FacePart> ChooserDialog::DurationRow(std::uint32_t duration) const {
  const int pictureWidth = pictures_->Duration(1).width();
  if (duration == 0) return {{{}, kAll}};
  return {{pictures_->Duration(duration), {}, pictureWidth},
          {{}, NameOf(catalogue_.durationNames, duration)}};
}

QString ChooserDialog::LetterName(std::uint32_t letter) const {
  return NameOf(catalogue_.letterNames, letter);
}

// ---------------------------------------------------------------- messages

void ChooserDialog::OnCommand(unsigned id, unsigned, bool& handled) {
  switch (id) {
    case command::kPlay:
      handled = true;
      Play();
      return;
    case IDCANCEL:
      // The dialog ends by the default handling; the filters stay.
      options_.filters = filters_;
      return;
    case kCategoryButton:
      handled = true;
      OpenFilter(Filter::kCategory);
      return;
    case kSkillButton:
      handled = true;
      OpenFilter(Filter::kSkill);
      return;
    case kDurationButton:
      handled = true;
      OpenFilter(Filter::kDuration);
      return;
    case kLetterButton:
      handled = true;
      OpenFilter(Filter::kLetter);
      return;
    case kClearFilters:
      handled = true;
      if (filters_.AnySet()) {
        filters_ = ChooserFilters{};
        FilterChanged();
      }
      return;
    case kFavourite:
      handled = true;
      ToggleFavourite();
      return;
    case kFavouritesOnly:
      handled = true;
      filters_.favouritesOnly = !filters_.favouritesOnly;
      FilterChanged();
      return;
    default: return;
  }
}

LRESULT ChooserDialog::OnNotify(const Notification& notification, bool& handled) {
  handled = true;
  switch (notification.controlId) {
    case kCategoryList: return OnFilterListNotify(Filter::kCategory, notification);
    case kSkillList: return OnFilterListNotify(Filter::kSkill, notification);
    case kDurationList: return OnFilterListNotify(Filter::kDuration, notification);
    case kGames: break;
    default:
      if (std::find(kLetterColumns.begin(), kLetterColumns.end(), notification.controlId) !=
          kLetterColumns.end()) {
        return OnFilterListNotify(Filter::kLetter, notification);
      }
      handled = false;
      return 0;
  }
  switch (notification.code) {
    case NM_SETFOCUS:
      if (games_->SelectedRow() < 0 && games_->ItemCount() > 0) {
        const QModelIndex top = games_->indexAt(QPoint(0, 0));
        games_->SetSelectedRow(top.isValid() ? top.row() : 0);
      }
      UpdateFavouriteButton();
      return 0;
    case LVN_ITEMCHANGED:
    case NM_CLICK: UpdateFavouriteButton(); return 0;
    case NM_RETURN:
    case NM_DBLCLK: Play(); return 0;
    default: return 0;
  }
}

LRESULT ChooserDialog::OnMessage(unsigned msg, WPARAM, LPARAM, bool& handled) {
  if (msg != WM_CHOOSER_REFRESH) return 0;
  handled = true;
  FillGames();
  games_->show();
  return 0;
}

}  // namespace cw
