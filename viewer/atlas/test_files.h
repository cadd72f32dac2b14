// A fresh folder per test for the fixture files the tests write.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include <sys/stat.h>
#ifdef _WIN32
#include <direct.h>
#endif

inline std::string make_test_dir() {
  const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
  std::string dir = testing::TempDir() + "atlas_" + info->test_suite_name() + "_" + info->name();
#ifdef _WIN32
  _mkdir(dir.c_str());
#else
  mkdir(dir.c_str(), 0755);
#endif
  return dir;
}

inline void write_file(const std::string& path, const std::string& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr) << path;
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

inline void remove_file(const std::string& path) { std::remove(path.c_str()); }
