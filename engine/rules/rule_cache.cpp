#include "engine/rules/rule_cache.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <memory>
#include <new>
#include <type_traits>
#include <vector>

#include "engine/model/definition_index.h"
#include "engine/rules/rule_evaluator.h"

namespace cw {
namespace {

struct KeyHasher {
  std::uint64_t hash = 0x243F6A8885A308D3ull;

  void Add(std::uint64_t value) {
    hash = (hash ^ value) * 0x9E3779B97F4A7C15ull;
    hash ^= hash >> 32;
  }
};

// One slot is one word: the key's hash with its lowest bit replaced by the
// answer. Bit 1 of every stored key is set, so that no key reads as the
// empty slot 0. The slot number comes from the key's top bits, so a mistaken
// match needs two keys to agree in their other 47 bits as well.
class AnswerTable {
 public:
  // 4 MiB per thread: a search comes back to the piles of positions met a
  // while ago, whose answers a smaller table had mostly dropped. In Repair,
  // where runs of any length may move and every run is asked about every
  // pile, 1 MiB left searches of ten seconds up to a third slower; searches of
  // other games ran no slower at this size.
  static constexpr std::size_t kSlotBits = 19;

  static std::uint64_t StoredKey(std::uint64_t hash) { return (hash | 2) & ~std::uint64_t{1}; }

  std::uint64_t& SlotOf(std::uint64_t key) { return slots_[key >> (64 - kSlotBits)]; }

 private:
  std::array<std::uint64_t, std::size_t{1} << kSlotBits> slots_;  // zero: see AnswerSlot
};

// Made by calloc, so it must need no constructor or destructor of its own.
static_assert(std::is_trivially_default_constructible_v<AnswerTable> &&
              std::is_trivially_destructible_v<AnswerTable>);

struct FreeAnswerTable {
  void operator()(AnswerTable* table) const { std::free(table); }
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
      entry.hash = HashProgram(program);
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

  std::array<Entry, kEntries> entries_;
};

}  // namespace

void HashedCardList::Rehash() {
  KeyHasher key;
  for (const CardListEntry& entry : entries) key.Add(std::uint64_t{entry.suit} << 32 | entry.rank);
  hash = key.hash;
}

std::uint64_t& AnswerSlot(std::uint64_t question, std::uint64_t& stored) {
  thread_local std::unique_ptr<AnswerTable, FreeAnswerTable> table;
  if (!table) {
    // Zeroed by calloc, not by writing: memory fresh from the system is zero
    // already, so only the pages that questions reach are ever touched. The
    // program's start asks a few hundred questions; writing the whole
    // table would cost it 1,024 page faults.
    table.reset(static_cast<AnswerTable*>(std::calloc(1, sizeof(AnswerTable))));
    if (!table) throw std::bad_alloc();
  }
  stored = AnswerTable::StoredKey(question);
  return table->SlotOf(stored);
}

std::uint64_t SplitPileQuestion(std::uint64_t programHash, const HashedCardList& pile,
                                std::uint32_t place) {
  // Its own starting value keeps these keys apart from those of two lists.
  KeyHasher key{0x5BE0CD19137E2179ull};
  key.Add(programHash);
  key.Add(pile.hash);
  key.Add(place);
  return key.hash;
}

std::uint64_t ListBQuestionPart(std::uint64_t programHash, const HashedCardList& listB) {
  // Its own starting value keeps these keys apart from the others.
  KeyHasher key{0x510E527FADE682D1ull};
  key.Add(programHash);
  key.Add(listB.hash);
  return key.hash;
}

std::uint64_t ListsQuestion(std::uint64_t listBPart, const HashedCardList& listA) {
  KeyHasher key{listBPart};
  key.Add(listA.hash);
  return key.hash;
}

bool EvaluateRuleRemembered(const HashedProgram& program, const HashedCardList& listA,
                            const HashedCardList* listB) {
  // The list hashes cover their lengths. A missing list B counts as hash 0,
  // which a list's hash matches by a chance no greater than any other
  // mistaken match.
  KeyHasher key;
  key.Add(program.hash);
  key.Add(listA.hash);
  key.Add(listB != nullptr ? listB->hash : 0);
  return AnswerRemembered(key.hash, [&] {
    return EvaluateRule(program.bytes, listA.entries, listB != nullptr ? &listB->entries : nullptr);
  });
}

bool EvaluateRuleRemembered(std::span<const std::uint8_t> program, const HashedCardList& listA,
                            const HashedCardList* listB) {
  thread_local ProgramHashes programs;
  return EvaluateRuleRemembered(HashedProgram{program, programs.Of(program)}, listA, listB);
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
