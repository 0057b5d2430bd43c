// The runtime library's pseudo-random generator, made our own so that every
// machine gives the same sequence: a linear congruential generator with
// 15-bit results.
#pragma once

#include <cstdint>

namespace cw {

class RuntimeRandom {
 public:
  static constexpr int kMax = 0x7FFF;

  void Seed(std::uint32_t seed) { state_ = seed; }
  int Next() {
    state_ = state_ * 214013u + 2531011u;
    return static_cast<int>((state_ >> 16) & 0x7FFF);
  }
  std::uint32_t State() const { return state_; }
  bool operator==(const RuntimeRandom&) const = default;

 private:
  std::uint32_t state_ = 1;
};

}  // namespace cw
