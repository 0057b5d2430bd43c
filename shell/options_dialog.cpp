#include "shell/options_dialog.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QLabel>
#include <QPainter>
#include <array>

#include "platform/gdi/colorref.h"
#include "platform/resources/bitmap_ids.h"
#include "platform/resources/bitmaps.h"
#include "platform/resources/build_variant.h"
#include "platform/resources/resource_ids.h"
#include "platform/resources/string_table.h"
#include "shell/help_viewer.h"
#include "uilib/child_layout.h"
#include "uilib/combo_box.h"
#include "uilib/icon_button.h"
#include "uilib/menu_bar.h"

namespace cw {

namespace {

constexpr std::array<std::uint32_t, 4> kTimeLimits{1, 3, 5, 10};
constexpr int kPlayModeCount = 4;
constexpr std::uint8_t kDefaultPlayMode = 1;

// The pages' layout, in pixels at 96 dpi: labels at the left, their controls
// in a second column.
constexpr int kMargin = 8;
constexpr int kControlColumn = 120;
constexpr int kRowHeight = 20;
constexpr int kCardBackWidth = 26;
constexpr int kCardBackHeight = 35;
constexpr int kFontPixels = 11;

QRect Scaled(const ScreenFacts& screen, int x, int y, int width, int height) {
  return {screen.ScaleX(x), screen.ScaleY(y), screen.ScaleX(width), screen.ScaleY(height)};
}

// A row across the page, a label of the first column, a control of the second.
ChildLayout::Placement FullRow(const ScreenFacts& s, int y) {
  return [s, y](const QSize& client) {
    return QRect(s.ScaleX(kMargin), s.ScaleY(y), client.width() - 2 * s.ScaleX(kMargin), s.ScaleY(kRowHeight));
  };
}
ChildLayout::Placement LabelCell(const ScreenFacts& s, int y) {
  return [s, y](const QSize&) { return Scaled(s, kMargin, y, kControlColumn - 2 * kMargin, kRowHeight); };
}
ChildLayout::Placement ControlCell(const ScreenFacts& s, int y, int height) {
  return [s, y, height](const QSize& client) {
    return QRect(s.ScaleX(kControlColumn), s.ScaleY(y), client.width() - s.ScaleX(kControlColumn + kMargin),
                 s.ScaleY(height));
  };
}

QLabel* AddLabel(CeDialog& page, const QString& text) {
  auto* label = new QLabel(text, page.Widget());
  label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  return label;
}

QCheckBox* AddCheckBox(CeDialog& page, unsigned id, const QString& text) {
  auto* box = new QCheckBox(text, page.Widget());
  box->setObjectName(text);
  page.AddControl(id, box);
  return box;
}

void UsePageFont(CeDialog& page) {
  QFont font(QStringLiteral("Tahoma"));
  font.setPixelSize(kFontPixels);
  page.Widget()->setFont(font);
}

void DrawBlackFrame(QPainter& painter, const QRect& rect) {
  painter.setPen(QPen(Qt::black, 0));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(rect.adjusted(0, 0, -1, -1));
}

ComboBox* Combo(const CeMsgWnd& window, unsigned id) {
  return dynamic_cast<ComboBox*>(window.GetDlgItem(id));
}

}  // namespace

int TimeLimitIndex(std::uint32_t minutes) {
  for (std::size_t i = 0; i < kTimeLimits.size(); ++i) {
    if (kTimeLimits[i] == minutes) return static_cast<int>(i);
  }
  return -1;
}

std::optional<std::uint32_t> TimeLimitMinutes(int index) {
  if (index < 0 || index >= static_cast<int>(kTimeLimits.size())) return std::nullopt;
  return kTimeLimits[static_cast<std::size_t>(index)];
}

bool CanChooseMenuBarStyle(const ScreenFacts& screen) {
  return screen.logPixelsY == 96 || screen.logPixelsY == 192;
}

OptionsControls ControlsFromPreferences(const Preferences& preferences) {
  OptionsControls controls;
  controls.timedGame = preferences.timedGame != 0;
  controls.timeLimitIndex = TimeLimitIndex(preferences.timeLimit);
  controls.playModeIndex = preferences.playMode < kPlayModeCount ? preferences.playMode : -1;
  controls.cardBack = preferences.cardBack;
  controls.bgColor = preferences.bgColor;
  controls.animation = preferences.animation != 0;
  controls.showTimer = preferences.showTimer != 0;
  controls.softkeyMenu = preferences.softkeyMenu != 0;
  controls.dropMarks = preferences.dropMarks != 0;
  controls.winnableDealsOnly = preferences.winnableDealsOnly != 0;
  return controls;
}

OptionsOutcome ApplyOptions(const Preferences& current, const OptionsControls& controls,
                            bool menuBarStyleShown) {
  OptionsOutcome outcome{current, false, false};
  Preferences& p = outcome.preferences;
  p.animation = controls.animation ? 1 : 0;
  p.dropMarks = controls.dropMarks ? 1 : 0;

  const std::uint8_t playMode = controls.playModeIndex >= 0 && controls.playModeIndex < kPlayModeCount
                                    ? static_cast<std::uint8_t>(controls.playModeIndex)
                                    : kDefaultPlayMode;
  if (playMode != p.playMode) {
    p.playMode = playMode;
    outcome.optionsChanged = true;
  }
  if (controls.bgColor != p.bgColor) {
    p.bgColor = controls.bgColor;
    outcome.optionsChanged = true;
  }
  if (controls.cardBack != p.cardBack) {
    p.cardBack = controls.cardBack;
    outcome.optionsChanged = true;
  }
  const std::uint8_t showTimer = controls.showTimer ? 1 : 0;
  if (showTimer != p.showTimer) {
    p.showTimer = showTimer;
    outcome.optionsChanged = true;
  }
  if (menuBarStyleShown) {
    const std::uint8_t softkeyMenu = controls.softkeyMenu ? 1 : 0;
    if (softkeyMenu != p.softkeyMenu) {
      p.softkeyMenu = softkeyMenu;
      outcome.softkeyMenuChanged = true;
    }
  }
  p.timedGame = controls.timedGame ? 1 : 0;
  p.winnableDealsOnly = controls.winnableDealsOnly ? 1 : 0;
  // A stored limit the list does not offer shows no selection; it is kept
  // rather than replaced by 0, which would end a timed game at once.
  p.timeLimit = TimeLimitMinutes(controls.timeLimitIndex).value_or(current.timeLimit);
  return outcome;
}

std::optional<std::uint32_t> ChooseColorWithDialog(QWidget* owner, std::uint32_t initial) {
  for (int i = 0; i < QColorDialog::customCount(); ++i) QColorDialog::setCustomColor(i, Qt::black);
  const QColor chosen = QColorDialog::getColor(QColor::fromRgb(FromColorRef(initial)), owner);
  if (!chosen.isValid()) return std::nullopt;
  return ToColorRef(chosen.rgb());
}

// Page "Game": the time limit and winnable deals.
class OptionsGamePage : public CeDialog {
 public:
  explicit OptionsGamePage(const ScreenFacts& screen)
      : CeDialog(LoadString(string_id::kGamePage), std::nullopt), screen_(screen) {}

