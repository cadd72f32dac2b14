// Signed-distance shapes: the primitives the body is built from and their smooth combination.
#pragma once

#include <vector>

#include "body/vec3.h"

// One oriented frame: three orthonormal axes.
struct Frame {
  Vec3 u{1, 0, 0}, v{0, 1, 0}, w{0, 0, 1};
};
// A frame whose v axis points along `along` and whose w axis is as close as possible to `toward`.
Frame frame_along(Vec3 along, Vec3 toward);

struct Primitive {
  enum Kind { kEllipsoid, kRoundCone } kind = kEllipsoid;
  // Ellipsoid: centre a, radii r (along the frame axes u, v, w).
  // Round cone: from a (radius ra) to b (radius rb); the cross-section is squeezed by `flat`
  // along the frame's w axis (1 = round).
  Vec3 a, b, r;
  double ra = 0, rb = 0, flat = 1;
  Frame frame;
  double distance(Vec3 p) const;
  // Loose bounds of the primitive.
  Vec3 box_min() const;
  Vec3 box_max() const;
};

Primitive ellipsoid(Vec3 centre, Vec3 radii, Frame frame = Frame{});
Primitive round_cone(Vec3 a, Vec3 b, double ra, double rb, double flat = 1,
                     Vec3 flat_axis = {0, 0, 1});

// One step of the shape: a smooth union or subtraction of a primitive; `group` is the body part
// an additive primitive models.
struct ShapeOp {
  Primitive prim;
  double blend = 0;   // smoothing radius of the union or subtraction
  bool subtract = false;
  int group = 0;      // which limb/part owns it, for splitting the surface into meshes
};

class Shape {
 public:
  void add(const Primitive& p, double blend, int group);
  void subtract(const Primitive& p, double blend);

  // Signed distance (negative inside).
  double distance(Vec3 p) const;
  Vec3 gradient(Vec3 p) const;

  // A copy holding only the operations that can affect points inside [lo, hi].
  Shape culled(Vec3 lo, Vec3 hi) const;

 private:
  std::vector<ShapeOp> ops_;
};

double smooth_min(double a, double b, double k);
