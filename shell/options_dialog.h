// The Options dialog: a sheet of two pages, "Game" (the time limit and
// winnable deals) and
// "Interface" (how cards are played, the card back, the table colour,
// animation, the on-table clock and the menu bar style). It edits a copy of
// the preferences; OK answers the new values, Cancel changes nothing.
#pragma once

#include <QColor>
#include <QStringView>
#include <QTabWidget>  // the sheet's QPointer<QTabWidget> needs the whole type
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "platform/screen/screen_facts.h"
#include "shell/preferences.h"
#include "uilib/ce_dialog.h"
#include "uilib/property_sheet.h"

class QWidget;

namespace cw {

class CMenuBar;
class Registry;

// Control ids of the pages.
namespace options_control {
inline constexpr unsigned kTimedGame = 5000;
inline constexpr unsigned kTimeLimit = 5001;
inline constexpr unsigned kWinnableDealsOnly = 5002;
inline constexpr unsigned kPlayCards = 5010;
inline constexpr unsigned kCardBack = 1003;
inline constexpr unsigned kBackground = 5012;
inline constexpr unsigned kAnimation = 5009;
inline constexpr unsigned kShowTimer = 5015;
inline constexpr unsigned kSoftkeyMenu = 5013;
inline constexpr unsigned kDropMarks = 5016;
}  // namespace options_control

inline constexpr std::uint32_t kCardBackCount = 4;

// The time limits the list offers, in minutes; the item index stands for one.
// -1 for a limit the list does not offer.
int TimeLimitIndex(std::uint32_t minutes);
// None for an index the list does not have.
std::optional<std::uint32_t> TimeLimitMinutes(int index);

// The menu bar style can be switched only where the bars are drawn for the
// screen: at a scale factor of exactly 1.0 or 2.0.
bool CanChooseMenuBarStyle(const ScreenFacts& screen);

// What the controls show.
struct OptionsControls {
  bool timedGame = false;
  int timeLimitIndex = -1;  // -1: nothing selected
  int playModeIndex = -1;
  std::uint32_t cardBack = 0;
  std::uint32_t bgColor = 0;
  bool animation = false;
  bool showTimer = false;
  bool softkeyMenu = false;
  bool dropMarks = false;
  bool winnableDealsOnly = false;
};

OptionsControls ControlsFromPreferences(const Preferences& preferences);

struct OptionsOutcome {
  Preferences preferences;
  // An option of the table changed (play mode, card back, colour, clock): the
  // table is redrawn and the game state checked afterwards.
  bool optionsChanged = false;
  // The menu bar changes its style at once.
  bool softkeyMenuChanged = false;
};

// The preferences after OK with the controls as they are. The menu bar style
// is taken only when `menuBarStyleShown`.
OptionsOutcome ApplyOptions(const Preferences& current, const OptionsControls& controls,
                            bool menuBarStyleShown);

// Asks the player for a colour starting from `initial` (COLORREF); none when
// the choice is cancelled.
using ColorChooser = std::function<std::optional<std::uint32_t>(QWidget* owner, std::uint32_t initial)>;
// The platform's colour dialog, with an all-black table of custom colours.
std::optional<std::uint32_t> ChooseColorWithDialog(QWidget* owner, std::uint32_t initial);

class OptionsGamePage;
class OptionsInterfacePage;

class OptionsDialog : public PropertySheet {
 public:
  OptionsDialog(const Preferences& preferences, const ScreenFacts& screen,
                ColorChooser chooseColor = ChooseColorWithDialog);
  ~OptionsDialog() override;

  // After DoModal answered IDOK.
  const OptionsOutcome& Outcome() const { return outcome_; }

  // The controls as they are now (while the dialog is open).
  OptionsControls Controls() const;

  void OnInitDialog(bool& handled) override;
  void OnCommand(unsigned id, unsigned code, bool& handled) override;

 private:
  Preferences preferences_;
  ScreenFacts screen_;
  std::unique_ptr<OptionsGamePage> game_;
  std::unique_ptr<OptionsInterfacePage> interface_;
  OptionsOutcome outcome_;
};

struct OptionsResult {
  bool accepted = false;       // OK: the caller hands play mode and animation to the view
  bool optionsChanged = false;  // ... and then redraws the table and checks the game
};

// The Options command: on OK the preferences take the new values, the menu
// bar switches its style at once when that changed, and the preferences are
// saved.
OptionsResult RunOptions(CeMsgWnd* owner, Preferences& preferences, CMenuBar* menuBar, Registry& registry,
                QStringView programTitle, const ScreenFacts& screen);

}  // namespace cw
