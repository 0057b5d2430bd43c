// The game source assembler: what a source means, and how it reports the
// mistakes an author makes.
#include "tools/cwdb/assembler.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace cw {
namespace {

namespace fs = std::filesystem;

// The smallest sensible game: one pile, one program, one event with its
// never-passing condition. It ends on line 8, so appended lines start at 9.
constexpr std::string_view kMinimal = R"(
name "Tiny"
id 7
deck 1
pile only { }
event no_event automatic { when never_holds }
program never_passes { PUSH 1 }
condition never_holds never_passes only
)";

DefinitionRecord Assemble(std::string_view text) {
  const AssembleResult result = AssembleSource(text, "test.cwg", ".");
  EXPECT_FALSE(result.error.has_value()) << result.error->ToString();
  return result.record.value_or(DefinitionRecord{});
}

// The message of a source that must fail, prefixed with its place.
std::string AssembleError(std::string_view text, const fs::path& includeDirectory = ".") {
  const AssembleResult result = AssembleSource(text, "test.cwg", includeDirectory);
  EXPECT_FALSE(result.record.has_value());
  EXPECT_TRUE(result.bytes.empty());
  return result.error ? result.error->ToString() : std::string("(no error)");
}

TEST(Assembler, MinimalSourceGivesItsRecord) {
  const AssembleResult result = AssembleSource(kMinimal, "tiny.cwg", ".");
  ASSERT_TRUE(result.record.has_value());
  const DefinitionRecord& r = *result.record;
  EXPECT_EQ(r.name, "Tiny");
  EXPECT_EQ(r.id, 7);
  EXPECT_EQ(r.cards.size(), 52u);
  EXPECT_EQ(r.cards[13], (CardDef{0, 2, 1}));
  ASSERT_EQ(r.piles.size(), 1u);
  EXPECT_EQ(r.conditions, (std::vector<ConditionDef>{{0, 0, kNoReference}}));
  EXPECT_EQ(r.eventConditions, (std::vector<EventCondition>{{0, 0}}));
  EXPECT_EQ(r.programs, (std::vector<std::vector<std::uint8_t>>{{1, 1, 1}}));
  EXPECT_EQ(result.bytes, EncodeRecord(r).value());
}

TEST(Assembler, PileDefaultsAccumulateAndFieldsTakeNames) {
  const DefinitionRecord r = Assemble(std::string(kMinimal) + R"(
pileDefaults { y 42 fan down pickProgram never_passes }
pile a { x -5 dealCount 8 }
pileDefaults { yAnchor far }
pile b { x 0x10 fan 2 kind arrow pileValue 0x0201 shown 0 tapEvent no_event reserved 9 }
)");
  ASSERT_EQ(r.piles.size(), 3u);
  const PileDef& only = r.piles[0];
  EXPECT_EQ(only.xAnchor, 1);  // built-in defaults
  EXPECT_EQ(only.dealFaceUp, 1);
  EXPECT_EQ(only.shown, 1);
  EXPECT_EQ(only.enabled, 1);
  EXPECT_EQ(only.fanLimitAnchor, 1);
  EXPECT_EQ(only.fan, 0);
  const PileDef& a = r.piles[1];
  EXPECT_EQ(a.x, -5);
  EXPECT_EQ(a.y, 42);
  EXPECT_EQ(a.fan, 4);
  EXPECT_EQ(a.yAnchor, 0);
  EXPECT_EQ(a.dealCount, 8);
  const PileDef& b = r.piles[2];
  EXPECT_EQ(b.y, 42);
  EXPECT_EQ(b.yAnchor, 3);
  EXPECT_EQ(b.x, 16);
  EXPECT_EQ(b.fan, 2);
  EXPECT_EQ(b.kind, 3);
  EXPECT_EQ(b.baseRank, 1);
  EXPECT_EQ(b.baseSuit, 2);
  EXPECT_EQ(b.shown, 0);
  EXPECT_EQ(b.reserved, 9);
}

