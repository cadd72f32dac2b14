#include "view/pose.h"

#include <gtest/gtest.h>

#include "view/camera.h"

namespace {

void expect_point(const std::array<double, 3>& p, double x, double y, double z) {
  EXPECT_NEAR(p[0], x, 1e-9);
  EXPECT_NEAR(p[1], y, 1e-9);
  EXPECT_NEAR(p[2], z, 1e-9);
}

TEST(PoseTest, IdentityPoseLeavesPointsInPlace) {
  expect_point(pose_point(Pose{}, 0.5, -1.25, 2), 0.5, -1.25, 2);
}

TEST(PoseTest, TranslationComesBeforeRotationAndScale) {
  // The shift is in scene units whatever the turn and zoom: a point at the model origin lands
  // on the translation.
  Pose pose{1.0f, -3.0f, 35.0f, -80.0f, 4.0f};
  expect_point(pose_point(pose, 0, 0, 0), 1.0, -3.0, 0);
}

TEST(PoseTest, RotationsTurnCounterClockwiseAboutTheirAxes) {
  Pose about_x{0, 0, 90, 0, 1};
  expect_point(pose_point(about_x, 0, 1, 0), 0, 0, 1);  // +Y turns to +Z
  Pose about_y{0, 0, 0, 90, 1};
  expect_point(pose_point(about_y, 0, 0, 1), 1, 0, 0);  // +Z turns to +X
}

TEST(PoseTest, RotationAboutYIsAppliedToTheModelFirst) {
  // Y turn first (innermost), then X: (1, 0, 0) -> (0, 0, -1) -> (0, 1, 0).
  Pose pose{0, 0, 90, 90, 1};
  expect_point(pose_point(pose, 1, 0, 0), 0, 1, 0);
}

TEST(PoseTest, NegativeScaleMirrorsThroughThePoseOrigin) {
  Pose pose{2, 1, 0, 0, -2};
  expect_point(pose_point(pose, 0.5, 0.25, 1), 1, 0.5, -2);
}

TEST(CameraTest, BoxesSpanOneSceneUnitPerHundredPixels) {
  struct Case {
    int w, h;
    double half_w, half_h;
  };
  const Case cases[] = {{800, 600, 4, 3}, {1000, 700, 5, 3.5}, {801, 35, 4.005, 0.175}};
  for (const Case& c : cases) {
    const OrthoBox main = main_window_box(c.w, c.h);
    EXPECT_DOUBLE_EQ(main.left, -c.half_w);
    EXPECT_DOUBLE_EQ(main.right, c.half_w);
    EXPECT_DOUBLE_EQ(main.bottom, -c.half_h);
    EXPECT_DOUBLE_EQ(main.top, c.half_h);
    EXPECT_EQ(main.near_z, 1);
    EXPECT_EQ(main.far_z, 200);
    const OrthoBox bar = bar_box(c.w, c.h);
    EXPECT_DOUBLE_EQ(bar.right, c.half_w);
    EXPECT_DOUBLE_EQ(bar.top, c.half_h);
    EXPECT_EQ(bar.near_z, 1.5);
    EXPECT_EQ(bar.far_z, 20);
  }
  EXPECT_FALSE(has_area(0, 600));
  EXPECT_FALSE(has_area(800, 0));
  EXPECT_TRUE(has_area(1, 1));
}

}  // namespace
