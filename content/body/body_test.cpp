// The shipped body read back through the viewer's own loaders, and the geometry checks that make
// it usable: closed meshes, counts, the visible box, landmarks and cun, surface queries.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "body/anatomy.h"
#include "body/body.h"
#include "body/body_files.h"
#include "body/regions.h"
#include "body/skin_textures.h"
#include "model/bitmap_image.h"
#include "model/format_bmp.h"
#include "model/model_reader.h"

namespace {

class BodyTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    body_ = new Body(build_body());
    textures_ = new std::vector<SkinTexture>(paint_skin_textures(*body_));
    std::error_code ignored;  // a folder that cannot be made fails the write below
    std::filesystem::create_directories(kFolder, ignored);  // MinGW's mkdir takes no mode
    ASSERT_TRUE(write_body_files(*body_, *textures_, kFolder));
  }
  static void TearDownTestSuite() {
    delete body_;
    delete textures_;
  }
  static constexpr const char* kFolder = "body_test_run";
  static Body* body_;
  static std::vector<SkinTexture>* textures_;
};
Body* BodyTest::body_ = nullptr;
std::vector<SkinTexture>* BodyTest::textures_ = nullptr;

TEST_F(BodyTest, ModelReadsBackWithTheViewersReader) {
  Model model;
  ModelReader reader;
  ASSERT_TRUE(reader.load_3ds_model(model, (std::string(kFolder) + "/man.3ds").c_str()));
  const Body& body = *body_;
  ASSERT_EQ(model.mesh_count, static_cast<int>(body.meshes.size()));
  ASSERT_EQ(model.material_count, static_cast<int>(body.materials.size()));
  EXPECT_GE(model.mesh_count, 18);
  EXPECT_LE(model.material_count, kTextureSlots);
  int triangles = 0, untextured = 0;
  for (int i = 0; i < model.mesh_count; ++i) {
    const Mesh& mesh = model.meshes[i];
    const BodyMesh src = shown_part(body.meshes[i]);
    SCOPED_TRACE(src.name);
    EXPECT_STREQ(mesh.name, src.name.c_str());
    // Its group names an existing material exactly.
    ASSERT_GE(mesh.material_index, 0);
    EXPECT_STREQ(model.materials[mesh.material_index].name, src.material.c_str());
    ASSERT_EQ(mesh.vertex_count, static_cast<int>(src.vertices.size()));
    ASSERT_EQ(mesh.face_count, static_cast<int>(src.triangles.size()));
    triangles += mesh.face_count;
    if (mesh.textured) {
      EXPECT_EQ(mesh.texcoord_count, mesh.vertex_count);
      for (int v = 0; v < mesh.texcoord_count; ++v) {
        ASSERT_GE(mesh.texcoords[v].u, 0.0f);
        ASSERT_LE(mesh.texcoords[v].u, 1.0f);
        ASSERT_GE(mesh.texcoords[v].v, 0.0f);
        ASSERT_LE(mesh.texcoords[v].v, 1.0f);
      }
    } else {
      ++untextured;
      EXPECT_EQ(mesh.texcoord_count, 0);
    }
    // The axis turn brings every vertex back to the viewer's axes.
    for (int v = 0; v < mesh.vertex_count; ++v) {
      ASSERT_NEAR(mesh.vertices[v].x, src.vertices[v].x, 1e-5);
      ASSERT_NEAR(mesh.vertices[v].y, src.vertices[v].y, 1e-5);
      ASSERT_NEAR(mesh.vertices[v].z, src.vertices[v].z, 1e-5);
    }
    // Faces wind outward: the closed mesh encloses a positive volume, and the viewer's vertex
    // normals agree with the outward normals of the generator.
    double volume = 0;
    for (int f = 0; f < mesh.face_count; ++f) {
      const Vector3& a = mesh.vertices[mesh.faces[f].vertex_index[0]];
      const Vector3& b = mesh.vertices[mesh.faces[f].vertex_index[1]];
      const Vector3& c = mesh.vertices[mesh.faces[f].vertex_index[2]];
      volume += (a.x * (b.y * c.z - b.z * c.y) - a.y * (b.x * c.z - b.z * c.x) +
                 a.z * (b.x * c.y - b.y * c.x)) / 6;
    }
    EXPECT_GT(volume, 0);
    int agree = 0;
    for (int v = 0; v < mesh.vertex_count; ++v) {
      const Vector3& n = mesh.normals[v];
      agree += n.x * src.normals[v].x + n.y * src.normals[v].y + n.z * src.normals[v].z > 0.5;
    }
    EXPECT_GT(agree, mesh.vertex_count * 99 / 100);
  }
  EXPECT_GE(triangles, 15000);
  EXPECT_LE(triangles, 40000);
  EXPECT_EQ(untextured, 3);  // the nails
}

