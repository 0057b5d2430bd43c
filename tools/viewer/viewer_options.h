// The command line of cardwright-viewer, the developer's window on one game
// and deal without the shell.
#pragma once

#include <QPoint>
#include <QSize>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

#include "engine/rules/automatic_events.h"

namespace cw {

struct ViewerMove {
  enum class Kind { kCard, kTap, kUndo } kind = Kind::kCard;
  MoveReference move;
};

struct ViewerOptions {
  QString game = QStringLiteral("FreeCell");
  std::uint32_t number = 1;
  bool vga = false;
  bool landscape = false;
  std::optional<QSize> size;  // the field, in QVGA pixels
  QString screenshot;         // render offscreen to this PNG and quit
  bool printLayout = false;   // print where each card and pile lies and quit
  bool printTable = false;    // print the table after every finished move
  std::vector<ViewerMove> moves;
  std::uint8_t playMode = 1;
  bool animation = true;
  std::optional<std::uint16_t> dragCard;  // lifted and held for the screenshot
  QPoint dragBy{30, 40};
  std::optional<std::uint16_t> selectCard;  // shown selected in the screenshot
  std::uint32_t cardBack = 0;
};

// Parses the arguments after the program name; none, with `error` set, for
// a wrong one.
std::optional<ViewerOptions> ParseViewerOptions(const QStringList& arguments, QString* error);

QString ViewerUsage();

}  // namespace cw
