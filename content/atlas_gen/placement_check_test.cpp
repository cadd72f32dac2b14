// Every shipped acupoint measured back against its own location rule: the marker the viewer
// loads from the data files must lie where the rule puts it, on the body part it measures on.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "atlas/atlas_files.h"
#include "atlas_gen/placement_check.h"
#include "atlas_gen/source_table.h"
#include "body/pi.h"

namespace {

// The table's rules and the shipped records, one for one.
void load_shipped(std::vector<SourcePoint>* source, std::vector<AcupointRecord>* table) {
  std::string error;
  ASSERT_TRUE(read_source_table(ATLAS_TABLE_DIR, source, &error)) << error;
  table->assign(kAcupointCapacity, AcupointRecord{});
  const AtlasLoadResult loaded = load_atlas_dir(ATLAS_DATA_DIR, table->data(), kAcupointCapacity);
  ASSERT_EQ(loaded.count, int(source->size()));
  ASSERT_EQ(loaded.count, 361);
  table->resize(source->size());
}

TEST(ShippedPlacement, EveryAcupointLiesWhereItsRuleSays) {
  std::vector<SourcePoint> source;
  std::vector<AcupointRecord> table;
  ASSERT_NO_FATAL_FAILURE(load_shipped(&source, &table));
  std::string error;

  const Body body = build_body();
  const PlacementChecker checker(body);
  double worst_off = 0, worst_along = 0;
  int wrong = 0;
  for (size_t i = 0; i < source.size(); ++i) {
    const SourcePoint& s = source[i];
    const AcupointRecord& r = table[i];
    PlacementMeasure m;
    ASSERT_TRUE(checker.measure(s.rule, {r.x, r.y, r.z}, &m, &error)) << s.code << ": " << error;
    worst_off = std::max(worst_off, m.off_cun);
    if (m.on_line) worst_along = std::max(worst_along, m.along_off_cun);
    const std::string problem = PlacementChecker::problem(s.rule, m);
    if (!problem.empty()) ++wrong;
    EXPECT_TRUE(problem.empty()) << s.code << " " << s.pinyin << ": " << problem;
  }
  std::printf("placement: %d of %zu off their rule; worst %.2f cun across, %.2f cun along a line\n",
              wrong, source.size(), worst_off, worst_along);
}

// The thigh ends at the knee's crease: a point below the popliteal crease lies on the shin
// alone, one above it on the thigh alone.
TEST(ShippedPlacement, ThighAndShinMeetAtTheKneesCrease) {
  std::vector<SourcePoint> source;
  std::vector<AcupointRecord> table;
  ASSERT_NO_FATAL_FAILURE(load_shipped(&source, &table));
  const Body body = build_body();
  const PlacementChecker checker(body);
  const struct {
    const char* code;
    const char* on;
    const char* not_on;
  } cases[] = {
      {"BL55", "SHIN_R", "THIGH_R"}, {"BL56", "SHIN_R", "THIGH_R"},
      {"ST36", "SHIN_R", "THIGH_R"}, {"BL38", "THIGH_R", "SHIN_R"},
      {"ST34", "THIGH_R", "SHIN_R"}, {"BL37", "THIGH_R", "SHIN_R"},
  };
  for (const auto& c : cases) {
    size_t i = 0;
    while (i < source.size() && source[i].code != c.code) ++i;
    ASSERT_LT(i, source.size()) << c.code;
    PlacementMeasure m;
    std::string error;
    ASSERT_TRUE(checker.measure(source[i].rule, {table[i].x, table[i].y, table[i].z}, &m, &error))
        << error;
    auto has = [&m](const char* mesh) {
      return std::find(m.meshes.begin(), m.meshes.end(), mesh) != m.meshes.end();
    };
    EXPECT_TRUE(has(c.on)) << c.code << " not on " << c.on;
    EXPECT_FALSE(has(c.not_on)) << c.code << " on " << c.not_on;
  }
}

// The two vessels run on the midline, one marker per point, in their order: the Conception
// Vessel up the front from the perineum to the chin; the Governor Vessel up the back from below
// the coccyx to the vertex, then forward over the head and down the face to the upper lip.
TEST(ShippedPlacement, VesselsRunOnTheMidlineInTheirOrder) {
  std::vector<SourcePoint> source;
  std::vector<AcupointRecord> table;
  ASSERT_NO_FATAL_FAILURE(load_shipped(&source, &table));
  std::vector<Vec3> cv, gv;
  for (size_t i = 0; i < source.size(); ++i) {
    const AcupointRecord& r = table[i];
    if (source[i].meridian < 13) continue;
    EXPECT_NEAR(r.x, 0, 1e-3) << source[i].code << " off the midline";
    (source[i].meridian == 13 ? cv : gv).push_back({r.x, r.y, r.z});
  }
  ASSERT_EQ(cv.size(), 24u);
  ASSERT_EQ(gv.size(), 28u);
  for (size_t k = 1; k < cv.size(); ++k) {
    EXPECT_GT(cv[k].y, cv[k - 1].y) << "CV" << k + 1 << " not above CV" << k;
    if (k > 1) {
      EXPECT_GT(cv[k].z, 0) << "CV" << k + 1 << " not on the front";
    }
  }
  // Up the back (GV1-GV14); then, turning about the middle between the ear apices, from the
  // nape over the vertex to the forehead (GV14-GV24); then down the face (GV24-GV28).
  const Body body = build_body();
  Vec3 apex_l, apex_r, vertex;
  std::string error;
  ASSERT_TRUE(find_landmark(body, "ear_apex_l", &apex_l, &error) &&
              find_landmark(body, "ear_apex_r", &apex_r, &error) &&
              find_landmark(body, "vertex", &vertex, &error)) << error;
  const Vec3 centre = (apex_l + apex_r) * 0.5;
  auto turn = [&centre](Vec3 p) { return std::atan2(p.y - centre.y, centre.z - p.z); };
  for (size_t k = 1; k < gv.size(); ++k) {
    const std::string at = "GV" + std::to_string(k + 1) + " after GV" + std::to_string(k);
    if (k < 14) {
      EXPECT_GT(gv[k].y, gv[k - 1].y) << at << ": not above it";
      EXPECT_LT(gv[k].z, 0) << at << ": not on the back";
    } else if (k < 24) {
      EXPECT_GT(turn(gv[k]), turn(gv[k - 1])) << at << ": not further over the head";
    } else {
      EXPECT_LT(gv[k].y, gv[k - 1].y) << at << ": not below it";
    }
  }
  EXPECT_GT(gv[19].y, vertex.y - 0.05) << "GV20 is on top of the head";
}

// A limb point's search view shows the limb that carries it, facing the side the point is on:
// the trunk or the other limbs take up at most a quarter of the body in the frame's middle
// (sampled more finely than the generator does), or little more than from any other direction
// that sees the point where no view does better, and the view looks within 85 degrees of the
// skin's normal. At the root of a limb, where the trunk lies within the frame of the point, it
// cannot be kept out of it. A hand or foot is not looked up at from below (a hanging hand
// would hide behind its fingertips) but for the sole, which faces down.
TEST(ShippedViews, LimbPointsAreFramedOnTheirOwnLimbFromTheirOwnSide) {
  std::vector<SourcePoint> source;
  std::vector<AcupointRecord> table;
  ASSERT_NO_FATAL_FAILURE(load_shipped(&source, &table));

  const Body body = build_body();
  Body trunk, hand_or_foot;
  for (const BodyMesh& m : body.meshes) {
    if (m.name == "CHEST" || m.name == "ABDOMEN" || m.name == "PELVIS") trunk.meshes.push_back(m);
    if (m.name.find("HAND") != std::string::npos || m.name.find("FOOT") != std::string::npos)
      hand_or_foot.meshes.push_back(m);
  }
  constexpr double kMostOthers = 0.25, kCrowdedSlack = 0.1;
  constexpr double kMarkerMiddle = 0.012;  // the marker's middle above the skin
  const double kMostBelow = std::sin(20 * kPi / 180);  // sight 20 degrees upward
  constexpr double kSoleFacing = -0.7;
  const double kLeastCos = std::cos(85 * kPi / 180);
  int limb_points = 0;
  double worst = 0;
  for (size_t i = 0; i < source.size(); ++i) {
    const AcupointRecord& r = table[i];
    const Vec3 p{r.x, r.y, r.z};
    SearchView view;
    view.tx = r.view_tx;
    view.ty = r.view_ty;
    view.scale = r.view_scale;
    view.rot_x = r.view_rot_x;
    view.rot_y = r.view_rot_y;
    const Vec3 toward = direction_to_viewer(view);
    const Vec3 normal = smoothed_normal(body, p);
    EXPECT_GT(dot(toward, normal), kLeastCos)
        << source[i].code << " is seen from the side: " << std::acos(dot(toward, normal)) * 180 / kPi << " degrees";
    const bool on_hand_or_foot = length(hand_or_foot.nearest_surface_point(p) - p) < 1e-3;
    if (on_hand_or_foot && normal.y > kSoleFacing) {
      EXPECT_GE(toward.y, -kMostBelow) << source[i].code << " " << source[i].pinyin
                                       << " is looked at from below";
    }
    const std::vector<std::string> own = limb_meshes(body, p);
    if (own.empty() || length(trunk.nearest_surface_point(p) - p) < 1 / r.view_scale) continue;
    ++limb_points;
    const double share = others_share(body, own, p, toward, r.view_scale, 9);
    worst = std::max(worst, share);
    if (share <= kMostOthers) continue;
    // Crowded (the other leg beside a knee): no direction that sees the point may frame much
    // less of other parts.
    double least = 1;
    for (const Vec3& dir : candidate_directions(normal))
      if (seen_from(body, p + normal * kMarkerMiddle, dir))
        least = std::min(least, others_share(body, own, p, dir, r.view_scale, 9));
    EXPECT_LE(share, least + kCrowdedSlack)
        << source[i].code << " " << source[i].pinyin << ": other parts fill " << share
        << " of its frame, " << least << " seen from elsewhere";
  }
  EXPECT_GT(limb_points, 100);
  std::printf("views: %d limb points; other parts fill at most %.2f of a frame\n", limb_points,
              worst);
}

}  // namespace
