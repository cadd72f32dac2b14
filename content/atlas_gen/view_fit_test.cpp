#include "atlas_gen/view_fit.h"

#include <gtest/gtest.h>

#include <cmath>

#include "view/pose.h"

namespace {

// The viewer's own pose arithmetic on a search view.
Vec3 viewer_posed(const SearchView& v, Vec3 p) {
  Pose pose;
  pose.tx = v.tx;
  pose.ty = v.ty;
  pose.rot_x = v.rot_x;
  pose.rot_y = v.rot_y;
  pose.scale = v.scale;
  const auto q = pose_point(pose, p.x, p.y, p.z);
  return {q[0], q[1], q[2]};
}

TEST(ViewFit, PutsThePointAtTheCentreFacingTheViewer) {
  const Vec3 point{-0.56, 1.35, 0.09};
  const Vec3 directions[] = {{0, 0, 1},  {0, 0, -1}, {-1, 0, 0}, {1, 0.2, 0.3},
                             {0, -1, 0}, {0, 1, 0},  {-0.3, -0.9, 0.2}};
  for (const Vec3& d : directions) {
    const SearchView v = view_facing(point, d, 3.6);
    const Vec3 centre = viewer_posed(v, point);
    EXPECT_NEAR(centre.x, 0, 1e-5);
    EXPECT_NEAR(centre.y, 0, 1e-5);
    // The direction, posed without translation and scale, points at the camera.
    const Vec3 tip = viewer_posed(v, point + normalize(d) * (1.0 / 3.6));
    EXPECT_NEAR(tip.x - centre.x, 0, 1e-5);
    EXPECT_NEAR(tip.y - centre.y, 0, 1e-5);
    EXPECT_NEAR(tip.z - centre.z, 1, 1e-5);
    const Vec3 back = direction_to_viewer(v);
    EXPECT_NEAR(dot(back, normalize(d)), 1, 1e-6);
    EXPECT_FLOAT_EQ(v.scale, 3.6f);
  }
}

TEST(ViewFit, OwnPosingAgreesWithTheViewer) {
  SearchView v;
  v.tx = 0.3f;
  v.ty = -1.2f;
  v.rot_x = 25;
  v.rot_y = -140;
  v.scale = 2.5f;
  const Vec3 p{0.4, -0.7, 0.2};
  const Vec3 mine = posed_point(v, p), theirs = viewer_posed(v, p);
  EXPECT_NEAR(mine.x, theirs.x, 1e-6);
  EXPECT_NEAR(mine.y, theirs.y, 1e-6);
  EXPECT_NEAR(mine.z, theirs.z, 1e-6);
}

TEST(ViewFit, CandidatesStartAtTheNormalAndStayOnItsSide) {
  const Vec3 n = normalize(Vec3{0.2, 0.1, -1});
  const auto dirs = candidate_directions(n);
  ASSERT_GT(dirs.size(), 20u);
  EXPECT_NEAR(dot(dirs[0], n), 1, 1e-12);
  for (const Vec3& d : dirs) {
    EXPECT_NEAR(length(d), 1, 1e-9);
    EXPECT_GT(dot(d, n), 0.17);  // at most 80 degrees away
  }
}

}  // namespace
