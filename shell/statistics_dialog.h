// The Statistics dialog of the current solitaire: games played and won, the
// win rate, the total and the average game time, with a Clear soft key.
#pragma once

#include "shell/statistics.h"
#include "uilib/ce_dialog.h"

namespace cw {

class StatisticsDialog : public CeDialog {
 public:
  static constexpr unsigned kPlayedControl = 1031;
  static constexpr unsigned kWonControl = 1032;
  static constexpr unsigned kWinRateControl = 1033;
  static constexpr unsigned kTotalTimeControl = 1034;
  static constexpr unsigned kAverageTimeControl = 1035;

  explicit StatisticsDialog(GameRecordsPlace place);

  // Reads the record and shows it modally; true when the player cleared it.
  bool Run(CeMsgWnd* owner);

  void OnInitDialog(bool& handled) override;
  void OnCommand(unsigned id, unsigned code, bool& handled) override;

 private:
  GameRecordsPlace place_;
  GameStatistics shown_;
  bool cleared_ = false;
};

}  // namespace cw
