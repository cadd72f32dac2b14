// Helpers shared by the text topics: 0-based search and the 1-based positions the rules return.
#pragma once

#include <chrono>
#include <cstdint>
#include <random>
#include <string>

namespace text_detail {

// 0-based index of sub in text at or after from, or npos. An empty sub is never found.
inline std::size_t Find(const std::string& sub, const std::string& text, std::size_t from = 0) {
  if (sub.empty()) return std::string::npos;
  return text.find(sub, from);
}

inline int ToPosition(std::size_t index) {
  return index == std::string::npos ? 0 : static_cast<int>(index) + 1;
}

inline std::mt19937_64 ClockSeededGenerator() {
  return std::mt19937_64(static_cast<std::uint64_t>(
      std::chrono::high_resolution_clock::now().time_since_epoch().count()));
}

}  // namespace text_detail
