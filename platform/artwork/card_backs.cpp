#include "platform/artwork/card_backs.h"

#include <QRect>
#include <algorithm>

#include "platform/artwork/canvas.h"

namespace cw::artwork {

namespace {

int FloorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }
int Mod(int a, int b) { return ((a % b) + b) % b; }

// Every design is a function of the pixel position inside the patterned area,
// with its period in pixels scaled by the set (1 small, 2 large).
using Pattern = QRgb (*)(int x, int y, int scale, QSize area);

// Navy with a light diagonal lattice and a bead in each diamond.
QRgb Lattice(int x, int y, int scale, QSize) {
  const int period = 6 * scale;
  const int u = Mod(x + y, period);
  const int v = Mod(x - y, period);
  if (u < scale || v < scale) return qRgb(0x9C, 0xB4, 0xEE);
  const int middle = period / 2;
  if (u >= middle && u < middle + scale && v >= middle && v < middle + scale) {
    return qRgb(0xE0, 0xE8, 0xFA);
  }
  return qRgb(0x1C, 0x34, 0x88);
}

// Red diamonds in two shades with a fine light stitch between them.
QRgb Argyle(int x, int y, int scale, QSize area) {
  const int period = 6 * scale;
  const int cx = x - area.width() / 2;
  const int u = cx + y;
  const int v = cx - y;
  if (Mod(u, period) == 0 || Mod(v, period) == 0) return qRgb(0xF2, 0xB8, 0xB8);
  const bool dark = Mod(FloorDiv(u, period) + FloorDiv(v, period), 2) == 0;
  return dark ? qRgb(0x8E, 0x10, 0x14) : qRgb(0xC4, 0x24, 0x28);
}

// Green basket weave: square cells of stripes, turning a quarter each cell.
QRgb Weave(int x, int y, int scale, QSize) {
  const int cell = 4 * scale;
  const bool across = Mod(FloorDiv(x, cell) + FloorDiv(y, cell), 2) == 0;
  const int along = across ? y : x;
  const bool light = Mod(along, 2 * scale) < scale;
  return light ? qRgb(0x6C, 0xC4, 0x6E) : qRgb(0x17, 0x5E, 0x2E);
}

// Purple and gold frames running round the card towards its middle.
QRgb Frames(int x, int y, int scale, QSize area) {
  const int depth = std::min(std::min(x, area.width() - 1 - x), std::min(y, area.height() - 1 - y));
  const int ring = Mod(depth, 3 * scale);
  return ring < scale ? qRgb(0xE8, 0xB8, 0x3C) : qRgb(0x4A, 0x24, 0x76);
}

}  // namespace

QImage DrawCardBack(int design, QSize size) {
  static const Pattern kPatterns[kCardBackCount] = {Lattice, Argyle, Weave, Frames};
  // One pattern cell per 20 pixels of card width: the small set 1, the VGA
  // set 2, and the bigger cards of a desktop table in proportion.
  const int scale = std::max(1, size.width() / 20);
  // Frame (drawn by the card composer) and one or two white pixels inside it.
  const int inset = 1 + scale;
  QImage image = NewCanvas(size.width(), size.height());
  const QRect area(inset, inset, size.width() - 2 * inset, size.height() - 2 * inset);
  const Pattern pattern = kPatterns[design];
  for (int y = 0; y < area.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(area.top() + y)) + area.left();
    for (int x = 0; x < area.width(); ++x) row[x] = pattern(x, y, scale, area.size());
  }
  return image;
}

}  // namespace cw::artwork
