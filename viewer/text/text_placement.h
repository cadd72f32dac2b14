// Where draw_text puts a text. The frame runs from 0 to width across and 0 to height upwards and is
// stretched over the viewport; the raster position (x, y) is itself moved by the translation
// (x, y), so the text's reference point is (2x, 2y) in the frame. The bitmap's origin sits 2
// pixels above its bottom row, so the cell's bottom lands 2 pixels below the reference point.
#pragma once

#include <cstdint>

constexpr int kBitmapOriginRaise = 2;

struct FramePoint {
  int64_t x, y;  // 64 bits: twice an int does not fit an int
};
FramePoint reference_point(int x, int y);

// True when OpenGL would find no valid raster position, so nothing of the text may be drawn: the
// reference point lies outside the frame, or the frame is empty (glOrtho refuses it). A point on
// the frame's edge is inside.
bool reference_outside_frame(int x, int y, int width, int height);

struct ViewportPoint {
  double x, y;
};
// Lower-left corner of the text cell in viewport pixels.
ViewportPoint cell_origin_in_viewport(int x, int y, int width, int height, int viewport_width,
                                      int viewport_height);
