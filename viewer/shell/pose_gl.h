// A view's pose as GL calls: the same transform as pose_matrix (view/pose.h).
#pragma once

#include "view/pose.h"

// Multiplies the current GL matrix by the pose (the caller pushes and pops).
void apply_pose(float tx, float ty, float rot_x, float rot_y, float scale);
inline void apply_pose(const Pose& pose) {
  apply_pose(pose.tx, pose.ty, pose.rot_x, pose.rot_y, pose.scale);
}
