#include "shell/select_deal_dialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "uilib/menu_bar.h"
#include "platform/resources/resource_ids.h"
#include "platform/resources/string_table.h"

namespace cw {

std::optional<std::uint32_t> ParseDealNumber(const QString& text) {
  bool ok = false;
  const qulonglong value = text.trimmed().toULongLong(&ok, 10);
  if (!ok || value == 0 || value > 0xFFFFFFFFull) return std::nullopt;
  return static_cast<std::uint32_t>(value);
}

SelectDealDialog::SelectDealDialog(std::uint32_t current)
    : CeDialog(LoadString(string_id::kSelectDealTitle), LoadMenuBar(menu_bar_id::kNameEntry)),
      current_(current) {}

std::optional<std::uint32_t> SelectDealDialog::Run(CeMsgWnd* owner) {
  entered_.reset();
  DoModal(owner);
  edit_ = nullptr;
  return entered_;
}

void SelectDealDialog::OnInitDialog(bool& handled) {
  auto* layout = new QVBoxLayout(Widget());
  layout->setContentsMargins(8, 8, 8, 8);
  auto* text = new QLabel(LoadString(string_id::kSelectDealText), Widget());
  text->setWordWrap(true);
  text->setTextFormat(Qt::PlainText);
  layout->addWidget(text);
  AddControl(kTextControl, text);

  edit_ = new QLineEdit(Widget());
  edit_->setMaxLength(10);
  edit_->setInputMethodHints(Qt::ImhDigitsOnly);
  edit_->setText(QString::number(current_));
  edit_->selectAll();
  layout->addWidget(edit_);
  layout->addStretch(1);
  AddControl(kNumberControl, edit_);
  Widget()->setFocusProxy(edit_);
  // Return in the box is the OK soft key.
  QObject::connect(edit_, &QLineEdit::returnPressed, edit_,
                   [this] { SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, kCommandFromMenu), 0); });
  handled = true;
}

void SelectDealDialog::OnCommand(unsigned id, unsigned, bool& handled) {
  if (id != IDOK || edit_ == nullptr) return;
  handled = true;
  entered_ = ParseDealNumber(edit_->text());
  if (!entered_) {
    edit_->selectAll();
    edit_->setFocus();
    return;
  }
  EndDialog(IDOK);
}

}  // namespace cw