TEST_F(BodyTest, EveryTextureReadsAsAnUncompressed24BitBitmap) {
  std::set<std::string> named;
  for (const BodyMaterial& m : body_->materials)
    if (!m.texture_file.empty()) named.insert(m.texture_file);
  EXPECT_EQ(named.size(), textures_->size());
  for (const std::string& name : named) {
    SCOPED_TRACE(name);
    for (char c : name) EXPECT_FALSE(c >= 'a' && c <= 'z');  // stored upper case
    BitmapImage image;
    // The file is shipped in mixed case: the reader finds it without regard to case.
    ASSERT_EQ(read_bitmap_file(image, (std::string(kFolder) + "/" + name).c_str()), kBitmapRead);
    EXPECT_EQ(image.bits_per_pixel, 24);
    EXPECT_EQ(image.width % 4, 0);  // rows need no fill bytes
    EXPECT_GE(image.width, 256);
    EXPECT_LE(image.height, 1024);
    // Not one flat colour: the skin tone varies.
    double sum = 0, sum2 = 0;
    const int n = image.width * image.height;
    for (int i = 0; i < n; ++i) {
      sum += image.pixels[3 * i];
      sum2 += double(image.pixels[3 * i]) * image.pixels[3 * i];
    }
    const double spread = std::sqrt(sum2 / n - (sum / n) * (sum / n));
    EXPECT_GT(spread, 2.0);
  }
}

// Every edge of a region mesh is shared by exactly two of its triangles, once in each direction:
// closed, manifold and consistently oriented. Vertices at one place count as one (the border
// loop of a mesh has twins for the part that dips under its neighbour).
TEST_F(BodyTest, EveryMeshIsClosedAndConsistentlyOriented) {
  for (const BodyMesh& m : body_->meshes) {
    SCOPED_TRACE(m.name);
    std::map<std::tuple<double, double, double>, int> place;
    std::vector<int> welded(m.vertices.size());
    for (size_t i = 0; i < m.vertices.size(); ++i)
      welded[i] = place.emplace(std::make_tuple(m.vertices[i].x, m.vertices[i].y, m.vertices[i].z),
                                static_cast<int>(i)).first->second;
    std::map<std::pair<int, int>, int> directed;
    for (const BodyTriangle& t : m.triangles)
      for (int e = 0; e < 3; ++e) ++directed[{welded[t.v[e]], welded[t.v[(e + 1) % 3]]}];
    int open = 0, doubled = 0;
    for (const auto& [edge, count] : directed) {
      if (count > 1) ++doubled;
      if (!directed.count({edge.second, edge.first})) ++open;
    }
    EXPECT_EQ(open, 0);
    EXPECT_EQ(doubled, 0);
  }
}

TEST_F(BodyTest, WholeBodyFitsTheWindowBetweenItsBars) {
  // At 800 x 600 and scale 1 the window shows x -4..4, y -3..3; the bars cover 0.35 at each end.
  double lo_y = 1e9, hi_y = -1e9, max_x = 0;
  for (const BodyMesh& m : body_->meshes)
    for (const Vec3& v : m.vertices) {
      lo_y = std::min(lo_y, v.y);
      hi_y = std::max(hi_y, v.y);
      max_x = std::max(max_x, std::abs(v.x));
    }
  EXPECT_LT(hi_y, 2.65 - 0.1);
  EXPECT_GT(lo_y, -2.65 + 0.1);
  EXPECT_LT(max_x, 3.5);
  EXPECT_GT(hi_y - lo_y, 4.8);  // an adult figure that fills the window's height
  EXPECT_NEAR(hi_y + lo_y, 0.0, 0.05);
}

