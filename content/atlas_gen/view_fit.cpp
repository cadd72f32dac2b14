#include "atlas_gen/view_fit.h"

#include <cmath>

#include "body/pi.h"

namespace {

double radians(double degrees) { return degrees * kPi / 180; }
double degrees(double radians) { return radians * 180 / kPi; }

// The viewer's rotations: about Y first (applied to the point), then about X.
Vec3 rotate_y(Vec3 v, double deg) {
  const double c = std::cos(radians(deg)), s = std::sin(radians(deg));
  return {c * v.x + s * v.z, v.y, -s * v.x + c * v.z};
}
Vec3 rotate_x(Vec3 v, double deg) {
  const double c = std::cos(radians(deg)), s = std::sin(radians(deg));
  return {v.x, c * v.y - s * v.z, s * v.y + c * v.z};
}

// Any unit vector at right angles to n.
Vec3 perpendicular(Vec3 n) {
  const Vec3 helper = std::abs(n.y) < 0.9 ? Vec3{0, 1, 0} : Vec3{1, 0, 0};
  return normalize(cross(n, helper));
}

}  // namespace

SearchView view_facing(Vec3 point, Vec3 toward_viewer, double scale) {
  const Vec3 n = normalize(toward_viewer);
  SearchView v;
  v.rot_y = float(degrees(std::atan2(-n.x, n.z)));
  v.rot_x = float(degrees(std::atan2(n.y, std::hypot(n.x, n.z))));
  v.scale = float(scale);
  const Vec3 posed = posed_point(v, point);
  v.tx = float(-posed.x);
  v.ty = float(-posed.y);
  return v;
}

Vec3 posed_point(const SearchView& view, Vec3 p) {
  const Vec3 r = rotate_x(rotate_y(p * double(view.scale), view.rot_y), view.rot_x);
  return {r.x + view.tx, r.y + view.ty, r.z};
}

Vec3 direction_to_viewer(const SearchView& view) {
  return rotate_y(rotate_x(Vec3{0, 0, 1}, -view.rot_x), -view.rot_y);
}

std::vector<Vec3> candidate_directions(Vec3 normal) {
  const Vec3 n = normalize(normal);
  const Vec3 u = perpendicular(n), w = cross(n, u);
  std::vector<Vec3> out{n};
  for (int tilt = 10; tilt <= 80; tilt += 10)
    for (int turn = 0; turn < 360; turn += 30) {
      const double t = radians(tilt), a = radians(turn);
      out.push_back(normalize(n * std::cos(t) + (u * std::cos(a) + w * std::sin(a)) * std::sin(t)));
    }
  return out;
}
