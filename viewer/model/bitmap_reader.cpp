#include <cstring>
#include <new>
#include <string>
#include <utility>

#include "model/bitmap_image.h"
#include "model/file_lookup.h"
#include "model/format_bmp.h"

namespace {

uint16_t le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t le32(const uint8_t* p) {
  return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

}  // namespace

int decode_bitmap(BitmapImage& image, ByteSource& source) {
  image.pixels.reset();
  uint8_t h[bmp::kHeaderSize];
  if (source.read(h, sizeof h) < sizeof h) return kBitmapBadHeader;
  if (h[0] != 'B' || h[1] != 'M') return kBitmapBadHeader;
  if (le32(h + bmp::kCompressionOffset) != 0) return kBitmapBadHeader;
  const uint8_t bits = h[bmp::kBitsPerPixelOffset];
  if (bits != 24 && bits != 8) return kBitmapBadDepth;

  const int16_t width = static_cast<int16_t>(le16(h + bmp::kWidthOffset));
  const int16_t height = static_cast<int16_t>(le16(h + bmp::kHeightOffset));
  // Top-down images (negative height) and empty ones have no rows to give OpenGL.
  if (width <= 0 || height <= 0) return kBitmapBadHeader;

  // OpenGL takes every row padded to 4 bytes, so that is what the buffer must hold. A stored size
  // of 0 is computed the same way: without the fill bytes the last rows would be read past the
  // buffer. A stored size smaller than the rows need is short data.
  const uint32_t stride = bmp::row_stride(static_cast<uint32_t>(width), bits);
  const uint64_t needed = static_cast<uint64_t>(stride) * static_cast<uint32_t>(height);
  uint32_t offset = le32(h + bmp::kDataOffsetOffset);
  if (offset == 0) offset = bmp::kHeaderSize;
  uint64_t size = le32(h + bmp::kDataSizeOffset);
  if (size == 0) size = needed;
  if (size < needed) return kBitmapBadData;

  if (!source.seek(offset) || source.remaining() < size) return kBitmapBadData;
  std::unique_ptr<uint8_t[]> pixels(new (std::nothrow) uint8_t[needed]);
  if (!pixels) return kBitmapBadData;
  if (source.read(pixels.get(), needed) < needed) return kBitmapBadData;

  if (bits == 24) {
    // Row by row, so that the fill bytes at the end of a row (3 x width not a multiple of 4) are
    // never taken for colour: exchanging over the whole buffer would shift every later row.
    for (int y = 0; y < height; ++y) {
      uint8_t* row = pixels.get() + static_cast<size_t>(y) * stride;
      for (int x = 0; x < width; ++x) std::swap(row[3 * x], row[3 * x + 2]);
    }
  }
  image.format = bits == 8 ? bmp::kFormatLuminance : bmp::kFormatRgb;
  image.width = width;
  image.height = height;
  image.bits_per_pixel = bits;
  image.pixels = std::move(pixels);
  return kBitmapRead;
}

int read_bitmap_file(BitmapImage& image, const char* file_name) {
  image.pixels.reset();
  FileSource file;
  if (!file.open(file_name)) {
    const std::string found = find_file_ignoring_case(file_name);
    if (found.empty() || !file.open(found.c_str())) return kBitmapCannotOpen;
  }
  return decode_bitmap(image, file);
}
