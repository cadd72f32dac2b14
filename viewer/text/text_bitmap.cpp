#include "text/text_bitmap.h"

#include <algorithm>

int round_up_to_32(int pixels) {
  if (pixels <= 0) return 0;
  return (pixels + 31) / 32 * 32;
}

TextBitmap::TextBitmap(int width, int height) {
  if (width < 0 || height < 0 || width > kMaxTextBitmapSide || height > kMaxTextBitmapSide) return;
  width_ = width;
  height_ = height;
  bits_.assign(row_bytes() * std::size_t(height_), 0);
}

std::size_t TextBitmap::byte_index(int x, int row_from_top) const {
  const std::size_t stored_row = std::size_t(height_ - 1 - row_from_top);
  return stored_row * row_bytes() + std::size_t(x) / 8;
}

bool TextBitmap::ink(int x, int row_from_top) const {
  if (x < 0 || x >= width_ || row_from_top < 0 || row_from_top >= height_) return false;
  return (bits_[byte_index(x, row_from_top)] & (0x80u >> (x % 8))) != 0;
}

void TextBitmap::set_ink(int x, int row_from_top) {
  if (x < 0 || x >= width_ || row_from_top < 0 || row_from_top >= height_) return;
  bits_[byte_index(x, row_from_top)] |= uint8_t(0x80u >> (x % 8));
}

void TextBitmap::fill_row(int row_from_top, int x0, int x1) {
  for (int x = std::max(x0, 0); x < std::min(x1, width_); ++x) set_ink(x, row_from_top);
}

void TextBitmap::blit(const GlyphImage& glyph, int left, int top) {
  if (glyph.top_row == nullptr || glyph.width <= 0 || glyph.rows <= 0) return;
  // Only the part of the glyph that overlaps the bitmap is visited; 64-bit sums cannot overflow.
  const int64_t first_row = std::max<int64_t>(0, -int64_t(top));
  const int64_t last_row = std::min<int64_t>(glyph.rows, int64_t(height_) - top);
  const int64_t first_col = std::max<int64_t>(0, -int64_t(left));
  const int64_t last_col = std::min<int64_t>(glyph.width, int64_t(width_) - left);
  for (int64_t r = first_row; r < last_row; ++r) {
    const uint8_t* row = glyph.top_row + r * glyph.stride;
    for (int64_t c = first_col; c < last_col; ++c) {
      const bool on = glyph.pixels == GlyphPixels::kMono ? (row[c / 8] & (0x80u >> (c % 8))) != 0
                                                         : row[c] >= 128;
      if (on) set_ink(int(left + c), int(top + r));
    }
  }
}
