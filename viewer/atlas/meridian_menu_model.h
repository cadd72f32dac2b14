// The meridian menu's entries and the geometry of the viewer's own pop-up for it: which entry
// lies under the pointer, where each entry's text goes, how a short window scrolls it. No GL.
#pragma once

// The twelve principal meridians, then the Conception Vessel (13) and the Governor Vessel (14).
constexpr int kMeridianCount = 14;

struct MeridianEntry {
  int value;         // menu value, also AcupointRecord::meridian
  const char* text;  // GBK
};

extern const MeridianEntry kMeridianEntries[kMeridianCount];

// The meridian view an entry opens with. A principal meridian keeps the view as it stands; a
// vessel on the midline is framed from the perineum to the vertex, facing it: the Conception
// Vessel from the front, the Governor Vessel from behind and a little above, so that its course
// over the head shows.
struct EntryView {
  bool keeps_view = true;
  float tx = 0, ty = 0, rot_x = 0, rot_y = 0, scale = 1;
};
EntryView entry_view(int value);

// Window pixels, origin top left, y downwards (the mouse callbacks' convention).
struct PopupGeometry {
  static constexpr int kWidth = 130;
  static constexpr int kEntryHeight = 22;
  static constexpr int kPadding = 4;       // above the first and below the last row
  static constexpr int kArrowHeight = 16;  // the scroll rows of a clipped pop-up
  static constexpr int kPointerGap = 2;    // so a click without moving chooses nothing

  int left = 0, top = 0;
  int first = 0;                // first entry shown
  int shown = kMeridianCount;   // entries shown; fewer only when the window is too short

  bool scrolls() const { return shown < kMeridianCount; }
  int height() const;
  bool contains(int x, int y) const;
  // Top of entry i inside the pop-up; only meaningful while the entry is shown.
  int entry_top(int i) const;
  bool entry_shown(int i) const { return i >= first && i < first + shown; }
  // Index of the shown entry under window point (x, y), or -1.
  int entry_at(int x, int y) const;
  // -1 over the up arrow, 1 over the down arrow, 0 elsewhere (always 0 unless it scrolls).
  int arrow_at(int x, int y) const;
  // Scrolls by rows within the entries; true when the first shown entry changed.
  bool scroll_by(int rows);
  // Scrolls the least that shows entry i.
  void scroll_to(int i);
};

// Places the pop-up beside the pointer in a window_width x window_height main window: between
// the bars when it fits there, else anywhere in the window (it lies over the bars), else at the
// window's top as a scrolling range of as many entries as fit (at least one).
PopupGeometry place_popup(int pointer_x, int pointer_y, int window_width, int window_height,
                          int bar_height);

// draw_text reference coordinates (800 x 600 frame stretched over a w x h viewport, reference
// point at twice the argument) that put a text's reference point nearest pixel (px, py) counted
// from the viewport's lower-left corner.
void reference_for_pixel(int px, int py, int w, int h, int& x, int& y);
