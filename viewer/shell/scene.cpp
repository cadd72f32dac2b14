#include "shell/scene.h"

#include <GL/glut.h>

#include "shell/input.h"
#include "shell/markers.h"
#include "shell/meridian_popup.h"
#include "shell/panels.h"
#include "shell/pick.h"
#include "shell/search_line.h"
#include "shell/search_view.h"
#include "shell/viewer_windows.h"
#include "view/camera.h"
#include "view/views.h"

namespace {

void load_main_projection(int width, int height) {
  const OrthoBox box = main_window_box(width, height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(box.left, box.right, box.bottom, box.top, box.near_z, box.far_z);
  glMatrixMode(GL_MODELVIEW);
}

void overlays_off() {
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_LIGHTING);
}

}  // namespace

void set_light_and_material() {
  const GLfloat specular[4] = {1.0f, 1.0f, 0.0f, 1.0f};
  glMaterialfv(GL_FRONT, GL_SPECULAR, specular);
  glMaterialf(GL_FRONT, GL_SHININESS, 50.0f);
  // Alpha of an ambient colour does not change the lit colour; 1 is GL's own default.
  const GLfloat ambient[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
}

void begin_scene_frame() {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glColor3f(1, 1, 1);
  glLoadIdentity();
  gluLookAt(0, 0, kEyeZ, 0, 0, 0, 0, 1, 0);

  // Views scale the body, so normals must be renormalised.
  glEnable(GL_NORMALIZE);
  set_light_and_material();
  glEnable(GL_LIGHTING);
  glEnable(GL_LIGHT0);
}

void display_main() {
  begin_scene_frame();

  if (meridian_view_active()) {
    draw_meridian_view();
    draw_meridian_markers(current_meridian);
  } else {
    draw_search_view();  // runs a committed search first
  }

  // Text and panels lie over the scene whatever its depth; each panel turns the depth test back
  // on when it ends.
  overlays_off();
  draw_search_line();
  if (help_shown) {
    overlays_off();
    draw_help_panel();
  }
  if (detail_shown) {
    const int index = detail_acupoint();
    if (index >= 0) {
      overlays_off();
      draw_detail_panel(index);
    }
  }

  glEnable(GL_DEPTH_TEST);
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_LIGHTING);
  glutSwapBuffers();
}

void reshape_main(int width, int height) {
  // A minimised window can report a size of 0: keep the last size, since the search line and
  // the panels divide by it and GL rejects an empty box.
  if (!has_area(width, height)) return;
  // Placed for the old size, an open pop-up could now lie outside the window.
  if (width != window_width || height != window_height) close_meridian_popup();
  glViewport(0, 0, width, height);
  load_main_projection(width, height);
  window_width = width;
  window_height = height;

  glutSetWindow(top_bar);
  glutPositionWindow(0, 0);
  glutReshapeWindow(width, kBarHeight);
  glutSetWindow(bottom_bar);
  glutPositionWindow(0, height - kBarHeight);
  glutReshapeWindow(width, kBarHeight);
  glutSetWindow(main_window);
}
