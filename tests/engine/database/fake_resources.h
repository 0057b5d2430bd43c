// A resource source held in memory, for tests that build their own
// database and catalogue arrays.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "engine/database/resource_source.h"

namespace cw::test {

class FakeResources : public ResourceSource {
 public:
  void Set(std::string type, int id, std::vector<std::uint8_t> bytes) {
    resources_[{std::move(type), id}] = std::move(bytes);
  }
  void SetString(int id, std::string text) { strings_[id] = std::move(text); }

  std::optional<std::span<const std::uint8_t>> FindResource(std::string_view type, int id) const override {
    const auto found = resources_.find({std::string(type), id});
    if (found == resources_.end()) return std::nullopt;
    return std::span<const std::uint8_t>(found->second);
  }
  std::optional<std::string> LoadString(int id) const override {
    const auto found = strings_.find(id);
    if (found == strings_.end()) return std::nullopt;
    return found->second;
  }

 private:
  std::map<std::pair<std::string, int>, std::vector<std::uint8_t>> resources_;
  std::map<int, std::string> strings_;
};

inline std::vector<std::uint8_t> U16Array(const std::vector<std::uint16_t>& values) {
  std::vector<std::uint8_t> bytes;
  for (const std::uint16_t v : values) {
    bytes.push_back(static_cast<std::uint8_t>(v & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(v >> 8));
  }
  return bytes;
}

}  // namespace cw::test
