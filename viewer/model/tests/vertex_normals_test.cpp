#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <random>

#include "model/vertex_normals.h"
#include "normal_scan.h"

namespace {

Mesh make_mesh(int32_t vertices, int32_t faces) {
  Mesh m;
  m.vertex_count = vertices;
  m.face_count = faces;
  m.vertices.reset(new Vector3[vertices]);
  m.faces.reset(new Face[faces]);
  return m;
}

// Random meshes with shared corners, repeated corners within a face, unused vertices and corners
// out of range: the fast pass must store exactly the bits of the all-faces scan.
TEST(VertexNormals, FastPassMatchesTheAllFacesScanBitForBit) {
  const uint32_t seed = static_cast<uint32_t>(
      std::chrono::steady_clock::now().time_since_epoch().count());
  std::printf("normals seed %u\n", seed);
  SCOPED_TRACE(seed);
  std::mt19937 rng(seed);
  for (int round = 0; round < 200; ++round) {
    const int32_t nv = 1 + rng() % 300;
    const int32_t nf = rng() % 600;
    Mesh m = make_mesh(nv, nf);
    std::uniform_real_distribution<float> coord(-100.0f, 100.0f);
    for (int32_t v = 0; v < nv; ++v) m.vertices[v] = {coord(rng), coord(rng), coord(rng)};
    // Corners crowd into a few vertices so that sums run over many faces.
    const int32_t spread = 1 + rng() % nv;
    for (int32_t f = 0; f < nf; ++f)
      for (int k = 0; k < 3; ++k) {
        const uint32_t r = rng();
        m.faces[f].vertex_index[k] = r % 50 == 0 ? nv + static_cast<int32_t>(r % 3)
                                     : r % 20 == 0 && k ? m.faces[f].vertex_index[k - 1]
                                                        : static_cast<int32_t>(r % spread);
      }
    std::unique_ptr<Vector3[]> expected(new Vector3[nv]);
    scan_vertex_normals(m, expected.get());
    build_vertex_normals(m);
    ASSERT_EQ(std::memcmp(expected.get(), m.normals.get(), sizeof(Vector3) * nv), 0)
        << "round " << round;
  }
}

TEST(VertexNormals, AreaWeightedRightHandedAndNaNWhenUnused) {
  Mesh m = make_mesh(5, 3);
  // Two faces around vertex 0: a small one facing +Z and a large one facing +X.
  m.vertices[0] = {0, 0, 0};
  m.vertices[1] = {1, 0, 0};
  m.vertices[2] = {0, 1, 0};
  m.vertices[3] = {0, 3, 0};
  m.vertices[4] = {0, 0, 3};
  m.faces[0] = {{0, 1, 2}};  // right-hand normal +Z, area 0.5
  m.faces[1] = {{0, 3, 4}};  // +X, area 4.5
  m.faces[2] = {{0, 0, 1}};  // names vertex 0 twice: counted once, adds nothing
  build_vertex_normals(m);
  const double len = std::sqrt(1.0 + 81.0);
  EXPECT_FLOAT_EQ(m.normals[0].x, static_cast<float>(9.0 / len));
  EXPECT_FLOAT_EQ(m.normals[0].y, 0.0f);
  EXPECT_FLOAT_EQ(m.normals[0].z, static_cast<float>(1.0 / len));
  EXPECT_FLOAT_EQ(m.normals[2].z, 1.0f);
  m.vertex_count = 6;  // a vertex no face uses
  m.vertices.reset(new Vector3[6]);
  build_vertex_normals(m);
  EXPECT_TRUE(std::isnan(m.normals[5].x));
}

}  // namespace
