// The solver on small hand-built games whose answers are known.
#include "engine/solver/solver.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <utility>

#include "engine/rules/player_move.h"
#include "tests/engine/rules/hand_built_game.h"

namespace cw {
namespace {

using testing::HandBuiltGame;
using testing::OpenPile;
using testing::SnapshotOf;

// A pile that shows only its top card for moves (squared) and takes any card.
PileDef SquaredPile(std::uint16_t dealCount) {
  PileDef pile = OpenPile(dealCount);
  pile.fan = static_cast<std::uint8_t>(FanDirection::kSquared);
  return pile;
}

// The game is won as soon as `pile` is empty.
void WinWhenEmpty(HandBuiltGame& built, std::uint16_t pile) {
  const std::uint16_t empty = built.AddProgram(testing::kListAEmptyProgram);
  const std::uint16_t event = built.AddEvent(EventKind::kAutomatic);
  built.AddCondition(event, empty, pile);
  built.AddAction(event, testing::SimpleAction(ActionType::kGameWon));
}

// Plays the moves through the player-move path; answers whether they all
// were made and the game ended won.
bool ReplaysToWon(SolGame game, const std::vector<MoveReference>& moves) {
  for (const MoveReference& move : moves) {
    if (!PerformPlayerMove(game, move, nullptr)) return false;
  }
  return game.won != 0;
}

// Three cards on a squared pile and one empty pile: won in exactly three
// moves, each the top card onto the other pile.
TEST(SolverTest, FindsTheWinOfAThreeMoveGame) {
  HandBuiltGame built;
  built.AddPile(SquaredPile(3));
  built.AddPile(SquaredPile(0));
  WinWhenEmpty(built, 0);
  const SolGame& game = built.Deal();

  const SolveResult result = Solve(game, {});
  ASSERT_EQ(result.verdict, SolveVerdict::kWinnable);
  ASSERT_EQ(result.moves.size(), 3u);
  EXPECT_EQ(result.moves[0], (MoveReference{2, 1}));
  EXPECT_TRUE(ReplaysToWon(game, result.moves));
}

TEST(SolverTest, AFannedPileMovesAllItsCardsInOneMove) {
  HandBuiltGame built;
  built.AddPile(OpenPile(3));
  built.AddPile(OpenPile(0));
  WinWhenEmpty(built, 0);
  const SolveResult result = Solve(built.Deal(), {});
  ASSERT_EQ(result.verdict, SolveVerdict::kWinnable);
  EXPECT_EQ(result.moves, (std::vector<MoveReference>{{0, 1}}));
}

TEST(SolverTest, AGameAlreadyWonNeedsNoMoves) {
  HandBuiltGame built;
  built.AddPile(SquaredPile(0));
  WinWhenEmpty(built, 0);
  SolGame& game = built.Deal();
  game.won = 1;
  const SolveResult result = Solve(game, {});
  EXPECT_EQ(result.verdict, SolveVerdict::kWinnable);
  EXPECT_TRUE(result.moves.empty());
}

TEST(SolverTest, AGameNotDealtIsUndecided) {
  HandBuiltGame built;
  built.AddPile(SquaredPile(1));
  EXPECT_EQ(Solve(built.game, {}).verdict, SolveVerdict::kUndecided);
}

// No pile takes a card: the position is dead at once.
TEST(SolverTest, APositionWithoutMovesIsUnwinnable) {
  HandBuiltGame built;
  PileDef closed = SquaredPile(0);
  closed.acceptProgram = built.failProgram;
  built.AddPile(SquaredPile(2));
  built.AddPile(closed);
  WinWhenEmpty(built, 0);
  const SolveResult result = Solve(built.Deal(), {});
  EXPECT_EQ(result.verdict, SolveVerdict::kUnwinnable);
  EXPECT_EQ(result.nodes, 1u);
}

// Cards can wander between three piles for ever, but the game is won only
// when a pile that takes nothing is empty, which it never is.
HandBuiltGame WanderingGame(std::uint16_t cards, std::uint16_t freePiles) {
  HandBuiltGame built;
  PileDef closed = SquaredPile(1);
  closed.acceptProgram = built.failProgram;
  closed.pickProgram = built.failProgram;
  built.AddPile(closed);
  built.AddPile(SquaredPile(cards));
  for (std::uint16_t i = 0; i < freePiles; ++i) built.AddPile(SquaredPile(0));
  WinWhenEmpty(built, 0);
  return built;
}

TEST(SolverTest, AnExhaustedSearchProvesAGameUnwinnable) {
  HandBuiltGame built = WanderingGame(3, 2);
  const SolGame& game = built.Deal();
  const auto before = SnapshotOf(game);
  const SolveResult result = Solve(game, {});
  EXPECT_EQ(result.verdict, SolveVerdict::kUnwinnable);
  EXPECT_GT(result.nodes, 1u);
  EXPECT_TRUE(result.moves.empty());
  EXPECT_EQ(SnapshotOf(game), before);
}

// n different cards on three alike piles: a position is a way to stack them
// in at most three stacks, and there are n! C(n-1, k-1) / k! ways with k
// stacks.
SolveResult ProofOfWanderingGame(std::uint16_t cards) {
  HandBuiltGame built = WanderingGame(cards, 2);
  const SolveResult result = Solve(built.Deal(), {});
  EXPECT_EQ(result.verdict, SolveVerdict::kUnwinnable);
  return result;
}

TEST(SolverTest, AProofExpandsEveryPositionOnce) {
  EXPECT_EQ(ProofOfWanderingGame(3).nodes, 6u + 6 + 1);
  EXPECT_EQ(ProofOfWanderingGame(6).nodes, 720u + 1800 + 1200);
}

// Past its first try (65,536 positions) the search goes on as two searches
// taking turns, each with several orders of the positions waiting, some of
// them walking again through what the first try expanded; the second begins
// after 36 fresh tries of 8,192 positions each. The one that completes
// the proof expands every position once, and the turns beside it as many
// (within a turn): the first search, before the fresh tries are done, here;
// the second would complete it only past all of them.
TEST(SolverSlowTest, AProofPastTheFirstTryCostsAtMostTwiceAsMuch) {
  constexpr std::uint64_t kPositions = 40320 + 141120 + 141120;
  constexpr std::uint64_t kFirstTry = 65536;
  constexpr std::uint64_t kFreshTries = 36 * 8192;
  const SolveResult result = ProofOfWanderingGame(8);
  EXPECT_GE(result.nodes, 2 * kPositions - kFirstTry - 8192);
  EXPECT_LE(result.nodes, 2 * kPositions - kFirstTry + kFreshTries + 8192);
}

// No try of this game settles it in a few thousand positions, so without a
// budget the thread beside would search on for good unless told to stop: it
// is told on every way out, a caller's exception included.
TEST(SolverTest, AnExceptionFromTheProgressReportEndsASearchOnTwoThreads) {
  HandBuiltGame built = WanderingGame(8, 2);
  SolveLimits limits;
  limits.secondThread = true;
  EXPECT_THROW(Solve(built.Deal(), limits, nullptr,
                     [](std::uint64_t nodes) {
                       if (nodes > 20000) throw std::runtime_error("stop");
                     }),
               std::runtime_error);
}

TEST(SolverTest, InterchangeablePilesShrinkTheSearch) {
  // The two free piles are alike, so a position and its mirror are one.
  HandBuiltGame alike = WanderingGame(3, 2);
  const SolveResult merged = Solve(alike.Deal(), {});
  // Naming one of them in a condition makes them different piles.
  HandBuiltGame apart = WanderingGame(3, 2);
  const std::uint16_t event = apart.AddEvent(EventKind::kAutomatic);
  apart.AddCondition(event, apart.AddProgram(testing::kListAEmptyProgram), 2);
  const SolveResult separate = Solve(apart.Deal(), {});
  EXPECT_EQ(merged.verdict, SolveVerdict::kUnwinnable);
  EXPECT_EQ(separate.verdict, SolveVerdict::kUnwinnable);
  EXPECT_LT(merged.nodes, separate.nodes);
}

TEST(PositionHasherTest, PositionsEqualUpToInterchangeablePilesHashAlike) {
  HandBuiltGame built = WanderingGame(2, 2);
  SolGame& game = built.Deal();
  PositionHasher hasher(game.definition);
  // Pile 1 differs from the free piles only in what it was dealt.
  EXPECT_EQ(hasher.PileClasses(), (std::vector<std::uint16_t>{0, 1, 1, 1}));

  SolGame left = game;
  ASSERT_TRUE(PerformPlayerMove(left, {2, 2}, nullptr));
  SolGame right = game;
  ASSERT_TRUE(PerformPlayerMove(right, {2, 3}, nullptr));
  EXPECT_EQ(hasher.Key(left), hasher.Key(right));
  EXPECT_NE(hasher.Key(left), hasher.Key(game));

  // Mirror images one move further on are still one position.
  SolGame back = left;
  ASSERT_TRUE(PerformPlayerMove(back, {1, 3}, nullptr));
  SolGame other = right;
  ASSERT_TRUE(PerformPlayerMove(other, {1, 2}, nullptr));
  EXPECT_EQ(hasher.Key(back), hasher.Key(other));
  // The same cards stacked otherwise are another position.
  SolGame stacked = left;
  ASSERT_TRUE(PerformPlayerMove(stacked, {1, 2}, nullptr));
  EXPECT_NE(hasher.Key(stacked), hasher.Key(back));
  EXPECT_NE(hasher.Key(stacked), hasher.Key(game));
}

TEST(PositionHasherTest, CardsOfTheSameSuitAndRankAreOneCard) {
  HandBuiltGame built = WanderingGame(2, 2);
  // Cards 1 and 2 lie on pile 1, card 2 on top; make card 2 a twin of card 1.
  built.game.definition.cards[2] = built.game.definition.cards[1];
  SolGame& game = built.Deal();
  PositionHasher hasher(game.definition);
  SolGame swapped = game;
  std::swap(swapped.cards[1], swapped.cards[2]);
  EXPECT_EQ(hasher.Key(swapped), hasher.Key(game));
  // Two cards that differ in rank are two cards.
  built.game.definition.cards[2].rank = 5;
  PositionHasher apart(built.game.definition);
  EXPECT_NE(apart.Key(swapped), apart.Key(game));
}

TEST(PositionHasherTest, PlayAttributesAndFacesBelongToThePosition) {
  HandBuiltGame built = WanderingGame(2, 2);
  const SolGame& game = built.Deal();
  PositionHasher hasher(game.definition);
  const std::uint64_t key = hasher.Key(game);

  SolGame changed = game;
  changed.cards[2].faceUp = 0;
  EXPECT_NE(hasher.Key(changed), key);
  changed = game;
  changed.piles[1].acceptProgram = built.failProgram;
  EXPECT_NE(hasher.Key(changed), key);
  changed = game;
  changed.piles[2].enabled = 0;
  EXPECT_NE(hasher.Key(changed), key);
  changed = game;
  changed.piles[1].baseRank = 7;
  EXPECT_NE(hasher.Key(changed), key);
  changed = game;
  changed.allowedMoves.push_back({1, 2});
  EXPECT_NE(hasher.Key(changed), key);
}

TEST(PileSymmetryTest, PilesNamedByEventsAreKeptApart) {
  HandBuiltGame built = WanderingGame(2, 3);
  // An event that moves cards from pile 3 to pile 4 only: 3 and 4 are no
  // longer alike with any pile, while 1 and 2 stay a pair.
  const std::uint16_t event = built.AddEvent(EventKind::kAutomatic);
  built.AddAction(event, testing::MoveAction(1, 3, 0, 1, 4, 1, 0));
  EXPECT_EQ(PositionHasher(built.game.definition).PileClasses(),
            (std::vector<std::uint16_t>{0, 1, 1, 3, 4}));
  // The same move the other way round as well makes 3 and 4 a pair again.
  built.AddAction(built.AddEvent(EventKind::kAutomatic), testing::MoveAction(1, 4, 0, 1, 3, 1, 0));
  EXPECT_EQ(PositionHasher(built.game.definition).PileClasses(),
            (std::vector<std::uint16_t>{0, 1, 1, 3, 3}));
}

TEST(PileSymmetryTest, WhatCannotTellPilesApartLeavesThemAlike) {
  const std::vector<std::uint16_t> alike{0, 1, 1, 1};
  // A condition that fails whatever its pile holds.
  HandBuiltGame never = WanderingGame(2, 2);
  never.AddCondition(never.AddEvent(EventKind::kAutomatic), never.failProgram, 2);
  EXPECT_EQ(PositionHasher(never.game.definition).PileClasses(), alike);
  // An event that fires only at the deal, moving a card onto one of them.
  HandBuiltGame start = WanderingGame(2, 2);
  start.AddAction(start.AddEvent(EventKind::kGameStart), testing::MoveAction(1, 1, 0, 1, 2, 1, 0));
  EXPECT_EQ(PositionHasher(start.game.definition).PileClasses(), alike);
  // The same event fired by a tap in play does tell them apart.
  start.game.definition.piles[0].tapEvent =
      static_cast<std::uint16_t>(start.game.definition.eventKinds.size() - 1);
  EXPECT_EQ(PositionHasher(start.game.definition).PileClasses(), (std::vector<std::uint16_t>{0, 1, 2, 3}));
  // One event setting something of each, in either order.
  HandBuiltGame settings = WanderingGame(2, 2);
  const std::uint16_t event = settings.AddEvent(EventKind::kAutomatic);
  for (std::uint16_t pile = 1; pile <= 3; ++pile) {
    ActionDef enable = testing::SimpleAction(ActionType::kPileAttribute);
    enable.pile = pile;
    enable.attribute = static_cast<std::uint8_t>(PileAttribute::kEnabled);
    enable.value = 1;
    settings.AddAction(event, enable);
  }
  EXPECT_EQ(PositionHasher(settings.game.definition).PileClasses(), alike);
}

// A closed pile that keeps the game from being won, a pile of cards (fanned,
// so that runs can be lifted from it, when told), and two piles that take
// cards only while empty, one squared and one fanned as told.
HandBuiltGame CellsGame(std::uint16_t cards, bool runs, bool secondFanned) {
  HandBuiltGame built;
  PileDef closed = SquaredPile(1);
  closed.acceptProgram = built.failProgram;
  closed.pickProgram = built.failProgram;
  built.AddPile(closed);
  built.AddPile(runs ? OpenPile(cards) : SquaredPile(cards));
  const std::uint16_t onlyEmpty = built.AddProgram(testing::kListBEmptyProgram);
  PileDef first = SquaredPile(0);
  first.acceptProgram = onlyEmpty;
  PileDef second = secondFanned ? OpenPile(0) : SquaredPile(0);
  second.acceptProgram = onlyEmpty;
  built.AddPile(first);
  built.AddPile(second);
  WinWhenEmpty(built, 0);
  return built;
}

TEST(PileSymmetryTest, SquaredAndFannedPilesThatHoldOneCardAtMostAreAlike) {
  HandBuiltGame cells = CellsGame(4, false, true);
  EXPECT_EQ(PositionHasher(cells.game.definition).PileClasses(),
            (std::vector<std::uint16_t>{0, 1, 2, 2}));
  // Piles that take a card onto a card may come to hold more, and then a
  // fanned one lets the cards under its top one be lifted.
  HandBuiltGame stacking = WanderingGame(2, 2);
  stacking.game.definition.piles[3].fan = static_cast<std::uint8_t>(FanDirection::kDown);
  EXPECT_EQ(PositionHasher(stacking.game.definition).PileClasses(),
            (std::vector<std::uint16_t>{0, 1, 1, 3}));
}

TEST(SolverTest, ASquaredAndAFannedCellAreOneForTheProof) {
  HandBuiltGame mixed = CellsGame(4, false, true);
  const SolveResult merged = Solve(mixed.Deal(), {});
  HandBuiltGame squared = CellsGame(4, false, false);
  const SolveResult alike = Solve(squared.Deal(), {});
  EXPECT_EQ(merged.verdict, SolveVerdict::kUnwinnable);
  EXPECT_EQ(alike.verdict, SolveVerdict::kUnwinnable);
  EXPECT_EQ(merged.nodes, alike.nodes);
}

// The two piles refuse a card onto a card, so they look as if they held one
// card at most, but a run dropped on one while empty gives it two cards: then
// whether it is fanned matters, and the search may not claim a proof.
TEST(SolverTest, NoProofRestsOnAFanThatCameToMatter) {
  HandBuiltGame mixed = CellsGame(3, true, true);
  ASSERT_EQ(PositionHasher(mixed.game.definition).PileClasses(),
            (std::vector<std::uint16_t>{0, 1, 2, 2}));
  EXPECT_EQ(Solve(mixed.Deal(), {}).verdict, SolveVerdict::kUndecided);
  HandBuiltGame squared = CellsGame(3, true, false);
  EXPECT_EQ(Solve(squared.Deal(), {}).verdict, SolveVerdict::kUnwinnable);
}

TEST(SolverTest, BudgetsEndTheSearchUndecidedAndLeaveTheGameAlone) {
  HandBuiltGame built = WanderingGame(8, 3);
  const SolGame& game = built.Deal();
  const auto before = SnapshotOf(game);

  SolveLimits nodes;
  nodes.maxNodes = 2000;
  std::uint64_t reported = 0;
  const SolveResult byNodes = Solve(game, nodes, nullptr, [&](std::uint64_t n) { reported = n; });
  EXPECT_EQ(byNodes.verdict, SolveVerdict::kUndecided);
  EXPECT_LE(byNodes.nodes, 2000u);
  EXPECT_GT(reported, 0u);

  SolveLimits memory;
  memory.maxMemoryBytes = 1;  // only the table's first block
  const SolveResult byMemory = Solve(game, memory);
  EXPECT_EQ(byMemory.verdict, SolveVerdict::kUndecided);

  const std::atomic<bool> cancelled{true};
  const SolveResult byCancel = Solve(game, {}, &cancelled);
  EXPECT_EQ(byCancel.verdict, SolveVerdict::kUndecided);
  EXPECT_LE(byCancel.nodes, 64u);

  SolveLimits seconds;
  seconds.maxSeconds = 0.05;
  EXPECT_EQ(Solve(game, seconds).verdict, SolveVerdict::kUndecided);
  seconds.processorTime = true;
  const SolveResult byProcessorTime = Solve(game, seconds);
  EXPECT_EQ(byProcessorTime.verdict, SolveVerdict::kUndecided);
  EXPECT_GE(byProcessorTime.seconds, 0.05);
  EXPECT_EQ(SnapshotOf(game), before);
}

TEST(SolverTest, TheSameInputGivesTheSameAnswer) {
  HandBuiltGame built = WanderingGame(6, 2);
  const SolGame& game = built.Deal();
  SolveLimits limits;
  limits.maxNodes = 2000;
  const SolveResult first = Solve(game, limits);
  const SolveResult second = Solve(game, limits);
  EXPECT_EQ(first.verdict, second.verdict);
  EXPECT_EQ(first.nodes, second.nodes);
  EXPECT_EQ(first.moves, second.moves);
}

// One card that wins on pile 2. The routes let it go from pile 0 to piles 1
// and 2, and from pile 1 back to pile 0 only.
HandBuiltGame RoutedGame(bool routeToWin) {
  HandBuiltGame built;
  built.AddPile(SquaredPile(1));
  built.AddPile(SquaredPile(0));
  built.AddPile(SquaredPile(0));
  built.game.definition.movePairs = {{0, 1}, {1, 0}};
  if (routeToWin) built.game.definition.movePairs.push_back({0, 2});
  const std::uint16_t holds = built.AddProgram(testing::kListAHoldsProgram);
  const std::uint16_t event = built.AddEvent(EventKind::kAutomatic);
  built.AddCondition(event, holds, 2);
  built.AddAction(event, testing::SimpleAction(ActionType::kGameWon));
  return built;
}

TEST(SolverTest, ALineGoesBackToAnEarlierPositionOnlyWhenEveryWinDoes) {
  HandBuiltGame built = RoutedGame(true);
  SolGame& game = built.Deal();
  ASSERT_TRUE(PerformPlayerMove(game, {0, 1}, nullptr));
  const SolveResult result = Solve(game, {});
  ASSERT_EQ(result.verdict, SolveVerdict::kWinnable);
  EXPECT_EQ(result.moves, (std::vector<MoveReference>{{0, 0}, {0, 2}}));

  // Without the route to the win the earlier position is searched too, and
  // the proof covers it.
  HandBuiltGame dead = RoutedGame(false);
  SolGame& deadGame = dead.Deal();
  ASSERT_TRUE(PerformPlayerMove(deadGame, {0, 1}, nullptr));
  const SolveResult none = Solve(deadGame, {});
  EXPECT_EQ(none.verdict, SolveVerdict::kUnwinnable);
  EXPECT_EQ(none.nodes, 2u);
}

TEST(SolverTest, SamePositionAsksForTheRandomGeneratorAndTheMovesBehind) {
  HandBuiltGame built = WanderingGame(2, 2);
  const SolGame& game = built.Deal();
  SolGame copy = game;
  EXPECT_TRUE(SamePosition(copy, game));
  copy.random.Next();
  EXPECT_FALSE(SamePosition(copy, game));
  copy = game;
  ASSERT_TRUE(PerformPlayerMove(copy, {2, 2}, nullptr));
  ASSERT_TRUE(PerformPlayerMove(copy, {2, 1}, nullptr));
  EXPECT_EQ(SnapshotOf(copy), SnapshotOf(game));
  EXPECT_FALSE(SamePosition(copy, game));
}

// A card that must reach pile 2; pile 1 takes it but never gives it back.
TEST(AssessPositionTest, CountsTheMovesToUndoBackToAWinnablePosition) {
  HandBuiltGame built;
  built.AddPile(SquaredPile(1));
  PileDef trap = SquaredPile(0);
  trap.pickProgram = built.failProgram;
  built.AddPile(trap);
  built.AddPile(SquaredPile(0));
  built.AddPile(SquaredPile(0));
  const std::uint16_t holds = built.AddProgram(testing::kListAHoldsProgram);
  const std::uint16_t event = built.AddEvent(EventKind::kAutomatic);
  built.AddCondition(event, holds, 2);
  built.AddAction(event, testing::SimpleAction(ActionType::kGameWon));
  SolGame& game = built.Deal();

  const PositionAssessment start = AssessPosition(game, {});
  EXPECT_EQ(start.verdict, SolveVerdict::kWinnable);
  EXPECT_FALSE(start.undoToWinnable);

  ASSERT_TRUE(PerformPlayerMove(game, {0, 3}, nullptr));
  ASSERT_TRUE(PerformPlayerMove(game, {0, 1}, nullptr));
  const PositionAssessment trapped = AssessPosition(game, {});
  EXPECT_EQ(trapped.verdict, SolveVerdict::kUnwinnable);
  EXPECT_EQ(trapped.undoToWinnable, 1u);
  EXPECT_EQ(trapped.here.verdict, SolveVerdict::kUnwinnable);
}

}  // namespace
}  // namespace cw
