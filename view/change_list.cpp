#include "view/change_list.h"

#include <algorithm>

namespace cw {

namespace {

std::uint32_t PackMarks(int first) { return static_cast<std::uint32_t>(first); }

}  // namespace

void ChangeRecorder::ActionPerformed(const ActionDef& performed) {
  ViewChange change;
  change.pile = performed.pile;
  switch (static_cast<ActionType>(performed.type)) {
    case ActionType::kMoveCards:
      change.kind = ChangeKind::kMoveCards;
      change.mode = performed.mode;
      change.a = performed.from;
      change.b = performed.to;
      change.target = performed.destPile;
      change.targetMode = performed.destMode;
      change.c = performed.destIndex;
      break;
    case ActionType::kPileAttribute:
      switch (static_cast<PileAttribute>(performed.attribute)) {
        case PileAttribute::kShown:
          change.kind = ChangeKind::kPileShown;
          change.parameter = performed.value;
          break;
        case PileAttribute::kReverse:
          change.kind = ChangeKind::kReversePile;
          break;
        case PileAttribute::kShuffle:
          change.kind = ChangeKind::kShufflePile;
          change.parameter = performed.value;
          break;
        case PileAttribute::kValue: {
          change.kind = ChangeKind::kPileMarks;
          const PileKind kind =
              performed.pile < piles_.size() ? piles_[performed.pile].kind : PileKind::kPlain;
          int first = 0;
          int second = 0;
          if (kind == PileKind::kArrow) {
            first = performed.value;
          } else if (kind == PileKind::kBase) {
            first = (performed.value & 0xFF) - 1;
            second = ((performed.value >> 8) & 0xFF) - 1;
          } else {
            return;  // a value nothing shows
          }
          change.mode = PackMarks(first);
          const auto packed = static_cast<std::uint32_t>(second);
          change.a = static_cast<std::uint16_t>(packed & 0xFFFF);
          change.b = static_cast<std::uint16_t>(packed >> 16);
          break;
        }
        default:
          return;
      }
      break;
    case ActionType::kCardAttribute:
      if (static_cast<CardAttribute>(performed.attribute) != CardAttribute::kFaceUp) return;
      change.kind = ChangeKind::kFaceRange;
      change.mode = performed.mode;
      change.a = performed.from;
      change.b = performed.to;
      change.target = performed.value;
      break;
    default:
      return;
  }
  changes_.push_back(change);
}

SlotRange ChangeRange(std::uint32_t mode, int a, int b, int count) {
  int first = 0;
  int last = -1;
  switch (mode) {
    case 0:  // all but a cards at the bottom and b at the top
      first = a;
      last = count - b - 1;
      break;
    case 1:  // b cards from below the top a
      first = std::max(0, count - a - b);
      last = count - a - 1;
      break;
    case 2:  // b cards from a above the bottom
      first = a;
      last = a + b - 1;
      break;
    default:
      return {};
  }
  last = std::min(last, count - 1);
  if (first < 0 || last < first) return {};
  return {first, last - first + 1};
}

int ChangeTargetIndex(const ViewChange& change, int rangeFirst, int targetCount) {
  switch (change.targetMode) {
    case 1:
      return std::clamp(targetCount - change.c, 0, targetCount);
    case 2:
      return std::clamp<int>(change.c, 0, targetCount);
    default:
      return std::clamp(rangeFirst, 0, targetCount);
  }
}

bool MoveSlots(std::vector<PileView>& piles, int source, int start, int n, int target, int targetIndex) {
  const int pileCount = static_cast<int>(piles.size());
  if (source < 0 || source >= pileCount || target < 0 || target >= pileCount) return false;
  if (n <= 0 || start < 0 || piles[source].Count() < start + n) return false;
  std::vector<CardSlot>& from = piles[source].cards;
  std::vector<CardSlot> run(from.begin() + start, from.begin() + start + n);
  const int targetAfter = piles[target].Count() - (source == target ? n : 0);
  if (targetIndex < 0 || targetIndex > targetAfter) return false;
  from.erase(from.begin() + start, from.begin() + start + n);
  std::vector<CardSlot>& to = piles[target].cards;
  to.insert(to.begin() + targetIndex, run.begin(), run.end());
  return true;
}

bool SetFaceRange(std::vector<PileView>& piles, const ViewChange& change) {
  if (change.pile >= piles.size()) return false;
  PileView& pile = piles[change.pile];
  const SlotRange range = ChangeRange(change.mode, change.a, change.b, pile.Count());
  for (int i = range.first; i < range.first + range.count; ++i) {
    pile.cards[i].faceUp = change.target != 0 ? 1 : 0;
  }
  return true;
}

bool ReverseSlots(std::vector<PileView>& piles, int pile) {
  if (pile < 0 || pile >= static_cast<int>(piles.size())) return false;
  std::reverse(piles[pile].cards.begin(), piles[pile].cards.end());
  return true;
}

bool ShuffleSlots(std::vector<PileView>& piles, int pile, std::uint32_t seed) {
  if (pile < 0 || pile >= static_cast<int>(piles.size())) return false;
  std::vector<CardSlot>& cards = piles[pile].cards;
  const std::size_t n = cards.size();
  for (std::size_t i = 0; i < n; ++i) std::swap(cards[i], cards[((i + 1) * seed) % n]);
  return true;
}

}  // namespace cw
