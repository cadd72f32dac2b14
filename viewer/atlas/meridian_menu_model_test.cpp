#include "atlas/meridian_menu_model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

TEST(MeridianMenu, FourteenEntriesInMenuOrder) {
  ASSERT_EQ(kMeridianCount, 14);
  for (int i = 0; i < kMeridianCount; ++i) EXPECT_EQ(kMeridianEntries[i].value, i + 1);
  EXPECT_STREQ(kMeridianEntries[0].text, "\xCA\xD6\xCC\xAB\xD2\xF5\xB7\xCE\xBE\xAD");
  EXPECT_STREQ(kMeridianEntries[6].text, "\xD7\xE3\xCC\xAB\xD1\xF4\xB0\xF2\xEB\xD7\xBE\xAD");
  EXPECT_STREQ(kMeridianEntries[11].text, "\xD7\xE3\xD8\xCA\xD2\xF5\xB8\xCE\xBE\xAD");
  EXPECT_STREQ(kMeridianEntries[12].text, "\xC8\xCE\xC2\xF6");  // 任脉
  EXPECT_STREQ(kMeridianEntries[13].text, "\xB6\xBD\xC2\xF6");  // 督脉
}

// Entries 1-12 leave the meridian view as it is; 13 faces the front, 14 the back from a little
// above, both zoomed on the trunk and head with their middle at the window centre.
TEST(MeridianMenu, VesselEntriesFaceTheirVessel) {
  for (int value = 1; value <= 12; ++value) EXPECT_TRUE(entry_view(value).keeps_view) << value;
  const EntryView cv = entry_view(13), gv = entry_view(14);
  ASSERT_FALSE(cv.keeps_view);
  ASSERT_FALSE(gv.keeps_view);
  EXPECT_EQ(cv.rot_y, 0);
  EXPECT_EQ(cv.rot_x, 0);
  EXPECT_EQ(gv.rot_y, 180);
  EXPECT_GT(gv.rot_x, 10) << "the top of the head turned toward the viewer";
  EXPECT_LT(gv.rot_x, 60);
  for (const EntryView& v : {cv, gv}) {
    EXPECT_GT(v.scale, 1);
    // The perineum (y -0.25) and the vertex (y 2.5) both inside the 6-unit-high window.
    for (double y : {-0.25, 2.5}) {
      const double posed = y * v.scale * std::cos(v.rot_x * 3.14159265358979 / 180) + v.ty;
      EXPECT_LT(std::abs(posed), 3 - 0.3) << y;
    }
  }
}

TEST(MeridianMenu, OpensBesideThePointerAndHitsEntries) {
  PopupGeometry g = place_popup(100, 80, 800, 600, 35);
  EXPECT_EQ(g.left, 102);
  EXPECT_EQ(g.top, 82);
  EXPECT_FALSE(g.scrolls());
  EXPECT_EQ(g.height(), 14 * 22 + 8);
  EXPECT_EQ(g.entry_at(100, 80), -1) << "a click without moving chooses nothing";
  int first = g.top + PopupGeometry::kPadding;
  EXPECT_EQ(g.entry_at(g.left, first), 0);
  EXPECT_EQ(g.entry_at(g.left + PopupGeometry::kWidth - 1, first + 6 * 22 + 21), 6);
  EXPECT_EQ(g.entry_at(g.left + 5, first + 14 * 22 - 1), 13);
  EXPECT_EQ(g.entry_at(g.left + 5, first + 14 * 22), -1);
  EXPECT_EQ(g.entry_at(g.left + 5, first - 1), -1);
  EXPECT_EQ(g.entry_at(g.left + PopupGeometry::kWidth, first), -1);
  EXPECT_EQ(g.entry_at(g.left - 1, first), -1);
  EXPECT_EQ(g.arrow_at(g.left + 5, g.top + 1), 0) << "no arrows while every entry fits";
}

TEST(MeridianMenu, FlipsAtTheWindowEdgesAndUsesTheBarsWhenShort) {
  const int h = PopupGeometry().height();
  PopupGeometry corner = place_popup(790, 560, 800, 600, 35);
  EXPECT_EQ(corner.left, 790 - 2 - PopupGeometry::kWidth);
  EXPECT_EQ(corner.top, 560 - 2 - h);
  EXPECT_EQ(corner.entry_at(790, 560), -1);

  PopupGeometry against_edge = place_popup(100, 300, 800, 600, 35);  // neither above nor below
  EXPECT_EQ(against_edge.top, 565 - h);

  // 330 px: not between the bars (260 px), but over them every entry still fits.
  for (int y : {40, 150, 290}) {
    PopupGeometry g = place_popup(100, y, 800, 330, 35);
    EXPECT_FALSE(g.scrolls());
    EXPECT_GE(g.top, 0);
    EXPECT_LE(g.top + g.height(), 330);
    EXPECT_EQ(g.entry_at(g.left + 5, g.top + g.entry_top(13)), 13) << y;
  }

  PopupGeometry narrow = place_popup(50, 300, 100, 600, 35);
  EXPECT_EQ(narrow.left, 0);
}

TEST(MeridianMenu, ScrollsInAWindowTooShortForAllEntries) {
  PopupGeometry g = place_popup(100, 60, 800, 150, 35);
  ASSERT_TRUE(g.scrolls());
  EXPECT_EQ(g.top, 0);
  EXPECT_EQ(g.shown, (150 - 8 - 32) / 22);
  EXPECT_LE(g.height(), 150);
  const int x = g.left + 5;
  EXPECT_EQ(g.arrow_at(x, g.top + 4), -1);
  EXPECT_EQ(g.arrow_at(x, g.top + g.height() - 5), 1);
  EXPECT_EQ(g.entry_at(x, g.top + g.entry_top(0)), 0);
  EXPECT_EQ(g.entry_at(x, g.top + 4), -1) << "the arrow row is no entry";

  EXPECT_FALSE(g.scroll_by(-1)) << "already at the first entry";
  int steps = 0;
  while (g.scroll_by(1)) ++steps;
  EXPECT_EQ(steps, 14 - g.shown);
  EXPECT_TRUE(g.entry_shown(13));
  EXPECT_EQ(g.entry_at(x, g.top + g.entry_top(13)), 13);
  g.scroll_to(0);
  EXPECT_EQ(g.first, 0);
  g.scroll_to(7);
  EXPECT_EQ(g.first + g.shown - 1, 7);

  PopupGeometry tiny = place_popup(10, 10, 800, 20, 35);
  EXPECT_EQ(tiny.shown, 1) << "one entry at least, however short the window";
}

TEST(MeridianMenu, ReferenceCoordinatesLandOnTheWantedPixel) {
  for (int w : {130, 272, 800, 33}) {
    for (int px : {0, 7, 64, 129}) {
      int x = 0, y = 0;
      reference_for_pixel(px, px, w, w, x, y);
      EXPECT_NEAR(2.0 * x * w / 800, px, w / 800.0 + 0.01) << w << " " << px;
      EXPECT_NEAR(2.0 * y * w / 600, px, w / 600.0 + 0.01) << w << " " << px;
    }
  }
  int x = 1, y = 1;
  reference_for_pixel(5, 5, 0, 0, x, y);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
}

}  // namespace
