// Arbitrary bytes as a game record: whenever they decode, the record's
// source text must assemble back to exactly the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

#include "engine/database/record_layout.h"
#include "tools/cwdb/assembler.h"
#include "tools/cwdb/disassembler.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  const cw::DecodeResult decoded = cw::DecodeRecord(bytes);
  if (!decoded.record) return 0;
  const std::string text = cw::DisassembleRecord(*decoded.record);
  const cw::AssembleResult again = cw::AssembleSource(text, "disassembly", ".");
  if (again.error) {
    std::fprintf(stderr, "disassembly does not assemble: %s\n%s\n", again.error->ToString().c_str(), text.c_str());
    std::abort();
  }
  if (again.bytes != std::vector<std::uint8_t>(bytes.begin(), bytes.end())) {
    std::fprintf(stderr, "disassembly assembles to other bytes:\n%s\n", text.c_str());
    std::abort();
  }
  return 0;
}
