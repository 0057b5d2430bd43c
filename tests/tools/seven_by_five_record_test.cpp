// The "Seven by Five" record as the program embeds it: every field of the
// reference game, byte for byte.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "engine/database/embedded_resources.h"
#include "engine/database/record_layout.h"
#include "engine/database/record_loader.h"
#include "engine/rules/instruction_set.h"
#include "tools/cwdb/assembler.h"
#include "tools/cwdb/disassembler.h"

namespace cw {
namespace {

constexpr std::uint16_t kSevenByFiveIndex = 17;
constexpr std::size_t kSevenByFiveSize = 1934;

class SevenByFiveRecord : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto loaded = LoadDefinitionRecord(EmbeddedGameResources(), kSevenByFiveIndex);
    ASSERT_TRUE(loaded.has_value());
    bytes_ = *loaded;
    DecodeResult decoded = DecodeRecord(bytes_);
    ASSERT_TRUE(decoded.record.has_value()) << decoded.error;
    record_ = std::move(*decoded.record);
  }

  std::vector<std::uint8_t> bytes_;
  DefinitionRecord record_;
};

TEST_F(SevenByFiveRecord, IsStoredWholeAndDecodesExactly) {
  EXPECT_EQ(bytes_.size(), kSevenByFiveSize);
  // DecodeRecord refuses trailing or missing bytes, so re-encoding gives the
  // very bytes the database holds.
  const auto encoded = EncodeRecord(record_);
  ASSERT_TRUE(encoded.has_value());
  EXPECT_EQ(*encoded, bytes_);
  EXPECT_FALSE(DecodeRecord(std::span(bytes_).first(bytes_.size() - 1)).record.has_value());
}

TEST_F(SevenByFiveRecord, HeaderNameAndRulesText) {
  const std::array<std::size_t, 21> header = {326, 6, 2, 1, 1, 0, 52, 16, 1, 1, 0, 0, 0, 0, 2, 1, 7, 13, 13, 0, 0};
  for (std::size_t field = 0; field < header.size(); ++field) {
    EXPECT_EQ(bytes_[2 * field] | (bytes_[2 * field + 1] << 8), header[field]) << "header field " << field;
  }
  EXPECT_EQ(record_.name, "Seven by Five");
  EXPECT_TRUE(record_.extraCategories.empty());
  EXPECT_EQ(record_.rulesText.size(), 500u);
  EXPECT_EQ(record_.rulesText.rfind("<b>Object</b>\nTo move all the cards to the foundations.\n\n<b>Rules</b>\n", 0),
            0u);
  EXPECT_NE(record_.rulesText.find("build down by alternate color. Only one card at a time may be moved."),
            std::string::npos);
}

TEST_F(SevenByFiveRecord, CardsArePlainDeck) {
  ASSERT_EQ(record_.cards.size(), 52u);
  for (std::size_t c = 0; c < 52; ++c) {
    EXPECT_EQ(record_.cards[c], (CardDef{0, static_cast<std::uint8_t>(c / 13 + 1), static_cast<std::uint8_t>(c % 13 + 1)}))
        << "card " << c;
  }
}

TEST_F(SevenByFiveRecord, PilesFollowTheTable) {
  ASSERT_EQ(record_.piles.size(), 16u);
  const auto expect = [&](std::size_t p, std::int16_t x, std::int16_t y, std::uint8_t yAnchor, std::uint8_t fan,
                          std::uint8_t kind, std::uint16_t dealCount, std::uint16_t pick, std::uint16_t accept,
                          std::uint8_t baseRank) {
    PileDef want;
    want.x = x;
    want.y = y;
    want.xAnchor = 1;
    want.yAnchor = yAnchor;
    want.fan = fan;
    want.kind = kind;
    want.dealFaceUp = 1;
    want.shown = 1;
    want.dealCount = dealCount;
    want.pickProgram = pick;
    want.acceptProgram = accept;
    want.enabled = 1;
    want.fanLimitAnchor = 1;
    want.baseRank = baseRank;
    EXPECT_EQ(record_.piles[p], want) << "pile " << p;
  };
  const std::array<std::uint16_t, 7> dealt = {8, 8, 8, 7, 7, 7, 7};
  for (std::size_t p = 0; p < 7; ++p) {
    expect(p, static_cast<std::int16_t>(10 + 20 * p), 42, 0, 4, 0, dealt[p], 1, 3, 0);
  }
  for (std::size_t p = 7; p < 12; ++p) expect(p, static_cast<std::int16_t>(30 + 20 * (p - 7)), 14, 0, 0, 0, 0, 2, 4, 0);
  for (std::size_t p = 12; p < 16; ++p) expect(p, 150, static_cast<std::int16_t>(20 + 40 * (p - 12)), 1, 0, 2, 0, 2, 5, 1);
}

TEST_F(SevenByFiveRecord, EventsConditionsAndTheWinAction) {
  EXPECT_EQ(record_.actions, (std::vector<ActionDef>{ActionDef{5, 0, 0, 0, 0, 0, 0, 0, 0, 0}}));
  EXPECT_EQ(record_.movePairs, (std::vector<MovePair>{{kNoReference, kNoReference}}));
  EXPECT_EQ(record_.eventKinds, (std::vector<std::uint8_t>{0, 0}));
  EXPECT_EQ(record_.eventActions, (std::vector<EventAction>{{1, 0}}));
  ASSERT_EQ(record_.conditions.size(), 13u);
  EXPECT_EQ(record_.conditions[0], (ConditionDef{0, 0, kNoReference}));
  ASSERT_EQ(record_.eventConditions.size(), 13u);
  EXPECT_EQ(record_.eventConditions[0], (EventCondition{0, 0}));
  for (std::uint16_t c = 1; c <= 12; ++c) {
    EXPECT_EQ(record_.conditions[c], (ConditionDef{6, static_cast<std::uint16_t>(c - 1), kNoReference}));
    EXPECT_EQ(record_.eventConditions[c], (EventCondition{1, c}));
  }
  EXPECT_TRUE(record_.dealPlacements.empty() && record_.dealFlips.empty() && record_.dealFixed.empty() &&
              record_.dealOpen.empty() && record_.counters.empty() && record_.eventCounters.empty());
}

