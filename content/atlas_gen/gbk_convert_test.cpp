#include "atlas_gen/gbk_convert.h"

#include <gtest/gtest.h>

namespace {

TEST(GbkConvert, MeridianNameBothWays) {
  // 手太阴肺经
  const std::string utf8 = "\xE6\x89\x8B\xE5\xA4\xAA\xE9\x98\xB4\xE8\x82\xBA\xE7\xBB\x8F";
  const std::string gbk = "\xCA\xD6\xCC\xAB\xD2\xF5\xB7\xCE\xBE\xAD";
  std::string out;
  ASSERT_TRUE(utf8_to_gbk(utf8, &out));
  EXPECT_EQ(out, gbk);
  ASSERT_TRUE(gbk_to_utf8(gbk, &out));
  EXPECT_EQ(out, utf8);
}

TEST(GbkConvert, RareCharacterAndAscii) {
  const std::string utf8 = "\xE7\xA6\xBE\xE9\xAB\x8E(liao2)";  // 禾髎(liao2)
  std::string gbk, back;
  ASSERT_TRUE(utf8_to_gbk(utf8, &gbk));
  EXPECT_EQ(gbk.size(), 4u + 7u);
  ASSERT_TRUE(gbk_to_utf8(gbk, &back));
  EXPECT_EQ(back, utf8);
}

TEST(GbkConvert, RefusesWhatGbkCannotHold) {
  std::string out;
  EXPECT_FALSE(utf8_to_gbk("\xF0\x9F\x98\x80", &out));  // an emoji
  EXPECT_FALSE(utf8_to_gbk("\xE6\x89", &out));          // a cut UTF-8 sequence
  EXPECT_FALSE(gbk_to_utf8("\xCA", &out));              // a lead byte alone
}

}  // namespace
