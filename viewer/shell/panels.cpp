#include "shell/panels.h"

#include <GL/glut.h>

#include <string>

#include "atlas/acupoint_table.h"
#include "atlas/atlas_files.h"
#include "atlas/panel_layout.h"
#include "shell/font.h"
#include "shell/viewer_windows.h"
#include "text/console.h"

namespace {

constexpr float kPanelColour[4] = {0.172f, 0.239f, 0.270f, 0.9f};
constexpr float kPanelSize = 0.82f;  // of the main window, each direction

void draw_texts(const std::vector<PlacedText>& texts) {
  for (const PlacedText& t : texts) screen_font.draw_text(t.x, t.y, 800, 600, t.text.c_str());
}

}  // namespace

void draw_panel_background() {
  const float pw = window_width / 100.0f * kPanelSize;
  const float ph = window_height / 100.0f * kPanelSize;
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glColor4fv(kPanelColour);
  glBegin(GL_QUADS);
  glVertex3f(-pw / 2, -ph / 2, 1);
  glVertex3f(pw / 2, -ph / 2, 1);
  glVertex3f(pw / 2, ph / 2, 1);
  glVertex3f(-pw / 2, ph / 2, 1);
  glEnd();
  glDisable(GL_BLEND);
  glColor3f(1, 1, 1);
  glBegin(GL_LINE_LOOP);
  glVertex3f(-pw / 2, -ph / 2, 1);
  glVertex3f(-pw / 2, ph / 2, 1);
  glVertex3f(pw / 2, ph / 2, 1);
  glVertex3f(pw / 2, -ph / 2, 1);
  glEnd();
}

void draw_help_panel() {
  draw_panel_background();
  // Read afresh at every drawing, so edits show at the next redraw; a problem is told once, not
  // at every frame.
  HelpText help = read_help_file("data/help.tz");
  static std::string last_message;
  if (help.message != last_message) {
    last_message = help.message;
    if (!help.message.empty()) write_console_line(stdout, help.message.c_str());
  }
  draw_texts(help_panel_texts(help.lines));
  glEnable(GL_DEPTH_TEST);
}

void draw_detail_panel(int index) {
  draw_panel_background();
  draw_texts(detail_panel_texts(acupoints[index], window_width));
  glEnable(GL_DEPTH_TEST);
}
