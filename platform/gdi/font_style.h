// A font asked for the way the program's drawing code asks for one: a height
// in device pixels, a weight and optionally a family.
#pragma once

#include <QFont>
#include <QString>

namespace cw {

struct FontStyle {
  // Negative: the character (em) height is −height pixels. Positive: the cell
  // height (ascent plus descent) is height pixels. Zero: the default size.
  int height = 0;
  int weight = 400;  // 100 to 900; 700 is bold
  QString family;    // empty: the application's default family
};

// The QFont for `style`, sized in pixels and without antialiasing so that text
// drawn with it has exact pixels.
QFont MakeFont(const FontStyle& style);

}  // namespace cw
