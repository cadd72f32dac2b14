// Built with floating-point contraction off: the sums must round the same way in every method.
#include "model/vertex_normals.h"

#include <cmath>
#include <vector>

Vector3 face_vector(const Vector3& p0, const Vector3& p1, const Vector3& p2) {
  const Vector3 a{p0.x - p2.x, p0.y - p2.y, p0.z - p2.z};
  const Vector3 b{p2.x - p1.x, p2.y - p1.y, p2.z - p1.z};
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

Vector3 finish_normal(const Vector3& sum, int32_t faces) {
  const float divisor = -static_cast<float>(faces);
  Vector3 n{sum.x / divisor, sum.y / divisor, sum.z / divisor};
  const double length = std::sqrt(static_cast<double>(n.x) * n.x +
                                  static_cast<double>(n.y) * n.y +
                                  static_cast<double>(n.z) * n.z);
  n.x = static_cast<float>(n.x / length);
  n.y = static_cast<float>(n.y / length);
  n.z = static_cast<float>(n.z / length);
  return n;
}

void build_vertex_normals(Mesh& mesh) {
  const int32_t n = mesh.vertex_count;
  mesh.normals.reset(n > 0 ? new Vector3[n] : nullptr);
  if (n <= 0) return;

  // One pass over the faces in ascending order adds each face to its distinct corners, so every
  // vertex sees its faces in the same order as the all-faces scan.
  std::vector<Vector3> sum(n);
  std::vector<int32_t> count(n, 0);
  for (int32_t f = 0; f < mesh.face_count; ++f) {
    const Face& face = mesh.faces[f];
    if (!face_in_range(face, n)) continue;
    const int32_t c0 = face.vertex_index[0], c1 = face.vertex_index[1], c2 = face.vertex_index[2];
    const Vector3 s = face_vector(mesh.vertices[c0], mesh.vertices[c1], mesh.vertices[c2]);
    auto add = [&](int32_t v) {
      sum[v].x += s.x;
      sum[v].y += s.y;
      sum[v].z += s.z;
      ++count[v];
    };
    add(c0);
    if (c1 != c0) add(c1);
    if (c2 != c0 && c2 != c1) add(c2);
  }
  for (int32_t v = 0; v < n; ++v) mesh.normals[v] = finish_normal(sum[v], count[v]);
}
