#include "body/sdf.h"

#include <algorithm>
#include <limits>

Frame frame_along(Vec3 along, Vec3 toward) {
  Frame f;
  f.v = normalize(along);
  Vec3 w = toward - f.v * dot(toward, f.v);
  if (length(w) < 1e-9) w = std::abs(f.v.z) < 0.9 ? Vec3{0, 0, 1} : Vec3{1, 0, 0};
  f.w = normalize(w - f.v * dot(w, f.v));
  f.u = cross(f.v, f.w);
  return f;
}

namespace {

// Ellipsoid distance bound (exact on the surface, good near it); p in the frame.
double ellipsoid_distance(Vec3 p, Vec3 r) {
  const Vec3 q{p.x / r.x, p.y / r.y, p.z / r.z};
  const Vec3 q2{p.x / (r.x * r.x), p.y / (r.y * r.y), p.z / (r.z * r.z)};
  const double k0 = length(q);
  const double k1 = length(q2);
  if (k1 < 1e-12) return -std::min(r.x, std::min(r.y, r.z));
  return k0 * (k0 - 1.0) / k1;
}

// Exact distance to a cone capped by two spheres (radius ra at a, rb at b).
double round_cone_distance(Vec3 p, Vec3 a, Vec3 b, double r1, double r2) {
  const Vec3 ba = b - a;
  const double l2 = dot(ba, ba);
  const double rr = r1 - r2;
  const double a2 = l2 - rr * rr;
  const double il2 = 1.0 / l2;
  const Vec3 pa = p - a;
  const double y = dot(pa, ba);
  const double z = y - l2;
  const Vec3 t = pa * l2 - ba * y;
  const double x2 = dot(t, t);
  const double y2 = y * y * l2;
  const double z2 = z * z * l2;
  const double k = (rr > 0 ? 1 : rr < 0 ? -1 : 0) * rr * rr * x2;
  if ((z > 0 ? 1 : -1) * a2 * z2 > k) return std::sqrt(x2 + z2) * il2 - r2;
  if ((y > 0 ? 1 : -1) * a2 * y2 < k) return std::sqrt(x2 + y2) * il2 - r1;
  return (std::sqrt(x2 * a2 * il2) + y * rr) * il2 - r1;
}

}  // namespace

double Primitive::distance(Vec3 p) const {
  if (kind == kEllipsoid) {
    const Vec3 d = p - a;
    return ellipsoid_distance({dot(d, frame.u), dot(d, frame.v), dot(d, frame.w)}, r);
  }
  if (flat == 1.0) return round_cone_distance(p, a, b, ra, rb);
  // Squeeze the cross-section: stretch space along w, then scale the distance back (a bound).
  const Vec3 d = p - a;
  const double s = dot(d, frame.w);
  const Vec3 q = a + d + frame.w * (s / flat - s);
  return round_cone_distance(q, a, b, ra, rb) * flat;
}

Vec3 Primitive::box_min() const {
  if (kind == kEllipsoid) {
    const double m = std::max(r.x, std::max(r.y, r.z));
    return a - Vec3{m, m, m};
  }
  const double m = std::max(ra, rb);
  return Vec3{std::min(a.x, b.x) - m, std::min(a.y, b.y) - m, std::min(a.z, b.z) - m};
}

Vec3 Primitive::box_max() const {
  if (kind == kEllipsoid) {
    const double m = std::max(r.x, std::max(r.y, r.z));
    return a + Vec3{m, m, m};
  }
  const double m = std::max(ra, rb);
  return Vec3{std::max(a.x, b.x) + m, std::max(a.y, b.y) + m, std::max(a.z, b.z) + m};
}

Primitive ellipsoid(Vec3 centre, Vec3 radii, Frame frame) {
  Primitive p;
  p.kind = Primitive::kEllipsoid;
  p.a = centre;
  p.r = radii;
  p.frame = frame;
  return p;
}

Primitive round_cone(Vec3 a, Vec3 b, double ra, double rb, double flat, Vec3 flat_axis) {
  Primitive p;
  p.kind = Primitive::kRoundCone;
  p.a = a;
  p.b = b;
  p.ra = ra;
  p.rb = rb;
  p.flat = flat;
  p.frame = frame_along(b - a, flat_axis);
  return p;
}

double smooth_min(double a, double b, double k) {
  if (k <= 0) return std::min(a, b);
  const double h = std::max(k - std::abs(a - b), 0.0) / k;
  return std::min(a, b) - h * h * k * 0.25;
}

void Shape::add(const Primitive& p, double blend, int group) {
  ops_.push_back({p, blend, false, group});
}

void Shape::subtract(const Primitive& p, double blend) { ops_.push_back({p, blend, true, -1}); }

double Shape::distance(Vec3 p) const {
  const double inf = std::numeric_limits<double>::infinity();
  double d = inf;
  for (const ShapeOp& op : ops_) {
    const double e = op.prim.distance(p);
    if (op.subtract) {
      d = -smooth_min(-d, e, op.blend);
    } else {
      d = d == inf ? e : smooth_min(d, e, op.blend);
    }
  }
  return d;
}

Vec3 Shape::gradient(Vec3 p) const {
  const double h = 1e-4;
  return normalize(Vec3{distance(p + Vec3{h, 0, 0}) - distance(p - Vec3{h, 0, 0}),
                        distance(p + Vec3{0, h, 0}) - distance(p - Vec3{0, h, 0}),
                        distance(p + Vec3{0, 0, h}) - distance(p - Vec3{0, 0, h})});
}

Shape Shape::culled(Vec3 lo, Vec3 hi) const {
  Shape out;
  for (const ShapeOp& op : ops_) {
    const Vec3 a = op.prim.box_min(), b = op.prim.box_max();
    const double m = op.blend + 0.01;  // beyond this a primitive cannot change the surface
    if (a.x > hi.x + m || b.x < lo.x - m || a.y > hi.y + m || b.y < lo.y - m ||
        a.z > hi.z + m || b.z < lo.z - m)
      continue;
    out.ops_.push_back(op);
  }
  return out;
}
