// A one-bit image of one line of text, laid out as glBitmap takes it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Larger texts are refused: no window is this wide, and the row arithmetic stays far from overflow.
constexpr int kMaxTextBitmapSide = 1 << 16;

// Width rounded up to a multiple of 32 pixels: a glBitmap row padded like a DIB scan line.
int round_up_to_32(int pixels);

enum class GlyphPixels { kMono, kGrey };

// A glyph image as a font engine hands it out; rows counted from the top, row r starting at
// top_row + r * stride. Mono rows hold one bit per pixel, leftmost pixel in the most significant
// bit; grey rows one byte per pixel, ink from 128 up.
struct GlyphImage {
  int width = 0;
  int rows = 0;
  const uint8_t* top_row = nullptr;
  std::ptrdiff_t stride = 0;
  GlyphPixels pixels = GlyphPixels::kMono;
};

// Rows are stored bottom row first, each row_pixels() wide, the leftmost pixel in the most
// significant bit; a 1 bit is ink. Positions given to the accessors count rows from the top.
class TextBitmap {
 public:
  TextBitmap() = default;
  // All background; a side outside [0, kMaxTextBitmapSide] gives an empty bitmap.
  TextBitmap(int width, int height);

  int width() const { return width_; }
  int height() const { return height_; }
  int row_pixels() const { return round_up_to_32(width_); }
  std::size_t row_bytes() const { return std::size_t(row_pixels()) / 8; }
  bool empty() const { return width_ == 0 || height_ == 0; }
  uint8_t* data() { return bits_.data(); }
  const uint8_t* data() const { return bits_.data(); }
  std::size_t size_bytes() const { return bits_.size(); }

  bool ink(int x, int row_from_top) const;  // false outside the bitmap
  void set_ink(int x, int row_from_top);    // ignored outside the bitmap
  // Ink over [x0, x1) of one row, cut at the edges (underline and strike-out).
  void fill_row(int row_from_top, int x0, int x1);
  // Ors a glyph in with its top-left pixel at (left, top); what falls outside is cut off.
  void blit(const GlyphImage& glyph, int left, int top);

 private:
  std::size_t byte_index(int x, int row_from_top) const;

  int width_ = 0;
  int height_ = 0;
  std::vector<uint8_t> bits_;
};
