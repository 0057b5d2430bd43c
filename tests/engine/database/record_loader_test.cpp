#include "engine/database/record_loader.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include "tests/engine/database/fake_resources.h"

namespace cw {
namespace {

using test::U16Array;

// Records of recognisable bytes; the loader does not look inside them.
std::vector<std::uint8_t> Record(std::size_t size, std::uint8_t seed) {
  std::vector<std::uint8_t> bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(seed + i * 7 + i / 13);
  return bytes;
}

std::vector<std::uint8_t> Compress(const std::vector<std::vector<std::uint8_t>>& records) {
  std::vector<std::uint8_t> plain;
  for (const auto& r : records) plain.insert(plain.end(), r.begin(), r.end());
  uLongf length = compressBound(static_cast<uLong>(plain.size()));
  std::vector<std::uint8_t> packed(length);
  EXPECT_EQ(compress(packed.data(), &length, plain.data(), static_cast<uLong>(plain.size())), Z_OK);
  packed.resize(length);
  return packed;
}

class RecordLoaderTest : public ::testing::Test {
 protected:
  // The first record is larger than the others, so skipping it takes
  // several passes through a smaller record's buffer.
  std::vector<std::vector<std::uint8_t>> records_ = {Record(5000, 1), Record(300, 2), Record(1200, 3)};
  std::vector<std::uint8_t> database_ = Compress(records_);
  test::FakeResources resources_;

  void Install(std::vector<std::uint8_t> database, std::vector<std::uint16_t> sizes) {
    resources_.Set("SOLDB", kResourceSolDbFirst, std::move(database));
    resources_.Set("SOLSIZE", kResourceSolSize, U16Array(sizes));
  }
  void InstallIntact() { Install(database_, {5000, 300, 1200}); }
};

TEST_F(RecordLoaderTest, EveryRecordComesBackExactly) {
  InstallIntact();
  for (std::uint16_t index = 0; index < records_.size(); ++index) {
    EXPECT_EQ(LoadDefinitionRecord(resources_, index), records_[index]) << "record " << index;
  }
}

TEST_F(RecordLoaderTest, SecondBlockIsReadFromItsOwnResourceAndSizes) {
  InstallIntact();
  std::vector<std::uint16_t> sizes(64, 1);
  sizes.push_back(300);
  sizes.push_back(1200);
  resources_.Set("SOLSIZE", kResourceSolSize, U16Array(sizes));
  resources_.Set("SOLDB", kResourceSolDbFirst + 1, Compress({records_[1], records_[2]}));
  EXPECT_EQ(LoadDefinitionRecord(resources_, 65), records_[2]);
  EXPECT_EQ(LoadDefinitionRecord(resources_, 66), std::nullopt);
}

TEST_F(RecordLoaderTest, DamagedStreamsGiveNoRecord) {
  std::vector<std::uint8_t> truncated(database_.begin(), database_.begin() + database_.size() / 2);
  Install(truncated, {5000, 300, 1200});
  EXPECT_EQ(LoadDefinitionRecord(resources_, 2), std::nullopt);
  // Cut inside the last record: the input runs out before its buffer fills.
  Install({database_.begin(), database_.end() - 20}, {5000, 300, 1200});
  EXPECT_EQ(LoadDefinitionRecord(resources_, 2), std::nullopt);

  std::vector<std::uint8_t> badHeader = database_;
  badHeader[0] ^= 0xFF;
  Install(badHeader, {5000, 300, 1200});
  EXPECT_EQ(LoadDefinitionRecord(resources_, 0), std::nullopt);

  std::vector<std::uint8_t> badChecksum = database_;
  badChecksum.back() ^= 0x01;
  Install(badChecksum, {5000, 300, 1200});
  EXPECT_EQ(LoadDefinitionRecord(resources_, 2), std::nullopt);

  // Sizes that promise more than the stream holds.
  Install(database_, {5000, 300, 1300});
  EXPECT_EQ(LoadDefinitionRecord(resources_, 2), std::nullopt);
  Install(database_, {5000, 300, 1200, 50});
  EXPECT_EQ(LoadDefinitionRecord(resources_, 3), std::nullopt);
}

TEST_F(RecordLoaderTest, MissingResourcesShortSizesAndEmptyRecordsGiveNoRecord) {
  resources_.Set("SOLSIZE", kResourceSolSize, U16Array({5000, 300, 1200}));
  EXPECT_EQ(LoadDefinitionRecord(resources_, 0), std::nullopt);

  test::FakeResources noSizes;
  noSizes.Set("SOLDB", kResourceSolDbFirst, database_);
  EXPECT_EQ(LoadDefinitionRecord(noSizes, 0), std::nullopt);

  Install(database_, {5000, 300});
  EXPECT_EQ(LoadDefinitionRecord(resources_, 2), std::nullopt);
  EXPECT_EQ(LoadDefinitionRecord(resources_, 1), records_[1]);

  std::vector<std::uint8_t> oddSizes = U16Array({5000, 300});
  oddSizes.push_back(0xB0);  // half an element
  resources_.Set("SOLSIZE", kResourceSolSize, oddSizes);
  EXPECT_EQ(LoadDefinitionRecord(resources_, 2), std::nullopt);

  Install(database_, {5000, 0, 300, 1200});
  EXPECT_EQ(LoadDefinitionRecord(resources_, 1), std::nullopt);
  EXPECT_EQ(LoadDefinitionRecord(resources_, 2), records_[1]);
}

}  // namespace
}  // namespace cw
