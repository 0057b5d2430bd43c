// Moves made with the pen, tapping and dragging, end in the same table as
// the same moves made as the command line makes them.
#include "tests/view/field_fixture.h"

namespace cw {
namespace {

using testing::FieldFixture;

class PointerPlay : public FieldFixture {};

TEST_F(PointerPlay, TapSourceThenDestinationMovesAsThePlayerMoveDoes) {
  SetMode(PlayMode::kTapping);
  Start("FreeCell", 7);
  for (int step = 0; step < 12; ++step) {
    const auto move = CardMove(static_cast<std::size_t>(step) * 5);
    if (!move) {
      EXPECT_GE(step, 4) << "the deal ran out of moves early";
      break;
    }
    const CardState card = game->cards[move->source];
    Tap(VisibleCentre(card.pile, card.position));
    ASSERT_EQ(view->SelectedPile(), card.pile) << "step " << step;
    ASSERT_EQ(view->SelectedIndex(), card.position);
    Tap(PileTarget(move->destination));
    EXPECT_EQ(view->SelectedPile(), kNoSelection);
    ReferenceMove(*move);
    ExpectSameAsReference();
    EXPECT_EQ(owner.checkStates, step + 1);
  }
}

TEST_F(PointerPlay, RefusedDestinationKeepsTheSelectionAndTheTable) {
  SetMode(PlayMode::kTapping);
  Start("FreeCell", 7);
  const auto move = CardMove();
  ASSERT_TRUE(move);
  const CardState card = game->cards[move->source];
  Tap(VisibleCentre(card.pile, card.position));
  ASSERT_EQ(view->SelectedPile(), card.pile);
  // A foundation refuses anything but an Ace.
  std::optional<std::uint16_t> refusing;
  for (std::uint16_t pile = 0; pile < game->piles.size() && !refusing; ++pile) {
    if (game->piles[pile].shown != 0 && pile != card.pile && !CanDrop(*game, move->source, pile)) refusing = pile;
  }
  ASSERT_TRUE(refusing);
  Tap(PileTarget(*refusing));
  EXPECT_EQ(view->SelectedPile(), card.pile);
  ExpectSameAsReference();
  EXPECT_EQ(owner.checkStates, 0);
  // Tapping the background clears the selection.
  const QRect field = view->GetClientRect();
  Tap(QPoint(field.width() / 2, field.height() - 2));
  EXPECT_EQ(view->SelectedPile(), kNoSelection);
}

TEST_F(PointerPlay, SecondTapOnTheSelectedCardIsATapActionOnlyWithinTwoSeconds) {
  SetMode(PlayMode::kTapping);
  Start("FreeCell", 7);
  const auto move = CardMove();
  ASSERT_TRUE(move);
  const CardState card = game->cards[move->source];
  const QPoint at = VisibleCentre(card.pile, card.position);
  Tap(at);
  now += 2;
  Tap(at);
  EXPECT_EQ(view->SelectedPile(), kNoSelection);
  ExpectSameAsReference();
  Tap(at);
  now += 1;
  const bool tapActs = CanTap(*reference, card.pile);
  Tap(at);
  if (tapActs) {
    ReferenceMove(MoveReference{card.pile, kNoReference});
    EXPECT_EQ(view->SelectedPile(), kNoSelection);
  } else {
    EXPECT_EQ(view->SelectedPile(), card.pile);  // nothing to do: still selected
  }
  ExpectSameAsReference();
}


class DragPlay : public FieldFixture {
 protected:
  void Drag(QPoint from, QPoint to, bool release = true) {
    Pen(QEvent::MouseButtonPress, from);
    Pen(QEvent::MouseMove, from + QPoint(4, 0));
    Pen(QEvent::MouseMove, to);
    if (release) Pen(QEvent::MouseButtonRelease, to);
  }
  // The pen point that puts the dragged card's centre over `target` when the
  // card was picked up at `grab`.
  QPoint PenFor(std::uint16_t pile, std::uint16_t index, QPoint grab, QPoint target) const {
    const QRect rect = view->Hits().Records()[*view->Hits().Find(pile, index)].Rect();
    const QPoint centre = rect.topLeft() + QPoint(view->Layout().cardWidth / 2, view->Layout().cardHeight / 2);
    return grab + (target - centre);
  }
};

TEST_F(DragPlay, DragAndDropMovesAsThePlayerMoveDoes) {
  SetMode(PlayMode::kDragAndDrop);
  Start("FreeCell", 7);
  for (int step = 0; step < 12; ++step) {
    const auto move = CardMove(static_cast<std::size_t>(step) * 3);
    if (!move) {
      EXPECT_GE(step, 4) << "the deal ran out of moves early";
      break;
    }
    const CardState card = game->cards[move->source];
    const QPoint grab = VisibleCentre(card.pile, card.position);
    const QPoint target = PileTarget(move->destination);
    Drag(grab, PenFor(card.pile, card.position, grab, target));
    EXPECT_FALSE(view->Dragging());
    ReferenceMove(*move);
    ExpectSameAsReference();
    EXPECT_EQ(owner.checkStates, step + 1) << "step " << step;
  }
}

TEST_F(DragPlay, LiftedCardsLeaveTheTableWhileDraggedAndComeBackWhenDroppedOffTarget) {
  SetMode(PlayMode::kDragAndDrop);
  Start("FreeCell", 7);
  const auto move = CardMove();
  ASSERT_TRUE(move);
  const CardState card = game->cards[move->source];
  const int count = view->Layout().piles[card.pile].Count();
  const QPoint grab = VisibleCentre(card.pile, card.position);
  Pen(QEvent::MouseButtonPress, grab);
  Pen(QEvent::MouseMove, grab + QPoint(3, -3));
  EXPECT_FALSE(view->Dragging());  // under 4 pixels both ways
  Pen(QEvent::MouseMove, grab + QPoint(0, 4));
  ASSERT_TRUE(view->Dragging());
  EXPECT_EQ(view->Layout().piles[card.pile].Count(), card.position);
  // Dropped over the source pile itself: nothing happens.
  Pen(QEvent::MouseButtonRelease, grab + QPoint(1, 5));
  EXPECT_FALSE(view->Dragging());
  EXPECT_EQ(view->Layout().piles[card.pile].Count(), count);
  ExpectSameAsReference();
  // Dropped over the empty background.
  const QRect field = view->GetClientRect();
  Drag(grab, QPoint(field.width() - 3, field.height() - 3));
  ExpectSameAsReference();
  EXPECT_EQ(owner.checkStates, 0);
}

TEST_F(DragPlay, PressAndReleaseWithoutMovingIsATapOnThePile) {
  SetMode(PlayMode::kDragAndDrop);
  Start("Milligan Cell", 7);  // its stock deals when tapped
  for (std::uint16_t pile = 0; pile < game->piles.size(); ++pile) {
    if (game->piles[pile].shown == 0 || !CanTap(*game, pile)) continue;
    const QPoint at = PileTarget(pile);
    Pen(QEvent::MouseButtonPress, at);
    Pen(QEvent::MouseMove, at + QPoint(2, 2));
    Pen(QEvent::MouseButtonRelease, at + QPoint(2, 2));
    ReferenceMove(MoveReference{pile, kNoReference});
    ExpectSameAsReference();
    EXPECT_EQ(owner.checkStates, 1);
    return;
  }
  FAIL() << "no pile with a tap action in this deal";
}

// Animation changes what is seen on the way, never where the cards end up.
TEST_F(DragPlay, AnimationOffGivesTheSameTableAndPictureAsAnimationOn) {
  std::vector<MoveReference> moves;
  QImage pictures[2];
  for (int animation = 0; animation < 2; ++animation) {
    SetMode(PlayMode::kTapping, animation == 1);
    Start("FreeCell", 21);
    for (int step = 0; step < 10; ++step) {
      if (animation == 0) {
        const auto move = CardMove(static_cast<std::size_t>(step) * 7);
        ASSERT_TRUE(move);
        moves.push_back(*move);
      }
      const MoveReference& move = moves[step];
      const CardState card = game->cards[move.source];
      Tap(VisibleCentre(card.pile, card.position));
      Tap(PileTarget(move.destination));
      ReferenceMove(move);
      ExpectSameAsReference();
    }
    view->RefreshField();
    pictures[animation] = view->FieldBuffer().Image().copy();
  }
  EXPECT_EQ(pictures[0], pictures[1]);
}

TEST_F(DragPlay, UndoRebuildsTheCopy) {
  SetMode(PlayMode::kTapping);
  Start("FreeCell", 7);
  for (int step = 0; step < 4; ++step) {
    const auto move = CardMove(static_cast<std::size_t>(step));
    const CardState card = game->cards[move->source];
    Tap(VisibleCentre(card.pile, card.position));
    Tap(PileTarget(move->destination));
  }
  const std::vector<PileView> dealt = MirrorTable(*reference);
  while (UndoMove(*game)) {
  }
  view->RebuildMirror();
  view->ResetLayout();
  view->RefreshField();
  EXPECT_TRUE(SameTable(view->Layout().piles, dealt));
  EXPECT_EQ(game->cards, reference->cards);
}

// Keeps a copy of the field buffer each time the window is painted.
class PaintRecorder : public QObject {
 public:
  PaintRecorder(GameFieldView& view) : view_(view) { view.Widget()->installEventFilter(this); }
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) frames.push_back(view_.FieldBuffer().Image().copy());
    return false;
  }
  std::vector<QImage> frames;

