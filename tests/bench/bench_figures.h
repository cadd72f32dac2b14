// What the benchmarks measure with: a steady clock, seconds since a point, and medians.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <vector>

using Clock = std::chrono::steady_clock;

inline double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

// The median of a non-empty set of figures.
inline double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}
