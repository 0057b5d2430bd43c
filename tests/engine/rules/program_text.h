// Writes rule programs for tests in instruction names ("PUSH 1 SUB"), through
// the one instruction table, so a test reads like the program it runs.
#pragma once

#include <cstdint>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "engine/rules/instruction_set.h"

namespace cw::test {

// The program's bytes followed by the zero byte loading appends.
inline std::vector<std::uint8_t> ProgramFromText(std::string_view text) {
  std::vector<std::uint8_t> bytes;
  std::istringstream words{std::string(text)};
  std::string word;
  while (words >> word) {
    const InstructionInfo* info = FindInstruction(std::string_view(word));
    if (info == nullptr) throw std::invalid_argument("unknown instruction " + word);
    bytes.push_back(static_cast<std::uint8_t>(info->opcode));
    if (!info->hasValue) continue;
    int value = -1;
    if (!(words >> value) || value < 0 || value > 255) {
      throw std::invalid_argument("PUSH needs a value from 0 to 255");
    }
    bytes.push_back(static_cast<std::uint8_t>(value));
    bytes.push_back(kPushMarker);
  }
  bytes.push_back(0);
  return bytes;
}

}  // namespace cw::test
