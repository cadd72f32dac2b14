// The folders and files of the seed writers.
#pragma once

#include <sys/stat.h>

#include <cstdio>
#include <string>

// An existing folder is no failure: the corpus is written again on every run.
inline void make_dir(const std::string& path) { mkdir(path.c_str(), 0755); }

inline bool write_seed(const std::string& path, const std::string& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}
