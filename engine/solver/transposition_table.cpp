#include "engine/solver/transposition_table.h"

namespace cw {
namespace {

constexpr std::size_t kFirstSlots = std::size_t{1} << 14;

}  // namespace

std::size_t TranspositionTable::Find(std::uint64_t key) const {
  const std::size_t mask = slots_.size() - 1;
  std::size_t slot = static_cast<std::size_t>(key ^ (key >> 32)) & mask;
  while (slots_[slot] != 0 && slots_[slot] != key) slot = (slot + 1) & mask;
  return slot;
}

bool TranspositionTable::Grow() {
  const std::size_t next = slots_.empty() ? kFirstSlots : slots_.size() * 2;
  if (next * sizeof(std::uint64_t) > maxBytes_ && !slots_.empty()) return false;
  std::vector<std::uint64_t> old(next, 0);
  old.swap(slots_);
  for (const std::uint64_t key : old) {
    if (key != 0) slots_[Find(key)] = key;
  }
  return true;
}

TranspositionTable::Insert TranspositionTable::Add(std::uint64_t key) {
  if (key == 0) {
    if (hasZero_) return Insert::kPresent;
    hasZero_ = true;
    return Insert::kAdded;
  }
  // Kept at most half full, so that probes stay short.
  if ((size_ + 1) * 2 > slots_.size() && !Grow()) {
    return Contains(key) ? Insert::kPresent : Insert::kFull;
  }
  const std::size_t slot = Find(key);
  if (slots_[slot] == key) return Insert::kPresent;
  slots_[slot] = key;
  ++size_;
  return Insert::kAdded;
}

bool TranspositionTable::Contains(std::uint64_t key) const {
  if (key == 0) return hasZero_;
  return !slots_.empty() && slots_[Find(key)] == key;
}

}  // namespace cw
