#include "platform/artwork/canvas.h"

#include <QPainter>
#include <QPen>
#include <algorithm>
#include <cstring>

namespace cw::artwork {

QImage NewCanvas(int width, int height, const QColor& background) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(background);
  return image;
}

void PaintPixelArt(QImage& image, const PixelArt& art, QPoint origin, const QColor& ink,
                   char mark) {
  const QRgb rgb = ink.rgb();
  int y = origin.y();
  for (const char* row : art) {
    for (int x = 0; row[x] != '\0'; ++x) {
      const int px = origin.x() + x;
      if (row[x] == mark && image.rect().contains(px, y)) image.setPixel(px, y, rgb);
    }
    ++y;
  }
}

int PixelArtWidth(const PixelArt& art) {
  int width = 0;
  for (const char* row : art) width = std::max(width, static_cast<int>(std::strlen(row)));
  return width;
}

void FillShape(QImage& image, const QPainterPath& path, const QColor& ink, Edges edges) {
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing, edges == Edges::Smooth);
  painter.setPen(Qt::NoPen);
  painter.setBrush(ink);
  painter.drawPath(path);
}

void StrokeShape(QImage& image, const QPainterPath& path, double width, const QColor& ink,
                 Edges edges) {
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing, edges == Edges::Smooth);
  QPen pen(ink, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  painter.setPen(pen);
  painter.setBrush(Qt::NoBrush);
  painter.drawPath(path);
}

void MirrorLeftHalf(QImage& image) {
  const int width = image.width();
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < width / 2; ++x) image.setPixel(width - 1 - x, y, image.pixel(x, y));
  }
}

}  // namespace cw::artwork
