// The two 35-pixel sub-windows: title bar at the top, tip bar at the bottom.
#include <GL/glut.h>

#include "shell/camera.h"
#include "shell/start_up.h"
#include "shell/viewer_state.h"

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

}  // namespace

void init_top_bar() { init_bar(); }
void init_bottom_bar() { init_bar(); }

void reshape_top_bar(int width, int height) {
  reshape_bar(width, height, top_bar_half_width, top_bar_half_height);
}

void reshape_bottom_bar(int width, int height) {
  reshape_bar(width, height, bottom_bar_half_width, bottom_bar_half_height);
}
