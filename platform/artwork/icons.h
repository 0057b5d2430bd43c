#pragma once

#include <QImage>
#include <QSize>

#include "platform/artwork/manifest.h"

namespace cw::artwork {

// The chooser's pictures, the menu bar strip, the program icon and the arrow
// marks of empty piles. Each is designed on the small set's pixel grid and
// drawn at twice the scale, with smooth edges, on the large set.
QImage DrawCategoryPicture(int category, QSize size, BitmapSet set);  // category 1 … 10
QImage DrawSkillPicture(int level, QSize size, BitmapSet set);        // level 1 … 3
QImage DrawDurationPicture(int duration, QSize size, BitmapSet set);  // class 1 … 4
QImage DrawCategoryFilterPicture(QSize size, BitmapSet set);
QImage DrawSkillFilterPicture(QSize size, BitmapSet set);
QImage DrawDurationFilterPicture(QSize size, BitmapSet set);
QImage DrawClearFiltersPicture(QSize size, BitmapSet set);
QImage DrawFavouriteStar(QSize size, BitmapSet set);
QImage DrawSideArrow(bool pointsRight, QSize size, BitmapSet set);
// Undo, Show Next Move, Help and Menu side by side, each as high as the strip.
QImage DrawMenuBarStrip(QSize size, BitmapSet set);
QImage DrawApplicationIcon(QSize size, BitmapSet set);
// Marks an empty pile; keyed on white, so always hard-edged.
QImage DrawEmptyPileArrow(bool red, QSize size, BitmapSet set);

}  // namespace cw::artwork
