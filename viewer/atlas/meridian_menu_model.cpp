#include "atlas/meridian_menu_model.h"

#include <cmath>

const MeridianEntry kMeridianEntries[kMeridianCount] = {
    {1, "\xCA\xD6\xCC\xAB\xD2\xF5\xB7\xCE\xBE\xAD"},              // 手太阴肺经
    {2, "\xCA\xD6\xD1\xF4\xC3\xF7\xB4\xF3\xB3\xA6\xBE\xAD"},      // 手阳明大肠经
    {3, "\xD7\xE3\xD1\xF4\xC3\xF7\xCE\xB8\xBE\xAD"},              // 足阳明胃经
    {4, "\xD7\xE3\xCC\xAB\xD2\xF5\xC6\xA2\xBE\xAD"},              // 足太阴脾经
    {5, "\xCA\xD6\xC9\xD9\xD2\xF5\xD0\xC4\xBE\xAD"},              // 手少阴心经
    {6, "\xCA\xD6\xCC\xAB\xD1\xF4\xD0\xA1\xB3\xA6\xBE\xAD"},      // 手太阳小肠经
    {7, "\xD7\xE3\xCC\xAB\xD1\xF4\xB0\xF2\xEB\xD7\xBE\xAD"},      // 足太阳膀胱经
    {8, "\xD7\xE3\xC9\xD9\xD2\xF5\xC9\xF6\xBE\xAD"},              // 足少阴肾经
    {9, "\xCA\xD6\xD8\xCA\xD2\xF5\xD0\xC4\xB0\xFC\xBE\xAD"},      // 手厥阴心包经
    {10, "\xCA\xD6\xC9\xD9\xD1\xF4\xC8\xFD\xBD\xB9\xBE\xAD"},     // 手少阳三焦经
    {11, "\xD7\xE3\xC9\xD9\xD1\xF4\xB5\xA8\xBE\xAD"},             // 足少阳胆经
    {12, "\xD7\xE3\xD8\xCA\xD2\xF5\xB8\xCE\xBE\xAD"},             // 足厥阴肝经
    {13, "\xC8\xCE\xC2\xF6"},                                     // 任脉
    {14, "\xB6\xBD\xC2\xF6"},                                     // 督脉
};

EntryView entry_view(int value) {
  // Model units: the body stands from y = -2.5 to 2.5; the perineum is near y = -0.25. The
  // window shows 6 units high at scale 1.
  constexpr float kMiddle = 1.13f, kScale = 1.8f;
  constexpr float kGovernorTilt = 30, kCosGovernorTilt = 0.8660254f;
  EntryView v;
  if (value != 13 && value != 14) return v;
  v.keeps_view = false;
  v.scale = kScale;
  if (value == 14) {
    v.rot_y = 180;
    v.rot_x = kGovernorTilt;  // the top of the head turned toward the viewer
  }
  // The middle of the span, turned by the tilt, at the window centre.
  v.ty = -kMiddle * kScale * (value == 14 ? kCosGovernorTilt : 1.0f);
  return v;
}

int PopupGeometry::height() const {
  return kEntryHeight * shown + 2 * kPadding + (scrolls() ? 2 * kArrowHeight : 0);
}

bool PopupGeometry::contains(int x, int y) const {
  return x >= left && x < left + kWidth && y >= top && y < top + height();
}

int PopupGeometry::entry_top(int i) const {
  return kPadding + (scrolls() ? kArrowHeight : 0) + (i - first) * kEntryHeight;
}

int PopupGeometry::entry_at(int x, int y) const {
  if (x < left || x >= left + kWidth) return -1;
  const int inside = y - top - entry_top(first);
  if (inside < 0 || inside >= kEntryHeight * shown) return -1;
  return first + inside / kEntryHeight;
}

int PopupGeometry::arrow_at(int x, int y) const {
  if (!scrolls() || !contains(x, y)) return 0;
  const int inside = y - top;
  if (inside < entry_top(first)) return -1;
  if (inside >= entry_top(first + shown)) return 1;
  return 0;
}

bool PopupGeometry::scroll_by(int rows) {
  int wanted = first + rows;
  if (wanted > kMeridianCount - shown) wanted = kMeridianCount - shown;
  if (wanted < 0) wanted = 0;
  const bool changed = wanted != first;
  first = wanted;
  return changed;
}

void PopupGeometry::scroll_to(int i) {
  if (i < first) scroll_by(i - first);
  if (i >= first + shown) scroll_by(i - (first + shown - 1));
}

namespace {
// Start of a span of length size beside pointer p inside [low, high); the caller makes sure
// that it fits.
int place_span(int p, int size, int low, int high) {
  const int gap = PopupGeometry::kPointerGap;
  if (p + gap + size <= high) return p + gap;
  if (p - gap - size >= low) return p - gap - size;
  return high - size;
}
}  // namespace

PopupGeometry place_popup(int pointer_x, int pointer_y, int window_width, int window_height,
                          int bar_height) {
  PopupGeometry g;
  g.left = PopupGeometry::kWidth <= window_width
               ? place_span(pointer_x, PopupGeometry::kWidth, 0, window_width)
               : 0;
  if (g.height() <= window_height - 2 * bar_height) {
    g.top = place_span(pointer_y, g.height(), bar_height, window_height - bar_height);
  } else if (g.height() <= window_height) {
    g.top = place_span(pointer_y, g.height(), 0, window_height);
  } else {
    const int room = window_height - 2 * PopupGeometry::kPadding - 2 * PopupGeometry::kArrowHeight;
    g.shown = room / PopupGeometry::kEntryHeight;
    if (g.shown < 1) g.shown = 1;
    g.top = 0;
  }
  return g;
}

void reference_for_pixel(int px, int py, int w, int h, int& x, int& y) {
  x = w > 0 ? static_cast<int>(std::lround(px * 400.0 / w)) : 0;
  y = h > 0 ? static_cast<int>(std::lround(py * 300.0 / h)) : 0;
}
