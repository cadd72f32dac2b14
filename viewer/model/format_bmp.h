// The uncompressed Windows bitmap layout shared by the texture reader and the writer.
//
//   0   "BM"
//   2   u32 file size              (not read)
//   10  u32 offset of pixel data   (0 means 54)
//   14  u32 info header size = 40  (not read)
//   18  i32 width                  (only the low 16 bits are used, signed)
//   22  i32 height                 (low 16 bits, signed; rows stored bottom row first)
//   26  u16 planes = 1             (not read)
//   28  u16 bits per pixel         (low byte: 24 or 8)
//   30  u32 compression            (must be 0)
//   34  u32 size of pixel data     (0 means computed)
//   54  colour table (8-bit images; not used), then the rows, each padded to 4 bytes
#pragma once

#include <cstdint>

namespace bmp {

constexpr uint32_t kHeaderSize = 54;
constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;

constexpr uint32_t kMagicOffset = 0;
constexpr uint32_t kFileSizeOffset = 2;
constexpr uint32_t kDataOffsetOffset = 10;
constexpr uint32_t kInfoSizeOffset = 14;
constexpr uint32_t kWidthOffset = 18;
constexpr uint32_t kHeightOffset = 22;
constexpr uint32_t kPlanesOffset = 26;
constexpr uint32_t kBitsPerPixelOffset = 28;
constexpr uint32_t kCompressionOffset = 30;
constexpr uint32_t kDataSizeOffset = 34;

constexpr uint32_t kPaletteEntries8 = 256;
constexpr uint32_t kPaletteEntrySize = 4;  // blue, green, red, 0

// OpenGL pixel formats of decoded images, named here so the reader stays free of GL headers.
constexpr uint32_t kFormatRgb = 0x1907;        // GL_RGB
constexpr uint32_t kFormatLuminance = 0x1909;  // GL_LUMINANCE

// Bytes per stored row: every row is padded to a multiple of 4 bytes.
constexpr uint32_t row_stride(uint32_t width, uint32_t bits_per_pixel) {
  return (width * bits_per_pixel / 8 + 3) & ~3u;
}

}  // namespace bmp
