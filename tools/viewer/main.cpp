// cardwright-viewer: the game field on any game and deal, without the shell.
// Plays with the pen or the keys in a window, or renders the field offscreen
// into a PNG (--screenshot), optionally in the middle of a drag.
#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTextStream>
#include <QWidget>
#include <iostream>
#include <memory>

#include "engine/database/catalogue.h"
#include "engine/database/embedded_resources.h"
#include "engine/database/record_loader.h"
#include "engine/rules/moves.h"
#include "engine/rules/player_move.h"
#include "platform/resources/build_variant.h"
#include "platform/screen/screen_facts.h"
#include "tools/cli/table_output.h"
#include "tools/viewer/viewer_options.h"
#include "uilib/ce_wnd.h"
#include "uilib/messages.h"
#include "uilib/pen_input.h"
#include "view/display_metrics.h"
#include "view/game_field_view.h"

namespace cw {
namespace {

QTextStream& Err() {
  static QTextStream stream(stderr);
  return stream;
}

// Loads a game by catalogue name or position for this screen and deals it.
std::optional<SolGame> LoadAndDeal(const QString& name, std::uint32_t number, const ScreenFacts& screen) {
  const Catalogue catalogue = LoadCatalogue(EmbeddedGameResources());
  bool isPosition = false;
  const int position = name.toInt(&isPosition);
  for (std::size_t i = 0; i < catalogue.entries.size(); ++i) {
    const bool match = isPosition ? static_cast<int>(i) == position
                                  : QString::fromStdString(catalogue.entries[i].name).compare(name, Qt::CaseInsensitive) == 0;
    if (!match) continue;
    const auto record = LoadDefinitionRecord(EmbeddedGameResources(), static_cast<std::uint16_t>(i));
    SolGame game;
    std::string error;
    if (!record || !ParseDefinition(game, *record, ToDisplayMetrics(screen), &error)) {
      Err() << "cannot load " << name << ": " << QString::fromStdString(error) << "\n";
      return std::nullopt;
    }
    if (!StartNewGame(game, number, &error)) {
      Err() << "cannot deal " << name << ": " << QString::fromStdString(error) << "\n";
      return std::nullopt;
    }
    return game;
  }
  Err() << "no game " << name << " in the catalogue\n";
  return std::nullopt;
}

bool ApplyMoves(SolGame& game, const std::vector<ViewerMove>& moves) {
  for (const ViewerMove& move : moves) {
    const bool done = move.kind == ViewerMove::Kind::kUndo ? UndoMove(game) : PerformPlayerMove(game, move.move, nullptr);
    if (!done) {
      Err() << "refused move " << move.move.source << ":" << move.move.destination << "\n";
      return false;
    }
  }
  return true;
}

// The stand-in main window: hands keys to the field in the keyboard modes,
// runs the clock and reports the end of the game.
class ViewerWindow : public CeWnd {
 public:
  GameFieldView* view = nullptr;
  SolGame* game = nullptr;
  std::uint8_t playMode = 1;
  bool printTable = false;

