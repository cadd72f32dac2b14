// Queries against the finished body: landmarks, cun, and the triangle surface.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "body/body.h"

Vec3 Body::landmark(const std::string& name) const {
  const auto it = landmarks.find(name);
  if (it == landmarks.end()) {
    std::fprintf(stderr, "body: no landmark named %s\n", name.c_str());
    std::abort();
  }
  return it->second;
}

double Body::cun_length(const std::string& region) const {
  const auto it = cun.find(region);
  if (it == cun.end()) {
    std::fprintf(stderr, "body: no cun region named %s\n", region.c_str());
    std::abort();
  }
  return it->second;
}

int Body::triangle_count() const {
  int n = 0;
  for (const BodyMesh& m : meshes) n += static_cast<int>(m.triangles.size());
  return n;
}

namespace {

Vec3 triangle_normal(const BodyMesh& m, const BodyTriangle& t) {
  return normalize(cross(m.vertices[t.v[1]] - m.vertices[t.v[0]],
                         m.vertices[t.v[2]] - m.vertices[t.v[0]]));
}

// Closest point of triangle abc to p (region tests on the barycentric coordinates).
Vec3 closest_on_triangle(Vec3 p, Vec3 a, Vec3 b, Vec3 c) {
  const Vec3 ab = b - a, ac = c - a, ap = p - a;
  const double d1 = dot(ab, ap), d2 = dot(ac, ap);
  if (d1 <= 0 && d2 <= 0) return a;
  const Vec3 bp = p - b;
  const double d3 = dot(ab, bp), d4 = dot(ac, bp);
  if (d3 >= 0 && d4 <= d3) return b;
  const double vc = d1 * d4 - d3 * d2;
  if (vc <= 0 && d1 >= 0 && d3 <= 0) return a + ab * (d1 / (d1 - d3));
  const Vec3 cp = p - c;
  const double d5 = dot(ab, cp), d6 = dot(ac, cp);
  if (d6 >= 0 && d5 <= d6) return c;
  const double vb = d5 * d2 - d1 * d6;
  if (vb <= 0 && d2 >= 0 && d6 <= 0) return a + ac * (d2 / (d2 - d6));
  const double va = d3 * d6 - d5 * d4;
  if (va <= 0 && (d4 - d3) >= 0 && (d5 - d6) >= 0)
    return b + (c - b) * ((d4 - d3) / ((d4 - d3) + (d5 - d6)));
  const double denom = 1.0 / (va + vb + vc);
  return a + ab * (vb * denom) + ac * (vc * denom);
}

}  // namespace

namespace {

// The nearest hit beyond the origin among triangles [first, last) of m that is nearer than
// *best (Moller-Trumbore, both sides); updates *best and *tri.
void nearest_hit(const BodyMesh& m, size_t first, size_t last, Vec3 origin, Vec3 dir,
                 double* best, const BodyTriangle** tri) {
  for (size_t k = first; k < last; ++k) {
    const BodyTriangle& t = m.triangles[k];
    const Vec3 a = m.vertices[t.v[0]];
    const Vec3 e1 = m.vertices[t.v[1]] - a, e2 = m.vertices[t.v[2]] - a;
    const Vec3 pv = cross(dir, e2);
    const double det = dot(e1, pv);
    if (std::abs(det) < 1e-14) continue;
    const double inv = 1.0 / det;
    const Vec3 tv = origin - a;
    const double u = dot(tv, pv) * inv;
    if (u < 0 || u > 1) continue;
    const Vec3 qv = cross(tv, e1);
    const double v = dot(dir, qv) * inv;
    if (v < 0 || u + v > 1) continue;
    const double dist = dot(e2, qv) * inv;
    if (dist > 1e-9 && dist < *best) {
      *best = dist;
      *tri = &t;
    }
  }
}

}  // namespace

bool Body::cast_to_surface(Vec3 origin, Vec3 dir, Vec3* hit, Vec3* normal,
                           std::string* mesh) const {
  dir = normalize(dir);
  double best = std::numeric_limits<double>::infinity();
  const BodyMesh* best_mesh = nullptr;
  const BodyTriangle* best_tri = nullptr;
  for (const BodyMesh& m : meshes) {
    const BodyTriangle* tri = nullptr;
    nearest_hit(m, 0, m.triangles.size(), origin, dir, &best, &tri);
    if (tri) best_mesh = &m, best_tri = tri;
  }
  if (!best_mesh) return false;
  if (hit) *hit = origin + dir * best;
  if (normal) *normal = triangle_normal(*best_mesh, *best_tri);
  if (mesh) *mesh = best_mesh->name;
  return true;
}

