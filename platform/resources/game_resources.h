// The game database and catalogue arrays compiled into the program, looked up
// as custom resources by type name and id ("SOLDB" 3920 and up, "SOLSIZE",
// "SOLID", "SOLCAT", "SOLSKILL", "SOLTIME", "SOLACAT").
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace cw {

// The bytes of the resource, read in place; none when it does not exist.
std::optional<std::span<const std::uint8_t>> FindResource(std::string_view type, int id);

}  // namespace cw
