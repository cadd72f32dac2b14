#include "shell/search_line.h"

#include "atlas/gbk_texts.h"
#include "atlas/key_rules.h"
#include "shell/font.h"
#include "shell/viewer_windows.h"

void draw_search_line() {
  const SearchLineLayout layout = layout_search_line(window_width, search_line.size());
  screen_font.draw_text(layout.label_x, layout.y, 800, 600, kSearchLabel);
  if (!layout.show_text) return;
  screen_font.draw_text(layout.text_x, layout.y, 800, 600, search_line.c_str());
  screen_font.draw_text(layout.cursor_x, layout.y, 800, 600, "_");
}
