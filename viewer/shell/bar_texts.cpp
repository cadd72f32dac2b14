// The title bar at the top and the tip bar at the bottom of the main window.
#include <GL/glut.h>

#include <string>

#include "atlas/acupoint_table.h"
#include "atlas/gbk_texts.h"
#include "atlas/panel_layout.h"
#include "shell/bars.h"
#include "shell/font.h"
#include "shell/pick.h"
#include "shell/viewer_windows.h"
#include "view/camera.h"

namespace {

// The bars' edge lines sit this far inside the bar, so that they show however the platform
// rasterises a line on the window's boundary.
constexpr float kEdgeInset = 0.01f;

void begin_bar() {
  glClear(GL_COLOR_BUFFER_BIT);
  glColor3f(1, 1, 1);
  glLoadIdentity();
  gluLookAt(0, 0, kBarEyeZ, 0, 0, 0, 0, 1, 0);
}

void edge_line(float half_width, float y) {
  glBegin(GL_LINES);
  glVertex2f(-half_width, y);
  glVertex2f(half_width, y);
  glEnd();
}

}  // namespace

void display_top_bar() {
  begin_bar();
  screen_font.draw_text(16, 75, 800, 600, kTopBarTitle);
  screen_font.draw_text(355, 75, 800, 600, kTopBarHelpHint);
  edge_line(top_bar_half_width, -top_bar_half_height + kEdgeInset);
  glutSwapBuffers();
}

void display_bottom_bar() {
  begin_bar();
  edge_line(bottom_bar_half_width, bottom_bar_half_height - kEdgeInset);
  screen_font.set_colour(255, 255, 0);
  const int index = hovered_acupoint();
  if (index < 0) {
    screen_font.draw_text(1, 150, 800, 600, kGeneralTip);
  } else {
    screen_font.draw_text(1, 150, 800, 600, acupoint_tip(acupoints[index]).c_str());
  }
  screen_font.set_colour(255, 255, 255);
  glutSwapBuffers();
}
