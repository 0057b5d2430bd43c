// The view's own copy of the table (one PileView per pile, with its cards)
// and the geometry that places piles and cards in the field: anchoring
// against the field's size, pile origins and fan steps that close up a long
// pile to the room it has.
#pragma once

#include <QPoint>
#include <cstdint>
#include <vector>

#include "engine/model/sol_game.h"

namespace cw {

// One card of a pile as the view shows it.
struct CardSlot {
  std::uint16_t card = 0;  // index into the card tables
  int suit = 0;            // 0 spades, 1 clubs, 2 diamonds, 3 hearts
  int rank = 0;            // 0 ace ... 12 king
  std::uint8_t faceUp = 0;
  bool operator==(const CardSlot&) const = default;
};

struct PileView {
  int x = 0;  // the pile's centre in pixels, before anchoring
  int y = 0;
  int fanLimit = 0;        // 0 = none
  int fanLimitAnchor = 0;  // AnchorMode of the limit: 0, 1 or 3 (Far)
  std::uint16_t drawLevel = 0;
  std::uint8_t shown = 0;
  int fan = 0;  // FanDirection
  // An empty pile shows nothing and cannot be hit (inert), shows its base
  // rank and suit (base) or an arrow (arrow).
  PileKind kind = PileKind::kPlain;
  int xAnchor = 0;
  int yAnchor = 0;
  std::vector<CardSlot> cards;  // bottom card first
  // kBase: base rank index and base suit index (-1 none). kArrow: the arrow
  // value in the low 16 bits of the first (0 black, 1 red, 2 or more none).
  int mark[2] = {0, 0};
  // kBase: the dealt base suit, shown while the pile value names none.
  std::uint32_t dealtSuit = 0;

  int Count() const { return static_cast<int>(cards.size()); }
};

struct FieldLayout {
  bool large = false;
  int cardWidth = 0;
  int cardHeight = 0;
  int stepX = 0;  // greatest horizontal fan step
  int stepY = 0;  // greatest vertical fan step
  // The table drawn bigger than the record's pixels by scaleNum / scaleDen:
  // the card width over this build's card width, equal at handheld sizes.
  int scaleNum = 1;
  int scaleDen = 1;
  std::vector<PileView> piles;
  // Pile numbers in paint order: by draw level, equal levels in pile order.
  std::vector<std::uint16_t> drawOrder;

  bool HasPiles() const { return !piles.empty(); }
  bool IsPile(int pile) const { return pile >= 0 && pile < static_cast<int>(piles.size()); }
  bool Scaled() const { return scaleNum != scaleDen; }
};

// The mirror of the engine's table: one PileView per pile with its cards,
// marks and flags. Metrics and draw order are left empty (ResetLayout).
std::vector<PileView> MirrorTable(const SolGame& game);

// Card size, greatest steps and draw order for the definition's card size.
void ResetLayoutMetrics(FieldLayout& layout, const SolGame& game, const DisplayMetrics& display);

// Pile numbers sorted by draw level, keeping pile order among equal levels.
std::vector<std::uint16_t> BuildDrawOrder(const std::vector<PileView>& piles);

// A coordinate v anchored by `mode` against an extent (the field's width or
// height) measured from the reference extent 160.
int AnchorCoordinate(int v, int extent, int mode);

// Top-left corner of the pile's bottom card in a width × height field.
QPoint PileOrigin(const FieldLayout& layout, int pile, int width, int height);

// Offset from one card of the pile to the next, closed up so that the pile
// fits the field but never wider than the greatest step.
QPoint FanStep(const FieldLayout& layout, int pile, int width, int height);

// Whether two mirrors show the same table: the same cards in the same
// places with the same faces, shown flags and marks.
bool SameTable(const std::vector<PileView>& a, const std::vector<PileView>& b);

// The mark values of a pile of `kind` from its PileState, or from its value
// (PileState::baseRank) and dealt suit.
void MarksFromState(PileKind kind, const PileState& state, int mark[2]);
void MarksFromValue(PileKind kind, std::uint32_t value, std::uint32_t dealtSuit, int mark[2]);

}  // namespace cw
