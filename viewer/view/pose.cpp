#include "view/pose.h"

#include <cmath>

#include "model/angles.h"

namespace {

Matrix4 identity() { return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}; }

Matrix4 multiply(const Matrix4& a, const Matrix4& b) {
  Matrix4 m{};
  for (int c = 0; c < 4; ++c)
    for (int r = 0; r < 4; ++r) {
      double sum = 0;
      for (int k = 0; k < 4; ++k) sum += a[k * 4 + r] * b[c * 4 + k];
      m[c * 4 + r] = sum;
    }
  return m;
}

// Rotation about a unit axis x, y or z (0, 1, 2), counter-clockwise looking down the axis.
Matrix4 rotation(int axis, double degrees) {
  const double s = std::sin(degrees * kPi / 180), c = std::cos(degrees * kPi / 180);
  const int i = (axis + 1) % 3, j = (axis + 2) % 3;
  Matrix4 m = identity();
  m[i * 4 + i] = c;
  m[j * 4 + j] = c;
  m[i * 4 + j] = s;   // column i, row j
  m[j * 4 + i] = -s;  // column j, row i
  return m;
}

}  // namespace

Matrix4 pose_matrix(const Pose& pose) {
  Matrix4 translate = identity();
  translate[12] = pose.tx;
  translate[13] = pose.ty;
  Matrix4 scale = identity();
  scale[0] = scale[5] = scale[10] = pose.scale;
  return multiply(multiply(multiply(translate, rotation(0, pose.rot_x)), rotation(1, pose.rot_y)),
                  scale);
}

std::array<double, 3> pose_point(const Pose& pose, double x, double y, double z) {
  const Matrix4 m = pose_matrix(pose);
  std::array<double, 3> out{};
  for (int r = 0; r < 3; ++r) out[r] = m[r] * x + m[4 + r] * y + m[8 + r] * z + m[12 + r];
  return out;
}
