#include "view/field_layout.h"

#include <algorithm>

namespace cw {

namespace {

constexpr int kReferenceExtent = 160;
constexpr int kNoRoomCap = 32767;

int FanLimitAnchor(std::uint8_t anchor) {
  if (anchor == 0 || anchor == 1) return anchor;
  return static_cast<int>(AnchorMode::kFar);
}

}  // namespace

void MarksFromState(PileKind kind, const PileState& state, int mark[2]) {
  mark[0] = 0;
  mark[1] = 0;
  if (kind == PileKind::kBase) {
    // A pile value set during play holds the rank in its low byte and the
    // suit in its high byte; a dealt pile keeps the suit apart.
    const int rank = static_cast<int>(state.baseRank & 0xFF);
    const int packedSuit = static_cast<int>((state.baseRank >> 8) & 0xFF);
    mark[0] = rank - 1;
    mark[1] = (packedSuit != 0 ? packedSuit : static_cast<int>(state.baseSuit & 0xFF)) - 1;
  } else if (kind == PileKind::kArrow) {
    mark[0] = state.PileValue();
  }
}

std::vector<PileView> MirrorTable(const SolGame& game) {
  const std::vector<PileDef>& defs = game.definition.piles;
  std::vector<PileView> piles(defs.size());
  std::vector<int> counts(defs.size(), 0);
  for (const CardState& card : game.cards) {
    if (card.pile < counts.size()) counts[card.pile] = std::max(counts[card.pile], card.position + 1);
  }
  for (std::size_t p = 0; p < defs.size(); ++p) {
    const PileDef& def = defs[p];
    PileView& view = piles[p];
    view.x = def.x;
    view.y = def.y;
    view.fanLimit = def.fanLimit;
    view.fanLimitAnchor = FanLimitAnchor(def.fanLimitAnchor);
    view.drawLevel = def.drawLevel;
    view.fan = def.fan;
    view.kind = static_cast<PileKind>(def.kind);
    view.xAnchor = def.xAnchor;
    view.yAnchor = def.yAnchor;
    if (p < game.piles.size()) {
      view.shown = game.piles[p].shown != 0 ? 1 : 0;
      MarksFromState(view.kind, game.piles[p], view.mark);
    }
    // A damaged play state must not leave holes: a pile holds exactly the
    // positions its cards claim, up to the highest.
    view.cards.assign(static_cast<std::size_t>(counts[p]), CardSlot{kNoReference, 0, 0, 0});
  }
  for (std::size_t c = 0; c < game.cards.size(); ++c) {
    const CardState& state = game.cards[c];
    if (state.pile >= piles.size()) continue;
    CardSlot& slot = piles[state.pile].cards[state.position];
    slot.card = static_cast<std::uint16_t>(c);
    if (c < game.definition.cards.size()) {
      slot.suit = game.definition.cards[c].suit - 1;
      slot.rank = game.definition.cards[c].rank - 1;
    }
    slot.faceUp = state.faceUp != 0 ? 1 : 0;
  }
  return piles;
}

bool SameTable(const std::vector<PileView>& a, const std::vector<PileView>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t p = 0; p < a.size(); ++p) {
    if (a[p].cards != b[p].cards || a[p].shown != b[p].shown || a[p].mark[0] != b[p].mark[0] ||
        a[p].mark[1] != b[p].mark[1]) {
      return false;
    }
  }
  return true;
}

std::vector<std::uint16_t> BuildDrawOrder(const std::vector<PileView>& piles) {
  std::vector<std::uint16_t> order;
  order.reserve(piles.size());
  for (std::size_t p = 0; p < piles.size(); ++p) {
    const auto level = [&](std::uint16_t pile) { return piles[pile].drawLevel; };
    const auto pile = static_cast<std::uint16_t>(p);
    // Insert after the last pile of lower or equal level, so equal levels keep pile order.
    const auto at = std::upper_bound(order.begin(), order.end(), pile,
                                     [&](std::uint16_t a, std::uint16_t b) { return level(a) < level(b); });
    order.insert(at, pile);
  }
  return order;
}

void ResetLayoutMetrics(FieldLayout& layout, const SolGame& game, const DisplayMetrics& display) {
  layout.large = game.definition.layoutVariant == 1;
  const CardMetrics metrics = ComputeCardMetrics(game.definition.layoutVariant, display);
  layout.cardWidth = metrics.cardWidth;
  layout.cardHeight = metrics.cardHeight;
  layout.stepX = metrics.fanStepX;
  layout.stepY = metrics.fanStepY;
  layout.scaleNum = metrics.cardWidth;
  layout.scaleDen = metrics.cardWidth;
  layout.drawOrder = BuildDrawOrder(layout.piles);
}

int AnchorCoordinate(int v, int extent, int mode) {
  switch (mode) {
    case static_cast<int>(AnchorMode::kProportional):
      return v * extent / kReferenceExtent;
    case static_cast<int>(AnchorMode::kCentre):
      return v + (extent - kReferenceExtent) / 2;
    case static_cast<int>(AnchorMode::kFar):
      return v - kReferenceExtent + extent;
    default:
      return v;
  }
}

QPoint PileOrigin(const FieldLayout& layout, int pile, int width, int height) {
  if (!layout.IsPile(pile)) return {};
  const PileView& view = layout.piles[pile];
  if (!layout.Scaled()) {
    return {AnchorCoordinate(view.x, width, view.xAnchor) - (layout.cardWidth >> 1),
            AnchorCoordinate(view.y, height, view.yAnchor) - (layout.cardHeight >> 1)};
  }
  // A scaled table is the record's layout in a field shrunk by the scale,
  // then every place is grown by it.
  const int num = layout.scaleNum;
  const int den = layout.scaleDen;
  const int x = AnchorCoordinate(view.x, width * den / num, view.xAnchor) * num / den;
  const int y = AnchorCoordinate(view.y, height * den / num, view.yAnchor) * num / den;
  return {x - (layout.cardWidth >> 1), y - (layout.cardHeight >> 1)};
}

QPoint FanStep(const FieldLayout& layout, int pile, int width, int height) {
  if (!layout.IsPile(pile)) return {};
  const PileView& view = layout.piles[pile];
  const int n = view.Count();
  if (n < 2 || view.fan < 1 || view.fan > 4) return {};
  const bool horizontal = view.fan <= 2;
  int cap = kNoRoomCap;
  if (view.fanLimit != 0 && view.fanLimitAnchor != 0) {
    const int extent = horizontal ? width : height;
    if (layout.Scaled()) {
      cap = AnchorCoordinate(view.fanLimit, extent * layout.scaleDen / layout.scaleNum, view.fanLimitAnchor) *
            layout.scaleNum / layout.scaleDen;
    } else {
      cap = AnchorCoordinate(view.fanLimit, extent, view.fanLimitAnchor);
    }
  }
  const QPoint origin = PileOrigin(layout, pile, width, height);
  const auto step = [&](int room, int greatest) {
    return std::min(std::max(std::min(room, cap), 0) / (n - 1), greatest);
  };
  switch (static_cast<FanDirection>(view.fan)) {
    case FanDirection::kLeft:
      return {-step(origin.x(), layout.stepX), 0};
    case FanDirection::kRight:
      return {step(width - layout.cardWidth - origin.x(), layout.stepX), 0};
    case FanDirection::kUp:
      return {0, -step(origin.y(), layout.stepY)};
    default:
      return {0, step(height - layout.cardHeight - origin.y(), layout.stepY)};
  }
}

}  // namespace cw
