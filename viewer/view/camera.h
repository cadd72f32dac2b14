// The fixed camera of the main window and the orthographic boxes of the three windows: one scene
// unit spans 100 pixels, so a wider window shows more of the scene instead of stretching it.
#pragma once

constexpr double kEyeZ = 50;      // main window: eye at (0, 0, 50) looking at the origin, Y up
constexpr double kBarEyeZ = 5;    // bars: eye at (0, 0, 5)
constexpr int kBarHeight = 35;    // pixels, top and bottom bar

struct OrthoBox {
  double left, right, bottom, top, near_z, far_z;
};

// A w x h pixel window centred on the origin.
OrthoBox main_window_box(int width, int height);  // near 1, far 200
OrthoBox bar_box(int width, int height);          // near 1.5, far 20

// A usable box needs a non-empty window; GL rejects a box of zero width or height.
inline bool has_area(int width, int height) { return width > 0 && height > 0; }
