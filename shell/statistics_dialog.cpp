#include "shell/statistics_dialog.h"

#include <QGridLayout>
#include <QLabel>

#include "platform/resources/resource_ids.h"
#include "platform/resources/string_table.h"
#include "uilib/menu_bar.h"
#include "uilib/message_box.h"

namespace cw {

StatisticsDialog::StatisticsDialog(GameRecordsPlace place)
    : CeDialog(LoadString(string_id::kStatistics), LoadMenuBar(menu_bar_id::kCloseClear)),
      place_(std::move(place)) {}

bool StatisticsDialog::Run(CeMsgWnd* owner) {
  cleared_ = false;
  shown_ = ReadStatistics(place_);
  DoModal(owner);
  return cleared_;
}

void StatisticsDialog::OnInitDialog(bool& handled) {
  auto* grid = new QGridLayout(Widget());
  grid->setContentsMargins(8, 8, 8, 8);
  grid->setHorizontalSpacing(8);
  const struct {
    const char* label;
    unsigned control;
    QString value;
  } rows[] = {
      {"Games Played:", kPlayedControl, QString::number(shown_.played)},
      {"Games Won:", kWonControl, QString::number(shown_.won)},
      {"Win Rate:", kWinRateControl, WinRateText(shown_)},
      {"Total Time:", kTotalTimeControl, FormatGameTime(shown_.totalSeconds)},
      {"Average Game Time:", kAverageTimeControl, AverageTimeText(shown_)},
  };
  int line = 0;
  for (const auto& row : rows) {
    auto* label = new QLabel(QString::fromLatin1(row.label), Widget());
    auto* value = new QLabel(row.value, Widget());
    value->setTextFormat(Qt::PlainText);
    grid->addWidget(label, line, 0, Qt::AlignLeft);
    grid->addWidget(value, line, 1, Qt::AlignLeft);
    AddControl(row.control, value);
    ++line;
  }
  grid->setColumnStretch(1, 1);
  grid->setRowStretch(line, 1);
  handled = true;
}

void StatisticsDialog::OnCommand(unsigned id, unsigned, bool& handled) {
  if (id != static_cast<unsigned>(command::kClear)) return;
  handled = true;
  if (MessageBox(this, LoadString(string_id::kClearStatistics), LoadString(string_id::kConfirmation),
                 MB_YESNO) != IDYES) {
    return;
  }
  ClearStatistics(place_);
  cleared_ = true;
  EndDialog(IDOK);
}

}  // namespace cw
