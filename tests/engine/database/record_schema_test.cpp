#include "engine/database/record_schema.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "engine/database/byte_io.h"

namespace cw {
namespace {

// Gives field k of an element a value no other field holds, within its width.
template <typename Element>
Element DistinctElement() {
  Element element{};
  std::int64_t k = 1;
  for (const auto& field : FieldsOf<Element>()) {
    field.Set(element, field.width == FieldWidth::kU8 ? k : (k << 8) | k);
    ++k;
  }
  return element;
}

// The element's stored bytes as the field list says they lie: each field
// little-endian, in order, with nothing between.
template <typename Element>
std::vector<std::uint8_t> BytesByHand(const Element& element) {
  ByteWriter out;
  for (const auto& field : FieldsOf<Element>()) {
    const auto value = static_cast<std::uint16_t>(field.Get(element));
    if (field.width == FieldWidth::kU8) {
      out.U8(static_cast<std::uint8_t>(value));
    } else {
      out.U16(value);
    }
  }
  return out.Take();
}

// One element in the table `member` of an otherwise empty record, and that
// element's bytes within the encoded record (all the tables before are empty).
template <typename Element>
void ExpectFieldsRoundTrip(std::vector<Element> DefinitionRecord::*member) {
  DefinitionRecord record;
  const Element element = DistinctElement<Element>();
  (record.*member).push_back(element);
  const auto bytes = EncodeRecord(record);
  ASSERT_TRUE(bytes.has_value());
  const std::vector<std::uint8_t> expected = BytesByHand(element);
  ASSERT_EQ(expected.size(), ElementBytes<Element>());
  const std::size_t start = kRecordHeaderSize + 2;  // two empty strings
  ASSERT_EQ(bytes->size(), start + expected.size());
  EXPECT_EQ(std::vector<std::uint8_t>(bytes->begin() + static_cast<std::ptrdiff_t>(start), bytes->end()), expected);
  const DecodeResult decoded = DecodeRecord(*bytes);
  ASSERT_TRUE(decoded.record.has_value()) << decoded.error;
  EXPECT_EQ(*decoded.record, record);

  std::set<std::string_view> names;
  for (const auto& field : FieldsOf<Element>()) EXPECT_TRUE(names.insert(field.name).second) << field.name;
}

TEST(RecordSchema, EveryFieldListDrivesTheStoredBytesAndComesBack) {
  ExpectFieldsRoundTrip(&DefinitionRecord::cards);
  ExpectFieldsRoundTrip(&DefinitionRecord::piles);
  ExpectFieldsRoundTrip(&DefinitionRecord::actions);
  ExpectFieldsRoundTrip(&DefinitionRecord::movePairs);
  ExpectFieldsRoundTrip(&DefinitionRecord::dealPlacements);
  ExpectFieldsRoundTrip(&DefinitionRecord::dealFlips);
  ExpectFieldsRoundTrip(&DefinitionRecord::eventActions);
  ExpectFieldsRoundTrip(&DefinitionRecord::conditions);
  ExpectFieldsRoundTrip(&DefinitionRecord::eventConditions);
  ExpectFieldsRoundTrip(&DefinitionRecord::counters);
  ExpectFieldsRoundTrip(&DefinitionRecord::eventCounters);
}

TEST(RecordSchema, HeaderFieldsOpenTheRecordInOrder) {
  DefinitionRecord record;
  std::uint16_t value = 0x0101;
  for (const auto& field : FieldsOf<DefinitionRecord>()) {
    field.Set(record, value);
    value = static_cast<std::uint16_t>(value + 0x0101);
  }
  EXPECT_EQ(record.id, 0x0101);
  EXPECT_EQ(record.layoutVariant, 0x0505);
  const auto bytes = EncodeRecord(record);
  ASSERT_TRUE(bytes.has_value());
  for (std::size_t f = 0; f < kHeaderExtraCategoryCount; ++f) {
    EXPECT_EQ((*bytes)[2 * f], f + 1);
    EXPECT_EQ((*bytes)[2 * f + 1], f + 1);
  }
  const DecodeResult decoded = DecodeRecord(*bytes);
  ASSERT_TRUE(decoded.record.has_value()) << decoded.error;
  EXPECT_EQ(*decoded.record, record);
}

TEST(RecordSchema, PileFieldsLieAtTheirStoredOffsets) {
  DefinitionRecord record;
  PileDef pile;
  pile.x = -5;
  pile.kind = static_cast<std::uint8_t>(PileKind::kArrow);
  pile.dealCount = 0x0102;
  pile.dropEvent = 0x0304;
  pile.fanLimit = 0x0506;
  pile.baseSuit = 4;
  record.piles = {pile};
  const auto bytes = EncodeRecord(record);
  ASSERT_TRUE(bytes.has_value());
  const std::size_t at = kRecordHeaderSize + 2;
  ASSERT_EQ(bytes->size(), at + 34);
  EXPECT_EQ((*bytes)[at + 2], 0xFB);
  EXPECT_EQ((*bytes)[at + 3], 0xFF);
  EXPECT_EQ((*bytes)[at + 9], 3);
  EXPECT_EQ((*bytes)[at + 12], 0x02);
  EXPECT_EQ((*bytes)[at + 24], 0x04);
  EXPECT_EQ((*bytes)[at + 30], 0x06);
  EXPECT_EQ((*bytes)[at + 33], 4);
}

TEST(RecordSchema, ElementSizesAreThoseOfTheStoredFormat) {
  EXPECT_EQ(ElementBytes<CardDef>(), 4u);
  EXPECT_EQ(ElementBytes<PileDef>(), 34u);
  EXPECT_EQ(ElementBytes<ActionDef>(), 16u);
  EXPECT_EQ(ElementBytes<MovePair>(), 4u);
  EXPECT_EQ(ElementBytes<DealPlacement>(), 6u);
  EXPECT_EQ(ElementBytes<PilePosition>(), 4u);
  EXPECT_EQ(ElementBytes<EventAction>(), 4u);
  EXPECT_EQ(ElementBytes<ConditionDef>(), 6u);
  EXPECT_EQ(ElementBytes<EventCondition>(), 4u);
  EXPECT_EQ(ElementBytes<CounterDef>(), 4u);
  EXPECT_EQ(ElementBytes<EventCounter>(), 4u);
}

TEST(RecordSchema, TablesAreVisitedInRecordOrderWithDistinctNames) {
  DefinitionRecord record;
  std::size_t next = 0;
  std::set<std::string_view> names;
  std::set<std::string_view> listingNames;
  ForEachTable(record, [&](const TableInfo& info, const auto&) {
    EXPECT_EQ(static_cast<std::size_t>(info.table), next++);
    EXPECT_TRUE(names.insert(info.name).second) << info.name;
    EXPECT_TRUE(listingNames.insert(info.listingName).second) << info.listingName;
    EXPECT_EQ(TableInfos()[static_cast<std::size_t>(info.table)].name, info.name);
  });
  EXPECT_EQ(next, kTableCount);
}

TEST(RecordSchema, ATableThatRunsShortIsNamedInTheError) {
  DefinitionRecord record;
  record.counters = {{1, 2}};
  auto bytes = EncodeRecord(record);
  ASSERT_TRUE(bytes.has_value());
  bytes->pop_back();
  EXPECT_EQ(DecodeRecord(*bytes).error, "table of counters runs past the end of the record");
}

// A name table names `count` values, each once, and each name is distinct.
void ExpectNamesEveryValue(std::span<const CodeName> names, std::initializer_list<std::uint16_t> values) {
  std::set<std::string_view> seen;
  for (const CodeName& entry : names) EXPECT_TRUE(seen.insert(entry.name).second) << entry.name;
  EXPECT_EQ(names.size(), values.size());
  for (std::uint16_t value : values) {
    const auto name = FindCodeName(names, value);
    ASSERT_TRUE(name.has_value()) << value;
    EXPECT_EQ(FindCode(names, *name), value);
  }
}

template <typename Enum>
std::uint16_t Code(Enum value) {
  return static_cast<std::uint16_t>(value);
}

TEST(RecordCodes, NameTablesCoverEveryValueOfTheirEnum) {
  ExpectNamesEveryValue(kAnchorModeNames, {Code(AnchorMode::kNear), Code(AnchorMode::kProportional),
                                           Code(AnchorMode::kCentre), Code(AnchorMode::kFar)});
  ExpectNamesEveryValue(kFanDirectionNames,
                        {Code(FanDirection::kSquared), Code(FanDirection::kLeft), Code(FanDirection::kRight),
                         Code(FanDirection::kUp), Code(FanDirection::kDown)});
  ExpectNamesEveryValue(kPileKindNames, {Code(PileKind::kPlain), Code(PileKind::kInert), Code(PileKind::kBase),
                                         Code(PileKind::kArrow)});
  ExpectNamesEveryValue(kFanLimitAnchorNames, {Code(FanLimitAnchorMode::kNone), Code(FanLimitAnchorMode::kProportional),
                                               Code(FanLimitAnchorMode::kFar)});
  ExpectNamesEveryValue(kLayoutVariantNames, {Code(LayoutVariant::kSmallCards), Code(LayoutVariant::kLargeCards)});
  ExpectNamesEveryValue(kEventKindNames, {Code(EventKind::kAutomatic), Code(EventKind::kRepeating),
                                          Code(EventKind::kOnRequest), Code(EventKind::kGameStart)});
  ExpectNamesEveryValue(kActionTypeNames,
                        {Code(ActionType::kMoveCards), Code(ActionType::kPileAttribute),
                         Code(ActionType::kCardAttribute), Code(ActionType::kDenyRoute), Code(ActionType::kAllowRoute),
                         Code(ActionType::kGameWon), Code(ActionType::kResetCounter)});
  ExpectNamesEveryValue(kPileAttributeNames,
                        {Code(PileAttribute::kShown), Code(PileAttribute::kEnabled),
                         Code(PileAttribute::kReverse), Code(PileAttribute::kAcceptProgram),
                         Code(PileAttribute::kValue), Code(PileAttribute::kShuffle),
                         Code(PileAttribute::kPickProgram)});
  ExpectNamesEveryValue(kCardAttributeNames, {Code(CardAttribute::kFaceUp), Code(CardAttribute::kMovable),
                                              Code(CardAttribute::kOpen)});
  ExpectNamesEveryValue(kCategoryNames,
                        {Code(Category::kAll), Code(Category::kAddition), Code(Category::kCanfield),
                         Code(Category::kCastle), Code(Category::kFan), Code(Category::kFortyThieves),
                         Code(Category::kFreeCell), Code(Category::kKlondike), Code(Category::kSpider),
                         Code(Category::kTerrace), Code(Category::kYukon), Code(Category::kOther)});
}

TEST(RecordCodes, AStoredValueNoNameCoversSurvivesTheRoundTrip) {
  DefinitionRecord record;
  PileDef pile;
  pile.kind = 200;
  pile.fan = 9;
  record.piles = {pile};
  record.actions = {ActionDef{.type = 77, .mode = 5, .destMode = 9}};
  record.eventKinds = {42};
  const auto bytes = EncodeRecord(record);
  ASSERT_TRUE(bytes.has_value());
  const DecodeResult decoded = DecodeRecord(*bytes);
  ASSERT_TRUE(decoded.record.has_value()) << decoded.error;
  EXPECT_EQ(*decoded.record, record);
  EXPECT_FALSE(FindCodeName(kPileKindNames, decoded.record->piles[0].kind).has_value());
}

}  // namespace
}  // namespace cw
