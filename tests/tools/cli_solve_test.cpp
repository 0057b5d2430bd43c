// cardwright-cli solve and survey: output formats and exit statuses.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "engine/database/embedded_resources.h"
#include "tools/cli/cli.h"
#include "tools/cli/survey.h"

namespace cw {
namespace {

struct Result {
  int status = 0;
  std::vector<std::string> lines;
  std::string err;
};

Result Invoke(const std::vector<std::string>& args) {
  std::ostringstream out;
  std::ostringstream err;
  Result result;
  result.status = RunCli(args, EmbeddedGameResources(), out, err);
  std::istringstream in(out.str());
  for (std::string line; std::getline(in, line);) result.lines.push_back(line);
  result.err = err.str();
  return result;
}

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::istringstream in(line);
  for (std::string field; std::getline(in, field, '\t');) fields.push_back(field);
  return fields;
}

TEST(CliSolveTest, AWinnableDealPrintsMovesThatPlayReplaysToWon) {
  const Result solved = Invoke({"solve", "FreeCell", "5", "--nodes", "2000"});
  ASSERT_EQ(solved.status, kCliOk) << solved.err;
  ASSERT_GE(solved.lines.size(), 2u);
  EXPECT_EQ(solved.lines[0], "winnable");
  std::vector<std::string> play = {"play", "FreeCell", "5"};
  play.insert(play.end(), solved.lines.begin() + 1, solved.lines.end());
  const Result played = Invoke(play);
  ASSERT_EQ(played.status, kCliOk) << played.err;
  EXPECT_EQ(played.lines.back(), "won");
}

TEST(CliSolveTest, VerdictsAfterGivenMovesAndAsJson) {
  const Result dead = Invoke({"solve", "Eight On", "13"});
  EXPECT_EQ(dead.status, kCliOk);
  EXPECT_EQ(dead.lines, (std::vector<std::string>{"unwinnable"}));

  const Result undecided = Invoke({"solve", "FreeCell", "4", "--nodes", "5"});
  EXPECT_EQ(undecided.status, kCliOk);
  EXPECT_EQ(undecided.lines, (std::vector<std::string>{"undecided"}));

  const Result json = Invoke({"solve", "FreeCell", "4", "--nodes", "5", "--json"});
  ASSERT_EQ(json.lines.size(), 1u);
  EXPECT_EQ(json.lines[0].rfind(R"({"verdict":"undecided","moves":[],"nodes":5,)", 0), 0u)
      << json.lines[0];

  // The search starts after the moves given.
  const Result first = Invoke({"moves", "FreeCell", "5"});
  ASSERT_FALSE(first.lines.empty());
  const Result after = Invoke({"solve", "FreeCell", "5", first.lines[0], "--nodes", "2000"});
  EXPECT_EQ(after.status, kCliOk);
  EXPECT_FALSE(after.lines.empty());
}

TEST(CliSolveTest, BadInputExitsTwoWithOneLine) {
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"solve", "No Such Game", "1"},
           {"solve", "FreeCell", "x"},
           {"solve", "FreeCell", "5", "99:99"},
           {"solve", "FreeCell", "5", "--nodes", "many"},
           {"solve", "FreeCell", "5", "--seconds", "-1"},
           {"solve", "FreeCell", "5", "--nodes"},
           {"survey", "FreeCell", "9", "3"},
           {"survey", "FreeCell", "0", "3"},
           {"survey", "FreeCell", "1", "2", "--jobs", "0"},
       }) {
    const Result result = Invoke(args);
    EXPECT_EQ(result.status, kCliUsage) << args[1] << ' ' << args[2];
    EXPECT_TRUE(result.lines.empty());
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
  }
  EXPECT_EQ(Invoke({"deal", "FreeCell", "5", "--nodes", "3"}).status, kCliUsage);
  EXPECT_EQ(Invoke({"deal", "FreeCell", "5", "--cpu"}).status, kCliUsage);
}

TEST(CliSurveyTest, OneLinePerDealInOrderThenTheSummary) {
  const Result survey =
      Invoke({"survey", "Eight On", "12", "14", "--nodes", "300", "--cpu", "--jobs", "2"});
  ASSERT_EQ(survey.status, kCliOk) << survey.err;
  ASSERT_EQ(survey.lines.size(), 4u);
  for (std::size_t i = 0; i < 3; ++i) {
    const auto fields = Fields(survey.lines[i]);
    ASSERT_EQ(fields.size(), 5u) << survey.lines[i];
    EXPECT_EQ(fields[0], std::to_string(12 + i));
  }
  EXPECT_EQ(Fields(survey.lines[1])[1], "unwinnable");
  EXPECT_EQ(Fields(survey.lines[1])[3], "1");
  EXPECT_EQ(survey.lines[3].rfind("# Eight On: 3 deals, winnable ", 0), 0u) << survey.lines[3];
}

// --shuffled names another deal by the same number, which every command that
// deals then deals alike, so that a survey's lines can be played again.
TEST(CliSurveyTest, ShuffledDealsAreTheSameForEveryCommand) {
  const Result own = Invoke({"deal", "FreeCell", "5"});
  const Result shuffled = Invoke({"deal", "FreeCell", "5", "--shuffled"});
  ASSERT_EQ(shuffled.status, kCliOk) << shuffled.err;
  EXPECT_NE(shuffled.lines, own.lines);

  const Result survey =
      Invoke({"survey", "FreeCell", "5", "6", "--shuffled", "--nodes", "20000", "--jobs", "1"});
  ASSERT_EQ(survey.lines.size(), 3u);
  const Result solved = Invoke({"solve", "FreeCell", "5", "--shuffled", "--nodes", "20000"});
  ASSERT_GE(solved.lines.size(), 2u);
  ASSERT_EQ(solved.lines[0], "winnable");
  EXPECT_EQ(Fields(survey.lines[0])[2], std::to_string(solved.lines.size() - 1));
  std::vector<std::string> play = {"play", "FreeCell", "5", "--shuffled"};
  play.insert(play.end(), solved.lines.begin() + 1, solved.lines.end());
  const Result played = Invoke(play);
  ASSERT_EQ(played.status, kCliOk) << played.err;
  EXPECT_EQ(played.lines.back(), "won");

  EXPECT_EQ(Invoke({"games", "--shuffled"}).status, kCliUsage);
}

TEST(WilsonIntervalTest, KnownValues) {
  const Interval half = WilsonInterval(50, 100);
  EXPECT_NEAR(half.low, 0.4038, 1e-4);
  EXPECT_NEAR(half.high, 0.5962, 1e-4);
  const Interval all = WilsonInterval(10, 10);
  EXPECT_NEAR(all.low, 0.7225, 1e-4);
  EXPECT_DOUBLE_EQ(all.high, 1.0);
  const Interval none = WilsonInterval(0, 0);
  EXPECT_EQ(none.low, 0.0);
  EXPECT_EQ(none.high, 1.0);
}

}  // namespace
}  // namespace cw
