// A set of 64-bit position keys with open addressing that grows by doubling
// up to a memory budget. Key 0 is stored apart, so the empty slot needs no
// flag.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace cw {

class TranspositionTable {
 public:
  explicit TranspositionTable(std::size_t maxBytes) : maxBytes_(maxBytes) {}

  enum class Insert { kAdded, kPresent, kFull };

  Insert Add(std::uint64_t key);
  bool Contains(std::uint64_t key) const;
  std::size_t Size() const { return size_ + (hasZero_ ? 1 : 0); }
  std::size_t Bytes() const { return slots_.size() * sizeof(std::uint64_t); }

 private:
  bool Grow();
  std::size_t Find(std::uint64_t key) const;  // the slot holding key or the empty slot for it

  std::vector<std::uint64_t> slots_;
  std::size_t size_ = 0;
  std::size_t maxBytes_;
  bool hasZero_ = false;
};

}  // namespace cw
