// The assembler's text stage on its own: the statements a source becomes,
// and what a macro use stands for.
#include "tools/cwdb/source_preprocessor.h"

#include <gtest/gtest.h>

#include <string>

namespace cw {
namespace {

std::vector<Token> Tokens(std::string_view text) {
  TokenizeResult result = Tokenize(text, "test.cwg");
  EXPECT_FALSE(result.error.has_value());
  return result.tokens;
}

// Each statement as its words joined by spaces.
std::vector<std::string> Lines(std::string_view text) {
  std::vector<std::string> lines;
  for (const Statement& statement : PreprocessSource(Tokens(text), ".")) {
    std::string line;
    for (const Token& token : statement.tokens) {
      line += (line.empty() ? "" : " ") + (token.kind == TokenKind::kNumber ? std::to_string(token.number) : token.text);
    }
    lines.push_back(line);
  }
  return lines;
}

std::string FailureOf(const auto& run) {
  try {
    run();
  } catch (const AssemblyFailure& failure) {
    return failure.error.ToString();
  }
  return "(no failure)";
}

TEST(SourcePreprocessor, RepeatsPasteTheirValuesAndArithmeticIsWorkedOut) {
  EXPECT_EQ(Lines("name \"x\"\nrepeat c in 1..2 {\n  pile column$c { x [$c*20-5] }\n}\nroute column1 column2\n"),
            (std::vector<std::string>{"name x", "pile column1 { x 15 }", "pile column2 { x 35 }",
                                      "route column1 column2"}));
  EXPECT_EQ(Lines("repeat a b in (p 1)\n  (q 2) { flip $a $b }\n"),
            (std::vector<std::string>{"flip p 1", "flip q 2"}));
}

TEST(SourcePreprocessor, MistakesAreReportedWhereTheyStand) {
  EXPECT_EQ(FailureOf([] { PreprocessSource(Tokens("pile a {\n"), "."); }),
            "test.cwg:1: unterminated block: this '{' is never closed");
  EXPECT_EQ(FailureOf([] { PreprocessSource(Tokens("\npile $c\n"), "."); }),
            "test.cwg:2: '$c' uses a variable that no repeat around it defines");
  EXPECT_EQ(FailureOf([] { PreprocessSource(Tokens("x [1/0]\n"), "."); }), "test.cwg:1: division by zero in [1/0]");
}

TEST(ProgramMacros, AUseStandsForTheBodyWithItsArguments) {
  ProgramMacros macros;
  for (const Statement& statement : PreprocessSource(Tokens("macro TWICE(v) { v v DUP }\nmacro ONE { PUSH 1 }\n"), ".")) {
    macros.Define(statement);
  }
  const std::vector<Token> words = Tokens("TWICE(PUSH 3) ONE");
  std::size_t i = 1;
  const std::vector<Token> expansion = macros.Expand(words[0], words, i, 0);
  std::string text;
  for (const Token& token : expansion) text += token.text + " ";
  EXPECT_EQ(text, "PUSH 3 PUSH 3 DUP ");
  EXPECT_EQ(words[i].text, "ONE");
  std::size_t j = 1;
  EXPECT_EQ(FailureOf([&] { macros.Expand(words[0], words, j, 32); }),
            "test.cwg:1: macros nest too deeply (does 'TWICE' use itself?)");
  const std::vector<Token> bare = Tokens("TWICE");
  std::size_t k = 1;
  EXPECT_EQ(FailureOf([&] { macros.Expand(bare[0], bare, k, 0); }),
            "test.cwg:1: macro 'TWICE' takes 1 argument(s), given 0");
}

}  // namespace
}  // namespace cw
