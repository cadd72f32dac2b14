#include "shell/bars.h"

#include <GL/glut.h>

#include "shell/font.h"
#include "shell/input.h"
#include "shell/meridian_popup.h"
#include "shell/viewer_windows.h"
#include "view/camera.h"

namespace {

void init_bar() {
  glClearColor(kBarBackground[0], kBarBackground[1], kBarBackground[2], kBarBackground[3]);
  glShadeModel(GL_FLAT);
  // One font serves all windows; making it here again replaces the one it holds.
  screen_font.make_font(kFontFace, kFontHeight, kFontWeight, false, false, false);
}

void reshape_bar(int width, int height, float& half_width, float& half_height) {
  glViewport(0, 0, width, height);
  // A bar shrunk to nothing keeps its last box: GL rejects an empty one.
  if (!has_area(width, height)) return;
  const OrthoBox box = bar_box(width, height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(box.left, box.right, box.bottom, box.top, box.near_z, box.far_z);
  glMatrixMode(GL_MODELVIEW);
  const bool resized = half_width != 0 && (half_width != float(box.right) ||
                                           half_height != float(box.top));
  half_width = float(box.right);
  half_height = float(box.top);
#ifndef _WIN32
  // The main reshape makes the bar current before its new size reaches the X server, and Mesa
  // sizes a window's buffers only then or after a swap: without this swap the next display
  // would still draw the old width, leaving the new part of a widened bar unpainted.
  if (resized) glutSwapBuffers();
#else
  (void)resized;
#endif
}

// Bar pixels to main window pixels: the top bar lies at the main window's top edge, the bottom
// bar at its bottom edge.
int main_y(int bar_y, bool bottom) { return bottom ? bar_y + window_height - kBarHeight : bar_y; }

// The bars take no clicks of their own: an open meridian pop-up has them, the wheel zooms.
void bar_mouse(int button, int state, int x, int y, bool bottom) {
  if (meridian_popup_mouse(button, state, x, main_y(y, bottom), false)) return;
  wheel_zoom(button, state);
}
void top_bar_mouse(int button, int state, int x, int y) { bar_mouse(button, state, x, y, false); }
void bottom_bar_mouse(int button, int state, int x, int y) { bar_mouse(button, state, x, y, true); }
void top_bar_motion(int x, int y) { meridian_popup_motion(x, main_y(y, false)); }
void bottom_bar_motion(int x, int y) { meridian_popup_motion(x, main_y(y, true)); }

}  // namespace

void register_bar_input(bool bottom) {
  // The platform sends keys to the window under the pointer: the bars type into the search line.
  glutKeyboardFunc(keyboard);
  glutSpecialFunc(special_key);
  glutMouseFunc(bottom ? bottom_bar_mouse : top_bar_mouse);
  glutMotionFunc(bottom ? bottom_bar_motion : top_bar_motion);
  glutPassiveMotionFunc(bottom ? bottom_bar_motion : top_bar_motion);
}

void init_top_bar() { init_bar(); }
void init_bottom_bar() { init_bar(); }

void reshape_top_bar(int width, int height) {
  reshape_bar(width, height, top_bar_half_width, top_bar_half_height);
}

void reshape_bottom_bar(int width, int height) {
  reshape_bar(width, height, bottom_bar_half_width, bottom_bar_half_height);
}
