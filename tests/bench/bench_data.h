// The mixed data of the archive benchmarks: text-like, random, runs and structured records.
#pragma once

#include <algorithm>
#include <cstddef>
#include <random>
#include <string>

#include "ArchiveWriter.h"

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


// A ~megabytes archive of mixed files of 1 to 5 MiB behind a 4 KiB stand-in stub image, cut
// into volumes of 48 MiB so that every volume stays below the 50 MiB checksum limit. *total
// receives the bytes of data.
inline pack::PackOptions MixedArchiveOptions(std::size_t megabytes, std::uint64_t* total) {
  std::mt19937 rng(12345);
  pack::PackOptions o;
  o.stub_bytes.assign(4096, '\0');
  o.stub_bytes[0] = 'M';
  o.stub_bytes[1] = 'Z';
  o.stub_bytes[256] = 'P';
  o.stub_bytes[257] = 'E';
  o.seed = 1;
  o.level = 6;
  o.volume_size = 48ull << 20;
  *total = 0;
  for (int i = 0; *total < std::uint64_t(megabytes) << 20; ++i) {
    pack::PackEntry e;
    e.name = "file" + std::to_string(i) + ".dat";
    e.data = MakeFile(rng, (1u << 20) + rng() % (4u << 20), i);
    e.dos_date = 881348945;
    *total += e.data.size();
    o.entries.push_back(std::move(e));
  }
  return o;
}
