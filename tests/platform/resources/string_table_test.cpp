#include "platform/resources/string_table.h"

#include <gtest/gtest.h>

#include <QFile>
#include <utility>
#include <vector>

namespace cw {
namespace {

// Every entry the program uses, with its exact text.
const std::vector<std::pair<int, QString>>& ExpectedStrings() {
  static const std::vector<std::pair<int, QString>> strings = {
      {1, "TW Tarrow"},
      {110, "Sorry…"},
      {111, "You lose.\nPlease tap \"New Game\" to start a new deal, \"Restart\" to try again with "
            "the same deal or \"Undo\" to cancel the previous move."},
      {113, "<b>Timed Game</b><br>Check this option to limit your game time.<br><br><b>Time "
            "Limit</b><br>If <b>Timed Game</b> option is checked this is the maximum time you can "
            "play the solitaire.<br><br><b>Winnable deals only</b><br>Check this option to be dealt only "
            "games that can be won."},
      {115, "Game Rules"},
      {116, "About"},
      {117, "Statistics"},
      {200, "OK"},
      {201, "Cancel"},
      {202, "Close"},
      {203, "Restart"},
      {3000, "No Undo"},
      {3001, "Undo not available."},
      {3002, "Sorry…"},
      {3003, "Your time is up.\nPlease tap \"New Game\" to start a new deal or \"Restart\" to try "
             "again with the same deal."},
      {3004, "Confirmation"},
      {3005, "Are you sure you want to clear best times for the current solitaire?"},
      {3011, "Options"},
      {3012, "Game"},
      {3013, "Interface"},
      {3014, "Best Times"},
      {3015, "Congratulations!"},
      {3018, "Are you sure you want to clear statistics for the current solitaire?"},
      {3019, "The saved settings could not be read and were set aside as %1.\nThe program starts with fresh "
             "settings."},
      {3020, "%1 #%2"},
      {3021, "Select Deal"},
      {3022, "Please enter the number of the deal to play (1 to 4294967295):"},
      {3023, "Thinking…"},
      {3024, "Looking for a way to win…\n%1 positions tried."},
      {3025, "Looking for a deal that can be won…"},
      {3026, "Can This Game Be Won?"},
      {3027, "Yes: this game can still be won."},
      {3028, "No: this game cannot be won any more."},
      {3029, "No: this game cannot be won any more.\nUndo the last move to get back to a game that can be won."},
      {3030, "No: this game cannot be won any more.\nUndo the last %1 moves to get back to a game that can be "
             "won."},
      {3031, "No answer was found in the time allowed."},
      {3032, "Show Winning Move"},
      {3033, "There is no winning move: this game cannot be won any more."},
      {3034, "Winnable Deals"},
      {3035, "No deal that can surely be won was found in time, so this is an ordinary deal."},
      {5001, "Select Solitaire"},
      {5002, "No matching solitaire"},
      {40000, "Exit"},
      {40001, "Help"},
      {40002, "Undo"},
      {40003, "Show Next Move"},
      {40004, "Menu"},
      {40005, "New Game"},
      {40006, "Restart Game"},
      {40007, "Options…"},
      {40009, "Show Best Times…"},
      {40010, "Clear"},
      {40011, "About…"},
      {40013, "Play"},
      {40014, "Select Solitaire…"},
      {40018, "Show Statistics…"},
      {40019, "Redo"},
      {40020, "Select Deal…"},
      {40021, "Can This Game Be Won?"},
      {40022, "Show Winning Move"},
  };
  return strings;
}

TEST(StringTable, HoldsEveryEntryWithItsExactText) {
  for (const auto& [id, text] : ExpectedStrings()) EXPECT_EQ(LoadString(id), text) << id;
}

TEST(StringTable, InterfaceHelpUsesOnlyBoldAndLineBreaks) {
  const QString help = LoadString(114);
  for (const char* option : {"Play Cards", "Card Back", "Background", "Animation", "Show Timer",
                             "Softkey Menu", "Mark Drop Targets"}) {
    EXPECT_TRUE(help.contains(QStringLiteral("<b>%1</b>").arg(option))) << option;
  }
  QString rest = help;
  for (const char* tag : {"<b>", "</b>", "<br>"}) rest.remove(QString::fromLatin1(tag));
  EXPECT_FALSE(rest.contains('<'));
  EXPECT_FALSE(rest.contains('>'));
}

TEST(StringTable, SourceHasNoEntryBeyondTheKnownOnes) {
  QFile file(QStringLiteral(":/cw/strings/strings.tsv"));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const auto table = ParseStringTable(file.readAll());
  ASSERT_TRUE(table.has_value());
  EXPECT_EQ(table->size(), static_cast<qsizetype>(ExpectedStrings().size()) + 1);  // and 114
}

TEST(StringTable, MissingEntryIsEmpty) {
  EXPECT_TRUE(LoadString(0).isEmpty());
  EXPECT_TRUE(LoadString(2).isEmpty());
  EXPECT_TRUE(LoadString(-1).isEmpty());
  EXPECT_TRUE(LoadString(39999).isEmpty());
}

TEST(StringTableSource, ReadsEscapesCommentsAndLineEndings) {
  const auto table = ParseStringTable(
      "# comment\n\n7\tone\\ntwo\r\n8\ta\\tb\\\\c\n9\t\n10\tlast without newline");
  ASSERT_TRUE(table.has_value());
  EXPECT_EQ(table->size(), 4);
  EXPECT_EQ(table->value(7), QStringLiteral("one\ntwo"));
  EXPECT_EQ(table->value(8), QStringLiteral("a\tb\\c"));
  EXPECT_EQ(table->value(9), QString());
  EXPECT_TRUE(table->contains(9));
  EXPECT_EQ(table->value(10), QStringLiteral("last without newline"));
  EXPECT_EQ(ParseStringTable("5\tSorry…")->value(5), QString::fromUtf8("Sorry\u2026"));
}

TEST(StringTableSource, RejectsMalformedLinesNamingThem) {
  for (const char* bad : {"1 no tab", "x\ttext", "-1\ttext", "65536\ttext", "\ttext",
                          "1\tbad \\q escape", "1\ttrailing \\"}) {
    QString error;
    EXPECT_FALSE(ParseStringTable(QByteArray("# ok\n") + bad, &error).has_value()) << bad;
    EXPECT_TRUE(error.startsWith(QStringLiteral("line 2"))) << bad << ": " << error.toStdString();
  }
  QString error;
  EXPECT_FALSE(ParseStringTable("3\ta\n3\tb", &error).has_value());
  EXPECT_TRUE(error.contains(QStringLiteral("twice")));
}

}  // namespace
}  // namespace cw
