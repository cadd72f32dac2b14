// The all-faces normal scan: for every vertex, every face is tested. The reference that the fast
// method must match bit for bit, and the baseline of the benchmark.
#pragma once

#include "model/model.h"
#include "model/vertex_normals.h"

inline void scan_vertex_normals(const Mesh& mesh, Vector3* normals) {
  for (int32_t v = 0; v < mesh.vertex_count; ++v) {
    Vector3 sum;
    int32_t faces = 0;
    for (int32_t f = 0; f < mesh.face_count; ++f) {
      const Face& face = mesh.faces[f];
      if (!face_in_range(face, mesh.vertex_count)) continue;
      const int32_t* c = face.vertex_index;
      if (c[0] != v && c[1] != v && c[2] != v) continue;
      const Vector3 s = face_vector(mesh.vertices[c[0]], mesh.vertices[c[1]], mesh.vertices[c[2]]);
      sum.x += s.x;
      sum.y += s.y;
      sum.z += s.z;
      ++faces;
    }
    normals[v] = finish_normal(sum, faces);
  }
}
