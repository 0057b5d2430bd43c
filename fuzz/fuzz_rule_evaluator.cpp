// Arbitrary bytes as a rule program over two card lists. The evaluator must
// answer, never crash, hang or leak, whatever the program does.
//
// Input: byte 0 gives list A (low five bits: entry count; bit 6: leave off
// the end entry), byte 1 list B likewise (bit 7: no list B at all); then two
// bytes (suit, rank) per entry of A and of B; the rest is the program.
#include <cstddef>
#include <cstdint>
#include <span>

#include "engine/rules/rule_evaluator.h"

namespace {

constexpr std::uint8_t kCountMask = 0x1F;
constexpr std::uint8_t kNoEndEntry = 0x40;
constexpr std::uint8_t kNoList = 0x80;

cw::CardList TakeList(std::uint8_t shape, std::span<const std::uint8_t>& bytes) {
  cw::CardList list;
  for (int i = 0; i < (shape & kCountMask) && bytes.size() >= 2; ++i) {
    list.push_back({bytes[0], bytes[1]});
    bytes = bytes.subspan(2);
  }
  if ((shape & kNoEndEntry) == 0) list.emplace_back();
  return list;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::uint8_t specA = data[0];
  const std::uint8_t specB = data[1];
  std::span<const std::uint8_t> bytes(data + 2, size - 2);
  const cw::CardList listA = TakeList(specA, bytes);
  const cw::CardList listB = TakeList(specB, bytes);
  cw::EvaluateRule(bytes, listA, (specB & kNoList) != 0 ? nullptr : &listB);
  return 0;
}
