// Little-endian reading and writing of packed records, field by field. The
// reader never reads past the bytes it was given: every read answers false
// instead. Records, saved games and registry values all go through these.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace cw {

class ByteReader {
 public:
  explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  std::size_t Remaining() const { return bytes_.size() - offset_; }
  std::size_t Offset() const { return offset_; }

  bool U8(std::uint8_t& value) {
    if (Remaining() < 1) return false;
    value = bytes_[offset_++];
    return true;
  }
  bool U16(std::uint16_t& value) {
    if (Remaining() < 2) return false;
    value = static_cast<std::uint16_t>(bytes_[offset_] | (bytes_[offset_ + 1] << 8));
    offset_ += 2;
    return true;
  }
  bool I16(std::int16_t& value) {
    std::uint16_t raw = 0;
    if (!U16(raw)) return false;
    value = static_cast<std::int16_t>(raw);
    return true;
  }
  bool U32(std::uint32_t& value) {
    std::uint16_t low = 0;
    std::uint16_t high = 0;
    if (Remaining() < 4 || !U16(low) || !U16(high)) return false;
    value = static_cast<std::uint32_t>(low) | (static_cast<std::uint32_t>(high) << 16);
    return true;
  }
  bool Bytes(std::vector<std::uint8_t>& out, std::size_t count) {
    if (Remaining() < count) return false;
    out.assign(bytes_.begin() + static_cast<std::ptrdiff_t>(offset_),
               bytes_.begin() + static_cast<std::ptrdiff_t>(offset_ + count));
    offset_ += count;
    return true;
  }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t offset_ = 0;
};

class ByteWriter {
 public:
  void Reserve(std::size_t length) { bytes_.reserve(length); }
  void U8(std::uint8_t value) { bytes_.push_back(value); }
  void U16(std::uint16_t value) {
    bytes_.push_back(static_cast<std::uint8_t>(value & 0xFF));
    bytes_.push_back(static_cast<std::uint8_t>(value >> 8));
  }
  void I16(std::int16_t value) { U16(static_cast<std::uint16_t>(value)); }
  void U32(std::uint32_t value) {
    U16(static_cast<std::uint16_t>(value & 0xFFFF));
    U16(static_cast<std::uint16_t>(value >> 16));
  }
  void Bytes(std::span<const std::uint8_t> bytes) { bytes_.insert(bytes_.end(), bytes.begin(), bytes.end()); }
  // Writes the characters and one terminating zero byte.
  void String(std::string_view text) {
    bytes_.insert(bytes_.end(), text.begin(), text.end());
    bytes_.push_back(0);
  }

  const std::vector<std::uint8_t>& View() const { return bytes_; }
  std::vector<std::uint8_t> Take() { return std::move(bytes_); }

 private:
  std::vector<std::uint8_t> bytes_;
};

}  // namespace cw
