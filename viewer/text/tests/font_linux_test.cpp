// The FreeType + fontconfig back end on its own: which face "宋体" becomes, its cell, and GBK text
// laid out as single characters. No display is needed.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "text/glyph_raster.h"

namespace {

const char kSongFace[] = "\xCB\xCE\xCC\xE5";  // 宋体
const char kZhong[] = "\xD6\xD0";             // 中
const char kUmingFile[] = "/usr/share/fonts/truetype/arphic/uming.ttc";

FontFacePtr song_face(int height = 15) {
  FontRequest request;
  request.face = kSongFace;
  request.height = height;
  request.weight = 15;
  return create_font_face(request);
}

int ink_count(const TextBitmap& b) {
  int n = 0;
  for (int y = 0; y < b.height(); ++y)
    for (int x = 0; x < b.width(); ++x) n += b.ink(x, y);
  return n;
}

}  // namespace

TEST(FontLinux, SongFaceIsMatchedToAnInstalledMingFaceOrAnotherCjkFace) {
  FontFacePtr face = song_face();
  ASSERT_NE(face, nullptr);
  const std::string description = describe_font_face(*face);
  std::cout << "matched: " << description << "\n";
  struct stat st;
  if (stat(kUmingFile, &st) == 0) {
    EXPECT_NE(description.find("AR PL UMing"), std::string::npos) << description;
  }
  // Whatever was chosen must draw Chinese: the ideograph has ink.
  EXPECT_GT(ink_count(rasterise_text(face.get(), kZhong)), 10);
}

TEST(FontLinux, AnInstalledFaceOfTheGivenNameWinsAndOtherwiseTheStyleDecides) {
  struct stat st;
  const bool have_uming = stat(kUmingFile, &st) == 0;
  const bool have_wqy = stat("/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc", &st) == 0;
  if (!have_uming || !have_wqy) GTEST_SKIP() << "needs fonts-arphic-uming and fonts-wqy-zenhei";
  struct Case {
    const char* face;  // GBK
    const char* family;
  };
  const Case cases[] = {
      {"WenQuanYi Zen Hei", "WenQuanYi Zen Hei"},  // installed: taken as it is
      {"\xBA\xDA\xCC\xE5", "WenQuanYi Zen Hei"},   // 黑体: the closest Hei face
      {kSongFace, "AR PL UMing"},                  // 宋体: the closest Song/Ming face
      {"No Such Face", "AR PL UMing"},             // unknown: Song first, as the viewer asks
      {"", "AR PL UMing"},
  };
  for (const Case& c : cases) {
    FontRequest request;
    request.face = c.face;
    request.height = 15;
    FontFacePtr face = create_font_face(request);
    ASSERT_NE(face, nullptr) << c.face;
    EXPECT_EQ(describe_font_face(*face).rfind(c.family, 0), 0u)
        << c.face << " became " << describe_font_face(*face);
  }
}

TEST(FontLinux, TheCellIsTheRequestedHeightAndTheExtentTheSumOfAdvances) {
  for (int height : {15, 12, 24}) {
    FontFacePtr face = song_face(height);
    ASSERT_NE(face, nullptr);
    EXPECT_EQ(rasterise_text(face.get(), "Tolvane").height(), height);
    EXPECT_EQ(rasterise_text(face.get(), kZhong).height(), height);
    const int a = rasterise_text(face.get(), "Tol").width();
    const int b = rasterise_text(face.get(), "vane").width();
    EXPECT_EQ(rasterise_text(face.get(), "Tolvane").width(), a + b) << height;
  }
}

TEST(FontLinux, TwoByteCharactersAreSingleFullWidthGlyphs) {
  FontFacePtr face = song_face();
  ASSERT_NE(face, nullptr);
  const TextBitmap zhong = rasterise_text(face.get(), kZhong);
  const TextBitmap two = rasterise_text(face.get(), "\xD6\xD0\xB8\xAE");  // 中府
  // An ideograph is about one em wide (13 to 15 pixels in a 15-pixel cell), two ideographs twice
  // that, whatever the Latin glyphs of the face measure.
  EXPECT_GE(zhong.width(), 12);
  EXPECT_LE(zhong.width(), 16);
  EXPECT_EQ(two.width(), 2 * zhong.width());
  // 中's vertical stroke runs through most of the cell in one column.
  int longest = 0;
  for (int x = 0; x < zhong.width(); ++x) {
    int run = 0;
    for (int y = 0; y < zhong.height(); ++y) run += zhong.ink(x, y);
    longest = std::max(longest, run);
  }
  EXPECT_GE(longest, 11);
}

TEST(FontLinux, EmptyTextHasNoWidthAndStylesAddInk) {
  FontFacePtr face = song_face();
  ASSERT_NE(face, nullptr);
  EXPECT_TRUE(rasterise_text(face.get(), "").empty());

  const int plain = ink_count(rasterise_text(face.get(), "Tolvane"));
  struct Style {
    bool underline, strike_out;
    int weight;
  };
  for (const Style s : {Style{true, false, 15}, Style{false, true, 15}, Style{false, false, 700}}) {
    FontRequest request;
    request.face = kSongFace;
    request.height = 15;
    request.weight = s.weight;
    request.underline = s.underline;
    request.strike_out = s.strike_out;
    FontFacePtr styled = create_font_face(request);
    ASSERT_NE(styled, nullptr);
    EXPECT_GT(ink_count(rasterise_text(styled.get(), "Tolvane")), plain);
  }
}

TEST(FontLinux, WithoutAFontTheDefaultFaceDraws) {
  const TextBitmap b = rasterise_text(nullptr, "Tolvane");
  EXPECT_EQ(b.height(), 16);
  EXPECT_GT(ink_count(b), 10);
}
