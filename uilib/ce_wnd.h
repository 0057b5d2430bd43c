// A window of the program: a top-level window with room for a menu bar at
// its bottom, or a child window inside another window.
#pragma once

#include <QRect>
#include <QString>

#include "uilib/ce_msg_wnd.h"

namespace cw {

class CeWnd : public CeMsgWnd {
 public:
  // A top-level window named `className` (the name other instances look
  // for), with its title; `geometry` is in device pixels, empty for the
  // platform's choice. Runs OnFirstMessage and OnCreate; false when creation
  // was refused. The window is shown by ShowWindow.
  bool Create(const QString& className, const QString& title, const QRect& geometry = {});
  // A child window at `rect` (device pixels) of the parent's client area,
  // visible at once, named `className`.
  bool CreateChild(CeMsgWnd& parent, const QRect& rect, const QString& className = {});
};

}  // namespace cw
