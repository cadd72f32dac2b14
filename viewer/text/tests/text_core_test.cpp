// The GL-free parts of the screen text: bitmap layout, placement, colour and cell metrics.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "text/cell_metrics.h"
#include "text/text_bitmap.h"
#include "text/text_colour.h"
#include "text/text_placement.h"

TEST(TextBitmap, RowsArePaddedTo32PixelsAndStoredBottomFirstWithTheLeftmostPixelInTheTopBit) {
  struct Case {
    int width, row_pixels;
  };
  for (const Case c : {Case{0, 0}, Case{1, 32}, Case{31, 32}, Case{32, 32}, Case{33, 64},
                       Case{kMaxTextBitmapSide, kMaxTextBitmapSide}}) {
    EXPECT_EQ(round_up_to_32(c.width), c.row_pixels) << c.width;
  }

  TextBitmap b(40, 3);
  ASSERT_EQ(b.row_bytes(), 8u);
  ASSERT_EQ(b.size_bytes(), 24u);
  b.set_ink(0, 0);   // top row, leftmost pixel
  b.set_ink(9, 2);   // bottom row
  b.set_ink(39, 1);  // last pixel of the middle row
  std::vector<uint8_t> expected(24, 0);
  expected[2 * 8 + 0] = 0x80;  // top row is stored last
  expected[0 * 8 + 1] = 0x40;  // pixel 9: second byte, second bit
  expected[1 * 8 + 4] = 0x01;  // pixel 39: fifth byte, lowest bit
  EXPECT_EQ(std::vector<uint8_t>(b.data(), b.data() + b.size_bytes()), expected);
  EXPECT_TRUE(b.ink(39, 1));
  EXPECT_FALSE(b.ink(38, 1));
}

TEST(TextBitmap, RefusesSizesOutsideTheLimitsAndIgnoresInkOutside) {
  for (const auto& size : {std::pair{-1, 5}, std::pair{5, -1}, std::pair{kMaxTextBitmapSide + 1, 1},
                           std::pair{0, 15}}) {
    TextBitmap b(size.first, size.second);
    EXPECT_TRUE(b.empty());
    EXPECT_EQ(b.size_bytes(), 0u);
  }
  TextBitmap b(8, 2);
  for (const auto& p : {std::pair{-1, 0}, std::pair{8, 0}, std::pair{0, -1}, std::pair{0, 2}}) {
    b.set_ink(p.first, p.second);
    EXPECT_FALSE(b.ink(p.first, p.second));
  }
  b.fill_row(1, -5, 100);  // cut to the row
  for (int x = 0; x < 8; ++x) EXPECT_TRUE(b.ink(x, 1));
  EXPECT_EQ(b.data()[0], 0xFF);  // row 1 from the top is the bottom row, stored first
  EXPECT_EQ(b.data()[4], 0x00);
}

TEST(TextBitmap, BlitCopiesMonoAndGreyGlyphsAndCutsAtEveryEdge) {
  // A 3 x 2 glyph:  X.X / .X.  as mono rows (one byte each) and as grey bytes.
  const uint8_t mono[] = {0xA0, 0x40};
  const uint8_t grey[] = {200, 127, 128, 0, 255, 10};
  const GlyphImage glyphs[] = {{3, 2, mono, 1, GlyphPixels::kMono},
                               {3, 2, grey, 3, GlyphPixels::kGrey}};
  for (const GlyphImage& g : glyphs) {
    struct Case {
      int left, top;
    };
    for (const Case c : {Case{0, 0}, Case{2, 1}, Case{-1, 0}, Case{0, -1}, Case{3, 2}, Case{4, 3},
                         Case{-3, 0}, Case{1000000, 0}, Case{0, -2147483647}}) {
      TextBitmap b(5, 3);
      b.blit(g, c.left, c.top);
      for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
          const int gx = x - c.left, gy = y - c.top;
          const bool inside = gx >= 0 && gx < 3 && gy >= 0 && gy < 2;
          const bool want = inside && ((gy == 0 && gx != 1) || (gy == 1 && gx == 1));
          EXPECT_EQ(b.ink(x, y), want)
              << "at " << x << "," << y << " glyph at " << c.left << "," << c.top;
        }
      }
    }
  }
}

TEST(TextBitmap, BlitFollowsAnUpwardFlowingGlyph) {
  // Stored bottom row first; a negative stride walks down from the top row.
  const uint8_t rows[] = {0x40, 0x80};  // bottom .X, top X.
  const GlyphImage g{2, 2, rows + 1, -1, GlyphPixels::kMono};
  TextBitmap b(2, 2);
  b.blit(g, 0, 0);
  EXPECT_TRUE(b.ink(0, 0));
  EXPECT_TRUE(b.ink(1, 1));
  EXPECT_FALSE(b.ink(1, 0));
  EXPECT_FALSE(b.ink(0, 1));
}