TEST_F(BodyTest, LandmarksLieOnTheSurfaceInAnatomicalOrder) {
  const Body& b = *body_;
  for (const auto& [name, p] : b.landmarks) {
    SCOPED_TRACE(name);
    EXPECT_LT(length(b.nearest_surface_point(p) - p), 1e-6);
    if (name.size() > 2 && name.compare(name.size() - 2, 2, "_l") == 0) {
      const Vec3 r = b.landmark(name.substr(0, name.size() - 2) + "_r");
      EXPECT_GT(p.x, 0);  // the body's left is +X
      EXPECT_NEAR(r.x, -p.x, 0.01);
      EXPECT_NEAR(r.y, p.y, 0.01);
      EXPECT_NEAR(r.z, p.z, 0.01);
    }
  }
  // Top to bottom along the front.
  const char* order[] = {"vertex", "hairline_front", "glabella", "nose_tip", "chin", "sternal_notch",
                         "xiphoid", "navel", "pubic_symphysis", "patella_base_l",
                         "patella_apex_l", "malleolus_medial_l", "sole_l"};
  for (size_t i = 0; i + 1 < sizeof order / sizeof *order; ++i)
    EXPECT_GT(b.landmark(order[i]).y, b.landmark(order[i + 1]).y) << order[i];
  EXPECT_GT(b.landmark("chin").y, b.landmark("chin_under").y);
  EXPECT_GT(b.landmark("chin_under").y, b.landmark("adams_apple").y);
  EXPECT_GT(b.landmark("c7").y, b.landmark("t3").y);
  EXPECT_GT(b.landmark("t3").y, b.landmark("l4").y);
  EXPECT_GT(b.landmark("malleolus_medial_l").y, b.landmark("malleolus_lateral_l").y);
  // Front landmarks face the camera, spinous processes face away.
  for (const char* front : {"navel", "nipple_l", "xiphoid", "patella_centre_l", "palm_centre_l"})
    EXPECT_GT(b.landmark(front).z, 0.0) << front;
  for (const char* back : {"c7", "t3", "l4", "scapula_medial_l", "popliteal_crease_l"})
    EXPECT_LT(b.landmark(back).z, b.landmark("navel").z - 0.3) << back;
  EXPECT_NEAR(b.landmark("navel").x, 0.0, 1e-3);
}

// Inside one of the closed meshes: a ray leaves more surfaces than it enters.
bool inside_any_mesh(const Body& body, Vec3 p) {
  const Vec3 dir = normalize(Vec3{0.31, 0.83, 0.47});  // off every axis
  int winding = 0;
  Vec3 from = p, hit, n;
  for (int k = 0; k < 64 && body.cast_to_surface(from, dir, &hit, &n); ++k) {
    winding += dot(n, dir) > 0 ? 1 : -1;
    from = hit + dir * 1e-5;
  }
  return winding > 0;
}

// A landmark on skin that a neighbouring mesh covers (where the meshes overlap at a joint or
// in the armpit) cannot be seen, nor can a point placed from it. The corners beside a nail lie
// by design under the nail's rim.
TEST_F(BodyTest, LandmarksLieOnSkinThatShows) {
  const Body& b = *body_;
  for (const auto& [name, p] : b.landmarks) {
    if (name.find("_nail_") != std::string::npos) continue;
    Vec3 n;
    b.nearest_surface_point(p, &n);
    EXPECT_FALSE(inside_any_mesh(b, p + n * 3e-3)) << name;
  }
  // The armpit's apex is the top of the hollow: straight above it is the body.
  const Vec3 axilla = b.landmark("axilla_l");
  EXPECT_TRUE(inside_any_mesh(b, axilla + Vec3{0, 0.01, 0}));
  EXPECT_FALSE(inside_any_mesh(b, axilla - Vec3{0, 0.01, 0}));
}

// The mesh a surface point lies on (the one nearest to it).
std::string mesh_at(const Body& body, Vec3 p) {
  std::string best;
  double best_d = 1e9;
  for (const BodyMesh& m : body.meshes) {
    Body one;
    one.meshes.push_back(m);
    const double d = length(one.nearest_surface_point(p) - p);
    if (d < best_d) best_d = d, best = m.name;
  }
  return best;
}

