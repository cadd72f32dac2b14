#include "atlas/gbk_text.h"

#include <gtest/gtest.h>

namespace {

struct CutCase {
  const char* what;
  std::string text;
  size_t per;
  std::vector<std::string> lines;
};

TEST(GbkText, CutsLinesOnCharacterBoundaries) {
  const std::string zhong = "\xD6\xD0", fu = "\xB8\xAE";
  const CutCase cases[] = {
      {"empty text gives no line", "", 86, {}},
      {"two-byte characters, odd line length", zhong + fu, 3, {zhong, fu}},
      {"exact fit is one line", zhong + fu, 4, {zhong + fu}},
      {"single byte shifts the cut one earlier", "a" + zhong + fu, 4, {"a" + zhong, fu}},
      {"ASCII cuts anywhere", "abcde", 2, {"ab", "cd", "e"}},
      {"line length 1 still takes whole characters", "a" + zhong, 1, {"a", zhong}},
      {"line length 0 cannot stall", zhong + "b", 0, {zhong, "b"}},
      {"lone lead byte at the end is one character", "ab\xD6", 2, {"ab", "\xD6"}},
  };
  for (const CutCase& c : cases) {
    EXPECT_EQ(cut_gbk_lines(c.text, c.per), c.lines) << c.what;
  }
}

TEST(GbkText, EightySixBytesOfTwoByteCharactersFitOneLine) {
  std::string text;
  for (int i = 0; i < 43; ++i) text += "\xD6\xD0";
  EXPECT_EQ(cut_gbk_lines(text, 86).size(), 1u);
  EXPECT_EQ(cut_gbk_lines(text + "a", 86).size(), 2u);
  // Shifted by one ASCII byte, every later cut moves one byte earlier and no line ends on a lead.
  std::vector<std::string> lines = cut_gbk_lines("(" + text + text, 86);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].size(), 85u);
  EXPECT_EQ(lines[1].size(), 86u);
  EXPECT_EQ(lines[2].size(), 2u);
}

TEST(GbkText, SafePrefixNeverEndsInsideACharacter) {
  const char* text = "a\xD6\xD0" "b";
  EXPECT_EQ(gbk_safe_prefix(text, 4, 0), 0u);
  EXPECT_EQ(gbk_safe_prefix(text, 4, 1), 1u);
  EXPECT_EQ(gbk_safe_prefix(text, 4, 2), 1u);
  EXPECT_EQ(gbk_safe_prefix(text, 4, 3), 3u);
  EXPECT_EQ(gbk_safe_prefix(text, 4, 99), 4u);
}

}  // namespace
