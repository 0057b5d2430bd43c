// The last stage of the assembler: builds a record from a source's
// statements. A first pass gives every declared name (pile, program, event,
// condition, action, counter) its index and collects the macros; the second
// reads each statement into the record's header and tables.
#pragma once

#include <vector>

#include "engine/database/record_layout.h"
#include "tools/cwdb/source_statements.h"

namespace cw {

// Throws AssemblyFailure at the first statement that cannot be read.
DefinitionRecord BuildRecord(std::vector<Statement> statements);

}  // namespace cw