// Anatomical position: palms forward, so on each side the thumb and the radius are lateral,
// away from the body, and the side landmarks of a digit lie on that digit.
TEST_F(BodyTest, HandsFaceForwardWithTheThumbSideLateral) {
  const Body& b = *body_;
  for (const char* side : {"_l", "_r"}) {
    SCOPED_TRACE(side);
    const std::string s = side;
    const double out = s == "_l" ? 1 : -1;  // +X is lateral on the left
    auto L = [&](const std::string& n) { return b.landmark(n + s); };
    auto lateral_of = [&](const std::string& a, const std::string& m) {
      EXPECT_GT(out * (L(a).x - L(m).x), 0.01) << a << " beside " << m;
    };
    lateral_of("finger1_tip", "finger5_tip");
    lateral_of("finger1_tip", "finger2_tip");
    lateral_of("finger2_tip", "finger5_tip");
    lateral_of("radial_styloid", "ulnar_styloid");
    lateral_of("wrist_crease_radial", "wrist_crease_ulnar");
    lateral_of("cubital_crease_radial", "cubital_crease_ulnar");
    lateral_of("elbow_lateral", "elbow_medial");
    EXPECT_GT(L("palm_centre").z, L("hand_dorsum_centre").z);
    // The styloids sit at the wrist, on the forearm or hand, not on the thigh beside them.
    const std::string arm_side = s == "_l" ? "_L" : "_R";
    for (const char* n : {"radial_styloid", "ulnar_styloid", "wrist_crease_radial",
                          "wrist_crease_ulnar"}) {
      SCOPED_TRACE(n);
      const std::string mesh = mesh_at(b, L(n));
      EXPECT_TRUE(mesh == "FOREARM" + arm_side || mesh == "HAND" + arm_side) << mesh;
      EXPECT_LT(length(L(n) - L("wrist_crease")), 0.15);  // 5 cm
    }
    // The side landmarks of the digits lie on their own digit: across the fingers from the index
    // to the little finger, and across the toes from the big toe out, the two sides of each digit
    // come in turn (a ray that met the neighbouring digit breaks the order).
    std::vector<std::string> across;
    for (int i = 2; i <= 5; ++i)
      for (const char* c : {"_nail_radial", "_nail_ulnar"})
        across.push_back("finger" + std::to_string(i) + c);
    for (size_t i = 0; i + 1 < across.size(); ++i) lateral_of(across[i], across[i + 1]);
    across.clear();
    for (int i = 5; i >= 1; --i)
      for (const char* c : {"_nail_lateral", "_nail_medial"})
        across.push_back("toe" + std::to_string(i) + c);
    for (size_t i = 0; i + 1 < across.size(); ++i)
      EXPECT_GT(out * (L(across[i]).x - L(across[i + 1]).x), 0.005) << across[i];
    EXPECT_GT(out * (L("finger1_nail_radial").x - L("finger1_nail_ulnar").x), 0.005);
    // And near the tip: on the fingers, nearer to their own tip than to any other.
    for (int i = 1; i <= 5; ++i) {
      const std::string f = "finger" + std::to_string(i);
      const std::string t = "toe" + std::to_string(i);
      for (const char* c : {"_nail_radial", "_nail_ulnar"}) {
        int nearest = 1;
        for (int j = 2; j <= 5; ++j)
          if (length(L("finger" + std::to_string(j) + "_tip") - L(f + c)) <
              length(L("finger" + std::to_string(nearest) + "_tip") - L(f + c)))
            nearest = j;
        EXPECT_EQ(nearest, i) << f << c;
        EXPECT_LT(length(L(f + c) - L(f + "_tip")), 0.1) << f << c;  // 3.5 cm
      }
      for (const char* c : {"_nail_medial", "_nail_lateral"})
        EXPECT_LT(length(L(t + c) - L(t + "_tip")), 0.1) << t << c;
    }
    // The ear lobe hangs just below the tragus.
    EXPECT_GT(L("tragus").y - L("ear_lobe").y, 0.01);
    EXPECT_LT(length(L("tragus") - L("ear_lobe")), 0.12);  // 4 cm
    EXPECT_EQ(mesh_at(b, L("ear_lobe")), "HEAD");
  }
}

