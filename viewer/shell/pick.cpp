#include "shell/pick.h"

#include <GL/glut.h>

#include "atlas/acupoint_table.h"
#include "atlas/pointer_rules.h"
#include "shell/markers.h"
#include "shell/meridian_popup.h"
#include "shell/viewer_windows.h"
#include "view/camera.h"
#include "view/views.h"

uint32_t select_buffer[kSelectBufferSize];
int hit_count;

int hovered_acupoint() {
  return first_hit_index(select_buffer, kSelectBufferSize, hit_count, acupoint_count);
}

int detail_acupoint() { return recorded_index(select_buffer, kSelectBufferSize, acupoint_count); }

void hover_pick(int x, int y) {
  // An open pop-up has the pointer, as a native menu does: nothing under it is picked.
  if (meridian_popup_motion(x, y)) return;
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  // Until the main window has a size there is no box to pick in.
  if (has_area(window_width, window_height)) {
    glRenderMode(GL_SELECT);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluPickMatrix(x, viewport[3] - y, 1, 1, viewport);
    const OrthoBox box = main_window_box(window_width, window_height);
    glOrtho(box.left, box.right, box.bottom, box.top, box.near_z, box.far_z);
    glMatrixMode(GL_MODELVIEW);
    if (meridian_view_active()) {
      draw_meridian_markers(current_meridian);
    } else {
      draw_search_marker(selected_acupoint);
    }
    // -1 after an overflow of the 200-entry buffer (more than 50 markers): no hit.
    hit_count = glRenderMode(GL_RENDER);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
  } else {
    hit_count = 0;
  }
  glutSetWindow(bottom_bar);
  glutPostRedisplay();
  glutSetWindow(main_window);
}