  void OnKeyDown(unsigned key, bool& handled) override {
    if (view != nullptr && playMode >= 2) handled = view->OnFieldKeyDown(key);
  }
  void OnSize(int width, int height, bool&) override {
    if (view != nullptr && view->IsWindow()) view->MoveWindow(QRect(0, 0, width, height));
  }
  void OnTimer(unsigned, bool&) override {
    if (view != nullptr && !view->Dragging()) view->RefreshField();
  }
  LRESULT OnMessage(unsigned msg, WPARAM, LPARAM, bool& handled) override {
    if (msg != WM_CHECKSTATE || view == nullptr || game == nullptr) return 0;
    handled = true;
    if (printTable) {
      // The same lines as `cardwright-cli play`, so a script can compare them.
      PrintTable(*game, std::cout);
      std::cout << (game->won != 0 ? "won" : "playing") << "\n--" << std::endl;
    } else if (game->won != 0) {
      QTextStream(stdout) << "won\n";
    } else if (!FindMove(*game, 0)) {
      QTextStream(stdout) << "no move left\n";
    }
    if (playMode >= 2) {
      view->BuildKeyboardGrid(GridChoice::kSource);
      view->RefreshField();
    }
    return 0;
  }
};

// The middle of the visible part of a card on the field, if it shows.
std::optional<QPoint> CardPoint(const GameFieldView& view, const SolGame& game, std::uint16_t card) {
  if (card >= game.cards.size()) return std::nullopt;
  const auto record = view.Hits().Find(game.cards[card].pile, game.cards[card].position);
  if (!record) return std::nullopt;
  return view.Hits().VisibleRect(*record).center();
}

// Where a script points the pen: the visible middle of every card, and for
// every pile the middle of its top card or of its empty base.
void PrintLayout(const GameFieldView& view, const SolGame& game, std::ostream& out) {
  out << "cardsize " << view.Layout().cardWidth << ' ' << view.Layout().cardHeight << '\n';
  const std::vector<HitRecord>& records = view.Hits().Records();
  std::vector<std::optional<QPoint>> pilePoints;
  for (std::size_t i = 0; i < records.size(); ++i) {
    const QPoint middle = view.Hits().VisibleRect(i).center();
    const auto card = records[i].index == kPileBase ? std::nullopt : game.CardAt(records[i].pile, records[i].index);
    if (card) out << "card " << *card << ' ' << middle.x() << ' ' << middle.y() << '\n';
    if (records[i].pile >= pilePoints.size()) pilePoints.resize(records[i].pile + 1u);
    pilePoints[records[i].pile] = middle;
  }
  for (std::size_t pile = 0; pile < pilePoints.size(); ++pile) {
    if (!pilePoints[pile]) continue;
    out << "pile " << pile << ' ' << pilePoints[pile]->x() << ' ' << pilePoints[pile]->y() << '\n';
  }
}

int Run(int argc, char** argv) {
  QStringList arguments;
  for (int i = 1; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  QString error;
  const auto parsed = ParseViewerOptions(arguments, &error);
  if (!parsed) {
    Err() << error << "\n" << ViewerUsage();
    return 2;
  }
  ViewerOptions options = *parsed;
  if (options.vga && !IsVgaBuild()) {
    // The VGA bitmaps live in the sibling program built with them.
    const QString sibling = QFileInfo(QString::fromLocal8Bit(argv[0])).absolutePath() +
                            QStringLiteral("/cardwright-viewer-vga");
    arguments.removeAll(QStringLiteral("--vga"));
    const int status = QProcess::execute(sibling, arguments);
    if (status < 0) {
      // Not started (-2) or crashed (-1): said here, for the sibling cannot say it.
      Err() << (status == -2 ? "cannot start " : "crashed: ") << sibling << "\n";
      return 1;
    }
    return status;
  }
  const bool offscreen = !options.screenshot.isEmpty() || options.printLayout;
  if (offscreen && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  if (IsVgaBuild() && qEnvironmentVariableIsEmpty("QT_SCALE_FACTOR")) qputenv("QT_SCALE_FACTOR", "2");
  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(true);

  const ScreenFacts screen = IsVgaBuild() ? ScreenFacts{192, 192} : ScreenFacts{96, 96};
  auto game = LoadAndDeal(options.game, options.number, screen);
  if (!game || !ApplyMoves(*game, options.moves)) return 1;

  const QSize field = options.size.value_or(options.landscape ? QSize(320, 188) : QSize(240, 268));
  FieldOptions fieldOptions;
  fieldOptions.playMode = static_cast<PlayMode>(options.playMode);
  fieldOptions.animation = options.animation;
  fieldOptions.cardBack = options.cardBack;
  fieldOptions.timedGame = false;

  ViewerWindow window;
  window.playMode = options.playMode;
  window.printTable = options.printTable;
  if (!window.Create(QStringLiteral("SolGameViewer"), QStringLiteral("Cardwright viewer: ") + options.game,
                     QRect(0, 0, screen.ScaleX(field.width()), screen.ScaleY(field.height())))) {
    return 1;
  }
  window.ShowWindow(true);
  auto view = std::make_unique<GameFieldView>(screen);
  if (!view->CreateGameField(window)) return 1;
  window.view = view.get();
  window.game = &*game;
  QElapsedTimer clock;
  clock.start();
  view->SetElapsedSeconds([&clock] { return static_cast<std::uint32_t>(clock.elapsed() / 1000); });
  view->SetGame(&*game);
  view->SetOptions(fieldOptions);
  view->RebuildMirror();
  view->ResetLayout();
  view->RefreshField();
  if (options.playMode >= 2) {
    view->BuildKeyboardGrid(GridChoice::kSource);
    view->RefreshField();
  }

  if (options.selectCard) {
    fieldOptions.playMode = PlayMode::kTapping;
    view->SetOptions(fieldOptions);
    const auto at = CardPoint(*view, *game, *options.selectCard);
    if (!at) {
      Err() << "card " << *options.selectCard << " is not on the field\n";
      return 1;
    }
    SendPen(view->Widget(), QEvent::MouseButtonPress, *at);
    SendPen(view->Widget(), QEvent::MouseButtonRelease, *at);
  }
  if (options.dragCard) {
    fieldOptions.playMode = PlayMode::kDragAndDrop;
    view->SetOptions(fieldOptions);
    const auto at = CardPoint(*view, *game, *options.dragCard);
    if (!at) {
      Err() << "card " << *options.dragCard << " is not on the field\n";
      return 1;
    }
    // The run lifts where it lies once the pen has moved 4 pixels; it
    // follows the pen from then on.
    SendPen(view->Widget(), QEvent::MouseButtonPress, *at);
    SendPen(view->Widget(), QEvent::MouseMove, *at + QPoint(0, 4));
    SendPen(view->Widget(), QEvent::MouseMove, *at + QPoint(0, 4) + options.dragBy);
    if (!view->Dragging()) Err() << "card " << *options.dragCard << " cannot be picked up\n";
  }

  if (offscreen) {
    view->PaintField();
    if (options.printLayout) PrintLayout(*view, *game, std::cout);
    if (!options.screenshot.isEmpty() && !view->FieldBuffer().Image().save(options.screenshot)) {
      Err() << "cannot write " << options.screenshot << "\n";
      return 1;
    }
    return 0;
  }
  window.SetTimer(1, 1000);
  return QApplication::exec();
}

}  // namespace
}  // namespace cw

int main(int argc, char** argv) { return cw::Run(argc, argv); }