  void OnInitDialog(bool& handled) override {
    handled = true;
    UsePageFont(*this);
    Layout().Place(AddCheckBox(*this, options_control::kTimedGame, QStringLiteral("Timed Game")),
                   FullRow(screen_, 8));
    Layout().Place(AddLabel(*this, QStringLiteral("Time Limit:")), LabelCell(screen_, 36));
    auto* limit = new ComboBox(*this, options_control::kTimeLimit);
    limit->setObjectName(QStringLiteral("Time Limit"));
    Layout().Place(limit, ControlCell(screen_, 35, kRowHeight + 2));
    Layout().Place(AddCheckBox(*this, options_control::kWinnableDealsOnly, QStringLiteral("Winnable deals only")),
                   FullRow(screen_, 64));
  }

 private:
  ScreenFacts screen_;
};

// Page "Interface": everything about the table and the controls. It keeps
// its own working copies of the card back and the table colour.
class OptionsInterfacePage : public CeDialog {
 public:
  OptionsInterfacePage(const ScreenFacts& screen, ColorChooser chooseColor)
      : CeDialog(LoadString(string_id::kInterfacePage), std::nullopt),
        screen_(screen),
        chooseColor_(std::move(chooseColor)) {}

  std::uint32_t cardBack = 0;
  std::uint32_t bgColor = 0;

