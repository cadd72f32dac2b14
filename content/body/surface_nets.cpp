#include "body/surface_nets.h"

#include <algorithm>
#include <cmath>

TriMesh surface_nets(const FieldForBox& field_for_box, Vec3 lo, Vec3 hi, double cell) {
  const int nx = std::max(2, static_cast<int>(std::ceil((hi.x - lo.x) / cell - 1e-6)) + 1);
  const int ny = std::max(2, static_cast<int>(std::ceil((hi.y - lo.y) / cell - 1e-6)) + 1);
  const int nz = std::max(2, static_cast<int>(std::ceil((hi.z - lo.z) / cell - 1e-6)) + 1);
  auto at = [&](int i, int j, int k) { return (static_cast<size_t>(k) * ny + j) * nx + i; };
  auto point = [&](int i, int j, int k) { return lo + Vec3{i * cell, j * cell, k * cell}; };

  // Evaluate block by block; a block whose centre lies far from the surface takes the centre's
  // sign everywhere (the field is a distance bound), which skips most of the box.
  std::vector<float> value(static_cast<size_t>(nx) * ny * nz);
  const int B = 6;
  const int bx = (nx + B - 1) / B, by = (ny + B - 1) / B;
  std::vector<char> uniform_block(static_cast<size_t>(bx) * by * ((nz + B - 1) / B), 0);
  auto block_of = [&](int i, int j, int k) {
    return (static_cast<size_t>(k / B) * by + j / B) * bx + i / B;
  };
  const double half_diagonal = std::sqrt(3.0) * (B - 1) * 0.5 * cell;
  for (int bk = 0; bk < nz; bk += B)
    for (int bj = 0; bj < ny; bj += B)
      for (int bi = 0; bi < nx; bi += B) {
        const int ei = std::min(bi + B, nx), ej = std::min(bj + B, ny), ek = std::min(bk + B, nz);
        const Vec3 centre = lo + Vec3{(bi + ei - 1) * 0.5 * cell, (bj + ej - 1) * 0.5 * cell,
                                      (bk + ek - 1) * 0.5 * cell};
        const Field field = field_for_box(point(bi, bj, bk), point(ei - 1, ej - 1, ek - 1));
        const double fc = field(centre);
        const bool uniform = std::abs(fc) > 1.5 * half_diagonal + cell;
        uniform_block[block_of(bi, bj, bk)] = uniform;
        for (int k = bk; k < ek; ++k)
          for (int j = bj; j < ej; ++j)
            for (int i = bi; i < ei; ++i) {
              double f = uniform ? fc : field(point(i, j, k));
              const bool border =
                  i == 0 || j == 0 || k == 0 || i == nx - 1 || j == ny - 1 || k == nz - 1;
              if (border) f = std::max(f, cell);
              // Never exactly zero, so every edge is plainly crossed or not.
              if (f == 0) f = 1e-9;
              value[at(i, j, k)] = static_cast<float>(f);
            }
      }

  // A grid face whose corners alternate in sign would join four quads at one mesh edge, and a
  // cell whose inside (or outside) corners fall apart into separate groups would give one vertex
  // to two sheets. Both are settled by moving the weakest inside corner of the place outside;
  // since corners only ever move outward, the repair ends.
  auto weakest_inside = [](float* const* f, int n) {
    float* w = nullptr;
    for (int i = 0; i < n; ++i)
      if (*f[i] < 0 && (!w || *f[i] > *w)) w = f[i];
    return w;
  };
  auto settle_face = [&](size_t a, size_t b, size_t c, size_t d) {
    float* f[4] = {&value[a], &value[b], &value[c], &value[d]};
    for (int i = 0; i < 4; ++i)
      if ((*f[i] < 0) == (*f[(i + 1) % 4] < 0)) return false;
    *weakest_inside(f, 4) = 1e-7f;
    return true;
  };
  auto settle_cell = [&](int i, int j, int k) {
    float* f[8];
    int inside = 0;
    for (int c = 0; c < 8; ++c) {
      f[c] = &value[at(i + (c & 1), j + ((c >> 1) & 1), k + ((c >> 2) & 1))];
      inside += *f[c] < 0;
    }
    if (inside <= 1 || inside >= 7) return false;  // one group on each side
    for (int side = 0; side < 2; ++side) {
      int group[8], groups = 0;
      for (int c = 0; c < 8; ++c) group[c] = -1;
      for (int c = 0; c < 8; ++c) {
        if ((*f[c] < 0) != (side == 0) || group[c] >= 0) continue;
        int stack[8], top = 0;
        stack[top++] = c;
        group[c] = groups;
        while (top) {
          const int x = stack[--top];
          for (int bit = 1; bit < 8; bit <<= 1) {
            const int y = x ^ bit;
            if ((*f[y] < 0) == (side == 0) && group[y] < 0) {
              group[y] = groups;
              stack[top++] = y;
            }
          }
        }
        ++groups;
      }
      if (groups > 1) {
        *weakest_inside(f, 8) = 1e-7f;
        return true;
      }
    }
    return false;
  };
  for (bool changed = true; changed;) {
    changed = false;
    for (int k = 0; k < nz; ++k)
      for (int j = 0; j < ny; ++j)
        for (int i = 0; i < nx; ++i) {
          // Cells starting in a block far from the surface cannot be crossed.
          if (uniform_block[block_of(i, j, k)]) continue;
          if (i + 1 < nx && j + 1 < ny)
            changed |= settle_face(at(i, j, k), at(i + 1, j, k), at(i + 1, j + 1, k), at(i, j + 1, k));
          if (i + 1 < nx && k + 1 < nz)
            changed |= settle_face(at(i, j, k), at(i + 1, j, k), at(i + 1, j, k + 1), at(i, j, k + 1));
          if (j + 1 < ny && k + 1 < nz)
            changed |= settle_face(at(i, j, k), at(i, j + 1, k), at(i, j + 1, k + 1), at(i, j, k + 1));
          if (i + 1 < nx && j + 1 < ny && k + 1 < nz) changed |= settle_cell(i, j, k);
        }
  }

  TriMesh mesh;
  // Vertex of each cell (indexed by its lowest corner), -1 where the surface does not pass.
  std::vector<int> cell_vertex(value.size(), -1);
  static const int corner[8][3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0},
                                   {0, 0, 1}, {1, 0, 1}, {0, 1, 1}, {1, 1, 1}};
  static const int edge[12][2] = {{0, 1}, {2, 3}, {4, 5}, {6, 7}, {0, 2}, {1, 3},
                                  {4, 6}, {5, 7}, {0, 4}, {1, 5}, {2, 6}, {3, 7}};
  for (int k = 0; k + 1 < nz; ++k)
    for (int j = 0; j + 1 < ny; ++j)
      for (int i = 0; i + 1 < nx; ++i) {
        float f[8];
        int inside = 0;
        for (int c = 0; c < 8; ++c) {
          f[c] = value[at(i + corner[c][0], j + corner[c][1], k + corner[c][2])];
          inside += f[c] < 0;
        }
        if (inside == 0 || inside == 8) continue;
        Vec3 sum;
        int n = 0;
        for (const auto& e : edge) {
          const float a = f[e[0]], b = f[e[1]];
          if ((a < 0) == (b < 0)) continue;
          const double t = a / (a - b);
          const Vec3 pa = point(i + corner[e[0]][0], j + corner[e[0]][1], k + corner[e[0]][2]);
          const Vec3 pb = point(i + corner[e[1]][0], j + corner[e[1]][1], k + corner[e[1]][2]);
          sum += lerp(pa, pb, t);
          ++n;
        }
        cell_vertex[at(i, j, k)] = static_cast<int>(mesh.vertices.size());
        mesh.vertices.push_back(sum / n);
      }

  auto quad = [&](int a, int b, int c, int d, bool flip) {
    if (a < 0 || b < 0 || c < 0 || d < 0) return;
    if (flip) std::swap(b, d);
    const Vec3 &pa = mesh.vertices[a], &pb = mesh.vertices[b], &pc = mesh.vertices[c],
               &pd = mesh.vertices[d];
    // Split along the shorter diagonal: fewer slivers.
    if (length(pa - pc) <= length(pb - pd)) {
      mesh.triangles.push_back({a, b, c});
      mesh.triangles.push_back({a, c, d});
    } else {
      mesh.triangles.push_back({a, b, d});
      mesh.triangles.push_back({b, c, d});
    }
  };
  for (int k = 0; k < nz; ++k)
    for (int j = 0; j < ny; ++j)
      for (int i = 0; i < nx; ++i) {
        const bool in0 = value[at(i, j, k)] < 0;
        if (i + 1 < nx && j > 0 && k > 0 && in0 != (value[at(i + 1, j, k)] < 0))
          quad(cell_vertex[at(i, j - 1, k - 1)], cell_vertex[at(i, j, k - 1)],
               cell_vertex[at(i, j, k)], cell_vertex[at(i, j - 1, k)], !in0);
        if (j + 1 < ny && i > 0 && k > 0 && in0 != (value[at(i, j + 1, k)] < 0))
          quad(cell_vertex[at(i - 1, j, k - 1)], cell_vertex[at(i - 1, j, k)],
               cell_vertex[at(i, j, k)], cell_vertex[at(i, j, k - 1)], !in0);
        if (k + 1 < nz && i > 0 && j > 0 && in0 != (value[at(i, j, k + 1)] < 0))
          quad(cell_vertex[at(i - 1, j - 1, k)], cell_vertex[at(i, j - 1, k)],
               cell_vertex[at(i, j, k)], cell_vertex[at(i - 1, j, k)], !in0);
      }
  return mesh;
}

void project_to_surface(TriMesh& mesh, const Field& field, int iterations) {
  const double h = 1e-4;
  for (Vec3& p : mesh.vertices)
    for (int it = 0; it < iterations; ++it) {
      const double f = field(p);
      const Vec3 g{(field(p + Vec3{h, 0, 0}) - field(p - Vec3{h, 0, 0})) / (2 * h),
                   (field(p + Vec3{0, h, 0}) - field(p - Vec3{0, h, 0})) / (2 * h),
                   (field(p + Vec3{0, 0, h}) - field(p - Vec3{0, 0, h})) / (2 * h)};
      const double g2 = dot(g, g);
      if (g2 < 1e-8) break;
      Vec3 step = g * (f / g2);
      // Bounded steps: the field is only a distance bound away from the surface.
      const double l = length(step);
      if (l > 0.004) step = step * (0.004 / l);
      p -= step;
      if (std::abs(f) < 1e-6) break;
    }
}
