// A push button that shows a picture and an optional text beside it, or is
// drawn entirely by its owner. A click reaches the owner as WM_COMMAND
// (id, BN_CLICKED).
#pragma once

#include <QAbstractButton>
#include <QImage>

#include "uilib/owner_draw.h"

namespace cw {

class CeMsgWnd;

class IconButton : public QAbstractButton {
  Q_OBJECT
 public:
  // A child of the owner's client area unless `parent` is given.
  IconButton(CeMsgWnd& owner, unsigned id, QWidget* parent = nullptr);

  // The picture is drawn one to one onto device pixels.
  void SetImage(const QImage& image);
  void SetOwnerDraw(DrawItem draw);

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void DrawDefault(QPainter& painter, const QRect& rect, ItemState state) const;

  QImage image_;
  DrawItem draw_;
};

}  // namespace cw
