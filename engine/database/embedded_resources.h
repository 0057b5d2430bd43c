#pragma once

#include "engine/database/resource_source.h"

namespace cw {

// The definition database, the catalogue arrays and the game names compiled
// into the program from resources/games by cwdb.
const ResourceSource& EmbeddedGameResources();

}  // namespace cw
