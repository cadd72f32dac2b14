// Decoding of the uncompressed bitmaps that the materials name as textures.
#pragma once

#include <cstdint>
#include <memory>

#include "model/byte_source.h"

struct BitmapImage {
  uint32_t format = 0;  // bmp::kFormatRgb (24-bit) or bmp::kFormatLuminance (8-bit)
  int16_t width = 0;
  int16_t height = 0;
  uint8_t bits_per_pixel = 0;
  // Rows bottom first, each padded to 4 bytes (bmp::row_stride); none after any failure.
  std::unique_ptr<uint8_t[]> pixels;
};

// Results of read_bitmap_file; only kBitmapRead means success.
constexpr int kBitmapCannotOpen = 0;
constexpr int kBitmapBadHeader = 1;  // short, not "BM", compressed, or no positive size
constexpr int kBitmapBadDepth = 2;   // neither 24 nor 8 bits per pixel
constexpr int kBitmapBadData = 3;    // no buffer, or pixel data short
constexpr int kBitmapRead = 6;

// Reads the file by the name as stored; when no file has exactly that name, the working directory
// (or the name's own folder) is searched for one that matches without regard to case.
int read_bitmap_file(BitmapImage& image, const char* file_name);
// Decodes bitmap bytes from a source positioned at the start of the file.
int decode_bitmap(BitmapImage& image, ByteSource& source);
