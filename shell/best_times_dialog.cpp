#include "shell/best_times_dialog.h"

#include <algorithm>

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "platform/resources/resource_ids.h"
#include "platform/resources/string_table.h"
#include "uilib/child_layout.h"
#include "uilib/list_view.h"
#include "uilib/menu_bar.h"
#include "uilib/message_box.h"

namespace cw {
namespace {

constexpr int kNameColumn = 0;
constexpr int kTimeColumn = 1;

// The handheld's small list font and row height: ten rows, the header and
// the longest times fit the list at every scale.
constexpr int kFontHeight = 11;
constexpr int kRowHeight = 14;
constexpr int kListHeight = 161;

}  // namespace

BestTimesListGeometry LayOutBestTimesList(const ScreenFacts& facts, const QSize& client) {
  BestTimesListGeometry geometry;
  geometry.timeWidth = facts.ScaleX(40);
  const int width = client.width();
  const int height = client.height();
  const double scale = facts.ScaleFactor();
  int top = facts.ScaleY(5);
  int listHeight = 0;
  int nameWidth = 0;
  if (scale > 1.0 && scale < 2.0) {
    top = 5;
    if (height >= 217) {
      listHeight = 207;
      nameWidth = width - facts.ScaleX(13) - geometry.timeWidth + 1;
    } else {
      listHeight = height - 10;
      nameWidth = width - facts.ScaleX(25) - geometry.timeWidth;
    }
  } else if (height >= facts.ScaleY(10) + facts.ScaleY(kListHeight)) {
    listHeight = facts.ScaleY(kListHeight);
    nameWidth = width - facts.ScaleX(13) - geometry.timeWidth;
  } else {
    listHeight = height - facts.ScaleY(10);
    nameWidth = width - facts.ScaleX(25) - geometry.timeWidth;
  }
  geometry.list = QRect(facts.ScaleX(5), top, std::max(0, width - facts.ScaleX(10)),
                        std::max(0, listHeight));
  geometry.nameWidth = std::max(0, nameWidth);
  return geometry;
}

std::array<BestTimesRow, kBestTimeCount> BestTimesRows(const BestTimesTable& table) {
  std::array<BestTimesRow, kBestTimeCount> rows;
  for (std::size_t i = 0; i < kBestTimeCount; ++i) {
    if (table[i].Empty()) {
      rows[i] = {QStringLiteral("---"), QStringLiteral("---")};
    } else {
      rows[i] = {NameText(table[i].name), FormatGameTime(table[i].seconds)};
    }
  }
  return rows;
}

BestTimesDialog::BestTimesDialog(GameRecordsPlace place, ScreenFacts facts)
    : CeDialog(LoadString(string_id::kBestTimes), LoadMenuBar(menu_bar_id::kCloseClear)),
      place_(std::move(place)), facts_(facts) {}

bool BestTimesDialog::Run(CeMsgWnd* owner) {
  cleared_ = false;
  DoModal(owner);
  list_ = nullptr;
  return cleared_;
}

void BestTimesDialog::OnInitDialog(bool& handled) {
  list_ = new ListView(*this, kListControl);
  list_->InsertColumn(kNameColumn, QStringLiteral("Name"), facts_.ScaleX(140), Qt::AlignHCenter);
  list_->InsertColumn(kTimeColumn, QStringLiteral("Time"), facts_.ScaleX(40), Qt::AlignHCenter);
  QFont font = list_->font();
  font.setPixelSize(kFontHeight);  // Qt's pixels, scaled with the screen
  list_->setFont(font);
  list_->header()->setFont(font);
  list_->SetRowHeight(facts_.ScaleY(kRowHeight));
  const auto rows = BestTimesRows(LoadBestTimes(place_));
  for (std::size_t i = kBestTimeCount; i-- > 0;) {
    list_->InsertItem(0, rows[i].name);
    list_->SetItemText(0, kTimeColumn, rows[i].time);
  }
  const ScreenFacts facts = facts_;
  Layout().Place(list_, [facts](const QSize& client) {
    return LayOutBestTimesList(facts, client).list;
  });
  handled = true;
}

void BestTimesDialog::OnSize(int width, int height, bool&) {
  if (list_ == nullptr) return;
  const BestTimesListGeometry geometry = LayOutBestTimesList(facts_, QSize(width, height));
  list_->SetColumnWidth(kNameColumn, geometry.nameWidth);
  list_->SetColumnWidth(kTimeColumn, geometry.timeWidth);
}

void BestTimesDialog::OnCommand(unsigned id, unsigned, bool& handled) {
  if (id != static_cast<unsigned>(command::kClear)) return;
  handled = true;
  if (MessageBox(this, LoadString(string_id::kClearBestTimes), LoadString(string_id::kConfirmation),
                 MB_YESNO) != IDYES) {
    return;
  }
  ClearBestTimes(place_);
  cleared_ = true;
  EndDialog(IDOK);
}

QString NameEntryText(std::uint32_t seconds) {
  return QStringLiteral("You win!\nYour time (") + FormatGameTime(seconds) +
         QStringLiteral(") is qualified for the Best Times list.\n\nPlease enter your name:");
}

NameEntryDialog::NameEntryDialog(std::uint32_t seconds, QString initialName)
    : CeDialog(LoadString(string_id::kCongratulations), LoadMenuBar(menu_bar_id::kNameEntry)),
      seconds_(seconds), initialName_(std::move(initialName)) {}

std::optional<QString> NameEntryDialog::Run(CeMsgWnd* owner) {
  entered_.reset();
  DoModal(owner);
  edit_ = nullptr;
  return entered_;
}

void NameEntryDialog::OnInitDialog(bool& handled) {
  auto* layout = new QVBoxLayout(Widget());
  layout->setContentsMargins(8, 8, 8, 8);
  auto* text = new QLabel(NameEntryText(seconds_), Widget());
  text->setWordWrap(true);
  text->setTextFormat(Qt::PlainText);
  layout->addWidget(text);
  AddControl(kTextControl, text);

  edit_ = new QLineEdit(Widget());
  edit_->setMaxLength(kMaxNameLength);
  edit_->setText(initialName_);
  edit_->selectAll();
  layout->addWidget(edit_);
  layout->addStretch(1);
  AddControl(kNameControl, edit_);
  // The dialog gives the focus to its client when it opens; the name box takes it.
  Widget()->setFocusProxy(edit_);
  handled = true;
}

void NameEntryDialog::OnCommand(unsigned id, unsigned, bool& handled) {
  if (id != IDOK || edit_ == nullptr) return;
  entered_ = NameText(NameField(edit_->text()));
  EndDialog(IDOK);
  handled = true;
}

bool OfferBestTime(CeMsgWnd* owner, const GameRecordsPlace& place, const ScreenFacts& facts,
                   std::uint32_t elapsedSeconds, Preferences& preferences) {
  BestTimesTable table = LoadBestTimes(place);
  const std::uint32_t seconds = RankedSeconds(elapsedSeconds);
  if (!Qualifies(table, seconds)) return false;
  NameEntryDialog entry(seconds, NameText(preferences.lastEnteredName));
  const std::optional<QString> name = entry.Run(owner);
  if (!name) return false;
  preferences.lastEnteredName = NameField(*name);
  InsertBestTime(table, BestTimeEntry{preferences.lastEnteredName, seconds});
  SaveBestTimes(place, table);
  BestTimesDialog(place, facts).Run(owner);
  return true;
}

}  // namespace cw
