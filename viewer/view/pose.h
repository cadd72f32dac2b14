// How a view's values pose the body and its markers: translate by (tx, ty, 0), rotate rot_x
// degrees about X, then rot_y degrees about Y, then scale uniformly. The matrix is pure
// arithmetic for tests and picking; apply_pose (shell/pose_gl.h) issues the same transform as GL
// calls.
#pragma once

#include <array>

struct Pose {
  float tx = 0, ty = 0;
  float rot_x = 0, rot_y = 0;  // degrees
  float scale = 1;
};

// 4 x 4, column-major as OpenGL stores it: element (row r, column c) is m[c * 4 + r].
using Matrix4 = std::array<double, 16>;

Matrix4 pose_matrix(const Pose& pose);
// The model-space point (x, y, z) under the pose, in the coordinates the pose is applied in.
std::array<double, 3> pose_point(const Pose& pose, double x, double y, double z);
