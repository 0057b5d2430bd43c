// The rule language: one table that the evaluator, the assembler and the
// disassembler all read. Every instruction is one opcode byte, except PUSH,
// which is followed by its value byte and a marker byte that must be 1 (the
// backward LOOP scan relies on it). A zero byte ends a program; opcodes
// outside 1..29 are ignored by the evaluator.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace cw {

enum class Opcode : std::uint8_t {
  kPush = 1,        // push the value byte
  kBegin = 2,       // marks the start of a block
  kEnd = 3,         // marks the end of a block
  kDo = 4,          // marks the start of a loop
  kLoop = 5,        // jump back to the matching DO
  kAdd = 6,         // second += top, pop
  kSub = 7,         // second -= top, pop
  kMul = 8,         // second *= top, pop
  kDiv = 9,         // second /= top (truncating), pop
  kAbs = 10,        // top = |top|
  kDup = 11,        // push a copy of top
  kParity = 12,     // top = top % 2, sign of top
  kDrop = 13,       // pop
  kSink = 14,       // move top under the bottom entry
  kRaise = 15,      // move the bottom entry to the top
  kSwap = 16,       // exchange top and second
  kSave2 = 17,      // pop var; var := (top, second)
  kSaveFrame = 18,  // pop var; if top is 0: var := entries down to the next 0
  kBreak = 19,      // skip past the LOOP closing this loop
  kEndIf = 20,      // marks the end of an IF
  kElse = 21,       // skip past the matching ENDIF
  kIf = 22,         // pop; non-zero skips to after ELSE or ENDIF
  kNext = 23,       // advance the current list's cursor
  kLoad = 24,       // pop var; push its entries back in saved order
  kRank = 25,       // push the rank under the current cursor
  kReset = 26,      // current cursor := 0
  kLeave = 27,      // skip past the next END; BEGIN or program end stops
  kSuit = 28,       // push the suit under the current cursor
  kOther = 29,      // switch the current list
};

inline constexpr std::uint8_t kFirstOpcode = 1;
inline constexpr std::uint8_t kLastOpcode = 29;
inline constexpr std::uint8_t kPushMarker = 1;

struct InstructionInfo {
  Opcode opcode;
  std::string_view name;
  bool hasValue;  // PUSH only: one value byte and the marker byte follow
};

// Bytes an instruction takes in a program, its opcode byte included.
constexpr std::size_t InstructionLength(const InstructionInfo& info) { return info.hasValue ? 3 : 1; }

inline constexpr std::array<InstructionInfo, kLastOpcode> kInstructions = {{
    {Opcode::kPush, "PUSH", true},       {Opcode::kBegin, "BEGIN", false},
    {Opcode::kEnd, "END", false},        {Opcode::kDo, "DO", false},
    {Opcode::kLoop, "LOOP", false},      {Opcode::kAdd, "ADD", false},
    {Opcode::kSub, "SUB", false},        {Opcode::kMul, "MUL", false},
    {Opcode::kDiv, "DIV", false},        {Opcode::kAbs, "ABS", false},
    {Opcode::kDup, "DUP", false},        {Opcode::kParity, "PARITY", false},
    {Opcode::kDrop, "DROP", false},      {Opcode::kSink, "SINK", false},
    {Opcode::kRaise, "RAISE", false},    {Opcode::kSwap, "SWAP", false},
    {Opcode::kSave2, "SAVE2", false},    {Opcode::kSaveFrame, "SAVEFRAME", false},
    {Opcode::kBreak, "BREAK", false},    {Opcode::kEndIf, "ENDIF", false},
    {Opcode::kElse, "ELSE", false},      {Opcode::kIf, "IF", false},
    {Opcode::kNext, "NEXT", false},      {Opcode::kLoad, "LOAD", false},
    {Opcode::kRank, "RANK", false},      {Opcode::kReset, "RESET", false},
    {Opcode::kLeave, "LEAVE", false},    {Opcode::kSuit, "SUIT", false},
    {Opcode::kOther, "OTHER", false},
}};

// The table entry of an opcode byte, none for bytes that are no instruction.
constexpr const InstructionInfo* FindInstruction(std::uint8_t byte) {
  if (byte < kFirstOpcode || byte > kLastOpcode) return nullptr;
  return &kInstructions[byte - kFirstOpcode];
}

constexpr bool InstructionTableFollowsOpcodes() {
  for (std::size_t i = 0; i < kInstructions.size(); ++i) {
    if (static_cast<std::size_t>(kInstructions[i].opcode) != kFirstOpcode + i) return false;
  }
  return true;
}
static_assert(InstructionTableFollowsOpcodes(), "kInstructions must list the opcodes in order");
static_assert(static_cast<std::uint8_t>(Opcode::kOther) == kLastOpcode, "kLastOpcode must be the last opcode");

inline constexpr std::size_t kPushLength = InstructionLength(*FindInstruction(static_cast<std::uint8_t>(Opcode::kPush)));

constexpr const InstructionInfo* FindInstruction(std::string_view name) {
  for (const auto& info : kInstructions) {
    if (info.name == name) return &info;
  }
  return nullptr;
}

}  // namespace cw
