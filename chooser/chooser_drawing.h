// How the chooser draws: the sizes of its rows for the screen, its pictures,
// the rows of the games list and of the filter lists, and the faces of its
// owner-drawn buttons. Everything is in device pixels.
#pragma once

#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>
#include <vector>

#include "engine/database/catalogue.h"
#include "platform/screen/screen_facts.h"

class QFontMetrics;
class QPainter;

namespace cw {

// Row height, font and the horizontal places within a games row. The places
// of the pictures are distances back from the row's right edge R.
struct ChooserMetrics {
  int rowHeight = 15;
  QFont font;
  int nameLeft = 2;    // from the row's left edge
  int nameLimit = 92;  // the name ends at R - nameLimit
  int star = 90;
  int category = 71;
  int duration = 18;
  int skillBase = 52;  // skill s at R - skillBase + skillStep * (3 - s)
  int skillStep = 5;
  // Gaps within buttons and list rows.
  int gap = 3;
  int margin = 2;

  int SkillOffset(std::uint32_t skill) const { return skillBase - skillStep * (3 - static_cast<int>(skill)); }
};

// The metrics for `facts`: the 96-dpi places scaled to the screen, or, on a
// screen whose scale factor lies strictly between 1 and 2, rows 15 pixels
// high with a font of 15 pixels and places of their own.
ChooserMetrics ChooserMetricsFor(const ScreenFacts& facts);

// `name` as it fits in `room` pixels: whole, or shortened at its end with
// "…" appended; only "…" when not even one character and "…" fit beside it.
QString ShortenedName(const QString& name, const QFontMetrics& metrics, int room);

// The chooser's pictures for one display: the VGA set on a 192-dpi screen,
// else the QVGA set. White is transparent in every picture; a picture the
// build lacks is a null image and is not drawn.
class ChooserPictures {
 public:
  explicit ChooserPictures(bool highDpi);

  // Null for category 11 "Other" and for values outside the ranges.
  const QImage& Category(std::uint32_t category) const;
  const QImage& Skill(std::uint32_t skill) const;
  const QImage& Duration(std::uint32_t duration) const;
  const QImage& CategoryButton() const { return categoryButton_; }
  const QImage& SkillButton() const { return skillButton_; }
  const QImage& DurationButton() const { return durationButton_; }
  const QImage& ClearFilters() const { return clearFilters_; }
  const QImage& Star() const { return star_; }
  const QImage& LeftArrow() const { return leftArrow_; }
  const QImage& RightArrow() const { return rightArrow_; }

 private:
  std::vector<QImage> categories_;  // index category - 1
  std::vector<QImage> skills_;
  std::vector<QImage> durations_;
  QImage categoryButton_, skillButton_, durationButton_, clearFilters_, star_, leftArrow_, rightArrow_, none_;
};

// How a row is painted: white with black text, or the highlight colour with
// white text for the selected row. A selected row of a list without the focus
// is only outlined in the highlight colour.
enum class RowLook { kPlain, kSelected, kOutlined };

// One games row: the name from the left, then towards the right edge the star
// (favourites only), the category, skill and duration pictures.
void DrawGameRow(QPainter& painter, const QRect& rect, const CatalogueEntry& entry, bool favourite,
                 RowLook look, const ChooserMetrics& metrics, const ChooserPictures& pictures);
// The row listed when no game matches: `notice` centred.
void DrawNoticeRow(QPainter& painter, const QRect& rect, const QString& notice, RowLook look,
                   const ChooserMetrics& metrics);

// A picture, a text, or both side by side; the parts of a button face or of
// a filter list row.
struct FacePart {
  QImage image;
  QString text;
  int minimumWidth = 0;  // keeps columns of pictures of different widths aligned
};

// A filter list row: the parts from the left edge, or centred.
void DrawListRow(QPainter& painter, const QRect& rect, const std::vector<FacePart>& parts, bool centred,
                 RowLook look, const ChooserMetrics& metrics);

struct ButtonLook {
  bool highlighted = false;  // pressed, or its list is open
  bool focused = false;
};
// An owner-drawn button: a framed face with its parts from the left, or
// centred; a text that does not fit is shortened.
void DrawButton(QPainter& painter, const QRect& rect, const std::vector<FacePart>& parts, bool centred,
                ButtonLook look, const ChooserMetrics& metrics);

}  // namespace cw
