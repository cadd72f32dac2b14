// The search view that shows an acupoint: the viewer poses a point p as T + Rx * Ry * (s * p)
// with T = (tx, ty, 0), and looks along -Z. Pure arithmetic, no body and no GL.
#pragma once

#include <vector>

#include "body/vec3.h"

struct SearchView {
  float tx = 0, ty = 0, scale = 1, rot_x = 0, rot_y = 0;
};

// Rotations that turn `toward_viewer` (model space) to +Z, and the translation that then puts
// `point` at the window centre. Angles, scale and translation are rounded to the floats the
// viewer keeps before the translation is derived from them.
SearchView view_facing(Vec3 point, Vec3 toward_viewer, double scale);

// The posed position of a model-space point, as the viewer computes it.
Vec3 posed_point(const SearchView& view, Vec3 p);
// The model-space direction that the view turns toward the viewer (+Z).
Vec3 direction_to_viewer(const SearchView& view);

// Directions to look from, best first: the normal itself, then ones tilted away from it by
// growing angles all round, so that a point hidden along its normal can still be seen.
std::vector<Vec3> candidate_directions(Vec3 normal);
