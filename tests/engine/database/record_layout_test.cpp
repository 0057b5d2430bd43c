#include "engine/database/record_layout.h"

#include <gtest/gtest.h>

#include <random>

namespace cw {
namespace {

DefinitionRecord SmallRecord() {
  DefinitionRecord r;
  r.id = 562;
  r.category = 6;
  r.skill = 2;
  r.duration = 2;
  r.layoutVariant = 1;
  r.name = "Antares";
  r.extraCategories = {8};
  r.rulesText = "<b>Object</b>\nTo move all the cards.";
  r.cards = {{0, 1, 1}, {0, 1, 2}};
  PileDef pile;
  pile.x = -5;
  pile.y = 148;
  pile.fanLimit = 77;
  pile.baseRank = 1;
  pile.baseSuit = 4;
  r.piles = {pile};
  r.actions = {{5, 0, 0, 0, 0, 0, 0, 0, 0, 0}};
  r.movePairs = {{kNoReference, kNoReference}};
  r.eventKinds = {0, 1};
  r.eventActions = {{1, 0}};
  r.programs = {{1, 1, 1}, {28, 25, 6}};
  r.conditions = {{0, 0, kNoReference}};
  r.eventConditions = {{0, 0}};
  return r;
}

std::vector<std::uint8_t> Encode(const DefinitionRecord& r) {
  auto bytes = EncodeRecord(r);
  EXPECT_TRUE(bytes.has_value());
  return bytes.value_or(std::vector<std::uint8_t>{});
}

TEST(RecordLayout, EncodesHeaderFieldsAndOffsetsLittleEndian) {
  const auto bytes = Encode(SmallRecord());
  ASSERT_GT(bytes.size(), kRecordHeaderSize);
  EXPECT_EQ(bytes[0], 562 & 0xFF);
  EXPECT_EQ(bytes[1], 562 >> 8);
  EXPECT_EQ(bytes[10], 1);  // one extra category
  EXPECT_EQ(bytes[12], 2);  // two cards
  // The extra category byte sits right after the name's terminator and the
  // rules text right after it.
  const std::size_t nameEnd = kRecordHeaderSize + std::string("Antares").size();
  EXPECT_EQ(bytes[nameEnd], 0);
  EXPECT_EQ(bytes[nameEnd + 1], 8);
  EXPECT_EQ(bytes[nameEnd + 2], '<');
}

TEST(RecordLayout, SizeIsTheSumOfItsParts) {
  const DefinitionRecord r = SmallRecord();
  const std::size_t expected = kRecordHeaderSize + r.name.size() + 1 + r.extraCategories.size() +
                               r.rulesText.size() + 1 + 2 * 4 + 1 * 34 + 1 * 16 + 1 * 4 + 2 * 1 +
                               1 * 4 + (2 + 3) + (2 + 3) + 1 * 6 + 1 * 4;
  EXPECT_EQ(Encode(r).size(), expected);
}

TEST(RecordLayout, DecodeGivesBackTheEncodedRecord) {
  const DefinitionRecord r = SmallRecord();
  const auto decoded = DecodeRecord(Encode(r));
  ASSERT_TRUE(decoded.record.has_value()) << decoded.error;
  EXPECT_EQ(*decoded.record, r);
}

TEST(RecordLayout, EveryTruncationAndAnyTrailingByteIsRejected) {
  const auto bytes = Encode(SmallRecord());
  for (std::size_t length = 0; length < bytes.size(); ++length) {
    const auto decoded = DecodeRecord(std::span(bytes.data(), length));
    EXPECT_FALSE(decoded.record.has_value()) << "length " << length;
    EXPECT_FALSE(decoded.error.empty());
  }
  auto longer = bytes;
  longer.push_back(0);
  EXPECT_FALSE(DecodeRecord(longer).record.has_value());
}

TEST(RecordLayout, NegativeProgramLengthIsRejected) {
  DefinitionRecord r = SmallRecord();
  r.programs = {{}};
  auto bytes = Encode(r);
  // The last program's length prefix sits before the conditions (6 bytes)
  // and event conditions (4 bytes).
  const std::size_t prefix = bytes.size() - 4 - 6 - 2;
  bytes[prefix] = 0xFF;
  bytes[prefix + 1] = 0xFF;
  const auto decoded = DecodeRecord(bytes);
  EXPECT_FALSE(decoded.record.has_value());
}

TEST(RecordLayout, EncodeRefusesWhatItsFieldsCannotHold) {
  DefinitionRecord r = SmallRecord();
  r.programs = {std::vector<std::uint8_t>(40000, 6)};
  std::string error;
  EXPECT_FALSE(EncodeRecord(r, &error).has_value());
  EXPECT_FALSE(error.empty());

  r = SmallRecord();
  r.name = std::string("Ab\0c", 4);
  EXPECT_FALSE(EncodeRecord(r).has_value());
}

TEST(RecordLayout, RandomRecordsSurviveTheRoundTrip) {
  std::mt19937 rng(7);
  auto u16 = [&] { return static_cast<std::uint16_t>(rng()); };
  auto u8 = [&] { return static_cast<std::uint8_t>(rng()); };
  for (int round = 0; round < 200; ++round) {
    DefinitionRecord r;
    r.id = u16();
    r.layoutVariant = u16();
    r.name = std::string(rng() % 40, 'n');
    r.extraCategories.resize(rng() % 3, u8());
    r.rulesText = std::string(rng() % 100, 'r');
    r.cards.resize(rng() % 5, CardDef{u16(), u8(), u8()});
    r.piles.resize(rng() % 4);
    for (auto& p : r.piles) {
      p.x = static_cast<std::int16_t>(u16());
      p.reserved = u16();
      p.baseSuit = u8();
    }
    r.actions.resize(rng() % 4, ActionDef{u8(), u8(), u16(), u16(), u16(), u16(), u8(), u8(), u16(), u16()});
    r.dealFixed.resize(rng() % 3, PilePosition{u16(), u16()});
    r.eventKinds.resize(rng() % 4, u8());
    for (std::size_t i = rng() % 4; i > 0; --i) {
      std::vector<std::uint8_t> program(rng() % 30);
      for (auto& b : program) b = u8();
      r.programs.push_back(program);
    }
    r.counters.resize(rng() % 2, CounterDef{u16(), u16()});
    const auto decoded = DecodeRecord(Encode(r));
    ASSERT_TRUE(decoded.record.has_value()) << decoded.error;
    EXPECT_EQ(*decoded.record, r);
  }
}

}  // namespace
}  // namespace cw
