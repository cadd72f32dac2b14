#include "atlas/pointer_rules.h"

#include <gtest/gtest.h>

namespace {

TEST(Pointer, DragTurnsTwoDegreesPerAxisWhateverTheDistance) {
  struct Case {
    int lx, ly, x, y;
    float drx, dry;
  } cases[] = {
      {10, 10, 11, 10, 0, 2},   {10, 10, 500, 10, 0, 2}, {10, 10, 9, 10, 0, -2},
      {10, 10, 10, 300, 2, 0},  {10, 10, 10, 0, -2, 0},  {10, 10, 400, 400, 2, 2},
      {10, 10, -50, -50, -2, -2}, {10, 10, 10, 10, 0, 0},
  };
  for (const Case& c : cases) {
    float rx = 30, ry = -4;
    turn_for_motion(c.lx, c.ly, c.x, c.y, rx, ry);
    EXPECT_FLOAT_EQ(rx, 30 + c.drx);
    EXPECT_FLOAT_EQ(ry, -4 + c.dry);
  }
}

TEST(Pointer, OnlyCtrlAloneFlipsMoveMode) {
  EXPECT_TRUE(is_ctrl_only(2));
  for (int m : {0, 1, 3, 4, 6, 7}) EXPECT_FALSE(is_ctrl_only(m)) << m;
}

// The main window's camera (eye at z 50) and its orthographic box at 800 x 600.
const double kCamera[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, -50, 1};
const double kOrtho800x600[16] = {2.0 / 8, 0, 0, 0, 0, 2.0 / 6, 0, 0,
                                  0, 0, -2.0 / 199, 0, 0, 0, -201.0 / 199, 1};
const int kViewport[4] = {0, 0, 800, 600};

TEST(Pointer, HundredPixelsAreOneSceneUnit) {
  double centre[3], right[3], low[3];
  ASSERT_TRUE(unproject_point(400, gl_window_y(600, 300), 0.5, kCamera, kOrtho800x600,
                              kViewport, centre));
  EXPECT_NEAR(centre[0], 0, 1e-9);
  EXPECT_NEAR(centre[1], 0, 1e-9);
  ASSERT_TRUE(unproject_point(500, gl_window_y(600, 300), 0.9, kCamera, kOrtho800x600,
                              kViewport, right));
  EXPECT_NEAR(right[0], 1.0, 1e-9) << "x does not depend on the depth";
  ASSERT_TRUE(unproject_point(400, gl_window_y(600, 400), 0.1, kCamera, kOrtho800x600,
                              kViewport, low));
  EXPECT_NEAR(low[1], -1.0, 1e-9) << "pointer y runs downwards";

  // A move-mode drag from the centre 100 px right and 100 px down, from a shifted start.
  EXPECT_NEAR(moved_translation(right[0], centre[0], 0.25), 1.25, 1e-9);
  EXPECT_NEAR(moved_translation(low[1], centre[1], -3.3), -4.3, 1e-9);
}

TEST(Pointer, SingularMatricesAndEmptyViewportsFail) {
  const double zero[16] = {};
  const int empty_viewport[4] = {0, 0, 0, 600};
  double out[3] = {7, 7, 7};
  EXPECT_FALSE(unproject_point(1, 1, 0.5, kCamera, zero, kViewport, out));
  EXPECT_FALSE(unproject_point(1, 1, 0.5, kCamera, kOrtho800x600, empty_viewport, out));
  EXPECT_EQ(out[0], 7);
}

TEST(Pointer, FirstHitRecordNamesTheIndex) {
  const uint32_t two_hits[8] = {1, 100, 200, 5, 1, 50, 60, 3};
  const uint32_t no_names[4] = {0, 1, 2, 3};
  const uint32_t beyond_capacity[4] = {1, 7, 7, 500};
  const uint32_t huge_name[4] = {1, 7, 7, 0xFFFFFFFFu};  // not read as a negative index
  const uint32_t index_zero[4] = {1, 7, 7, 0};
  struct Case {
    const char* what;
    const uint32_t* buffer;
    int size, hits, count;
    int hit;       // first_hit_index: the hover's tip
    int recorded;  // recorded_index: the detail panel
  } cases[] = {
      {"first in the buffer, not nearest", two_hits, 8, 2, 309, 5, 5},
      {"no hit keeps the last hit's records", two_hits, 8, 0, 309, -1, 5},
      {"overflow counts as no hit", two_hits, 8, -1, 309, -1, 5},
      {"an index outside the table", two_hits, 8, 2, 5, -1, -1},
      {"the last index in use", two_hits, 8, 1, 6, 5, 5},
      {"a record without names", no_names, 4, 1, 309, -1, -1},
      {"a buffer shorter than one record", two_hits, 3, 1, 309, -1, -1},
      {"a name past the table's capacity", beyond_capacity, 4, 1, 500, -1, -1},
      {"a name that is no int", huge_name, 4, 1, 309, -1, -1},
      {"an empty table", index_zero, 4, 1, 0, -1, -1},
      {"index 0 is an acupoint", index_zero, 4, 1, 1, 0, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(first_hit_index(c.buffer, c.size, c.hits, c.count), c.hit) << c.what;
    EXPECT_EQ(recorded_index(c.buffer, c.size, c.count), c.recorded) << c.what;
  }
}

}  // namespace
