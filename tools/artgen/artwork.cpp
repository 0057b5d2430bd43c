#include "tools/artgen/artwork.h"

#include <QStringList>

#include "platform/artwork/canvas.h"
#include "platform/artwork/card_backs.h"
#include "platform/artwork/icons.h"
#include "platform/artwork/rank_glyphs.h"
#include "platform/artwork/suit_symbols.h"

namespace cw::artwork {

namespace {

int IndexOf(const QStringList& names, const QString& name) {
  return static_cast<int>(names.indexOf(name));
}

const QStringList kRankNames = {"ace", "2", "3",  "4",    "5",     "6",   "7",
                                "8",   "9", "10", "jack", "queen", "king"};
const QStringList kSuitNames = {"spades", "clubs", "diamonds", "hearts"};
const QStringList kCategoryNames = {"addition", "canfield", "castle", "fan",     "40thieves",
                                    "freecell", "klondike", "spider", "terrace", "yukon"};
const QStringList kDurationNames = {"under_3m", "3_to_5m", "5_to_10m", "over_10m"};

std::optional<CardSize> CardSizeNamed(const QString& word) {
  if (word == "large") return CardSize::Large;
  if (word == "small") return CardSize::Small;
  return std::nullopt;
}

// rank_<card size>_<rank>
std::optional<QImage> RankArtwork(const QStringList& words, QSize size, BitmapSet set, bool grey) {
  if (words.size() != 3) return std::nullopt;
  const auto cardSize = CardSizeNamed(words[1]);
  const int rank = IndexOf(kRankNames, words[2]);
  if (!cardSize || rank < 0) return std::nullopt;
  const Edges edges = grey || set == BitmapSet::Qvga ? Edges::Hard : Edges::Smooth;
  return DrawRankGlyph(rank, *cardSize, set, size, grey ? kGrey : kInk, edges);
}

// suit_<big|small>_<card size>_<suit>
std::optional<QImage> SuitArtwork(const QStringList& words, QSize size, BitmapSet set, bool grey) {
  if (words.size() != 4 || (words[1] != "big" && words[1] != "small")) return std::nullopt;
  const int suitIndex = IndexOf(kSuitNames, words[3]);
  if (!CardSizeNamed(words[2]) || suitIndex < 0) return std::nullopt;
  const Suit suit = static_cast<Suit>(suitIndex);
  const QColor ink = grey ? kGrey : IsRedSuit(suit) ? kRed : kInk;
  const Edges edges = grey || set == BitmapSet::Qvga ? Edges::Hard : Edges::Smooth;
  return words[1] == "big" ? DrawBigSuit(suit, size, ink, edges)
                           : DrawSmallSuit(suit, size, ink, edges);
}

}  // namespace

std::optional<QImage> DrawArtwork(const QString& name, QSize size, BitmapSet set) {
  if (size.isEmpty()) return std::nullopt;
  QString rest = name;
  const bool grey = rest.startsWith("grey_");
  if (grey) rest.remove(0, 5);
  const QStringList words = rest.split('_');
  if (words[0] == "rank") return RankArtwork(words, size, set, grey);
  if (words[0] == "suit") return SuitArtwork(words, size, set, grey);
  if (grey) return std::nullopt;

  if (rest.startsWith("card_back_") && words.size() == 4 && CardSizeNamed(words[2])) {
    bool ok = false;
    const int design = words[3].toInt(&ok);
    if (!ok || design < 0 || design >= kCardBackCount) return std::nullopt;
    return DrawCardBack(design, size);
  }
  if (rest == "empty_arrow_black" || rest == "empty_arrow_red") {
    return DrawEmptyPileArrow(rest.endsWith("red"), size, set);
  }
  if (rest.startsWith("category_")) {
    const int category = IndexOf(kCategoryNames, rest.mid(9));
    if (category < 0) return std::nullopt;
    return DrawCategoryPicture(category + 1, size, set);
  }
  if (rest.startsWith("skill_")) {
    bool ok = false;
    const int level = rest.mid(6).toInt(&ok);
    if (!ok || level < 1 || level > 3) return std::nullopt;
    return DrawSkillPicture(level, size, set);
  }
  if (rest.startsWith("duration_")) {
    const int duration = IndexOf(kDurationNames, rest.mid(9));
    if (duration < 0) return std::nullopt;
    return DrawDurationPicture(duration + 1, size, set);
  }
  if (rest == "filter_button_category") return DrawCategoryFilterPicture(size, set);
  if (rest == "filter_button_skill") return DrawSkillFilterPicture(size, set);
  if (rest == "filter_button_duration") return DrawDurationFilterPicture(size, set);
  if (rest == "clear_filters_all") return DrawClearFiltersPicture(size, set);
  if (rest == "favourite_star") return DrawFavouriteStar(size, set);
  if (rest == "arrow_left" || rest == "arrow_right") {
    return DrawSideArrow(rest == "arrow_right", size, set);
  }
  if (rest.startsWith("menubar_icons")) return DrawMenuBarStrip(size, set);
  if (rest == "application_icon") return DrawApplicationIcon(size, set);
  return std::nullopt;
}

}  // namespace cw::artwork
