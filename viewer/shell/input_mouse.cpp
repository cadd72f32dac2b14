// Buttons and drags of the main window: 2-degree turns, Ctrl move mode, the detail panel's
// click, the wheel's zoom, and the right button's meridian pop-up.
#include <GL/glut.h>

#include "atlas/pointer_rules.h"
#include "shell/input.h"
#include "shell/meridian_popup.h"
#include "shell/pick.h"
#include "shell/viewer_windows.h"
#include "view/views.h"

bool detail_shown;
bool move_mode;
int last_mouse_x, last_mouse_y;
double drag_anchor_x, drag_anchor_y;
double drag_start_tx, drag_start_ty;

bool pointer_to_scene(int x, int y, double& scene_x, double& scene_y) {
  GLdouble model_view[16], projection[16];
  GLint viewport[4];
  glGetDoublev(GL_MODELVIEW_MATRIX, model_view);
  glGetDoublev(GL_PROJECTION_MATRIX, projection);
  glGetIntegerv(GL_VIEWPORT, viewport);
  const int gl_y = gl_window_y(viewport[3], y);
  GLfloat depth = 0;
  glReadPixels(x, gl_y, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
  double scene[3];
  if (!unproject_point(x, gl_y, depth, model_view, projection, viewport, scene)) return false;
  scene_x = scene[0];
  scene_y = scene[1];
  return true;
}

bool wheel_zoom(int button, int state) {
  if (button != kWheelUpButton && button != kWheelDownButton) return false;
  // One step per notch, on the press that each notch sends; the release is no second step.
  if (state == GLUT_DOWN) {
    if (button == kWheelUpButton) zoom_in(); else zoom_out();
    glutPostWindowRedisplay(main_window);  // also from the bars' callbacks
  }
  return true;
}

void mouse_button(int button, int state, int x, int y) {
  if (meridian_popup_mouse(button, state, x, y, true)) return;
  // The wheel zooms and is no click: it never opens or closes the detail panel.
  if (wheel_zoom(button, state)) return;
  if (button != GLUT_LEFT_BUTTON && button != GLUT_MIDDLE_BUTTON) return;

  double sx = 0, sy = 0;
  if (pointer_to_scene(x, y, sx, sy)) {
    drag_anchor_x = sx;
    drag_anchor_y = sy;
  }
  if (meridian_view_active()) {
    drag_start_tx = meridian_tx;
    drag_start_ty = meridian_ty;
  } else {
    drag_start_tx = search_tx;
    drag_start_ty = search_ty;
  }
  if (is_ctrl_only(glutGetModifiers())) move_mode = !move_mode;
  detail_shown = hit_count > 0;
  glutPostRedisplay();
  last_mouse_x = x;
  last_mouse_y = y;
}

void mouse_drag(int x, int y) {
  if (meridian_popup_motion(x, y)) return;
  const bool meridian = meridian_view_active();
  if (!move_mode) {
    if (meridian) {
      turn_for_motion(last_mouse_x, last_mouse_y, x, y, meridian_rot_x, meridian_rot_y);
    } else {
      turn_for_motion(last_mouse_x, last_mouse_y, x, y, search_rot_x, search_rot_y);
    }
  } else {
    double sx = 0, sy = 0;
    if (pointer_to_scene(x, y, sx, sy)) {
      const double tx = moved_translation(sx, drag_anchor_x, drag_start_tx);
      const double ty = moved_translation(sy, drag_anchor_y, drag_start_ty);
      if (meridian) {
        meridian_tx = float(tx);
        meridian_ty = float(ty);
      } else {
        search_tx = tx;
        search_ty = ty;
      }
    }
  }
  last_mouse_x = x;
  last_mouse_y = y;
  glutPostRedisplay();
}
