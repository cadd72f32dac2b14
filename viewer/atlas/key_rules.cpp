#include "atlas/key_rules.h"

namespace {
bool is_ascii_letter(unsigned char key) {
  return (key >= 'A' && key <= 'Z') || (key >= 'a' && key <= 'z');
}
}  // namespace

KeyEffect apply_key(unsigned char key, std::string& search_line, std::string& pending_query) {
  if (key == 8 && !search_line.empty()) search_line.pop_back();
  // A full line takes nothing more, not even Enter or the zoom keys, until Backspace.
  if (search_line.size() >= kSearchLineLimit) return KeyEffect::kIgnored;
  if (is_ascii_letter(key)) {
    search_line.push_back(static_cast<char>(key >= 'a' ? key - 32 : key));
    return KeyEffect::kRedraw;
  }
  switch (key) {
    case 13:
      pending_query = search_line;
      search_line.clear();
      return KeyEffect::kCommitted;
    case '.':
    case '>':
      return KeyEffect::kZoomIn;
    case ',':
    case '<':
      return KeyEffect::kZoomOut;
    case '/':
    case '?':
      return KeyEffect::kReset;
    default:
      return KeyEffect::kRedraw;
  }
}

SearchLineLayout layout_search_line(int window_width, size_t line_length) {
  SearchLineLayout layout;
  // A minimised window may report a width of 0: then only the label is drawn.
  if (window_width <= 0) return layout;
  layout.show_text = true;
  layout.text_x = 48000 / window_width;
  layout.cursor_x = layout.text_x + static_cast<int>(line_length) * 3200 / window_width;
  return layout;
}