TEST_F(SevenByFiveRecord, ProgramsAreTheReferencePrograms) {
  const std::array<std::string, 7> programs = {
      "PUSH 1",
      "BEGIN PUSH 1 DO SUIT IF DROP PUSH 0 PUSH 0 BREAK ENDIF DUP IF DROP SUIT RANK BREAK ENDIF PUSH 1 SUB NEXT "
      "LOOP RESET OTHER LEAVE END ABS SWAP ABS ADD",
      "PUSH 0",
      "BEGIN OTHER PUSH 0 DO SUIT IF DROP PUSH 0 PUSH 0 BREAK ENDIF DUP IF DROP SUIT RANK BREAK ENDIF PUSH 1 SUB "
      "NEXT LOOP RESET OTHER LEAVE END BEGIN PUSH 0 SAVE2 END ABS SWAP ABS ADD IF PUSH 0 LEAVE ENDIF BEGIN PUSH 0 "
      "LOAD END BEGIN PUSH 0 DO SUIT IF BREAK ENDIF SUIT RANK NEXT LOOP PUSH 0 DO SWAP DUP IF DROP DROP PUSH 0 "
      "PUSH 0 RESET LEAVE ENDIF SWAP DUP IF BREAK ENDIF PUSH 1 SUB SINK DROP DROP RAISE LOOP DROP SINK SINK DO IF "
      "BREAK ENDIF DROP LOOP RAISE RAISE RESET LEAVE END BEGIN PUSH 1 SAVE2 END BEGIN SWAP DROP SUB PUSH 1 SUB IF "
      "PUSH 0 ELSE PUSH 1 ENDIF SWAP DROP LEAVE END BEGIN PUSH 0 LOAD END BEGIN PUSH 1 LOAD END BEGIN DROP SWAP "
      "DROP PUSH 1 SUB PUSH 2 DIV SINK PUSH 1 SUB PUSH 2 DIV RAISE SUB ABS PUSH 1 SUB ABS LEAVE END ADD",
      "BEGIN OTHER PUSH 0 DO SUIT IF DROP PUSH 0 PUSH 0 BREAK ENDIF DUP IF DROP SUIT RANK BREAK ENDIF PUSH 1 SUB "
      "NEXT LOOP RESET OTHER LEAVE END ABS SWAP ABS ADD",
      "BEGIN OTHER PUSH 0 DO SUIT IF DROP PUSH 0 PUSH 0 BREAK ENDIF DUP IF DROP SUIT RANK BREAK ENDIF PUSH 1 SUB "
      "NEXT LOOP RESET OTHER LEAVE END BEGIN PUSH 0 SAVE2 END ABS SWAP ABS ADD BEGIN PUSH 0 DO SUIT IF BREAK ENDIF "
      "SUIT RANK NEXT LOOP PUSH 0 DO SWAP DUP IF DROP DROP PUSH 0 PUSH 0 RESET LEAVE ENDIF SWAP DUP IF BREAK ENDIF "
      "PUSH 1 SUB SINK DROP DROP RAISE LOOP DROP SINK SINK DO IF BREAK ENDIF DROP LOOP RAISE RAISE RESET LEAVE END "
      "BEGIN PUSH 1 SAVE2 END SWAP DROP PUSH 1 SUB ABS ADD IF PUSH 0 LEAVE ENDIF BEGIN PUSH 0 LOAD END BEGIN PUSH 1 "
      "LOAD END BEGIN SWAP DROP SUB PUSH 1 ADD IF PUSH 0 ELSE PUSH 1 ENDIF SWAP DROP LEAVE END BEGIN PUSH 0 LOAD END "
      "BEGIN PUSH 1 LOAD END BEGIN DROP SWAP DROP SUB IF PUSH 0 ELSE PUSH 1 ENDIF LEAVE END ADD",
      "SUIT RANK ADD",
  };
  const std::array<std::size_t, 7> lengths = {3, 37, 3, 186, 38, 185, 3};
  ASSERT_EQ(record_.programs.size(), programs.size());
  for (std::size_t p = 0; p < programs.size(); ++p) {
    const auto& program = record_.programs[p];
    EXPECT_EQ(program.size(), lengths[p]) << "program " << p;
    EXPECT_EQ(DisassembleProgram(program), programs[p]) << "program " << p;
    // Every PUSH is stored as 1, value, 1 and nothing else is there.
    for (std::size_t i = 0; i < program.size();) {
      const InstructionInfo* info = FindInstruction(program[i]);
      ASSERT_NE(info, nullptr) << "program " << p << " byte " << i;
      if (info->hasValue) {
        ASSERT_LT(i + 2, program.size());
        EXPECT_EQ(program[i + 2], kPushMarker) << "program " << p << " byte " << i;
        i += kPushLength;
      } else {
        ++i;
      }
    }
  }
}

TEST_F(SevenByFiveRecord, DisassemblyAssemblesToTheSameBytes) {
  const AssembleResult again = AssembleSource(DisassembleRecord(record_), "disassembly", ".");
  ASSERT_FALSE(again.error.has_value()) << again.error->ToString();
  EXPECT_EQ(again.bytes, bytes_);
}

}  // namespace
}  // namespace cw
