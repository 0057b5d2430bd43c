// Arbitrary text as a game source: the assembler answers a record or an
// error with its place, never crashes or hangs. Sources that include files
// are skipped so that the target reads nothing from disk.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "tools/cwdb/assembler.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (text.find("include") != std::string_view::npos) return 0;
  const cw::AssembleResult result = cw::AssembleSource(text, "fuzz.cwg", "/nonexistent");
  if (result.record.has_value() == result.error.has_value()) std::abort();
  if (result.record && result.bytes.empty()) std::abort();
  return 0;
}