RayCaster::RayCaster(const Body& body) : body_(body) {
  // Runs of consecutive triangles lie close together (the surface is built slice by slice), so
  // their boxes are small.
  constexpr size_t kRun = 64;
  for (size_t i = 0; i < body.meshes.size(); ++i) {
    const BodyMesh& m = body.meshes[i];
    for (size_t first = 0; first < m.triangles.size(); first += kRun) {
      Run r{i, first, std::min(first + kRun, m.triangles.size()), {1e30, 1e30, 1e30},
            {-1e30, -1e30, -1e30}};
      for (size_t k = r.first; k < r.last; ++k)
        for (int c = 0; c < 3; ++c) {
          const Vec3 v = m.vertices[m.triangles[k].v[c]];
          r.lo = {std::min(r.lo.x, v.x), std::min(r.lo.y, v.y), std::min(r.lo.z, v.z)};
          r.hi = {std::max(r.hi.x, v.x), std::max(r.hi.y, v.y), std::max(r.hi.z, v.z)};
        }
      runs_.push_back(r);
    }
  }
}

bool RayCaster::cast(Vec3 origin, Vec3 dir, std::string* mesh) const {
  dir = normalize(dir);
  const double inv[3] = {1 / dir.x, 1 / dir.y, 1 / dir.z};
  const double o[3] = {origin.x, origin.y, origin.z};
  double best = std::numeric_limits<double>::infinity();
  const BodyMesh* best_mesh = nullptr;
  for (const Run& r : runs_) {
    // Slab test; a box behind the origin or beyond the best hit is skipped.
    const double lo[3] = {r.lo.x, r.lo.y, r.lo.z}, hi[3] = {r.hi.x, r.hi.y, r.hi.z};
    double enter = 0, leave = best;
    for (int a = 0; a < 3 && enter <= leave; ++a) {
      double t0 = (lo[a] - o[a]) * inv[a], t1 = (hi[a] - o[a]) * inv[a];
      if (t0 > t1) std::swap(t0, t1);
      enter = std::max(enter, t0);
      leave = std::min(leave, t1);
    }
    if (enter > leave) continue;
    const BodyMesh& m = body_.meshes[r.mesh];
    const BodyTriangle* tri = nullptr;
    nearest_hit(m, r.first, r.last, origin, dir, &best, &tri);
    if (tri) best_mesh = &m;
  }
  if (best_mesh && mesh) *mesh = best_mesh->name;
  return best_mesh != nullptr;
}

Vec3 Body::nearest_surface_point(Vec3 p, Vec3* normal) const {
  double best = std::numeric_limits<double>::infinity();
  Vec3 best_point = p;
  for (const BodyMesh& m : meshes)
    for (const BodyTriangle& t : m.triangles) {
      const Vec3 q = closest_on_triangle(p, m.vertices[t.v[0]], m.vertices[t.v[1]], m.vertices[t.v[2]]);
      const double d = dot(q - p, q - p);
      if (d < best) {
        best = d;
        best_point = q;
        if (normal) *normal = triangle_normal(m, t);
      }
    }
  return best_point;
}

BodyMesh shown_part(const BodyMesh& mesh) {
  BodyMesh out;
  out.name = mesh.name;
  out.material = mesh.material;
  std::vector<int> index(mesh.vertices.size(), -1);
  for (size_t i = 0; i < mesh.shown_triangles; ++i) {
    BodyTriangle t = mesh.triangles[i];
    for (int& v : t.v) {
      if (index[v] < 0) {
        index[v] = static_cast<int>(out.vertices.size());
        out.vertices.push_back(mesh.vertices[v]);
        out.normals.push_back(mesh.normals[v]);
        if (!mesh.texcoords.empty()) out.texcoords.push_back(mesh.texcoords[v]);
      }
      v = index[v];
    }
    out.triangles.push_back(t);
  }
  out.shown_triangles = out.triangles.size();
  return out;
}
