#include "engine/rules/rule_cache.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <vector>

#include "engine/rules/rule_evaluator.h"

namespace cw {
namespace {

constexpr std::size_t kSlotBits = 15;
constexpr std::size_t kSlotCount = std::size_t{1} << kSlotBits;

struct Slot {
  std::uint64_t hash = 0;
  std::uint64_t sizes = 0;  // 0 marks an empty slot; stored values are odd
  bool passes = false;
};

// A 64-bit hash of the program and both lists, with their lengths kept apart
// as a second check: a mistaken match is far less likely than a hardware
// fault.
struct KeyHasher {
  std::uint64_t hash = 0x243F6A8885A308D3ull;

  void Add(std::uint64_t value) {
    hash = (hash ^ value) * 0x9E3779B97F4A7C15ull;
    hash ^= hash >> 32;
  }
};

// The hash of a program's bytes, remembered by address. A remembered hash is
// used only when a stored copy of the bytes still equals the program, which
// a block compare checks far faster than hashing the bytes again.
class ProgramHashes {
 public:
  std::uint64_t Of(std::span<const std::uint8_t> program) {
    Entry& entry = entries_[(reinterpret_cast<std::uintptr_t>(program.data()) >> 3) % kEntries];
    if (entry.address != program.data() || entry.bytes.size() != program.size() ||
        !std::equal(program.begin(), program.end(), entry.bytes.begin())) {
      entry.address = program.data();
      entry.bytes.assign(program.begin(), program.end());
      entry.hash = Hash(program);
    }
    return entry.hash;
  }

 private:
  static constexpr std::size_t kEntries = 256;
  struct Entry {
    const std::uint8_t* address = nullptr;
    std::vector<std::uint8_t> bytes;
    std::uint64_t hash = 0;
  };

  static std::uint64_t Hash(std::span<const std::uint8_t> program) {
    KeyHasher key;
    key.Add(program.size());
    std::size_t at = 0;
    for (; at + 8 <= program.size(); at += 8) {
      std::uint64_t chunk = 0;
      std::memcpy(&chunk, program.data() + at, 8);
      key.Add(chunk);
    }
    for (; at < program.size(); ++at) key.Add(0x100u | program[at]);
    return key.hash;
  }

  std::array<Entry, kEntries> entries_;
};

}  // namespace

void HashedCardList::Rehash() {
  KeyHasher key;
  for (const CardListEntry& entry : entries) key.Add(std::uint64_t{entry.suit} << 32 | entry.rank);
  hash = key.hash;
}

bool EvaluateRuleRemembered(std::span<const std::uint8_t> program, const HashedCardList& listA,
                            const HashedCardList* listB) {
  thread_local std::unique_ptr<std::array<Slot, kSlotCount>> table;
  if (!table) table = std::make_unique<std::array<Slot, kSlotCount>>();

  thread_local ProgramHashes programs;
  KeyHasher key;
  key.Add(programs.Of(program));
  key.Add(listA.hash);
  if (listB != nullptr) key.Add(listB->hash);
  const std::size_t sizeA = listA.entries.size();
  const std::uint64_t sizes =
      std::uint64_t{program.size()} << 32 | std::uint64_t{sizeA & 0x7FFF} << 17 |
      (listB != nullptr ? (listB->entries.size() & 0x7FFF) << 2 | 2 : 0) | 1;

  Slot& slot = (*table)[key.hash >> (64 - kSlotBits)];
  if (slot.hash == key.hash && slot.sizes == sizes) return slot.passes;
  const bool passes =
      EvaluateRule(program, listA.entries, listB != nullptr ? &listB->entries : nullptr);
  slot = {key.hash, sizes, passes};
  return passes;
}

bool EvaluateRuleRemembered(std::span<const std::uint8_t> program, const CardList& listA,
                            const CardList* listB) {
  HashedCardList a{listA, 0};
  a.Rehash();
  if (listB == nullptr) return EvaluateRuleRemembered(program, a, nullptr);
  HashedCardList b{*listB, 0};
  b.Rehash();
  return EvaluateRuleRemembered(program, a, &b);
}

}  // namespace cw
