#include "tests/engine/model/test_records.h"

#include <string_view>

namespace cw::test {

namespace {
constexpr std::string_view kSuits = "SCDH";
const char* const kRanks[] = {"A", "2", "3", "4", "5", "6", "7", "8", "9", "10", "J", "Q", "K"};
}  // namespace

std::uint16_t CardNumber(const std::string& notation) {
  const std::string rank = notation.substr(0, notation.size() - 1);
  const auto suit = kSuits.find(notation.back());
  for (int r = 0; r < 13; ++r) {
    if (rank == kRanks[r]) return static_cast<std::uint16_t>(13 * suit + static_cast<std::size_t>(r));
  }
  return kNoReference;
}

std::string CardName(std::uint16_t card) {
  return std::string(kRanks[card % 13]) + kSuits[(card / 13) % 4];
}

std::string PileListing(const SolGame& game, std::uint16_t pile) {
  std::string listing;
  for (std::int16_t position = 0; position < game.piles[pile].count; ++position) {
    const auto card = game.CardAt(pile, static_cast<std::uint16_t>(position));
    if (!listing.empty()) listing += ' ';
    if (!card) {
      listing += '?';
    } else if (game.cards[*card].faceUp != 0) {
      listing += CardName(*card);
    } else {
      listing += '(' + CardName(*card) + ')';
    }
  }
  return listing;
}

std::vector<CardDef> StandardDeck(int decks) {
  std::vector<CardDef> deck;
  for (int d = 0; d < decks; ++d) {
    for (std::uint8_t suit = 1; suit <= 4; ++suit) {
      for (std::uint8_t rank = 1; rank <= 13; ++rank) deck.push_back(CardDef{0, suit, rank});
    }
  }
  return deck;
}

PileDef DealtPile(std::uint16_t dealCount) {
  PileDef pile;
  pile.xAnchor = 1;
  pile.yAnchor = 1;
  pile.dealFaceUp = 1;
  pile.shown = 1;
  pile.dealCount = dealCount;
  pile.enabled = 1;
  pile.fanLimitAnchor = 1;
  return pile;
}

DefinitionRecord DealShape(const std::vector<std::uint16_t>& dealCounts, int decks) {
  DefinitionRecord record;
  record.layoutVariant = 1;
  record.name = "Shape";
  record.cards = StandardDeck(decks);
  for (const std::uint16_t count : dealCounts) record.piles.push_back(DealtPile(count));
  record.movePairs = {MovePair{}};
  return record;
}

DefinitionRecord SevenByFiveRecord() {
  DefinitionRecord record = DealShape({8, 8, 8, 7, 7, 7, 7, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  record.id = 326;
  record.category = 6;
  record.skill = 2;
  record.duration = 1;
  record.name = "Seven by Five";
  record.rulesText = "<b>Object</b>\nTo move all the cards to the foundations.";
  for (std::uint16_t p = 0; p < 16; ++p) {
    PileDef& pile = record.piles[p];
    if (p < 7) {
      pile.x = static_cast<std::int16_t>(10 + 20 * p);
      pile.y = 42;
      pile.yAnchor = 0;
      pile.fan = 4;
      pile.pickProgram = 1;
      pile.acceptProgram = 3;
    } else if (p < 12) {
      pile.x = static_cast<std::int16_t>(30 + 20 * (p - 7));
      pile.y = 14;
      pile.yAnchor = 0;
      pile.pickProgram = 2;
      pile.acceptProgram = 4;
    } else {
      pile.x = 150;
      pile.y = static_cast<std::int16_t>(20 + 40 * (p - 12));
      pile.kind = 2;
      pile.pickProgram = 2;
      pile.acceptProgram = 5;
      pile.baseRank = 1;
    }
  }
  record.actions = {ActionDef{5, 0, 0, 0, 0, 0, 0, 0, 0, 0}};
  record.eventKinds = {0, 0};
  record.eventActions = {EventAction{1, 0}};
  const std::vector<std::uint8_t> pushOne = {1, 1, 1};
  record.programs.assign(7, pushOne);
  record.conditions.push_back(ConditionDef{0, 0, kNoReference});
  record.eventConditions.push_back(EventCondition{0, 0});
  for (std::uint16_t p = 0; p < 12; ++p) {
    record.conditions.push_back(ConditionDef{6, p, kNoReference});
    record.eventConditions.push_back(EventCondition{1, static_cast<std::uint16_t>(p + 1)});
  }
  return record;
}

}  // namespace cw::test
