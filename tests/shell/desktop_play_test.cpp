// The desktop player's commands through the real window: the keys, redo,
// the deal number in the title, Select Deal, Exit and the double click that
// sends a card home.
#include <QLineEdit>
#include <QTest>

#include "engine/rules/foundation_drop.h"
#include "engine/rules/legality.h"
#include "shell/select_deal_dialog.h"
#include "view/field_layout.h"
#include "tests/shell/dialog_steps.h"
#include "tests/shell/main_window_fixture.h"

namespace cw {
namespace {

using testing::DialogAnswers;
using testing::MainWindowTest;

class DesktopPlayTest : public MainWindowTest {
 protected:
  void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    window->TopLevel()->activateWindow();
    QTest::keyClick(window->Widget(), key, modifiers);
  }
  QString TitleOf(std::uint32_t number) const {
    return QStringLiteral("FreeCell #%1").arg(number);
  }
  // Seven by Five sends nothing home by itself; deal 1 has the ace of
  // spades on top of pile 0 and the foundations are piles 12 to 15.
  void StartSevenByFiveDealOne() {
    Preferences stored;
    stored.curSolId = testing::CataloguePosition("Seven by Five");
    stored.animation = 0;
    Start(stored);
    window->PlayDeal(1);
    ASSERT_EQ(window->Prefs().curGameNumber, 1u);
  }
  void DoubleClick(QPoint at) {
    Pen(QEvent::MouseButtonPress, at);
    Pen(QEvent::MouseButtonRelease, at);
    Pen(QEvent::MouseButtonDblClick, at);
    Pen(QEvent::MouseButtonRelease, at);
  }
};

TEST_F(DesktopPlayTest, UndoAndRedoKeysTakeBackAndMakeAgainUntilANewMove) {
  StartFreeCell();
  // On some deals the second first-legal-move takes the first one back.
  window->PlayDeal(2);
  SolGame& game = window->Game();
  const std::vector<CardState> dealt = game.cards;
  DragFirstMove();
  DragFirstMove();
  const std::vector<CardState> played = game.cards;
  const std::uint32_t records = game.journal->Count();
  ASSERT_NE(played, dealt);

  Key(Qt::Key_Z, Qt::ControlModifier);
  Key(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(game.cards, dealt);
  EXPECT_TRUE(SameTable(MirrorTable(game), window->View()->Layout().piles));
  Key(Qt::Key_Y, Qt::ControlModifier);
  Key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(game.cards, played);
  EXPECT_EQ(game.journal->Count(), records);
  EXPECT_TRUE(SameTable(MirrorTable(game), window->View()->Layout().piles));
  EXPECT_FALSE(window->Redo()) << "nothing left to redo";

  Key(Qt::Key_Z, Qt::ControlModifier);
  DragFirstMove();
  const std::vector<CardState> replaced = game.cards;
  EXPECT_FALSE(window->Redo()) << "a new move ends the redo";
  Key(Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(game.cards, replaced);
}

TEST_F(DesktopPlayTest, NewGameRestartHintAndRulesKeys) {
  StartFreeCell();
  DialogAnswers answers;
  const std::uint32_t first = window->Prefs().curGameNumber;
  EXPECT_EQ(window->GetWindowText(), TitleOf(first));

  DragFirstMove();
  Key(Qt::Key_F5);
  EXPECT_EQ(window->Prefs().curGameNumber, first);
  EXPECT_TRUE(window->Game().journal->Empty());
  EXPECT_EQ(Stats().played, 1) << "a restart counts the game left as lost";

  for (const auto& [key, modifiers] : {std::pair{Qt::Key_F2, Qt::KeyboardModifiers()},
                                       std::pair{Qt::Key_N, Qt::KeyboardModifiers(Qt::ControlModifier)}}) {
    DragFirstMove();
    const std::uint16_t played = Stats().played;
    Key(key, modifiers);
    EXPECT_TRUE(window->Game().journal->Empty());
    EXPECT_EQ(Stats().played, played + 1);
    EXPECT_EQ(window->GetWindowText(), TitleOf(window->Prefs().curGameNumber));
  }

  EXPECT_EQ(window->HintIndex(), 0);
  Key(Qt::Key_H);
  EXPECT_EQ(window->HintIndex(), 1) << "H shows the next move";

  Key(Qt::Key_F1);
  EXPECT_EQ(answers.Titles(), QStringList{QStringLiteral("Game Rules")});
}

TEST_F(DesktopPlayTest, SelectDealDealsTheNumberEnteredAndCountsTheGameLeft) {
  StartFreeCell();
  DialogAnswers answers;
  DragFirstMove();
  QString offered;
  answers.WhileOpen([&] {
    auto* edit = QApplication::activeModalWidget()->findChild<QLineEdit*>();
    ASSERT_NE(edit, nullptr);
    offered = edit->text();
    edit->setText(QStringLiteral(" 11982 "));
  });
  answers.Queue(IDOK);
  const std::uint32_t before = window->Prefs().curGameNumber;
  Key(Qt::Key_G, Qt::ControlModifier);
  EXPECT_EQ(answers.Titles(), QStringList{QStringLiteral("Select Deal")});
  EXPECT_EQ(offered, QString::number(before));
  EXPECT_EQ(window->Prefs().curGameNumber, 11982u);
  EXPECT_EQ(window->GetWindowText(), TitleOf(11982));
  EXPECT_TRUE(window->Game().journal->Empty());
  EXPECT_EQ(Stats().played, 1);

  SolGame same;
  same.definition = window->Game().definition;
  std::uint32_t number = 11982;
  ASSERT_TRUE(cw::StartNewGame(same, number));
  EXPECT_EQ(window->Game().cards, same.cards) << "the deal of that number";

  // Cancel keeps the game.
  DragFirstMove();
  answers.WhileOpen({});
  Command(command::kSelectDeal);
  EXPECT_EQ(window->Prefs().curGameNumber, 11982u);
  EXPECT_FALSE(window->Game().journal->Empty());
}

TEST_F(DesktopPlayTest, ReturnInTheNumberBoxDealsIt) {
  StartFreeCell();
  bool pressed = false;
  testing::WhenDialogTitled(QStringLiteral("Select Deal"), [&pressed](DialogFrame* frame) {
    auto* edit = frame->findChild<QLineEdit*>();
    ASSERT_NE(edit, nullptr);
    edit->setText(QStringLiteral("x"));
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_TRUE(frame->isVisible()) << "no deal has that number: the box stays";
    edit->setText(QStringLiteral("617"));
    QTest::keyClick(edit, Qt::Key_Return);
    pressed = true;
    QTimer::singleShot(0, frame, [frame] {
      if (!frame->isVisible()) return;
      ADD_FAILURE() << "Return left the box open";
      testing::PressSoftKey(frame, QStringLiteral("Cancel"));
    });
  });
  Key(Qt::Key_G, Qt::ControlModifier);
  EXPECT_TRUE(pressed);
  EXPECT_EQ(window->Prefs().curGameNumber, 617u);
  EXPECT_EQ(window->GetWindowText(), TitleOf(617));
}

TEST(SelectDeal, NumbersFromOneToTheLargestAreDeals) {
  EXPECT_EQ(ParseDealNumber(QStringLiteral("1")), 1u);
  EXPECT_EQ(ParseDealNumber(QStringLiteral(" 4294967295 ")), 4294967295u);
  for (const char* text : {"", "0", "4294967296", "-3", "12a", "1.5", "0x10"}) {
    EXPECT_EQ(ParseDealNumber(QString::fromLatin1(text)), std::nullopt) << text;
  }
}

TEST_F(DesktopPlayTest, ExitAndCtrlQSaveTheGameAndEnd) {
  for (const bool byKey : {true, false}) {
    StartFreeCell();
    bool quit = false;
    window->SetOnQuit([&] { quit = true; });
    DragFirstMove();
    const std::vector<CardState> played = window->Game().cards;
    if (byKey) {
      Key(Qt::Key_Q, Qt::ControlModifier);
    } else {
      Command(command::kExit);
    }
    EXPECT_TRUE(quit);
    ASSERT_FALSE(window->IsWindow());
    window = std::make_unique<MainWindow>(*registry, screen);
    ASSERT_TRUE(window->CreateMainWindow(title));
    EXPECT_EQ(window->Game().cards, played) << "the game was saved";
    window->DestroyWindow();
  }
}

TEST_F(DesktopPlayTest, DoubleClickSendsACardToTheFirstFoundationThatTakesIt) {
  StartSevenByFiveDealOne();
  SolGame& game = window->Game();
  const std::uint16_t ace = *game.TopCard(0);
  const std::uint16_t stranded = *game.TopCard(6);
  ASSERT_EQ(FirstFoundationDrop(game, stranded), std::nullopt);

  DoubleClick(CardCentre(stranded));
  EXPECT_TRUE(game.journal->Empty()) << "no foundation takes it";

  DoubleClick(CardCentre(ace));
  EXPECT_EQ(game.cards[ace].pile, 12);
  EXPECT_TRUE(SameTable(MirrorTable(game), window->View()->Layout().piles));
  const std::uint32_t records = game.journal->Count();

  DoubleClick(CardCentre(ace));
  EXPECT_EQ(game.cards[ace].pile, 12) << "a card at home stays";
  EXPECT_EQ(game.journal->Count(), records);

  ASSERT_TRUE(window->Undo());
  EXPECT_EQ(game.cards[ace].pile, 0);
  ASSERT_TRUE(window->Redo());
  EXPECT_EQ(game.cards[ace].pile, 12);
}

TEST_F(DesktopPlayTest, DraggedCardsMarkThePilesThatTakeThemAndSlideBackWhenRefused) {
  for (const std::uint8_t animation : {std::uint8_t{0}, std::uint8_t{1}}) {
    Preferences stored;
    stored.curSolId = freeCell;
    stored.animation = animation;
    Start(stored);
    SolGame& game = window->Game();
    const std::optional<MoveReference> move = FindMove(game, 0);
    ASSERT_TRUE(move && !move->IsTap());
    const std::uint16_t source = game.cards[move->source].pile;
    const QPoint from = CardCentre(move->source);
    std::vector<std::uint16_t> taking;
    std::optional<std::uint16_t> refusing;
    for (std::uint16_t pile = 0; pile < game.piles.size(); ++pile) {
      if (pile == source || game.piles[pile].shown == 0) continue;
      if (CanDrop(game, move->source, pile)) {
        taking.push_back(pile);
      } else if (!refusing && game.piles[pile].count > 0) {
        refusing = pile;
      }
    }
    ASSERT_TRUE(refusing);
    const QPoint to = PileCentre(*refusing);
    const std::vector<CardState> dealt = game.cards;

    Pen(QEvent::MouseButtonPress, from);
    Pen(QEvent::MouseMove, from + QPoint(6, 6));
    ASSERT_TRUE(window->View()->Dragging());
    EXPECT_EQ(window->View()->MarkedPiles(), taking);
    // The mark farthest from the lifted cards, which cannot hide it.
    const HitMap& hits = window->View()->Hits();
    QRect frame;
    for (const std::uint16_t pile : taking) {
      const int count = game.piles[pile].count;
      const auto record = hits.Find(pile, count == 0 ? kPileBase : static_cast<std::uint16_t>(count - 1));
      ASSERT_TRUE(record);
      const QRect rect = hits.Records()[*record].Rect();
      if (frame.isNull() || (rect.center() - from).manhattanLength() > (frame.center() - from).manhattanLength()) {
        frame = rect;
      }
    }
    // The frame grows with the cards of the grown table: two pixels of the
    // build's own cards, in proportion.
    const FieldLayout& layout = window->View()->Layout();
    ASSERT_TRUE(layout.Scaled());
    const int markWidth = (2 * layout.scaleNum + layout.scaleDen / 2) / layout.scaleDen;
    ASSERT_GT(markWidth, 2);
    for (int x = frame.left(); x < frame.left() + markWidth; ++x) {
      EXPECT_EQ(window->View()->FieldBuffer().Pixel(x, frame.center().y()), qRgb(0xFF, 0xD7, 0x00)) << x;
    }
    EXPECT_NE(window->View()->FieldBuffer().Pixel(frame.left() + markWidth, frame.center().y()),
              qRgb(0xFF, 0xD7, 0x00));

    Pen(QEvent::MouseMove, to);
    Pen(QEvent::MouseButtonRelease, to);
    EXPECT_FALSE(window->View()->Dragging());
    EXPECT_TRUE(window->View()->MarkedPiles().empty());
    EXPECT_EQ(game.cards, dealt) << "refused";
    EXPECT_TRUE(SameTable(MirrorTable(game), window->View()->Layout().piles));
    EXPECT_NE(window->View()->FieldBuffer().Pixel(frame.left(), frame.center().y()), qRgb(0xFF, 0xD7, 0x00))
        << "the marks go with the drag";
    window->DestroyWindow();
  }
}

TEST_F(DesktopPlayTest, NoMarksWhenThePlayerTurnedThemOff) {
  Preferences stored;
  stored.curSolId = freeCell;
  stored.dropMarks = 0;
  Start(stored);
  const std::optional<MoveReference> move = FindMove(window->Game(), 0);
  ASSERT_TRUE(move && !move->IsTap());
  const QPoint from = CardCentre(move->source);
  Pen(QEvent::MouseButtonPress, from);
  Pen(QEvent::MouseMove, from + QPoint(6, 6));
  ASSERT_TRUE(window->View()->Dragging());
  EXPECT_TRUE(window->View()->MarkedPiles().empty());
  Pen(QEvent::MouseButtonRelease, from + QPoint(6, 6));
}

// What each box shows over the main window: its place on the screen.
TEST_F(DesktopPlayTest, BoxesAreTheHandheldsScreenOverADesktopWindowAndFillAHandheldOne) {
  StartFreeCell();
  QWidget* top = window->TopLevel();
  ASSERT_GT(top->width(), 2 * 240) << "the first window on a desktop screen";
  ASSERT_GT(top->height(), 320);
  const std::vector<int> commands = {command::kAbout, command::kOptions, command::kSelectDeal,
                                     command::kShowStatistics};
  const auto boxes = [&] {
    std::vector<QRect> shown;
    DialogAnswers answers;
    answers.WhileOpen([&shown] { shown.push_back(QApplication::activeModalWidget()->geometry()); });
    for (const int id : commands) Command(id);
    EXPECT_EQ(shown.size(), commands.size());
    return shown;
  };

  for (const QRect& box : boxes()) {
    EXPECT_EQ(box.size(), QSize(240, 320));
    EXPECT_LE(std::abs(box.center().x() - top->geometry().center().x()), 1);
    EXPECT_LE(std::abs(box.center().y() - top->geometry().center().y()), 1);
  }

  window->MoveWindow(QRect(12, 34, 240, 294));
  QCoreApplication::processEvents();
  ASSERT_EQ(top->geometry(), QRect(12, 34, 240, 294));
  for (const QRect& box : boxes()) EXPECT_EQ(box, top->geometry()) << "the handheld's window, filled";
}

}  // namespace
}  // namespace cw
