#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "engine/database/resource_source.h"

namespace cw {

// Inflates the database block up to record `recordIndex` (its catalogue
// position) and answers exactly that record's bytes, or none when a resource
// is missing, the stream is damaged or ends early.
std::optional<std::vector<std::uint8_t>> LoadDefinitionRecord(const ResourceSource& resources,
                                                              std::uint16_t recordIndex);

}  // namespace cw