TEST(TextPlacement, ReferencePointIsTwiceTheArgumentsAndTheCellSitsTwoPixelsLower) {
  struct Case {
    int x, y, width, height, viewport_width, viewport_height;
    double cell_x, cell_y;
  };
  const Case cases[] = {
      {1, 20, 800, 600, 800, 600, 2, 38},                    // 2 from the left, 38 above the bottom
      {40, 255, 800, 600, 800, 600, 80, 508},                // the help panel's first line
      {1, 150, 800, 600, 800, 35, 2, 300.0 * 35 / 600 - 2},  // a bar: 600 units over 35 pixels
      {200, 150, 800, 600, 400, 300, 200, 148},              // a viewport half the frame
  };
  for (const Case& c : cases) {
    const ViewportPoint p =
        cell_origin_in_viewport(c.x, c.y, c.width, c.height, c.viewport_width, c.viewport_height);
    EXPECT_DOUBLE_EQ(p.x, c.cell_x) << c.x << "," << c.y;
    EXPECT_DOUBLE_EQ(p.y, c.cell_y) << c.x << "," << c.y;
  }
  const FramePoint far = reference_point(2147483647, -2147483647 - 1);
  EXPECT_EQ(far.x, 4294967294LL);
  EXPECT_EQ(far.y, -4294967296LL);
}

TEST(TextPlacement, AReferencePointBeyondTheFrameOrAnEmptyFrameDrawsNothing) {
  struct Case {
    int x, y, width, height;
    bool outside;
  };
  const Case cases[] = {
      {0, 0, 800, 600, false},
      {400, 300, 800, 600, false},  // both corners of the frame
      {401, 20, 800, 600, true},
      {1, 301, 800, 600, true},  // 802 across, 602 up
      {-1, 20, 800, 600, true},
      {1, -1, 800, 600, true},
      {-200, 20, -800, 600, false},
      {200, 20, -800, 600, true},  // a mirrored frame
      {0, 0, 0, 600, true},
      {0, 0, 800, 0, true},
      {2147483647, 0, 2147483647, 600, true},  // twice the argument does not wrap into the frame
  };
  for (const Case& c : cases)
    EXPECT_EQ(reference_outside_frame(c.x, c.y, c.width, c.height), c.outside)
        << c.x << "," << c.y << " in " << c.width << "x" << c.height;
}

TEST(TextColour, ComponentsAreCutToBytesAndPackedRedLowest) {
  struct Case {
    int red, green, blue;
    uint32_t packed;
  };
  const Case cases[] = {{255, 255, 0, 0x00FFFF},
                        {255, 255, 255, kWhite},
                        {1, 2, 3, 0x030201},
                        {256, -1, 511, 0xFFFF00},
                        {0, 0, 0, 0}};
  for (const Case& c : cases) EXPECT_EQ(pack_colour(c.red, c.green, c.blue), c.packed);

  const ColourFloats yellow = colour_floats(0x00FFFF);
  EXPECT_FLOAT_EQ(yellow.red, 1.0f);
  EXPECT_FLOAT_EQ(yellow.green, 1.0f);
  EXPECT_FLOAT_EQ(yellow.blue, 0.0f);
  const ColourFloats odd = colour_floats(0xFF336699);  // the unused top byte is ignored
  EXPECT_FLOAT_EQ(odd.red, 0x99 / 255.0f);
  EXPECT_FLOAT_EQ(odd.green, 0x66 / 255.0f);
  EXPECT_FLOAT_EQ(odd.blue, 0x33 / 255.0f);
}

TEST(CellMetrics, APositiveHeightIsTheWholeCell) {
  struct Case {
    int height, ascent_units, descent_units, units_per_em;
    int ppem, ascent, descent;
  };
  const Case cases[] = {
      {15, 1000, 200, 1000, 13, 13, 2},  // 15 * 1000 / 1200 = 12.5 -> 13 px per em
      {15, 880, 120, 1000, 15, 13, 2},   // design cell of one em
      {15, 1800, 248, 2048, 15, 13, 2},
      {-15, 880, 120, 1000, 15, 13, 2},  // negative: the em height
      {0, 800, 200, 1000, 16, 13, 3},    // default cell
      {15, 0, 0, 0, 15, 12, 3},          // unusable design metrics: 0.8 / 0.2 em
      {1, 1000, 200, 1000, 1, 1, 0},
      {1000000, 800, 200, 1000, 4096, 3277, 819},  // capped
      {-2147483647 - 1, 800, 200, 1000, 4096, 3277, 819},
  };
  for (const Case& c : cases) {
    const CellMetrics m =
        gdi_cell_metrics(c.height, c.ascent_units, c.descent_units, c.units_per_em);
    EXPECT_EQ(m.pixels_per_em, c.ppem) << c.height;
    EXPECT_EQ(m.ascent, c.ascent) << c.height;
    EXPECT_EQ(m.descent, c.descent) << c.height;
    if (c.height > 0 && c.height <= 4096) {
      EXPECT_EQ(m.height(), c.height);
    }
  }
}
