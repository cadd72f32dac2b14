#include "view/views.h"

int current_meridian;
float search_rot_x, search_rot_y;
double search_tx, search_ty;
float search_scale = 1.0f;
float marker_position[3] = {100, 100, 100};
int selected_acupoint;
float meridian_tx, meridian_ty;
float meridian_rot_x, meridian_rot_y;
float meridian_scale = 1.0f;

namespace {

// The step is taken as float + double 0.1, rounded back to float: ten steps down from 1.0 end
// just below zero (about -7.3e-08), not at the -7.45e-08 that float arithmetic alone gives.
constexpr double kZoomStep = 0.1;

float& active_scale() { return meridian_view_active() ? meridian_scale : search_scale; }

void reset_meridian_view() {
  meridian_tx = meridian_ty = 0;
  meridian_rot_x = meridian_rot_y = 0;
  meridian_scale = 1;
}

}  // namespace

bool meridian_view_active() { return current_meridian != 0; }

Pose search_view_pose() {
  return {float(search_tx), float(search_ty), search_rot_x, search_rot_y, search_scale};
}

Pose meridian_view_pose() {
  return {meridian_tx, meridian_ty, meridian_rot_x, meridian_rot_y, meridian_scale};
}

Pose active_view_pose() { return meridian_view_active() ? meridian_view_pose() : search_view_pose(); }

void zoom_in() {
  float& scale = active_scale();
  scale = float(scale + kZoomStep);
}

void zoom_out() {
  float& scale = active_scale();
  scale = float(scale - kZoomStep);
}

void reset_views() {
  search_scale = 1;
  search_rot_x = search_rot_y = 0;
  search_tx = search_ty = 0;
  reset_meridian_view();
}

void leave_meridian_view() {
  current_meridian = 0;
  reset_meridian_view();
}
