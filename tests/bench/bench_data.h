// The mixed data of the archive benchmarks: text-like, random, runs and structured records.
#pragma once

#include <algorithm>
#include <cstddef>
#include <random>
#include <string>

inline std::string MakeFile(std::mt19937& rng, std::size_t size, int kind) {
  std::string b(size, '\0');
  static const char* const words[] = {"meridian ", "acupoint ", "zhongfu ", "texture ",
                                      "\r\n",      "lung ",     "0.125 ",   "model "};
  switch (kind % 4) {
    case 0:
      b.clear();
      while (b.size() < size) b += words[rng() % 8];
      b.resize(size);
      break;
    case 1:
      for (char& c : b) c = char(rng());
      break;
    case 2:
      for (std::size_t i = 0; i < size; i += 64) {
        const char v = char(rng() % 4);
        for (std::size_t k = i; k < std::min(size, i + 64); ++k) b[k] = v;
      }
      break;
    default:
      for (std::size_t i = 0; i < size; ++i) b[i] = char((i % 12 < 4) ? rng() % 256 : i % 12);
  }
  return b;
}

