// How the body is cut into meshes: one region per mesh, each with its resolution, its triangle
// budget, its material and texture, and the cylinder that maps it onto its texture.
#pragma once

#include <string>
#include <vector>

#include "body/anatomy.h"

// Metres of the anatomy to scene units: the whole body becomes 5.0 units, centred on the origin,
// which leaves a margin inside the 530 pixels between the window's two bars at scale 1.
constexpr double kSceneScale = 5.0 / kStature;
constexpr double kSceneFloor = kStature / 2;  // metres of the anatomy that land on y = 0
inline Vec3 to_scene(Vec3 m) {
  return {m.x * kSceneScale, (m.y - kSceneFloor) * kSceneScale, m.z * kSceneScale};
}
inline Vec3 to_metres(Vec3 s) {
  return {s.x / kSceneScale, s.y / kSceneScale + kSceneFloor, s.z / kSceneScale};
}

// Cylindrical texture mapping: v runs along the axis from h0 to h1, u is the angle from the
// front direction divided by pi, taken without sign. Folding the angle this way makes the map
// continuous all round (no seam needs split vertices), mirrors the texture about the front and
// back lines (right for a body that is symmetric) and lets a left and right limb share a texture.
struct UvMap {
  Vec3 origin, axis, front;  // axis and front unit, perpendicular
  double h0 = 0, h1 = 1;
};
Vec2 map_uv(const UvMap& map, Vec3 p);

struct BodyRegion {
  std::string mesh;      // left-side name for limbs ("..._L"); the right twin gets "_R"
  std::string texture;   // name stored in the model (upper case)
  std::string file;      // name of the shipped file
  BodyGroup group;
  bool limb;             // modelled on the left, mirrored for the right
  double y_lo, y_hi;     // extra cut planes (metres), for the trunk
  double cell;           // grid cell, metres
  int triangles;         // budget after decimation (per side)
  UvMap uv;              // metres, left side
};

std::vector<BodyRegion> body_regions(const Anatomy& an);

// The same map in scene units (and mirrored for a right limb).
UvMap scene_uv(const UvMap& metres, bool mirror);
