#include "atlas_gen/placement.h"
#include "atlas_gen/placement_check.h"

#include <gtest/gtest.h>

#include <cmath>

#include "body/pi.h"

namespace {

constexpr double kR = 0.3;  // about a trunk's half width in scene units

// A closed UV sphere, triangles counter-clockwise seen from outside.
BodyMesh sphere(const char* name, Vec3 centre, double radius) {
  BodyMesh m;
  m.name = name;
  constexpr int kRings = 24, kSegments = 48;
  for (int r = 0; r <= kRings; ++r)
    for (int s = 0; s < kSegments; ++s) {
      const double theta = kPi * r / kRings, phi = 2 * kPi * s / kSegments;
      const Vec3 n{std::sin(theta) * std::cos(phi), std::cos(theta), std::sin(theta) * std::sin(phi)};
      m.vertices.push_back(centre + n * radius);
      m.normals.push_back(n);
    }
  auto at = [](int r, int s) { return r * kSegments + (s % kSegments); };
  for (int r = 0; r < kRings; ++r)
    for (int s = 0; s < kSegments; ++s) {
      m.triangles.push_back({{at(r, s), at(r, s + 1), at(r + 1, s)}});
      m.triangles.push_back({{at(r, s + 1), at(r + 1, s + 1), at(r + 1, s)}});
    }
  return m;
}

Body ball() {
  Body b;
  b.meshes.push_back(sphere("BALL", {0, 0, 0}, kR));
  b.landmarks["front"] = {0, 0, kR};
  b.landmarks["side_r"] = {-kR, 0, 0};
  b.landmarks["side_l"] = {kR, 0, 0};
  b.landmarks["middle"] = {0, 0, 0};
  b.cun["chest_transverse"] = kR / 10;
  b.cun["head_front"] = kR / 10;
  return b;
}

LocationRule rule(Frame frame, const char* ref, double along, double lat, double fwd) {
  LocationRule r;
  r.frame = frame;
  r.ref = ref;
  r.along = along;
  r.lat = lat;
  r.fwd = fwd;
  return r;
}

TEST(Placement, LineBetweenLandmarksLandsOnTheSkinItRunsUnder) {
  const Body b = ball();
  LocationRule r = rule(Frame::kLine, "front", 4, 0, 0);
  r.ref_to = "side";  // the right side: bilateral points go there
  r.span = 8;
  PlacedPoint p;
  std::string error;
  ASSERT_TRUE(place_point(b, r, &p, &error)) << error;
  EXPECT_FALSE(p.fell_back);
  EXPECT_NEAR(length(p.point), kR, 0.003);
  EXPECT_LT(p.point.x, -0.6 * kR);  // halfway round toward the right side
  EXPECT_GT(p.point.z, 0.6 * kR);
  EXPECT_GT(dot(p.normal, normalize(p.point)), 0.99);
}

// Region meshes overlap where they join; a ray from inside must reach the outer skin.
TEST(Placement, WalksOutThroughAnOverlappingInnerMesh) {
  Body b = ball();
  b.meshes.push_back(sphere("INNER", {0, 0, 0.3 * kR}, 0.5 * kR));
  LocationRule r = rule(Frame::kAt, "middle", 0, 0, 3);  // inside both spheres
  r.face_normal = false;
  r.yaw = 0;  // facing front
  PlacedPoint p;
  std::string error;
  ASSERT_TRUE(place_point(b, r, &p, &error)) << error;
  EXPECT_FALSE(p.fell_back);
  EXPECT_NEAR(p.point.z, kR, 0.003);
}

TEST(Placement, LateralOffsetsGoToTheRightSideAndYawNinetyFacesIt) {
  const Body b = ball();
  LocationRule r = rule(Frame::kAt, "middle", 2, 0, 0);  // a fifth of the radius up
  r.face_normal = false;
  r.yaw = 90;
  PlacedPoint p;
  std::string error;
  ASSERT_TRUE(place_point(b, r, &p, &error)) << error;
  EXPECT_FALSE(p.fell_back);
  EXPECT_NEAR(p.point.x, -kR * std::sqrt(1 - 0.04), 0.003);
  EXPECT_NEAR(p.point.y, 0.2 * kR, 0.003);
}

// A flank point is found from the middle of the trunk, not on an arm hanging beside it.
TEST(Placement, SidewaysTrunkPointStaysOnTheTrunk) {
  Body b = ball();
  b.meshes.push_back(sphere("ARM", {-1.5 * kR, 0, 0}, 0.4 * kR));
  b.landmarks["sternal_notch"] = {0, 0.9 * kR, 0.3 * kR};
  b.landmarks["xiphoid"] = {0, 0.5 * kR, 0.8 * kR};
  b.landmarks["navel"] = {0, 0, kR};
  b.landmarks["pubic_symphysis"] = {0, -0.5 * kR, 0.8 * kR};
  LocationRule r = rule(Frame::kTrunk, "navel", 0, 0, 0);
  r.face_normal = false;
  r.yaw = 90;
  PlacedPoint p;
  std::string error;
  ASSERT_TRUE(place_point(b, r, &p, &error)) << error;
  EXPECT_FALSE(p.fell_back);
  EXPECT_NEAR(p.point.x, -kR, 0.003);
  EXPECT_NEAR(p.point.y, 0, 0.003);
}

// Beside a nail "toward digit 1" follows the digits' knuckles, however the foot is turned.
TEST(Placement, NailSideFollowsTheFirstDigit) {
  for (double fifth_x : {-0.1, 0.1}) {
    Body b;
    b.meshes.push_back(sphere("TOE", {0, 0, 0}, 0.03));
    b.landmarks["toe1_tip_r"] = {0, 0, 0.03};
    b.landmarks["toe1_mtp_r"] = {0, 0, -0.1};
    b.landmarks["toe5_mtp_r"] = {fifth_x, 0, -0.1};
    b.cun["chest_transverse"] = 0.07;
    LocationRule r = rule(Frame::kNail, "toe1", 0.3, 0.25, 0);
    PlacedPoint p;
    std::string error;
    ASSERT_TRUE(place_point(b, r, &p, &error)) << error;
    EXPECT_FALSE(p.fell_back);
    EXPECT_LT(p.point.x * fifth_x, 0) << "on the side away from the fifth toe";
    EXPECT_GT(p.point.y, 0) << "on the top of the toe";
    EXPECT_NEAR(length(p.point), 0.03, 0.001);
  }
}

TEST(Placement, UnknownLandmarkIsAnError) {
  const Body b = ball();
  PlacedPoint p;
  std::string error;
  EXPECT_FALSE(place_point(b, rule(Frame::kAt, "nowhere", 0, 0, 0), &p, &error));
  EXPECT_NE(error.find("nowhere"), std::string::npos);
}

TEST(Placement, ViewLooksAlongTheNormalUnlessSomethingIsInTheWay) {
  Body b = ball();
  PlacedPoint p;
  p.point = {0, 0, kR};
  p.normal = {0, 0, 1};
  bool seen = false;
  SearchView v = choose_view(b, p, 3, &seen);
  EXPECT_TRUE(seen);
  EXPECT_NEAR(v.rot_x, 0, 1e-4);
  EXPECT_NEAR(v.rot_y, 0, 1e-4);

  b.meshes.push_back(sphere("SHIELD", {0, 0, 2 * kR}, 0.3 * kR));  // straight in front of it
  v = choose_view(b, p, 3, &seen);
  EXPECT_TRUE(seen);
  const Vec3 look = direction_to_viewer(v);
  EXPECT_TRUE(seen_from(b, p.point + p.normal * 0.012, look));
  EXPECT_LT(dot(look, p.normal), 0.99);
  EXPECT_GT(dot(look, p.normal), 0.17);  // still from the point's own side
  const Vec3 centre = posed_point(v, p.point);
  EXPECT_NEAR(centre.x, 0, 1e-5);
  EXPECT_NEAR(centre.y, 0, 1e-5);
}

}  // namespace

