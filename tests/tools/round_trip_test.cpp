// Disassembling any record and assembling the text gives back the same bytes.
#include <gtest/gtest.h>

#include <random>

#include "engine/database/record_layout.h"
#include "tools/cwdb/assembler.h"
#include "tools/cwdb/disassembler.h"

namespace cw {
namespace {

// The record's bytes after a trip through its source text; the text is
// attached to a failure so that the faulty line can be seen.
void ExpectRoundTrip(const DefinitionRecord& record) {
  const auto bytes = EncodeRecord(record);
  ASSERT_TRUE(bytes.has_value());
  const std::string text = DisassembleRecord(record);
  const AssembleResult again = AssembleSource(text, "disassembly", ".");
  ASSERT_FALSE(again.error.has_value()) << again.error->ToString() << "\n" << text;
  EXPECT_EQ(again.bytes, *bytes) << text;
  EXPECT_EQ(*again.record, record);
}

class RandomRecords {
 public:
  explicit RandomRecords(std::uint32_t seed) : random_(seed) {}

  DefinitionRecord Make() {
    DefinitionRecord r;
    r.id = U16();
    r.category = Pick<std::uint16_t>({0, 6, 11, 12, 65535});
    r.skill = U16();
    r.duration = U16();
    r.layoutVariant = Pick<std::uint16_t>({0, 1, 2, 300});
    r.name = Text();
    r.rulesText = Text();
    for (std::size_t i = Count(); i > 0; --i) r.extraCategories.push_back(U8());
    if (Chance(2)) {
      for (int d = 0; d < 1 + Chance(2); ++d) {
        for (std::uint8_t s = 1; s <= 4; ++s) {
          for (std::uint8_t rank = 1; rank <= 13; ++rank) {
            r.cards.push_back({static_cast<std::uint16_t>(Chance(4) ? U16() % 13 : 0), s, rank});
          }
        }
      }
    } else {
      for (std::size_t i = Count(); i > 0; --i) r.cards.push_back({U16(), U8(), U8()});
    }
    const std::size_t piles = Count();
    const std::size_t programs = Count();
    const std::size_t events = Count();
    const std::size_t actions = Count();
    const std::size_t conditions = Count();
    const std::size_t counters = Count();
    for (std::size_t i = 0; i < piles; ++i) {
      PileDef p;
      p.dealGroup = U16();
      p.x = static_cast<std::int16_t>(U16());
      p.y = static_cast<std::int16_t>(U16());
      p.xAnchor = Small8();
      p.yAnchor = Small8();
      p.fan = Small8();
      p.kind = Small8();
      p.dealFaceUp = Small8();
      p.shown = Small8();
      p.dealCount = U16();
      p.pickProgram = Ref(programs);
      p.acceptProgram = Ref(programs);
      p.tapEvent = Ref(events);
      p.reserved = U16();
      p.emptyTapEvent = Ref(events);
      p.dropEvent = Ref(events);
      p.manualOpen = Small8();
      p.enabled = Small8();
      p.drawLevel = Small8();
      p.fanLimitAnchor = Small8();
      p.fanLimit = U16();
      p.baseRank = U8();
      p.baseSuit = U8();
      r.piles.push_back(p);
    }
    for (std::size_t i = 0; i < actions; ++i) {
      ActionDef a;
      a.type = Chance(5) ? U8() : static_cast<std::uint8_t>(Below(7));
      a.mode = Small8();
      a.pile = Ref(a.type == 6 ? counters : piles);
      a.from = U16();
      a.to = U16();
      a.destPile = Ref(piles);
      a.destMode = Small8();
      a.attribute = Chance(3) ? U8() : Pick<std::uint8_t>({0, 1, 6, 7, 8, 9, 10, 11, 12, 13});
      a.destIndex = U16();
      a.value = Ref(programs);
      r.actions.push_back(a);
    }
    for (std::size_t i = Count(); i > 0; --i) r.movePairs.push_back({Ref(piles), Ref(piles)});
    for (std::size_t i = Count(); i > 0; --i) r.dealPlacements.push_back({Ref(piles), U16(), U16()});
    for (auto* table : {&r.dealFlips, &r.dealFixed, &r.dealOpen}) {
      for (std::size_t i = Count(); i > 0; --i) table->push_back({Ref(piles), U16()});
    }
    for (std::size_t i = 0; i < events; ++i) r.eventKinds.push_back(Small8());
    // Links sorted by event in half of the records (the shipped order), in
    // any order in the others.
    const bool sorted = Chance(2);
    const auto links = [&](auto& table, std::size_t targets) {
      for (std::size_t i = Count(); i > 0; --i) table.push_back({Ref(events), Ref(targets)});
      if (sorted) std::stable_sort(table.begin(), table.end(), [](auto& x, auto& y) { return x.event < y.event; });
    };
    links(r.eventActions, actions);
    links(r.eventConditions, conditions);
    links(r.eventCounters, counters);
    for (std::size_t i = 0; i < programs; ++i) r.programs.push_back(Program());
    for (std::size_t i = 0; i < conditions; ++i) {
      r.conditions.push_back({Ref(programs), Ref(piles), Chance(2) ? kNoReference : Ref(piles)});
    }
    for (std::size_t i = 0; i < counters; ++i) r.counters.push_back({U16(), Ref(events)});
    return r;
  }

