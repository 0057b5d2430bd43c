// Where the engine finds its data: the definition database, the catalogue
// arrays and the game names. The program reads them from the resources
// compiled into it; tests and tools may hand in their own.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace cw {

class ResourceSource {
 public:
  virtual ~ResourceSource() = default;

  // The bytes of resource `id` of custom type `type` ("SOLDB", "SOLSIZE",
  // "SOLID", "SOLCAT", "SOLSKILL", "SOLTIME", "SOLACAT"), read in place; none
  // when the resource does not exist.
  virtual std::optional<std::span<const std::uint8_t>> FindResource(std::string_view type,
                                                                    int id) const = 0;

  // String-table entry `id` as UTF-8; none when there is no such entry.
  virtual std::optional<std::string> LoadString(int id) const = 0;
};

// Resource ids of the definition database and the catalogue.
inline constexpr int kResourceSolDbFirst = 3920;
inline constexpr int kResourceSolSize = 3915;
inline constexpr int kResourceSolId = 3910;
inline constexpr int kResourceSolCat = 3911;
inline constexpr int kResourceSolACat = 3912;
inline constexpr int kResourceSolSkill = 3913;
inline constexpr int kResourceSolTime = 3914;
inline constexpr int kGameNameStringFirst = 4000;

}  // namespace cw