  void OnInitDialog(bool& handled) override {
    handled = true;
    UsePageFont(*this);
    const ScreenFacts s = screen_;
    const auto label = [this, s](const QString& text, int y) {
      Layout().Place(AddLabel(*this, text), LabelCell(s, y));
    };

    label(QStringLiteral("Play Cards:"), 8);
    auto* playCards = new ComboBox(*this, options_control::kPlayCards);
    playCards->setObjectName(QStringLiteral("Play Cards"));
    Layout().Place(playCards, ControlCell(s, 7, kRowHeight + 2));

    label(QStringLiteral("Card Back:"), 46);
    auto* back = new IconButton(*this, options_control::kCardBack);
    back->setObjectName(QStringLiteral("Card Back"));
    back->SetOwnerDraw([this](QPainter& painter, const QRect& rect, int, ItemState) {
      if (cardBack < kCardBackCount) {
        const int id = bitmap_ids::CardBack(IsVgaBuild(), true, static_cast<int>(cardBack));
        painter.drawImage(rect.topLeft(), LoadBitmap(id));
      }
      DrawBlackFrame(painter, rect);
    });
    // Between the two densities the bitmap sets are drawn for, the QVGA
    // picture is shown as it is, and the button keeps its size in pixels.
    const bool between = s.ScaleFactor() > 1.0 && s.ScaleFactor() < 2.0;
    Layout().Place(back, [s, between](const QSize&) {
      return between ? QRect(kControlColumn, 38, kCardBackWidth, kCardBackHeight)
                     : Scaled(s, kControlColumn, 38, kCardBackWidth, kCardBackHeight);
    });

    label(QStringLiteral("Background:"), 82);
    auto* background = new IconButton(*this, options_control::kBackground);
    background->setObjectName(QStringLiteral("Background"));
    background->SetOwnerDraw([this](QPainter& painter, const QRect& rect, int, ItemState) {
      painter.fillRect(rect, QColor::fromRgb(FromColorRef(bgColor)));
      DrawBlackFrame(painter, rect);
    });
    Layout().Place(background, [s](const QSize&) {
      return Scaled(s, kControlColumn, 82, 2 * kCardBackWidth, kRowHeight);
    });

    int y = 112;
    for (const auto& [id, text] : {std::pair{options_control::kAnimation, QStringLiteral("Animation")},
                                   std::pair{options_control::kShowTimer, QStringLiteral("Show Timer")},
                                   std::pair{options_control::kSoftkeyMenu, QStringLiteral("Softkey Menu")},
                                   std::pair{options_control::kDropMarks, QStringLiteral("Mark Drop Targets")}}) {
      Layout().Place(AddCheckBox(*this, id, text), FullRow(s, y));
      y += kRowHeight + 2;
    }
  }

  void OnCommand(unsigned id, unsigned code, bool& handled) override {
    if (code != BN_CLICKED) return;
    if (id == options_control::kCardBack) {
      handled = true;
      cardBack = (cardBack + 1) % kCardBackCount;
      if (QWidget* button = GetDlgItem(id)) button->update();
    } else if (id == options_control::kBackground) {
      handled = true;
      if (const std::optional<std::uint32_t> chosen = chooseColor_(Widget(), bgColor)) {
        bgColor = *chosen;
        if (QWidget* button = GetDlgItem(id)) button->update();
      }
    }
  }