 private:
  GameFieldView& view_;
};

// A single card slides from the card under it to the destination's top card
// in four frames, at 0, 1/5, 2/5 and 3/5 of the way in 8.8 fixed point.
TEST_F(DragPlay, MovedCardSlidesInFourFramesAFifthOfTheWayApart) {
  SetMode(PlayMode::kTapping, true);
  Start("FreeCell", 7);
  std::optional<MoveReference> move;
  for (std::size_t pick = 0; pick < 40 && !move; ++pick) {
    const auto candidate = CardMove(pick);
    const CardState& card = game->cards[candidate->source];
    const bool single = card.position + 1 == game->piles[card.pile].count && card.position > 0;
    if (single && game->piles[candidate->destination].count > 0) move = candidate;
  }
  ASSERT_TRUE(move);
  const CardState card = game->cards[move->source];
  const HitMap& hits = view->Hits();
  const QPoint from = hits.Records()[*hits.Find(card.pile, static_cast<std::uint16_t>(card.position - 1))].Rect().topLeft();
  const auto targetTop = static_cast<std::uint16_t>(game->piles[move->destination].count - 1);
  const QPoint to = hits.Records()[*hits.Find(move->destination, targetTop)].Rect().topLeft();
  const CardSlot slot = view->Layout().piles[card.pile].cards[card.position];
  const QImage face = view->CardImages().Face(slot.suit, slot.rank).Image();
  Tap(VisibleCentre(card.pile, card.position));
  PaintRecorder recorder(*view);
  Tap(PileTarget(move->destination));
  std::size_t next = 0;
  for (int k = 0; k < 4; ++k) {
    const QPoint at((from.x() * 256 + k * ((to.x() - from.x()) * 256 / 5)) / 256,
                    (from.y() * 256 + k * ((to.y() - from.y()) * 256 / 5)) / 256);
    const QRect area(at, face.size());
    while (next < recorder.frames.size() && recorder.frames[next].copy(area) != face) ++next;
    EXPECT_LT(next, recorder.frames.size()) << "frame " << k << " at " << at.x() << "," << at.y();
    ++next;
  }
}

