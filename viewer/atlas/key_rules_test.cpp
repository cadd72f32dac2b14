#include "atlas/key_rules.h"

#include <gtest/gtest.h>

namespace {

struct Keys {
  std::string line, query;
  KeyEffect press(unsigned char key) { return apply_key(key, line, query); }
  void type(const char* text) {
    for (; *text; ++text) press(static_cast<unsigned char>(*text));
  }
};

TEST(Keyboard, LettersAreUpperCasedIntoTheLine) {
  Keys k;
  for (char c : std::string("zhongFU")) EXPECT_EQ(k.press(c), KeyEffect::kRedraw);
  EXPECT_EQ(k.line, "ZHONGFU");
  EXPECT_EQ(k.press(13), KeyEffect::kCommitted);
  EXPECT_EQ(k.query, "ZHONGFU");
  EXPECT_EQ(k.line, "");
}

TEST(Keyboard, SixteenLettersBlockEveryKeyButBackspace) {
  Keys k;
  k.type("abcdefghijklmnop");
  ASSERT_EQ(k.line.size(), 16u);
  for (unsigned char key : {'q', '\r', '.', '>', ',', '<', '/', '?', '1'}) {
    EXPECT_EQ(k.press(key), KeyEffect::kIgnored) << key;
  }
  EXPECT_EQ(k.line, "ABCDEFGHIJKLMNOP");
  EXPECT_EQ(k.query, "");
  EXPECT_EQ(k.press(8), KeyEffect::kRedraw);
  EXPECT_EQ(k.line.size(), 15u);
  EXPECT_EQ(k.press('.'), KeyEffect::kZoomIn);
  EXPECT_EQ(k.press('q'), KeyEffect::kRedraw);
  EXPECT_EQ(k.line, "ABCDEFGHIJKLMNOQ");
}

TEST(Keyboard, BackspaceAndEnterOnAnEmptyLine) {
  Keys k;
  k.query = "OLD";
  EXPECT_EQ(k.press(8), KeyEffect::kRedraw);
  EXPECT_EQ(k.line, "");
  EXPECT_EQ(k.press(13), KeyEffect::kCommitted) << "still leaves the meridian view";
  EXPECT_EQ(k.query, "");
}

TEST(Keyboard, ViewKeysAndOtherKeys) {
  struct Case {
    unsigned char key;
    KeyEffect effect;
  } cases[] = {
      {'.', KeyEffect::kZoomIn}, {'>', KeyEffect::kZoomIn},  {',', KeyEffect::kZoomOut},
      {'<', KeyEffect::kZoomOut}, {'/', KeyEffect::kReset},  {'?', KeyEffect::kReset},
      {'1', KeyEffect::kRedraw},  {' ', KeyEffect::kRedraw}, {'[', KeyEffect::kRedraw},
      {'@', KeyEffect::kRedraw},  {0, KeyEffect::kRedraw},   {127, KeyEffect::kRedraw},
      {128, KeyEffect::kRedraw},  {0xC1, KeyEffect::kRedraw}, {0xE1, KeyEffect::kRedraw},
      {255, KeyEffect::kRedraw},  {10, KeyEffect::kRedraw},
  };
  for (const Case& c : cases) {
    Keys k;
    k.line = "AB";
    EXPECT_EQ(k.press(c.key), c.effect) << int(c.key);
    EXPECT_EQ(k.line, "AB") << int(c.key);
    EXPECT_EQ(k.query, "") << int(c.key);
  }
  EXPECT_TRUE(is_help_key(1));
  EXPECT_FALSE(is_help_key(2));
}

TEST(SearchLine, PositionsDivideByTheWidthAndGuardZero) {
  SearchLineLayout at800 = layout_search_line(800, 7);
  EXPECT_TRUE(at800.show_text);
  EXPECT_EQ(at800.label_x, 1);
  EXPECT_EQ(at800.y, 20);
  EXPECT_EQ(at800.text_x, 60);
  EXPECT_EQ(at800.cursor_x, 60 + 28);

  SearchLineLayout at1000 = layout_search_line(1000, 7);
  EXPECT_EQ(at1000.text_x, 48);
  EXPECT_EQ(at1000.cursor_x, 48 + 22) << "each division rounds down on its own";

  SearchLineLayout at0 = layout_search_line(0, 3);
  EXPECT_FALSE(at0.show_text);
  EXPECT_EQ(at0.label_x, 1);
  EXPECT_FALSE(layout_search_line(-1, 3).show_text);
}

}  // namespace
