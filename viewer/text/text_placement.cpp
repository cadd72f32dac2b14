#include "text/text_placement.h"

#include <algorithm>

FramePoint reference_point(int x, int y) { return {2 * int64_t(x), 2 * int64_t(y)}; }

static bool outside_span(int64_t v, int extent) {
  // glOrtho also takes a negative extent: the frame then runs from extent to 0.
  return v < std::min<int64_t>(0, extent) || v > std::max<int64_t>(0, extent);
}

bool reference_outside_frame(int x, int y, int width, int height) {
  if (width == 0 || height == 0) return true;
  const FramePoint p = reference_point(x, y);
  return outside_span(p.x, width) || outside_span(p.y, height);
}

ViewportPoint cell_origin_in_viewport(int x, int y, int width, int height, int viewport_width,
                                      int viewport_height) {
  const FramePoint p = reference_point(x, y);
  const double sx = width != 0 ? double(viewport_width) / width : 0.0;
  const double sy = height != 0 ? double(viewport_height) / height : 0.0;
  return {double(p.x) * sx, double(p.y) * sy - kBitmapOriginRaise};
}
