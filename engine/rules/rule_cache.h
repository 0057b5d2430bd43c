// Rule programs are pure functions of their bytes and card lists, so their
// answers can be remembered: a small direct-mapped table per thread, keyed by
// a 64-bit hash of the program and both lists with their lengths.
#pragma once

#include <cstdint>
#include <span>

#include "engine/rules/card_list.h"

namespace cw {

// A card list with its hash, so that a list several programs read (a pile
// asked about as a destination for every moving card) is hashed once.
struct HashedCardList {
  CardList entries;
  std::uint64_t hash = 0;

  // Hashes the entries again; due after every change to them.
  void Rehash();
};

// A program's bytes with their HashProgram, as the definition's index keeps
// it for each of its programs.
struct HashedProgram {
  std::span<const std::uint8_t> bytes;
  std::uint64_t hash = 0;
};

// The answer EvaluateRule gives, from the table when the same program ran on
// the same lists before on this thread.
bool EvaluateRuleRemembered(const HashedProgram& program, const HashedCardList& listA,
                            const HashedCardList* listB);
// The same for a program known only by its bytes, which are hashed (or their
// hash found again by their address after a compare).
bool EvaluateRuleRemembered(std::span<const std::uint8_t> program, const HashedCardList& listA,
                            const HashedCardList* listB);
bool EvaluateRuleRemembered(std::span<const std::uint8_t> program, const CardList& listA,
                            const CardList* listB);

}  // namespace cw