TEST(Assembler, ReferencesByNameNumberOrNone) {
  const DefinitionRecord r = Assemble(std::string(kMinimal) + R"(
pile other { acceptProgram 5 }
condition pair never_passes only other
condition loose 0 none 1
route any other
route 0 any
counter uses 2 no_event
event tapped onRequest { when pair loose do move counter uses }
eventAction no_event move
action move { type moveCards pile only destPile other mode 1 from 0 to 65535 destMode 2 destIndex 3 }
)");
  EXPECT_EQ(r.piles[1].acceptProgram, 5);
  EXPECT_EQ(r.conditions[1], (ConditionDef{0, 0, 1}));
  EXPECT_EQ(r.conditions[2], (ConditionDef{0, kNoReference, 1}));
  EXPECT_EQ(r.movePairs, (std::vector<MovePair>{{kNoReference, 1}, {0, kNoReference}}));
  EXPECT_EQ(r.counters, (std::vector<CounterDef>{{2, 0}}));
  EXPECT_EQ(r.eventConditions, (std::vector<EventCondition>{{0, 0}, {1, 1}, {1, 2}}));
  // Table order is source order: the event block's link comes before the
  // eventAction statement that follows it.
  EXPECT_EQ(r.eventActions, (std::vector<EventAction>{{1, 0}, {0, 0}}));
  EXPECT_EQ(r.eventCounters, (std::vector<EventCounter>{{1, 0}}));
  EXPECT_EQ(r.actions, (std::vector<ActionDef>{{0, 1, 0, 0, 65535, 1, 2, 0, 3, 0}}));
}

