// The undo history: a growable array of 16-byte records that start with a
// capacity of ten and grow ten at a time, never shrinking during a game.
#pragma once

#include <cstdint>
#include <vector>

namespace cw {

enum class JournalType : std::uint32_t {
  kPlayerMove = 0,    // index: source pile, value: position, target, targetCount
  kAction = 1,        // index: ActionDef, value: undo value
  kOpenChanged = 2,   // index: card
  kCounterUsed = 3,   // index: counter
};

struct JournalRecord {
  std::uint32_t type = 0;
  std::uint8_t groupStart = 0;
  std::uint8_t reserved0 = 0;
  std::uint16_t index = 0;
  std::uint16_t value = 0;
  std::uint16_t target = 0;
  std::int16_t targetCount = 0;
  std::uint16_t reserved1 = 0;
  bool operator==(const JournalRecord&) const = default;
};
static_assert(sizeof(JournalRecord) == 16);

class MoveJournal {
 public:
  static constexpr std::uint32_t kGrowth = 10;

  MoveJournal() : capacity_(kGrowth) { records_.reserve(kGrowth); }

  std::uint32_t Count() const { return static_cast<std::uint32_t>(records_.size()); }
  std::uint32_t Capacity() const { return capacity_; }
  bool Empty() const { return records_.empty(); }
  const JournalRecord& operator[](std::uint32_t i) const { return records_[i]; }
  const JournalRecord& Back() const { return records_.back(); }
  const std::vector<JournalRecord>& Records() const { return records_; }

  std::uint32_t Append(const JournalRecord& record) {
    // The capacity grows ten records at a time as the journal's format
    // promises; the storage underneath grows geometrically, so that a long
    // game never copies its whole history on every tenth move.
    if (records_.size() == capacity_) capacity_ += kGrowth;
    records_.push_back(record);
    return Count() - 1;
  }
  void PopBack() { records_.pop_back(); }

 private:
  std::vector<JournalRecord> records_;
  std::uint32_t capacity_ = 0;
};

}  // namespace cw
