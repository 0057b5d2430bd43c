#include "uilib/combo_box.h"

#include "uilib/ce_msg_wnd.h"

namespace cw {

ComboBox::ComboBox(CeMsgWnd& owner, unsigned id, QWidget* parent)
    : QComboBox(parent != nullptr ? parent : owner.Widget()) {
  setEditable(false);
  owner.AddControl(id, this);
}

int ComboBox::AddString(const QString& text) {
  addItem(text);
  return count() - 1;
}

void ComboBox::SetCurSel(int index) { setCurrentIndex(index >= 0 && index < count() ? index : -1); }

}  // namespace cw
