#include "engine/rules/rule_evaluator.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/engine/rules/program_text.h"
#include "tests/engine/rules/seven_by_five_programs.h"

namespace cw {
namespace {

using test::ProgramFromText;

constexpr std::uint32_t kSpades = 1;
constexpr std::uint32_t kClubs = 2;
constexpr std::uint32_t kDiamonds = 3;
constexpr std::uint32_t kHearts = 4;

// The given entries, top first, followed by the end entry.
CardList ListOf(std::vector<CardListEntry> entries) {
  entries.push_back({});
  return entries;
}

const CardList kEmpty = ListOf({});

bool Passes(std::string_view text, const CardList& a = kEmpty, const CardList* b = nullptr) {
  return EvaluateRule(ProgramFromText(text), a, b);
}

bool PassesBytes(std::vector<std::uint8_t> bytes, const CardList& a = kEmpty) {
  return EvaluateRule(bytes, a, nullptr);
}

// Runs the program and then compares its top with `expected`, which list B
// carries so that any 16-bit value can be checked. The program must leave
// list A current.
bool LeavesOnTop(std::string_view text, int expected, const CardList& a = kEmpty) {
  const CardList b = ListOf({{static_cast<std::uint16_t>(expected), 0}});
  return Passes(std::string(text) + " OTHER RESET SUIT SUB", a, &b);
}

std::string Repeat(std::string_view text, int times) {
  std::string result;
  for (int i = 0; i < times; ++i) (result += text) += ' ';
  return result;
}

TEST(RuleEvaluatorTest, ArithmeticWrapsToSixteenBits) {
  EXPECT_TRUE(LeavesOnTop("PUSH 7 PUSH 5 ADD", 12));
  EXPECT_TRUE(LeavesOnTop("PUSH 5 PUSH 7 SUB", -2));
  EXPECT_TRUE(LeavesOnTop("PUSH 6 PUSH 7 MUL", 42));
  EXPECT_TRUE(LeavesOnTop("PUSH 0 PUSH 7 SUB PUSH 2 DIV", -3));
  EXPECT_TRUE(LeavesOnTop("PUSH 7 PUSH 0 PUSH 2 SUB DIV", -3));
  EXPECT_TRUE(LeavesOnTop("PUSH 0 PUSH 3 SUB PARITY", -1));
  EXPECT_TRUE(LeavesOnTop("PUSH 3 PARITY", 1));
  EXPECT_TRUE(LeavesOnTop("PUSH 4 PARITY", 0));
  EXPECT_TRUE(LeavesOnTop("PUSH 0 PUSH 5 SUB ABS", 5));

  const CardList big = ListOf({{32767, 0}});
  EXPECT_TRUE(LeavesOnTop("SUIT PUSH 1 ADD", -32768, big));
  EXPECT_TRUE(LeavesOnTop("PUSH 0 SUIT SUB PUSH 2 SUB", 32767, big));
  EXPECT_TRUE(LeavesOnTop("SUIT PUSH 1 ADD ABS", -32768, big));
  EXPECT_TRUE(LeavesOnTop("SUIT PUSH 1 ADD PUSH 0 PUSH 1 SUB DIV", -32768, big));
  EXPECT_TRUE(LeavesOnTop("PUSH 255 PUSH 1 ADD DUP MUL", 0));
}

TEST(RuleEvaluatorTest, ListValuesAreCutToSixteenBits) {
  EXPECT_TRUE(LeavesOnTop("SUIT", 5, ListOf({{0x10005, 0}})));
  EXPECT_TRUE(LeavesOnTop("RANK", -1, ListOf({{1, 0xFFFFFFFF}})));
}

TEST(RuleEvaluatorTest, TwoOperandInstructionsLeaveASingleEntryAlone) {
  for (const char* op : {"ADD", "SUB", "MUL", "DIV", "SWAP"}) {
    EXPECT_TRUE(LeavesOnTop(std::string("PUSH 5 ") + op, 5)) << op;
    EXPECT_FALSE(Passes(op)) << op << " on an empty stack leaves it empty";
  }
}

TEST(RuleEvaluatorTest, StackShuffles) {
  EXPECT_TRUE(LeavesOnTop("PUSH 3 DUP ADD", 6));
  EXPECT_TRUE(LeavesOnTop("PUSH 3 PUSH 4 DROP", 3));
  EXPECT_TRUE(LeavesOnTop("PUSH 1 PUSH 2 SWAP", 1));
  EXPECT_TRUE(LeavesOnTop("PUSH 1 PUSH 2 SWAP DROP", 2));
  // SINK: 1 2 3 becomes 3 1 2 (bottom first).
  EXPECT_TRUE(LeavesOnTop("PUSH 1 PUSH 2 PUSH 3 SINK", 2));
  EXPECT_TRUE(LeavesOnTop("PUSH 1 PUSH 2 PUSH 3 SINK DROP", 1));
  EXPECT_TRUE(LeavesOnTop("PUSH 1 PUSH 2 PUSH 3 SINK DROP DROP", 3));
  // RAISE: 1 2 3 becomes 2 3 1.
  EXPECT_TRUE(LeavesOnTop("PUSH 1 PUSH 2 PUSH 3 RAISE", 1));
  EXPECT_TRUE(LeavesOnTop("PUSH 1 PUSH 2 PUSH 3 RAISE DROP", 3));
  EXPECT_TRUE(LeavesOnTop("PUSH 1 PUSH 2 PUSH 3 RAISE DROP DROP", 2));
  EXPECT_TRUE(LeavesOnTop("PUSH 9 SINK RAISE", 9));
}

TEST(RuleEvaluatorTest, Save2AndLoadKeepTheOrder) {
  const std::string saved = "PUSH 1 PUSH 2 PUSH 0 SAVE2 ";
  EXPECT_TRUE(LeavesOnTop(saved, 2)) << "both entries stay on the stack";
  EXPECT_TRUE(LeavesOnTop(saved + "DROP", 1));
  const std::string reloaded = saved + "DROP DROP PUSH 9 PUSH 0 LOAD ";
  EXPECT_TRUE(LeavesOnTop(reloaded, 2));
  EXPECT_TRUE(LeavesOnTop(reloaded + "DROP", 1));
  EXPECT_TRUE(LeavesOnTop(reloaded + "DROP DROP", 9));
  // The variables are separate, and one never saved loads nothing.
  EXPECT_TRUE(LeavesOnTop(saved + "PUSH 7 PUSH 8 PUSH 1 SAVE2 PUSH 0 LOAD", 2));
  EXPECT_TRUE(LeavesOnTop(saved + "PUSH 7 PUSH 8 PUSH 1 SAVE2 PUSH 1 LOAD", 8));
  EXPECT_TRUE(LeavesOnTop("PUSH 4 PUSH 1 LOAD", 4));
}

TEST(RuleEvaluatorTest, SaveFrameTakesBothZerosAndLoadsInOrder) {
  const std::string framed = "PUSH 9 PUSH 0 PUSH 5 PUSH 6 PUSH 0 PUSH 1 SAVEFRAME ";
  EXPECT_TRUE(LeavesOnTop(framed + "DROP DROP DROP DROP", 9)) << "nothing is popped";
  const std::string reloaded = framed + "DROP DROP DROP DROP PUSH 7 PUSH 1 LOAD ";
  EXPECT_TRUE(LeavesOnTop(reloaded, 0));
  EXPECT_TRUE(LeavesOnTop(reloaded + "DROP", 6));
  EXPECT_TRUE(LeavesOnTop(reloaded + "DROP DROP", 5));
  EXPECT_TRUE(LeavesOnTop(reloaded + "DROP DROP DROP", 0));
  EXPECT_TRUE(LeavesOnTop(reloaded + "DROP DROP DROP DROP", 7));
  // Two zeros side by side make a frame of two.
  EXPECT_TRUE(LeavesOnTop("PUSH 7 PUSH 0 PUSH 0 PUSH 1 SAVEFRAME DROP DROP PUSH 1 LOAD DROP DROP",
                          7));
  // A non-zero top leaves the variable as it was.
  EXPECT_TRUE(LeavesOnTop("PUSH 0 PUSH 1 PUSH 0 SAVE2 PUSH 3 PUSH 0 SAVEFRAME PUSH 0 LOAD", 1));
  EXPECT_TRUE(LeavesOnTop("PUSH 0 PUSH 3 PUSH 0 SAVEFRAME", 3));
}

TEST(RuleEvaluatorTest, IfElseEndIfNest) {
  EXPECT_TRUE(LeavesOnTop("PUSH 0 IF PUSH 1 ELSE PUSH 2 ENDIF", 1));
  EXPECT_TRUE(LeavesOnTop("PUSH 3 IF PUSH 1 ELSE PUSH 2 ENDIF", 2));
  EXPECT_TRUE(LeavesOnTop("PUSH 7 PUSH 1 IF DROP ENDIF", 7));
  EXPECT_TRUE(LeavesOnTop("PUSH 7 PUSH 0 IF DROP ENDIF PUSH 4", 4));
  // The outer skip passes over the inner ELSE.
  EXPECT_TRUE(LeavesOnTop("PUSH 1 IF PUSH 0 IF PUSH 3 ELSE PUSH 4 ENDIF ELSE PUSH 5 ENDIF", 5));
  EXPECT_TRUE(LeavesOnTop("PUSH 0 IF PUSH 1 IF PUSH 3 ELSE PUSH 4 ENDIF ELSE PUSH 5 ENDIF", 4));
  EXPECT_TRUE(LeavesOnTop("PUSH 0 IF PUSH 0 IF PUSH 3 ELSE PUSH 4 ENDIF ELSE PUSH 5 ENDIF", 3));
  EXPECT_TRUE(LeavesOnTop("PUSH 1 IF PUSH 1 IF ELSE ENDIF PUSH 8 ENDIF PUSH 6", 6));
  // Values that look like IF, ELSE or ENDIF are stepped over with their PUSH.
  EXPECT_TRUE(LeavesOnTop("PUSH 1 IF PUSH 20 PUSH 21 PUSH 22 ENDIF PUSH 6", 6));
  // An IF skip that meets the program's end ends it with the present top.
  EXPECT_TRUE(Passes("PUSH 0 PUSH 1 IF PUSH 5"));
  EXPECT_FALSE(Passes("PUSH 3 PUSH 1 IF PUSH 0"));
}

TEST(RuleEvaluatorTest, LoopsCountAndBreak) {
  // Counts down from 3, counting the turns beneath.
  EXPECT_TRUE(LeavesOnTop(
      "PUSH 0 PUSH 3 DO DUP IF BREAK ENDIF PUSH 1 SUB SWAP PUSH 1 ADD SWAP LOOP DROP", 3));
  // The backward scan steps over PUSH values that read as DO or LOOP.
  for (const char* pushed : {"PUSH 4", "PUSH 5", "PUSH 1"}) {
    EXPECT_TRUE(LeavesOnTop("PUSH 0 PUSH 3 DO DUP IF BREAK ENDIF PUSH 1 SUB SWAP PUSH 1 ADD " +
                                std::string(pushed) + " DROP SWAP LOOP DROP",
                            3))
        << pushed;
  }
  // BREAK leaves only the innermost loop; a BREAK skip passes nested loops.
  EXPECT_TRUE(LeavesOnTop("PUSH 0 DO DO BREAK LOOP PUSH 1 ADD DUP PUSH 3 SUB IF BREAK ENDIF LOOP",
                          3));
  EXPECT_TRUE(LeavesOnTop(
      "PUSH 0 DO PUSH 1 ADD DUP PUSH 3 SUB IF BREAK ENDIF DO BREAK LOOP LOOP", 3));
  // A pushed 5 is no LOOP for the BREAK skip.
  EXPECT_TRUE(LeavesOnTop("PUSH 9 DO PUSH 0 IF BREAK PUSH 5 DROP ENDIF LOOP", 9));
}

TEST(RuleEvaluatorTest, LeaveGoesToTheNextEndOrStops) {
  EXPECT_TRUE(LeavesOnTop("BEGIN PUSH 4 LEAVE PUSH 1 END", 4));
  EXPECT_TRUE(Passes("BEGIN PUSH 0 LEAVE BEGIN END PUSH 1")) << "stops at BEGIN";
  EXPECT_TRUE(Passes("PUSH 0 LEAVE PUSH 1")) << "stops at the program's end";
  EXPECT_FALSE(Passes("PUSH 2 LEAVE PUSH 0"));
  // Pushed values 2 and 3 are neither BEGIN nor END.
  EXPECT_TRUE(LeavesOnTop("BEGIN PUSH 0 LEAVE PUSH 3 DROP END PUSH 7", 7));
  EXPECT_TRUE(Passes("PUSH 5 LEAVE PUSH 2 END DROP PUSH 0"));
}

TEST(RuleEvaluatorTest, CursorsWalkTheirOwnLists) {
  const CardList a = ListOf({{kSpades, 5}, {kDiamonds, 9}});
  const CardList b = ListOf({{kHearts, 12}});
  EXPECT_TRUE(LeavesOnTop("SUIT", 1, a));
  EXPECT_TRUE(LeavesOnTop("NEXT RANK", 9, a));
  EXPECT_TRUE(LeavesOnTop("NEXT NEXT RESET RANK", 5, a));
  EXPECT_TRUE(Passes("NEXT NEXT SUIT RANK ADD", a)) << "the end entry reads (0, 0)";
  EXPECT_TRUE(Passes("NEXT OTHER RANK PUSH 12 SUB", a, &b));
  EXPECT_TRUE(Passes("NEXT OTHER OTHER RANK PUSH 9 SUB", a, &b)) << "cursors stay";
  EXPECT_TRUE(Passes("NEXT OTHER NEXT RESET SUIT PUSH 4 SUB OTHER RANK PUSH 9 SUB ADD", a, &b))
      << "RESET moves only the current list's cursor";
}

TEST(RuleEvaluatorTest, IdiomsOfTheDefinitions) {
  const CardList one = ListOf({{kClubs, 7}});
  const CardList faceDown = ListOf({{kFaceDownSuit, kFaceDownRank}});
  for (const CardList* list : {&kEmpty, &one, &faceDown}) {
    EXPECT_FALSE(Passes("PUSH 1", *list, list));
    EXPECT_TRUE(Passes("PUSH 0", *list, list));
  }
  EXPECT_TRUE(Passes("SUIT RANK ADD", kEmpty));
  EXPECT_FALSE(Passes("SUIT RANK ADD", one));
  EXPECT_FALSE(Passes("SUIT RANK ADD", faceDown)) << "a face-down card is no end entry";
  const std::string notEmpty = "SUIT RANK ADD IF PUSH 1 ELSE PUSH 0 ENDIF";
  EXPECT_FALSE(Passes(notEmpty, kEmpty));
  EXPECT_TRUE(Passes(notEmpty, one));
  EXPECT_TRUE(Passes("RANK PUSH 1 SUB", ListOf({{kHearts, 1}}))) << "an ace";
  EXPECT_FALSE(Passes("RANK PUSH 1 SUB", one));
}

// The block the definitions use to read entry k of the current list: leaves
// its suit and rank, or (0, 0) when the list is shorter.
TEST(RuleEvaluatorTest, ReadingEntryK) {
  const CardList three = ListOf({{kSpades, 4}, {kHearts, 11}, {kClubs, 2}});
  const int expected[] = {104, 411, 202, 0, 0};
  for (int k = 0; k < 5; ++k) {
    const std::string block = "PUSH " + std::to_string(k) +
                              " DO SUIT IF DROP PUSH 0 PUSH 0 BREAK ENDIF DUP IF DROP SUIT RANK "
                              "BREAK ENDIF PUSH 1 SUB NEXT LOOP RESET SWAP PUSH 100 MUL ADD";
    EXPECT_TRUE(LeavesOnTop(block, expected[k], three)) << "entry " << k;
  }
}

TEST(RuleEvaluatorTest, StackHoldsFiveHundredEntries) {
  EXPECT_TRUE(Passes(Repeat("PUSH 0", 500)));
  EXPECT_FALSE(Passes(Repeat("PUSH 0", 501)));
  EXPECT_FALSE(Passes(Repeat("PUSH 0", 500) + "DUP"));
  EXPECT_FALSE(Passes("DO PUSH 0 LOOP"));
}

TEST(RuleEvaluatorTest, TooFewEntriesFail) {
  for (const char* op : {"DUP", "ABS", "PARITY", "DROP", "SINK", "RAISE", "IF", "LOAD",
                         "SAVE2", "SAVEFRAME"}) {
    EXPECT_FALSE(Passes(std::string(op) + " PUSH 0")) << op;
  }
  EXPECT_FALSE(Passes("PUSH 0 PUSH 0 SAVE2 PUSH 0")) << "SAVE2 needs two entries";
  EXPECT_TRUE(Passes("PUSH 0 PUSH 0 PUSH 0 SAVE2"));
  EXPECT_FALSE(Passes("PUSH 0 SAVEFRAME PUSH 0")) << "SAVEFRAME needs an entry to look at";
  EXPECT_FALSE(Passes("")) << "an empty stack at the end";
  EXPECT_FALSE(Passes("PUSH 0 DROP"));
}

TEST(RuleEvaluatorTest, VariableBoundsFail) {
  EXPECT_FALSE(Passes("PUSH 0 PUSH 0 PUSH 2 SAVE2"));
  EXPECT_FALSE(Passes("PUSH 0 PUSH 2 LOAD"));
  EXPECT_FALSE(Passes("PUSH 0 PUSH 0 PUSH 1 SUB LOAD PUSH 0"));
  EXPECT_FALSE(Passes("PUSH 0 PUSH 0 PUSH 2 SAVEFRAME"));
  EXPECT_FALSE(Passes("PUSH 5 PUSH 0 PUSH 0 SAVEFRAME PUSH 0")) << "the frame has no closing 0";
  // A frame of 200 entries fits; 201 do not.
  const std::string frame200 = "PUSH 0 " + Repeat("PUSH 1", 198) + "PUSH 0 PUSH 0 SAVEFRAME ";
  const std::string frame201 = "PUSH 0 " + Repeat("PUSH 1", 199) + "PUSH 0 PUSH 0 SAVEFRAME ";
  EXPECT_TRUE(Passes(frame200));
  EXPECT_FALSE(Passes(frame201));
  EXPECT_TRUE(Passes(frame200 + "PUSH 0 LOAD"));
  EXPECT_FALSE(Passes(frame200 + "PUSH 0 LOAD PUSH 0 LOAD")) << "600 entries overflow";
}

TEST(RuleEvaluatorTest, CursorAndListBoundsFail) {
  const CardList one = ListOf({{kSpades, 1}});
  EXPECT_TRUE(Passes("NEXT PUSH 0", one));
  EXPECT_FALSE(Passes("NEXT NEXT PUSH 0", one)) << "past the end entry";
  EXPECT_FALSE(Passes("NEXT PUSH 0", CardList{})) << "an empty vector holds only the end";
  for (const char* op : {"SUIT", "RANK", "NEXT"}) {
    EXPECT_FALSE(Passes(std::string("OTHER ") + op + " PUSH 0", one)) << op << " without list B";
  }
  EXPECT_TRUE(Passes("OTHER RESET OTHER SUIT RANK ADD")) << "switching to no list B is harmless";
}

TEST(RuleEvaluatorTest, DivisionByZeroFails) {
  EXPECT_FALSE(Passes("PUSH 1 PUSH 0 DIV DROP PUSH 0"));
  EXPECT_FALSE(Passes("PUSH 0 PUSH 0 DIV"));
}

TEST(RuleEvaluatorTest, ScansThatRunOffTheProgramFail) {
  EXPECT_FALSE(Passes("PUSH 0 PUSH 0 IF ELSE PUSH 1")) << "ELSE without ENDIF";
  EXPECT_FALSE(Passes("PUSH 0 BREAK PUSH 0")) << "BREAK without LOOP";
  EXPECT_FALSE(Passes("PUSH 0 LOOP")) << "LOOP without DO";
  EXPECT_FALSE(PassesBytes({1, 0})) << "PUSH cut off";
  EXPECT_FALSE(PassesBytes({1, 0, 0})) << "PUSH cut off by the appended zero";
  EXPECT_TRUE(PassesBytes({1, 0, 1})) << "the end of the bytes ends the program";
  EXPECT_TRUE(PassesBytes({1, 0, 1, 0}));
  // A skip over a cut-off PUSH.
  std::vector<std::uint8_t> bytes = ProgramFromText("PUSH 0 PUSH 1 IF");
  bytes.back() = 1;
  bytes.push_back(7);
  EXPECT_FALSE(PassesBytes(bytes));
  bytes = ProgramFromText("PUSH 0 LEAVE");
  bytes.back() = 1;
  EXPECT_FALSE(PassesBytes(bytes));
  // A LOOP scan meeting a PUSH marker at the program's second byte: the PUSH
  // it closes would start before the program.
  EXPECT_FALSE(PassesBytes({30, 1, 30, 30, 5, 0}));
}

TEST(RuleEvaluatorTest, UnknownOpcodesAreIgnored) {
  EXPECT_TRUE(PassesBytes({30, 255, 1, 0, 1, 0x80, 0}));
}

TEST(RuleEvaluatorTest, EndlessProgramsFail) {
  EXPECT_FALSE(Passes("PUSH 0 DO LOOP"));
  EXPECT_FALSE(Passes("PUSH 0 DO PUSH 0 DROP LOOP"));
  EXPECT_FALSE(Passes("PUSH 0 DO DUP IF ELSE BREAK ENDIF LOOP"));
  EXPECT_FALSE(Passes(Repeat("PUSH 1", 499) + "PUSH 0 DO SINK RAISE LOOP"));
  // Long skips inside an endless loop end as promptly.
  EXPECT_FALSE(Passes("PUSH 0 DO PUSH 1 IF " + Repeat("PUSH 9 DROP", 2000) + "ENDIF LOOP"));
}

TEST(RuleEvaluatorTest, ProgramsAreEncodedAtTheirStoredLengths) {
  // Stored length plus the appended zero byte.
  EXPECT_EQ(ProgramFromText(test::kSingleCardPickUp).size(), 38u);
  EXPECT_EQ(ProgramFromText(test::kTableauAccept).size(), 187u);
  EXPECT_EQ(ProgramFromText(test::kCellAccept).size(), 39u);
  EXPECT_EQ(ProgramFromText(test::kFoundationAccept).size(), 186u);
  EXPECT_EQ(ProgramFromText(test::kListEmpty).size(), 4u);
}

TEST(RuleEvaluatorTest, SingleCardPickUp) {
  const CardList remaining = ListOf({{kSpades, 9}});
  EXPECT_TRUE(Passes(test::kSingleCardPickUp, ListOf({{kHearts, 6}}), &remaining));
  EXPECT_FALSE(Passes(test::kSingleCardPickUp, ListOf({{kHearts, 6}, {kSpades, 7}}), &remaining));
  EXPECT_FALSE(Passes(test::kSingleCardPickUp, ListOf({{kHearts, 6}, {kSpades, 7}, {kHearts, 8}}),
                      &remaining));
}

TEST(RuleEvaluatorTest, TableauAcceptance) {
  const CardList sixOfSpades = ListOf({{kSpades, 6}});
  const auto onto = [&](const CardList& moving, std::vector<CardListEntry> pile) {
    const CardList destination = ListOf(std::move(pile));
    return Passes(test::kTableauAccept, moving, &destination);
  };
  EXPECT_TRUE(onto(sixOfSpades, {{kDiamonds, 7}}));
  EXPECT_TRUE(onto(sixOfSpades, {{kHearts, 7}, {kClubs, 2}}));
  EXPECT_FALSE(onto(sixOfSpades, {{kClubs, 7}}));
  EXPECT_FALSE(onto(sixOfSpades, {{kDiamonds, 8}}));
  EXPECT_FALSE(onto(sixOfSpades, {{kDiamonds, 5}}));
  EXPECT_FALSE(onto(sixOfSpades, {{kDiamonds, 2}, {kDiamonds, 7}})) << "only the top card counts";
  EXPECT_TRUE(onto(sixOfSpades, {}));
  EXPECT_TRUE(onto(ListOf({{kHearts, 6}}), {{kSpades, 7}}));
  EXPECT_FALSE(onto(ListOf({{kHearts, 6}}), {{kDiamonds, 7}}));
  EXPECT_FALSE(onto(ListOf({{kFaceDownSuit, kFaceDownRank}}), {{kDiamonds, 7}}));
  // The picked card is the last entry; the cards above it are not examined.
  EXPECT_TRUE(onto(ListOf({{kHearts, 1}, {kClubs, 13}, {kSpades, 6}}), {{kDiamonds, 7}}));
  EXPECT_FALSE(onto(ListOf({{kSpades, 6}, {kHearts, 1}}), {{kDiamonds, 7}}));
}

TEST(RuleEvaluatorTest, CellAcceptance) {
  const CardList empty = kEmpty;
  const CardList occupied = ListOf({{kClubs, 3}});
  EXPECT_TRUE(Passes(test::kCellAccept, ListOf({{kHearts, 13}}), &empty));
  EXPECT_FALSE(Passes(test::kCellAccept, ListOf({{kHearts, 13}}), &occupied));
}

TEST(RuleEvaluatorTest, FoundationAcceptance) {
  const auto onto = [&](std::vector<CardListEntry> moving, std::vector<CardListEntry> pile) {
    const CardList destination = ListOf(std::move(pile));
    return Passes(test::kFoundationAccept, ListOf(std::move(moving)), &destination);
  };
  EXPECT_TRUE(onto({{kSpades, 1}}, {}));
  EXPECT_TRUE(onto({{kHearts, 1}}, {}));
  EXPECT_FALSE(onto({{kSpades, 2}}, {}));
  EXPECT_TRUE(onto({{kSpades, 2}}, {{kSpades, 1}}));
  EXPECT_TRUE(onto({{kDiamonds, 10}}, {{kDiamonds, 9}, {kDiamonds, 8}}));
  EXPECT_FALSE(onto({{kSpades, 2}}, {{kClubs, 1}}));
  EXPECT_FALSE(onto({{kSpades, 3}}, {{kSpades, 1}}));
  EXPECT_FALSE(onto({{kSpades, 1}}, {{kSpades, 1}}));
  EXPECT_FALSE(onto({{kSpades, 1}}, {{kHearts, 13}}));
  EXPECT_FALSE(onto({{kFaceDownSuit, kFaceDownRank}}, {}));
}

TEST(RuleEvaluatorTest, ListEmptyProgram) {
  EXPECT_TRUE(Passes(test::kListEmpty, kEmpty));
  EXPECT_FALSE(Passes(test::kListEmpty, ListOf({{kSpades, 1}})));
}

}  // namespace
}  // namespace cw
