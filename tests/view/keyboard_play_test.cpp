// Keyboard play, card-wise and pile-wise: a scripted game whose moves end
// in the same table as the player moves of the command line.
#include "tests/view/field_fixture.h"

#include "uilib/messages.h"

namespace cw {
namespace {

using testing::FieldFixture;

class KeyboardPlay : public FieldFixture, public ::testing::WithParamInterface<PlayMode> {
 protected:
  const HitRecord& CursorRecord() const { return view->Hits().Records()[view->Grid().Cursor()]; }

  // Steps with the arrows until the cursor rests on (pile, index); index
  // kNoReference accepts any record of the pile that is its top or base.
  bool SteerTo(std::uint16_t pile, std::uint16_t index) {
    const int limit = 4 * static_cast<int>(view->Hits().Records().size()) + 8;
    for (unsigned key : {VK_RIGHT, VK_DOWN, VK_LEFT, VK_UP}) {
      for (int step = 0; step < limit; ++step) {
        const HitRecord& record = CursorRecord();
        const int count = view->Layout().piles[record.pile].Count();
        const bool topOrBase = record.index == kPileBase || record.index + 1 == count;
        if (record.pile == pile && (index == kNoReference ? topOrBase : record.index == index)) return true;
        EXPECT_TRUE(view->OnFieldKeyDown(key));
      }
    }
    return false;
  }
};

TEST_P(KeyboardPlay, ScriptedMovesEqualThePlayerMoves) {
  SetMode(GetParam());
  Start("FreeCell", 7);
  view->BuildKeyboardGrid(GridChoice::kSource);
  ASSERT_TRUE(view->HasKeyboardGrid());
  for (int step = 0; step < 8; ++step) {
    const auto move = CardMove(static_cast<std::size_t>(step) * 3);
    ASSERT_TRUE(move);
    const CardState card = game->cards[move->source];
    ASSERT_TRUE(SteerTo(card.pile, card.position)) << "step " << step;
    EXPECT_TRUE(view->OnFieldKeyDown(VK_RETURN));
    ASSERT_EQ(view->SelectedPile(), card.pile);
    ASSERT_TRUE(view->HasKeyboardGrid());
    ASSERT_TRUE(SteerTo(move->destination, kNoReference)) << "step " << step;
    EXPECT_TRUE(view->OnFieldKeyDown(VK_RETURN));
    ReferenceMove(*move);
    ExpectSameAsReference();
    EXPECT_EQ(owner.checkStates, step + 1);
    // As the main window does after its state check.
    view->BuildKeyboardGrid(GridChoice::kSource);
    view->RefreshField();
  }
}

TEST_P(KeyboardPlay, DestinationChoiceOffersOnlyLegalDestinationsAndTheCard) {
  SetMode(GetParam());
  Start("FreeCell", 7);
  view->BuildKeyboardGrid(GridChoice::kSource);
  const auto move = CardMove();
  ASSERT_TRUE(move);
  const CardState card = game->cards[move->source];
  ASSERT_TRUE(SteerTo(card.pile, card.position));
  view->OnFieldKeyDown(VK_RETURN);
  ASSERT_EQ(view->SelectedPile(), card.pile);
  const auto& records = view->Hits().Records();
  const bool pileWise = GetParam() == PlayMode::kKeyboardPileWise;
  for (const auto& row : view->Grid().Rows()) {
    for (std::uint16_t item : row) {
      const std::uint16_t pile = pileWise ? item : records[item].pile;
      if (pile == card.pile) continue;
      EXPECT_TRUE(CanDrop(*game, move->source, pile)) << "pile " << pile;
    }
  }
  // Enter elsewhere than a destination (the same card after 2 seconds) deselects.
  now += 3;
  ASSERT_TRUE(SteerTo(card.pile, card.position));
  view->OnFieldKeyDown(VK_RETURN);
  EXPECT_EQ(view->SelectedPile(), kNoSelection);
  ExpectSameAsReference();
}

TEST_P(KeyboardPlay, RightFromTheLastItemWrapsToTheFirst) {
  SetMode(GetParam());
  Start("FreeCell", 7);
  view->BuildKeyboardGrid(GridChoice::kSource);
  ASSERT_TRUE(view->HasKeyboardGrid());
  const auto& rows = view->Grid().Rows();
  if (GetParam() == PlayMode::kKeyboardCardWise) {
    // Put the cursor on the last item of the last row.
    while (view->Grid().Cursor() != rows.back().back()) view->OnFieldKeyDown(VK_LEFT);
    view->OnFieldKeyDown(VK_RIGHT);
    EXPECT_EQ(view->Grid().Cursor(), rows.front().front());
  } else {
    std::size_t items = 0;
    for (const auto& row : rows) items += row.size();
    const std::uint16_t start = view->Grid().Cursor();
    for (std::size_t i = 0; i < items; ++i) view->OnFieldKeyDown(VK_RIGHT);
    EXPECT_EQ(view->Grid().Cursor(), start);
  }
}

TEST_P(KeyboardPlay, WithoutAGridKeysAreDropped) {
  SetMode(GetParam());
  Start("FreeCell", 7);
  view->ClearKeyboardGrid();
  EXPECT_FALSE(view->OnFieldKeyDown(VK_RETURN));
  EXPECT_FALSE(view->OnFieldKeyDown(VK_LEFT));
  ExpectSameAsReference();
}

INSTANTIATE_TEST_SUITE_P(Modes, KeyboardPlay,
                         ::testing::Values(PlayMode::kKeyboardCardWise, PlayMode::kKeyboardPileWise),
                         [](const ::testing::TestParamInfo<PlayMode>& mode) {
                           return mode.param == PlayMode::kKeyboardCardWise ? "CardWise" : "PileWise";
                         });

// Pile-wise, Down on a downward fan walks card by card to the top card
// before it leaves for the next pile of the column.
TEST_F(FieldFixture, PileWiseDownWalksAlongTheFan) {
  options.playMode = PlayMode::kKeyboardPileWise;
  view->SetOptions(options);
  Start("FreeCell", 7);
  view->BuildKeyboardGrid(GridChoice::kSource);
  ASSERT_TRUE(view->HasKeyboardGrid());
  // The cursor starts on a column, which fans downward.
  const auto& records = view->Hits().Records();
  std::uint16_t cursor = view->Grid().Cursor();
  const HitRecord first = records[cursor];
  ASSERT_EQ(view->Layout().piles[first.pile].fan, static_cast<int>(FanDirection::kDown));
  const int count = view->Layout().piles[first.pile].Count();
  for (int index = first.index + 1; index < count; ++index) {
    view->OnFieldKeyDown(VK_DOWN);
    EXPECT_EQ(records[view->Grid().Cursor()].pile, first.pile);
    EXPECT_EQ(records[view->Grid().Cursor()].index, index);
  }
  view->OnFieldKeyDown(VK_DOWN);
  EXPECT_NE(records[view->Grid().Cursor()].pile, first.pile);
}

TEST(GridLines, BandsByKeyOrderedAlongDuplicatesKeepTheNearer) {
  // Two items share a left in one band: the higher one stays in the row.
  const std::vector<GridItem> items = {
      {0, QRect(10, 0, 20, 30)}, {1, QRect(40, 5, 20, 30)}, {2, QRect(10, 12, 20, 30)}, {3, QRect(0, 100, 20, 30)}};
  const auto rows = BuildGridLines(items, true);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0], (std::vector<std::uint16_t>{0, 1}));
  EXPECT_EQ(rows[1], (std::vector<std::uint16_t>{3}));
  const auto columns = BuildGridLines(items, false);
  ASSERT_EQ(columns.size(), 2u);
  // Item 3's column band reaches as far as its width: items 0 and 2 join it.
  EXPECT_EQ(columns[0], (std::vector<std::uint16_t>{0, 2, 3}));
  EXPECT_EQ(columns[1], (std::vector<std::uint16_t>{1}));
}

}  // namespace
}  // namespace cw
