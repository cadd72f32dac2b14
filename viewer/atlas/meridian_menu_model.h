// The meridian menu's entries and the geometry of the viewer's own pop-up for it: which entry
// lies under the pointer, where each entry's text goes. No GL.
#pragma once

constexpr int kMeridianCount = 12;

struct MeridianEntry {
  int value;         // menu value, also AcupointRecord::meridian
  const char* text;  // GBK
};

extern const MeridianEntry kMeridianEntries[kMeridianCount];

// Window pixels, origin top left, y downwards (the mouse callbacks' convention).
struct PopupGeometry {
  static constexpr int kWidth = 130;
  static constexpr int kEntryHeight = 22;
  static constexpr int kPadding = 4;     // above the first and below the last entry
  static constexpr int kPointerGap = 2;  // so a click without moving chooses nothing

  int left = 0, top = 0;
  int height() const { return kEntryHeight * kMeridianCount + 2 * kPadding; }

  // Index of the entry under window point (x, y), or -1.
  int entry_at(int x, int y) const;
  // Top of entry i inside the pop-up.
  static int entry_top(int i) { return kPadding + i * kEntryHeight; }
};

// Places the pop-up beside the pointer, on the side where it fits inside the window area
// [0, window_width) x [area_top, area_bottom); against an edge when it fits on neither side.
PopupGeometry place_popup(int pointer_x, int pointer_y, int window_width, int area_top,
                          int area_bottom);

// draw_text reference coordinates (800 x 600 frame stretched over a w x h viewport, reference
// point at twice the argument) that put a text's reference point nearest pixel (px, py) counted
// from the viewport's lower-left corner.
void reference_for_pixel(int px, int py, int w, int h, int& x, int& y);
