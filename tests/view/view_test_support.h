// Helpers of the view tests: games of the real database loaded for this
// build's display, the field sizes of both orientations, and a main window
// that stands in for the shell's.
#pragma once

#include <QWidget>  // complete for the window library's inline accessors
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/model/sol_game.h"
#include "platform/screen/screen_facts.h"
#include "uilib/ce_wnd.h"
#include "view/field_layout.h"

namespace cw::testing {

// The screen this test program's build is made for: 192 dpi for the VGA
// build, 96 dpi otherwise.
ScreenFacts BuildScreen();

// Names of the catalogue's games, every one of which the database holds.
std::vector<std::string> DatabaseGames();

// A game's name as a test name: its letters and digits.
std::string TestName(const std::string& game);

// Loads the named game for `screen` and deals `number` as a new game does.
std::optional<SolGame> DealForScreen(const std::string& name, std::uint32_t number, const ScreenFacts& screen);

// The view's copy of a dealt table with its metrics, as RebuildMirror and
// ResetLayout leave it.
FieldLayout LayoutOf(const SolGame& game, const ScreenFacts& screen);

struct FieldSize {
  int width = 0;
  int height = 0;
  const char* name = "";
};
// Portrait and landscape fields of this build's screen (240×320 or 480×640
// and turned, less the title and menu bars).
std::vector<FieldSize> FieldSizes(const ScreenFacts& screen);

// A top-level window that records the WM_CHECKSTATE messages it hears.
class OwnerWindow : public CeWnd {
 public:
  int checkStates = 0;
  LRESULT OnMessage(unsigned msg, WPARAM wParam, LPARAM lParam, bool& handled) override;
};

}  // namespace cw::testing
