// GBK bytes to code points: what the FreeType back end looks glyphs up with.
#include "text/gbk_decode.h"

#include <gtest/gtest.h>

#include <string>

TEST(GbkDecode, TwoByteCharactersBecomeOneCodePointAndBadBytesOneReplacementEach) {
  struct Case {
    std::string gbk;
    std::u32string unicode;
  };
  const Case cases[] = {
      {"", U""},
      {"Tolvane 1.0", U"Tolvane 1.0"},
      {"\xCB\xCE\xCC\xE5", U"\u5B8B\u4F53"},            // the face name
      {"[F1] \xB0\xEF\xD6\xFA", U"[F1] \u5E2E\u52A9"},  // mixed one- and two-byte
      {"\xA1\xA3\xA3\xAC", U"\u3002\uFF0C"},            // full-width punctuation
      {"\x80", U"\u20AC"},                              // code page 936's euro sign
      {"a\xD6", U"a\uFFFD"},                            // lead byte cut off at the end
      {"\xFF"
       "b",
       U"\uFFFD"
       "b"},  // never a lead byte
      {"\x81\x7F"
       "c",
       U"\uFFFD\u007F"
       "c"},  // bad trail byte: only the lead goes
      {"\xD6\xD0\xB8\xAE", U"\u4E2D\u5E9C"},
  };
  for (const Case& c : cases) EXPECT_EQ(decode_gbk(c.gbk.data(), c.gbk.size()), c.unicode) << c.gbk;
  EXPECT_EQ(decode_gbk(nullptr, 4), U"");
  const std::string embedded("a\0b", 3);  // the length decides, not a zero byte
  EXPECT_EQ(decode_gbk(embedded.data(), embedded.size()), std::u32string(U"a\0b", 3));
}

TEST(GbkDecode, Utf8EncodingCoversEveryLengthAndReplacesWhatIsNoCodePoint) {
  EXPECT_EQ(utf32_to_utf8(U"A\u00E9\u5B8B\U0001F600"), "A\xC3\xA9\xE5\xAE\x8B\xF0\x9F\x98\x80");
  EXPECT_EQ(utf32_to_utf8(std::u32string{0xD800, 0x110000}), "\xEF\xBF\xBD\xEF\xBF\xBD");
}
