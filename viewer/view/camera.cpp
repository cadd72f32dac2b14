#include "view/camera.h"

namespace {

OrthoBox centred(int width, int height, double near_z, double far_z) {
  const double half_w = width / 100.0 / 2, half_h = height / 100.0 / 2;
  return {-half_w, half_w, -half_h, half_h, near_z, far_z};
}

}  // namespace

OrthoBox main_window_box(int width, int height) { return centred(width, height, 1, 200); }
OrthoBox bar_box(int width, int height) { return centred(width, height, 1.5, 20); }
