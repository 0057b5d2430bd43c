// The main window's size and place on a desktop screen: where a first window
// opens, and the place kept in the registry between starts.
#pragma once

#include <QRect>
#include <QSize>
#include <QStringView>
#include <optional>

#include "platform/registry/registry.h"

namespace cw {

// Whether a screen whose free area is `available` is a desktop's rather than
// a handheld's: it has room for the work area twice over both ways.
bool IsDesktopScreen(const QRect& available, QSize workArea);

// A first window on a desktop screen: two-thirds of the free area's height,
// four to three (narrower where the screen is), centred.
QRect FirstDesktopWindow(const QRect& available);

// The kept place moved wholly onto the free area, or none when it is bigger
// than the area or smaller than the work area.
std::optional<QRect> KeptPlaceOnScreen(const QRect& kept, const QRect& available, QSize workArea);

// The place kept by the last run, in Qt's coordinates; none when there is
// none or the stored value is not one.
std::optional<QRect> LoadWindowPlace(Registry& registry, QStringView programTitle);
void SaveWindowPlace(Registry& registry, QStringView programTitle, const QRect& place);

}  // namespace cw
