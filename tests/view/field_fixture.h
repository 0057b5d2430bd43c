// A game field inside a stand-in main window, on the offscreen platform,
// with the pen driven by Qt's mouse events.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <memory>

#include "engine/rules/automatic_events.h"
#include "engine/rules/legality.h"
#include "engine/rules/moves.h"
#include "engine/rules/player_move.h"
#include "tests/view/view_test_support.h"
#include "uilib/pen_input.h"
#include "view/game_field_view.h"

namespace cw::testing {

class FieldFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    const ScreenFacts screen = BuildScreen();
    ASSERT_TRUE(owner.Create(QStringLiteral("TestMainWindow"), QStringLiteral("Field test"),
                             QRect(0, 0, screen.ScaleX(240), screen.ScaleY(268))));
    owner.ShowWindow(true);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(owner.TopLevel()));
    view = std::make_unique<GameFieldView>(screen);
    ASSERT_TRUE(view->CreateGameField(owner));
    view->SetFramePause(std::chrono::milliseconds(0));
    view->SetFlashPause(std::chrono::milliseconds(0));
    view->SetSecondsClock([this] { return now; });
  }
  void TearDown() override {
    if (view) view->DestroyWindow();
    owner.DestroyWindow();
  }

  // Deals the game and shows it as the shell does after a new deal.
  void Start(const std::string& name, std::uint32_t number) {
    game = DealForScreen(name, number, BuildScreen());
    ASSERT_TRUE(game) << name;
    reference = game;
    view->SetGame(&*game);
    view->SetOptions(options);
    view->RebuildMirror();
    view->ResetLayout();
    view->RefreshField();
  }

  void SetMode(PlayMode mode, bool animation = true) {
    options.playMode = mode;
    options.animation = animation;
    view->SetOptions(options);
  }

  // The pen in device pixels of the field.
  void Pen(QEvent::Type type, QPoint device) {
    SendPen(view->Widget(), type, device);
  }
  void Tap(QPoint device) {
    Pen(QEvent::MouseButtonPress, device);
    Pen(QEvent::MouseButtonRelease, device);
  }

  // The middle of the visible part of a card (or of an empty pile's base).
  QPoint VisibleCentre(std::uint16_t pile, std::uint16_t index) const {
    const auto record = view->Hits().Find(pile, index);
    EXPECT_TRUE(record) << "pile " << pile << " index " << index;
    return record ? view->Hits().VisibleRect(*record).center() : QPoint();
  }
  // Where a tap on a pile lands on its top card, or its base when empty.
  QPoint PileTarget(std::uint16_t pile) const {
    const int count = view->Layout().piles[pile].Count();
    return VisibleCentre(pile, count == 0 ? kPileBase : static_cast<std::uint16_t>(count - 1));
  }

  // The reference game makes the same move as the command line does.
  void ReferenceMove(const MoveReference& move) { ASSERT_TRUE(PerformPlayerMove(*reference, move, nullptr)); }

  void ExpectSameAsReference() const {
    EXPECT_EQ(game->cards, reference->cards);
    EXPECT_EQ(game->piles, reference->piles);
    EXPECT_EQ(game->won, reference->won);
    EXPECT_EQ(game->journal->Count(), reference->journal->Count());
    EXPECT_TRUE(SameTable(view->Layout().piles, MirrorTable(*game)));
  }

  // A legal card move whose card lies on a shown pile, chosen by `pick`.
  std::optional<MoveReference> CardMove(std::size_t pick = 0) const {
    std::vector<MoveReference> moves;
    for (const MoveReference& move : ListMoves(*game)) {
      if (!move.IsTap()) moves.push_back(move);
    }
    if (moves.empty()) return std::nullopt;
    return moves[pick % moves.size()];
  }

  FieldOptions options;
  OwnerWindow owner;
  std::unique_ptr<GameFieldView> view;
  std::optional<SolGame> game;
  std::optional<SolGame> reference;
  std::int64_t now = 1000;
};

}  // namespace cw::testing
