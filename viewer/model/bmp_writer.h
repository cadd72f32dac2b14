// Writes uncompressed bitmaps: 24-bit colour or 8-bit grey, and odd headers for tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct BmpLayout {
  int width = 0;
  int height = 0;
  int bits_per_pixel = 24;  // 24: RGB triples; 8: grey bytes with a grey colour table; others raw
  // Bottom row first, rows unpadded: width x (bits_per_pixel / 8) bytes each. 24-bit pixels are
  // given red, green, blue; the writer stores them blue, green, red and pads every row to 4 bytes.
  std::vector<uint8_t> pixels;
  uint32_t compression = 0;
  bool zero_data_offset = false;  // store offset 0 (no colour table then: data must start at 54)
  bool zero_data_size = false;    // store data size 0
};

std::vector<uint8_t> write_bmp(const BmpLayout& picture);
bool save_bmp(const std::string& path, const BmpLayout& picture);
