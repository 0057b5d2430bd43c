#include "chooser/chooser_drawing.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QPalette>

#include "chooser/chooser_filter.h"
#include "platform/gdi/font_style.h"
#include "platform/resources/bitmap_ids.h"
#include "platform/resources/bitmaps.h"

namespace cw {

namespace {

const QString kEllipsis = QStringLiteral("…");

QImage Picture(int id) { return WhiteTransparent(LoadBitmap(id)); }

QColor Highlight() { return QGuiApplication::palette().color(QPalette::Highlight); }

void FillRow(QPainter& painter, const QRect& rect, RowLook look) {
  if (look == RowLook::kSelected) {
    painter.fillRect(rect, Highlight());
    painter.setPen(Qt::white);
    return;
  }
  painter.fillRect(rect, Qt::white);
  if (look == RowLook::kOutlined) {
    painter.setPen(Highlight());
    painter.drawRect(rect.adjusted(0, 0, -1, -1));
  }
  painter.setPen(Qt::black);
}

void DrawPicture(QPainter& painter, const QImage& image, int x, const QRect& row) {
  if (!image.isNull()) painter.drawImage(QPoint(x, row.top() + (row.height() - image.height()) / 2), image);
}

int PartWidth(const FacePart& part, const QFontMetrics& metrics) {
  int width = part.image.width();
  if (!part.text.isEmpty()) width += (width > 0 ? 2 : 0) + metrics.horizontalAdvance(part.text);
  return std::max(width, part.minimumWidth);
}

int PartsWidth(const std::vector<FacePart>& parts, const QFontMetrics& metrics, int gap) {
  int width = 0;
  for (const FacePart& part : parts) width += PartWidth(part, metrics);
  return width + gap * std::max<int>(0, static_cast<int>(parts.size()) - 1);
}

// Lays the parts out from `x`; the last text is shortened to end by `right`.
void DrawParts(QPainter& painter, const QRect& rect, const std::vector<FacePart>& parts, int x, int right,
               const ChooserMetrics& metrics) {
  const QFontMetrics fontMetrics = painter.fontMetrics();
  for (const FacePart& part : parts) {
    const int start = x;
    DrawPicture(painter, part.image, x, rect);
    x += part.image.width();
    if (!part.text.isEmpty()) {
      if (!part.image.isNull()) x += 2;
      const QString text = fontMetrics.elidedText(part.text, Qt::ElideRight, std::max(0, right - x));
      painter.drawText(QRect(x, rect.top(), std::max(0, right - x), rect.height()),
                       Qt::AlignLeft | Qt::AlignVCenter, text);
      x += fontMetrics.horizontalAdvance(text);
    }
    x = std::max(x, start + part.minimumWidth) + metrics.gap;
  }
}

}  // namespace

ChooserMetrics ChooserMetricsFor(const ScreenFacts& facts) {
  ChooserMetrics metrics;
  const double scale = facts.ScaleFactor();
  if (scale > 1.0 && scale < 2.0) {
    metrics.rowHeight = 15;
    metrics.font = MakeFont(FontStyle{15, 400, {}});
    metrics.nameLeft = 2;
    metrics.nameLimit = 120;
    metrics.star = 118;
    metrics.category = 91;
    metrics.skillBase = 64;
    metrics.duration = 22;
    return metrics;
  }
  metrics.rowHeight = facts.ScaleY(15);
  metrics.font = MakeFont(FontStyle{-facts.ScaleY(11), 400, {}});
  metrics.nameLeft = facts.ScaleX(2);
  metrics.nameLimit = facts.ScaleX(92);
  metrics.star = facts.ScaleX(90);
  metrics.category = facts.ScaleX(71);
  metrics.skillBase = facts.ScaleX(52);
  metrics.skillStep = facts.ScaleX(5);
  metrics.duration = facts.ScaleX(18);
  metrics.gap = facts.ScaleX(3);
  metrics.margin = facts.ScaleX(2);
  return metrics;
}

QString ShortenedName(const QString& name, const QFontMetrics& metrics, int room) {
  if (metrics.horizontalAdvance(name) <= room) return name;
  for (qsizetype kept = name.size() - 1; kept >= 2; --kept) {
    QString shortened = name.left(kept) + kEllipsis;
    if (metrics.horizontalAdvance(shortened) <= room) return shortened;
  }
  return kEllipsis;
}

ChooserPictures::ChooserPictures(bool highDpi) {
  for (int category = 1; category < static_cast<int>(kCategoryOther); ++category) {
    categories_.push_back(Picture(bitmap_ids::Category(highDpi, category)));
  }
  for (int skill = 1; skill <= 3; ++skill) skills_.push_back(Picture(bitmap_ids::Skill(highDpi, skill)));
  for (int duration = 1; duration <= 4; ++duration) {
    durations_.push_back(Picture(bitmap_ids::Duration(highDpi, duration)));
  }
  using bitmap_ids::FilterButton;
  categoryButton_ = Picture(bitmap_ids::FilterButtonPicture(highDpi, FilterButton::kCategory));
  skillButton_ = Picture(bitmap_ids::FilterButtonPicture(highDpi, FilterButton::kSkill));
  durationButton_ = Picture(bitmap_ids::FilterButtonPicture(highDpi, FilterButton::kDuration));
  clearFilters_ = Picture(bitmap_ids::ClearFilters(highDpi));
  star_ = Picture(bitmap_ids::FavouriteStar(highDpi));
  leftArrow_ = Picture(bitmap_ids::LeftArrow(highDpi));
  rightArrow_ = Picture(bitmap_ids::RightArrow(highDpi));
}

namespace {
const QImage& Pick(const std::vector<QImage>& pictures, std::uint32_t value, const QImage& none) {
  return value >= 1 && value <= pictures.size() ? pictures[value - 1] : none;
}
}  // namespace

const QImage& ChooserPictures::Category(std::uint32_t category) const {
  return Pick(categories_, category, none_);
}
const QImage& ChooserPictures::Skill(std::uint32_t skill) const { return Pick(skills_, skill, none_); }
const QImage& ChooserPictures::Duration(std::uint32_t duration) const {
  return Pick(durations_, duration, none_);
}

void DrawGameRow(QPainter& painter, const QRect& rect, const CatalogueEntry& entry, bool favourite,
                 RowLook look, const ChooserMetrics& metrics, const ChooserPictures& pictures) {
  FillRow(painter, rect, look);
  painter.setFont(metrics.font);
  const int right = rect.left() + rect.width();
  const int nameLeft = rect.left() + metrics.nameLeft;
  const int room = right - metrics.nameLimit - nameLeft;
  const QString name = ShortenedName(QString::fromStdString(entry.name), painter.fontMetrics(), room);
  painter.drawText(QRect(nameLeft, rect.top(), std::max(0, room), rect.height()),
                   Qt::AlignLeft | Qt::AlignVCenter, name);
  if (favourite) DrawPicture(painter, pictures.Star(), right - metrics.star, rect);
  DrawPicture(painter, pictures.Category(entry.category), right - metrics.category, rect);
  if (entry.skill >= 1 && entry.skill <= kMaxSkillFilter) {
    DrawPicture(painter, pictures.Skill(entry.skill), right - metrics.SkillOffset(entry.skill), rect);
  }
  DrawPicture(painter, pictures.Duration(entry.duration), right - metrics.duration, rect);
}

void DrawNoticeRow(QPainter& painter, const QRect& rect, const QString& notice, RowLook look,
                   const ChooserMetrics& metrics) {
  FillRow(painter, rect, look);
  painter.setFont(metrics.font);
  painter.drawText(rect, Qt::AlignCenter, notice);
}

void DrawListRow(QPainter& painter, const QRect& rect, const std::vector<FacePart>& parts, bool centred,
                 RowLook look, const ChooserMetrics& metrics) {
  FillRow(painter, rect, look);
  painter.setFont(metrics.font);
  const int right = rect.left() + rect.width() - metrics.margin;
  const int width = PartsWidth(parts, painter.fontMetrics(), metrics.gap);
  const int x =
      centred ? rect.left() + std::max(0, (rect.width() - width) / 2) : rect.left() + metrics.margin;
  DrawParts(painter, rect, parts, x, right, metrics);
}

void DrawButton(QPainter& painter, const QRect& rect, const std::vector<FacePart>& parts, bool centred,
                ButtonLook look, const ChooserMetrics& metrics) {
  const QRect frame = rect.adjusted(0, 0, -1, -1);
  painter.fillRect(rect, look.highlighted ? Highlight() : QColor(Qt::white));
  painter.setPen(Qt::black);
  painter.drawRect(frame);
  if (look.focused) {
    QPen dotted(look.highlighted ? Qt::white : Qt::black);
    dotted.setStyle(Qt::DotLine);
    painter.setPen(dotted);
    painter.drawRect(frame.adjusted(2, 2, -2, -2));
  }
  painter.setPen(look.highlighted ? Qt::white : Qt::black);
  painter.setFont(metrics.font);
  const QRect content = rect.adjusted(metrics.margin, 0, -metrics.margin, 0);
  const int width = PartsWidth(parts, painter.fontMetrics(), metrics.gap);
  const int x = centred ? content.left() + std::max(0, (content.width() - width) / 2) : content.left();
  DrawParts(painter, content, parts, x, content.left() + content.width(), metrics);
}

}  // namespace cw
