#include "shell/markers.h"

#include <GL/glut.h>

#include "atlas/acupoint_table.h"
#include "shell/pose_gl.h"
#include "shell/scene_lists.h"
#include "view/views.h"

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
  draw_marker_sphere(kMarkerRadius, kMarkerSlices, kMarkerStacks);
  glPopMatrix();
}

}  // namespace

void draw_meridian_view() {
  glPushMatrix();
  apply_pose(meridian_view_pose());
  draw_body();
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
