// Rule programs are pure functions of their bytes and card lists, so their
// answers can be remembered: a direct-mapped table per thread, keyed by a
// 64-bit hash of the program and both lists with their lengths (or of what
// determines the lists).
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

// The slot of the answer table for a question key, with the word a slot
// holding its answer stores apart from the answer bit (see AnswerRemembered).
std::uint64_t& AnswerSlot(std::uint64_t question, std::uint64_t& stored);

// The question key of a program asked about the cards of a pile split at a
// place: the cards from the top down to that place, and those below it.
std::uint64_t SplitPileQuestion(std::uint64_t programHash, const HashedCardList& pile,
                                std::uint32_t place);

// The part of a question key that names a program and its list B, and the
// key of that program asked about list A as well: a list B asked about with
// many lists A (a pile with every moving card) is hashed into its part once.
std::uint64_t ListBQuestionPart(std::uint64_t programHash, const HashedCardList& listB);
std::uint64_t ListsQuestion(std::uint64_t listBPart, const HashedCardList& listA);

// The answer the table keeps for a question key (SplitPileQuestion,
// ListsQuestion): a key must cover the program and everything its lists are
// made from. The answer comes from `evaluate` (which builds the lists and
// runs the program) when none is kept.
template <typename Evaluate>
bool AnswerRemembered(std::uint64_t question, Evaluate evaluate) {
  std::uint64_t stored = 0;
  std::uint64_t& slot = AnswerSlot(question, stored);
  if ((slot & ~std::uint64_t{1}) == stored) return (slot & 1) != 0;
  const bool passes = evaluate();
  slot = stored | (passes ? 1 : 0);
  return passes;
}

}  // namespace cw
