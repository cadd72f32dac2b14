#include "body/decimate.h"

#include <algorithm>
#include <cmath>
#include <queue>

namespace {

// Symmetric 4x4 quadric, stored as its 10 upper entries.
struct Quadric {
  double q[10] = {};
  void add_plane(Vec3 n, double d, double w) {
    const double a = n.x, b = n.y, c = n.z;
    const double v[10] = {a * a, a * b, a * c, a * d, b * b, b * c, b * d, c * c, c * d, d * d};
    for (int i = 0; i < 10; ++i) q[i] += v[i] * w;
  }
  void add(const Quadric& o) {
    for (int i = 0; i < 10; ++i) q[i] += o.q[i];
  }
  double error(Vec3 p) const {
    const double x = p.x, y = p.y, z = p.z;
    return q[0] * x * x + 2 * q[1] * x * y + 2 * q[2] * x * z + 2 * q[3] * x + q[4] * y * y +
           2 * q[5] * y * z + 2 * q[6] * y + q[7] * z * z + 2 * q[8] * z + q[9];
  }
  // The point of least error, if the system is well conditioned.
  bool optimum(Vec3* p) const {
    const double a = q[0], b = q[1], c = q[2], d = q[4], e = q[5], f = q[7];
    const double det = a * (d * f - e * e) - b * (b * f - c * e) + c * (b * e - c * d);
    if (std::abs(det) < 1e-18) return false;
    const double r0 = -q[3], r1 = -q[6], r2 = -q[8];
    p->x = (r0 * (d * f - e * e) - b * (r1 * f - e * r2) + c * (r1 * e - d * r2)) / det;
    p->y = (a * (r1 * f - e * r2) - r0 * (b * f - c * e) + c * (b * r2 - r1 * c)) / det;
    p->z = (a * (d * r2 - r1 * e) - b * (b * r2 - r1 * c) + r0 * (b * e - c * d)) / det;
    return true;
  }
};

struct Candidate {
  double cost;
  int a, b;
  unsigned stamp_a, stamp_b;
  Vec3 target;
  bool operator>(const Candidate& o) const { return cost > o.cost; }
};

Vec3 face_normal(const Vec3& a, const Vec3& b, const Vec3& c) { return cross(b - a, c - a); }

}  // namespace

void compact(TriMesh& mesh) {
  std::vector<int> remap(mesh.vertices.size(), -1);
  std::vector<Vec3> kept;
  for (auto& t : mesh.triangles)
    for (int& v : t) {
      if (remap[v] < 0) {
        remap[v] = static_cast<int>(kept.size());
        kept.push_back(mesh.vertices[v]);
      }
      v = remap[v];
    }
  mesh.vertices.swap(kept);
}

