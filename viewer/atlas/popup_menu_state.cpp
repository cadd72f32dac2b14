#include "atlas/popup_menu_state.h"

void PopupMenuState::open_at(int x, int y, int window_width, int window_height, int bar_height) {
  geometry_ = place_popup(x, y, window_width, window_height, bar_height);
  highlighted_ = geometry_.entry_at(x, y);
  reached_entry_ = false;
  opened_at_x_ = x;
  opened_at_y_ = y;
  opening_ = true;
  mode_ = Mode::kTracking;
}

PopupResult PopupMenuState::hide(Mode next, int chosen) {
  mode_ = next;
  highlighted_ = -1;
  reached_entry_ = false;
  PopupResult r;
  r.closed = true;
  r.chosen = chosen;
  return r;
}

PopupResult PopupMenuState::highlight(int entry) {
  PopupResult r;
  r.redraw = entry != highlighted_;
  highlighted_ = entry;
  return r;
}

PopupResult PopupMenuState::press(int x, int y) {
  // A second button during a click, or a press while the closing click is held, changes nothing.
  if (mode_ != Mode::kOpen) return {};
  if (!geometry_.contains(x, y)) return hide(Mode::kDismissing, 0);
  mode_ = Mode::kTracking;
  opening_ = false;
  PopupResult r = highlight(geometry_.entry_at(x, y));
  reached_entry_ = highlighted_ >= 0;
  if (geometry_.scroll_by(geometry_.arrow_at(x, y))) r.redraw = true;
  return r;
}

PopupResult PopupMenuState::release(int x, int y) {
  if (mode_ == Mode::kDismissing) {
    mode_ = Mode::kClosed;
    return {};
  }
  if (mode_ != Mode::kTracking) return {};
  // In a window too narrow to open it beside the pointer, the opening click may end over an
  // entry; it was not aimed at one.
  const bool unmoved = opening_ && x == opened_at_x_ && y == opened_at_y_;
  const int entry = unmoved ? -1 : geometry_.entry_at(x, y);
  if (entry >= 0) return hide(Mode::kClosed, kMeridianEntries[entry].value);
  // Dragged over the entries and let go outside: the user gave up, as with a native menu.
  if (reached_entry_ && !geometry_.contains(x, y)) return hide(Mode::kClosed, 0);
  mode_ = Mode::kOpen;
  return highlight(-1);
}

PopupResult PopupMenuState::motion(int x, int y) {
  if (!shown()) return {};
  PopupResult r = highlight(geometry_.entry_at(x, y));
  if (mode_ == Mode::kTracking && highlighted_ >= 0) reached_entry_ = true;
  return r;
}

PopupResult PopupMenuState::wheel(int notches) {
  PopupResult r;
  if (shown()) r.redraw = geometry_.scroll_by(-notches);
  return r;
}

PopupResult PopupMenuState::key(PopupKey key) {
  if (!shown()) return {};
  // A button still held keeps swallowing input up to its release.
  const Mode after = mode_ == Mode::kTracking ? Mode::kDismissing : Mode::kClosed;
  switch (key) {
    case PopupKey::kEscape:
      return hide(after, 0);
    case PopupKey::kEnter:
      return hide(after, highlighted_ >= 0 ? kMeridianEntries[highlighted_].value : 0);
    case PopupKey::kUp:
    case PopupKey::kDown: {
      const int step = key == PopupKey::kDown ? 1 : -1;
      int next = highlighted_ < 0 ? (step > 0 ? 0 : kMeridianCount - 1)
                                  : (highlighted_ + step + kMeridianCount) % kMeridianCount;
      geometry_.scroll_to(next);
      PopupResult r = highlight(next);
      r.redraw = true;
      return r;
    }
    case PopupKey::kOther:
      break;
  }
  return {};
}

void PopupMenuState::close() { hide(Mode::kClosed, 0); }
