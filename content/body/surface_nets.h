// Polygonises the zero level of a field over a box of grid cells (naive surface nets): one vertex
// per cell that the surface crosses, one quad (two triangles) per crossed grid edge.
#pragma once

#include <array>
#include <functional>
#include <vector>

#include "body/vec3.h"

struct TriMesh {
  std::vector<Vec3> vertices;
  std::vector<std::array<int, 3>> triangles;  // counter-clockwise seen from outside
};

using Field = std::function<double(Vec3)>;

// A field good for points inside one box: lets the caller leave out what cannot matter there.
using FieldForBox = std::function<Field(Vec3 lo, Vec3 hi)>;

// The field is negative inside. Points on the border of the box count as outside, so the result
// is always closed.
TriMesh surface_nets(const FieldForBox& field_for_box, Vec3 lo, Vec3 hi, double cell);
inline TriMesh surface_nets(const Field& field, Vec3 lo, Vec3 hi, double cell) {
  return surface_nets([&](Vec3, Vec3) { return field; }, lo, hi, cell);
}

// Moves every vertex onto the zero level along the field's gradient.
void project_to_surface(TriMesh& mesh, const Field& field, int iterations);
