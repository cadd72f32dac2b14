#include "atlas/meridian_menu_model.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(MeridianMenu, TwelveEntriesInMenuOrder) {
  for (int i = 0; i < kMeridianCount; ++i) EXPECT_EQ(kMeridianEntries[i].value, i + 1);
  EXPECT_STREQ(kMeridianEntries[0].text, "\xCA\xD6\xCC\xAB\xD2\xF5\xB7\xCE\xBE\xAD");
  EXPECT_STREQ(kMeridianEntries[6].text, "\xD7\xE3\xCC\xAB\xD1\xF4\xB0\xF2\xEB\xD7\xBE\xAD");
  EXPECT_STREQ(kMeridianEntries[11].text, "\xD7\xE3\xD8\xCA\xD2\xF5\xB8\xCE\xBE\xAD");
}

TEST(MeridianMenu, OpensBesideThePointerAndHitsEntries) {
  PopupGeometry g = place_popup(100, 80, 800, 35, 565);
  EXPECT_EQ(g.left, 102);
  EXPECT_EQ(g.top, 82);
  EXPECT_EQ(g.entry_at(100, 80), -1) << "a click without moving chooses nothing";
  int first = g.top + PopupGeometry::kPadding;
  EXPECT_EQ(g.entry_at(g.left, first), 0);
  EXPECT_EQ(g.entry_at(g.left + PopupGeometry::kWidth - 1, first + 6 * 22 + 21), 6);
  EXPECT_EQ(g.entry_at(g.left + 5, first + 12 * 22 - 1), 11);
  EXPECT_EQ(g.entry_at(g.left + 5, first + 12 * 22), -1);
  EXPECT_EQ(g.entry_at(g.left + 5, first - 1), -1);
  EXPECT_EQ(g.entry_at(g.left + PopupGeometry::kWidth, first), -1);
  EXPECT_EQ(g.entry_at(g.left - 1, first), -1);
}

TEST(MeridianMenu, FlipsAtTheWindowEdgesAndClampsInTinyWindows) {
  int h = PopupGeometry().height();
  PopupGeometry corner = place_popup(790, 560, 800, 35, 565);
  EXPECT_EQ(corner.left, 790 - 2 - PopupGeometry::kWidth);
  EXPECT_EQ(corner.top, 560 - 2 - h);
  EXPECT_EQ(corner.entry_at(790, 560), -1);

  PopupGeometry tiny = place_popup(50, 50, 100, 35, 100);
  EXPECT_EQ(tiny.left, 0);
  EXPECT_EQ(tiny.top, 35);

  PopupGeometry against_edge = place_popup(100, 300, 800, 35, 565);  // fits neither above nor below
  EXPECT_EQ(against_edge.top, 565 - h);
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