 private:
  ScreenFacts screen_;
  ColorChooser chooseColor_;
};

OptionsDialog::OptionsDialog(const Preferences& preferences, const ScreenFacts& screen,
                             ColorChooser chooseColor)
    : PropertySheet(LoadString(string_id::kOptions), LoadMenuBar(menu_bar_id::kOptions)),
      preferences_(preferences),
      screen_(screen),
      game_(std::make_unique<OptionsGamePage>(screen)),
      interface_(std::make_unique<OptionsInterfacePage>(screen, std::move(chooseColor))),
      outcome_{preferences, false, false} {
  AddPage(*game_);
  AddPage(*interface_);
}

OptionsDialog::~OptionsDialog() = default;

void OptionsDialog::OnInitDialog(bool& handled) {
  handled = true;
  ComboBox* limit = Combo(*game_, options_control::kTimeLimit);
  ComboBox* playCards = Combo(*interface_, options_control::kPlayCards);
  if (limit == nullptr || playCards == nullptr) return;
  for (const char* text : {"1 min", "3 min", "5 min", "10 min"}) limit->AddString(QString::fromLatin1(text));
  for (const char* text : {"Tapping", "Drag and Drop", "Keyboard CW", "Keyboard PW"}) {
    playCards->AddString(QString::fromLatin1(text));
  }

  const OptionsControls controls = ControlsFromPreferences(preferences_);
  game_->CheckDlgButton(options_control::kTimedGame, controls.timedGame);
  game_->CheckDlgButton(options_control::kWinnableDealsOnly, controls.winnableDealsOnly);
  limit->SetCurSel(controls.timeLimitIndex);
  interface_->CheckDlgButton(options_control::kAnimation, controls.animation);
  playCards->SetCurSel(controls.playModeIndex);
  interface_->cardBack = controls.cardBack;
  interface_->bgColor = controls.bgColor;
  if (CanChooseMenuBarStyle(screen_)) {
    interface_->CheckDlgButton(options_control::kSoftkeyMenu, controls.softkeyMenu);
  } else if (QWidget* box = interface_->GetDlgItem(options_control::kSoftkeyMenu)) {
    box->hide();
  }
  interface_->CheckDlgButton(options_control::kShowTimer, controls.showTimer);
  interface_->CheckDlgButton(options_control::kDropMarks, controls.dropMarks);
}

OptionsControls OptionsDialog::Controls() const {
  OptionsControls controls;
  controls.timedGame = game_->IsDlgButtonChecked(options_control::kTimedGame);
  controls.winnableDealsOnly = game_->IsDlgButtonChecked(options_control::kWinnableDealsOnly);
  if (const ComboBox* limit = Combo(*game_, options_control::kTimeLimit)) {
    controls.timeLimitIndex = limit->GetCurSel();
  }
  if (const ComboBox* playCards = Combo(*interface_, options_control::kPlayCards)) {
    controls.playModeIndex = playCards->GetCurSel();
  }
  controls.cardBack = interface_->cardBack;
  controls.bgColor = interface_->bgColor;
  controls.animation = interface_->IsDlgButtonChecked(options_control::kAnimation);
  controls.showTimer = interface_->IsDlgButtonChecked(options_control::kShowTimer);
  controls.softkeyMenu = interface_->IsDlgButtonChecked(options_control::kSoftkeyMenu);
  controls.dropMarks = interface_->IsDlgButtonChecked(options_control::kDropMarks);
  return controls;
}

void OptionsDialog::OnCommand(unsigned id, unsigned, bool& handled) {
  if (id == IDOK) {
    // Read before the sheet ends and its pages go; the sheet's own handling follows.
    outcome_ = ApplyOptions(preferences_, Controls(), CanChooseMenuBarStyle(screen_));
    return;
  }
  if (id != static_cast<unsigned>(command::kHelpPage)) return;
  handled = true;
  // The sheet's own record of its focus: the application's may be empty while
  // the window system has another window active.
  QPointer<QWidget> focused = TopLevel()->focusWidget();
  const int text = ActivePage() == 0 ? string_id::kGameOptionsHelp : string_id::kInterfaceOptionsHelp;
  HtmlTextDialog help(string_id::kHelp, text);
  help.DoModal(this);
  if (!focused.isNull()) focused->setFocus(Qt::OtherFocusReason);
}

OptionsResult RunOptions(CeMsgWnd* owner, Preferences& preferences, CMenuBar* menuBar,
                         Registry& registry, QStringView programTitle, const ScreenFacts& screen) {
  OptionsDialog dialog(preferences, screen);
  if (dialog.DoModal(owner) != static_cast<int>(IDOK)) return {};
  const OptionsOutcome& outcome = dialog.Outcome();
  preferences = outcome.preferences;
  if (outcome.softkeyMenuChanged && menuBar != nullptr) menuBar->SetSoftkeyMode(preferences.softkeyMenu != 0);
  SavePreferences(registry, programTitle, preferences);
  return {true, outcome.optionsChanged};
}

}  // namespace cw
