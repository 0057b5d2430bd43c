// The disassembler: prints any decodable record in the game source form, so
// that assembling the text gives back the same bytes.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "engine/database/record_layout.h"

namespace cw {

// The source text of a record. Things are named after their kind and index
// (pile0, program3, ...); a reference that is out of range is printed as its
// number, so damaged records print too.
std::string DisassembleRecord(const DefinitionRecord& record);

// The instructions of one rule program; bytes that form no instruction are
// printed as BYTE, a PUSH whose marker byte is not 1 with `marker`.
std::string DisassembleProgram(std::span<const std::uint8_t> program);

}  // namespace cw
