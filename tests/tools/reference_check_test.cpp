// The reference check: every kind of dangling reference is found and named,
// the counts are compared, and `cwdb check` fails on either.
#include "tools/cwdb/reference_check.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <type_traits>

#include "engine/database/embedded_resources.h"
#include "engine/database/record_loader.h"
#include "engine/database/record_schema.h"
#include "tools/cwdb/cwdb_commands.h"

namespace cw {
namespace {

namespace fs = std::filesystem;

// A record with one entry in every table and every reference in range.
DefinitionRecord Complete() {
  DefinitionRecord r;
  r.cards = {{0, 1, 1}};
  r.piles.resize(2);
  r.actions = {{0, 0, 0, 0, 0, 1, 0, 0, 0, 0}};
  r.movePairs = {{kNoReference, 1}};
  r.dealPlacements = {{0, 0, 0}};
  r.dealFlips = {{1, 0}};
  r.dealFixed = {{1, 0}};
  r.dealOpen = {{1, 0}};
  r.eventKinds = {0, 2};
  r.eventActions = {{1, 0}};
  r.programs = {{1, 1, 1}};
  r.conditions = {{0, 0, 1}};
  r.eventConditions = {{1, 0}};
  r.counters = {{2, 1}};
  r.eventCounters = {{1, 0}};
  return r;
}

TEST(ReferenceCheck, CompleteRecordAndSevenByFiveHaveNone) {
  EXPECT_TRUE(FindDanglingReferences(Complete()).empty());
  const auto bytes = LoadDefinitionRecord(EmbeddedGameResources(), 17);
  ASSERT_TRUE(bytes.has_value());
  EXPECT_TRUE(FindDanglingReferences(*DecodeRecord(*bytes).record).empty());
}

TEST(ReferenceCheck, EveryKindOfDanglingReferenceIsNamed) {
  const struct {
    std::function<void(DefinitionRecord&)> damage;
    std::string message;
  } cases[] = {
      {[](auto& r) { r.piles[1].pickProgram = 1; }, "pile 1 pickProgram 1: there are 1 programs"},
      {[](auto& r) { r.piles[0].acceptProgram = 7; }, "pile 0 acceptProgram 7"},
      {[](auto& r) { r.piles[0].tapEvent = 2; }, "pile 0 tapEvent 2: there are 2 events"},
      {[](auto& r) { r.piles[0].emptyTapEvent = kNoReference; }, "pile 0 emptyTapEvent 65535"},
      {[](auto& r) { r.piles[0].dropEvent = 3; }, "pile 0 dropEvent 3"},
      {[](auto& r) { r.actions[0].pile = 2; }, "action 0 pile 2: there are 2 piles"},
      {[](auto& r) { r.actions[0].destPile = kNoReference; }, "action 0 destPile 65535"},
      {[](auto& r) {
         r.actions[0] = {1, 0, 0, 0, 0, 0, 0, static_cast<std::uint8_t>(PileAttribute::kPickProgram), 0, 4};
       },
       "action 0 value 4: there are 1 programs"},
      {[](auto& r) { r.actions[0] = {2, 0, 9, 0, 0, 0, 0, 0, 0, 0}; }, "action 0 pile 9"},
      {[](auto& r) { r.actions[0] = {4, 0, 5, 0, 0, 0, 0, 0, 0, 0}; }, "action 0 pile 5"},
      {[](auto& r) { r.actions[0] = {6, 0, 1, 0, 0, 0, 0, 0, 0, 0}; }, "action 0 pile (counter) 1: there are 1 counters"},
      {[](auto& r) { r.actions[0].type = 7; }, "action 0 type 7: no such action type"},
      {[](auto& r) { r.movePairs[0].destination = 2; }, "route 0 destination 2"},
      {[](auto& r) { r.dealPlacements[0].pile = 2; }, "placement 0 pile 2"},
      {[](auto& r) { r.dealPlacements[0].card = 1; }, "placement 0 card 1: there are 1 cards"},
      {[](auto& r) { r.dealFlips[0].pile = 2; }, "flip 0 pile 2"},
      {[](auto& r) { r.dealFixed[0].pile = 2; }, "fix 0 pile 2"},
      {[](auto& r) { r.dealOpen[0].pile = kNoReference; }, "open 0 pile 65535"},
      {[](auto& r) { r.eventActions[0].event = 2; }, "eventAction 0 event 2"},
      {[](auto& r) { r.eventActions[0].action = 1; }, "eventAction 0 action 1: there are 1 actions"},
      {[](auto& r) { r.conditions[0].program = 1; }, "condition 0 program 1"},
      {[](auto& r) { r.conditions[0].pileA = kNoReference; }, "condition 0 pileA 65535"},
      {[](auto& r) { r.conditions[0].pileB = 2; }, "condition 0 pileB 2"},
      {[](auto& r) { r.eventConditions[0].event = 5; }, "eventCondition 0 event 5"},
      {[](auto& r) { r.eventConditions[0].condition = 1; }, "eventCondition 0 condition 1: there are 1 conditions"},
      {[](auto& r) { r.counters[0].exhaustedEvent = 2; }, "counter 0 exhaustedEvent 2"},
      {[](auto& r) { r.eventCounters[0].event = 2; }, "eventCounter 0 event 2"},
      {[](auto& r) { r.eventCounters[0].counter = 1; }, "eventCounter 0 counter 1: there are 1 counters"},
  };
  for (const auto& c : cases) {
    DefinitionRecord r = Complete();
    c.damage(r);
    const auto problems = FindDanglingReferences(r);
    ASSERT_EQ(problems.size(), 1u) << c.message;
    EXPECT_NE(problems.front().find(c.message), std::string::npos) << problems.front();
  }
}

// Every field the record schema marks as a reference is checked, and the
// problem names the element and field as the schema does. Actions, whose
// fields follow their type, are covered above.
TEST(ReferenceCheck, EveryReferenceFieldOfTheSchemaIsChecked) {
  DefinitionRecord record = Complete();
  int checked = 0;
  ForEachTable(record, [&](const TableInfo& info, auto& table) {
    using Element = typename std::remove_cvref_t<decltype(table)>::value_type;
    if constexpr (std::is_class_v<Element> && !std::is_same_v<Element, std::vector<std::uint8_t>> &&
                  !std::is_same_v<Element, ActionDef>) {
      for (const RecordField<Element>& field : FieldsOf<Element>()) {
        if (field.reference == RecordReference::kNone) continue;
        const std::int64_t kept = field.Get(table[0]);
        field.Set(table[0], 40);  // past the end of every table of the complete record
        const std::vector<std::string> problems = FindDanglingReferences(record);
        field.Set(table[0], kept);
        const std::string expected = std::string(info.elementName) + " 0 " + std::string(field.name) + " 40";
        ASSERT_EQ(problems.size(), 1u) << expected;
        EXPECT_EQ(problems.front().rfind(expected, 0), 0u) << problems.front();
        ++checked;
      }
    }
  });
  EXPECT_EQ(checked, 22);
}

TEST(ReferenceCheck, AnyPileIsAllowedOnlyInRoutes) {
  DefinitionRecord r = Complete();
  r.movePairs = {{kNoReference, kNoReference}};
  r.actions = {{3, 0, kNoReference, 0, 0, kNoReference, 0, 0, 0, 0}};
  r.conditions[0].pileB = kNoReference;
  EXPECT_TRUE(FindDanglingReferences(r).empty());
}

DefinitionRecord SevenByFive() {
  const auto bytes = LoadDefinitionRecord(EmbeddedGameResources(), 17);
  return bytes ? DecodeRecord(*bytes).record.value_or(DefinitionRecord{}) : DefinitionRecord{};
}

TEST(DealCheck, EveryCardMustFindItsPile) {
  DefinitionRecord r = SevenByFive();
  EXPECT_TRUE(FindDealProblems(r).empty());
  r.piles[6].dealCount = 6;
  EXPECT_EQ(FindDealProblems(r),
            (std::vector<std::string>{"the piles' dealCounts add up to 51 but there are 52 cards"}));
  r.piles[6].dealCount = 7;
  r.piles[6].dealGroup = 1;  // asks group 1 for 7 cards it does not have
  r.cards[0].dealGroup = 1;
  r.cards[1].dealGroup = 1;
  EXPECT_EQ(FindDealProblems(r),
            (std::vector<std::string>{"the piles of deal group 1 take 7 cards but the group has 2"}));
}

TEST(AuthoringNotes, UnusualShapesAreNotedNotFailed) {
  DefinitionRecord r = SevenByFive();
  EXPECT_TRUE(FindAuthoringNotes(r).empty());
  r.eventActions.push_back({0, 0});
  r.actions.push_back(r.actions[0]);
  r.piles[3].fanLimit = 77;
  const auto notes = FindAuthoringNotes(r);
  ASSERT_EQ(notes.size(), 3u);
  EXPECT_NE(notes[0].find("event 0 is not of kind automatic"), std::string::npos);
  EXPECT_EQ(notes[1], "2 won actions; a game has one");
  EXPECT_NE(notes[2].find("pile 3 has fanLimit 77 and fanLimitAnchor 1"), std::string::npos);
}

TEST(ReferenceCheck, CountsAreComparedWhereExpected) {
  const TableCounts counts = CountTables(Complete());
  EXPECT_EQ(DescribeCounts(counts).rfind("cards 1 piles 2 actions 1 movePairs 1", 0), 0u);
  std::array<std::optional<std::size_t>, kTableCount> expected{};
  expected[1] = 2;
  EXPECT_TRUE(CompareCounts(counts, expected).empty());
  expected[1] = 3;
  expected[14] = 0;
  EXPECT_EQ(CompareCounts(counts, expected),
            (std::vector<std::string>{"piles 2, expected 3", "eventCounters 1, expected 0"}));
}

class CheckCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("cwdb_check_" + std::to_string(::getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path Write(const std::string& file, const std::string& text) {
    std::ofstream(dir_ / file) << text;
    return dir_ / file;
  }

  int Run(std::vector<std::string> args) {
    out_.str("");
    err_.str("");
    return RunCwdb(args, out_, err_);
  }

  fs::path dir_;
  std::ostringstream out_;
  std::ostringstream err_;
};

constexpr std::string_view kGame = R"(name "Small"
deck 1
pile a { pickProgram 3 dealCount 52 }
event e automatic { when c }
program p { PUSH 1 }
condition c p a
)";

TEST_F(CheckCommand, DanglingReferenceFailsTheCheckAndTheBuild) {
  const fs::path game = Write("small.cwg", std::string(kGame));
  EXPECT_EQ(Run({"check", game.string()}), 1);
  EXPECT_NE(out_.str().find("\"Small\""), std::string::npos);
  EXPECT_NE(err_.str().find("small.cwg: dangling reference: pile 0 pickProgram 3: there are 1 programs"),
            std::string::npos)
      << err_.str();

  const fs::path list = Write("catalogue.txt", "small.cwg 0 0 0 0 - \"Small\"\nlater.cwg 1 0 0 0 - \"Later\"\n");
  EXPECT_EQ(Run({"build", "--catalogue", list.string(), "--out-cpp", (dir_ / "out.cpp").string()}), 1);
  EXPECT_FALSE(fs::exists(dir_ / "out.cpp"));

  Write("small.cwg", std::string(kGame).replace(kGame.find("pickProgram 3"), 13, "pickProgram p"));
  EXPECT_EQ(Run({"check", "--catalogue", list.string()}), 0) << err_.str();
  EXPECT_NE(out_.str().find("1 later.cwg: \"Later\" absent"), std::string::npos) << out_.str();
  EXPECT_EQ(Run({"build", "--catalogue", list.string(), "--out-cpp", (dir_ / "out.cpp").string(), "--out-db",
                 (dir_ / "out.db").string()}),
            0)
      << err_.str();
  EXPECT_TRUE(fs::exists(dir_ / "out.cpp"));
  EXPECT_GT(fs::file_size(dir_ / "out.db"), 0u);
  EXPECT_EQ(Run({"dump", "--catalogue", list.string(), "Small"}), 0) << err_.str();
  EXPECT_EQ(out_.str().rfind("name \"Small\"\n", 0), 0u);
  EXPECT_EQ(Run({"dump", "--catalogue", list.string(), "1"}), 1);
}

TEST_F(CheckCommand, ExpectedCountsAreEnforced) {
  const fs::path game = Write("small.cwg", std::string(kGame).replace(kGame.find("pickProgram 3"), 13, ""));
  const fs::path counts = Write("counts.txt", "\"Small\" 52 1 0 - - - - - 1 0 1 1 1 0 0\n\"Other\" 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1\n");
  EXPECT_EQ(Run({"check", "--expect", counts.string(), game.string()}), 0) << err_.str();
  Write("counts.txt", "\"Small\" 52 2 0 - - - - - 1 0 1 1 1 0 0\n");
  EXPECT_EQ(Run({"check", "--expect", counts.string(), game.string()}), 1);
  EXPECT_NE(err_.str().find("small.cwg: piles 1, expected 2"), std::string::npos) << err_.str();
  Write("counts.txt", "\"Small\" 52 2\n");
  EXPECT_EQ(Run({"check", "--expect", counts.string(), game.string()}), 1);
  EXPECT_NE(err_.str().find("counts.txt:1: an entry is"), std::string::npos) << err_.str();
}

TEST_F(CheckCommand, BadInputNeverCrashes) {
  const fs::path junk = Write("junk.rec", std::string("\x01\x02\x03", 3));
  EXPECT_EQ(Run({"disasm", junk.string()}), 1);
  EXPECT_NE(err_.str().find("not a valid record"), std::string::npos);
  EXPECT_EQ(Run({"check", junk.string()}), 1);
  EXPECT_EQ(Run({"disasm", (dir_ / "absent.rec").string()}), 1);
  EXPECT_EQ(Run({"asm", (dir_ / "absent.cwg").string(), "-o", (dir_ / "x.rec").string()}), 1);
  EXPECT_EQ(Run({"asm", "-o"}), 2);
  EXPECT_EQ(Run({"frobnicate"}), 2);
  EXPECT_EQ(Run({}), 2);
  EXPECT_EQ(Run({"build", "--catalogue", (dir_ / "none.txt").string(), "--out-cpp", "x"}), 1);
  const fs::path game = Write("small.cwg", std::string(kGame));
  EXPECT_EQ(Run({"asm", game.string(), "-o", (dir_ / "no" / "dir.rec").string()}), 1);
  EXPECT_NE(err_.str().find("cannot write"), std::string::npos);
}

}  // namespace
}  // namespace cw