namespace {

// The check that measures a placed point back against its rule: right where the rule says, it
// passes; moved along its line, moved across its rule or put on another body part, it fails.
TEST(PlacementCheck, FlagsPointsOffTheirRuleOrOnAnotherPart) {
  Body b = ball();
  b.meshes.push_back(sphere("ARM", {-2 * kR, 0, 0}, 0.5 * kR));
  b.landmarks["arm_top_r"] = {-2 * kR, 0.5 * kR, 0};
  b.landmarks["arm_bottom_r"] = {-2 * kR, -0.5 * kR, 0};
  LocationRule line = rule(Frame::kLine, "arm_bottom", 3, 0, 0);
  line.ref_to = "arm_top";
  line.span = 6;  // the middle of the arm's height, on its skin
  const PlacementChecker checker(b);
  PlacedPoint placed;
  std::string error;
  ASSERT_TRUE(place_point(b, line, &placed, &error)) << error;
  struct Case {
    const char* what;
    Vec3 point;
    const char* problem;  // expected start of the problem; empty when the point is right
    bool on_part;
  } cases[] = {
      {"as placed", placed.point, "", true},
      {"about 1 cun along the line, on the arm's skin",
       Vec3{-2 * kR, 0, 0} + normalize(placed.point - Vec3{-2 * kR, 0, 0} + Vec3{0, kR / 6, 0}) * (0.5 * kR),
       "3.95 along its line", true},
      {"on the ball beside it", {-kR, 0, 0}, "", false},
  };
  for (const Case& c : cases) {
    PlacementMeasure m;
    ASSERT_TRUE(checker.measure(line, c.point, &m, &error)) << error;
    const std::string problem = PlacementChecker::problem(line, m);
    EXPECT_EQ(problem.substr(0, std::string(c.problem).size()), c.problem) << c.what << ": " << problem;
    EXPECT_EQ(problem.empty(), c.on_part && !*c.problem) << c.what;
    EXPECT_EQ(m.on_part, c.on_part) << c.what;
  }
  // Across a rule: a point at a landmark, measured half a cun beside it.
  const LocationRule at = rule(Frame::kAt, "front", 0, 0, 0);
  PlacementMeasure m;
  ASSERT_TRUE(checker.measure(at, normalize(Vec3{0.05, 0, 1}) * kR, &m, &error)) << error;
  EXPECT_NEAR(m.off_cun, 0.5, 0.02);
  EXPECT_NE(PlacementChecker::problem(at, m).find("from where its rule points"), std::string::npos);
}

}  // namespace
