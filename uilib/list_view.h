// A list view: rows of text in columns with headers, or rows drawn by their
// owner. It reports to its owner window through WM_NOTIFY (wParam: its id):
// LVN_ITEMCHANGED when the current row changes, NM_CLICK and NM_DBLCLK on a
// row, NM_RETURN for Enter, NM_SETFOCUS and NM_KILLFOCUS as it gains and
// loses the focus, and
// LVN_KEYDOWN for other keys (a non-zero answer consumes the key). Sizes are
// in device pixels.
#pragma once

#include <QPointer>
#include <QTreeView>
#include <vector>

#include "uilib/messages.h"
#include "uilib/owner_draw.h"

class QStandardItemModel;

namespace cw {

class CeMsgWnd;

class ListView : public QTreeView {
  Q_OBJECT
 public:
  // A child of the owner's client area unless `parent` is given.
  ListView(CeMsgWnd& owner, unsigned id, QWidget* parent = nullptr);

  unsigned Id() const { return id_; }
  void InsertColumn(int column, const QString& title, int width, Qt::Alignment alignment);
  void SetColumnWidth(int column, int width);
  void SetHeaderVisible(bool visible);
  // Answers the row the item went to.
  int InsertItem(int row, const QString& text, int itemData = 0);
  void SetItemText(int row, int column, const QString& text);
  QString ItemText(int row, int column) const;
  int ItemData(int row) const;
  int ItemCount() const;
  void DeleteAllItems();
  // A row that is not selectable is neither selected by a tap or a key nor
  // by SetSelectedRow; rows are selectable when inserted.
  void SetRowSelectable(int row, bool selectable);
  // -1 for none.
  int SelectedRow() const;
  void SetSelectedRow(int row);
  void SetRowHeight(int height);
  // Rows drawn by `draw` across the whole width of the list.
  void SetOwnerDraw(DrawItem draw);
  void RedrawRow(int row);

  const DrawItem& OwnerDraw() const { return draw_; }
  int RowHeight() const { return rowHeight_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void drawRow(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

 private:
  LRESULT Notify(int code, int item, unsigned key = 0);

  QPointer<QWidget> ownerClient_;
  unsigned id_;
  QStandardItemModel* model_;
  std::vector<Qt::Alignment> alignments_;
  DrawItem draw_;
  int rowHeight_ = 0;  // 0: the style's
};

}  // namespace cw
