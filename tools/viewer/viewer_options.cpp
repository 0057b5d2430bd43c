#include "tools/viewer/viewer_options.h"

namespace cw {

namespace {

std::optional<std::uint32_t> Number(const QString& text, std::uint32_t limit) {
  bool ok = false;
  const qulonglong value = text.toULongLong(&ok);
  if (!ok || value > limit) return std::nullopt;
  return static_cast<std::uint32_t>(value);
}

std::optional<ViewerMove> ParseMove(const QString& text) {
  if (text == QLatin1String("undo")) return ViewerMove{ViewerMove::Kind::kUndo, {}};
  const QStringList parts = text.split(QLatin1Char(':'));
  if (parts.size() != 2) return std::nullopt;
  const auto pile = Number(parts[1], 0xFFFE);
  if (!pile) return std::nullopt;
  if (parts[0] == QLatin1String("tap")) {
    return ViewerMove{ViewerMove::Kind::kTap, {static_cast<std::uint16_t>(*pile), kNoReference}};
  }
  const auto card = Number(parts[0], 0xFFFE);
  if (!card) return std::nullopt;
  return ViewerMove{ViewerMove::Kind::kCard, {static_cast<std::uint16_t>(*card), static_cast<std::uint16_t>(*pile)}};
}

std::optional<std::uint8_t> ParseMode(const QString& text) {
  if (text == QLatin1String("tapping")) return 0;
  if (text == QLatin1String("drag")) return 1;
  if (text == QLatin1String("cw")) return 2;
  if (text == QLatin1String("pw")) return 3;
  return std::nullopt;
}

}  // namespace

QString ViewerUsage() {
  return QStringLiteral(
      "usage: cardwright-viewer [--game NAME] [--number N] [--vga] [--landscape] [--size WxH]\n"
      "                         [--moves MOVE,MOVE...] [--mode tapping|drag|cw|pw] [--no-animation]\n"
      "                         [--back 0-3] [--select CARD] [--drag CARD[:DX,DY]] [--screenshot OUT.png]\n"
      "                         [--print-layout] [--print-table]\n"
      "MOVE is CARD:PILE, tap:PILE or undo, as cardwright-cli play takes them. --size is the field\n"
      "in QVGA pixels (doubled by --vga). --screenshot renders the field offscreen and quits;\n"
      "--drag holds the card's run lifted by DX,DY pixels in that picture.\n"
      "--print-layout lays the field out offscreen, prints \"cardsize W H\" for the card size the\n"
      "field chose, \"card CARD X Y\" for the middle of each card's visible part and\n"
      "\"pile PILE X Y\" for the point to drop on each pile (field pixels), and quits.\n"
      "--print-table prints the table as cardwright-cli play does after every move the player\n"
      "finishes in the window, then a line \"--\".\n");
}

std::optional<ViewerOptions> ParseViewerOptions(const QStringList& arguments, QString* error) {
  ViewerOptions options;
  const auto fail = [&](const QString& why) -> std::optional<ViewerOptions> {
    if (error != nullptr) *error = why;
    return std::nullopt;
  };
  for (qsizetype i = 0; i < arguments.size(); ++i) {
    const QString& option = arguments[i];
    const auto value = [&]() -> std::optional<QString> {
      if (i + 1 >= arguments.size()) return std::nullopt;
      return arguments[++i];
    };
    if (option == QLatin1String("--vga")) {
      options.vga = true;
    } else if (option == QLatin1String("--landscape")) {
      options.landscape = true;
    } else if (option == QLatin1String("--no-animation")) {
      options.animation = false;
    } else if (option == QLatin1String("--print-layout")) {
      options.printLayout = true;
    } else if (option == QLatin1String("--print-table")) {
      options.printTable = true;
    } else {
      const auto text = value();
      if (!text) return fail(option + QStringLiteral(" needs a value"));
      if (option == QLatin1String("--game")) {
        options.game = *text;
      } else if (option == QLatin1String("--number")) {
        const auto number = Number(*text, 0xFFFFFFFFu);
        if (!number) return fail(QStringLiteral("bad deal number: ") + *text);
        options.number = *number;
      } else if (option == QLatin1String("--size")) {
        const QStringList parts = text->split(QLatin1Char('x'));
        // A size of 0 is as bad as an unreadable one.
        const unsigned w = parts.size() == 2 ? Number(parts[0], 4096).value_or(0u) : 0u;
        const unsigned h = parts.size() == 2 ? Number(parts[1], 4096).value_or(0u) : 0u;
        if (w == 0 || h == 0) return fail(QStringLiteral("bad size: ") + *text);
        options.size = QSize(static_cast<int>(w), static_cast<int>(h));
      } else if (option == QLatin1String("--screenshot")) {
        options.screenshot = *text;
      } else if (option == QLatin1String("--moves")) {
        for (const QString& part : text->split(QLatin1Char(','), Qt::SkipEmptyParts)) {
          const auto move = ParseMove(part);
          if (!move) return fail(QStringLiteral("bad move: ") + part);
          options.moves.push_back(*move);
        }
      } else if (option == QLatin1String("--mode")) {
        const auto mode = ParseMode(*text);
        if (!mode) return fail(QStringLiteral("bad mode: ") + *text);
        options.playMode = *mode;
      } else if (option == QLatin1String("--back")) {
        const auto back = Number(*text, 3);
        if (!back) return fail(QStringLiteral("bad back: ") + *text);
        options.cardBack = *back;
      } else if (option == QLatin1String("--select")) {
        const auto card = Number(*text, 0xFFFE);
        if (!card) return fail(QStringLiteral("bad card: ") + *text);
        options.selectCard = static_cast<std::uint16_t>(*card);
      } else if (option == QLatin1String("--drag")) {
        const QStringList parts = text->split(QLatin1Char(':'));
        const auto card = Number(parts[0], 0xFFFE);
        if (!card || parts.size() > 2) return fail(QStringLiteral("bad drag: ") + *text);
        options.dragCard = static_cast<std::uint16_t>(*card);
        if (parts.size() == 2) {
          const QStringList by = parts[1].split(QLatin1Char(','));
          bool okX = false;
          bool okY = false;
          if (by.size() != 2) return fail(QStringLiteral("bad drag: ") + *text);
          options.dragBy = QPoint(by[0].toInt(&okX), by[1].toInt(&okY));
          if (!okX || !okY) return fail(QStringLiteral("bad drag: ") + *text);
        }
      } else {
        return fail(QStringLiteral("unknown option: ") + option);
      }
    }
  }
  return options;
}

}  // namespace cw
