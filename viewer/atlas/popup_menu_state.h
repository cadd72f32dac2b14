// What the meridian pop-up does with each input while it is open, like a native pop-up menu,
// without GL or GLUT. Positions are main window pixels, origin top left.
//
// A press opens it at the pointer. Releasing over an entry chooses it; releasing without having
// reached an entry leaves it open, after which a click on an entry chooses it and a click
// elsewhere or Esc closes it. The click that closes it is swallowed up to its release, so that it
// neither turns the body nor opens or closes the detail panel.
#pragma once

#include "atlas/meridian_menu_model.h"

enum class PopupKey { kEscape, kEnter, kUp, kDown, kOther };

// What an input did: whether the pop-up must be drawn again, whether it closed, and the menu
// value chosen (0 for none).
struct PopupResult {
  bool redraw = false;
  bool closed = false;
  int chosen = 0;
};

class PopupMenuState {
 public:
  // Shown on screen.
  bool shown() const { return mode_ == Mode::kTracking || mode_ == Mode::kOpen; }
  // Shown, or still swallowing the click that closed it: every mouse input belongs to it.
  bool takes_input() const { return mode_ != Mode::kClosed; }
  const PopupGeometry& geometry() const { return geometry_; }
  int highlighted() const { return highlighted_; }

  // A press at (x, y) while closed; the button stays held.
  void open_at(int x, int y, int window_width, int window_height, int bar_height);
  PopupResult press(int x, int y);
  PopupResult release(int x, int y);
  PopupResult motion(int x, int y);
  // Wheel notches, positive away from the user: scroll a clipped pop-up.
  PopupResult wheel(int notches);
  PopupResult key(PopupKey key);
  // Closed by the program (a resize), with no choice and nothing left to swallow.
  void close();

 private:
  enum class Mode {
    kClosed,
    kTracking,    // a button pressed while shown is still held
    kOpen,        // shown, no button held
    kDismissing,  // hidden; the click that closed it is not yet released
  };
  PopupResult hide(Mode next, int chosen);
  PopupResult highlight(int entry);

  Mode mode_ = Mode::kClosed;
  PopupGeometry geometry_;
  int highlighted_ = -1;
  bool reached_entry_ = false;  // in kTracking: the pointer has been over an entry
  bool opening_ = false;        // the press that opened it is still held
  int opened_at_x_ = 0, opened_at_y_ = 0;
};
