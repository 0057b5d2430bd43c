#include "tools/cli/table_output.h"

#include <algorithm>
#include <array>

namespace cw {
namespace {

constexpr std::array<const char*, 14> kRankNames = {"?", "A", "2", "3", "4",  "5", "6",
                                                    "7", "8", "9", "10", "J", "Q", "K"};
constexpr std::array<char, 5> kSuitLetters = {'?', 'S', 'C', 'D', 'H'};

// Cards of each pile from the bottom up, in one pass over the card states.
std::vector<std::vector<std::uint16_t>> CardsByPile(const SolGame& game) {
  std::vector<std::vector<std::uint16_t>> piles(game.piles.size());
  for (std::size_t pile = 0; pile < piles.size(); ++pile) {
    piles[pile].assign(static_cast<std::size_t>(std::max<std::int16_t>(game.piles[pile].count, 0)),
                       kNoReference);
  }
  for (std::size_t card = 0; card < game.cards.size(); ++card) {
    const CardState& state = game.cards[card];
    if (state.pile < piles.size() && state.position < piles[state.pile].size()) {
      piles[state.pile][state.position] = static_cast<std::uint16_t>(card);
    }
  }
  return piles;
}

}  // namespace

std::string CardName(const CardDef& card) {
  if (card.rank < 1 || card.rank > 13 || card.suit < 1 || card.suit > 4) return "?";
  return std::string(kRankNames[card.rank]) + kSuitLetters[card.suit];
}

std::string MoveName(const MoveReference& move) {
  if (move.IsTap()) return "tap:" + std::to_string(move.source);
  return std::to_string(move.source) + ":" + std::to_string(move.destination);
}

void PrintTable(const SolGame& game, std::ostream& out) {
  const auto piles = CardsByPile(game);
  for (std::size_t pile = 0; pile < piles.size(); ++pile) {
    out << "pile " << pile << ": ";
    bool first = true;
    for (std::uint16_t card : piles[pile]) {
      if (!first) out << ' ';
      first = false;
      if (card == kNoReference) {
        out << "?";
        continue;
      }
      const std::string name = CardName(game.definition.cards[card]);
      if (game.cards[card].faceUp) {
        out << name;
      } else {
        out << '(' << name << ')';
      }
    }
    out << '\n';
  }
}

namespace {

void JsonString(std::ostream& out, const std::string& text) {
  out << '"';
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out << '\\' << c;
    } else if (c < 0x20) {
      static constexpr char kHex[] = "0123456789abcdef";
      out << "\\u00" << kHex[c >> 4] << kHex[c & 15];
    } else {
      out << c;
    }
  }
  out << '"';
}

}  // namespace

void PrintTableJson(const SolGame& game, const TableReport& report, std::ostream& out) {
  out << "{\"game\":";
  JsonString(out, report.game);
  out << ",\"gameNumber\":" << report.gameNumber << ",\"piles\":[";
  const auto piles = CardsByPile(game);
  for (std::size_t pile = 0; pile < piles.size(); ++pile) {
    if (pile) out << ',';
    out << "{\"pile\":" << pile << ",\"cards\":[";
    bool first = true;
    for (std::uint16_t card : piles[pile]) {
      if (card == kNoReference) continue;
      if (!first) out << ',';
      first = false;
      const CardDef& def = game.definition.cards[card];
      out << "{\"card\":" << card << ",\"suit\":" << int{def.suit} << ",\"rank\":" << int{def.rank}
          << ",\"faceUp\":" << (game.cards[card].faceUp ? "true" : "false") << '}';
    }
    out << "]}";
  }
  out << "],\"won\":" << (game.won ? "true" : "false");
  out << ",\"journalLength\":" << (game.journal ? game.journal->Count() : 0);
  if (report.includeMoves) {
    out << ",\"moves\":[";
    bool first = true;
    for (const auto& move : ListMoves(game)) {
      if (!first) out << ',';
      first = false;
      JsonString(out, MoveName(move));
    }
    out << ']';
  }
  out << "}\n";
}

}  // namespace cw
