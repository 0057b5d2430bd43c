#include "engine/solver/position_novelty.h"

#include <algorithm>
#include <utility>

#include "engine/model/card_index.h"
#include "engine/solver/card_kinds.h"

namespace cw {

PositionNovelty::PositionNovelty(const GameDefinition& definition,
                                 std::span<const std::uint16_t> pileClasses) {
  CardKinds found = KindsOfCards(definition);
  kindOf_ = std::move(found.kindOf);
  kinds_ = found.kinds.size();
  // The classes numbered densely, in the order of their smallest piles.
  std::vector<std::uint16_t> leaders(pileClasses.begin(), pileClasses.end());
  std::sort(leaders.begin(), leaders.end());
  leaders.erase(std::unique(leaders.begin(), leaders.end()), leaders.end());
  bottomOf_.reserve(pileClasses.size());
  for (const std::uint16_t leader : pileClasses) {
    const auto index = std::lower_bound(leaders.begin(), leaders.end(), leader) - leaders.begin();
    bottomOf_.push_back(static_cast<std::uint16_t>(kinds_ + static_cast<std::size_t>(index)));
  }
  places_ = kinds_ + leaders.size();
}

bool PositionNovelty::Note(const SolGame& game, int home) {
  const auto level = static_cast<std::size_t>(std::max(home, 0));
  if (seen_.size() <= level) seen_.resize(level + 1);
  std::vector<bool>& seen = seen_[level];
  if (seen.empty()) seen.assign(kinds_ * places_, false);
  bool novel = false;
  const std::size_t pileCount = std::min(game.piles.size(), bottomOf_.size());
  for (std::size_t p = 0; p < pileCount; ++p) {
    std::size_t below = bottomOf_[p];
    for (const std::uint16_t card : CardsOfPile(game, static_cast<std::uint16_t>(p))) {
      if (card >= kindOf_.size()) {
        below = bottomOf_[p];
        continue;
      }
      const std::size_t feature = kindOf_[card] * places_ + below;
      if (!seen[feature]) {
        seen[feature] = true;
        novel = true;
      }
      below = kindOf_[card];
    }
  }
  return novel;
}

}  // namespace cw