TEST(Assembler, ActionFieldsTakeTheirMeaningFromTheType) {
  const DefinitionRecord r = Assemble(std::string(kMinimal) + R"(
counter uses 1 no_event
action switch { value never_passes attribute pickProgram pile only type pileAttribute }
action turn { type cardAttribute attribute open pile only from 2 to 3 value 1 }
action again { type resetCounter pile uses }
action nothing { type 9 attribute 200 }
)");
  ASSERT_EQ(r.actions.size(), 4u);
  EXPECT_EQ(r.actions[0], (ActionDef{1, 0, 0, 0, 0, 0, 0, 13, 0, 0}));
  EXPECT_EQ(r.actions[1], (ActionDef{2, 0, 0, 2, 3, 0, 0, 7, 0, 1}));
  EXPECT_EQ(r.actions[2], (ActionDef{6, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(r.actions[3], (ActionDef{9, 0, 0, 0, 0, 0, 0, 200, 0, 0}));
  // A counter name is no pile, except for resetCounter.
  EXPECT_NE(AssembleError(std::string(kMinimal) + "counter uses 1 no_event\naction a { type moveCards pile uses }\n")
                .find("'uses' is a counter, not a pile"),
            std::string::npos);
}

TEST(Assembler, ProgramsExpandMacrosWithArguments) {
  const DefinitionRecord r = Assemble(std::string(kMinimal) + R"(
macro pair(a, b) { PUSH a PUSH b }
macro sum_of(a, b) { pair(a, b) ADD }
macro twice(x) { x x }
program p1 { sum_of(3, 4) twice(DUP) twice(PUSH 9) }
program p2 { PUSH 7 marker 0 BYTE 0x00 BYTE 255 }
program empty { }
)");
  ASSERT_EQ(r.programs.size(), 4u);
  EXPECT_EQ(r.programs[1], (std::vector<std::uint8_t>{1, 3, 1, 1, 4, 1, 6, 11, 11, 1, 9, 1, 1, 9, 1}));
  EXPECT_EQ(r.programs[2], (std::vector<std::uint8_t>{1, 7, 0, 0, 255}));
  EXPECT_TRUE(r.programs[3].empty());
}

TEST(Assembler, IncludeFileSharesMacros) {
  const fs::path dir = fs::temp_directory_path() / "cwdb_assembler_include";
  fs::create_directories(dir / "sub");
  std::ofstream(dir / "shared.cwi") << "include \"sub/more.cwi\"\nmacro yes { PUSH 0 }\n";
  std::ofstream(dir / "sub" / "more.cwi") << "macro no { PUSH 1 }\n";
  std::ofstream(dir / "game.cwg") << "include \"shared.cwi\"\n" << kMinimal << "program both { yes no }\n";
  const AssembleResult result = AssembleFile(dir / "game.cwg");
  ASSERT_FALSE(result.error.has_value()) << result.error->ToString();
  EXPECT_EQ(result.record->programs[1], (std::vector<std::uint8_t>{1, 0, 1, 1, 1, 1}));

  std::ofstream(dir / "loop.cwi") << "include \"loop.cwi\"\n";
  EXPECT_NE(AssembleError("include \"loop.cwi\"\n", dir).find("includes nest too deeply"), std::string::npos);
  EXPECT_NE(AssembleError("include \"absent.cwi\"\n", dir).find("test.cwg:1: cannot read included file"),
            std::string::npos);
  fs::remove_all(dir);
}

TEST(Assembler, RulesTextJoinsItsPiecesAndEscapes) {
  const DefinitionRecord r = Assemble(std::string(kMinimal) + "rules {\n  \"<b>Object</b>\\n\"\n  \"a \\\"b\\\" \\\\ \\x7F\\t.\"\n}\n");
  EXPECT_EQ(r.rulesText, "<b>Object</b>\na \"b\" \\ \x7F\t.");
  EXPECT_EQ(Assemble(std::string(kMinimal) + "rules \"one\" \"two\"\n").rulesText, "onetwo");
}

TEST(Assembler, CardsAndDealTables) {
  const DefinitionRecord r = Assemble(R"(
deck 2
card 4 13 7
cardGroup 3 AS 10H KC 104
place 0 AD 5
flip 0 6
fix 1 2
open 65535 0
pile a { }
pile b { }
)");
  ASSERT_EQ(r.cards.size(), 105u);
  EXPECT_EQ(r.cards[104], (CardDef{3, 4, 13}));
  EXPECT_EQ(r.cards[0].dealGroup, 3);
  EXPECT_EQ(r.cards[48].dealGroup, 3);  // 10H
  EXPECT_EQ(r.cards[25].dealGroup, 3);  // KC
  EXPECT_EQ(r.cards[52].dealGroup, 0);  // the second deck's AS
  EXPECT_EQ(r.dealPlacements, (std::vector<DealPlacement>{{0, 26, 5}}));
  EXPECT_EQ(r.dealFlips, (std::vector<PilePosition>{{0, 6}}));
  EXPECT_EQ(r.dealFixed, (std::vector<PilePosition>{{1, 2}}));
  EXPECT_EQ(r.dealOpen, (std::vector<PilePosition>{{kNoReference, 0}}));
}

TEST(Assembler, RepeatWritesRegularEntries) {
  const DefinitionRecord r = Assemble(std::string(kMinimal) + R"(
repeat c in 0..3 {
  pile column$c { x [10+20*$c] y [-2-$c*3/2] dealCount [7+1] }
  condition column$c_empty never_passes column$c
}
repeat name deal face in
    (cellA 0 1)
    (cellB 5 0) {
  pile $name { dealCount $deal dealFaceUp $face }
}
repeat e kind text in (first onRequest "one") (second gameStart "two") {
  event $e $kind {
    when never_holds
  }
  repeat k in 1..2 { condition $e_$k never_passes $k }
}
)");
  ASSERT_EQ(r.piles.size(), 7u);
  for (std::size_t c = 0; c < 4; ++c) {
    EXPECT_EQ(r.piles[1 + c].x, static_cast<std::int16_t>(10 + 20 * c));
    EXPECT_EQ(r.piles[1 + c].dealCount, 8);
  }
  EXPECT_EQ(r.piles[1].y, -2);
  EXPECT_EQ(r.piles[4].y, -2 - 9 / 2);
  EXPECT_EQ(r.piles[5].dealCount, 0);
  EXPECT_EQ(r.piles[6].dealCount, 5);
  EXPECT_EQ(r.piles[6].dealFaceUp, 0);
  EXPECT_EQ(r.eventKinds, (std::vector<std::uint8_t>{0, 2, 3}));
  ASSERT_EQ(r.conditions.size(), 9u);
  EXPECT_EQ(r.conditions[4], (ConditionDef{0, 4, kNoReference}));
  EXPECT_EQ(r.conditions[6], (ConditionDef{0, 2, kNoReference}));  // first_2
  EXPECT_EQ(r.conditions[8], (ConditionDef{0, 2, kNoReference}));  // second_2
}

TEST(Assembler, ErrorsNameFileLineAndProblem) {
  const std::string base(kMinimal);
  const struct {
    std::string source;
    std::string message;
  } cases[] = {
      {base + "pile p { pickProgram nowhere }\n", "test.cwg:9: unknown name 'nowhere' for pickProgram"},
      {base + "pile p { fan sideways }\n", "test.cwg:9: unknown name 'sideways' for fan (known: squared"},
      {base + "pile p { x 40000 }\n", "test.cwg:9: 40000 is out of range for x (-32768 to 32767)"},
      {base + "program p { PUSH 256 }\n", "test.cwg:9: 256 is out of range for the value (0 to 255)"},
      {base + "program p { PUSH }\n", "test.cwg:9: the value is missing after PUSH"},
      {base + "program p { PUSH 1\n\n  ADD\n", "test.cwg:9: unterminated block: this '{' is never closed"},
      {base + "}\n", "test.cwg:9: '}' without a matching '{'"},
      {base + "name \"x\n", "test.cwg:9: unterminated string"},
      {base + "program p { PUSH 1 POP }\n", "test.cwg:9: unknown instruction or macro 'POP'"},
      {base + "pile p { colour red }\n", "test.cwg:9: unknown pile field 'colour'"},
      {base + "pile p { x }\n", "test.cwg:9: pile field 'x' has no value"},
      {base + "shuffle 3\n", "test.cwg:9: unknown statement 'shuffle'"},
      {base + "program only { PUSH 0 }\n", "test.cwg:9: 'only' is already the name of a pile"},
      {base + "pile p { pickProgram only }\n", "test.cwg:9: 'only' is a pile, not a program"},
      {base + "pile p { dealCount only }\n", "test.cwg:9: 'only' is a pile; dealCount takes a number"},
      {base + "id 8\n", "test.cwg:9: 'id' is given twice"},
      {base + "pile 3p { }\n", "test.cwg:9: '3p' is no valid name"},
      {base + "pile none { }\n", "test.cwg:9: 'none' is a reserved word"},
      {base + "macro m(a) { PUSH a }\nprogram p { m(1, 2) }\n", "test.cwg:10: macro 'm' takes 1 argument(s), given 2"},
      {base + "macro m { m }\nprogram p { m }\n", "macros nest too deeply"},
      {base + "macro a { }\nmacro b { a a a a a a a a }\nmacro c { b b b b b b b b }\nmacro d { c c c c c c c c }\n"
              "macro e { d d d d d d d d }\nmacro f { e e e e e e e e }\nmacro g { f f f f f f f f }\n"
              "macro h { g g g g g g g g }\nmacro i { h h h h h h h h }\nprogram p { i i i i i i i i }\n",
       "macros expand to too many instructions"},
      {base + "repeat a in 0..4000 { repeat b in 0..4000 { repeat c in 0..4000 { } } }\n",
       "test.cwg:9: repeats expand to too many statements"},
      {base + "macro m { PUSH 300 }\nprogram p {\n m }\n",
       "test.cwg:9: 300 is out of range for the value (0 to 255) (in macro 'm' used at test.cwg:11)"},
      {base + "macro PUSH { ADD }\n", "test.cwg:9: 'PUSH' is an instruction and cannot name a macro"},
      {base + "cardGroup 1 200\n", "test.cwg:9: card 200 does not exist (52 cards so far)"},
      {base + "rules \"a\\x00b\"\n", "test.cwg:9: a string cannot hold a zero byte"},
      {base + "condition c never_passes\n", "test.cwg:9: 'condition' is missing a pile"},
      {base + "route any any any\n", "test.cwg:9: unexpected 'any' after 'route' statement"},
      {base + "pile p { x 99999999999999999 }\n", "test.cwg:9: number 99999999999999999 is too large"},
      {base + "pile p { x 1 } \x01\n", "test.cwg:9: unexpected character (byte 1)"},
      {base + "pile p { x $q }\n", "test.cwg:9: '$q' uses a variable that no repeat around it defines"},
      {base + "repeat i in 0..2 {\n pile p$i { x $j }\n}\n", "test.cwg:10: '$j' uses a variable"},
      {base + "repeat i j in (1 2) (3) { }\n", "test.cwg:9: this row has 1 value(s) for 2 variable(s)"},
      {base + "repeat i in 5..2 { }\n", "test.cwg:9: the range 5..2 must run upwards"},
      {base + "repeat i in 0..9999 { }\n", "over at most 4096 values"},
      {base + "repeat i { }\n", "test.cwg:9: expected 'in' after the repeat variables"},
      {base + "repeat i in 0..1 pile\n", "test.cwg:9: expected '{' opening the repeated statements"},
      {base + "pile p { x [4/0] }\n", "test.cwg:9: division by zero in [4/0]"},
      {base + "pile p { x [4+] }\n", "test.cwg:9: expected a number in [4+]"},
      {base + "pile p { x [1099511627776*1099511627776] }\n", "test.cwg:9: a value in [1099511627776*1099511627776] is too large"},
      {base + "pile p { x [99999999999999999999] }\n", "is too large"},
      {base + "pile p { x [4)] }\n", "test.cwg:9: ')' does not close the '{' of test.cwg:9"},
      {base + "repeat i in 0..1 { repeat j in 0..1 { repeat k in 0..1 { pile p$i$j$k { x [70000*$k] } } } }\n",
       "test.cwg:9: [70000*1] is out of range for x"},
  };
  for (const auto& c : cases) {
    EXPECT_NE(AssembleError(c.source).find(c.message), std::string::npos)
        << "source tail: " << c.source.substr(base.size()) << "\nmessage: " << AssembleError(c.source);
  }
}

TEST(Assembler, UnreadableFileIsReported) {
  const AssembleResult result = AssembleFile("/nonexistent/game.cwg");
  ASSERT_TRUE(result.error.has_value());
  EXPECT_EQ(result.error->ToString(), "/nonexistent/game.cwg: cannot read the file");
}

}  // namespace
}  // namespace cw
