// Rule programs are pure functions of their bytes and card lists, so their
// answers can be remembered: a small direct-mapped table per thread, keyed by
// a 64-bit hash of the program and both lists, checked against their lengths.
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

// The answer EvaluateRule gives, from the table when the same program ran on
// the same lists before on this thread.
bool EvaluateRuleRemembered(std::span<const std::uint8_t> program, const HashedCardList& listA,
                            const HashedCardList* listB);
bool EvaluateRuleRemembered(std::span<const std::uint8_t> program, const CardList& listA,
                            const CardList* listB);

}  // namespace cw
