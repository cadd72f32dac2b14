// Moving the PE header to offset 256 on small synthetic images.
#include <gtest/gtest.h>

#include <string>

#include "PeRelocate.h"

namespace {

void Put16(std::string& b, std::size_t at, std::uint32_t v) {
  b[at] = char(v & 0xFF);
  b[at + 1] = char(v >> 8 & 0xFF);
}
void Put32(std::string& b, std::size_t at, std::uint32_t v) {
  Put16(b, at, v & 0xFFFF);
  Put16(b, at + 2, v >> 16);
}
std::uint32_t Get32(const std::string& b, std::size_t at) {
  std::uint32_t v = 0;
  for (int k = 3; k >= 0; --k) v = v << 8 | std::uint8_t(b[at + k]);
  return v;
}

// A PE32 (or PE32+) image with its header at 0x80, `sections` section headers and headers of
// size_of_headers bytes; every section's data starts at size_of_headers.
std::string Image(bool wide, std::uint32_t sections, std::uint32_t size_of_headers) {
  std::string b(size_of_headers + 0x200, '\0');
  b[0] = 'M';
  b[1] = 'Z';
  b[0x40] = '\x0E';  // a DOS stub byte that must stay
  Put32(b, 0x3C, 0x80);
  b.replace(0x80, 4, std::string("PE\0\0", 4));
  const std::uint32_t optional_size = wide ? 240 : 224;
  Put16(b, 0x80 + 6, sections);
  Put16(b, 0x80 + 20, optional_size);
  const std::size_t opt = 0x80 + 24;
  Put16(b, opt, wide ? 0x20B : 0x10B);
  Put32(b, opt + 60, size_of_headers);
  Put32(b, opt + (wide ? 108 : 92), 16);
  Put32(b, opt + (wide ? 112 : 96) + 8, 0x2000);  // import directory outside the headers
  Put32(b, opt + (wide ? 112 : 96) + 12, 0x40);
  for (std::uint32_t i = 0; i < sections; ++i) {
    const std::size_t s = opt + optional_size + i * 40;
    b.replace(s, 5, ".text");
    Put32(b, s + 16, 0x200);
    Put32(b, s + 20, size_of_headers);
  }
  for (std::size_t i = size_of_headers; i < b.size(); ++i) b[i] = char(i);
  return b;
}

}  // namespace

TEST(PeRelocate, MovesTheHeadersOfBothWidthsTo256) {
  for (bool wide : {false, true}) {
    const std::string original = Image(wide, 5, 0x400);
    std::string image = original;
    std::string error;
    ASSERT_TRUE(pe::RelocatePeHeader(image, 256, &error)) << error;
    EXPECT_EQ(Get32(image, 0x3C), 256u);
    const std::size_t length = 24 + (wide ? 240 : 224) + 5 * 40;
    EXPECT_EQ(image.substr(256, length), original.substr(0x80, length));
    EXPECT_EQ(image.substr(0x80, 0x80), std::string(0x80, '\0'));  // also ArchiveEnd at 252
    EXPECT_EQ(image[0x40], '\x0E');
    EXPECT_EQ(image.substr(0x400), original.substr(0x400));  // section data did not move
    EXPECT_EQ(image.size(), original.size());
    // A second run leaves the image as it is.
    std::string again = image;
    ASSERT_TRUE(pe::RelocatePeHeader(again, 256, &error)) << error;
    EXPECT_EQ(again, image);
  }
}

TEST(PeRelocate, RefusesWhenTheHeadersWouldNotFit) {
  struct Case {
    const char* what;
    std::string image;
  };
  std::string no_signature = Image(false, 2, 0x400);
  no_signature[0x81] = 'X';
  std::string bound_import = Image(false, 2, 0x400);
  Put32(bound_import, 0x80 + 24 + 96 + 11 * 8, 0x300);  // bound imports inside the headers
  Put32(bound_import, 0x80 + 24 + 96 + 11 * 8 + 4, 0x20);
  std::string cut = Image(false, 2, 0x400).substr(0, 0x100);
  const Case cases[] = {
      {"no room before the first section", Image(false, 14, 0x400)},
      {"no PE signature", no_signature},
      {"bound imports in the headers", bound_import},
      {"headers cut short", cut},
      {"no MZ", std::string(0x600, '\0')},
  };
  for (const Case& c : cases) {
    std::string image = c.image;
    std::string error;
    EXPECT_FALSE(pe::RelocatePeHeader(image, 256, &error)) << c.what;
    EXPECT_FALSE(error.empty()) << c.what;
    EXPECT_TRUE(image == c.image) << c.what;
  }
}