void decimate(TriMesh& mesh, int target_triangles, const std::vector<bool>& locked) {
  const int nv = static_cast<int>(mesh.vertices.size());
  std::vector<Vec3>& pos = mesh.vertices;
  std::vector<std::array<int, 3>>& tri = mesh.triangles;
  std::vector<bool> dead(tri.size(), false);
  std::vector<std::vector<int>> faces_of(nv);
  std::vector<Quadric> quad(nv);
  std::vector<unsigned> stamp(nv, 0);
  for (int f = 0; f < static_cast<int>(tri.size()); ++f) {
    const Vec3 n = face_normal(pos[tri[f][0]], pos[tri[f][1]], pos[tri[f][2]]);
    const double area = length(n);
    const Vec3 u = area > 0 ? n / area : Vec3{0, 0, 0};
    for (int v : tri[f]) {
      faces_of[v].push_back(f);
      quad[v].add_plane(u, -dot(u, pos[tri[f][0]]), area);
    }
  }

  std::priority_queue<Candidate, std::vector<Candidate>, std::greater<Candidate>> heap;
  auto push = [&](int a, int b) {
    if (!locked.empty() && (locked[a] || locked[b])) return;
    Quadric q = quad[a];
    q.add(quad[b]);
    Vec3 best = (pos[a] + pos[b]) * 0.5;
    Vec3 opt;
    // The optimum is trusted only near the edge; far-flung optima come from flat regions.
    if (q.optimum(&opt) && length(opt - best) < length(pos[a] - pos[b])) best = opt;
    double cost = q.error(best);
    for (const Vec3& c : {pos[a], pos[b]})
      if (q.error(c) < cost) { cost = q.error(c); best = c; }
    heap.push({std::max(cost, 0.0), a, b, stamp[a], stamp[b], best});
  };
  for (int f = 0; f < static_cast<int>(tri.size()); ++f)
    for (int e = 0; e < 3; ++e) {
      const int a = tri[f][e], b = tri[f][(e + 1) % 3];
      if (a < b) push(a, b);
    }

  int alive = static_cast<int>(tri.size());
  std::vector<int> mark(nv, 0);
  int mark_id = 0;
  while (alive > target_triangles && !heap.empty()) {
    const Candidate c = heap.top();
    heap.pop();
    if (stamp[c.a] != c.stamp_a || stamp[c.b] != c.stamp_b) continue;
    const int a = c.a, b = c.b;
    // Link condition: the neighbours shared by a and b must be exactly the two wing vertices.
    ++mark_id;
    for (int f : faces_of[a])
      for (int v : tri[f]) mark[v] = mark_id;
    int shared = 0, wing_faces = 0;
    std::vector<int> seen;
    for (int f : faces_of[b]) {
      const auto& t = tri[f];
      const bool has_a = t[0] == a || t[1] == a || t[2] == a;
      if (has_a) ++wing_faces;
      for (int v : t)
        if (v != a && v != b && mark[v] == mark_id &&
            std::find(seen.begin(), seen.end(), v) == seen.end()) {
          seen.push_back(v);
          ++shared;
        }
    }
    if (wing_faces != 2 || shared != 2) continue;
    // Tetrahedron-like pieces would collapse to nothing.
    if (faces_of[a].size() + faces_of[b].size() <= 8) continue;
    // No face around a or b may flip or become a sliver.
    bool ok = true;
    for (int v : {a, b}) {
      for (int f : faces_of[v]) {
        auto t = tri[f];
        const bool both = (t[0] == a || t[1] == a || t[2] == a) && (t[0] == b || t[1] == b || t[2] == b);
        if (both) continue;
        const Vec3 before = face_normal(pos[t[0]], pos[t[1]], pos[t[2]]);
        for (int& x : t)
          if (x == a || x == b) x = -1;
        Vec3 p[3];
        for (int i = 0; i < 3; ++i) p[i] = t[i] < 0 ? c.target : pos[t[i]];
        const Vec3 after = face_normal(p[0], p[1], p[2]);
        const double la = length(after), lb = length(before);
        if (la < 1e-14 || dot(after, before) < 0.3 * la * lb) { ok = false; break; }
        // Quality: reject needles (area small for the longest edge).
        const double e2 = std::max({dot(p[1] - p[0], p[1] - p[0]), dot(p[2] - p[1], p[2] - p[1]),
                                    dot(p[0] - p[2], p[0] - p[2])});
        if (la / e2 < 0.08) { ok = false; break; }
      }
      if (!ok) break;
    }
    if (!ok) continue;

    pos[a] = c.target;
    quad[a].add(quad[b]);
    for (int f : faces_of[b]) {
      auto& t = tri[f];
      const bool has_a = t[0] == a || t[1] == a || t[2] == a;
      if (has_a) {
        dead[f] = true;
        --alive;
        for (int v : t)
          if (v != b) {
            auto& l = faces_of[v];
            l.erase(std::remove(l.begin(), l.end(), f), l.end());
          }
      } else {
        for (int& x : t)
          if (x == b) x = a;
        faces_of[a].push_back(f);
      }
    }
    faces_of[b].clear();
    // Only the edges at a changed (its quadric and place); the rest keep their costs, and every
    // collapse is re-checked against the current mesh when it is taken.
    ++stamp[a];
    ++stamp[b];
    ++mark_id;
    for (int f : faces_of[a])
      for (int v : tri[f])
        if (v != a && mark[v] != mark_id) {
          mark[v] = mark_id;
          push(std::min(a, v), std::max(a, v));
        }
  }
  std::vector<std::array<int, 3>> kept;
  for (size_t f = 0; f < tri.size(); ++f)
    if (!dead[f]) kept.push_back(tri[f]);
  tri.swap(kept);
  compact(mesh);
}
