#include "tools/cli/cli.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <sstream>

#include "engine/database/embedded_resources.h"

namespace cw {
namespace {

struct Result {
  int status = 0;
  std::string out;
  std::string err;
};

Result Invoke(std::vector<std::string> args) {
  std::ostringstream out;
  std::ostringstream err;
  Result result;
  result.status = RunCli(args, EmbeddedGameResources(), out, err);
  result.out = out.str();
  result.err = err.str();
  return result;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::vector<std::string> With(std::vector<std::string> base, const std::vector<std::string>& more) {
  base.insert(base.end(), more.begin(), more.end());
  return base;
}

const std::vector<std::string> kSevenByFive = {"Seven by Five", "1"};

TEST(CliGames, ListsTheCatalogueInOrderWithTabSeparatedFields) {
  const Result result = Invoke({"games"});
  ASSERT_EQ(result.status, kCliOk) << result.err;
  const auto lines = Lines(result.out);
  ASSERT_EQ(lines.size(), 20u);
  EXPECT_EQ(lines[0].substr(0, 12), "0\t562\tAntare");
  EXPECT_NE(lines[17].find("17\t326\tSeven by Five\t6\t2\t1\t1934"), std::string::npos) << lines[17];
  EXPECT_EQ(lines[19].substr(0, 11), "19\t437\tTowe");
}

TEST(CliDeal, SevenByFiveNumberOneIsTheReferenceDeal) {
  const Result result = Invoke({"deal", "Seven by Five", "1"});
  ASSERT_EQ(result.status, kCliOk) << result.err;
  const auto lines = Lines(result.out);
  ASSERT_EQ(lines.size(), 16u);
  EXPECT_EQ(lines[0], "pile 0: QC JH KS 5H 4H 4C 6H AS");
  EXPECT_EQ(lines[1], "pile 1: 3H 9H 7C 5C JS 2H 8H 4S");
  EXPECT_EQ(lines[2], "pile 2: QD 2D 5S 10C 7H AH 8C 10H");
  EXPECT_EQ(lines[3], "pile 3: JD 9D JC 8D 7D 6S KC");
  EXPECT_EQ(lines[4], "pile 4: AC 8S 7S 9S KH 5D 10S");
  EXPECT_EQ(lines[5], "pile 5: 3C QH 10D 3S AD KD 6D");
  EXPECT_EQ(lines[6], "pile 6: 6C 4D 2S QS 3D 9C 2C");
  EXPECT_EQ(lines[7], "pile 7: ");
  // A position names the same game as its name, in any letter case.
  EXPECT_EQ(Invoke({"deal", "17", "1"}).out, result.out);
  EXPECT_EQ(Invoke({"deal", "seven BY five", "1"}).out, result.out);
  EXPECT_EQ(Invoke({"deal", "Seven by Five", "0x1"}).out, result.out);
}

TEST(CliDeal, LargestNumbersDeal) {
  for (const char* number : {"4294967295", "0xFFFFFFFF", "4294967294"}) {
    const Result result = Invoke({"deal", "Seven by Five", number});
    EXPECT_EQ(result.status, kCliOk) << number << ": " << result.err;
    EXPECT_EQ(Lines(result.out).size(), 16u);
  }
  EXPECT_EQ(Invoke({"deal", "Seven by Five", "4294967295"}).out, Invoke({"deal", "Seven by Five", "0xffffffff"}).out);
}

TEST(CliErrors, AreOneLineOnStandardErrorAndANonZeroStatus) {
  struct Case {
    std::vector<std::string> args;
    int status;
  };
  const std::vector<Case> cases = {
      {{"deal", "Solitaire Deluxe", "1"}, kCliUsage},
      {{"deal", "Seven by Five", "12x"}, kCliUsage},
      {{"deal", "Seven by Five", "4294967296"}, kCliUsage},
      {{"deal", "Seven by Five", "-1"}, kCliUsage},
      {{"play", "Seven by Five", "1", "0-12"}, kCliUsage},
      {{"play", "Seven by Five", "1", "tap:x"}, kCliUsage},
      {{"play", "Seven by Five", "1", "99999999:1"}, kCliUsage},
      {{"play", "Seven by Five", "1", "3:0"}, kCliRefused},    // 4S onto AS
      {{"play", "Seven by Five", "1", "900:3"}, kCliRefused},  // no such card
      {{"play", "Seven by Five", "1", "0:99"}, kCliRefused},   // no such pile
      {{"play", "Seven by Five", "1", "undo"}, kCliRefused},
      {{"play", "Seven by Five", "1", "tap:0"}, kCliRefused},
      {{"frobnicate"}, kCliUsage},
  };
  for (const Case& c : cases) {
    const Result result = Invoke(c.args);
    EXPECT_EQ(result.status, c.status) << c.args.back();
    if (c.args[0] != "frobnicate") {
      EXPECT_EQ(Lines(result.err).size(), 1u) << result.err;
      EXPECT_TRUE(result.out.empty());
    }
  }
  EXPECT_NE(Invoke({"play", "Seven by Five", "1", "3:0"}).err.find("3:0"), std::string::npos);
}

std::vector<std::string> MovesAfter(const std::vector<std::string>& played) {
  const Result result = Invoke(With(With({"moves"}, kSevenByFive), played));
  EXPECT_EQ(result.status, kCliOk) << result.err;
  return Lines(result.out);
}

TEST(CliMoves, ListedMovesAreAcceptedAndEveryOtherSingleCardDropIsRefused) {
  // AS (card 0) lies on top of pile 0 in deal 1; after it goes home the
  // listed moves change, which checks the listing after moves too.
  for (const std::vector<std::string>& played : {std::vector<std::string>{}, {"0:12"}, {"0:12", "14:7"}}) {
    const auto listed = MovesAfter(played);
    ASSERT_FALSE(listed.empty());
    const std::set<std::string> legal(listed.begin(), listed.end());
    for (const auto& move : listed) {
      const Result result = Invoke(With(With({"play"}, kSevenByFive), With(played, {move})));
      EXPECT_EQ(result.status, kCliOk) << move << ": " << result.err;
    }
    for (int card = 0; card < 52; ++card) {
      for (int pile = 0; pile < 16; ++pile) {
        const std::string move = std::to_string(card) + ":" + std::to_string(pile);
        if (legal.count(move)) continue;
        const Result result = Invoke(With(With({"play"}, kSevenByFive), With(played, {move})));
        EXPECT_EQ(result.status, kCliRefused) << move;
      }
    }
  }
}

TEST(CliPlay, TakingLegalMovesEndsWonOrWithoutAMoveAndReportsIt) {
  std::mt19937 rng(3);
  for (const char* number : {"1", "2"}) {
    std::vector<std::string> played;
    for (int step = 0; step < 120; ++step) {
      const auto listed = Lines(Invoke(With({"moves", "Seven by Five", number}, played)).out);
      if (listed.empty()) break;
      // Prefer moves home, else any listed move.
      std::string pick = listed[rng() % listed.size()];
      for (const auto& move : listed) {
        if (move.rfind("tap", 0) != 0 && std::stoi(move.substr(move.find(':') + 1)) >= 12) {
          pick = move;
          break;
        }
      }
      played.push_back(pick);
      const Result result = Invoke(With({"play", "Seven by Five", number}, played));
      ASSERT_EQ(result.status, kCliOk) << pick << ": " << result.err;
      if (Lines(result.out).back() == "won") break;
    }
    const auto lines = Lines(Invoke(With({"play", "Seven by Five", number}, played)).out);
    bool tableauAndCellsEmpty = true;
    for (int pile = 0; pile < 12; ++pile) {
      tableauAndCellsEmpty &= lines[static_cast<std::size_t>(pile)] == "pile " + std::to_string(pile) + ": ";
    }
    EXPECT_EQ(lines.back() == "won", tableauAndCellsEmpty) << number;
  }
}

TEST(CliPlay, UndoGivesBackExactlyTheEarlierTable) {
  const std::vector<std::string> base = {"play", "Seven by Five", "1"};
  std::vector<std::string> played;
  for (int step = 0; step < 12; ++step) {
    const auto listed = MovesAfter(played);
    if (listed.empty()) break;
    played.push_back(listed[static_cast<std::size_t>(step) % listed.size()]);
  }
  ASSERT_GE(played.size(), 4u);
  for (std::size_t cut = 1; cut < played.size(); ++cut) {
    const std::vector<std::string> prefix(played.begin(), played.begin() + static_cast<std::ptrdiff_t>(cut));
    std::vector<std::string> undone = prefix;
    undone.insert(undone.end(), played.begin() + static_cast<std::ptrdiff_t>(cut), played.end());
    for (std::size_t i = cut; i < played.size(); ++i) undone.push_back("undo");
    const Result expected = Invoke(With(With(base, prefix), {"--json"}));
    const Result actual = Invoke(With(With(base, undone), {"--json"}));
    ASSERT_EQ(actual.status, kCliOk) << actual.err;
    EXPECT_EQ(actual.out, expected.out) << "undoing back to move " << cut;
  }
}

TEST(CliPlay, RedoMakesUndoneMovesAgainUntilANewMove) {
  // Games by catalogue position, so that several kinds of table (stocks and
  // their taps among them) take part.
  for (const char* gameAt : {"0", "4", "9", "13", "17"}) {
    for (const char* number : {"5", "812"}) {
      const std::vector<std::string> base = {"play", gameAt, number};
      std::vector<std::string> played;
      for (int step = 0; step < 10; ++step) {
        const auto listed = Lines(Invoke(With({"moves", gameAt, number}, played)).out);
        if (listed.empty()) break;
        played.push_back(listed[static_cast<std::size_t>(step * 7) % listed.size()]);
      }
      SCOPED_TRACE(std::string("game ") + gameAt + " deal " + number);
      ASSERT_GE(played.size(), 3u);
      const Result expected = Invoke(With(With(base, played), {"--json"}));
      ASSERT_EQ(expected.status, kCliOk) << expected.err;
      for (std::size_t k = 1; k <= played.size(); k += 2) {
        std::vector<std::string> redone = played;
        for (std::size_t i = 0; i < k; ++i) redone.push_back("undo");
        for (std::size_t i = 0; i < k; ++i) redone.push_back("redo");
        const Result actual = Invoke(With(With(base, redone), {"--json"}));
        ASSERT_EQ(actual.status, kCliOk) << actual.err;
        EXPECT_EQ(actual.out, expected.out) << "undo and redo of " << k << " moves";

        const Result tooMany = Invoke(With(With(base, redone), {"redo"}));
        EXPECT_EQ(tooMany.status, kCliRefused);
        EXPECT_NE(tooMany.err.find("'redo'"), std::string::npos) << tooMany.err;
        EXPECT_EQ(Lines(tooMany.err).size(), 1u);
      }
      // A move made after an undo ends the redo.
      std::vector<std::string> replaced = played;
      replaced.push_back("undo");
      replaced.push_back(played.back());
      EXPECT_EQ(Invoke(With(With(base, replaced), {"redo"})).status, kCliRefused);
    }
  }
  EXPECT_EQ(Invoke({"play", "Seven by Five", "1", "redo"}).status, kCliRefused);
}

TEST(CliJson, ReportsPilesWonJournalAndMoves) {
  const Result result = Invoke({"play", "Seven by Five", "1", "0:12", "--json"});
  ASSERT_EQ(result.status, kCliOk) << result.err;
  const std::string& json = result.out;
  EXPECT_EQ(json.front(), '{');
  EXPECT_NE(json.find("\"won\":false"), std::string::npos);
  EXPECT_NE(json.find("\"journalLength\":"), std::string::npos);
  EXPECT_EQ(json.find("\"journalLength\":0"), std::string::npos);
  EXPECT_NE(json.find("{\"pile\":12,\"cards\":[{\"card\":0,\"suit\":1,\"rank\":1,\"faceUp\":true}]}"),
            std::string::npos);
  EXPECT_NE(json.find("\"moves\":[\""), std::string::npos);
}

}  // namespace
}  // namespace cw
