#include "atlas/panel_layout.h"

#include <gtest/gtest.h>

#include <cstring>

#include "atlas/gbk_texts.h"

namespace {

AcupointRecord make(const std::string& explanation, const std::string& effects) {
  AcupointRecord r{};
  std::strcpy(r.name, "\xD6\xD0\xB8\xAE");
  std::strcpy(r.pinyin, "ZHONGFU");
  std::strcpy(r.meridian_name, "\xCA\xD6\xCC\xAB\xD2\xF5\xB7\xCE\xBE\xAD");
  std::strcpy(r.explanation, explanation.c_str());
  std::strcpy(r.effects, effects.c_str());
  return r;
}

std::string chars(int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += "\xD6\xD0";
  return s;
}

TEST(PanelLayout, LineBytesFollowTheWidthWithAFloor) {
  struct Case {
    int width, bytes;
  } cases[] = {{800, 86}, {1000, 107}, {400, 43}, {10, 2}, {9, 2}, {0, 2}, {-5, 2}};
  for (const Case& c : cases) EXPECT_EQ(detail_line_bytes(c.width), c.bytes) << c.width;
}

TEST(PanelLayout, DetailLinesStandBelowTheHeading) {
  // 86 bytes take one line at width 800; 87 bytes of effects take two.
  std::vector<PlacedText> t = detail_panel_texts(make(chars(43), "a" + chars(43)), 800);
  ASSERT_EQ(t.size(), 5u);
  EXPECT_EQ(t[0].text, "\xD6\xD0\xB8\xAE  ZHONGFU  \xCA\xD6\xCC\xAB\xD2\xF5\xB7\xCE\xBE\xAD");
  EXPECT_EQ(t[0].y, 255);
  EXPECT_EQ(t[1].y, 225);
  EXPECT_EQ(t[1].text.size(), 86u);
  EXPECT_EQ(t[2].y, 210) << "first effects line 15 x n1 below the last explanation line";
  EXPECT_EQ(t[2].text, "a" + chars(42));
  EXPECT_EQ(t[3].y, 195);
  EXPECT_EQ(t[4].text, kCloseHint);
  EXPECT_EQ(t[4].y, 165);
  for (const PlacedText& p : t) EXPECT_EQ(p.x, 40);
}

TEST(PanelLayout, EffectsGapGrowsWithTheExplanationLines) {
  std::vector<PlacedText> t = detail_panel_texts(make(chars(100), "x"), 800);
  ASSERT_EQ(t.size(), 1u + 3 + 1 + 1);
  EXPECT_EQ(t[3].y, 195);
  EXPECT_EQ(t[4].y, 225 - 15 * 5);
  EXPECT_EQ(t[5].y, t[4].y - 30);
}

TEST(PanelLayout, EmptyTextsAndNarrowWindowsAreGuarded) {
  std::vector<PlacedText> empty = detail_panel_texts(make("", ""), 800);
  ASSERT_EQ(empty.size(), 2u);
  EXPECT_EQ(empty[1].text, kCloseHint);
  EXPECT_EQ(empty[1].y, 225) << "below the heading when there is nothing else";

  std::vector<PlacedText> only_explanation = detail_panel_texts(make("abc", ""), 800);
  ASSERT_EQ(only_explanation.size(), 3u);
  EXPECT_EQ(only_explanation[2].y, 195);

  std::vector<PlacedText> narrow = detail_panel_texts(make(chars(3), "b"), 5);
  ASSERT_EQ(narrow.size(), 1u + 3 + 1 + 1);
  for (int i = 1; i <= 3; ++i) EXPECT_EQ(narrow[i].text, "\xD6\xD0");
}

TEST(PanelLayout, UnterminatedFieldsStopAtTheirEnd) {
  AcupointRecord r = make("", "");
  std::memset(r.name, 'N', sizeof r.name);
  EXPECT_EQ(field_text(r.name), std::string(kShortField, 'N'));
}

TEST(PanelLayout, HelpLinesAndTip) {
  std::vector<PlacedText> help = help_panel_texts({"one", "two"});
  ASSERT_EQ(help.size(), 3u);
  EXPECT_EQ(help[0].text, kHelpTitle);
  EXPECT_EQ(help[0].y, 255);
  EXPECT_EQ(help[1].y, 225);
  EXPECT_EQ(help[2].y, 210);
  EXPECT_EQ(help_panel_texts({}).size(), 1u);

  EXPECT_EQ(acupoint_tip(make("", "")),
            "\xCC\xE1\xCA\xBE\xA3\xBA\xA1\xB0\xD6\xD0\xB8\xAE\xA1\xB1\xA1\xAA\xA1\xAA "
            "\xCA\xD6\xCC\xAB\xD2\xF5\xB7\xCE\xBE\xAD"
            "  (\xB5\xE3\xBB\xF7\xCA\xF3\xB1\xEA\xCF\xD4\xCA\xBE\xCF\xD4\xCA\xBE\xCF\xEA\xCF\xB8"
            "\xC4\xDA\xC8\xDD)  ");
}

}  // namespace