// Relaxed anatomical position: every finger joint and both thumb joints bend a little toward the
// palm (flexion), never toward the back of the hand.
TEST_F(BodyTest, FingersAndThumbCurlTowardThePalm) {
  const Anatomy an = make_anatomy();
  ASSERT_EQ(an.hand_digit_joints.size(), 5u);
  ASSERT_EQ(an.hand_digit_dorsal.size(), 5u);
  for (size_t d = 0; d < 5; ++d) {
    SCOPED_TRACE(d);
    const std::vector<Vec3>& j = an.hand_digit_joints[d];
    ASSERT_EQ(j.size(), 4u);
    const Vec3 palmar = -an.hand_digit_dorsal[d];
    for (size_t k = 1; k + 1 < j.size(); ++k) {
      const Vec3 in = normalize(j[k] - j[k - 1]), out = normalize(j[k + 1] - j[k]);
      // The turn at the joint, toward the pad: 2 to 15 degrees of flexion.
      const double turn = dot(out - in, palmar);
      EXPECT_GT(turn, 0.035) << "joint " << k;
      EXPECT_LT(turn, 0.26) << "joint " << k;
    }
  }
  // On the surface, both hands (palms face +Z): each fingertip stands well in front of the back of
  // its knuckle (about 2 cm curled; under half a centimetre when the fingers bent backward).
  const Body& b = *body_;
  const double cm = 5.0 / (kStature * 100);
  for (const char* side : {"_l", "_r"})
    for (int i = 2; i <= 5; ++i) {
      const std::string f = "finger" + std::to_string(i);
      EXPECT_GT(b.landmark(f + "_tip" + side).z - b.landmark(f + "_mcp" + side).z, 1.2 * cm)
          << f << side;
    }
}

TEST_F(BodyTest, CunOfEveryRegionIsAnAdultsInchOrSo) {
  const char* regions[] = {"head_long", "head_front", "head_transverse", "chest_vertical",
                           "upper_abdomen", "lower_abdomen", "chest_transverse",
                           "back_transverse", "upper_arm", "forearm", "thigh_medial",
                           "leg_medial", "thigh_lateral", "thigh_posterior", "leg_lateral",
                           "foot_height"};
  EXPECT_EQ(body_->cun.size(), sizeof regions / sizeof *regions);
  // One cun is about 1.5 to 3.2 cm on an adult; the body is 5 scene units tall.
  const double cm = 5.0 / (kStature * 100);
  for (const char* r : regions) {
    SCOPED_TRACE(r);
    EXPECT_GT(body_->cun_length(r), 1.5 * cm);
    EXPECT_LT(body_->cun_length(r), 3.2 * cm);
  }
}

// The upper back at the heights the standard's spans assume: C7 stands well above the sternal
// notch (about 0.85 of the stature), the acromion a little lower (about 0.82), the root of the
// scapular spine level with T3 and the inferior angle with T7.
TEST_F(BodyTest, UpperBackAndShoulderAtTheirShareOfTheStature) {
  const Body& b = *body_;
  auto share = [&](const char* name) { return to_metres(b.landmark(name)).y / kStature; };
  EXPECT_GT(share("c7"), 0.84);
  EXPECT_LT(share("c7"), 0.87);
  EXPECT_GT(share("acromion_l"), 0.80);
  EXPECT_LT(share("acromion_l"), 0.835);
  EXPECT_GT(share("c7") - share("sternal_notch"), 0.03 / kStature);  // 3 cm
  EXPECT_GT(share("c7"), share("acromion_l"));
  const double cm = 0.01 / kStature;
  EXPECT_NEAR(share("scapula_spine_root_l"), share("t3"), 1.0 * cm);
  EXPECT_NEAR(share("scapula_inferior_l"), share("t7"), 1.5 * cm);
  EXPECT_GT(share("t1"), share("sternal_notch"));
}

TEST_F(BodyTest, RaysFindTheNearestSurfaceOrNothing) {
  const Body& b = *body_;
  Vec3 hit, normal;
  const Vec3 navel = b.landmark("navel");
  ASSERT_TRUE(b.cast_to_surface(navel + Vec3{0, 0, 10}, {0, 0, -1}, &hit, &normal));
  EXPECT_LT(length(hit - navel), 1e-6);
  EXPECT_GT(normal.z, 0.3);
  // From behind, the same line meets the back first.
  ASSERT_TRUE(b.cast_to_surface(navel + Vec3{0, 0, -10}, {0, 0, 1}, &hit, &normal));
  EXPECT_LT(hit.z, navel.z - 0.4);
  EXPECT_LT(normal.z, -0.3);
  // Beside the body, and pointing away from it.
  EXPECT_FALSE(b.cast_to_surface({3.9, 0, 10}, {0, 0, -1}, &hit, &normal));
  EXPECT_FALSE(b.cast_to_surface(navel + Vec3{0, 0, 10}, {0, 0, 1}, &hit, &normal));
  // The nearest point to a point in front of the chest lies on the chest, below it.
  const Vec3 near = b.nearest_surface_point(b.landmark("nipple_l") + Vec3{0, 0, 0.2}, &normal);
  EXPECT_LT(length(near - b.landmark("nipple_l")), 0.1);
  EXPECT_GT(normal.z, 0.5);
}

}  // namespace