// Changes that do not fit the copy (ones the engine never made) are
// skipped, with or without animation, and the copy stays whole.
TEST_F(DragPlay, ReplayedChangesThatDoNotFitAreSkipped) {
  for (const bool animation : {false, true}) {
    SetMode(PlayMode::kTapping, animation);
    Start("FreeCell", 7);
    const std::vector<PileView> before = view->Layout().piles;
    const auto pileSize = static_cast<std::uint16_t>(before[0].Count());
    ChangeList changes = {CardsMoved{999, 0, 1, 1, 0}, CardsMoved{0, pileSize, 1, 1, 0},
                          CardsMoved{0, 0, 1, 1, 99}, PileOrder{0, {0, 1}},
                          CardsFlagged{0, pileSize, 1, CardAttribute::kFaceUp, 0}};
    view->ReplayChanges(changes);
    EXPECT_TRUE(changes.empty());
    EXPECT_TRUE(SameTable(view->Layout().piles, before));
  }
}

TEST_F(DragPlay, HintBlinksAndLeavesNoSelectionNorChange) {
  SetMode(PlayMode::kTapping);
  Start("FreeCell", 7);
  const auto move = CardMove();
  ASSERT_TRUE(move);
  view->FlashMove(move->source, move->destination);
  EXPECT_EQ(view->SelectedPile(), kNoSelection);
  ExpectSameAsReference();
}

}  // namespace
}  // namespace cw
