// The keyboard's decisions and the search line's layout, without GLUT or GL: the callbacks in
// shell/input_keyboard.cpp carry out what these decide.
#pragma once

#include <string>

constexpr size_t kSearchLineLimit = 16;

enum class KeyEffect {
  kIgnored,    // a full line swallows the key: no redraw
  kRedraw,     // the line may have changed; nothing else to do
  kCommitted,  // Enter: line moved to the query; leave the meridian view
  kZoomIn,
  kZoomOut,
  kReset,
};

// Applies one keyboard key to the search line (and, for Enter, the pending query).
KeyEffect apply_key(unsigned char key, std::string& search_line, std::string& pending_query);

// F1 is GLUT special key 1.
inline bool is_help_key(int special_key) { return special_key == 1; }

// draw_text positions (800 x 600 reference frame) of the search line's parts.
struct SearchLineLayout {
  int label_x = 1, y = 20;
  int text_x = 0, cursor_x = 0;
  bool show_text = false;  // false while the window has no width to divide by
};

SearchLineLayout layout_search_line(int window_width, size_t line_length);
