#pragma once

#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QPoint>
#include <vector>

namespace cw::artwork {

// White is the key colour: the table draws its empty-pile marks keyed on it and
// every glyph and icon stands on it. Inks therefore never use pure white; a light
// area inside a shape uses kPaper.
inline const QColor kKey{0xFF, 0xFF, 0xFF};
inline const QColor kPaper{0xF6, 0xF6, 0xF2};
inline const QColor kInk{0x00, 0x00, 0x00};
inline const QColor kRed{0xD4, 0x00, 0x00};
// The grey of the empty-pile marks, the same as the light card frame.
inline const QColor kGrey{0x99, 0x99, 0x99};

// Whether shapes are drawn with antialiasing: never on the small set, and never
// on colour-keyed marks, whose blended edge pixels would show as a light fringe.
enum class Edges { Hard, Smooth };

QImage NewCanvas(int width, int height, const QColor& background = kKey);

// Pixel art: each mark character ('#' unless told) sets a pixel to the ink,
// anything else leaves it. Rows are strings of equal length, placed with their
// top-left corner at origin.
using PixelArt = std::vector<const char*>;
void PaintPixelArt(QImage& image, const PixelArt& art, QPoint origin, const QColor& ink,
                   char mark = '#');
int PixelArtWidth(const PixelArt& art);

void FillShape(QImage& image, const QPainterPath& path, const QColor& ink, Edges edges);
void StrokeShape(QImage& image, const QPainterPath& path, double width, const QColor& ink,
                 Edges edges);

// Copies the left half onto the right half, mirrored, so that a shape meant to be
// symmetric is exactly so after hard-edged rasterisation.
void MirrorLeftHalf(QImage& image);

}  // namespace cw::artwork
