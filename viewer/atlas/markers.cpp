// The meridian view and the red acupoint markers. Each marker carries its table index as its
// selection name, so the same routines serve the screen and the hover pick.
#include <GL/glut.h>

#include "atlas/atlas.h"
#include "atlas/meridian_menu_model.h"
#include "model/model_gl.h"
#include "shell/viewer_state.h"
#include "shell/views.h"

namespace {

constexpr double kMarkerRadius = 0.02;  // model units
constexpr int kMarkerSlices = 10, kMarkerStacks = 10;

// Markers are plain red: no light, and no texture left bound by the body.
class MarkerState {
 public:
  MarkerState() : textured(glIsEnabled(GL_TEXTURE_2D)) {
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glInitNames();
    glPushName(0);
  }
  ~MarkerState() {
    if (textured) glEnable(GL_TEXTURE_2D);
    glEnable(GL_LIGHTING);
  }
  MarkerState(const MarkerState&) = delete;
  MarkerState& operator=(const MarkerState&) = delete;

 private:
  GLboolean textured;
};

void draw_marker(int name, const Pose& pose, float x, float y, float z) {
  glPushMatrix();
  glLoadName(static_cast<GLuint>(name));
  glColor3f(1, 0, 0);
  apply_pose(pose);
  glTranslatef(x, y, z);
  glutSolidSphere(kMarkerRadius, kMarkerSlices, kMarkerStacks);
  glPopMatrix();
}

}  // namespace

void on_meridian_menu(int value) {
  current_meridian = value;
  const EntryView view = entry_view(value);
  if (!view.keeps_view) {
    meridian_tx = view.tx;
    meridian_ty = view.ty;
    meridian_rot_x = view.rot_x;
    meridian_rot_y = view.rot_y;
    meridian_scale = view.scale;
  }
  glutSetWindow(main_window);
  glutPostRedisplay();
}

void draw_meridian_view() {
  glPushMatrix();
  apply_pose(meridian_view_pose());
  draw_model(body_model);
  glPopMatrix();
}

void draw_meridian_markers(int meridian) {
  MarkerState state;
  const Pose pose = meridian_view_pose();
  for (int i = 0; i < acupoint_count; ++i) {
    const AcupointRecord& r = acupoints[i];
    if (r.meridian == meridian) draw_marker(i, pose, r.x, r.y, r.z);
  }
}

void draw_search_marker(int index) {
  MarkerState state;
  draw_marker(index, search_view_pose(), marker_position[0], marker_position[1],
              marker_position[2]);
}
