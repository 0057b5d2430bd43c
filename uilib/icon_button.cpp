#include "uilib/icon_button.h"

#include <QPainter>
#include <cmath>

#include "uilib/ce_msg_wnd.h"

namespace cw {

namespace {
constexpr int kGap = 4;  // between picture and text, and around them
}  // namespace

IconButton::IconButton(CeMsgWnd& owner, unsigned id, QWidget* parent)
    : QAbstractButton(parent != nullptr ? parent : owner.Widget()) {
  owner.AddControl(id, this);
}

void IconButton::SetImage(const QImage& image) {
  image_ = image;
  updateGeometry();
  update();
}

void IconButton::SetOwnerDraw(DrawItem draw) {
  draw_ = std::move(draw);
  update();
}

QSize IconButton::sizeHint() const {
  const double ratio = devicePixelRatioF();
  const QSize picture(static_cast<int>(std::ceil(image_.width() / ratio)),
                      static_cast<int>(std::ceil(image_.height() / ratio)));
  const QSize label = text().isEmpty() ? QSize() : fontMetrics().size(Qt::TextSingleLine, text());
  return {picture.width() + label.width() + 3 * kGap,
          std::max(picture.height(), label.height()) + 2 * kGap};
}

void IconButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  ItemState state;
  state.pressed = isDown();
  state.selected = isChecked();
  state.focused = hasFocus();
  const DrawItem draw = draw_ ? draw_ : [this](QPainter& p, const QRect& r, int, ItemState s) {
    DrawDefault(p, r, s);
  };
  DrawInDevicePixels(painter, rect(), devicePixelRatioF(), -1, state, draw);
}

void IconButton::DrawDefault(QPainter& painter, const QRect& rect, ItemState state) const {
  const bool highlighted = state.pressed || state.selected;
  painter.fillRect(rect, palette().color(highlighted ? QPalette::Highlight : QPalette::Button));
  const double ratio = devicePixelRatioF();
  const int gap = static_cast<int>(std::lround(kGap * ratio));
  int x = rect.left() + gap;
  if (!image_.isNull()) {
    painter.drawImage(QPoint(x, rect.top() + (rect.height() - image_.height()) / 2), image_);
    x += image_.width() + gap;
  }
  if (!text().isEmpty()) {
    QFont font = this->font();
    font.setPixelSize(static_cast<int>(std::lround(QFontInfo(this->font()).pixelSize() * ratio)));
    painter.setFont(font);
    painter.setPen(palette().color(highlighted ? QPalette::HighlightedText : QPalette::ButtonText));
    painter.drawText(QRect(x, rect.top(), rect.right() - x, rect.height()),
                     Qt::AlignLeft | Qt::AlignVCenter, text());
  }
}

}  // namespace cw
