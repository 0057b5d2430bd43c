#include "uilib/list_view.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QStandardItemModel>
#include <QStyledItemDelegate>
#include <cmath>

#include "uilib/ce_msg_wnd.h"
#include "uilib/virtual_keys.h"

namespace cw {

namespace {

// Gives every row the list's height when it sets one.
class RowHeightDelegate : public QStyledItemDelegate {
 public:
  explicit RowHeightDelegate(ListView* list) : QStyledItemDelegate(list), list_(list) {}
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    if (list_->RowHeight() > 0) {
      size.setHeight(static_cast<int>(std::ceil(list_->RowHeight() / list_->devicePixelRatioF())));
    }
    return size;
  }

 private:
  ListView* list_;
};

int Logical(int device, double ratio) { return static_cast<int>(std::lround(device / ratio)); }

}  // namespace

ListView::ListView(CeMsgWnd& owner, unsigned id, QWidget* parent)
    : QTreeView(parent != nullptr ? parent : owner.Widget()), ownerClient_(owner.Widget()), id_(id),
      model_(new QStandardItemModel(this)) {
  setModel(model_);
  setItemDelegate(new RowHeightDelegate(this));
  setRootIsDecorated(false);
  setUniformRowHeights(true);
  setItemsExpandable(false);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  header()->setSectionsMovable(false);
  header()->setStretchLastSection(false);
  owner.AddControl(id, this);

  connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) { Notify(LVN_ITEMCHANGED, current.isValid() ? current.row() : -1); });
  connect(this, &QAbstractItemView::clicked, this,
          [this](const QModelIndex& index) { Notify(NM_CLICK, index.row()); });
  connect(this, &QAbstractItemView::doubleClicked, this,
          [this](const QModelIndex& index) { Notify(NM_DBLCLK, index.row()); });
}

LRESULT ListView::Notify(int code, int item, unsigned key) {
  CeMsgWnd* owner = CeMsgWnd::FromWidget(ownerClient_);
  if (owner == nullptr) return 0;
  Notification notification;
  notification.controlId = id_;
  notification.code = code;
  notification.item = item;
  notification.key = key;
  notification.source = this;
  return owner->SendMessage(WM_NOTIFY, id_, reinterpret_cast<LPARAM>(&notification));
}

void ListView::InsertColumn(int column, const QString& title, int width, Qt::Alignment alignment) {
  column = std::clamp(column, 0, model_->columnCount());
  model_->insertColumn(column);
  auto* headerItem = new QStandardItem(title);
  headerItem->setTextAlignment(alignment);
  model_->setHorizontalHeaderItem(column, headerItem);
  alignments_.insert(alignments_.begin() + column, alignment);
  SetColumnWidth(column, width);
}

void ListView::SetColumnWidth(int column, int width) {
  QTreeView::setColumnWidth(column, Logical(width, devicePixelRatioF()));
}

void ListView::SetHeaderVisible(bool visible) { setHeaderHidden(!visible); }

int ListView::InsertItem(int row, const QString& text, int itemData) {
  if (model_->columnCount() == 0) {
    model_->setColumnCount(1);
    alignments_.assign(1, Qt::AlignLeft | Qt::AlignVCenter);
  }
  row = std::clamp(row, 0, model_->rowCount());
  QList<QStandardItem*> items;
  for (int column = 0; column < model_->columnCount(); ++column) {
    auto* item = new QStandardItem(column == 0 ? text : QString());
    item->setTextAlignment(alignments_[static_cast<std::size_t>(column)] | Qt::AlignVCenter);
    items.append(item);
  }
  items.front()->setData(itemData, Qt::UserRole);
  model_->insertRow(row, items);
  return row;
}

void ListView::SetItemText(int row, int column, const QString& text) {
  if (row < 0 || row >= model_->rowCount() || column < 0 || column >= model_->columnCount()) return;
  if (QStandardItem* item = model_->item(row, column)) {
    item->setText(text);
    return;
  }
  // A cell of a column inserted after its row.
  auto* item = new QStandardItem(text);
  item->setTextAlignment(alignments_[static_cast<std::size_t>(column)] | Qt::AlignVCenter);
  model_->setItem(row, column, item);
}

QString ListView::ItemText(int row, int column) const {
  const QStandardItem* item = model_->item(row, column);
  return item == nullptr ? QString() : item->text();
}

int ListView::ItemData(int row) const {
  const QStandardItem* item = model_->item(row, 0);
  return item == nullptr ? -1 : item->data(Qt::UserRole).toInt();
}

int ListView::ItemCount() const { return model_->rowCount(); }

void ListView::DeleteAllItems() { model_->removeRows(0, model_->rowCount()); }

void ListView::SetRowSelectable(int row, bool selectable) {
  for (int column = 0; column < model_->columnCount(); ++column) {
    if (QStandardItem* item = model_->item(row, column)) item->setSelectable(selectable);
  }
  if (!selectable && SelectedRow() == row) selectionModel()->clear();
}

int ListView::SelectedRow() const {
  const QModelIndexList rows = selectionModel()->selectedRows();
  return rows.isEmpty() ? -1 : rows.front().row();
}

void ListView::SetSelectedRow(int row) {
  const QStandardItem* item = model_->item(row, 0);
  if (item == nullptr || !item->isSelectable()) {
    selectionModel()->clear();
    return;
  }
  const QModelIndex index = model_->index(row, 0);
  selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                               QItemSelectionModel::Rows);
  scrollTo(index);
}

void ListView::SetRowHeight(int height) {
  rowHeight_ = height;
  doItemsLayout();
}

void ListView::SetOwnerDraw(DrawItem draw) {
  draw_ = std::move(draw);
  viewport()->update();
}

void ListView::RedrawRow(int row) {
  if (row >= 0 && row < ItemCount()) {
    const QRect cell = visualRect(model_->index(row, 0));
    viewport()->update(QRect(0, cell.top(), viewport()->width(), cell.height()));
  }
}

void ListView::drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                       const QModelIndex& index) const {
  if (!draw_) {
    QTreeView::drawRow(painter, option, index);
    return;
  }
  ItemState state;
  state.selected = selectionModel()->isSelected(index);
  state.focused = hasFocus() && currentIndex().row() == index.row();
  const QRect row(0, option.rect.top(), viewport()->width(), option.rect.height());
  DrawInDevicePixels(*painter, row, devicePixelRatioF(), index.row(), state, draw_);
}

void ListView::keyPressEvent(QKeyEvent* event) {
  const unsigned vk = VirtualKeyFromQtKey(event->key());
  if (vk == VK_RETURN) {
    Notify(NM_RETURN, SelectedRow());
    event->accept();
    return;
  }
  if (vk != 0 && Notify(LVN_KEYDOWN, SelectedRow(), vk) != 0) {
    event->accept();
    return;
  }
  QTreeView::keyPressEvent(event);
}

void ListView::focusInEvent(QFocusEvent* event) {
  QTreeView::focusInEvent(event);
  Notify(NM_SETFOCUS, SelectedRow());
}

void ListView::focusOutEvent(QFocusEvent* event) {
  QTreeView::focusOutEvent(event);
  Notify(NM_KILLFOCUS, SelectedRow());
}

}  // namespace cw
