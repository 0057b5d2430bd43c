#include "tools/cwdb/record_emission.h"

#include "engine/rules/instruction_set.h"

namespace cw {
namespace {

constexpr std::size_t kMaxProgramBytes = 32767;
// Program words read in one source, macro expansions included: far above any
// game, low enough that nested macros cannot keep the assembler busy for long.
constexpr std::size_t kMaxEmittedTokens = std::size_t{1} << 20;

}  // namespace

std::vector<std::uint8_t> ProgramEmitter::Emit(const std::vector<Token>& body, const Token& keyword) {
  std::vector<std::uint8_t> bytes;
  EmitWords(body, bytes, 0);
  if (bytes.size() > kMaxProgramBytes) {
    Fail(keyword, "program is " + std::to_string(bytes.size()) + " bytes long; at most 32767 fit");
  }
  return bytes;
}

void ProgramEmitter::EmitWords(const std::vector<Token>& tokens, std::vector<std::uint8_t>& out, int depth) {
  for (std::size_t i = 0; i < tokens.size();) {
    const Token& token = tokens[i++];
    if (token.kind != TokenKind::kWord) Fail(token, "expected an instruction, found " + Describe(token));
    if (out.size() > kMaxProgramBytes) Fail(token, "program is longer than 32767 bytes");
    if (++emittedTokens_ > kMaxEmittedTokens) Fail(token, "macros expand to too many instructions");
    const auto byteOperand = [&](std::string_view what) -> std::uint8_t {
      if (i >= tokens.size()) Fail(token, std::string(what) + " is missing after " + token.text);
      return byteOperand_(tokens[i++], what);
    };
    if (token.text == "BYTE") {
      out.push_back(byteOperand("a byte value"));
      continue;
    }
    if (const InstructionInfo* info = FindInstruction(token.text)) {
      out.push_back(static_cast<std::uint8_t>(info->opcode));
      if (!info->hasValue) continue;
      out.push_back(byteOperand("the value"));
      std::uint8_t marker = kPushMarker;
      if (i < tokens.size() && tokens[i].kind == TokenKind::kWord && tokens[i].text == "marker") {
        ++i;
        marker = byteOperand("the marker byte");
      }
      out.push_back(marker);
      continue;
    }
    const std::vector<Token> expansion = macros_.Expand(token, tokens, i, depth);
    try {
      EmitWords(expansion, out, depth + 1);
    } catch (AssemblyFailure& failure) {
      failure.error.message +=
          " (in macro '" + token.text + "' used at " + token.file + ":" + std::to_string(token.line) + ")";
      throw;
    }
  }
}

}  // namespace cw
