// A drop-down list of texts. A choice by the player reaches the owner as
// WM_COMMAND (id, CBN_SELCHANGE); choices made by the program do not.
#pragma once

#include <QComboBox>

namespace cw {

class CeMsgWnd;

class ComboBox : public QComboBox {
  Q_OBJECT
 public:
  // A child of the owner's client area unless `parent` is given.
  ComboBox(CeMsgWnd& owner, unsigned id, QWidget* parent = nullptr);

  // Answers the index of the new item.
  int AddString(const QString& text);
  // -1 when nothing is selected.
  int GetCurSel() const { return currentIndex(); }
  // -1 or an index out of range selects nothing.
  void SetCurSel(int index);
  int GetCount() const { return count(); }
};

}  // namespace cw
