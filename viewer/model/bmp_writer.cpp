#include "model/bmp_writer.h"

#include <stdexcept>

#include "model/format_bmp.h"
#include "model/tds_writer.h"

namespace {

void put16(std::vector<uint8_t>& out, uint32_t at, uint16_t v) {
  out[at] = static_cast<uint8_t>(v);
  out[at + 1] = static_cast<uint8_t>(v >> 8);
}

void put32(std::vector<uint8_t>& out, uint32_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace

std::vector<uint8_t> write_bmp(const BmpLayout& picture) {
  if (picture.width < 0 || picture.height < 0 || picture.bits_per_pixel <= 0 || picture.bits_per_pixel % 8)
    throw std::invalid_argument("write_bmp: unsupported size or depth");
  const uint32_t bytes_per_pixel = picture.bits_per_pixel / 8;
  const uint32_t row = picture.width * bytes_per_pixel;
  const uint32_t stride = bmp::row_stride(picture.width, picture.bits_per_pixel);
  if (picture.pixels.size() != static_cast<size_t>(row) * picture.height)
    throw std::invalid_argument("write_bmp: pixel count does not match the size");

  const bool palette = picture.bits_per_pixel == 8 && !picture.zero_data_offset;
  const uint32_t palette_size = palette ? bmp::kPaletteEntries8 * bmp::kPaletteEntrySize : 0;
  const uint32_t data_offset = bmp::kHeaderSize + palette_size;
  const uint32_t data_size = stride * picture.height;

  std::vector<uint8_t> out(data_offset + data_size, 0);
  out[0] = 'B';
  out[1] = 'M';
  put32(out, bmp::kFileSizeOffset, static_cast<uint32_t>(out.size()));
  put32(out, bmp::kDataOffsetOffset, picture.zero_data_offset ? 0 : data_offset);
  put32(out, bmp::kInfoSizeOffset, bmp::kInfoHeaderSize);
  put32(out, bmp::kWidthOffset, picture.width);
  put32(out, bmp::kHeightOffset, picture.height);
  put16(out, bmp::kPlanesOffset, 1);
  put16(out, bmp::kBitsPerPixelOffset, static_cast<uint16_t>(picture.bits_per_pixel));
  put32(out, bmp::kCompressionOffset, picture.compression);
  put32(out, bmp::kDataSizeOffset, picture.zero_data_size ? 0 : data_size);
  for (uint32_t i = 0; palette && i < bmp::kPaletteEntries8; ++i)
    for (int c = 0; c < 3; ++c) out[bmp::kHeaderSize + 4 * i + c] = static_cast<uint8_t>(i);

  for (int y = 0; y < picture.height; ++y) {
    const uint8_t* src = picture.pixels.data() + static_cast<size_t>(y) * row;
    uint8_t* dst = out.data() + data_offset + static_cast<size_t>(y) * stride;
    if (picture.bits_per_pixel == 24) {
      for (int x = 0; x < picture.width; ++x) {  // stored blue, green, red
        dst[3 * x] = src[3 * x + 2];
        dst[3 * x + 1] = src[3 * x + 1];
        dst[3 * x + 2] = src[3 * x];
      }
    } else {
      for (uint32_t i = 0; i < row; ++i) dst[i] = src[i];
    }
  }
  return out;
}

bool save_bmp(const std::string& path, const BmpLayout& picture) {
  return save_file_bytes(path, write_bmp(picture));
}
