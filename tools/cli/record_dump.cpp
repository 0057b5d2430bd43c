#include "tools/cli/record_dump.h"

#include "engine/database/record_layout.h"
#include "tools/cwdb/disassembler.h"

namespace cw {

bool DumpRecordSource(std::span<const std::uint8_t> record, std::ostream& out, std::string* error) {
  const DecodeResult decoded = DecodeRecord(record);
  if (!decoded.record) {
    if (error) *error = decoded.error;
    return false;
  }
  out << DisassembleRecord(*decoded.record);
  return true;
}

}  // namespace cw
