#include "platform/resources/game_resources.h"

#include "engine/database/embedded_resources.h"

namespace cw {

std::optional<std::span<const std::uint8_t>> FindResource(std::string_view type, int id) {
  return EmbeddedGameResources().FindResource(type, id);
}

}  // namespace cw