 private:
  std::uint32_t Below(std::uint32_t n) { return std::uniform_int_distribution<std::uint32_t>(0, n - 1)(random_); }
  bool Chance(std::uint32_t oneIn) { return Below(oneIn) == 0; }
  std::uint8_t U8() { return static_cast<std::uint8_t>(Below(256)); }
  std::uint16_t U16() { return static_cast<std::uint16_t>(Below(65536)); }
  std::uint8_t Small8() { return Chance(4) ? U8() : static_cast<std::uint8_t>(Below(5)); }
  std::size_t Count() { return Chance(5) ? 0 : Below(6); }
  template <typename T>
  T Pick(std::initializer_list<T> values) {
    return *(values.begin() + Below(static_cast<std::uint32_t>(values.size())));
  }

  // Mostly in range, sometimes none or dangling.
  std::uint16_t Ref(std::size_t count) {
    if (Chance(8)) return kNoReference;
    if (count == 0 || Chance(8)) return static_cast<std::uint16_t>(count + Below(3));
    return static_cast<std::uint16_t>(Below(static_cast<std::uint32_t>(count)));
  }

  std::string Text() {
    std::string text;
    for (std::size_t i = Below(40); i > 0; --i) {
      text += Chance(3) ? static_cast<char>(1 + Below(255)) : Pick<char>({'a', ' ', '\n', '"', '\\', '<', '#', '{'});
    }
    return text;
  }

  // Instructions, PUSHes with any marker, stray bytes and cut-off PUSHes.
  std::vector<std::uint8_t> Program() {
    std::vector<std::uint8_t> program;
    for (std::size_t i = Below(30); i > 0; --i) {
      const std::uint32_t shape = Below(6);
      if (shape == 0) {
        program.push_back(U8());
      } else if (shape == 1) {
        program.insert(program.end(), {1, U8(), Chance(3) ? U8() : std::uint8_t{1}});
      } else {
        program.push_back(static_cast<std::uint8_t>(1 + Below(29)));
      }
    }
    return program;
  }

  std::mt19937 random_;
};

TEST(RoundTrip, RandomRecordsSurviveDisassembly) {
  RandomRecords records(20261207);
  for (int i = 0; i < 400; ++i) {
    SCOPED_TRACE("record " + std::to_string(i));
    ExpectRoundTrip(records.Make());
    if (HasFatalFailure() || HasNonfatalFailure()) break;
  }
}

TEST(RoundTrip, OddPrograms) {
  DefinitionRecord r;
  r.programs = {
      {},
      {0},
      {1},           // PUSH cut off after its opcode
      {1, 5},        // and after its value
      {1, 5, 1, 1},  // a whole PUSH, then a cut-off one
      {1, 5, 0},     // marker 0
      {30, 200, 255, 0, 29},
  };
  ExpectRoundTrip(r);
  EXPECT_EQ(DisassembleProgram(r.programs[3]), "BYTE 0x01 LOOP");
  EXPECT_EQ(DisassembleProgram(r.programs[5]), "PUSH 5 marker 0");
  EXPECT_EQ(DisassembleProgram(r.programs[6]), "BYTE 0x1E BYTE 0xC8 BYTE 0xFF BYTE 0x00 OTHER");
}

TEST(RoundTrip, LongTablesWrapAndStillAssemble) {
  DefinitionRecord r;
  r.eventKinds = {0, 1};
  for (std::uint16_t c = 0; c < 300; ++c) {
    r.conditions.push_back({0, 0, kNoReference});
    r.eventConditions.push_back({1, c});
  }
  r.programs.push_back(std::vector<std::uint8_t>(2000, 11));
  r.piles.resize(1);
  ExpectRoundTrip(r);
}

}  // namespace
}  // namespace cw
