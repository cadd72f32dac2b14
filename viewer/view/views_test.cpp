#include "view/views.h"

#include <gtest/gtest.h>

namespace {

// Every view value back to its start, as before main.
class ViewsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    current_meridian = 0;
    search_tx = search_ty = 0;
    search_rot_x = search_rot_y = 0;
    search_scale = 1;
    meridian_tx = meridian_ty = meridian_rot_x = meridian_rot_y = 0;
    meridian_scale = 1;
    marker_position[0] = marker_position[1] = marker_position[2] = 100;
    selected_acupoint = 0;
  }

  static void pose_both_views() {
    search_tx = 0.25;
    search_ty = -3.299999;
    search_rot_x = 30;
    search_rot_y = -45;
    search_scale = 3;
    meridian_tx = 1.5f;
    meridian_ty = -0.5f;
    meridian_rot_x = 10;
    meridian_rot_y = 20;
    meridian_scale = 2;
  }
};

TEST_F(ViewsTest, TenZoomOutStepsEndJustBelowZeroInSinglePrecision) {
  for (int i = 0; i < 10; ++i) zoom_out();
  EXPECT_LT(search_scale, 0.0f);
  EXPECT_NEAR(search_scale, -7.30157e-08f, 1e-12);
  // No lower bound: the scale goes on into the negative, mirroring the body.
  zoom_out();
  EXPECT_NEAR(search_scale, -0.1f, 1e-6);
}

TEST_F(ViewsTest, ZoomStepsStayFloatRoundedAtEveryStep) {
  float expected = 1.0f;
  for (int i = 0; i < 25; ++i) {
    zoom_in();
    expected = float(double(expected) + 0.1);
    ASSERT_EQ(search_scale, expected) << "step " << i;
  }
}

TEST_F(ViewsTest, ZoomChangesOnlyTheActiveView) {
  struct Case {
    int meridian;
    void (*step)();
    float search_after, meridian_after;
  };
  const Case cases[] = {
      {0, zoom_in, 1.1f, 1.0f},
      {0, zoom_out, 0.9f, 1.0f},
      {7, zoom_in, 1.0f, 1.1f},
      {12, zoom_out, 1.0f, 0.9f},
  };
  for (const Case& c : cases) {
    SetUp();
    current_meridian = c.meridian;
    c.step();
    EXPECT_FLOAT_EQ(search_scale, c.search_after) << "meridian " << c.meridian;
    EXPECT_FLOAT_EQ(meridian_scale, c.meridian_after) << "meridian " << c.meridian;
    EXPECT_EQ(current_meridian, c.meridian);
  }
}

TEST_F(ViewsTest, ResetReturnsBothViewsToIdentityAndKeepsModeAndMarker) {
  for (int meridian : {0, 7}) {
    SetUp();
    pose_both_views();
    current_meridian = meridian;
    marker_position[0] = -0.563333f;
    marker_position[1] = 1.353333f;
    marker_position[2] = 0.091021f;
    selected_acupoint = 42;

    reset_views();

    EXPECT_EQ(current_meridian, meridian);
    EXPECT_EQ(search_tx, 0.0);
    EXPECT_EQ(search_ty, 0.0);
    EXPECT_EQ(search_rot_x, 0.0f);
    EXPECT_EQ(search_rot_y, 0.0f);
    EXPECT_EQ(search_scale, 1.0f);
    EXPECT_EQ(meridian_tx, 0.0f);
    EXPECT_EQ(meridian_ty, 0.0f);
    EXPECT_EQ(meridian_rot_x, 0.0f);
    EXPECT_EQ(meridian_rot_y, 0.0f);
    EXPECT_EQ(meridian_scale, 1.0f);
    EXPECT_EQ(marker_position[0], -0.563333f);
    EXPECT_EQ(marker_position[1], 1.353333f);
    EXPECT_EQ(marker_position[2], 0.091021f);
    EXPECT_EQ(selected_acupoint, 42);
  }
}

TEST_F(ViewsTest, LeavingTheMeridianViewResetsItAndKeepsTheSearchView) {
  pose_both_views();
  current_meridian = 3;
  leave_meridian_view();
  EXPECT_EQ(current_meridian, 0);
  EXPECT_EQ(meridian_view_pose().tx, 0.0f);
  EXPECT_EQ(meridian_view_pose().ty, 0.0f);
  EXPECT_EQ(meridian_view_pose().rot_x, 0.0f);
  EXPECT_EQ(meridian_view_pose().rot_y, 0.0f);
  EXPECT_EQ(meridian_view_pose().scale, 1.0f);
  EXPECT_EQ(search_tx, 0.25);
  EXPECT_EQ(search_ty, -3.299999);
  EXPECT_EQ(search_rot_x, 30.0f);
  EXPECT_EQ(search_rot_y, -45.0f);
  EXPECT_EQ(search_scale, 3.0f);
}

TEST_F(ViewsTest, ActivePoseFollowsTheViewMode) {
  pose_both_views();
  const Pose search = active_view_pose();
  EXPECT_EQ(search.tx, 0.25f);
  EXPECT_EQ(search.ty, float(-3.299999));  // the double translation is passed on as a float
  EXPECT_EQ(search.scale, 3.0f);
  current_meridian = 1;
  const Pose meridian = active_view_pose();
  EXPECT_EQ(meridian.tx, 1.5f);
  EXPECT_EQ(meridian.rot_y, 20.0f);
  EXPECT_EQ(meridian.scale, 2.0f);
}

}  // namespace
