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

bool Body::cast_to_surface(Vec3 origin, Vec3 dir, Vec3* hit, Vec3* normal,
                           std::string* mesh) const {
  dir = normalize(dir);
  double best = std::numeric_limits<double>::infinity();
  const BodyMesh* best_mesh = nullptr;
  const BodyTriangle* best_tri = nullptr;
  for (const BodyMesh& m : meshes)
    for (const BodyTriangle& t : m.triangles) {
      // Moller-Trumbore, both sides.
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
      if (dist > 1e-9 && dist < best) {
        best = dist;
        best_mesh = &m;
        best_tri = &t;
      }
    }
  if (!best_mesh) return false;
  if (hit) *hit = origin + dir * best;
  if (normal) *normal = triangle_normal(*best_mesh, *best_tri);
  if (mesh) *mesh = best_mesh->name;
  return true;
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
