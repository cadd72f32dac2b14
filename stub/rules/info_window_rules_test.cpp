// The information window's text face and layout.
#include "rules/InfoWindowRules.h"

#include <gtest/gtest.h>

namespace {

using namespace info_window;

TEST(InfoWindowRules, TextFaceAndLayout) {
  EXPECT_EQ(TextFace("Tahoma"), "Verdana");
  EXPECT_EQ(TextFace(""), "Verdana");
  EXPECT_EQ(TextFace("tahoma"), "tahoma");  // only the exact default is replaced
  EXPECT_EQ(TextFace("MS Gothic"), "MS Gothic");

  const Layout with = LayoutFor(500, 300, true);
  EXPECT_EQ(with.text.x, 3);
  EXPECT_EQ(with.text.width, 497);
  EXPECT_EQ(with.text.height, 257);
  EXPECT_EQ(with.button.x, 170);
  EXPECT_EQ(with.button.y, 267);
  EXPECT_EQ(with.button.width, 160);
  EXPECT_EQ(with.button.height, 25);
  const Layout without = LayoutFor(500, 300, false);
  EXPECT_EQ(without.text.height, 300);
  EXPECT_EQ(without.button.width, 0);
  EXPECT_GE(LayoutFor(1, 10, true).text.width, 0);  // a tiny window gives no negative size
}

}  // namespace
