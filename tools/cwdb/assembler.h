// The game source assembler: turns a `.cwg` source (and the files it
// includes) into a DefinitionRecord and its stored bytes. The tokens go
// through the preprocessor (source_preprocessor.h) into statements, which
// the record builder (record_builder.h) reads into a record, emitting
// programs and table entries by record_emission.h.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/database/record_layout.h"
#include "tools/cwdb/source_tokens.h"

namespace cw {

struct AssembleResult {
  std::optional<DefinitionRecord> record;
  std::vector<std::uint8_t> bytes;    // the encoded record, empty on failure
  std::optional<SourceError> error;  // set exactly when record is none
};

// Assembles the source held in `text`; `file` names it in messages and
// `include` statements are resolved against `includeDirectory`.
AssembleResult AssembleSource(std::string_view text, const std::string& file,
                              const std::filesystem::path& includeDirectory);

// Reads and assembles one source file; includes are resolved against the
// file's own directory.
AssembleResult AssembleFile(const std::filesystem::path& path);

}  // namespace cw
