#pragma once

#include <cstdint>
#include <ostream>
#include <span>
#include <string>

namespace cw {

// Prints a record in the source form of resources/games; false, with the
// reason, when the bytes are no valid record.
bool DumpRecordSource(std::span<const std::uint8_t> record, std::ostream& out, std::string* error);

}  // namespace cw
