#include <gtest/gtest.h>

#include <filesystem>

#include <cstdio>
#include <string>

#include "model/bitmap_image.h"
#include "model/bmp_writer.h"
#include "model/file_lookup.h"
#include "model/format_bmp.h"
#include "model/tds_writer.h"

namespace {

// 2 x 2, 24-bit: rows of 6 bytes padded to 8.
BmpLayout colour_2x2() {
  BmpLayout s;
  s.width = 2;
  s.height = 2;
  s.pixels = {10, 20, 30, 40, 50, 60,     // bottom row
              70, 80, 90, 100, 110, 120};  // top row
  return s;
}

int decode(const std::vector<uint8_t>& bytes, BitmapImage& image) {
  MemorySource source(bytes.data(), bytes.size());
  return decode_bitmap(image, source);
}

void put32(std::vector<uint8_t>& b, uint32_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

TEST(BitmapReader, ColourRowsWithFillBytesAreExchangedRowByRow) {
  BitmapImage image;
  ASSERT_EQ(decode(write_bmp(colour_2x2()), image), kBitmapRead);
  EXPECT_EQ(image.format, bmp::kFormatRgb);
  EXPECT_EQ(image.width, 2);
  EXPECT_EQ(image.height, 2);
  EXPECT_EQ(image.bits_per_pixel, 24);
  const uint8_t expected[16] = {10, 20, 30, 40, 50, 60, 0, 0, 70, 80, 90, 100, 110, 120, 0, 0};
  EXPECT_EQ(std::vector<uint8_t>(image.pixels.get(), image.pixels.get() + 16),
            std::vector<uint8_t>(expected, expected + 16));
}

TEST(BitmapReader, GreyImagesAreUsedUnchanged) {
  BmpLayout s;
  s.width = 3;
  s.height = 2;
  s.bits_per_pixel = 8;
  s.pixels = {1, 2, 3, 4, 5, 6};
  BitmapImage image;
  ASSERT_EQ(decode(write_bmp(s), image), kBitmapRead);  // data after the colour table
  EXPECT_EQ(image.format, bmp::kFormatLuminance);
  EXPECT_EQ(image.bits_per_pixel, 8);
  const uint8_t expected[8] = {1, 2, 3, 0, 4, 5, 6, 0};
  EXPECT_EQ(std::vector<uint8_t>(image.pixels.get(), image.pixels.get() + 8),
            std::vector<uint8_t>(expected, expected + 8));
}

TEST(BitmapReader, ZeroOffsetAndZeroSizeMeanFiftyFourAndComputed) {
  BmpLayout s = colour_2x2();
  s.zero_data_offset = true;
  s.zero_data_size = true;
  const std::vector<uint8_t> bytes = write_bmp(s);
  BitmapImage image;
  ASSERT_EQ(decode(bytes, image), kBitmapRead);
  EXPECT_EQ(image.pixels[8], 70);  // the padded row length was used for the size
  // The computed size counts the fill bytes: without the last row's two fill bytes it is short.
  std::vector<uint8_t> cut(bytes.begin(), bytes.end() - 1);
  EXPECT_EQ(decode(cut, image), kBitmapBadData);
}

struct CodeCase {
  const char* what;
  void (*damage)(std::vector<uint8_t>&);
  int code;
};

TEST(BitmapReader, DamagedFilesGiveTheirResultCodes) {
  const CodeCase cases[] = {
      {"header short", [](std::vector<uint8_t>& b) { b.resize(53); }, kBitmapBadHeader},
      {"not BM", [](std::vector<uint8_t>& b) { b[1] = 'A'; }, kBitmapBadHeader},
      {"compressed", [](std::vector<uint8_t>& b) { b[bmp::kCompressionOffset] = 1; },
       kBitmapBadHeader},
      {"top-down", [](std::vector<uint8_t>& b) { put32(b, bmp::kHeightOffset, -2); },
       kBitmapBadHeader},
      {"zero width", [](std::vector<uint8_t>& b) { put32(b, bmp::kWidthOffset, 0); },
       kBitmapBadHeader},
      {"16-bit", [](std::vector<uint8_t>& b) { b[bmp::kBitsPerPixelOffset] = 16; },
       kBitmapBadDepth},
      {"32-bit", [](std::vector<uint8_t>& b) { b[bmp::kBitsPerPixelOffset] = 32; },
       kBitmapBadDepth},
      {"data short", [](std::vector<uint8_t>& b) { b.pop_back(); }, kBitmapBadData},
      {"stored size below the rows", [](std::vector<uint8_t>& b) { put32(b, 34, 12); },
       kBitmapBadData},
      {"huge stored size", [](std::vector<uint8_t>& b) { put32(b, 34, 0xFFFFFFF0u); },
       kBitmapBadData},
      {"offset past the end", [](std::vector<uint8_t>& b) { put32(b, 10, 0x7FFFFFFF); },
       kBitmapBadData},
      {"huge image, little data",
       [](std::vector<uint8_t>& b) { put32(b, 18, 32767), put32(b, 22, 32767), put32(b, 34, 0); },
       kBitmapBadData},
  };
  for (const CodeCase& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<uint8_t> bytes = write_bmp(colour_2x2());
    c.damage(bytes);
    BitmapImage image;
    EXPECT_EQ(decode(bytes, image), c.code);
    EXPECT_EQ(image.pixels, nullptr);
  }
}

TEST(BitmapReader, EveryTruncationIsRefused) {
  const std::vector<uint8_t> whole = write_bmp(colour_2x2());
  for (size_t n = 0; n < whole.size(); ++n) {
    BitmapImage image;
    const int code = decode(std::vector<uint8_t>(whole.begin(), whole.begin() + n), image);
    EXPECT_EQ(code, n < bmp::kHeaderSize ? kBitmapBadHeader : kBitmapBadData) << n;
  }
}

TEST(BitmapReader, FilesAreFoundWithoutRegardToCase) {
  std::filesystem::create_directories("lookup_dir");
  ASSERT_TRUE(save_bmp("lookup_dir/ManArmL.jpg", colour_2x2()));
  ASSERT_TRUE(save_bmp("BodyLookupTest.Jpg", colour_2x2()));
  BitmapImage image;
  EXPECT_EQ(read_bitmap_file(image, "lookup_dir/MANARML.JPG"), kBitmapRead);
  EXPECT_EQ(read_bitmap_file(image, "lookup_dir/ManArmL.jpg"), kBitmapRead);
  EXPECT_EQ(read_bitmap_file(image, "BODYLOOKUPTEST.JPG"), kBitmapRead);  // working directory
  EXPECT_EQ(read_bitmap_file(image, "lookup_dir/MANARMX.JPG"), kBitmapCannotOpen);
  EXPECT_EQ(read_bitmap_file(image, "no_dir/MANARML.JPG"), kBitmapCannotOpen);
  EXPECT_EQ(read_bitmap_file(image, ""), kBitmapCannotOpen);
  const std::string found = find_file_ignoring_case("bodylookuptest.jpg");
  EXPECT_TRUE(equal_ignoring_case(found, "BodyLookupTest.Jpg")) << found;
#ifndef _WIN32
  EXPECT_EQ(found, "BodyLookupTest.Jpg");  // case-sensitive systems give the name on disk
#endif
  EXPECT_TRUE(equal_ignoring_case("a\xB0Z", "A\xB0z"));
  EXPECT_FALSE(equal_ignoring_case("a\xB0", "A\xD0"));  // only A-Z fold
  std::remove("lookup_dir/ManArmL.jpg");
  std::remove("BodyLookupTest.Jpg");
}

// Kept inputs whose sizes are smaller than the rows OpenGL takes: refused, never read past.
TEST(BitmapReader, KeptRegressionInputsAreRefused) {
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(MODEL_REGRESSION_DIR)) {
    if (entry.path().extension() != ".bmp") continue;
    SCOPED_TRACE(entry.path().string());
    BitmapImage image;
    EXPECT_EQ(read_bitmap_file(image, entry.path().string().c_str()), kBitmapBadData);
    ++files;
  }
  EXPECT_GT(files, 0);
}

}  // namespace
